#include "library/szdd.h"

#include <algorithm>
#include <array>

namespace vorlan::library {

namespace {

constexpr std::array<std::uint8_t, 8> kMagic = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr std::size_t kWindowSize = 4096;
constexpr std::size_t kWindowMask = kWindowSize - 1;
constexpr std::size_t kWindowStart = kWindowSize - 16;
constexpr std::size_t kMinMatch = 3;
// The most one input byte can turn into: a flag byte and eight two-byte references give
// 8 * 18 bytes from 17 bytes.
constexpr std::size_t kMaxExpansionPerByte = 9;

} // namespace

bool hasSzddSignature(std::span<const std::uint8_t> data) {
    return data.size() >= kMagic.size() && std::equal(kMagic.begin(), kMagic.end(), data.begin());
}

SzddResult expandSzdd(std::span<const std::uint8_t> file) {
    SzddResult r;
    if (file.size() < kSzddHeaderSize || !hasSzddSignature(file)) {
        r.error = "not a compressed file (the header is missing or damaged)";
        return r;
    }
    if (file[8] != 'A') {
        r.error = "unknown compression method";
        return r;
    }
    r.lastNameCharacter = static_cast<char>(file[9]);
    const std::uint32_t expectedSize =
        static_cast<std::uint32_t>(file[10]) | static_cast<std::uint32_t>(file[11]) << 8 |
        static_cast<std::uint32_t>(file[12]) << 16 | static_cast<std::uint32_t>(file[13]) << 24;
    const std::span<const std::uint8_t> in = file.subspan(kSzddHeaderSize);
    // A header may claim anything; what the stream can yield bounds the reservation.
    if (expectedSize > in.size() * kMaxExpansionPerByte) {
        r.error = "the compressed data are shorter than the header says";
        return r;
    }
    r.data.reserve(expectedSize);

    std::array<std::uint8_t, kWindowSize> window;
    window.fill(' ');
    std::size_t pos = kWindowStart;
    std::size_t i = 0;
    auto put = [&](std::uint8_t b) {
        r.data.push_back(static_cast<char>(b));
        window[pos] = b;
        pos = (pos + 1) & kWindowMask;
    };
    while (i < in.size()) {
        const std::uint8_t flags = in[i++];
        for (int bit = 0; bit < 8 && i < in.size(); ++bit) {
            if (flags & (1u << bit)) {
                put(in[i++]);
                continue;
            }
            if (i + 1 >= in.size()) {
                r.error = "the compressed data end inside a back reference";
                r.data.clear();
                return r;
            }
            const std::uint8_t lo = in[i], hi = in[i + 1];
            i += 2;
            std::size_t from = lo | static_cast<std::size_t>(hi & 0xF0) << 4;
            const std::size_t length = (hi & 0x0F) + kMinMatch;
            // Byte by byte: a reference may overlap the bytes it is producing.
            for (std::size_t k = 0; k < length; ++k) {
                put(window[from]);
                from = (from + 1) & kWindowMask;
            }
        }
        if (r.data.size() > expectedSize) break;
    }
    if (r.data.size() != expectedSize) {
        r.error = "the expanded size (" + std::to_string(r.data.size()) +
                  " bytes) differs from the header (" + std::to_string(expectedSize) + " bytes)";
        r.data.clear();
        return r;
    }
    r.ok = true;
    return r;
}

} // namespace vorlan::library
