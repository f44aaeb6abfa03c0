#pragma once
// Tabs and pages: TTabControl (a row of tabs above one client area; the program changes what
// the area shows), TNotebook (pages without tabs, one shown at a time) and TTabbedNotebook
// (pages with tabs). Notebook pages are TPage / TTabPage components, stored inside the notebook
// without names; Pages lists their captions and may add, rename and drop pages.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/string_list.h"

#include <memory>
#include <span>
#include <vector>

class QStackedWidget;
class QTabBar;
class QTabWidget;

namespace vorlan::forms {

class TabControl : public Control {
public:
    explicit TabControl(std::string cls);
    ~TabControl() override;
    // Tabs, TabIndex, MultiLine.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    QWidget* clientArea() const override { return client_; }
    StringList& tabs() { return *tabs_; }
    int tabIndex() const;
    void setTabIndex(int index);

private:
    QPointer<QTabBar> bar_;
    QPointer<QWidget> client_;
    std::unique_ptr<StringList> tabs_;
    // The tab shown before the user picked another (OnChanging may send the user back).
    int shown_ = -1;
};

class NotebookPage;

class Notebook : public Control {
public:
    // Tabs are shown for TTabbedNotebook.
    explicit Notebook(std::string cls);
    ~Notebook() override;
    // Pages, PageIndex, ActivePage (the caption of the page shown).
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    StringList& pages() { return *pages_; }
    int pageCount() const { return static_cast<int>(pages_list_.size()); }
    NotebookPage* page(int index) const;
    int pageIndex() const;
    void setPageIndex(int index);
    void addPage(NotebookPage& page);
    void removePage(NotebookPage& page);
    void pageChanged(NotebookPage& page);

protected:
    void loaded() override;

private:
    bool tabbed() const { return tabs_ != nullptr; }
    std::vector<std::string> captions() const;
    // Pages takes new captions: existing pages are renamed, missing ones made, extra ones go.
    void setCaptions(const std::vector<std::string>& captions);
    void setActivePage(const std::string& caption);

    QTabWidget* tabs_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    std::vector<NotebookPage*> pages_list_;
    std::unique_ptr<StringList> pages_;
    int storedIndex_ = 0;
};

class NotebookPage : public Control {
public:
    explicit NotebookPage(std::string cls);
    ~NotebookPage() override;
    // Caption.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    void attachTo(QWidget* area) override;
    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);
    void setNotebook(Notebook* notebook) { notebook_ = notebook; }

protected:
    void applyGeometry() override;

private:
    std::string caption_;
    Notebook* notebook_ = nullptr;
};

// TTabControl, TNotebook, TTabbedNotebook, TPage, TTabPage.
std::span<const FormClass> tabControlClasses();

} // namespace vorlan::forms
