// Compound .CDX index files (and the single-order compact .IDX layout inside them), as the public
// "Compound Index File Structure" and "Compact Index File Structure" descriptions give them:
//
// Every order has a 1024-byte header: root node offset LE32, free list LE32 (-1 none), a version
// LE32, key length LE16, options (1 unique, 8 FOR clause, 32 compact, 64 compound), signature,
// at 502 the descending flag LE16, at 504/506 the FOR expression's position and length, at
// 508/510 the key expression's position and length in the 512-byte expression pool at 512.
//
// Nodes are 512 bytes: attributes LE16 (1 root, 2 leaf), key count LE16, left and right sibling
// offsets LE32 (-1 none). Interior nodes then hold entries of the full key, the record number
// (big-endian 4 bytes) and the child offset (big-endian 4 bytes); each entry carries the greatest
// key of its child. Leaf nodes hold at 12 the free space LE16, the record-number mask LE32, the
// duplicate and trailing count masks, their bit counts and the bytes per entry; from 24 the
// packed entries (record number | duplicate count | trailing count, little-endian bit fields),
// and from the end of the node backwards the keys without their shared prefix and trailing pad.
//
// The file starts with the tag directory: an order whose keys are the tag names (10 bytes) and
// whose record numbers are the offsets of the tag headers.

#include "dbf/cdx.h"
#include "core/cp1250.h"
#include "dbf/settings.h"

