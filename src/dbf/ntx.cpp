// .NTX index files, as publicly described in the "NTX file format" notes:
//
// Page 0 (1024 bytes) is the header: signature LE16 (0x06, older files 0x03), version counter
// LE16, root page offset LE32, first free page offset LE32, item size LE16 (key size + 8), key
// size LE16, key decimals LE16, maximum items per page LE16, half page LE16, the key expression
// (256 bytes, zero-terminated), the unique flag (byte 278), the descending flag (byte 280) and the
// FOR expression (256 bytes from 282).
//
// Every other page is 1024 bytes: an item count LE16, then maximum items + 1 offsets LE16 (the
// items' places in the page, in key order), then the items: left child page offset LE32, record
// number LE32, key bytes. The item at index `count` holds only the right-most child pointer. The
// tree is a B-tree whose inner items are records too: an in-order walk yields every key once.

#include "core/cp1250.h"
#include "dbf/file.h"
#include "dbf/index.h"
#include "dbf/ntx_pages.h"
#include "dbf/settings.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorlan::dbf {
namespace {

constexpr std::size_t kPage = 1024;
constexpr int kMaxNtxDepth = 64;

struct Layout {
    int keySize;
    int itemSize;
    int maxItems;
    std::size_t itemBase;
};

Layout layoutFor(int keySize) {
    Layout l{};
    l.keySize = keySize;
    l.itemSize = keySize + 8;
    l.maxItems = static_cast<int>((kPage - 2) / static_cast<std::size_t>(l.itemSize + 2)) - 1;
    if (l.maxItems % 2 == 1) --l.maxItems;
    l.itemBase = 2 + static_cast<std::size_t>(l.maxItems + 1) * 2;
    return l;
}

// One page being built: items (record, key, left child) plus the right-most child.
struct BuildItem {
    std::uint32_t left;
    std::uint32_t rec;
    std::size_t keyPos; // position in the key list
};

void writePage(std::vector<unsigned char>& page, const Layout& l, const KeyList& keys,
               const std::vector<BuildItem>& items, std::uint32_t rightChild) {
    std::fill(page.begin(), page.end(), 0);
    putLe16(page.data(), static_cast<std::uint32_t>(items.size()));
    for (int j = 0; j <= l.maxItems; ++j)
        putLe16(page.data() + 2 + 2 * j,
                static_cast<std::uint32_t>(l.itemBase + static_cast<std::size_t>(j) * l.itemSize));
    for (std::size_t j = 0; j <= items.size(); ++j) {
        unsigned char* it = page.data() + l.itemBase + j * static_cast<std::size_t>(l.itemSize);
        if (j == items.size()) {
            putLe32(it, rightChild);
            continue;
        }
        putLe32(it, items[j].left);
        putLe32(it + 4, items[j].rec);
        const std::string_view k = keys.keyAt(items[j].keyPos);
        std::memcpy(it + 8, k.data(), std::min(k.size(), static_cast<std::size_t>(l.keySize)));
    }
}

} // namespace

