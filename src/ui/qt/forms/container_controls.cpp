#include "ui/qt/forms/container_controls.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "ui/qt/qt_text.h"

#include <QEvent>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

// "&Adresa" on a tab: Qt marks the accelerator the same way.
QString tabText(const std::string& caption) {
    return qt::fromEngine(caption);
}

// The inside of a scroll box: as large as the controls in it need, and never smaller than
// the box's visible part.
class ScrollContents : public QWidget {
public:
    explicit ScrollContents(QScrollArea& area) : area_(area) {}
    void fit() {
        const QRect used = childrenRect();
        const QSize view = area_.viewport()->size();
        resize(std::max(used.right() + 1, view.width()),
               std::max(used.bottom() + 1, view.height()));
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ChildAdded || e->type() == QEvent::ChildRemoved ||
            e->type() == QEvent::LayoutRequest)
            // The child is placed right after it is added: measure once that is done.
            QTimer::singleShot(0, this, [this] { fit(); });
        return QWidget::event(e);
    }

private:
    QScrollArea& area_;
};

} // namespace

// ---- PageControl

PageControl::PageControl(std::string cls) : Control(std::move(cls), new QTabWidget) {
    QObject::connect(tabs(), &QTabWidget::currentChanged, tabs(), [this](int index) {
        SignalHandlerScope scope;
        TabSheet* before = shown_ >= 0 && shown_ < pageCount() ? page(shown_) : nullptr;
        if (quiet()) {
            shown_ = index;
            return;
        }
        const auto alive = aliveToken();
        // OnChanging may keep the page that was shown.
        if (handlerOf("OnChanging") && before && shown_ != index) {
            Value args[2] = {Value(script::wrapObject(this)), Value(true)};
            fireEvent("OnChanging", args);
            if (alive.expired()) return;
            if (!args[1].toBool()) {
                Quiet q(*this);
                tabs()->setCurrentIndex(shown_);
                return;
            }
        }
        shown_ = index;
        if (before) before->fireNotify("OnHide");
        if (alive.expired()) return;
        if (TabSheet* now = index >= 0 && index < pageCount() ? page(index) : nullptr)
            now->fireNotify("OnShow");
        if (!alive.expired()) fire("OnChange");
    });
}

TabSheet* PageControl::findNextPage(TabSheet* current, bool forward, bool visibleOnly) const {
    const int count = pageCount();
    if (count == 0) return nullptr;
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (page(i) == current) at = i;
    if (at < 0) at = forward ? count - 1 : 0;
    for (int step = 1; step <= count; ++step) {
        const int i = ((at + (forward ? step : -step)) % count + count) % count;
        if (!visibleOnly || tabs()->isTabVisible(i)) return page(i);
    }
    return nullptr;
}

PageControl::~PageControl() {
    for (TabSheet* sheet : sheets_)
        sheet->setPageControl(nullptr);
}

QTabWidget* PageControl::tabs() const {
    return static_cast<QTabWidget*>(widget());
}

void PageControl::addSheet(TabSheet& sheet) {
    QTabWidget* t = tabs();
    if (!t || !sheet.widget() || std::find(sheets_.begin(), sheets_.end(), &sheet) != sheets_.end())
        return;
    Quiet q(*this);
    int index = sheet.storedPageIndex();
    if (index < 0 || index > static_cast<int>(sheets_.size()))
        index = static_cast<int>(sheets_.size());
    sheets_.insert(sheets_.begin() + index, &sheet);
    t->insertTab(index, sheet.widget(), tabText(sheet.caption()));
    sheet.setPageControl(this);
    if (!pendingActive_.empty() && equalsNoCase(sheet.name(), pendingActive_)) {
        t->setCurrentIndex(index);
        pendingActive_.clear();
    }
}

void PageControl::removeSheet(TabSheet& sheet) {
    auto it = std::find(sheets_.begin(), sheets_.end(), &sheet);
    if (it == sheets_.end()) return;
    Quiet q(*this);
    if (QTabWidget* t = tabs()) t->removeTab(static_cast<int>(it - sheets_.begin()));
    sheets_.erase(it);
    sheet.setPageControl(nullptr);
}

void PageControl::sheetChanged(TabSheet& sheet) {
    auto it = std::find(sheets_.begin(), sheets_.end(), &sheet);
    if (it != sheets_.end() && tabs())
        tabs()->setTabText(static_cast<int>(it - sheets_.begin()), tabText(sheet.caption()));
}

int PageControl::pageCount() const {
    return static_cast<int>(sheets_.size());
}

TabSheet* PageControl::page(int index) const {
    if (index < 0 || index >= pageCount()) return nullptr;
    return sheets_[static_cast<std::size_t>(index)];
}

TabSheet* PageControl::activePage() const {
    return tabs() ? page(tabs()->currentIndex()) : nullptr;
}

void PageControl::setActivePage(TabSheet* sheet) {
    auto it = std::find(sheets_.begin(), sheets_.end(), sheet);
    if (it == sheets_.end() || !tabs()) return;
    Quiet q(*this);
    tabs()->setCurrentIndex(static_cast<int>(it - sheets_.begin()));
}

