#pragma once
// A small packer for the SZDD format, written independently of the expander so the two check
// each other: greedy matching against a simulated window, so references may reach into the
// initial spaces and overlap the bytes they produce.

#include <array>
#include <cstdint>
#include <string>

namespace vorlan::library::testing {

inline std::string packSzdd(const std::string& data, char lastNameCharacter = '_') {
    std::string out = std::string("SZDD\x88\xF0\x27\x33", 8) + 'A' + lastNameCharacter;
    const auto size = static_cast<std::uint32_t>(data.size());
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((size >> (8 * i)) & 0xFF);

    std::array<char, 4096> window;
    window.fill(' ');
    std::size_t pos = 4096 - 16, i = 0;
    while (i < data.size()) {
        const std::size_t flagAt = out.size();
        out += '\0';
        unsigned flags = 0;
        for (int bit = 0; bit < 8 && i < data.size(); ++bit) {
            std::size_t bestLength = 0, bestFrom = 0;
            const std::size_t limit = std::min<std::size_t>(18, data.size() - i);
            for (std::size_t from = 0; from < 4096 && limit >= 3; ++from) {
                std::size_t length = 0;
                while (length < limit) {
                    // A reference may read bytes it has itself just written.
                    const std::size_t at = (from + length) & 4095;
                    const std::size_t written = (at - pos) & 4095;
                    const char b = written < length ? data[i + written] : window[at];
                    if (b != data[i + length]) break;
                    ++length;
                }
                if (length > bestLength) {
                    bestLength = length;
                    bestFrom = from;
                    if (length == limit) break;
                }
            }
            if (bestLength >= 3) {
                out += static_cast<char>(bestFrom & 0xFF);
                out += static_cast<char>(((bestFrom >> 4) & 0xF0) | (bestLength - 3));
                for (std::size_t k = 0; k < bestLength; ++k) {
                    window[pos] = data[i++];
                    pos = (pos + 1) & 4095;
                }
            } else {
                flags |= 1u << bit;
                out += data[i];
                window[pos] = data[i++];
                pos = (pos + 1) & 4095;
            }
        }
        out[flagAt] = static_cast<char>(flags);
    }
    return out;
}

} // namespace vorlan::library::testing
