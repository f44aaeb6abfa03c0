// The .NTX reader: any bytes must give a key list in order or fail with DbfError (cycles,
// offsets past the end, impossible counts).
#include "dbf/file.h"
#include "dbf/index.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlan::dbf;
    KeyList keys;
    try {
        const IndexHeader h =
            readNtxBytes(std::string_view(reinterpret_cast<const char*>(data), size), keys);
        if (keys.keyLength() != h.keyLength) __builtin_trap();
        for (std::size_t i = 1; i < keys.size(); ++i) {
            const int c = std::memcmp(keys.keyAt(i - 1).data(), keys.keyAt(i).data(),
                                      static_cast<std::size_t>(keys.keyLength()));
            if (h.descending ? c < 0 : c > 0) __builtin_trap();
        }
    } catch (const DbfError&) {
    }
    return 0;
}
