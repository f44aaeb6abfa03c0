#pragma once
// The 10-byte extended float of the stream: the x87 80-bit format, little-endian (64-bit
// mantissa with an explicit integer bit, 15-bit exponent, sign).
//
// Where long double is that very format (x86-64 Linux), the bytes are copied as they are, so even
// NaN payloads and the odd encodings the x87 accepts survive a read and a write. Elsewhere the
// value goes through the portable conversion below, which is exact for every value the platform's
// long double can hold.

#include <array>
#include <cstdint>

namespace vorlan::stream {

using ExtendedBytes = std::array<std::uint8_t, 10>;

long double decodeExtended(const ExtendedBytes& bytes);
ExtendedBytes encodeExtended(long double value);

// The arithmetic conversion, used where long double is not the 80-bit format; visible so that it
// can be checked against the byte copy on machines where both work.
long double decodeExtendedPortable(const ExtendedBytes& bytes);
ExtendedBytes encodeExtendedPortable(long double value);

} // namespace vorlan::stream
