#pragma once
// Operations between tables: structure copies, structure-description tables, copying records
// out and appending them in.

#include "dbf/table.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace vorlan::dbf {

// The flavor a table was written in (from its version byte).
TableFlavor flavorOf(const Table& table);
std::vector<FieldSpec> fieldSpecs(const Table& table);

// A new empty table with the same fields.
void copyStructure(const Table& source, const std::filesystem::path& target);
// A structure-description table: fields FIELD_NAME C 10, FIELD_TYPE C 1, FIELD_LEN N 5,
// FIELD_DEC N 3 and one record per field of `source`.
void copyStructureExtended(const Table& source, const std::filesystem::path& target);
// An empty structure-description table.
void createStructureTable(const std::filesystem::path& target,
                          TableFlavor flavor = TableFlavor::FoxPro);
// A new empty table whose fields are the records of a structure-description table.
void createFromStructure(const std::filesystem::path& structure,
                         const std::filesystem::path& target,
                         TableFlavor flavor = TableFlavor::FoxPro);
// A new table with the same fields and the records `source` shows (order, filter and the
// deleted setting apply), memos and deletion marks included. The source's record pointer moves.
// Answers the number of records copied.
std::uint32_t copyRecords(Table& source, const std::filesystem::path& target);
// Appends the records of the table at `from` that satisfy `condition` (empty: all; evaluated in
// the source table) to `target`, field by field where the names match (converting between
// types where needed). Deleted source records are skipped when the engine hides them, and
// appended undeleted otherwise. Answers the number of records appended.
std::uint32_t appendFrom(Table& target, const std::filesystem::path& from,
                         std::string_view condition);

// Text copies of the records `source` shows: Sdf writes every field at its full width, one
// record per line; Delimited writes character fields in double quotes and the others trimmed,
// separated by commas. Dates are YYYYMMDD, logicals T or F, memo fields are left out. Lines end
// with CR LF. Answers the number of records written.
enum class TextFormat { Sdf = 1, Delimited = 2 };
std::uint32_t copyToText(Table& source, const std::filesystem::path& target, TextFormat format);

} // namespace vorlan::dbf
