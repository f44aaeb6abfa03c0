#include "report/paint/emf_records.h"
#include "report/paint/metafile_bytes.h"

#include "core/cp1250.h"

namespace vorlan::report {

namespace {

constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::size_t kMinHeader = 88;

std::int32_t s32(std::string_view data, std::size_t at) {
    return static_cast<std::int32_t>(le32(data, at));
}

} // namespace

std::int32_t EmfRecord::int32At(std::size_t offset) const {
    if (offset > bytes.size() || bytes.size() - offset < 4) throwShortRecord();
    return s32(bytes, offset);
}

std::int16_t EmfRecord::int16At(std::size_t offset) const {
    if (offset > bytes.size() || bytes.size() - offset < 2) throwShortRecord();
    return static_cast<std::int16_t>(static_cast<unsigned char>(bytes[offset]) |
                                     static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

std::string_view EmfRecord::bytesAt(std::size_t offset, std::size_t count) const {
    if (offset > bytes.size() || bytes.size() - offset < count) throwShortRecord();
    return bytes.substr(offset, count);
}

bool looksLikeEmf(std::string_view data) {
    return data.size() >= 44 && le32(data, 0) == kEmfHeader && le32(data, 40) == kSignature;
}

EmfFile readEmf(std::string_view data) {
    if (!looksLikeEmf(data)) failMetafile("chybí hlavička metasouboru.");
    const std::uint32_t headerSize = le32(data, 4);
    if (headerSize < kMinHeader || headerSize > data.size() || headerSize % 4)
        failMetafile("hlavička je neúplná.");
    EmfFile file;
    file.left = s32(data, 8);
    file.top = s32(data, 12);
    file.right = s32(data, 16);
    file.bottom = s32(data, 20);
    file.frameLeft = s32(data, 24);
    file.frameTop = s32(data, 28);
    file.frameRight = s32(data, 32);
    file.frameBottom = s32(data, 36);
    file.handles = static_cast<std::uint16_t>(le32(data, 52) & 0xFFFF);
    file.deviceWidth = s32(data, 72);
    file.deviceHeight = s32(data, 76);
    file.millimetresWidth = s32(data, 80);
    file.millimetresHeight = s32(data, 84);
    std::size_t at = headerSize;
    // A file cut right after a record still has all of its pictures: the end record is optional.
    while (at < data.size()) {
        if (data.size() - at < 8) failMetafile("soubor končí uprostřed záznamu.");
        const std::uint32_t type = le32(data, at);
        const std::uint32_t size = le32(data, at + 4);
        if (size < 8 || size % 4) failMetafile("záznam má neplatnou délku.");
        if (size > data.size() - at) failMetafile("soubor končí uprostřed záznamu.");
        if (type == kEmfEof) break;
        file.records.push_back({type, data.substr(at, size)});
        at += size;
    }
    return file;
}

} // namespace vorlan::report
