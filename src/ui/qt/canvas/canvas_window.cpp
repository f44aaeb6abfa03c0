#include "ui/qt/canvas/canvas_window.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "ui/qt/app_exception.h"
#include "ui/qt/canvas/canvas_glyphs.h"
#include "ui/qt/canvas/image_picture.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/settings_store.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace vorlan::qt {

using windows::BrushStyle;
using windows::CanvasPoint;
using windows::DrawingTool;
using windows::PenStyle;

namespace {

std::string pictureFilter() {
    return czech("Bitmapové soubory(*.BMP)|*.BMP|Všechny soubory (*.*)|*.*");
}

QToolButton* speedButton(QWidget* parent, const char* name, const QIcon& icon,
                         const QString& hint = {}) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFixedSize(25, 25);
    return button;
}

QHBoxLayout* barLayout(QWidget* bar) {
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(1);
    return layout;
}

// The sixteen standard colours, two rows of eight ($00BBGGRR).
constexpr std::array<std::int32_t, 16> kGridColors{
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

} // namespace

PictureView::PictureView(windows::Canvas& canvas, const ImagePicture& picture, QWidget* parent)
    : QWidget(parent), canvas_(canvas), picture_(picture) {
    setObjectName(QStringLiteral("Image"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!picture_.image().isNull()) painter.drawImage(0, 0, picture_.image());
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    guarded([&] { canvas_.mouseDown({at.x(), at.y()}); });
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    guarded([&] { canvas_.mouseMove({at.x(), at.y()}); });
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    guarded([&] { canvas_.mouseUp({at.x(), at.y()}); });
}

CanvasWindow::CanvasWindow(windows::Canvas& canvas, ImagePicture& picture, QWidget* parent)
    : QWidget(parent, Qt::Window), canvas_(canvas), picture_(picture) {
    setObjectName(QStringLiteral("ImageForm"));
    setWindowTitle(fromEngine(windows::Canvas::caption()));

    toolBar_ = makeToolBar();
    brushBar_ = makeBrushBar();
    penBar_ = makePenBar();
    image_ = new PictureView(canvas_, picture_, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(brushBar_);
    layout->addWidget(penBar_);
    layout->addWidget(image_, 1);

    // A click on a bar's background is the bar's, not a start of drawing.
    for (QWidget* bar : {toolBar_, brushBar_, penBar_})
        bar->setAttribute(Qt::WA_NoMousePropagation);

    // The bars belong to the active window only.
    toolBar_->hide();
    brushBar_->hide();
    penBar_->hide();

    const windows::CanvasGeometry g;
    move(g.left, g.top);
    resize(g.width, g.height);
    canvas_.attachView(this);
}

CanvasWindow::~CanvasWindow() {
    if (canvas_.view() == this) canvas_.attachView(nullptr);
}

QWidget* CanvasWindow::makeToolBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("ToolBar"));
    auto* layout = barLayout(bar);
    auto add = [&](QToolButton* button, auto handler) {
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        return button;
    };
    add(speedButton(bar, "NewButton", canvas_glyphs::newPicture(), QStringLiteral("Nový obrázek")),
        &CanvasWindow::newClicked);
    add(speedButton(bar, "OpenButton", canvas_glyphs::openPicture(),
                    QStringLiteral("Načíst obrázek")),
        &CanvasWindow::openClicked);
    add(speedButton(bar, "SaveButton", canvas_glyphs::savePicture(),
                    QStringLiteral("Uložit obrázek")),
        &CanvasWindow::saveClicked);
    layout->addSpacing(6);

    // Exactly one shape is chosen at a time.
    auto* tools = new QButtonGroup(bar);
    tools->setExclusive(true);
    const std::array<std::pair<const char*, const char*>, 4> toolNames{
        {{"LineButtonClick", "Čára"},
         {"RectangleButtonClick", "Obdélník"},
         {"EllipseButtonClick", "Elipsa"},
         {"RoundRectButtonClick", "Zaoblený obdélník"}}};
    for (std::size_t i = 0; i < toolNames.size(); ++i) {
        const auto tool = static_cast<DrawingTool>(i);
        auto* button = speedButton(bar, toolNames[i].first, canvas_glyphs::tool(tool),
                                   QString::fromUtf8(toolNames[i].second));
        button->setCheckable(true);
        tools->addButton(button);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this,
                [this, tool] { canvas_.setDrawingTool(tool); });
        toolButtons_[i] = button;
    }
    toolButtons_[0]->setChecked(true);
    layout->addSpacing(6);

    brushButton_ =
        speedButton(bar, "BrushButton", canvas_glyphs::brushBar(), QStringLiteral("Štětec"));
    brushButton_->setCheckable(true);
    add(brushButton_, &CanvasWindow::brushButtonClicked);
    penButton_ = speedButton(bar, "PenButton", canvas_glyphs::penBar(), QStringLiteral("Pero"));
    penButton_->setCheckable(true);
    add(penButton_, &CanvasWindow::penButtonClicked);
    layout->addSpacing(6);
    add(speedButton(bar, "PrintButtonClick", canvas_glyphs::printPicture(),
                    QStringLiteral("Vytisknout obrázek")),
        &CanvasWindow::printClicked);
    add(speedButton(bar, "FontButtonClick", canvas_glyphs::font(),
                    QStringLiteral("Nastavení fontu")),
        &CanvasWindow::fontClicked);
    layout->addStretch();
    return bar;
}

