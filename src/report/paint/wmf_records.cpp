#include "report/paint/wmf_records.h"
#include "report/paint/metafile_bytes.h"

#include "core/cp1250.h"

namespace vorlan::report {

void failMetafile(const char* why) {
    throw MetafileError(czech("Metasoubor nelze přečíst: ") + czech(why));
}

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kRecordHeader = 6;

bool isMetaHeader(std::string_view data, std::size_t at) {
    if (data.size() < at + kHeaderSize) return false;
    const std::uint16_t type = le16(data, at);
    const std::uint16_t words = le16(data, at + 2);
    const std::uint16_t version = le16(data, at + 4);
    return (type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300);
}

} // namespace

void throwShortRecord() {
    failMetafile("záznam je kratší, než jeho obsah vyžaduje.");
}

std::int16_t WmfRecord::int16(std::size_t index) const {
    if (params.size() < (index + 1) * 2) throwShortRecord();
    return static_cast<std::int16_t>(le16(params, index * 2));
}

std::uint32_t WmfRecord::uint32At(std::size_t byteOffset) const {
    if (params.size() < byteOffset + 4) throwShortRecord();
    return le32(params, byteOffset);
}

std::string_view WmfRecord::bytesAt(std::size_t byteOffset, std::size_t count) const {
    if (byteOffset > params.size() || params.size() - byteOffset < count) throwShortRecord();
    return params.substr(byteOffset, count);
}

bool looksLikeWmf(std::string_view data) {
    if (data.size() >= 4 && le32(data, 0) == kPlaceableKey) return true;
    return isMetaHeader(data, 0);
}

WmfFile readWmf(std::string_view data) {
    WmfFile file;
    std::size_t at = 0;
    if (data.size() >= 4 && le32(data, 0) == kPlaceableKey) {
        if (data.size() < kPlaceableSize) failMetafile("hlavička je neúplná.");
        auto s16 = [&](std::size_t offset) {
            return static_cast<std::int16_t>(le16(data, offset));
        };
        file.frame = {s16(6), s16(8), s16(10), s16(12), le16(data, 14)};
        // The checksum is the XOR of the ten words before it.
        std::uint16_t sum = 0;
        for (std::size_t i = 0; i < 20; i += 2)
            sum ^= le16(data, i);
        if (sum != le16(data, 20)) failMetafile("kontrolní součet hlavičky nesouhlasí.");
        if (file.frame.unitsPerInch == 0) failMetafile("hlavička neudává rozlišení.");
        if (file.frame.right <= file.frame.left || file.frame.bottom <= file.frame.top)
            failMetafile("obrázek nemá žádnou plochu.");
        at = kPlaceableSize;
    }
    if (!isMetaHeader(data, at)) failMetafile("chybí hlavička metasouboru.");
    file.objectCount = le16(data, at + 10);
    at += kHeaderSize;
    // A file cut right after a record still has all of its pictures: the end record is optional.
    while (at < data.size()) {
        if (data.size() - at < kRecordHeader) failMetafile("soubor končí uprostřed záznamu.");
        const std::uint64_t words = le32(data, at);
        const std::uint16_t function = le16(data, at + 4);
        if (words < kRecordHeader / 2) failMetafile("záznam má neplatnou délku.");
        if (words * 2 > data.size() - at) failMetafile("soubor končí uprostřed záznamu.");
        if (function == kWmfEof) break;
        const std::size_t bytes = static_cast<std::size_t>(words * 2);
        file.records.push_back({function, data.substr(at + kRecordHeader, bytes - kRecordHeader)});
        at += bytes;
    }
    return file;
}

} // namespace vorlan::report
