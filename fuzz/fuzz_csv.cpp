// Any text read as a CSV file either gives a data set or fails with DataSetError; the data set
// opens, and every row and field reads and shows as text, never a crash or a hang.
#include "data/memory_data_set.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlan::data;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<MemoryDataSet> ds;
    try {
        ds = MemoryDataSet::fromCsvText(text);
    } catch (const DataSetError&) {
        return 0;
    }
    ds->open();
    std::uint32_t rows = 0;
    std::size_t shown = 0;
    for (ds->first(); !ds->eof(); ds->next()) {
        ++rows;
        if (rows > ds->recordCount()) std::abort(); // walking must end after the last row
        for (int f = 0; f < ds->fieldCount(); ++f) {
            shown += ds->field(f)->displayText().size();
            (void)ds->field(f)->asString();
        }
    }
    if (rows != ds->recordCount()) std::abort();
    // Each row of the data set comes from at least one line of the text.
    if (ds->recordCount() > size) std::abort();
    (void)shown;
    ds->last();
    ds->moveBy(-3);
    return 0;
}
