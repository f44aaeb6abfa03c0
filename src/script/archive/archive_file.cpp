#include "script/archive/program_archive.h"

#include "core/cp1250.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unordered_map>

namespace vorlan::archive {

namespace {

constexpr std::uint16_t kKeyFactor = 0x2D99;
// Name length byte plus the four integers: the least an entry can take.
constexpr std::int64_t kMinEntrySize = 1 + 4 * 4;

std::int32_t int32At(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(v);
}

} // namespace

std::string unscrambleText(std::string_view scrambled, std::uint16_t key) {
    std::string out(scrambled);
    const std::size_t count = scrambled.size() % 256;
    for (std::size_t i = 0; i < count; ++i) {
        const auto in = static_cast<unsigned char>(scrambled[i]);
        out[i] = static_cast<char>(in ^ (key >> 8));
        key = static_cast<std::uint16_t>((key + in) * kKeyFactor);
    }
    return out;
}

std::string scrambleText(std::string_view plain, std::uint16_t key) {
    std::string out(plain);
    const std::size_t count = plain.size() % 256;
    for (std::size_t i = 0; i < count; ++i) {
        const auto scrambled =
            static_cast<unsigned char>(static_cast<unsigned char>(plain[i]) ^ (key >> 8));
        out[i] = static_cast<char>(scrambled);
        key = static_cast<std::uint16_t>((key + scrambled) * kKeyFactor);
    }
    return out;
}

std::uint16_t lineKey(std::size_t index, int padLength) {
    return static_cast<std::uint16_t>(kLineKey + index + static_cast<std::size_t>(padLength));
}

std::string changeFileExt(std::string_view name, std::string_view ext) {
    const std::size_t dot = name.find_last_of(".\\/:");
    if (dot == std::string_view::npos || name[dot] != '.')
        return std::string(name) + std::string(ext);
    return std::string(name.substr(0, dot)) + std::string(ext);
}

std::string directoryItem(const DirectoryEntry& entry) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%8d%8d%8d", entry.formOffset, entry.formSize,
                  entry.sourceOffset);
    return entry.name + "*" + numbers;
}

// --- ArchiveFile --------------------------------------------------------------------------------

ArchiveFile::ArchiveFile(std::unique_ptr<std::istream> in, std::int64_t size,
                         std::string displayName)
    : in_(std::move(in)), size_(size), displayName_(std::move(displayName)) {}

std::unique_ptr<ArchiveFile> ArchiveFile::open(const std::filesystem::path& hostPath) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(hostPath, ec)) return nullptr;
    const auto size = std::filesystem::file_size(hostPath, ec);
    if (ec) return nullptr;
    auto in = std::make_unique<std::ifstream>(hostPath, std::ios::binary);
    if (!*in) return nullptr;
    return std::unique_ptr<ArchiveFile>(
        new ArchiveFile(std::move(in), static_cast<std::int64_t>(size), hostPath.string()));
}

std::unique_ptr<ArchiveFile> ArchiveFile::fromBytes(std::string bytes, std::string displayName) {
    const auto size = static_cast<std::int64_t>(bytes.size());
    return std::unique_ptr<ArchiveFile>(
        new ArchiveFile(std::make_unique<std::istringstream>(std::move(bytes), std::ios::binary),
                        size, std::move(displayName)));
}

void ArchiveFile::damaged(const std::string& what) const {
    throw ArchiveError("Archiv programu " + displayName_ + " je poškozen: " + what);
}

std::string ArchiveFile::readUpTo(std::int64_t offset, std::size_t count) {
    if (offset < 0 || offset >= size_) return {};
    count = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(count), size_ - offset));
    std::string out(count, '\0');
    in_->clear();
    in_->seekg(offset);
    in_->read(out.data(), static_cast<std::streamsize>(count));
    out.resize(static_cast<std::size_t>(std::max<std::streamsize>(in_->gcount(), 0)));
    return out;
}

std::optional<std::string> ArchiveFile::readExact(std::int64_t offset, std::size_t count) {
    std::string bytes = readUpTo(offset, count);
    if (bytes.size() != count) return std::nullopt;
    return bytes;
}

std::int32_t ArchiveFile::readInt32(std::int64_t offset, const char* what) {
    const auto bytes = readExact(offset, 4);
    if (!bytes)
        damaged(std::string(what) + " na pozici " + std::to_string(offset) +
                " leží za koncem souboru");
    return int32At(*bytes, 0);
}

bool ArchiveFile::hasMagic() {
    const auto magic = readExact(0, kArchiveMagic.size());
    return magic && *magic == kArchiveMagic;
}

std::optional<std::string> ArchiveFile::versionText() {
    auto raw = readExact(kVersionOffset, kVersionLength);
    if (!raw) return std::nullopt;
    return unscrambleText(*raw, kVersionKey);
}

