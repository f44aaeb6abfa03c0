#include "ui/qt/forms/tab_controls.h"

#include "core/cp1250.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

// ---- TabControl

TabControl::TabControl(std::string cls)
    : Control(std::move(cls), new QWidget), bar_(new QTabBar(widget())),
      client_(new QWidget(widget())),
      tabs_(std::make_unique<StringList>(StringList::Access{
          [this] {
              std::vector<std::string> out;
              for (int i = 0; bar_ && i < bar_->count(); ++i)
                  out.push_back(qt::toEngine(bar_->tabText(i)));
              return out;
          },
          [this](const std::vector<std::string>& lines) {
              if (!bar_) return;
              Quiet q(*this);
              const int index = bar_->currentIndex();
              while (bar_->count() > 0)
                  bar_->removeTab(0);
              for (const auto& l : lines)
                  bar_->addTab(qt::fromEngine(l));
              bar_->setCurrentIndex(index >= 0 && index < bar_->count() ? index : 0);
              shown_ = bar_->currentIndex();
          }})) {
    auto* layout = new QVBoxLayout(widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar_);
    client_->setObjectName(QStringLiteral("client"));
    layout->addWidget(client_, 1);
    bar_->setDrawBase(true);
    QObject::connect(bar_, &QTabBar::currentChanged, bar_, guarded([this](int index) {
                         if (quiet() || index == shown_) return;
                         // OnChanging may keep the tab that was shown.
                         if (handlerOf("OnChanging")) {
                             const auto alive = aliveToken();
                             Value args[2] = {Value(script::wrapObject(this)), Value(true)};
                             fireEvent("OnChanging", args);
                             if (alive.expired()) return;
                             if (!args[1].toBool()) {
                                 Quiet q(*this);
                                 bar_->setCurrentIndex(shown_);
                                 return;
                             }
                         }
                         shown_ = index;
                         fire("OnChange");
                     }));
}

TabControl::~TabControl() = default;

int TabControl::tabIndex() const {
    return bar_ ? bar_->currentIndex() : -1;
}

void TabControl::setTabIndex(int index) {
    if (!bar_) return;
    Quiet q(*this);
    bar_->setCurrentIndex(index >= 0 && index < bar_->count() ? index : -1);
    shown_ = bar_->currentIndex();
}

const PropertyTable& TabControl::propertyTable() {
    const auto setTabs = [](TabControl& t, const Value& v) { t.tabs_->setLines(linesOfValue(v)); };
    static const auto table = PropertyTable::of<TabControl>(
        &Control::propertyTable(),
        {
            {"Tabs", [](const TabControl& t) { return t.tabs_.get(); }, setTabs},
            {"Tabs.Strings", nullptr, setTabs},
            {"TabIndex", &TabControl::tabIndex, &TabControl::setTabIndex},
            {"MultiLine", nullptr, [](TabControl& t, bool v) { t.bar_->setExpanding(!v); }},
        });
    return table;
}

// ---- Notebook

namespace {

QWidget* notebookWidget(const std::string& cls) {
    if (equalsNoCase(cls, "TTabbedNotebook")) return new QTabWidget;
    return new QStackedWidget;
}

} // namespace

Notebook::Notebook(std::string cls)
    : Control(cls, notebookWidget(cls)),
      pages_(std::make_unique<StringList>(
          StringList::Access{[this] { return captions(); },
                             [this](const std::vector<std::string>& c) { setCaptions(c); }})) {
    tabs_ = qobject_cast<QTabWidget*>(widget());
    stack_ = qobject_cast<QStackedWidget*>(widget());
    if (tabs_)
        QObject::connect(tabs_, &QTabWidget::currentChanged, tabs_,
                         guarded([this](int) { fire("OnChange"); }));
    // A notebook without tabs tells of its page changing with OnPageChanged.
    if (stack_)
        QObject::connect(stack_, &QStackedWidget::currentChanged, stack_,
                         guarded([this](int) { fire("OnPageChanged"); }));
}

Notebook::~Notebook() {
    for (NotebookPage* p : pages_list_)
        p->setNotebook(nullptr);
}

NotebookPage* Notebook::page(int index) const {
    if (index < 0 || index >= pageCount()) return nullptr;
    return pages_list_[static_cast<std::size_t>(index)];
}

int Notebook::pageIndex() const {
    if (tabs_) return tabs_->currentIndex();
    return stack_ ? stack_->currentIndex() : -1;
}

void Notebook::setPageIndex(int index) {
    storedIndex_ = index;
    if (index < 0 || index >= pageCount()) return;
    Quiet q(*this);
    if (tabs_) tabs_->setCurrentIndex(index);
    if (stack_) stack_->setCurrentIndex(index);
}

void Notebook::addPage(NotebookPage& page) {
    if (!page.widget() ||
        std::find(pages_list_.begin(), pages_list_.end(), &page) != pages_list_.end())
        return;
    Quiet q(*this);
    pages_list_.push_back(&page);
    if (tabs_) tabs_->addTab(page.widget(), qt::fromEngine(page.caption()));
    if (stack_) stack_->addWidget(page.widget());
    page.setNotebook(this);
    if (pageCount() - 1 == storedIndex_) setPageIndex(storedIndex_);
}

