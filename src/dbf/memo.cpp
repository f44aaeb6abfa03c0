#include "dbf/memo.h"
#include "core/cp1250.h"

#include <algorithm>
#include <vector>

namespace vorlan::dbf {

void MemoFile::open(const std::filesystem::path& path, MemoKind kind, bool readOnly) {
    file_.open(path, readOnly);
    kind_ = kind;
    unsigned char hdr[22] = {};
    if (file_.readAt(0, hdr, sizeof hdr) < 8)
        throw DbfError(czech("memosoubor je příliš krátký: ") + utf8ToCp1250(path.string()));
    std::uint32_t size = 512;
    bool sane = true;
    if (kind == MemoKind::Fpt) {
        // Some writers leave the size field 0 for the classic 512; sizes from 32 bytes up are
        // what the format can be given.
        size = getBe16(hdr + 6);
        if (size == 0) size = 512;
        sane = size >= kMinFptBlock;
    } else if (hdr[16] != 0x03 && getLe16(hdr + 20) != 0) {
        // The later layout keeps its block size, a multiple of 512; the classic one is 512.
        size = getLe16(hdr + 20);
        sane = size % 512 == 0;
    }
    if (!sane) {
        file_.close();
        throw DbfError(czech("memosoubor má nepřípustnou velikost bloku ") + std::to_string(size) +
                       ": " + utf8ToCp1250(path.string()));
    }
    blockSize_ = size;
}

void MemoFile::create(const std::filesystem::path& path, MemoKind kind, int blockSize) {
    kind_ = kind;
    if (kind == MemoKind::Dbt) blockSize = 512;
    if (blockSize < 1) blockSize = 64;
    // Block sizes 1..32 are a count of 512-byte units in the usual convention.
    if (blockSize <= 32) blockSize *= 512;
    if (blockSize > 65535) blockSize = 65535;
    blockSize_ = static_cast<std::uint32_t>(blockSize);
    file_.create(path);
    std::vector<unsigned char> hdr(512, 0);
    const std::uint32_t first = (512 + blockSize_ - 1) / blockSize_;
    if (kind == MemoKind::Fpt) {
        putBe32(hdr.data(), first);
        putBe16(hdr.data() + 6, blockSize_);
    } else {
        putLe32(hdr.data(), 1);
        hdr[16] = 0x03; // version byte of the classic layout
    }
    file_.writeAt(0, hdr.data(), hdr.size());
    if (kind == MemoKind::Fpt && first * blockSize_ > 512) {
        std::vector<unsigned char> pad(first * blockSize_ - 512, 0);
        file_.writeAt(512, pad.data(), pad.size());
    }
}

std::uint32_t MemoFile::nextFree() const {
    unsigned char hdr[4];
    file_.readExact(0, hdr, 4);
    std::uint32_t next = kind_ == MemoKind::Fpt ? getBe32(hdr) : getLe32(hdr);
    // Trust the file's size over a stale header, and over one that points past the end (new
    // memos would otherwise be written far beyond it).
    const std::uint64_t bySize = (file_.size() + blockSize_ - 1) / blockSize_;
    if (next != bySize)
        next = static_cast<std::uint32_t>(std::min<std::uint64_t>(bySize, UINT32_MAX));
    // Never inside the header, whatever a damaged header says.
    return std::max(next, firstBlock());
}

void MemoFile::setNextFree(std::uint32_t block) {
    unsigned char hdr[4];
    if (kind_ == MemoKind::Fpt)
        putBe32(hdr, block);
    else
        putLe32(hdr, block);
    file_.writeAt(0, hdr, 4);
}

bool MemoFile::holds(std::uint32_t block) const {
    return block >= firstBlock() && static_cast<std::uint64_t>(block) * blockSize_ < file_.size();
}

std::string MemoFile::read(std::uint32_t block) const {
    if (block == 0) return {};
    const std::uint64_t size = file_.size();
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * blockSize_;
    if (offset >= size)
        throw DbfError(czech("blok mema leží za koncem souboru ") +
                       utf8ToCp1250(file_.path().string()));
    if (kind_ == MemoKind::Fpt) {
        unsigned char hdr[8];
        file_.readExact(offset, hdr, 8);
        const std::uint32_t len = getBe32(hdr + 4);
        if (len > kMaxMemo || offset + 8 + len > size)
            throw DbfError(czech("poškozené memo v ") + utf8ToCp1250(file_.path().string()));
        std::string out(len, '\0');
        file_.readExact(offset + 8, out.data(), len);
        return out;
    }
    unsigned char hdr[8];
    const std::size_t got = file_.readAt(offset, hdr, 8);
    if (got == 8 && hdr[0] == 0xFF && hdr[1] == 0xFF && hdr[2] == 0x08 && hdr[3] == 0x00) {
        // The length includes the 8-byte block header.
        const std::uint32_t len = getLe32(hdr + 4);
        if (len < 8 || len - 8 > kMaxMemo || offset + len > size)
            throw DbfError(czech("poškozené memo v ") + utf8ToCp1250(file_.path().string()));
        std::string out(len - 8, '\0');
        file_.readExact(offset + 8, out.data(), len - 8);
        return out;
    }
    // Text up to the first 0x1A (the terminator is 0x1A 0x1A; a lone one ends it as well).
    std::string out;
    std::vector<char> buf(8192);
    std::uint64_t pos = offset;
    while (pos < size) {
        const std::size_t n = file_.readAt(pos, buf.data(), buf.size());
        if (n == 0) break;
        const auto end =
            std::find(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n), '\x1A');
        out.append(buf.begin(), end);
        if (end != buf.begin() + static_cast<std::ptrdiff_t>(n)) break;
        if (out.size() > kMaxMemo)
            throw DbfError(czech("poškozené memo v ") + utf8ToCp1250(file_.path().string()));
        pos += n;
    }
    return out;
}