#include "dbf/file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorlan::dbf {
namespace {

constexpr std::size_t kNode = 512;
constexpr std::size_t kHeader = 1024;
constexpr std::size_t kLeafData = kNode - 24;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr int kMaxCdxDepth = 64;

int bitsFor(std::uint64_t v) {
    int b = 0;
    while (v > 0) {
        ++b;
        v >>= 1;
    }
    return std::max(b, 1);
}

struct Entry {
    const char* key;
    std::uint32_t rec;
};

// Builds the nodes of one order at `base` (a multiple of 512) and answers the root's offset.
std::uint32_t buildTree(std::vector<unsigned char>& out, std::uint32_t base,
                        const std::vector<Entry>& entries, int keyLen, char pad) {
    std::uint32_t maxRec = 0;
    for (const auto& e : entries)
        maxRec = std::max(maxRec, e.rec);
    const int countBits = bitsFor(static_cast<std::uint64_t>(keyLen));
    int bytes = (bitsFor(maxRec) + 2 * countBits + 7) / 8;
    if (bytes < 3) bytes = 3;
    const int recBits = std::min(32, bytes * 8 - 2 * countBits);
    const std::uint32_t recMask = recBits >= 32 ? 0xFFFFFFFFu : ((1u << recBits) - 1);
    const std::uint32_t countMask = (1u << countBits) - 1;

    struct Node {
        std::vector<unsigned char> bytes;
        std::size_t last; // index of the last entry in the node
    };
    std::vector<Node> leaves;
    std::size_t i = 0;
    do {
        Node n{std::vector<unsigned char>(kNode, 0), 0};
        unsigned char* p = n.bytes.data();
        std::size_t used = 0, count = 0, keyEnd = kNode;
        const char* prev = nullptr;
        while (i < entries.size()) {
            const char* k = entries[i].key;
            int trail = 0;
            while (trail < keyLen && k[keyLen - 1 - trail] == pad)
                ++trail;
            int dup = 0;
            if (prev)
                while (dup < keyLen - trail && prev[dup] == k[dup])
                    ++dup;
            const std::size_t stored = static_cast<std::size_t>(keyLen - dup - trail);
            if (used + static_cast<std::size_t>(bytes) + stored > kLeafData) break;
            std::uint64_t v = (entries[i].rec & recMask) |
                              (static_cast<std::uint64_t>(dup) << recBits) |
                              (static_cast<std::uint64_t>(trail) << (recBits + countBits));
            unsigned char* ep = p + 24 + count * static_cast<std::size_t>(bytes);
            for (int b = 0; b < bytes; ++b)
                ep[b] = static_cast<unsigned char>(v >> (8 * b));
            keyEnd -= stored;
            std::memcpy(p + keyEnd, k + dup, stored);
            used += static_cast<std::size_t>(bytes) + stored;
            ++count;
            prev = k;
            ++i;
        }
        if (count == 0 && i < entries.size())
            throw DbfError(czech("klíč indexu je pro uzel příliš dlouhý"));
        putLe16(p, 2);
        putLe16(p + 2, static_cast<std::uint32_t>(count));
        putLe16(p + 12, static_cast<std::uint32_t>(kLeafData - used));
        putLe32(p + 14, recMask);
        p[18] = static_cast<unsigned char>(countMask);
        p[19] = static_cast<unsigned char>(countMask);
        p[20] = static_cast<unsigned char>(recBits);
        p[21] = static_cast<unsigned char>(countBits);
        p[22] = static_cast<unsigned char>(countBits);
        p[23] = static_cast<unsigned char>(bytes);
        n.last = i - 1;
        if (count == 0) n.last = static_cast<std::size_t>(-1);
        leaves.push_back(std::move(n));
    } while (i < entries.size());

    std::uint32_t next = base;
    auto place = [&](std::vector<Node>& level) {
        std::vector<std::uint32_t> offs;
        for (std::size_t j = 0; j < level.size(); ++j) {
            offs.push_back(next);
            next += kNode;
        }
        for (std::size_t j = 0; j < level.size(); ++j) {
            putLe32(level[j].bytes.data() + 4, j == 0 ? kNone : offs[j - 1]);
            putLe32(level[j].bytes.data() + 8, j + 1 == level.size() ? kNone : offs[j + 1]);
        }
        return offs;
    };
    std::vector<Node> level = std::move(leaves);
    std::vector<std::uint32_t> offs = place(level);
    const std::size_t perInterior = (kNode - 12) / static_cast<std::size_t>(keyLen + 8);
    if (perInterior < 2) throw DbfError(czech("klíč indexu je pro uzel příliš dlouhý"));
    while (level.size() > 1) {
        std::vector<Node> up;
        for (std::size_t j = 0; j < level.size(); j += perInterior) {
            Node n{std::vector<unsigned char>(kNode, 0), 0};
            unsigned char* p = n.bytes.data();
            const std::size_t cnt = std::min(perInterior, level.size() - j);
            for (std::size_t c = 0; c < cnt; ++c) {
                unsigned char* ep = p + 12 + c * static_cast<std::size_t>(keyLen + 8);
                const Entry& e = entries[level[j + c].last];
                std::memcpy(ep, e.key, static_cast<std::size_t>(keyLen));
                putBe32(ep + keyLen, e.rec);
                putBe32(ep + keyLen + 4, offs[j + c]);
            }
            putLe16(p, 0);
            putLe16(p + 2, static_cast<std::uint32_t>(cnt));
            n.last = level[j + cnt - 1].last;
            up.push_back(std::move(n));
        }
        for (std::size_t j = 0; j < level.size(); ++j)
            out.insert(out.end(), level[j].bytes.begin(), level[j].bytes.end());
        level = std::move(up);
        offs = place(level);
    }
    unsigned char* root = level[0].bytes.data();
    putLe16(root, getLe16(root) | 1);
    out.insert(out.end(), level[0].bytes.begin(), level[0].bytes.end());
    return offs[0];
}

void putHeader(unsigned char* h, std::uint32_t root, const IndexHeader& hdr, std::uint8_t options) {
    std::memset(h, 0, kHeader);
    putLe32(h, root);
    putLe32(h + 4, kNone);
    putLe32(h + 8, hdr.version);
    putLe16(h + 12, static_cast<std::uint32_t>(hdr.keyLength));
    std::uint8_t opt = options;
    if (hdr.unique) opt |= 0x01;
    if (!hdr.forExpr.empty()) opt |= 0x08;
    h[14] = opt;
    h[15] = 0x01;
    putLe16(h + 502, hdr.descending ? 1 : 0);
    const std::string key = hdr.keyExpr.substr(0, 255);
    const std::string cond = hdr.forExpr.substr(0, 255);
    std::memcpy(h + 512, key.data(), key.size());
    std::memcpy(h + 512 + key.size() + 1, cond.data(), cond.size());
    putLe16(h + 504, static_cast<std::uint32_t>(key.size() + 1));
    putLe16(h + 506, static_cast<std::uint32_t>(cond.size() + 1));
    putLe16(h + 508, 0);
    putLe16(h + 510, static_cast<std::uint32_t>(key.size() + 1));
}

std::string poolString(const unsigned char* h, std::uint32_t pos, std::uint32_t len) {
    if (pos >= 512) return {};
    len = std::min<std::uint32_t>(len, 512 - pos);
    std::size_t n = 0;
    while (n < len && h[512 + pos + n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(h + 512 + pos), n);
}

} // namespace

std::vector<CdxTagInfo> writeCdxFile(const std::filesystem::path& path,
                                     const std::vector<CdxTagOut>& tags, std::uint32_t counter) {
    // Tag header pages follow in the order of `tags` (the order the tags were made in): readers
    // number the tags of a compound index by that order, not by the directory's name order.
    std::vector<unsigned char> out(kHeader, 0);
    std::vector<std::uint32_t> tagOffsets;
    for (const auto& t : tags) {
        const auto at = static_cast<std::uint32_t>(out.size());
        tagOffsets.push_back(at);
        out.resize(out.size() + kHeader, 0);
        std::vector<Entry> entries;
        entries.reserve(t.keys->size());
        for (std::size_t i = 0; i < t.keys->size(); ++i)
            entries.push_back({t.keys->keyAt(i).data(), t.keys->recAt(i)});
        const std::uint32_t root = buildTree(out, at + kHeader, entries, t.header.keyLength, t.pad);
        putHeader(out.data() + at, root, t.header, 0x60);
    }
    // The directory: tag names, padded to ten characters, with their header offsets.
    std::vector<std::string> names;
    for (const auto& t : tags) {
        std::string n = t.name.substr(0, 10);
        n.resize(10, ' ');
        names.push_back(n);
    }
    std::vector<Entry> dir;
    for (std::size_t i = 0; i < tags.size(); ++i)
        dir.push_back({names[i].data(), tagOffsets[i]});
    std::sort(dir.begin(), dir.end(),
              [](const Entry& a, const Entry& b) { return std::memcmp(a.key, b.key, 10) < 0; });
    const auto dirBase = static_cast<std::uint32_t>(out.size());
    IndexHeader dh;
    dh.keyLength = 10;
    dh.version = counter;
    const std::uint32_t dirRoot = buildTree(out, dirBase, dir, 10, ' ');
    putHeader(out.data(), dirRoot, dh, 0xE0);
    const auto tmp = tempNameBeside(path);
    File f;
    f.create(tmp);
    f.writeInPages(0, out.data(), out.size());
    f.close();
    replaceFile(tmp, path, settings().syncToDisk);
    std::vector<CdxTagInfo> written;
    for (std::size_t i = 0; i < tags.size(); ++i)
        written.push_back({tags[i].name, tags[i].header, tagOffsets[i]});
    return written;
}

void writeIdxFile(const std::filesystem::path& path, const IndexHeader& header, const KeyList& keys,
                  char pad) {
    std::vector<unsigned char> out(kHeader, 0);
    std::vector<Entry> entries;
    entries.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        entries.push_back({keys.keyAt(i).data(), keys.recAt(i)});
    const std::uint32_t root = buildTree(out, kHeader, entries, header.keyLength, pad);
    putHeader(out.data(), root, header, 0x20);
    const auto tmp = tempNameBeside(path);
    File f;
    f.create(tmp);
    f.writeInPages(0, out.data(), out.size());
    f.close();
    replaceFile(tmp, path, settings().syncToDisk);
}

namespace {

CdxTagInfo readTagHeader(std::string_view bytes, std::uint32_t offset) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (offset % kNode != 0 || static_cast<std::size_t>(offset) + kHeader > bytes.size())
        throw DbfError(czech("poškozený index CDX: hlavička značky mimo soubor"));
    const unsigned char* h = data + offset;
    CdxTagInfo info;
    info.offset = offset;
    info.header.keyLength = getLe16(h + 12);
    info.header.version = getLe32(h + 8);
    info.header.unique = (h[14] & 0x01) != 0;
    info.header.descending = getLe16(h + 502) != 0;
    info.header.keyExpr = poolString(h, getLe16(h + 508), getLe16(h + 510));
    if (h[14] & 0x08) info.header.forExpr = poolString(h, getLe16(h + 504), getLe16(h + 506));
    if (info.header.keyLength < 1 || info.header.keyLength > 240)
        throw DbfError(czech("poškozený index CDX: délka klíče"));
    return info;
}

} // namespace