ArchiveLayout ArchiveFile::layout() {
    ArchiveLayout l;
    l.block1Size = readInt32(kBlocksOffset, "délka bloku 1");
    l.block1Offset = kBlocksOffset + 4;
    if (l.block1Size < 0 || l.block1Offset + l.block1Size > size_)
        damaged("blok 1 má mít " + std::to_string(l.block1Size) + " B, víc, než soubor obsahuje");
    const std::int64_t projectLength = l.block1Offset + l.block1Size;
    l.projectSize = readInt32(projectLength, "délka projektu");
    l.projectOffset = projectLength + 4;
    if (l.projectSize < 0 || l.projectOffset + l.projectSize > size_)
        damaged("projekt má mít " + std::to_string(l.projectSize) + " B, víc, než soubor obsahuje");
    const std::int64_t countOffset = l.projectOffset + l.projectSize;
    l.entryCount = readInt32(countOffset, "počet modulů");
    l.entriesOffset = countOffset + 4;
    if (l.entryCount < 0 || l.entryCount > size_ / kMinEntrySize)
        damaged("adresář má mít " + std::to_string(l.entryCount) +
                " modulů, víc, než se do souboru vejde");
    return l;
}

std::string ArchiveFile::block1() {
    const auto l = layout();
    return readUpTo(l.block1Offset, static_cast<std::size_t>(l.block1Size));
}

std::string ArchiveFile::projectBlock() {
    const auto l = layout();
    return readUpTo(l.projectOffset, static_cast<std::size_t>(l.projectSize));
}

std::vector<DirectoryEntry> ArchiveFile::directory() {
    const auto l = layout();
    std::vector<DirectoryEntry> entries;
    entries.reserve(static_cast<std::size_t>(l.entryCount));
    // Where each entry lay, so a chain that turns back on itself is recognised as damage.
    std::unordered_map<std::int64_t, int> seen;
    std::int64_t at = l.entriesOffset;
    for (int i = 1; i <= l.entryCount; ++i) {
        const std::string where = "položka adresáře " + std::to_string(i);
        if (at < 0) damaged(where + " leží před začátkem souboru");
        if (at + kMinEntrySize > size_) damaged(where + " leží za koncem souboru");
        if (auto [it, fresh] = seen.emplace(at, i); !fresh)
            damaged(where + " je znovu položka " + std::to_string(it->second) +
                    " (řetěz položek se zacyklil)");
        const std::string bytes = readUpTo(at, 1 + 255 + 16);
        const auto nameLength = static_cast<unsigned char>(bytes[0]);
        if (bytes.size() < 1 + nameLength + 16u) damaged(where + " přesahuje konec souboru");
        DirectoryEntry e;
        e.entryOffset = at;
        e.name = unscrambleText(std::string_view(bytes).substr(1, nameLength), kNameKey);
        e.formOffset = int32At(bytes, 1 + nameLength);
        e.formSize = int32At(bytes, 5 + nameLength);
        e.sourceOffset = int32At(bytes, 9 + nameLength);
        e.next = int32At(bytes, 13 + nameLength);
        at = e.next;
        entries.push_back(std::move(e));
    }
    return entries;
}

SourceBlock ArchiveFile::source(const DirectoryEntry& entry) {
    const std::string module = "zdrojový text modulu " + cp1250ToUtf8(entry.name);
    const std::int64_t start = entry.sourceOffset;
    if (start < 0 || start + 5 > size_) damaged(module + " leží za koncem souboru");
    const std::int32_t count = readInt32(start, "počet řádků");
    const std::string padByte = readUpTo(start + 4, 1);
    SourceBlock block;
    block.padLength = static_cast<unsigned char>(padByte[0]);
    const std::int64_t first = start + 5 + block.padLength;
    // Every line takes at least its length byte.
    if (count < 0 || first + count > size_)
        damaged(module + " má mít " + std::to_string(count) + " řádků, víc, než soubor obsahuje");
    const std::string bytes = readUpTo(first, static_cast<std::size_t>(count) * 256);
    block.lines.reserve(static_cast<std::size_t>(count));
    std::size_t pos = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        if (pos >= bytes.size()) damaged(module + " končí před řádkem " + std::to_string(i + 1));
        const auto length = static_cast<unsigned char>(bytes[pos]);
        if (pos + 1 + length > bytes.size())
            damaged(module + ": řádek " + std::to_string(i + 1) + " přesahuje konec souboru");
        block.lines.push_back(unscrambleText(std::string_view(bytes).substr(pos + 1, length),
                                             lineKey(i, block.padLength)));
        pos += 1 + length;
    }
    return block;
}

std::string ArchiveFile::form(const DirectoryEntry& entry) {
    if (entry.formSize == 0) return {};
    if (entry.formSize < 0 || entry.formOffset < 0 ||
        static_cast<std::int64_t>(entry.formOffset) + entry.formSize > size_)
        damaged("formulář modulu " + cp1250ToUtf8(entry.name) + " (" +
                std::to_string(entry.formSize) + " B na pozici " +
                std::to_string(entry.formOffset) + ") leží za koncem souboru");
    return readUpTo(entry.formOffset, static_cast<std::size_t>(entry.formSize));
}

} // namespace vorlan::archive
