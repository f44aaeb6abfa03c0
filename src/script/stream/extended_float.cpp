#include "script/stream/extended_float.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace vorlan::stream {
namespace {

constexpr bool kNativeExtended = LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384;
constexpr int kBias = 16383;
constexpr int kMaxExponent = 0x7FFF;

} // namespace

long double decodeExtendedPortable(const ExtendedBytes& bytes) {
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | bytes[static_cast<std::size_t>(i)];
    const bool negative = (bytes[9] & 0x80) != 0;
    const int exponent = ((bytes[9] & 0x7F) << 8) | bytes[8];
    long double value = 0;
    if (exponent == kMaxExponent) {
        // The integer bit does not matter here; only the fraction tells infinity from NaN.
        value = (mantissa << 1) == 0 ? HUGE_VALL : NAN;
    } else {
        // Denormals use the exponent of the smallest normal number, without an integer bit.
        const int unbiased = (exponent == 0 ? 1 : exponent) - kBias - 63;
        value = std::ldexp(static_cast<long double>(mantissa), unbiased);
    }
    return negative ? -value : value;
}

ExtendedBytes encodeExtendedPortable(long double value) {
    std::uint64_t mantissa = 0;
    int exponent = 0;
    const bool negative = std::signbit(value);
    if (std::isnan(value)) {
        exponent = kMaxExponent;
        mantissa = 0xC000000000000000ULL; // the quiet NaN the x87 produces itself
    } else if (std::isinf(value)) {
        exponent = kMaxExponent;
        mantissa = 0x8000000000000000ULL;
    } else if (value != 0) {
        int e = 0;
        const long double fraction = std::frexp(std::fabs(value), &e); // in [0.5, 1)
        // Taken in two halves so no conversion to an integer ever overflows.
        const long double high = std::ldexp(fraction, 32);
        const auto highBits = static_cast<std::uint64_t>(high);
        const auto lowBits =
            static_cast<std::uint64_t>(std::ldexp(high - static_cast<long double>(highBits), 32));
        mantissa = (highBits << 32) | lowBits;
        exponent = e - 1 + kBias;
        if (exponent >= kMaxExponent) {
            exponent = kMaxExponent;
            mantissa = 0x8000000000000000ULL;
        } else if (exponent <= 0) {
            const int shift = 1 - exponent;
            mantissa = shift >= 64 ? 0 : mantissa >> shift;
            exponent = 0;
        }
    }
    ExtendedBytes bytes{};
    for (std::size_t i = 0; i < 8; ++i)
        bytes[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    bytes[8] = static_cast<std::uint8_t>(exponent & 0xFF);
    bytes[9] = static_cast<std::uint8_t>((exponent >> 8) | (negative ? 0x80 : 0));
    return bytes;
}

long double decodeExtended(const ExtendedBytes& bytes) {
    if constexpr (kNativeExtended) {
        long double value = 0;
        std::memcpy(&value, bytes.data(), bytes.size());
        return value;
    } else {
        return decodeExtendedPortable(bytes);
    }
}

ExtendedBytes encodeExtended(long double value) {
    if constexpr (kNativeExtended) {
        ExtendedBytes bytes{};
        std::memcpy(bytes.data(), &value, bytes.size());
        return bytes;
    } else {
        return encodeExtendedPortable(value);
    }
}

} // namespace vorlan::stream
