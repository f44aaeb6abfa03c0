#include "ui/qt/designer/designer_sheet.h"
#include "ui/qt/qt_text.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "report/paint/element_drawing.h"
#include "ui/qt/designer/designer_document.h"
#include "ui/qt/designer/element_caption.h"
#include "ui/qt/report/qt_report_painter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>

namespace vorlan::qt {

namespace {

constexpr int kSheetMargin = 12; // grey around the paper
constexpr int kTitleHeight = 16; // a band's title strip
constexpr int kHandle = 5;       // a selection handle's side
constexpr int kBandEdge = 3;     // how close to a band's lower edge a press drags the edge
constexpr int kDragStart = 3;    // pixels the mouse moves before a press becomes a drag
// How far beyond the paper the sheet grows to show elements (hundredths of an inch).
constexpr std::int64_t kMaxExtent = 20000;

} // namespace

DesignerSheet::DesignerSheet(DesignerDocument& document, QWidget* parent)
    : QWidget(parent), document_(document) {
    setObjectName(QStringLiteral("Papir"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    relayout();
}

void DesignerSheet::setZoomPercent(int percent) {
    if (percent <= 0 || percent == zoomPercent_) return;
    zoomPercent_ = percent;
    relayout();
    update();
}

double DesignerSheet::pixelsPerUnit() const {
    return zoomPercent_ / 100.0 * logicalDpiY() / 100.0;
}

void DesignerSheet::relayout() {
    const double ppu = pixelsPerUnit();
    const report::PaperSettings& paper = report::paperSettings();
    // Hundredths of an inch, kept in 64 bits: a damaged template may hold any 32-bit place.
    auto clamp = [](std::int64_t v) {
        return std::clamp<std::int64_t>(v, -kMaxExtent, kMaxExtent);
    };
    auto pixels = [ppu](std::int64_t units) { return static_cast<int>(std::lround(units * ppu)); };
    std::int64_t leftmost = 0;
    std::int64_t rightmost = report::orientedPaperWidth(paper);
    for (report::TOddilSestavy* s : document_.bands())
        for (const auto& e : s->elements) {
            leftmost = std::min(leftmost, clamp(std::int64_t{paper.leftMargin} + e->left));
            rightmost = std::max(
                rightmost, clamp(std::int64_t{paper.leftMargin} + e->left + std::max(0, e->width)));
        }
    // Elements left of the paper, above or below a band or right of the paper are still shown,
    // so that they can be moved back: the sheet and the bands grow to hold them.
    const int paperLeft = kSheetMargin + pixels(-leftmost);
    printableLeft_ = paperLeft + pixels(paper.leftMargin);
    bands_.clear();
    int y = kSheetMargin;
    for (report::TOddilSestavy* s : document_.bands()) {
        std::int64_t top = 0;
        std::int64_t bottom = clamp(std::max<std::int32_t>(0, s->height));
        for (const auto& e : s->elements) {
            top = std::min(top, clamp(e->top));
            bottom = std::max(bottom, clamp(std::int64_t{e->top} + std::max(0, e->height)));
        }
        Band band;
        band.section = s;
        band.title = QRect(kSheetMargin, y, 0, kTitleHeight);
        y += kTitleHeight;
        band.body = QRect(kSheetMargin, y, 0, std::max(2, pixels(bottom - top)));
        band.originY = y + pixels(-top);
        y += band.body.height();
        bands_.push_back(band);
    }
    const int sheetWidth = pixels(rightmost - leftmost);
    for (Band& band : bands_) {
        band.title.setWidth(paperLeft - kSheetMargin + sheetWidth);
        band.body.setWidth(paperLeft - kSheetMargin + sheetWidth);
    }
    setFixedSize(paperLeft + sheetWidth + kSheetMargin, y + kSheetMargin);
}

const DesignerSheet::Band* DesignerSheet::band(std::int32_t sectionIndex) const {
    for (const Band& b : bands_)
        if (b.section->index == sectionIndex) return &b;
    return nullptr;
}

QRect DesignerSheet::elementRect(const report::TPrvekSestavy* element) const {
    const double ppu = pixelsPerUnit();
    for (const Band& b : bands_)
        for (const auto& e : b.section->elements)
            if (e.get() == element) {
                auto pixels = [ppu](std::int32_t units) {
                    return static_cast<int>(std::lround(
                        std::clamp<std::int64_t>(units, -kMaxExtent, kMaxExtent) * ppu));
                };
                const int x = printableLeft_ + pixels(e->left);
                const int y = b.originY + pixels(e->top);
                const int w = std::max(1, pixels(e->width));
                const int h = std::max(1, pixels(e->height));
                return QRect(x, y, w, h);
            }
    return {};
}

QRect DesignerSheet::dirtyRect(const report::TPrvekSestavy* element) const {
    return elementRect(element).adjusted(-kHandle - 1, -kHandle - 1, kHandle + 1, kHandle + 1);
}

std::vector<QRect> DesignerSheet::handleRects(const QRect& r) const {
    const int h = kHandle;
    const int cx = r.center().x() - h / 2;
    const int cy = r.center().y() - h / 2;
    const int l = r.left() - h / 2 - 1;
    const int t = r.top() - h / 2 - 1;
    const int rr = r.right() - h / 2 + 1;
    const int b = r.bottom() - h / 2 + 1;
    // In the order of their edges: the corners, then the sides' middles.
    return {QRect(l, t, h, h),  QRect(rr, t, h, h),  QRect(rr, b, h, h), QRect(l, b, h, h),
            QRect(cx, t, h, h), QRect(rr, cy, h, h), QRect(cx, b, h, h), QRect(l, cy, h, h)};
}

int DesignerSheet::handleAt(QPoint point) const {
    if (document_.selection().size() != 1) return 0;
    static const int kEdges[] = {kLeft | kTop, kRight | kTop, kRight | kBottom, kLeft | kBottom,
                                 kTop,         kRight,        kBottom,          kLeft};
    const std::vector<QRect> handles = handleRects(elementRect(document_.selection().front()));
    for (std::size_t i = 0; i < handles.size(); ++i)
        if (handles[i].adjusted(-1, -1, 1, 1).contains(point)) return kEdges[i];
    return 0;
}

const DesignerSheet::Band* DesignerSheet::bandAt(QPoint point) const {
    for (const Band& b : bands_)
        if (b.title.contains(point) || b.body.adjusted(0, 0, 0, kBandEdge).contains(point))
            return &b;
    return nullptr;
}

report::TPrvekSestavy* DesignerSheet::elementAt(QPoint point) const {
    // The first element of a section is drawn last, on top of the others.
    for (const Band& b : bands_)
        for (const auto& e : b.section->elements)
            if (elementRect(e.get()).contains(point)) return e.get();
    return nullptr;
}

const report::OutputPicture& DesignerSheet::picture(const std::string& path) {
    auto found = pictures_.find(path);
    if (found != pictures_.end()) return found->second;
    report::OutputPicture& p = pictures_[path];
    std::ifstream in(pathMapper().toHostOrEmpty(path), std::ios::binary);
    if (in) {
        auto bytes = std::make_shared<std::string>((std::istreambuf_iterator<char>(in)),
                                                   std::istreambuf_iterator<char>());
        p.kind = report::pictureKindOf(*bytes);
        p.bytes = std::move(bytes);
    }
    return p;
}

void DesignerSheet::drawRaster(QPainter& painter, const Band& band, const QRect& exposed) const {
    const double ppu = pixelsPerUnit();
    const double stepX = document_.rasterX() * ppu;
    const double stepY = document_.rasterY() * ppu;
    // A raster denser than this would grey the sheet instead of helping.
    if (stepX < 4 || stepY < 4) return;
    const QRect area = band.body.intersected(exposed);
    if (area.isEmpty()) return;
    QVector<QPoint> points;
    const int firstColumn = static_cast<int>(std::ceil((area.left() - printableLeft_) / stepX));
    const int firstRow = static_cast<int>(std::ceil((area.top() - band.originY) / stepY));
    for (int row = firstRow;; ++row) {
        const int y = band.originY + static_cast<int>(std::lround(row * stepY));
        if (y > area.bottom()) break;
        for (int column = firstColumn;; ++column) {
            const int x = printableLeft_ + static_cast<int>(std::lround(column * stepX));
            if (x > area.right()) break;
            if (x >= area.left()) points.append(QPoint(x, y));
        }
    }
    painter.setPen(QColor(150, 150, 150));
    painter.drawPoints(points.constData(), static_cast<int>(points.size()));
}

void DesignerSheet::drawBand(QPainter& painter, const Band& band, const QRect& exposed) {
    const report::TOddilSestavy& s = *band.section;
    if (band.title.intersects(exposed)) {
        painter.fillRect(band.title, s.visible ? QColor(0, 0, 128) : QColor(128, 128, 128));
        painter.setPen(Qt::white);
        QString title = fromEngine(report::sectionName(s.index));
        if (!s.visible) title += QString::fromUtf8(" (netiskne se)");
        painter.drawText(band.title.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, title);
    }
    if (!band.body.intersects(exposed)) return;
    painter.fillRect(band.body.intersected(exposed), s.visible ? Qt::white : QColor(235, 235, 235));
    const double ppu = pixelsPerUnit();
    // The printable area's edges.
    const report::PaperSettings& paper = report::paperSettings();
    const int right =
        printableLeft_ + static_cast<int>(std::lround(report::printableWidth(paper) * ppu));
    painter.setPen(QPen(QColor(190, 190, 255), 1, Qt::DashLine));
    painter.drawLine(printableLeft_ - 1, band.body.top(), printableLeft_ - 1, band.body.bottom());
    painter.drawLine(right, band.body.top(), right, band.body.bottom());
    if (document_.settings().showRaster) drawRaster(painter, band, exposed);

    painter.save();
    painter.setClipRect(band.body.intersected(exposed));
    QtReportPainter reportPainter(painter);
    const std::vector<std::string>& names = document_.fieldNames();
    const std::vector<std::string>& labels = document_.fieldLabels();
    // As the run draws a section: last to first, so the first element lies on top.
    for (auto owned = s.elements.rbegin(); owned != s.elements.rend(); ++owned) {
        const report::TPrvekSestavy& e = **owned;
        const QRect r = elementRect(&e);
        if (!r.adjusted(-1, -1, 1, 1).intersects(exposed)) continue;
        ++elementsDrawn_;
        report::TVystPrvek placed(&e, e.left, e.top, e.width, e.height);
        const bool pictureShown = e.kind == report::kKindPicture && !e.picturePath.empty() &&
                                  !(placed.picture = picture(e.picturePath)).empty();
        if (report::isTextKind(e.kind))
            placed.setText(designerElementText(document_.report(), e, names, labels));
        painter.save();
        painter.translate(printableLeft_, band.originY);
        if (report::isTextKind(e.kind) || report::isGraphicKind(e.kind))
            report::drawElement(reportPainter, placed, ppu);
        painter.restore();
        if ((e.kind == report::kKindPicture && !pictureShown) ||
            !(report::isTextKind(e.kind) || report::isGraphicKind(e.kind))) {
            painter.setPen(Qt::darkGray);
            painter.drawText(r, Qt::AlignCenter | Qt::TextWordWrap,
                             fromEngine(designerElementText(document_.report(), e, names, labels)));
        }
    }
    // Where each element lies, over everything drawn: a text without a frame, or an element
    // that a filled shape drawn after it covers, still shows its place.
    painter.setPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    for (const auto& owned : s.elements) {
        const QRect r = elementRect(owned.get());
        if (r.adjusted(-1, -1, 1, 1).intersects(exposed))
            painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

void DesignerSheet::paintEvent(QPaintEvent* event) {
    ++paintCount_;
    elementsDrawn_ = 0;
    const QRect exposed = event->rect();
    QPainter painter(this);
    painter.fillRect(exposed, QColor(128, 128, 128));
    for (const Band& band : bands_)
        if (band.title.united(band.body).adjusted(0, 0, 0, 1).intersects(exposed))
            drawBand(painter, band, exposed);
    // Selection handles over everything.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const report::TPrvekSestavy* e : document_.selection())
        for (const QRect& h : handleRects(elementRect(e)))
            if (h.intersects(exposed)) painter.drawRect(h);
    if (drag_ == Drag::Rubber && !rubber_.isEmpty()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawRect(rubber_);
    }
}

void DesignerSheet::selectionHasChanged() {
    if (selectionChanged) selectionChanged();
}

void DesignerSheet::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus();
    const QPoint at = event->position().toPoint();
    pressAt_ = at;
    const double ppu = pixelsPerUnit();
    if (const Band* b = bandAt(at)) {
        // The commands of a band (deleting its group) follow the band clicked.
        const bool otherBand = currentSection_ != b->section->index;
        currentSection_ = b->section->index;
        if (otherBand) selectionHasChanged();
        insertLeft_ = std::max(0, static_cast<int>(std::lround((at.x() - printableLeft_) / ppu)));
        insertTop_ = std::max(0, static_cast<int>(std::lround((at.y() - b->originY) / ppu)));
    }
    if (const int edges = handleAt(at)) {
        edges_ = edges;
        pendingKind_ = Drag::Resize;
        drag_ = Drag::Pending;
        return;
    }
    const bool adding = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    if (report::TPrvekSestavy* e = elementAt(at)) {
        std::vector<report::TPrvekSestavy*> selection = document_.selection();
        if (adding) {
            if (document_.isSelected(e))
                std::erase(selection, e);
            else
                selection.push_back(e);
        } else if (!document_.isSelected(e)) {
            selection = {e};
        }
        for (const report::TPrvekSestavy* old : document_.selection())
            update(dirtyRect(old));
        document_.setSelection(selection);
        for (const report::TPrvekSestavy* now : selection)
            update(dirtyRect(now));
        selectionHasChanged();
        pendingKind_ = Drag::Move;
        drag_ = adding ? Drag::None : Drag::Pending;
        return;
    }
    for (const Band& b : bands_)
        if (std::abs(at.y() - b.body.bottom()) <= kBandEdge && b.body.left() <= at.x() &&
            at.x() <= b.body.right()) {
            draggedBand_ = b.section;
            draggedBandHeight_ = b.section->height;
            pendingKind_ = Drag::BandHeight;
            drag_ = Drag::Pending;
            return;
        }
    if (!adding && !document_.selection().empty()) {
        for (const report::TPrvekSestavy* old : document_.selection())
            update(dirtyRect(old));
        document_.setSelection({});
        selectionHasChanged();
    }
    rubber_ = QRect(at, at);
    pendingKind_ = Drag::Rubber;
    drag_ = Drag::Pending;
}

void DesignerSheet::beginDrag(QPoint) {
    drag_ = pendingKind_;
    originals_.clear();
    if (drag_ == Drag::Move || drag_ == Drag::Resize) {
        document_.beginChange(drag_ == Drag::Move ? czech("přesunu") : czech("změny velikosti"));
        for (report::TPrvekSestavy* e : document_.selection())
            originals_.push_back({e, e->left, e->top, e->width, e->height});
    } else if (drag_ == Drag::BandHeight) {
        document_.beginChange(czech("výšky oddílu"));
    }
}

void DesignerSheet::dragTo(QPoint at) {
    const double ppu = pixelsPerUnit();
    const auto dx = static_cast<std::int32_t>(std::lround((at.x() - pressAt_.x()) / ppu));
    const auto dy = static_cast<std::int32_t>(std::lround((at.y() - pressAt_.y()) / ppu));
    const bool snap = document_.snapping();
    const std::int32_t rx = document_.rasterX();
    const std::int32_t ry = document_.rasterY();
    auto sx = [&](std::int64_t v) {
        const std::int32_t place = saturated(v);
        return snap ? snapToRaster(place, rx) : place;
    };
    auto sy = [&](std::int64_t v) {
        const std::int32_t place = saturated(v);
        return snap ? snapToRaster(place, ry) : place;
    };
    switch (drag_) {
    case Drag::Move:
    case Drag::Resize:
        for (const Original& o : originals_) {
            QRect dirty = dirtyRect(o.element);
            report::TPrvekSestavy& e = *o.element;
            if (drag_ == Drag::Move) {
                e.left = sx(std::int64_t{o.left} + dx);
                e.top = sy(std::int64_t{o.top} + dy);
            } else {
                std::int64_t left = o.left, top = o.top;
                std::int64_t right = left + o.width, bottom = top + o.height;
                if (edges_ & kLeft) left = std::min<std::int64_t>(sx(left + dx), right - 1);
                if (edges_ & kRight) right = std::max<std::int64_t>(sx(right + dx), left + 1);
                if (edges_ & kTop) top = std::min<std::int64_t>(sy(top + dy), bottom - 1);
                if (edges_ & kBottom) bottom = std::max<std::int64_t>(sy(bottom + dy), top + 1);
                e.left = saturated(left);
                e.top = saturated(top);
                e.width = std::max(1, saturated(right - left));
                e.height = std::max(1, saturated(bottom - top));
            }
            update(dirty.united(dirtyRect(o.element)));
        }
        break;
    case Drag::BandHeight:
        draggedBand_->height = std::max<std::int32_t>(0, sy(std::int64_t{draggedBandHeight_} + dy));
        relayout();
        update();
        break;
    case Drag::Rubber: {
        const QRect old = rubber_;
        rubber_ = QRect(pressAt_, at).normalized();
        update(old.united(rubber_).adjusted(-1, -1, 2, 2));
        break;
    }
    default:
        break;
    }
}

void DesignerSheet::moveToBandsUnder() {
    const double ppu = pixelsPerUnit();
    for (const Original& o : originals_) {
        const QRect r = elementRect(o.element);
        report::TOddilSestavy* from = document_.sectionOf(o.element);
        const Band* to = nullptr;
        for (const Band& b : bands_)
            if (b.body.contains(QPoint(b.body.left(), r.top()))) to = &b;
        if (!from || !to || to->section == from) continue;
        // The element keeps its place on the sheet and now belongs to the band it was dropped
        // on, at the top of that band at the least.
        auto owned = std::find_if(from->elements.begin(), from->elements.end(),
                                  [&](const auto& e) { return e.get() == o.element; });
        std::unique_ptr<report::TPrvekSestavy> moved = std::move(*owned);
        from->elements.erase(owned);
        std::int32_t top = static_cast<std::int32_t>(std::lround((r.top() - to->originY) / ppu));
        if (document_.snapping()) top = snapToRaster(top, document_.rasterY());
        moved->top = std::max<std::int32_t>(0, top);
        to->section->elements.push_back(std::move(moved));
        currentSection_ = to->section->index;
    }
}

void DesignerSheet::finishDrag(QPoint) {
    const Drag done = drag_;
    drag_ = Drag::None;
    switch (done) {
    case Drag::Move:
        moveToBandsUnder();
        originals_.clear();
        document_.finishChange();
        break;
    case Drag::Resize:
    case Drag::BandHeight:
        originals_.clear();
        document_.finishChange();
        break;
    case Drag::Rubber: {
        std::vector<report::TPrvekSestavy*> selection = document_.selection();
        for (const Band& b : bands_)
            for (const auto& e : b.section->elements)
                if (rubber_.intersects(elementRect(e.get())) && !document_.isSelected(e.get()))
                    selection.push_back(e.get());
        document_.setSelection(selection);
        update();
        rubber_ = QRect();
        selectionHasChanged();
        break;
    }
    default:
        break;
    }
}

void DesignerSheet::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (drag_ == Drag::Pending) {
        if ((at - pressAt_).manhattanLength() < kDragStart) return;
        beginDrag(at);
    }
    if (drag_ != Drag::None) dragTo(at);
}

void DesignerSheet::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (drag_ == Drag::Pending) {
        drag_ = Drag::None;
        return;
    }
    finishDrag(event->position().toPoint());
}

void DesignerSheet::mouseDoubleClickEvent(QMouseEvent* event) {
    if (elementAt(event->position().toPoint()) && elementActivated) elementActivated();
}

void DesignerSheet::keyPressEvent(QKeyEvent* event) {
    std::int32_t dx = 0, dy = 0;
    const std::int32_t stepX = document_.snapping() ? document_.rasterX() : 1;
    const std::int32_t stepY = document_.snapping() ? document_.rasterY() : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        dx = -stepX;
        break;
    case Qt::Key_Right:
        dx = stepX;
        break;
    case Qt::Key_Up:
        dy = -stepY;
        break;
    case Qt::Key_Down:
        dy = stepY;
        break;
    case Qt::Key_Delete:
        document_.deleteSelection();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (document_.selection().empty()) return;
    if (event->modifiers() & Qt::ShiftModifier)
        document_.resizeSelection(dx, dy);
    else
        document_.moveSelection(dx, dy);
}

} // namespace vorlan::qt
