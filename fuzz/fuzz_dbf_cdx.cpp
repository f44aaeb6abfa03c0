// The compound and compact index readers: any bytes must fail with DbfError (cycles in the leaf
// chain, offsets past the end, impossible bit counts, keys out of order, a record twice) or give
// each tag's keys exactly as its leaves hold them, in order. A reader that sorted damaged keys
// into place would hand out an order whose seeks miss records: the comparison with the plain
// leaf walk catches that.
#include "dbf/cdx.h"
#include "dbf/file.h"

#include <cstring>

namespace {

using namespace vorlan::dbf;

void check(std::string_view bytes, std::uint32_t offset, char pad) {
    KeyList keys;
    CdxTagInfo info;
    try {
        info = readCdxTag(bytes, offset, pad, keys);
    } catch (const DbfError&) {
        return;
    }
    std::vector<char> pool;
    std::vector<std::uint32_t> recs;
    const int keyLen = walkCdxTag(bytes, offset, pad, pool, recs);
    if (keyLen != keys.keyLength() || recs.size() != keys.size()) __builtin_trap();
    const auto len = static_cast<std::size_t>(keyLen);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys.recAt(i) != recs[i] || keys.recAt(i) == 0) __builtin_trap();
        if (std::memcmp(keys.keyAt(i).data(), pool.data() + i * len, len) != 0) __builtin_trap();
        if (i == 0) continue;
        const int c = std::memcmp(keys.keyAt(i - 1).data(), keys.keyAt(i).data(), len);
        if (info.header.descending ? c < 0 : c > 0) __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        for (const auto& tag : readCdxDirectory(bytes))
            check(bytes, tag.offset, ' ');
    } catch (const DbfError&) {
    }
    check(bytes, 0, '\0');
    return 0;
}