int walkCdxTag(std::string_view bytes, std::uint32_t offset, char pad, std::vector<char>& pool,
               std::vector<std::uint32_t>& recs) {
    const CdxTagInfo info = readTagHeader(bytes, offset);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    const unsigned char* h = data + offset;
    const int keyLen = info.header.keyLength;
    pool.clear();
    recs.clear();
    std::vector<bool> visited(size / kNode + 1, false);
    auto node = [&](std::uint32_t off) -> const unsigned char* {
        if (off % kNode != 0 || static_cast<std::size_t>(off) + kNode > size)
            throw DbfError(czech("poškozený index CDX: uzel mimo soubor"));
        if (visited[off / kNode])
            throw DbfError(czech("poškozený index CDX: uzel je ve stromu dvakrát"));
        visited[off / kNode] = true;
        return data + off;
    };
    // Down the left edge to the first leaf, then along the leaves.
    std::uint32_t off = getLe32(h);
    const unsigned char* n = node(off);
    for (int depth = 0; !(getLe16(n) & 2); ++depth) {
        if (depth > kMaxCdxDepth)
            throw DbfError(czech("poškozený index CDX: příliš hluboký strom"));
        if (getLe16(n + 2) == 0) throw DbfError(czech("poškozený index CDX: prázdný vnitřní uzel"));
        if (12 + static_cast<std::size_t>(keyLen) + 8 > kNode)
            throw DbfError(czech("poškozený index CDX: délka klíče"));
        off = getBe32(n + 12 + keyLen + 4);
        n = node(off);
    }
    std::vector<char> prev(static_cast<std::size_t>(keyLen), pad);
    for (;;) {
        const std::size_t count = getLe16(n + 2);
        const std::uint32_t recMask = getLe32(n + 14);
        const unsigned dupMask = n[18], trailMask = n[19];
        const int recBits = n[20], dupBits = n[21];
        const std::size_t bytesPer = n[23];
        if (bytesPer < 1 || bytesPer > 8 || recBits + dupBits >= 64 ||
            24 + count * bytesPer > kNode)
            throw DbfError(czech("poškozený index CDX: chybné uspořádání listu"));
        std::size_t keyEnd = kNode;
        for (std::size_t i = 0; i < count; ++i) {
            std::uint64_t v = 0;
            const unsigned char* ep = n + 24 + i * bytesPer;
            for (std::size_t b = 0; b < bytesPer; ++b)
                v |= static_cast<std::uint64_t>(ep[b]) << (8 * b);
            const std::uint32_t rec = static_cast<std::uint32_t>(v) & recMask;
            const int dup = static_cast<int>((v >> recBits) & dupMask);
            const int trail = static_cast<int>((v >> (recBits + dupBits)) & trailMask);
            const int stored = keyLen - dup - trail;
            if (dup > keyLen || trail > keyLen || stored < 0 ||
                static_cast<std::size_t>(stored) > keyEnd ||
                keyEnd - static_cast<std::size_t>(stored) < 24 + count * bytesPer)
                throw DbfError(czech("poškozený index CDX: chybná položka listu"));
            keyEnd -= static_cast<std::size_t>(stored);
            std::memcpy(prev.data() + dup, n + keyEnd, static_cast<std::size_t>(stored));
            std::fill(prev.begin() + dup + stored, prev.end(), pad);
            pool.insert(pool.end(), prev.begin(), prev.end());
            recs.push_back(rec);
        }
        const std::uint32_t right = getLe32(n + 8);
        if (right == kNone || right == 0) break;
        n = node(right);
        if (!(getLe16(n) & 2))
            throw DbfError(czech("poškozený index CDX: řetěz listů vede do vnitřního uzlu"));
    }
    return keyLen;
}

