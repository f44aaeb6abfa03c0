// Any text file appended to a table, as fixed-width (SDF) or delimited records, either appends
// records or fails with DbfError; the table then reads back record by record, never a crash or
// a hang. The first byte picks the format.
#include "data/engine.h"
#include "dbf/table.h"
#include "fuzz_dbf_common.h"
#include "tables/engine_registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlan;
    if (size < 1) return 0;
    const auto format = (data[0] & 1) ? tables::TextFormat::Delimited : tables::TextFormat::Sdf;
    const auto source = fuzzdbf::scratch("import.txt");
    fuzzdbf::put(source, data + 1, size - 1);

    const auto tablePath = fuzzdbf::scratch("import.dbf");
    dbf::Table::create(tablePath, {{"NAME", 'C', 12},
                                   {"AMOUNT", 'N', 9, 2},
                                   {"COUNT", 'N', 4},
                                   {"BORN", 'D'},
                                   {"ACTIVE", 'L'},
                                   {"NOTE", 'C', 3}})
        ->close();
    data::engine(); // registers the DBF engine
    auto table = tables::engineFor(tablePath).open(tablePath, {});
    std::uint32_t appended = 0;
    try {
        appended = data::engine_ops::appendFromText(*table, source, format);
    } catch (const dbf::DbfError&) {
        return 0;
    }
    // Each record comes from one line of the text.
    if (appended > size || table->recordCount() != appended) std::abort();
    std::uint32_t records = 0;
    for (table->goTop(); !table->eof(); table->skip()) {
        ++records;
        for (int f = 0; f < table->fieldCount(); ++f) {
            (void)table->fieldEmpty(f);
            if (table->getString(f).size() > 64) std::abort();
        }
    }
    if (records != appended) std::abort();
    return 0;
}
