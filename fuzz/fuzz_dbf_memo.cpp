// The memo readers: any bytes as an .FPT or a .DBT file; every block number the input names
// must read or fail with DbfError.
#include "dbf/memo.h"
#include "fuzz_dbf_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlan::dbf;
    const auto path = fuzzdbf::scratch("m.memo");
    fuzzdbf::put(path, data, size);
    for (const MemoKind kind : {MemoKind::Fpt, MemoKind::Dbt}) {
        try {
            MemoFile m;
            m.open(path, kind, true);
            for (std::size_t i = 0; i + 1 < size && i < 64; i += 2) {
                const std::uint32_t block = data[i] | (data[i + 1] << 8);
                try {
                    const std::string s = m.read(block);
                    if (kind == MemoKind::Fpt && s.size() != m.length(block)) __builtin_trap();
                } catch (const DbfError&) {
                }
            }
        } catch (const DbfError&) {
        }
    }
    return 0;
}
