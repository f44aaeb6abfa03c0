#include "ui/qt/forms/bar_controls.h"

#include "core/cp1250.h"
#include "ui/qt/qt_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QStandardItemModel>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

bool startsWithNoCase(std::string_view text, std::string_view start) {
    return text.size() > start.size() && equalsNoCase(text.substr(0, start.size()), start);
}

} // namespace

// ---- StatusBar

StatusBar::StatusBar(std::string cls)
    : Control(std::move(cls), new QWidget),
      panels_(
          std::make_unique<SectionList>("TStatusPanels", "TStatusPanel", [this] { rebuild(); })) {
    auto* layout = new QHBoxLayout(widget());
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(2);
    // A status bar sits at the bottom unless the form says otherwise.
    setPublished("Align", Value("alBottom"));
    rebuild();
}

StatusBar::~StatusBar() = default;

void StatusBar::rebuild() {
    QWidget* w = widget();
    if (!w) return;
    for (QLabel* l : labels_)
        delete l;
    labels_.clear();
    auto* layout = static_cast<QHBoxLayout*>(w->layout());
    while (layout->count() > 0)
        delete layout->takeAt(0);
    const auto addLabel = [&](const std::string& text, int width, bool last) {
        auto* label = new QLabel(qt::fromEngine(text), w);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (!last) label->setFixedWidth(width);
        layout->addWidget(label, last ? 1 : 0);
        labels_.push_back(label);
    };
    if (simplePanel_ || panels_->count() == 0) {
        addLabel(simpleText_, 0, true);
        return;
    }
    for (int i = 0; i < panels_->count(); ++i)
        addLabel(panels_->at(i).text(), panels_->at(i).width(), i + 1 == panels_->count());
}

std::vector<std::string> StatusBar::shownTexts() const {
    std::vector<std::string> out;
    // The labels went with the widget.
    if (!widget()) return out;
    for (const QLabel* l : labels_)
        out.push_back(qt::toEngine(l->text()));
    return out;
}

bool StatusBar::setPublished(std::string_view name, const Value& value) {
    if (startsWithNoCase(name, "Panels[")) return panels_->setStored(name.substr(6), value);
    return Control::setPublished(name, value);
}

const PropertyTable& StatusBar::propertyTable() {
    static const auto table = PropertyTable::of<StatusBar>(
        &Control::propertyTable(),
        {
            {"Panels", [](const StatusBar& s) { return s.panels_.get(); },
             [](StatusBar& s, const Value& v) { s.panels_->readStored(v); }},
            {"SimplePanel", &StatusBar::simplePanel_,
             [](StatusBar& s, bool v) {
                 s.simplePanel_ = v;
                 s.rebuild();
             }},
            {"SimpleText", &StatusBar::simpleText_,
             [](StatusBar& s, const std::string& v) {
                 s.simpleText_ = v;
                 s.rebuild();
             }},
        });
    return table;
}

// ---- HeaderControl

HeaderControl::HeaderControl(std::string cls)
    : Control(std::move(cls), new QHeaderView(Qt::Horizontal)),
      model_(new QStandardItemModel(widget())),
      sections_(std::make_unique<SectionList>("THeaderSections", "THeaderSection",
                                              [this] { rebuild(); })) {
    header()->setModel(model_);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    QObject::connect(header(), &QHeaderView::sectionResized, header(),
                     [this](int index, int, int size) {
                         // The user dragged a section's edge: its Width follows.
                         if (!rebuilding_ && index < sections_->count()) {
                             rebuilding_ = true;
                             sections_->at(index).setWidth(size);
                             rebuilding_ = false;
                         }
                     });
    QObject::connect(header(), &QHeaderView::sectionClicked, header(), guarded([this](int index) {
                         if (index >= sections_->count()) return;
                         Value args[2] = {Value(script::wrapObject(this)),
                                          Value(script::wrapObject(&sections_->at(index)))};
                         fireEvent("OnSectionClick", args);
                     }));
}

HeaderControl::~HeaderControl() = default;

QHeaderView* HeaderControl::header() const {
    return static_cast<QHeaderView*>(widget());
}

void HeaderControl::rebuild() {
    if (rebuilding_ || !header()) return;
    rebuilding_ = true;
    model_->setColumnCount(sections_->count());
    for (int i = 0; i < sections_->count(); ++i) {
        const Section& s = sections_->at(i);
        model_->setHeaderData(i, Qt::Horizontal, qt::fromEngine(s.text()));
        header()->resizeSection(i, s.width());
    }
    rebuilding_ = false;
}

bool HeaderControl::setPublished(std::string_view name, const Value& value) {
    if (startsWithNoCase(name, "Sections[")) return sections_->setStored(name.substr(8), value);
    return Control::setPublished(name, value);
}

