#include "script/encoded/script_decoder.h"
#include "core/cp1250.h"

#include <array>

namespace vorlan::script::encoded {

namespace {

constexpr std::string_view kStart = "#@~^";
constexpr std::string_view kEnd = "^#~@";

// The table each position of the 64-character cycle uses.
constexpr std::array<std::uint8_t, kCycle> kTableCycle = {
    1, 2, 0, 1, 2, 0, 2, 0, 0, 2, 0, 2, 1, 0, 2, 0, 1, 0, 2, 0, 1, 1, 2, 0, 0, 2, 1, 0, 2, 0, 0, 2,
    1, 1, 0, 2, 0, 2, 0, 1, 0, 1, 1, 2, 0, 1, 0, 2, 1, 0, 2, 0, 1, 1, 2, 0, 0, 1, 1, 2, 0, 1, 0, 2};

// The encoded form of tab, then of 0x20 .. 0x7F, in each table. '<', '>' and '@' are never
// substituted (they are escaped); their slots hold '?'.
constexpr int kPlainCount = 97;
constexpr std::array<std::array<std::uint8_t, kPlainCount>, 3> kEncode = {{
    {0x64, 0x50, 0x22, 0x4A, 0x61, 0x5E, 0x5D, 0x5B, 0x42, 0x60, 0x23, 0x65, 0x5F, 0x7E,
     0x4F, 0x52, 0x7A, 0x21, 0x46, 0x20, 0x26, 0x63, 0x2A, 0x76, 0x47, 0x25, 0x2C, 0x29,
     0x69, 0x3F, 0x27, 0x3F, 0x67, 0x3F, 0x62, 0x41, 0x5A, 0x66, 0x32, 0x73, 0x4D, 0x43,
     0x71, 0x39, 0x7C, 0x53, 0x48, 0x31, 0x72, 0x6E, 0x70, 0x49, 0x3F, 0x4B, 0x6A, 0x2E,
     0x7F, 0x28, 0x35, 0x7D, 0x24, 0x2D, 0x54, 0x37, 0x7B, 0x3D, 0x6C, 0x34, 0x6D, 0x4E,
     0x2B, 0x30, 0x6F, 0x74, 0x6B, 0x4C, 0x33, 0x56, 0x3A, 0x78, 0x57, 0x77, 0x3B, 0x44,
     0x2F, 0x59, 0x45, 0x5C, 0x68, 0x36, 0x58, 0x79, 0x09, 0x75, 0x38, 0x55, 0x51},
    {0x37, 0x7E, 0x5A, 0x45, 0x3A, 0x79, 0x59, 0x27, 0x76, 0x63, 0x62, 0x4D, 0x51, 0x53,
     0x52, 0x20, 0x26, 0x54, 0x71, 0x2B, 0x66, 0x2A, 0x58, 0x7F, 0x7B, 0x30, 0x31, 0x6C,
     0x49, 0x3F, 0x78, 0x3F, 0x5F, 0x3F, 0x29, 0x24, 0x2F, 0x39, 0x33, 0x6F, 0x21, 0x75,
     0x28, 0x42, 0x46, 0x4A, 0x5C, 0x48, 0x36, 0x4B, 0x7D, 0x5D, 0x6A, 0x50, 0x69, 0x23,
     0x09, 0x70, 0x65, 0x74, 0x2C, 0x77, 0x44, 0x3F, 0x6D, 0x7C, 0x43, 0x38, 0x5E, 0x5B,
     0x6E, 0x57, 0x4C, 0x34, 0x72, 0x25, 0x56, 0x73, 0x68, 0x55, 0x47, 0x32, 0x35, 0x2E,
     0x64, 0x4F, 0x3B, 0x2D, 0x41, 0x61, 0x7A, 0x22, 0x60, 0x6B, 0x4E, 0x3D, 0x67},
    {0x69, 0x2C, 0x65, 0x72, 0x5B, 0x66, 0x75, 0x4C, 0x45, 0x76, 0x2A, 0x43, 0x33, 0x42,
     0x20, 0x63, 0x4A, 0x5A, 0x38, 0x79, 0x32, 0x57, 0x6C, 0x2B, 0x46, 0x52, 0x4F, 0x3D,
     0x70, 0x3F, 0x7B, 0x3F, 0x51, 0x3F, 0x7A, 0x7E, 0x3B, 0x47, 0x41, 0x77, 0x56, 0x5F,
     0x26, 0x78, 0x6E, 0x64, 0x74, 0x67, 0x7D, 0x68, 0x35, 0x22, 0x55, 0x3A, 0x60, 0x6A,
     0x71, 0x6F, 0x49, 0x5C, 0x5D, 0x27, 0x59, 0x25, 0x7C, 0x23, 0x6D, 0x28, 0x31, 0x39,
     0x7F, 0x36, 0x54, 0x34, 0x62, 0x4E, 0x30, 0x5E, 0x73, 0x09, 0x4B, 0x61, 0x24, 0x4D,
     0x6B, 0x44, 0x21, 0x37, 0x53, 0x58, 0x48, 0x2E, 0x50, 0x2D, 0x29, 0x3F, 0x2F},
}};

constexpr unsigned char plainOfSlot(int slot) {
    return static_cast<unsigned char>(slot == 0 ? 0x09 : 0x20 + slot - 1);
}
constexpr bool isEscaped(unsigned char c) {
    return c == '<' || c == '>' || c == '@';
}

// Inverse tables: an encoded character below 0x80 to its plain character. Control characters
// that no table produces stand for themselves.
struct DecodeTables {
    std::array<std::array<std::uint8_t, 128>, 3> plain{};
    constexpr DecodeTables() {
        for (auto& table : plain)
            for (int c = 0; c < 128; ++c)
                table[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
        for (std::size_t t = 0; t < 3; ++t)
            for (int slot = 0; slot < kPlainCount; ++slot) {
                const unsigned char p = plainOfSlot(slot);
                if (!isEscaped(p)) plain[t][kEncode[t][static_cast<std::size_t>(slot)]] = p;
            }
    }
};
constexpr DecodeTables kDecode;

int digitOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Six digits: the base-64 form of the number's four little-endian bytes.
std::uint32_t readNumber(std::string_view text, std::size_t at, const std::string& what) {
    if (text.size() < at + 8) throw DecodeError(czech("Kódovaný skript: zkrácené pole ") + what);
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 6; ++i) {
        const int d = digitOf(text[at + i]);
        if (d < 0) throw DecodeError(czech("Kódovaný skript: chybná číslice v poli ") + what);
        bits = bits << 6 | static_cast<std::uint64_t>(d);
    }
    if (text.substr(at + 6, 2) != "==")
        throw DecodeError(czech("Kódovaný skript: pole ") + what + czech(" nekončí =="));
    // 36 bits: four bytes, the least significant first, then four padding bits.
    const auto v = static_cast<std::uint32_t>(bits >> 4);
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

char unescape(char c) {
    switch (c) {
    case '#':
        return '\r';
    case '&':
        return '\n';
    case '!':
        return '<';
    case '*':
        return '>';
    case '$':
        return '@';
    default:
        throw DecodeError(czech("Kódovaný skript: neznámá sekvence @") + std::string(1, c));
    }
}

// Decodes the block whose length header starts at `at`; returns the position after its end
// marker.
std::size_t decodeBlock(std::string_view text, std::size_t at, std::string& out) {
    const std::uint32_t length = readNumber(text, at, czech("délky"));
    std::size_t p = at + 8;
    if (length > text.size() - p) throw DecodeError(czech("Kódovaný skript: blok je zkrácený"));
    const std::size_t end = p + length;
    std::uint32_t sum = 0;
    int position = 0;
    while (p < end) {
        const auto c = static_cast<unsigned char>(text[p++]);
        char plain;
        if (c >= 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (c == '@') {
            if (p >= end) throw DecodeError(czech("Kódovaný skript: blok končí uvnitř sekvence"));
            plain = unescape(text[p++]);
        } else {
            plain = static_cast<char>(kDecode.plain[kTableCycle[position % kCycle]][c]);
        }
        position = (position + 1) % kCycle;
        sum += static_cast<unsigned char>(plain);
        out += plain;
    }
    const std::uint32_t checksum = readNumber(text, end, czech("součtu"));
    if (checksum != sum) throw DecodeError(czech("Kódovaný skript: nesouhlasí kontrolní součet"));
    if (text.substr(end + 8, kEnd.size()) != kEnd)
        throw DecodeError(czech("Kódovaný skript: chybí koncová značka"));
    return end + 8 + kEnd.size();
}

} // namespace

std::string decodeScript(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t p = 0;
    while (p < text.size()) {
        const std::size_t start = text.find(kStart, p);
        if (start == std::string_view::npos) {
            out.append(text.substr(p));
            break;
        }
        out.append(text.substr(p, start - p));
        p = decodeBlock(text, start + kStart.size(), out);
    }
    return out;
}

std::vector<std::string> decodeModuleLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) joined += '\n';
        joined += lines[i];
    }
    const std::string text = decodeScript(joined);
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n')
            out.emplace_back();
        else
            out.back() += text[i];
    }
    return out;
}

int tableAt(int position) {
    return kTableCycle[static_cast<std::size_t>(((position % kCycle) + kCycle) % kCycle)];
}

char encodeChar(int table, unsigned char plain) {
    const int slot = plain == 0x09 ? 0 : plain < 0x20 ? -1 : plain - 0x20 + 1;
    if (table < 0 || table > 2 || slot < 0 || slot >= kPlainCount || isEscaped(plain))
        return static_cast<char>(plain);
    return static_cast<char>(
        kEncode[static_cast<std::size_t>(table)][static_cast<std::size_t>(slot)]);
}

std::string encodeNumber(std::uint32_t value) {
    // Four little-endian bytes, then four zero bits, as six digits.
    std::uint64_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits = bits << 8 | ((value >> (8 * i)) & 0xFF);
    bits <<= 4;
    std::string digits(6, 'A');
    for (int i = 5; i >= 0; --i) {
        digits[static_cast<std::size_t>(i)] = kDigits[bits & 63];
        bits >>= 6;
    }
    return digits;
}

} // namespace vorlan::script::encoded
