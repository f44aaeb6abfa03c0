#include "library/sysvar.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "script/bind.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace vorlan::library {

using script::Value;

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
    int extra; // 1: a letter of its own behind the base letter
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

// The weights of a text, CH read as one letter.
void collationKey(std::string_view text, std::vector<Weight>& key) {
    const auto& w = weights();
    key.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = cp1250Upper(static_cast<unsigned char>(text[i]));
        if (c == 'C' && i + 1 < text.size() &&
            cp1250Upper(static_cast<unsigned char>(text[i + 1])) == 'H') {
            key.push_back({kChWeight, 0});
            ++i;
            continue;
        }
        key.push_back(w[c]);
    }
}

} // namespace

bool CzechCollationLess::operator()(std::string_view a, std::string_view b) const {
    thread_local std::vector<Weight> ka, kb;
    collationKey(a, ka);
    collationKey(b, kb);
    const std::size_t n = std::min(ka.size(), kb.size());
    for (std::size_t i = 0; i < n; ++i)
        if (ka[i].primary != kb[i].primary) return ka[i].primary < kb[i].primary;
    if (ka.size() != kb.size()) return ka.size() < kb.size();
    for (std::size_t i = 0; i < n; ++i)
        if (ka[i].secondary != kb[i].secondary) return ka[i].secondary < kb[i].secondary;
    return a < b; // the same letters in another case: any fixed order keeps the names distinct
}

void SystemVariables::set(std::string_view name, const Value& value) {
    items_[upperCase(name)] = value;
}

Value SystemVariables::get(std::string_view name) const {
    auto it = items_.find(upperCase(name));
    return it == items_.end() ? Value(0) : it->second;
}

namespace {

constexpr std::size_t kShownVariables = 25;
constexpr std::size_t kShownStringLength = 50;

std::string valueText(const Value& v) {
    if (v.isString()) return '"' + v.asString().substr(0, kShownStringLength) + '"';
    try {
        return v.toString(); // Booleans give True/False, null the empty text
    } catch (const script::ValueError&) {
        // Arrays and objects have no text; the box names their kind so it never fails.
        return std::string("(") + script::typeName(v.type()) + ")";
    }
}

} // namespace

std::string SystemVariables::overviewText() const {
    if (items_.empty()) return czech("Nebyly definovány");
    std::string text;
    std::size_t n = 0;
    for (const auto& [name, value] : items_) {
        if (n == kShownVariables) break;
        char ordinal[8];
        std::snprintf(ordinal, sizeof ordinal, "%02zu", ++n);
        text += std::string("(") + ordinal + ") - " + name + " ---> " + valueText(value) + '\n';
    }
    return text;
}

SystemVariables& systemVariables() {
    static SystemVariables store;
    return store;
}

void registerSystemVariables(script::Registry& reg) {
    script::Binder b(reg);
    b.bind("SysVarSet", "procedure(Name: string; Value: Variant)",
           [](std::string_view name, const Value& value) { systemVariables().set(name, value); });
    b.bind("SysVarGet", "function(Name: string): Variant",
           [](std::string_view name) { return systemVariables().get(name); });
    b.bind("SysVarClear", "procedure", [] { systemVariables().clear(); });
    b.bind("SysVarShow", "procedure", [] {
        MessageBoxRequest box;
        box.caption = czech("Systémové proměnné");
        box.text = systemVariables().overviewText();
        box.icon = MessageIcon::Information;
        box.buttons = ButtonOk;
        ui().messageBox(box);
    });
}

} // namespace vorlan::library
