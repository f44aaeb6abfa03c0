#pragma once
// The process-wide engine: one set of work areas (1..250) shared by every table data set,
// every engine access component and the database window, each holding a table opened through
// the table engine of its path (tables/engine_registry.h), with the engine-wide switches that
// the tables themselves do not keep (error level, translation, turbo read per area, the
// gauge window) and the few operations the engine interface lacks: tables built field by field,
// engine text for dates and versions and relations between areas. (Query bits are marks of the
// table itself: tables::EngineTable::markRecord.)
//
// Like the engine underneath, this runs on the one user-interface thread.

#include "tables/table_engine.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::data {

// Driver codes for new tables: 1 dBase III (.DBT memos), 2 FoxPro (.FPT memos), 3 the 0x30
// family; any other code is taken as 2.
tables::Flavor flavorOfDriver(int driver);

// The alias given to tables that are being created and closed again at once.
inline constexpr const char* kScratchAlias = "XXXXXXXXXX";

class Engine {
public:
    static constexpr int kMaxAreas = 250;

    // Registers the DBF engine as the fallback table engine.
    Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Makes `area` current and answers the area that was current before; numbers outside
    // 1..250 change nothing (the answer is still the current area).
    int select(int area);
    int current() const { return current_; }
    // The table of an area (the current one for 0), null when the area is empty.
    tables::EngineTable* table(int area = 0) const;
    // The area whose table has this alias (case-insensitive), 0 when none.
    int areaOf(std::string_view alias) const;
    // The lowest area that holds no table and is not reserved by a table being created.
    int freeArea() const;

    // Opens a table into `area` (0: the lowest free one) without changing the current area;
    // answers the area. An area that holds a table is refused, as is one out of range. An alias
    // already taken by another area gets the area number appended. The engine is the one
    // registered for the path. Throws tables::EngineError.
    int openTable(const std::filesystem::path& path, std::string alias,
                  const tables::OpenOptions& options, int area = 0);
    // Closes the table of an area (its turbo flag and relations go with it).
    void closeArea(int area);
    void closeAll();

    // Engine-wide switches. errorLevel answers the previous level.
    int errorLevel(int level);
    int errorLevel() const { return errorLevel_; }
    void setTranslate(bool on) { translate_ = on; }
    bool translate() const { return translate_; }
    void setTurboRead(int area, bool on);
    bool turboRead(int area) const;
    void setGaugeHook(std::intptr_t handle) { gauge_ = handle; }
    std::intptr_t gaugeHook() const { return gauge_; }
    // The text of the last engine failure (DbfError) caught by a caller that turned it into a
    // neutral result; cleared by nothing but the next failure.
    const std::string& lastError() const { return lastError_; }
    void setLastError(std::string text) { lastError_ = std::move(text); }
    static std::string version();

    // Building a new table field by field: createNew reserves a free area for it (0 when
    // none is free); createField adds a field to the table being built in the current area;
    // createExec writes the table and releases the area. False for a field that cannot be
    // added (an unknown type, a width out of range, a duplicate name) or when nothing is being
    // built there. Types of fixed width (D L M G P, and I B Y T of the 0x30 family) take their
    // own width whatever is passed.
    int createNew(const std::filesystem::path& path, std::string alias, int driver, int fieldCount);
    bool createField(std::string_view name, char type, int width, int decimals);
    bool createExec();
    bool creating(int area) const { return pending_.count(area) > 0; }

    // A relation moves the child area with its parent: after each move of the parent, the
    // child seeks the value of `expression` (evaluated in the parent) in its controlling order,
    // or goes to that record number when it has none. An empty expression removes it.
    void setRelation(int parent, int child, std::string expression);
    void followRelations(int parent);

private:
    void followRelations(int parent, std::set<int>& visited);

    struct PendingTable {
        std::filesystem::path path;
        std::string alias;
        tables::Flavor flavor = tables::Flavor::FoxPro;
        std::vector<tables::FieldSpec> fields;
    };
    struct Relation {
        int child = 0;
        std::string expression;
    };

    std::map<int, std::unique_ptr<tables::EngineTable>> areas_;
    int current_ = 1;
    int errorLevel_ = 1;
    bool translate_ = false;
    std::intptr_t gauge_ = 0;
    std::string lastError_;
    std::set<int> turbo_;
    std::map<int, PendingTable> pending_;
    std::multimap<int, Relation> relations_;
};

// The one engine of the process.
Engine& engine();

// Operations on one table that the table class does not offer itself.
namespace engine_ops {

// Date field as text in the engine's date format ("  .  .    " style blanks when empty).
std::string dateString(const tables::EngineTable& table, int field);
// Last update of the table as date text.
std::string baseDate(const tables::EngineTable& table);
// The xBase DESCEND of a character key: each byte complemented, so descending keys sort first.
std::string descend(std::string_view key);
// Writes a memo field's bytes to a host file; false when it cannot be written.
bool blobToFile(const tables::EngineTable& table, int field, const std::filesystem::path& file);
// Loads a host file into a memo field as binary contents; false when it cannot be read.
bool fileToBlob(tables::EngineTable& table, int field, const std::filesystem::path& file);
// Type code of an expression over the table: 1 character, 2 numeric, 3 logical, 4 date,
// 0 when it does not compile.
int evalType(tables::EngineTable& table, std::string_view expr);
// Index kind code of an order: 4 .NTX, 5 .IDX, 7 .CDX; 0 for natural order.
int indexTypeCode(tables::EngineTable& table, int order);
// Appends records from a text file: SDF (every field at its full width, one record a line) or
// delimited (commas, character fields in double quotes). Answers the records appended.
// Fields are matched by position; lines with fewer values leave the rest blank.
std::uint32_t appendFromText(tables::EngineTable& target, const std::filesystem::path& from,
                             tables::TextFormat format);

} // namespace engine_ops

} // namespace vorlan::data
