// The compound and compact index readers: any bytes must give each tag's keys in order or fail
// with DbfError (cycles in the leaf chain, offsets past the end, impossible bit counts).
#include "dbf/cdx.h"
#include "dbf/file.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlan::dbf;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto check = [](const KeyList& keys, bool descending) {
        for (std::size_t i = 1; i < keys.size(); ++i) {
            const int c = std::memcmp(keys.keyAt(i - 1).data(), keys.keyAt(i).data(),
                                      static_cast<std::size_t>(keys.keyLength()));
            if (descending ? c < 0 : c > 0) __builtin_trap();
        }
    };
    try {
        for (const auto& tag : readCdxDirectory(bytes)) {
            KeyList keys;
            try {
                readCdxTag(bytes, tag.offset, ' ', keys);
                check(keys, tag.header.descending);
            } catch (const DbfError&) {
            }
        }
    } catch (const DbfError&) {
    }
    try {
        KeyList keys;
        const CdxTagInfo single = readCdxTag(bytes, 0, '\0', keys);
        check(keys, single.header.descending);
    } catch (const DbfError&) {
    }
    return 0;
}
