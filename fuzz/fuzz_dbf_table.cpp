// The table reader: any bytes as a .DBF (with memo and structural index files made of the same
// bytes) must open and read every record and field, or fail with DbfError; never crash or
// allocate without bound.
#include "dbf/table.h"
#include "dbf/warnings.h"
#include "fuzz_dbf_common.h"

#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlan::dbf;
    // Damage is told as warnings; printing one per input would only slow the run down.
    static const bool quiet = (setWarningListener([](const std::string&) {}), true);
    (void)quiet;
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
    // A memo written into a table that opens for writing never lands in the memo file's header:
    // only its next-free pointer (the first four bytes) may change.
    try {
        auto t = Table::open(path);
        if (!t->hasMemoFile() || t->readOnly()) return 0;
        const auto memoPath = t->memoFile().path();
        const auto header = [&] {
            std::string bytes(512, '\0');
            std::ifstream in(memoPath, std::ios::binary);
            in.read(bytes.data(), 512);
            return bytes.substr(4, static_cast<std::size_t>(in.gcount() > 4 ? in.gcount() - 4 : 0));
        };
        const std::string before = header();
        t->goTop();
        for (int f = 0; f < t->fieldCount() && !t->eof(); ++f)
            if (t->field(f).type == 'M') t->setMemo(f, "text");
        t->close();
        if (header().substr(0, before.size()) != before) __builtin_trap();
    } catch (const DbfError&) {
    }
    return 0;
}
