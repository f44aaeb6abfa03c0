#include "script/pascal/messages.h"

#include "core/cp1250.h"

namespace vorlan::script::pascal::msg {

namespace {

std::string fill(std::string_view utf8Pattern, std::string_view value) {
    std::string text = czech(utf8Pattern);
    const auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

} // namespace

std::string separator() {
    return czech("oddělovač");
}
std::string programName() {
    return czech("jméno programu");
}
std::string identifier() {
    return czech("identifikáror");
}
std::string sourceName() {
    return czech("jméno zdroje");
}
std::string variableName() {
    return czech("jméno proměnné");
}
std::string labelName() {
    return czech("jméno návěští");
}

std::string expected(std::string_view what) {
    return fill("Očekávám %s", what);
}

std::string keyword(std::string_view word) {
    std::string text;
    text.reserve(word.size() + 2);
    text.append(1, '"').append(word).append(1, '"');
    return text;
}

std::string expectedChar(std::string_view expected, std::string_view found) {
    std::string text = czech("Očekávám znak \"%s\", nalezl jsem ale \"%s\"");
    text.replace(text.find("%s"), 2, expected);
    text.replace(text.find("%s"), 2, found);
    return text;
}

std::string expectedOneOf(std::string_view first, std::string_view second) {
    std::string text = czech("Očekávám znak \"%s\" nebo \"%s\"");
    text.replace(text.find("%s"), 2, first);
    text.replace(text.find("%s"), 2, second);
    return text;
}

std::string invalidProcedureUse() {
    return czech("Neplatné použití procedury");
}
std::string badString() {
    return czech("Chyba deklarace řetězce");
}
std::string badHexConstant() {
    return czech("Chyba deklarace hexadecimální konstanty");
}
std::string labelNotDefined(std::string_view name) {
    return fill("Návěští <%s> není definováno", name);
}
std::string labelAlreadyDefined(std::string_view name) {
    return fill("Návěští <%s> je již definováno", name);
}
std::string badParameterList() {
    return czech("Chyba v deklaraci parametru metody");
}
std::string badMethod() {
    return czech("Chyba deklarace metody");
}
std::string propertyNotImplemented() {
    return czech("Vlastnost není implementována");
}
std::string badDeclaration(std::string_view name) {
    return fill("Chyba deklarace <%s>", name);
}
std::string onlyClassTypes() {
    return czech("Povolena pouze deklarace třídy");
}
std::string variableAlreadyDefined(std::string_view name) {
    return fill("Proměnná <%s> je již definována", name);
}
std::string variableNotDefined(std::string_view name) {
    return fill("Proměnná <%s> nebyla definována", name);
}
std::string badBlock() {
    return czech("Chyba v deklaraci bloku");
}
std::string breakOutsideLoop() {
    return "#Break outside of loop";
}
std::string continueOutsideLoop() {
    return "#Continue outside of loop";
}
std::string unknownIdentifier(std::string_view name) {
    return fill("Neznámý identifikátor: <%s>", name);
}
std::string unknownVariableType() {
    return czech("Neznámý typ proměnné během zápisu programu");
}
std::string linkerError() {
    return czech("Vnitřní chyba linkeru");
}
std::string unknownType() {
    return czech("Zadán neznámý typ");
}
std::string procedureNotFound(std::string_view name) {
    return fill("Procedura <%s> nebyla nalezena", name);
}
std::string resultNotUsed(std::string_view routine) {
    return fill("Proměnná Result není použita v <%s>", routine);
}
std::string internalError() {
    return czech("Vnitřní chyba kompilace*");
}
std::string badArgumentCount() {
    return czech("Chybný počet parametrů");
}
std::string tooManySlots() {
    return czech("Modul potřebuje více než 2049 proměnných a mezivýsledků");
}
std::string tooManyLabels() {
    return czech("Modul potřebuje příliš mnoho návěští");
}
std::string tooManyConstants() {
    return czech("Modul potřebuje příliš mnoho konstant");
}
std::string tooManyConditionals() {
    return czech("Příliš mnoho vnořených podmíněných direktiv (nejvýše 32)");
}

std::string nestedTooDeeply() {
    return czech("Příliš hluboké vnoření výrazů nebo příkazů");
}

std::string syntaxError(int line, int column, std::string_view message) {
    return czech("Chyba syntaxe na řádku: ") + std::to_string(line) +
           " , ve sloupci: " + std::to_string(column) + "\r\n" + std::string(message);
}

std::string badOpcode() {
    return czech("Chybný operační kód");
}
std::string returnStackOverflow() {
    return czech("Příliš hluboké vnoření volání procedur (zásobník návratů má jen 1001 míst)");
}

} // namespace vorlan::script::pascal::msg
