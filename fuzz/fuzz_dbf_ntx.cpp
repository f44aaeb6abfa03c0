// The .NTX reader: any bytes must give a key list in order or fail with DbfError (cycles,
// offsets past the end, impossible counts). A tree the reader takes is then changed in place by
// the page editor (one key removed, one added): the editor either refuses the tree or leaves one
// that reads back as exactly the changed key list.
#include "dbf/file.h"
#include "dbf/index.h"
#include "dbf/ntx_pages.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace vorlan::dbf;
using Entry = std::pair<std::string, std::uint32_t>;

void editInPlace(std::string bytes, const IndexHeader& h, const KeyList& keys) {
    if (keys.size() == 0 || bytes.size() > (1u << 20)) return;
    // A free list that crosses the tree is damage no writer working in place can tell from a
    // sound list: the editor starts from an empty one here.
    std::memset(bytes.data() + 8, 0, 4);
    const auto path = std::filesystem::temp_directory_path() /
                      ("vorlan_fuzz_ntx_" + std::to_string(getpid()) + ".ntx");
    std::vector<Entry> expected;
    std::uint32_t maxRec = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        expected.emplace_back(std::string(keys.keyAt(i)), keys.recAt(i));
        maxRec = std::max(maxRec, keys.recAt(i));
    }
    const Entry gone = expected[expected.size() / 2];
    // A key already present would be a second entry of it, which a unique order refuses.
    const Entry added{expected.front().first, maxRec + 1};
    const bool adding = !h.unique && maxRec < 0xFFFFFFFFu;
    try {
        File f;
        f.create(path);
        f.writeAt(0, bytes.data(), bytes.size());
        NtxPageEditor editor(f, reinterpret_cast<const unsigned char*>(bytes.data()), h.descending);
        // The reader found the key in order: a search of the same tree must find it too.
        if (!editor.erase(gone.first, gone.second)) __builtin_trap();
        if (adding) editor.insert(added.first, added.second);
        editor.flush();
    } catch (const DbfError&) {
        std::filesystem::remove(path);
        return;
    }
    std::erase(expected, gone);
    const auto before = [&](const Entry& a, const Entry& b) {
        int c = std::memcmp(a.first.data(), b.first.data(), a.first.size());
        if (h.descending) c = -c;
        return c != 0 ? c < 0 : a.second < b.second;
    };
    if (adding)
        expected.insert(std::upper_bound(expected.begin(), expected.end(), added, before), added);
    KeyList back;
    try {
        File f;
        f.open(path, true);
        std::string now(static_cast<std::size_t>(f.size()), '\0');
        f.readExact(0, now.data(), now.size());
        f.close();
        std::filesystem::remove(path);
        readNtxBytes(now, back);
    } catch (const DbfError&) {
        __builtin_trap();
    }
    if (back.size() != expected.size()) __builtin_trap();
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (back.keyAt(i) != expected[i].first || back.recAt(i) != expected[i].second)
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KeyList keys;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    IndexHeader h;
    try {
        h = readNtxBytes(bytes, keys);
        if (keys.keyLength() != h.keyLength) __builtin_trap();
        for (std::size_t i = 1; i < keys.size(); ++i) {
            const int c = std::memcmp(keys.keyAt(i - 1).data(), keys.keyAt(i).data(),
                                      static_cast<std::size_t>(keys.keyLength()));
            if (h.descending ? c < 0 : c > 0) __builtin_trap();
        }
    } catch (const DbfError&) {
        return 0;
    }
    editInPlace(bytes, h, keys);
    return 0;
}
