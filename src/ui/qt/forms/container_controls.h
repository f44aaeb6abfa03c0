#pragma once
// Containers: TPageControl with its TTabSheet pages, and TScrollBox, whose controls scroll
// when they need more room than the box has.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"

#include <span>
#include <vector>

class QScrollArea;
class QTabWidget;

namespace vorlan::forms {

class TabSheet;

class PageControl : public Control {
public:
    explicit PageControl(std::string cls);
    ~PageControl() override;
    // ActivePage, ActivePageIndex, PageCount.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    // Adds the sheet as the last page (or at its stored PageIndex).
    void addSheet(TabSheet& sheet);
    void removeSheet(TabSheet& sheet);
    // The sheet's caption changed.
    void sheetChanged(TabSheet& sheet);
    int pageCount() const;
    TabSheet* page(int index) const;
    TabSheet* activePage() const;
    void setActivePage(TabSheet* sheet);
    // The page after (before) `current` round the end; with `visibleOnly`, one whose tab shows.
    TabSheet* findNextPage(TabSheet* current, bool forward, bool visibleOnly) const;

protected:
    void loaded() override;

private:
    QTabWidget* tabs() const;
    int activePageIndex() const;
    // A sheet object, or the name of a sheet (which may be read later).
    void setActivePageRef(const script::Value& value);
    // Pages in the order the tab widget shows them.
    std::vector<TabSheet*> sheets_;
    // A stored ActivePage names a sheet read after the page control.
    std::string pendingActive_;
    // The page shown before a change (OnChanging, OnHide).
    int shown_ = -1;
};

class TabSheet : public Control {
public:
    explicit TabSheet(std::string cls);
    ~TabSheet() override;
    // Caption, PageIndex, TabVisible, PageControl.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    void attachTo(QWidget* area) override;
    const std::string& caption() const { return caption_; }
    PageControl* pageControl() const { return pageControl_; }
    void setPageControl(PageControl* pc) { pageControl_ = pc; }
    int storedPageIndex() const { return pageIndex_; }
    void showControl() override;
    void hideControl() override;

protected:
    // The page control places its pages.
    void applyGeometry() override;

private:
    int pageIndex() const;
    std::string caption_;
    int pageIndex_ = -1;
    PageControl* pageControl_ = nullptr;
};

class ScrollBox : public Control {
public:
    explicit ScrollBox(std::string cls);
    ~ScrollBox() override;
    QWidget* clientArea() const override;

private:
    QScrollArea* area() const;
};

// TPageControl, TTabSheet, TScrollBox.
std::span<const FormClass> containerClasses();

} // namespace vorlan::forms