void writeNtxFile(const std::filesystem::path& path, const IndexHeader& header,
                  const KeyList& keys) {
    const Layout l = layoutFor(header.keyLength);
    if (l.maxItems < 2) throw DbfError(czech("klíč indexu je příliš dlouhý"));
    const auto tmp = tempNameBeside(path);
    File out;
    out.create(tmp);
    std::vector<unsigned char> page(kPage, 0);
    std::uint32_t nextPage = 1;
    std::vector<unsigned char> batch;
    auto emit = [&](std::uint32_t& offset) {
        offset = nextPage * static_cast<std::uint32_t>(kPage);
        ++nextPage;
        batch.insert(batch.end(), page.begin(), page.end());
        if (batch.size() >= (1u << 20)) {
            out.writeInPages(static_cast<std::uint64_t>(offset) + kPage - batch.size(),
                             batch.data(), batch.size());
            batch.clear();
        }
    };

    // Bottom-up build. A level is a list of child pages with separators between them; leaves
    // take the keys in runs, the key after each run goes up as a separator.
    const std::size_t n = keys.size();
    const std::size_t fill = static_cast<std::size_t>(l.maxItems);
    std::vector<std::uint32_t> children;
    std::vector<std::size_t> separators; // key positions between consecutive children
    {
        const std::size_t leaves = (n + 1 + fill) / (fill + 1); // ceil((n + 1) / (fill + 1))
        const std::size_t inLeaves = n - (leaves - 1);
        std::size_t pos = 0;
        std::vector<BuildItem> items;
        for (std::size_t i = 0; i < leaves; ++i) {
            const std::size_t take = inLeaves / leaves + (i < inLeaves % leaves ? 1 : 0);
            items.clear();
            for (std::size_t j = 0; j < take; ++j, ++pos)
                items.push_back({0, keys.recAt(pos), pos});
            writePage(page, l, keys, items, 0);
            std::uint32_t off = 0;
            emit(off);
            children.push_back(off);
            if (i + 1 < leaves) separators.push_back(pos++);
        }
    }
    while (children.size() > 1) {
        const std::size_t k = children.size();
        const std::size_t nodes = (k + fill) / (fill + 1); // ceil(k / (fill + 1))
        std::vector<std::uint32_t> upChildren;
        std::vector<std::size_t> upSeparators;
        std::size_t c = 0;
        std::vector<BuildItem> items;
        for (std::size_t i = 0; i < nodes; ++i) {
            const std::size_t take = k / nodes + (i < k % nodes ? 1 : 0); // children in node
            items.clear();
            for (std::size_t j = 0; j + 1 < take; ++j) {
                const std::size_t sp = separators[c + j];
                items.push_back({children[c + j], keys.recAt(sp), sp});
            }
            writePage(page, l, keys, items, children[c + take - 1]);
            std::uint32_t off = 0;
            emit(off);
            upChildren.push_back(off);
            if (i + 1 < nodes) upSeparators.push_back(separators[c + take - 1]);
            c += take;
        }
        children = std::move(upChildren);
        separators = std::move(upSeparators);
    }
    if (!batch.empty())
        out.writeInPages(static_cast<std::uint64_t>(nextPage) * kPage - batch.size(), batch.data(),
                         batch.size());

    std::fill(page.begin(), page.end(), 0);
    putLe16(page.data(), 0x06);
    // The version word is the low half of the change counter (ntx_pages.h).
    setNtxCounter(page.data(), header.version);
    putLe32(page.data() + 4, children.front());
    putLe32(page.data() + 8, 0);
    putLe16(page.data() + 12, static_cast<std::uint32_t>(l.itemSize));
    putLe16(page.data() + 14, static_cast<std::uint32_t>(l.keySize));
    putLe16(page.data() + 16, static_cast<std::uint32_t>(header.keyDecimals));
    putLe16(page.data() + 18, static_cast<std::uint32_t>(l.maxItems));
    putLe16(page.data() + 20, static_cast<std::uint32_t>(l.maxItems / 2));
    std::memcpy(page.data() + 22, header.keyExpr.data(),
                std::min<std::size_t>(header.keyExpr.size(), 255));
    page[278] = header.unique ? 1 : 0;
    page[280] = header.descending ? 1 : 0;
    std::memcpy(page.data() + 282, header.forExpr.data(),
                std::min<std::size_t>(header.forExpr.size(), 255));
    out.writeAt(0, page.data(), page.size());
    out.close();
    replaceFile(tmp, path, settings().syncToDisk);
}