void Notebook::removePage(NotebookPage& page) {
    auto it = std::find(pages_list_.begin(), pages_list_.end(), &page);
    if (it == pages_list_.end()) return;
    Quiet q(*this);
    if (QWidget* w = page.widget()) {
        if (tabs_) tabs_->removeTab(static_cast<int>(it - pages_list_.begin()));
        if (stack_) stack_->removeWidget(w);
    }
    pages_list_.erase(it);
    page.setNotebook(nullptr);
}

void Notebook::pageChanged(NotebookPage& page) {
    auto it = std::find(pages_list_.begin(), pages_list_.end(), &page);
    if (it != pages_list_.end() && tabs_)
        tabs_->setTabText(static_cast<int>(it - pages_list_.begin()),
                          qt::fromEngine(page.caption()));
}

std::vector<std::string> Notebook::captions() const {
    std::vector<std::string> out;
    for (const NotebookPage* p : pages_list_)
        out.push_back(p->caption());
    return out;
}

void Notebook::setCaptions(const std::vector<std::string>& captions) {
    for (std::size_t i = 0; i < captions.size() && i < pages_list_.size(); ++i)
        pages_list_[i]->setCaption(captions[i]);
    script::Component* top = root();
    const char* pageClass = tabbed() ? "TTabPage" : "TPage";
    while (pages_list_.size() < captions.size()) {
        std::unique_ptr<script::Component> made = makeControl(pageClass);
        auto* page = dynamic_cast<NotebookPage*>(made.get());
        if (!page) return;
        const std::size_t before = pages_list_.size();
        page->setCaption(captions[pages_list_.size()]);
        page->setParent(this);
        top->adopt(std::move(made));
        page->attachTo(clientArea());
        if (pages_list_.size() == before) return;
    }
    while (pages_list_.size() > captions.size()) {
        NotebookPage* last = pages_list_.back();
        removePage(*last);
        // A page this notebook's tree owns goes with it; anything else is only taken off.
        if (script::Component* owner = last->owner()) {
            const std::unique_ptr<script::Component> gone = owner->release(last);
        }
    }
}

void Notebook::setActivePage(const std::string& caption) {
    for (int i = 0; i < pageCount(); ++i)
        if (equalsNoCase(page(i)->caption(), caption)) setPageIndex(i);
}

void Notebook::loaded() {
    // Pages are read after their notebook: they join it now, in stored order.
    if (script::Component* top = root())
        for (const auto& c : top->components())
            if (auto* p = dynamic_cast<NotebookPage*>(c.get()); p && p->parent() == this)
                addPage(*p);
    setPageIndex(storedIndex_);
}

const PropertyTable& Notebook::propertyTable() {
    const auto setPages = [](Notebook& n, const Value& v) { n.pages_->setLines(linesOfValue(v)); };
    static const auto table = PropertyTable::of<Notebook>(
        &Control::propertyTable(),
        {
            {"Pages", [](const Notebook& n) { return n.pages_.get(); }, setPages},
            {"Pages.Strings", nullptr, setPages},
            {"PageIndex", &Notebook::pageIndex, &Notebook::setPageIndex},
            {"ActivePage",
             [](const Notebook& n) {
                 const NotebookPage* p = n.page(n.pageIndex());
                 return p ? p->caption() : std::string();
             },
             &Notebook::setActivePage},
        });
    return table;
}

// ---- NotebookPage

NotebookPage::NotebookPage(std::string cls) : Control(std::move(cls), new QWidget) {}

NotebookPage::~NotebookPage() {
    if (notebook_) notebook_->removePage(*this);
}

void NotebookPage::attachTo(QWidget* area) {
    if (auto* nb = dynamic_cast<Notebook*>(parent())) {
        nb->addPage(*this);
        return;
    }
    Control::attachTo(area);
}

void NotebookPage::applyGeometry() {
    if (!notebook_) Control::applyGeometry();
}

void NotebookPage::setCaption(const std::string& caption) {
    caption_ = caption;
    if (notebook_) notebook_->pageChanged(*this);
}

const PropertyTable& NotebookPage::propertyTable() {
    static const auto table = PropertyTable::of<NotebookPage>(
        &Control::propertyTable(),
        {
            {"Caption", &NotebookPage::caption_, &NotebookPage::setCaption},
        });
    return table;
}

// ---- the class table

namespace {

const FormClass kTabControlsClasses[] = {
    {"TTabControl", "TWinControl", create<TabControl>, {289, 193}, false, "OnChange OnChanging"},
    // The strip of tabs along a window's edge: a tab control without a page under it.
    {"TTabSet",
     "TWinControl",
     create<TabControl>,
     {185, 21},
     false,
     "OnChange OnChanging",
     "FirstIndex=0 BackgroundColor=clBtnFace DitherBackground=True EndMargin=5 "
     "SelectedColor=clBtnFace StartMargin=5 UnselectedColor=clWindow"},
    {"TNotebook", "TWinControl", create<Notebook>, {150, 150}, false, "OnChange OnPageChanged"},
    {"TTabbedNotebook",
     "TWinControl",
     create<Notebook>,
     {300, 250},
     false,
     "OnChange",
     "TabsPerRow=3"},
    {"TPage", "TWinControl", create<NotebookPage>, {150, 150}},
    {"TTabPage", "TWinControl", create<NotebookPage>, {300, 250}},
};

} // namespace

std::span<const FormClass> tabControlClasses() {
    return kTabControlsClasses;
}

} // namespace vorlan::forms
