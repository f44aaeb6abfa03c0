#include "core/czech_collation.h"

#include "core/cp1250.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorlan {

namespace {

// Weights of one upper-case Windows-1250 byte: the primary decides the alphabetical place,
// the secondary separates accented letters from their base letter.
struct Weight {
    std::uint16_t primary = 0;
    std::uint8_t secondary = 0;
};

constexpr std::uint16_t kDigitBase = 0x100;
constexpr std::uint16_t kLetterBase = 0x200;
// Letters are spaced by 4 so that Č, CH, Ř, Š and Ž fit behind their neighbours.
constexpr std::uint16_t letterWeight(char base, int extra = 0) {
    return static_cast<std::uint16_t>(kLetterBase + (base - 'A') * 4 + extra);
}
constexpr std::uint16_t kChWeight = letterWeight('H', 1);

struct AccentedLetter {
    const char* utf8;
    char base;
    int extra; // 2: a letter of its own behind the base letter
};

const std::array<Weight, 256>& weights() {
    static const std::array<Weight, 256> table = [] {
        std::array<Weight, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[static_cast<std::size_t>(c)] = {static_cast<std::uint16_t>(c), 0};
        for (int c = '0'; c <= '9'; ++c)
            t[static_cast<std::size_t>(c)] = {static_cast<std::uint16_t>(kDigitBase + c), 0};
        for (int c = 'A'; c <= 'Z'; ++c)
            t[static_cast<std::size_t>(c)] = {letterWeight(static_cast<char>(c)), 0};
        static const AccentedLetter accented[] = {
            {"Á", 'A', 0}, {"Â", 'A', 0}, {"Ă", 'A', 0}, {"Ä", 'A', 0}, {"Ą", 'A', 0},
            {"Ć", 'C', 0}, {"Ç", 'C', 0}, {"Č", 'C', 2}, {"Ď", 'D', 0}, {"Đ", 'D', 0},
            {"É", 'E', 0}, {"Ę", 'E', 0}, {"Ë", 'E', 0}, {"Ě", 'E', 0}, {"Í", 'I', 0},
            {"Î", 'I', 0}, {"Ĺ", 'L', 0}, {"Ľ", 'L', 0}, {"Ł", 'L', 0}, {"Ń", 'N', 0},
            {"Ň", 'N', 0}, {"Ó", 'O', 0}, {"Ô", 'O', 0}, {"Ő", 'O', 0}, {"Ö", 'O', 0},
            {"Ŕ", 'R', 0}, {"Ř", 'R', 2}, {"Ś", 'S', 0}, {"Ş", 'S', 0}, {"Š", 'S', 2},
            {"Ť", 'T', 0}, {"Ţ", 'T', 0}, {"Ú", 'U', 0}, {"Ů", 'U', 0}, {"Ű", 'U', 0},
            {"Ü", 'U', 0}, {"Ý", 'Y', 0}, {"Ź", 'Z', 0}, {"Ż", 'Z', 0}, {"Ž", 'Z', 2},
            {"ß", 'S', 0},
        };
        std::uint8_t rank = 1;
        for (const auto& a : accented) {
            const std::string code = utf8ToCp1250(a.utf8);
            t[static_cast<unsigned char>(code[0])] = {letterWeight(a.base, a.extra), rank++};
        }
        return t;
    }();
    return table;
}

struct Key {
    std::vector<Weight> weights;
    std::vector<std::uint8_t> cases; // 1 where the text has an upper-case letter
};

// The weights of a text, CH read as one letter.
void collationKey(std::string_view text, Key& key) {
    const auto& w = weights();
    key.weights.clear();
    key.cases.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto c = cp1250Upper(byte);
        key.cases.push_back(c == byte && cp1250Lower(byte) != byte ? 1 : 0);
        if (c == 'C' && i + 1 < text.size() &&
            cp1250Upper(static_cast<unsigned char>(text[i + 1])) == 'H') {
            key.weights.push_back({kChWeight, 0});
            ++i;
            continue;
        }
        key.weights.push_back(w[c]);
    }
}

int sign(int n) {
    return n < 0 ? -1 : n > 0 ? 1 : 0;
}

} // namespace

int compareCzech(std::string_view a, std::string_view b, bool ignoreCase) {
    thread_local Key ka, kb;
    collationKey(a, ka);
    collationKey(b, kb);
    const std::size_t n = std::min(ka.weights.size(), kb.weights.size());
    for (std::size_t i = 0; i < n; ++i)
        if (ka.weights[i].primary != kb.weights[i].primary)
            return ka.weights[i].primary < kb.weights[i].primary ? -1 : 1;
    if (ka.weights.size() != kb.weights.size())
        return ka.weights.size() < kb.weights.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i)
        if (ka.weights[i].secondary != kb.weights[i].secondary)
            return ka.weights[i].secondary < kb.weights[i].secondary ? -1 : 1;
    if (ignoreCase) return 0;
    const std::size_t m = std::min(ka.cases.size(), kb.cases.size());
    for (std::size_t i = 0; i < m; ++i)
        if (ka.cases[i] != kb.cases[i]) return ka.cases[i] < kb.cases[i] ? -1 : 1;
    // The same letters in the same case: any fixed order keeps different texts apart.
    return sign(a.compare(b));
}

} // namespace vorlan
