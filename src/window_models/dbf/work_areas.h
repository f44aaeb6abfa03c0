#pragma once
// The three work areas of the database window, shared by the window and the Dbf functions of
// scripts. Each area is a script table (a table data set with its own engine access
// component), so the window's grid and the reports walk the same cursor the functions move.
//
// An area is "current" when it is both selected and open; every table function acts on the
// current area and answers its neutral value (false, 0, empty text) when there is none.
//
// The engine environment made here is the process's one: four-digit years, the German date
// format (dd.mm.yyyy) and soft seek, in every run, so that dates reach programs as the same
// text whether the window is ever shown or not.

#include "data/dbf_env.h"
#include "data/script/data_table.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::windows {

// What the window does when the work areas change under it. Every hook has an empty default, so
// a headless run (or a test) needs no view at all.
class DbfAreaView {
public:
    virtual ~DbfAreaView() = default;
    // Area n became the selected one (open or not).
    virtual void areaSelected(int /*area*/) {}
    // Area n opened a table or closed it.
    virtual void areaOpened(int /*area*/) {}
    virtual void areaClosed(int /*area*/) {}
    // The orders of area n changed (a new tag, another controlling order).
    virtual void ordersChanged(int /*area*/) {}
    // The filter line of the selected area: shown with its expression, or hidden.
    virtual void filterShown(int /*area*/, bool /*shown*/) {}
    // Long work on the selected area (indexing): the grid hides meanwhile.
    virtual void busy(bool /*on*/, const std::string& /*text*/) {}
    // Whether deleted records are shown (the pop-up menu's check).
    virtual void showDeletedChanged(bool /*show*/) {}
    virtual void showWindow() {}
    virtual void hideWindow() {}
    virtual void placeWindow(int /*left*/, int /*top*/, int /*width*/, int /*height*/) {}
};

// The report settings of the window's report: parameters, copies and page range.
struct DbfReportSettings {
    std::vector<std::string> parameters;
    std::int16_t copies = 1;
    std::int16_t firstPage = 1;
    std::int16_t lastPage = 9999;
};

// The engine environment every table of the runtime is read in, whether through the database
// window, a program or a batch report: dates dd.mm.yyyy (German, century on), soft seek.
// Holding the answer keeps it alive.
std::shared_ptr<data::TDbfEnv> startUpEnvironment();

class DbfWorkAreas {
public:
    static constexpr int kAreas = 3;

    DbfWorkAreas();
    ~DbfWorkAreas();
    DbfWorkAreas(const DbfWorkAreas&) = delete;
    DbfWorkAreas& operator=(const DbfWorkAreas&) = delete;

    // The view the areas report to; null for none. The view must outlive its registration.
    void setView(DbfAreaView* view);

    int selected() const { return selected_; }
    bool isOpen(int area) const;
    // 1, 2 or 3 selects that area; other numbers do nothing.
    void select(int area);
    // The table of area n (1..3).
    data::TDataTable& table(int area);
    // The table of the current area, null when the selected area is closed.
    data::TDataTable* current();

    // Opens a table into the selected area (closing what it held). An empty name closes the
    // area and answers true. A bare name lies in the current directory; ".DBF" is added.
    bool use(std::string_view file);
    // Opens read-only (the browse window): the same as use() with the table write-protected.
    bool useReadOnly(std::string_view file);

    // Per-area state.
    const std::string& reportName(int area) const;
    void setReportName(int area, std::string name);
    const std::string& filter(int area) const;

    // Searching with the remembered condition; a failed search stands at end of file.
    std::uint32_t locate(std::string_view condition);
    std::uint32_t continueLocate();
    // A tag in the production index; 0 with the "in use" message when the table cannot be
    // made exclusive.
    std::int32_t indexTag(std::string_view tag, std::string_view key);
    std::int32_t setOrder(std::string_view tag);
    void setFilter(std::string_view expression);

    data::TDbfEnv& env() { return *env_; }
    bool showDeleted() const { return !env_->deleted(); }
    void setShowDeleted(bool show);

    DbfReportSettings& report() { return report_; }
    DbfAreaView& view() { return view_ ? *view_ : noView_; }

private:
    struct Area {
        std::unique_ptr<data::TDataTable> table;
        bool open = false;
        std::string reportName;
        std::string filter;
        std::string locate;
    };
    Area& area(int n) { return areas_[static_cast<std::size_t>(n - 1)]; }
    const Area& area(int n) const { return areas_[static_cast<std::size_t>(n - 1)]; }
    bool open(std::string_view file, bool readOnly);
    void closeSelected();
    void moveToEnd(data::TDataTable& t);

    std::shared_ptr<data::TDbfEnv> env_;
    std::array<Area, kAreas> areas_;
    int selected_ = 1;
    DbfReportSettings report_;
    DbfAreaView noView_;
    DbfAreaView* view_ = nullptr;
};

} // namespace vorlan::windows
