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

bool is(std::string_view a, std::string_view b) {
    return equalsNoCase(a, b);
}

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
    QObject::connect(tabs(), &QTabWidget::currentChanged, tabs(), [this](int) {
        SignalHandlerScope scope;
        fire("OnChange");
    });
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
    if (!pendingActive_.empty() && is(sheet.name(), pendingActive_)) {
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

bool PageControl::getOwn(std::string_view name, Value& out) const {
    if (is(name, "PageCount"))
        out = Value(static_cast<std::int32_t>(pageCount()));
    else if (is(name, "ActivePageIndex"))
        out = Value(static_cast<std::int32_t>(tabs() ? tabs()->currentIndex() : -1));
    else if (is(name, "ActivePage")) {
        TabSheet* sheet = activePage();
        out = sheet ? Value(script::wrapObject(sheet)) : Value::null();
    } else
        return false;
    return true;
}

bool PageControl::setOwn(std::string_view name, const Value& value) {
    if (is(name, "ActivePageIndex")) {
        setActivePage(page(value.toInt()));
        return true;
    }
    if (is(name, "ActivePage")) {
        if (auto* sheet = script::nativeAs<TabSheet>(value)) {
            setActivePage(sheet);
        } else {
            pendingActive_ = value.toString();
            for (TabSheet* s : sheets_)
                if (is(s->name(), pendingActive_)) {
                    setActivePage(s);
                    pendingActive_.clear();
                }
        }
        return true;
    }
    return false;
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

bool TabSheet::getOwn(std::string_view name, Value& out) const {
    if (is(name, "Caption"))
        out = Value(caption_);
    else if (is(name, "PageIndex")) {
        int index = -1;
        for (int i = 0; pageControl_ && i < pageControl_->pageCount(); ++i)
            if (pageControl_->page(i) == this) index = i;
        out = Value(static_cast<std::int32_t>(index));
    } else if (is(name, "PageControl"))
        out = pageControl_ ? Value(script::wrapObject(pageControl_)) : Value::null();
    else
        return false;
    return true;
}

bool TabSheet::setOwn(std::string_view name, const Value& value) {
    if (is(name, "Caption")) {
        caption_ = value.toString();
        if (pageControl_) pageControl_->sheetChanged(*this);
    } else if (is(name, "PageIndex"))
        pageIndex_ = value.toInt();
    else if (is(name, "TabVisible"))
        value.toBool() ? showControl() : hideControl();
    else
        return false;
    return true;
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

// ---- factory

std::unique_ptr<script::Component> makeContainerControl(const std::string& cls) {
    if (is(cls, "TPageControl"))
        return withDefaultSize(std::make_unique<PageControl>(cls), {289, 193});
    if (is(cls, "TTabSheet")) return withDefaultSize(std::make_unique<TabSheet>(cls), {281, 165});
    if (is(cls, "TScrollBox")) return withDefaultSize(std::make_unique<ScrollBox>(cls), {185, 41});
    return nullptr;
}

} // namespace vorlan::forms
