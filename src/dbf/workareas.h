#pragma once
// Work areas: numbered slots that each hold at most one open table, one of them current, with
// tables also found by alias. Operations on "the current table" go through here.

#include "dbf/table.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace vorlan::dbf {

class WorkAreas {
public:
    static constexpr int kMaxAreas = 250;

    // Makes `area` current and answers the area that was current. 0 selects the lowest free
    // area. Numbers outside 1..kMaxAreas are ignored (the answer is still the current area).
    int select(int area);
    int current() const { return current_; }
    // The table of an area (the current one for 0), null when the area is empty.
    Table* table(int area = 0) const;
    // The area whose table has this alias (case-insensitive), 0 when none.
    int areaOf(std::string_view alias) const;
    // The lowest area without a table, 0 when all are taken.
    int freeArea() const;

    // Opens a table into the current area, closing what was there. An empty alias takes the file
    // name. An alias already used by another area is refused. Answers the area.
    int use(const std::filesystem::path& path, std::string alias = {},
            const OpenOptions& options = {});
    // Puts an already open table into the current area.
    int adopt(std::unique_ptr<Table> table, std::string alias = {});
    void close(int area = 0);
    void closeAll();

private:
    std::map<int, std::unique_ptr<Table>> tables_;
    int current_ = 1;
};

} // namespace vorlan::dbf
