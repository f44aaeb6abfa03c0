#include "script/js/js_messages.h"

#include <array>
#include <utility>

namespace vorlan::script::js {

namespace {

// Longer phrases first: a phrase is replaced before any shorter one inside it could be.
constexpr std::array<std::pair<std::string_view, std::string_view>, 38> kPhrases{{
    {"ReferenceError", "Chyba odkazu"},
    {"TypeError", "Chyba typu"},
    {"SyntaxError", "Chyba syntaxe"},
    {"RangeError", "Chyba rozsahu"},
    {"URIError", "Chyba URI"},
    {"EvalError", "Chyba eval"},
    {"InternalError", "Vnitřní chyba"},
    {"cannot read property", "nelze číst vlastnost"},
    {"cannot write property", "nelze zapsat vlastnost"},
    {"cannot delete property", "nelze smazat vlastnost"},
    {"not object coercible", "nelze převést na objekt"},
    {"not constructable", "nelze vytvořit pomocí new"},
    {"not callable", "nelze volat"},
    {"not extensible", "nelze rozšířit"},
    {"not configurable", "nelze změnit"},
    {"not writable", "nelze zapsat"},
    {"invalid base value", "neplatná hodnota objektu"},
    {"invalid array length", "neplatná délka pole"},
    {"invalid object literal", "chybný zápis objektu"},
    {"invalid regexp", "chybný regulární výraz"},
    {"invalid lvalue", "sem nelze přiřadit"},
    {"invalid", "neplatný"},
    {"unterminated statement", "neukončený příkaz"},
    {"unterminated string", "neukončený řetězec"},
    {"unexpected end of input", "nečekaný konec textu"},
    {"unexpected token", "nečekaný symbol"},
    {"expected identifier", "očekáván identifikátor"},
    {"parse error", "chyba zápisu"},
    {"callstack limit", "příliš hluboké vnoření volání"},
    {"compiler limit", "program je pro překladač příliš velký"},
    {"out of memory", "nedostatek paměti"},
    {"alloc failed", "nedostatek paměti"},
    {"undefined", "není definován"},
    {"identifier", "identifikátor"},
    {"property", "vlastnost"},
    {" of ", " objektu "},
    {"error", "chyba"},
    {"Error", "Chyba"},
}};

} // namespace

std::string czechEngineMessage(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t i = 0;
    bool inQuote = false;
    while (i < text.size()) {
        if (text[i] == '\'') {
            inQuote = !inQuote;
            out += text[i++];
            continue;
        }
        bool replaced = false;
        if (!inQuote)
            for (const auto& [english, czech] : kPhrases) {
                if (text.compare(i, english.size(), english) != 0) continue;
                // Only "identifier 'x' undefined" says a name is not defined; elsewhere
                // undefined is the JavaScript value and keeps its name.
                if (english == "undefined" &&
                    !(i + english.size() == text.size() && i >= 2 && text[i - 2] == '\''))
                    continue;
                out += czech;
                i += english.size();
                replaced = true;
                break;
            }
        if (!replaced) out += text[i++];
    }
    return out;
}

} // namespace vorlan::script::js