IndexHeader readNtxBytes(std::string_view bytes, KeyList& keys, IndexHeader* headerRead) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    if (size < kPage) throw DbfError(czech("indexový soubor je příliš krátký"));
    const std::uint16_t sig = getLe16(data);
    if ((sig & 0xFF) != 0x06 && (sig & 0xFF) != 0x03) throw DbfError(czech("není to index NTX"));
    IndexHeader h;
    h.version = ntxCounter(data);
    const std::uint32_t root = getLe32(data + 4);
    const int itemSize = getLe16(data + 12);
    h.keyLength = getLe16(data + 14);
    h.keyDecimals = getLe16(data + 16);
    const int maxItems = getLe16(data + 18);
    if (h.keyLength < 1 || h.keyLength > 256 || itemSize < h.keyLength + 8 ||
        static_cast<std::size_t>(itemSize) > kPage - 4 || maxItems < 1 ||
        2 + static_cast<std::size_t>(maxItems + 1) * 2 > kPage)
        throw DbfError(czech("poškozená hlavička indexu NTX"));
    auto cstr = [&](std::size_t at, std::size_t max) {
        std::size_t len = 0;
        while (len < max && data[at + len] != 0)
            ++len;
        return std::string(reinterpret_cast<const char*>(data + at), len);
    };
    h.keyExpr = cstr(22, 256);
    h.unique = data[278] != 0;
    h.descending = data[280] != 0;
    h.forExpr = cstr(282, 256);
    while (!h.forExpr.empty() && h.forExpr.back() == ' ')
        h.forExpr.pop_back();
    keys.reset(h.keyLength, h.descending, h.unique);
    if (headerRead) *headerRead = h;

    std::vector<char> pool;
    std::vector<std::uint32_t> recs;
    const std::size_t pageCount = size / kPage;
    std::vector<bool> visited(pageCount, false);
    auto pageAt = [&](std::uint32_t off) -> const unsigned char* {
        if (off % kPage != 0 || off == 0 || static_cast<std::size_t>(off) + kPage > size)
            throw DbfError(czech("poškozený index NTX: stránka mimo soubor"));
        const std::size_t idx = off / kPage;
        if (visited[idx])
            throw DbfError(czech("poškozený index NTX: stránka je ve stromu dvakrát"));
        visited[idx] = true;
        return data + off;
    };
    auto itemAt = [&](const unsigned char* page, int j) -> const unsigned char* {
        const std::size_t o = getLe16(page + 2 + 2 * j);
        if (o < 2 || o + static_cast<std::size_t>(itemSize) > kPage)
            throw DbfError(czech("poškozený index NTX: chybná poloha položky"));
        return page + o;
    };
    struct Frame {
        const unsigned char* page;
        int count;
        int next; // next item whose left subtree is to be walked
    };
    std::vector<Frame> stack;
    auto push = [&](std::uint32_t off) {
        if (stack.size() >= kMaxNtxDepth)
            throw DbfError(czech("poškozený index NTX: příliš hluboký strom"));
        const unsigned char* p = pageAt(off);
        const int count = getLe16(p);
        if (count > maxItems)
            throw DbfError(czech("poškozený index NTX: příliš mnoho položek na stránce"));
        stack.push_back({p, count, 0});
    };
    if (root != 0) push(root);
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.next > f.count) {
            stack.pop_back();
            if (!stack.empty()) {
                // Coming back up: the parent's item after the walked subtree is next in order.
                Frame& parent = stack.back();
                const int j = parent.next - 1;
                if (j < parent.count) {
                    const unsigned char* it = itemAt(parent.page, j);
                    pool.insert(pool.end(), it + 8, it + 8 + h.keyLength);
                    recs.push_back(getLe32(it + 4));
                }
            }
            continue;
        }
        const int j = f.next++;
        const unsigned char* it = itemAt(f.page, j);
        const std::uint32_t left = getLe32(it);
        if (left != 0) {
            push(left);
            continue;
        }
        if (j < f.count) {
            pool.insert(pool.end(), it + 8, it + 8 + h.keyLength);
            recs.push_back(getLe32(it + 4));
        }
    }
    keys.loadChecked(std::move(pool), std::move(recs));
    return h;
}

IndexHeader readNtxFile(const std::filesystem::path& path, KeyList& keys, IndexHeader* headerRead) {
    File f;
    f.open(path, true);
    const std::uint64_t size = f.size();
    if (size > (std::uint64_t{1} << 32))
        throw DbfError(czech("indexový soubor je příliš velký: ") + utf8ToCp1250(path.string()));
    std::string bytes(static_cast<std::size_t>(size), '\0');
    f.readExact(0, bytes.data(), bytes.size());
    try {
        return readNtxBytes(bytes, keys, headerRead);
    } catch (const IndexDamage& e) {
        throw IndexDamage(std::string(e.what()) + ": " + utf8ToCp1250(path.string()));
    } catch (const DbfError& e) {
        throw DbfError(std::string(e.what()) + ": " + utf8ToCp1250(path.string()));
    }
}

} // namespace vorlan::dbf