std::uint32_t MemoFile::length(std::uint32_t block) const {
    if (block == 0) return 0;
    if (kind_ == MemoKind::Fpt) {
        const std::uint64_t offset = static_cast<std::uint64_t>(block) * blockSize_;
        unsigned char hdr[8];
        if (offset + 8 > file_.size()) throw DbfError(czech("blok mema leží za koncem souboru"));
        file_.readExact(offset, hdr, 8);
        return getBe32(hdr + 4);
    }
    return static_cast<std::uint32_t>(read(block).size());
}

std::uint32_t MemoFile::blocksUsed(std::uint32_t block) const {
    if (block == 0) return 0;
    try {
        const std::uint64_t bytes =
            kind_ == MemoKind::Fpt ? 8ull + length(block) : read(block).size() + 2ull;
        return static_cast<std::uint32_t>((bytes + blockSize_ - 1) / blockSize_);
    } catch (const DbfError&) {
        return 0;
    }
}

std::uint32_t MemoFile::write(std::string_view data, std::uint32_t oldBlock, bool binary) {
    if (data.empty()) return 0;
    if (data.size() > kMaxMemo) throw DbfError(czech("memo je příliš dlouhé"));
    std::string bytes;
    if (kind_ == MemoKind::Fpt) {
        bytes.resize(8);
        auto* p = reinterpret_cast<unsigned char*>(bytes.data());
        putBe32(p, binary ? 0 : 1);
        putBe32(p + 4, static_cast<std::uint32_t>(data.size()));
        bytes.append(data);
    } else {
        // The classic layout cannot hold a 0x1A inside the text; it would end the memo there.
        bytes.assign(data);
        bytes.append("\x1A\x1A");
    }
    const std::uint32_t need =
        static_cast<std::uint32_t>((bytes.size() + blockSize_ - 1) / blockSize_);
    std::uint32_t block = 0;
    if (holds(oldBlock) && blocksUsed(oldBlock) >= need) {
        block = oldBlock;
    } else {
        block = nextFree();
        setNextFree(block + need);
    }
    // Pad to the block boundary so the file always ends on one.
    bytes.resize(static_cast<std::size_t>(need) * blockSize_, '\0');
    file_.writeAt(static_cast<std::uint64_t>(block) * blockSize_, bytes.data(), bytes.size());
    return block;
}

} // namespace vorlan::dbf
