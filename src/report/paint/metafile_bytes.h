#pragma once
// Reading the little-endian numbers of metafile records, and the error a damaged one gives.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vorlan::report {

// The callers check that AT + 2 (or + 4) lies within DATA.
inline std::uint16_t le16(std::string_view data, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data[at]) |
                                      static_cast<unsigned char>(data[at + 1]) << 8);
}
inline std::uint32_t le32(std::string_view data, std::size_t at) {
    return le16(data, at) | static_cast<std::uint32_t>(le16(data, at + 2)) << 16;
}

// Throws MetafileError naming what is wrong (WHY is UTF-8).
[[noreturn]] void failMetafile(const char* why);

} // namespace vorlan::report
