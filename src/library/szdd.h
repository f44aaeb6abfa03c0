#pragma once
// Packed files in the old "SZDD" format (names such as SETUP.EX_ on install
// disks): a 14-byte header and an LZSS stream. FileCopy expands them on the way.
//
// Header: the magic "SZDD" 0x88 0xF0 0x27 0x33, the method 'A', the last character of the
// original name, the expanded size (32-bit, little-endian). Stream: a flag byte whose bits,
// lowest first, say for the next eight items whether each is a literal byte (bit set) or a
// back reference of two bytes: a 12-bit window position (the low 8 bits, then the high 4 bits
// in the upper half of the second byte) and a length of the lower half plus 3. The 4096-byte
// window starts filled with spaces and the first byte is written at 4096 - 16.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vorlan::library {

constexpr std::size_t kSzddHeaderSize = 14;

// True when the data begin with the SZDD magic (the rest may still be damaged).
bool hasSzddSignature(std::span<const std::uint8_t> data);

struct SzddResult {
    bool ok = false;
    std::string data;  // the expanded bytes
    std::string error; // why it failed, when !ok
    char lastNameCharacter = 0;
};

// Expands a whole SZDD file. A damaged file (short header, unknown method, a back reference
// cut off by the end, a length that differs from the header) fails with a reason; nothing is
// allocated beyond what the input can produce.
SzddResult expandSzdd(std::span<const std::uint8_t> file);

} // namespace vorlan::library