const PropertyTable& HeaderControl::propertyTable() {
    static const auto table = PropertyTable::of<HeaderControl>(
        &Control::propertyTable(),
        {
            {"Sections", [](const HeaderControl& h) { return h.sections_.get(); },
             [](HeaderControl& h, const Value& v) { h.sections_->readStored(v); }},
        });
    return table;
}

// ---- Splitter

Splitter::Splitter(std::string cls) : Control(std::move(cls), new QFrame) {
    static_cast<QFrame*>(widget())->setFrameStyle(QFrame::NoFrame);
    widget()->setCursor(Qt::SplitHCursor);
    // A splitter sits at the left unless the form says otherwise.
    setPublished("Align", Value("alLeft"));
}

Control* Splitter::neighbour() const {
    // The control of the same alignment laid out just before the splitter: for alLeft the one
    // whose right edge is where the splitter starts, and so on.
    const script::Component* container = parent();
    const script::Component* top = const_cast<Splitter*>(this)->root();
    if (!top) return nullptr;
    Control* best = nullptr;
    for (const auto& owned : top->components()) {
        auto* c = dynamic_cast<Control*>(owned.get());
        if (!c || c == this || c->align() != align() || !c->visibleFlag()) continue;
        const script::Component* itsParent = c->parent() ? c->parent() : top;
        const script::Component* mine = container ? container : top;
        if (itsParent != mine) continue;
        bool touches = false;
        switch (align()) {
        case Align::Left:
            touches = c->storedLeft() + c->storedWidth() == storedLeft();
            break;
        case Align::Right:
            touches = storedLeft() + storedWidth() == c->storedLeft();
            break;
        case Align::Top:
            touches = c->storedTop() + c->storedHeight() == storedTop();
            break;
        case Align::Bottom:
            touches = storedTop() + storedHeight() == c->storedTop();
            break;
        default:
            break;
        }
        if (touches) best = c;
    }
    return best;
}

void Splitter::drag(int delta) {
    Control* other = neighbour();
    if (!other || delta == 0) return;
    const bool horizontal = align() == Align::Left || align() == Align::Right;
    // Dragging away from the neighbour makes it larger.
    const int grow = (align() == Align::Left || align() == Align::Top) ? delta : -delta;
    const int size = horizontal ? other->storedWidth() : other->storedHeight();
    const int next = std::max(minSize_, size + grow);
    if (next == size) return;
    if (horizontal)
        other->setPublished("Width", Value(next));
    else
        other->setPublished("Height", Value(next));
    if (FormHost* form = host()) form->realign(parent() ? parent() : root());
    fireNotify("OnMoved");
}

bool Splitter::handleWidgetEvent(QObject* watched, QEvent* event) {
    const bool horizontal = align() == Align::Left || align() == Align::Right;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        pressedAt_ = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        dragging_ = true;
        return true;
    case QEvent::MouseMove:
        if (dragging_) {
            const QPoint now = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            const int delta = horizontal ? now.x() - pressedAt_.x() : now.y() - pressedAt_.y();
            pressedAt_ = now;
            drag(delta);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        dragging_ = false;
        return true;
    default:
        break;
    }
    return Control::handleWidgetEvent(watched, event);
}

const PropertyTable& Splitter::propertyTable() {
    static const auto table = PropertyTable::of<Splitter>(
        &Control::propertyTable(),
        {
            {"MinSize", &Splitter::minSize_,
             [](Splitter& s, std::int32_t v) { s.minSize_ = std::max(v, 0); }},
            {"Align", nullptr,
             [](Splitter& s, const Value& v) {
                 const Align a = alignOf(v);
                 s.widget()->setCursor(a == Align::Top || a == Align::Bottom ? Qt::SplitVCursor
                                                                             : Qt::SplitHCursor);
                 return false; // the common Align places it
             }},
        });
    return table;
}

// ---- the class table

namespace {

const FormClass kBarControlsClasses[] = {
    {"TStatusBar",
     "TWinControl",
     create<StatusBar>,
     {200, 19},
     false,
     "",
     "AutoHint=False SizeGrip=True UseSystemFont=True"},
    {"THeaderControl",
     "TWinControl",
     create<HeaderControl>,
     {200, 17},
     false,
     "OnSectionClick",
     "FullDrag=True"},
    {"TSplitter",
     "TGraphicControl",
     create<Splitter>,
     {3, 100},
     false,
     "OnMoved",
     "Beveled=False ResizeStyle=rsPattern"},
    {"TStatusPanels", "TPersistent"},
    {"TStatusPanel", "TPersistent"},
    {"THeaderSections", "TPersistent"},
    {"THeaderSection", "TPersistent"},
};

} // namespace

std::span<const FormClass> barControlClasses() {
    return kBarControlsClasses;
}

} // namespace vorlan::forms
