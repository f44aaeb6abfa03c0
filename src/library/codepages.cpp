#include "library/codepages.h"

#include "core/cp1250.h"
#include "script/bind.h"

#include <array>
#include <cstdint>
#include <stdexcept>

namespace vorlan::library {

namespace {

struct Letter {
    std::uint8_t kamenicky, latin2, windows1250;
    char ascii;
};

// One row per letter; each code-page column is one-to-one, so converting there and back gives
// the input again.
constexpr Letter kLetters[] = {
    {0xA0, 0xA0, 0xE1, 'a'}, // á
    {0x84, 0x84, 0xE4, 'a'}, // ä
    {0x8F, 0xB5, 0xC1, 'A'}, // Á
    {0x87, 0x9F, 0xE8, 'c'}, // č
    {0x80, 0xAC, 0xC8, 'C'}, // Č
    {0x83, 0xD4, 0xEF, 'd'}, // ď
    {0x85, 0xD2, 0xCF, 'D'}, // Ď
    {0x82, 0x82, 0xE9, 'e'}, // é
    {0x88, 0xD8, 0xEC, 'e'}, // ě
    {0x90, 0x90, 0xC9, 'E'}, // É
    {0x89, 0xB7, 0xCC, 'E'}, // Ě
    {0xA1, 0xA1, 0xED, 'i'}, // í
    {0x8B, 0xD6, 0xCD, 'I'}, // Í
    {0x8C, 0x96, 0xBE, 'l'}, // ľ
    {0x9C, 0x95, 0xBC, 'L'}, // Ľ
    {0xA4, 0xE5, 0xF2, 'n'}, // ň
    {0xA5, 0xD5, 0xD2, 'N'}, // Ň
    {0xA2, 0xA2, 0xF3, 'o'}, // ó
    {0x93, 0x93, 0xF4, 'o'}, // ô
    {0x94, 0x94, 0xF6, 'o'}, // ö
    {0x95, 0xE0, 0xD3, 'O'}, // Ó
    {0xA9, 0xFD, 0xF8, 'r'}, // ř
    {0x9E, 0xFC, 0xD8, 'R'}, // Ř
    {0xA8, 0xE7, 0x9A, 's'}, // š
    {0x9B, 0xE6, 0x8A, 'S'}, // Š
    {0x9F, 0x9C, 0x9D, 't'}, // ť
    {0x86, 0x9B, 0x8D, 'T'}, // Ť
    {0xA3, 0xA3, 0xFA, 'u'}, // ú
    {0x96, 0x85, 0xF9, 'u'}, // ů
    {0x97, 0xE9, 0xDA, 'U'}, // Ú
    {0xA6, 0xDE, 0xD9, 'U'}, // Ů
    {0x98, 0xEC, 0xFD, 'y'}, // ý
    {0x9D, 0xED, 0xDD, 'Y'}, // Ý
    {0x91, 0xA7, 0x9E, 'z'}, // ž
    {0x92, 0xA6, 0x8E, 'Z'}, // Ž
};
static_assert(std::size(kLetters) == 35);

constexpr std::uint8_t codeIn(const Letter& l, CodePage page) {
    switch (page) {
    case CodePage::Kamenicky:
        return l.kamenicky;
    case CodePage::Latin2:
        return l.latin2;
    case CodePage::Windows1250:
        return l.windows1250;
    case CodePage::Ascii:
        return static_cast<std::uint8_t>(l.ascii);
    }
    return 0;
}

using Table = std::array<std::uint8_t, 256>;

constexpr Table makeTable(CodePage from, CodePage to) {
    Table t{};
    for (int i = 0; i < 256; ++i)
        t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    for (const Letter& l : kLetters)
        t[codeIn(l, from)] = codeIn(l, to);
    return t;
}

constexpr std::size_t pageIndex(CodePage p) {
    return static_cast<std::size_t>(p);
}

// Every pair is built once; a conversion is then one lookup per byte.
constexpr auto kTables = [] {
    std::array<std::array<Table, 4>, 3> all{};
    for (std::size_t from = 0; from < 3; ++from)
        for (std::size_t to = 0; to < 4; ++to)
            all[from][to] = makeTable(static_cast<CodePage>(from), static_cast<CodePage>(to));
    return all;
}();

} // namespace

std::string convertCodePage(std::string_view text, CodePage from, CodePage to) {
    if (from == CodePage::Ascii)
        throw std::invalid_argument(
            czech("text v ASCII nemá česká písmena, ze kterých by se převádělo"));
    const Table& table = kTables[pageIndex(from)][pageIndex(to)];
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

void registerCodePages(script::Registry& reg) {
    struct Conversion {
        const char* name;
        CodePage from, to;
    };
    static constexpr Conversion conversions[] = {
        {"CsKamToLat", CodePage::Kamenicky, CodePage::Latin2},
        {"CsKamToWin", CodePage::Kamenicky, CodePage::Windows1250},
        {"CsKamToAsc", CodePage::Kamenicky, CodePage::Ascii},
        {"CsLatToKam", CodePage::Latin2, CodePage::Kamenicky},
        {"CsLatToWin", CodePage::Latin2, CodePage::Windows1250},
        {"CsLatToAsc", CodePage::Latin2, CodePage::Ascii},
        {"CsWinToKam", CodePage::Windows1250, CodePage::Kamenicky},
        {"CsWinToLat", CodePage::Windows1250, CodePage::Latin2},
        {"CsWinToAsc", CodePage::Windows1250, CodePage::Ascii},
    };
    script::Binder b(reg);
    for (const Conversion& c : conversions)
        b.bind(c.name, "function(s: string): string",
               [from = c.from, to = c.to](std::string_view s) {
                   return convertCodePage(s, from, to);
               });
}

} // namespace vorlan::library
