// The table reader: any bytes as a .DBF (with memo and structural index files made of the same
// bytes) must open and read every record and field, or fail with DbfError; never crash or
// allocate without bound.
#include "dbf/table.h"
#include "fuzz_dbf_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlan::dbf;
    const auto path = fuzzdbf::scratch("t.dbf");
    fuzzdbf::put(path, data, size);
    fuzzdbf::put(fuzzdbf::scratch("t.fpt"), data, size);
    fuzzdbf::put(fuzzdbf::scratch("t.cdx"), data, size);
    try {
        auto t = Table::open(path, {.readOnly = true});
        int records = 0;
        for (t->goTop(); !t->eof() && records < 2000; t->skip(), ++records) {
            (void)t->deleted();
            for (int f = 0; f < t->fieldCount(); ++f) {
                try {
                    (void)t->getValue(f);
                    (void)t->getString(f);
                    (void)t->memoLength(f);
                } catch (const DbfError&) {
                }
            }
        }
        t->goBottom();
        t->skip(-3);
        try {
            (void)t->evaluate(t->field(0).name + " = " + t->field(0).name);
        } catch (const DbfError&) {
        }
    } catch (const DbfError&) {
    }
    return 0;
}