QWidget* CanvasWindow::makeColorGrid(const char* name, void (CanvasWindow::*picked)(std::int32_t)) {
    auto* grid = new QWidget(this);
    grid->setObjectName(QLatin1String(name));
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (std::size_t i = 0; i < kGridColors.size(); ++i) {
        const std::int32_t color = kGridColors[i];
        auto* cell = new QToolButton(grid);
        cell->setIcon(canvas_glyphs::colorSwatch(color));
        cell->setAutoRaise(true);
        cell->setFixedSize(16, 12);
        cell->setIconSize(QSize(12, 10));
        layout->addWidget(cell, static_cast<int>(i / 8), static_cast<int>(i % 8));
        connect(cell, &QToolButton::clicked, this,
                [this, picked, color] { guarded([&] { (this->*picked)(color); }); });
    }
    return grid;
}

QWidget* CanvasWindow::makeBrushBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("BrushBar"));
    auto* layout = barLayout(bar);
    auto* styles = new QButtonGroup(bar);
    const std::array<const char*, 8> names{"SolidBrush",    "ClearBrush",     "HorizontalBrush",
                                           "VerticalBrush", "FDiagonalBrush", "BDiagonalBrush",
                                           "CrossBrush",    "DiagCroshBrush"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto style = static_cast<BrushStyle>(i);
        auto* button = speedButton(bar, names[i], canvas_glyphs::brushStyle(style));
        button->setCheckable(true);
        button->setChecked(i == 0);
        styles->addButton(button);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, style] { brushStyleClicked(style); });
    }
    layout->addSpacing(6);
    layout->addWidget(makeColorGrid("BrushColor", &CanvasWindow::brushColorClicked));
    layout->addStretch();
    return bar;
}

QWidget* CanvasWindow::makePenBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("PenBar"));
    auto* layout = barLayout(bar);
    auto* styles = new QButtonGroup(bar);
    const std::array<const char*, 6> names{"SolidPen",   "DashPen",       "DotPen",
                                           "DashDotPen", "DashDotDotPen", "ClearPen"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto style = static_cast<PenStyle>(i);
        auto* button = speedButton(bar, names[i], canvas_glyphs::penStyle(style));
        button->setCheckable(true);
        button->setChecked(i == 0);
        styles->addButton(button);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, style] { penStyleClicked(style); });
    }
    layout->addSpacing(6);
    layout->addWidget(makeColorGrid("PenColor", &CanvasWindow::penColorClicked));
    layout->addSpacing(6);
    spinEdit1_ = new QSpinBox(bar);
    spinEdit1_->setObjectName(QStringLiteral("SpinEdit1"));
    spinEdit1_->setRange(1, 10);
    spinEdit1_->setValue(1);
    layout->addWidget(spinEdit1_);
    connect(spinEdit1_, &QSpinBox::valueChanged, this, &CanvasWindow::penWidthChanged);
    layout->addStretch();
    return bar;
}

QToolButton* CanvasWindow::toolButton(DrawingTool tool) const {
    return toolButtons_[static_cast<std::size_t>(tool)];
}

void CanvasWindow::applySettings(const SettingsStore& settings, bool mayShow) {
    const QString name = QStringLiteral("ImageForm");
    settings.restorePlacement(*this, name);
    if (mayShow && settings.formSwitch(name, QStringLiteral("Visible"), false)) show();
}

void CanvasWindow::newClicked() {
    canvas_.clear();
}

void CanvasWindow::openClicked() {
    FileDialogRequest request;
    request.title = czech("Načíst obrázek ...");
    request.filter = pictureFilter();
    if (const auto name = ui().openFileDialog(request)) canvas_.loadChosen(*name);
}

