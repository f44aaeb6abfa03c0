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
#include "data/table_structure.h"

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

    // The window's table tool. Each action answers an empty text when it was done, otherwise the
    // Czech reason why not, with the area left as it was.
    //
    // The first fault of a filter condition (it must be a logical expression over the table).
    std::string filterFault(std::string_view expression);
    // Seeks a key in the controlling order; a key not found leaves the record where it was.
    std::string seekKey(std::string_view key);
    // A new tag of the structural index, with an optional FOR condition, made the controlling
    // order. The table is reopened exclusively meanwhile.
    std::string addIndex(std::string_view tag, std::string_view key, std::string_view condition);
    // A new empty table (never over an existing one), opened into the selected area.
    std::string createTable(std::string_view file, const std::vector<tables::FieldSpec>& fields);
    // The current table rewritten with new fields (see data::changeStructure), then opened
    // again in natural order; `change` (if given) tells what was copied.
    std::string changeStructure(const std::vector<data::StructureField>& fields,
                                data::StructureChange* change = nullptr);
    // Text typed into a cell of the grid written into field `field` (from 0) of record `recno`
    // and posted: numbers with a decimal comma or point, dates in the engine's date format.
    // Memo fields are edited in the memo window, not here.
    std::string writeCell(std::uint32_t recno, int field, std::string_view text);
    // Deletes the current record, or recalls it when it is deleted.
    std::string toggleDeleted();
    // A table opened read-only opened again for writing, at the same record, order and filter.
    std::string makeWritable();
    // The fields of the current table as its structure starts from.
    std::vector<data::StructureField> currentStructure();

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
    // Opens the selected area's table again (closed for a change of its flags or files), at
    // `recno` when given, with its filter; answers why it cannot be opened, empty when it is.
    std::string reopenSelected(std::uint32_t recno, const std::string& filter);
    // A tag made with the table reopened exclusively; 0 and the reason in `fault` on failure.
    std::int32_t buildTag(std::string_view tag, std::string_view key, std::string_view condition,
                          std::string& fault);

    std::shared_ptr<data::TDbfEnv> env_;
    std::array<Area, kAreas> areas_;
    int selected_ = 1;
    DbfReportSettings report_;
    DbfAreaView noView_;
    DbfAreaView* view_ = nullptr;
};

} // namespace vorlan::windows
