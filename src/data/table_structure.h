#pragma once
// Making a table and changing the fields of one, through the engine of the table's path: the
// checks a field list passes before a table is made of it, and the rewrite of a table into new
// fields with its records copied across and the old files kept as a backup. Texts are
// Windows-1250; paths are host paths.

#include "tables/table_engine.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::data {

// A field of a new structure and the field of the old table whose values it takes (empty for a
// new field, which starts blank).
struct StructureField {
    tables::FieldSpec spec;
    std::string source;
};

// Whether a name can name a field or an index tag: a letter followed by letters, digits or "_",
// at most 10 in all, no accented letters.
bool isValidFieldName(std::string_view name);

// The fields of an open table, each taking its own values.
std::vector<StructureField> structureOf(const tables::EngineTable& table);

// The first fault of a field list in Czech, empty when there is none. A name is a letter
// followed by letters, digits or "_", at most 10 in all, and names one field only (letter case
// does not count); types and widths are those the flavor of table can hold.
std::string fieldListFault(const std::vector<tables::FieldSpec>& fields, tables::Flavor flavor);

// A new empty table. An existing table is never replaced. Throws tables::EngineError with the
// Czech reason.
void createTable(const std::filesystem::path& path, const std::vector<tables::FieldSpec>& fields,
                 tables::Flavor flavor);

struct StructureChange {
    std::uint32_t records = 0;            // records copied, deleted ones still deleted
    std::uint32_t valuesLost = 0;         // values that did not fit their new field, left blank
    std::vector<std::string> droppedTags; // tags whose key no longer fits the new fields
    std::filesystem::path backup;         // the old table under its backup name
};

// Rewrites the table at `path`, which nobody may hold open (it is opened exclusively), with new
// fields. The new table is built completely beside the old one under a scratch name, the tags
// of its structural index made again; only then are the old table and its memo file renamed to
// the backup names (NAME.BAK, NAME.TBK; older backups are replaced) and the new files take the
// table's names. Until that point a failure leaves the old table as it was and removes the
// scratch files. Throws tables::EngineError with the Czech reason.
StructureChange changeStructure(const std::filesystem::path& path,
                                const std::vector<StructureField>& fields);

} // namespace vorlan::data