CdxTagInfo readCdxTag(std::string_view bytes, std::uint32_t offset, char pad, KeyList& keys,
                      bool withKeys) {
    CdxTagInfo info = readTagHeader(bytes, offset);
    if (!withKeys) return info;
    std::vector<char> pool;
    std::vector<std::uint32_t> recs;
    walkCdxTag(bytes, offset, pad, pool, recs);
    keys.reset(info.header.keyLength, info.header.descending, info.header.unique);
    keys.loadChecked(std::move(pool), std::move(recs));
    return info;
}

std::vector<CdxTagInfo> readCdxDirectory(std::string_view bytes) {
    // The directory's own order is not checked: a tag is found by its name, whatever its place.
    std::vector<char> names;
    std::vector<std::uint32_t> offsets;
    walkCdxTag(bytes, 0, ' ', names, offsets);
    const std::size_t nameLen = offsets.empty() ? 0 : names.size() / offsets.size();
    std::vector<CdxTagInfo> out;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        CdxTagInfo t = readTagHeader(bytes, offsets[i]);
        std::string n(names.data() + i * nameLen, nameLen);
        while (!n.empty() && (n.back() == ' ' || n.back() == '\0'))
            n.pop_back();
        t.name = n;
        out.push_back(std::move(t));
        if (out.size() > 1024) throw DbfError(czech("poškozený index CDX: příliš mnoho značek"));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const CdxTagInfo& a, const CdxTagInfo& b) { return a.offset < b.offset; });
    return out;
}

std::string readWholeFile(const std::filesystem::path& path) {
    File f;
    f.open(path, true);
    const std::uint64_t size = f.size();
    if (size > (std::uint64_t{1} << 32))
        throw DbfError(czech("indexový soubor je příliš velký: ") + utf8ToCp1250(path.string()));
    std::string bytes(static_cast<std::size_t>(size), '\0');
    f.readExact(0, bytes.data(), bytes.size());
    return bytes;
}

std::string cdxNumericKey(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, 8);
    if (value == 0) bits = 0; // -0 and 0 are one key
    bits = (bits & 0x8000000000000000ull) ? ~bits : (bits | 0x8000000000000000ull);
    std::string k(8, '\0');
    for (int i = 0; i < 8; ++i)
        k[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (56 - 8 * i));
    return k;
}

} // namespace vorlan::dbf