void PageControl::loaded() {
    // Sheets are read after their page control: they join it now, in stored order.
    if (script::Component* top = root())
        for (const auto& c : top->components())
            if (auto* sheet = dynamic_cast<TabSheet*>(c.get()); sheet && sheet->parent() == this)
                addSheet(*sheet);
}

const PropertyTable& PageControl::propertyTable() {
    static const auto table = PropertyTable::of<PageControl>(
        &Control::propertyTable(),
        {
            {"PageCount", &PageControl::pageCount},
            {"ActivePageIndex", &PageControl::activePageIndex,
             [](PageControl& p, std::int32_t i) { p.setActivePage(p.page(i)); }},
            {"ActivePage",
             [](const PageControl& p) {
                 TabSheet* sheet = p.activePage();
                 return sheet ? Value(script::wrapObject(sheet)) : Value::null();
             },
             &PageControl::setActivePageRef},
        });
    return table;
}

int PageControl::activePageIndex() const {
    return tabs() ? tabs()->currentIndex() : -1;
}

void PageControl::setActivePageRef(const Value& value) {
    if (auto* sheet = script::nativeAs<TabSheet>(value)) {
        setActivePage(sheet);
        return;
    }
    pendingActive_ = value.toString();
    for (TabSheet* s : sheets_)
        if (equalsNoCase(s->name(), pendingActive_)) {
            setActivePage(s);
            pendingActive_.clear();
        }
}

// ---- TabSheet

TabSheet::TabSheet(std::string cls) : Control(std::move(cls), new QWidget) {}

TabSheet::~TabSheet() {
    if (pageControl_) pageControl_->removeSheet(*this);
}

void TabSheet::attachTo(QWidget* area) {
    if (auto* pc = dynamic_cast<PageControl*>(parent())) {
        pc->addSheet(*this);
        return;
    }
    Control::attachTo(area);
}

void TabSheet::applyGeometry() {
    if (!pageControl_) Control::applyGeometry();
}

void TabSheet::showControl() {
    if (!pageControl_) return Control::showControl();
    for (int i = 0; i < pageControl_->pageCount(); ++i)
        if (pageControl_->page(i) == this)
            static_cast<QTabWidget*>(pageControl_->widget())->setTabVisible(i, true);
}

void TabSheet::hideControl() {
    if (!pageControl_) return Control::hideControl();
    for (int i = 0; i < pageControl_->pageCount(); ++i)
        if (pageControl_->page(i) == this)
            static_cast<QTabWidget*>(pageControl_->widget())->setTabVisible(i, false);
}

const PropertyTable& TabSheet::propertyTable() {
    static const auto table = PropertyTable::of<TabSheet>(
        &Control::propertyTable(),
        {
            {"Caption", &TabSheet::caption_,
             [](TabSheet& t, const std::string& v) {
                 t.caption_ = v;
                 if (t.pageControl_) t.pageControl_->sheetChanged(t);
             }},
            {"PageIndex", &TabSheet::pageIndex, &TabSheet::pageIndex_},
            {"PageControl",
             [](const TabSheet& t) {
                 return t.pageControl_ ? Value(script::wrapObject(t.pageControl_)) : Value::null();
             }},
            {"TabVisible", nullptr,
             [](TabSheet& t, bool v) { v ? t.showControl() : t.hideControl(); }},
            // Its place among the tabs shown; -1 while its tab is hidden.
            {"TabIndex",
             [](const TabSheet& t) {
                 const int at = t.pageIndex();
                 auto* tabs =
                     t.pageControl_ ? static_cast<QTabWidget*>(t.pageControl_->widget()) : nullptr;
                 if (at < 0 || !tabs || !tabs->isTabVisible(at)) return -1;
                 int shown = 0;
                 for (int i = 0; i < at; ++i)
                     if (tabs->isTabVisible(i)) ++shown;
                 return shown;
             }},
        });
    return table;
}

int TabSheet::pageIndex() const {
    for (int i = 0; pageControl_ && i < pageControl_->pageCount(); ++i)
        if (pageControl_->page(i) == this) return i;
    return -1;
}

// ---- ScrollBox

ScrollBox::ScrollBox(std::string cls) : Control(std::move(cls), new QScrollArea) {
    QScrollArea* a = area();
    a->setWidget(new ScrollContents(*a));
    a->setWidgetResizable(false);
}

ScrollBox::~ScrollBox() = default;

QScrollArea* ScrollBox::area() const {
    return static_cast<QScrollArea*>(widget());
}

QWidget* ScrollBox::clientArea() const {
    return area() ? area()->widget() : nullptr;
}

// ---- the class table

namespace {

const FormClass kContainerControlsClasses[] = {
    {"TPageControl",
     "TWinControl",
     create<PageControl>,
     {289, 193},
     false,
     "OnChange OnChanging",
     "MultiLine=False"},
    {"TTabSheet", "TWinControl", create<TabSheet>, {281, 165}, false, "OnShow OnHide"},
    {"TScrollBox", "TScrollingWinControl", create<ScrollBox>, {185, 41}},
};

} // namespace

std::span<const FormClass> containerClasses() {
    return kContainerControlsClasses;
}

} // namespace vorlan::forms