void CanvasWindow::saveClicked() {
    FileDialogRequest request;
    request.title = czech("Uložit grafiku pod názvem ...");
    request.filter = pictureFilter();
    if (const auto name = ui().saveFileDialog(request)) canvas_.saveChosen(*name);
}

void CanvasWindow::printClicked() {
    const QImage& image = picture_.image();
    if (image.isNull()) return;
    std::unique_ptr<QPagedPaintDevice> device;
    if (ui().headless()) {
        // The print dialog would be accepted as it stands.
        auto* qtUi = dynamic_cast<QtUi*>(&ui());
        if (!qtUi) return;
        device = qtUi->startPrintDevice(windows::Canvas::caption());
        if (!device) return;
    } else {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setDocName(fromEngine(windows::Canvas::caption()));
        QPrintDialog dialog(printer.get(), this);
        if (dialog.exec() != QDialog::Accepted) return;
        device = std::move(printer);
    }
    // At the page's top-left corner, as large on paper as on the screen.
    QPainter painter;
    if (!painter.begin(device.get()))
        throw std::runtime_error(czech("Tiskovou úlohu nelze zahájit"));
    const qreal scaleX = device->logicalDpiX() / 96.0, scaleY = device->logicalDpiY() / 96.0;
    painter.drawImage(QRectF(0, 0, image.width() * scaleX, image.height() * scaleY), image);
    if (!painter.end()) throw std::runtime_error(czech("Tisk se nepodařil"));
}

void CanvasWindow::fontClicked() {
    bool accepted = false;
    const QFont chosen = QFontDialog::getFont(&accepted, qtFontOf(canvas_.font()), this);
    if (!accepted) return;
    auto& font = canvas_.font();
    font.name = toEngine(chosen.family());
    font.size = chosen.pointSize() > 0 ? chosen.pointSize() : font.size;
    font.styles = (chosen.bold() ? windows::FontBold : 0) |
                  (chosen.italic() ? windows::FontItalic : 0) |
                  (chosen.underline() ? windows::FontUnderline : 0) |
                  (chosen.strikeOut() ? windows::FontStrikeOut : 0);
}

void CanvasWindow::brushButtonClicked() {
    brushBar_->setVisible(brushButton_->isChecked());
}

void CanvasWindow::penButtonClicked() {
    penBar_->setVisible(penButton_->isChecked());
}

void CanvasWindow::brushStyleClicked(BrushStyle style) {
    canvas_.brush().style = style;
}

void CanvasWindow::penStyleClicked(PenStyle style) {
    canvas_.pen().style = style;
}

void CanvasWindow::brushColorClicked(std::int32_t color) {
    canvas_.brush().color = color;
}

void CanvasWindow::penColorClicked(std::int32_t color) {
    canvas_.pen().color = color;
}

void CanvasWindow::penWidthChanged(int width) {
    canvas_.pen().width = width;
}

void CanvasWindow::activated() {
    toolBar_->show();
    brushBar_->hide();
    penBar_->hide();
}

void CanvasWindow::deactivated() {
    toolBar_->hide();
    brushBar_->hide();
    penBar_->hide();
    brushButton_->setChecked(false);
    penButton_->setChecked(false);
}

void CanvasWindow::showCanvas() {
    show();
    raise();
    activateWindow();
}

void CanvasWindow::hideCanvas() {
    hide();
}

void CanvasWindow::setCanvasGeometry(int left, int top, int width, int height) {
    move(left, top);
    resize(width, height);
}

void CanvasWindow::pictureChanged() {
    image_->update();
}

void CanvasWindow::repaintCanvas() {
    repaint();
}

windows::CanvasSize CanvasWindow::imageAreaSize() const {
    // A window that has never been shown has not placed its children yet.
    if (layout()) layout()->activate();
    return {image_->width(), image_->height()};
}

windows::CanvasPoint CanvasWindow::picturePoint(const QMouseEvent& event) const {
    const QPoint at = image_->mapFrom(this, event.position().toPoint());
    return {at.x(), at.y()};
}

void CanvasWindow::mousePressEvent(QMouseEvent* event) {
    guarded([&] { canvas_.mouseDown(picturePoint(*event)); });
}

void CanvasWindow::mouseMoveEvent(QMouseEvent* event) {
    guarded([&] { canvas_.mouseMove(picturePoint(*event)); });
}

void CanvasWindow::mouseReleaseEvent(QMouseEvent* event) {
    guarded([&] { canvas_.mouseUp(picturePoint(*event)); });
}

void CanvasWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            activated();
        else
            deactivated();
    }
    QWidget::changeEvent(event);
}

} // namespace vorlan::qt
