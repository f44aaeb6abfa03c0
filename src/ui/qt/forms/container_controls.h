#pragma once
// Containers: TPageControl with its TTabSheet pages, and TScrollBox, whose controls scroll
// when they need more room than the box has.

#include "ui/qt/forms/controls.h"

#include <vector>

class QScrollArea;
class QTabWidget;

namespace vorlan::forms {

class TabSheet;

class PageControl : public Control {
public:
    explicit PageControl(std::string cls);
    ~PageControl() override;
    // Adds the sheet as the last page (or at its stored PageIndex).
    void addSheet(TabSheet& sheet);
    void removeSheet(TabSheet& sheet);
    // The sheet's caption changed.
    void sheetChanged(TabSheet& sheet);
    int pageCount() const;
    TabSheet* page(int index) const;
    TabSheet* activePage() const;
    void setActivePage(TabSheet* sheet);

protected:
    bool getOwn(std::string_view name, script::Value& out) const override;
    bool setOwn(std::string_view name, const script::Value& value) override;
    void loaded() override;

private:
    QTabWidget* tabs() const;
    // Pages in the order the tab widget shows them.
    std::vector<TabSheet*> sheets_;
    // A stored ActivePage names a sheet read after the page control.
    std::string pendingActive_;
};

class TabSheet : public Control {
public:
    explicit TabSheet(std::string cls);
    ~TabSheet() override;
    void attachTo(QWidget* area) override;
    const std::string& caption() const { return caption_; }
    PageControl* pageControl() const { return pageControl_; }
    void setPageControl(PageControl* pc) { pageControl_ = pc; }
    int storedPageIndex() const { return pageIndex_; }
    void showControl() override;
    void hideControl() override;

protected:
    bool getOwn(std::string_view name, script::Value& out) const override;
    bool setOwn(std::string_view name, const script::Value& value) override;
    // The page control places its pages.
    void applyGeometry() override;

private:
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

} // namespace vorlan::forms
