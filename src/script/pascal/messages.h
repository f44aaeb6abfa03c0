#pragma once
// The Czech texts of the Pascal dialect's compiler and machine, as Windows-1250 bytes.

#include <string>
#include <string_view>

namespace vorlan::script::pascal::msg {

// "Očekávám %s" and its fillers.
std::string expected(std::string_view what);
std::string separator();    // oddělovač
std::string programName();  // jméno programu
std::string identifier();   // identifikáror (sic: the text users of the system know)
std::string sourceName();   // jméno zdroje
std::string variableName(); // jméno proměnné
std::string labelName();    // jméno návěští
// One of the keywords, in double quotes and in the letter case of the messages.
std::string keyword(std::string_view word);

std::string expectedChar(std::string_view expected, std::string_view found);
std::string expectedOneOf(std::string_view first, std::string_view second);
std::string invalidProcedureUse();
std::string badString();
std::string badHexConstant();
std::string labelNotDefined(std::string_view name);
std::string labelAlreadyDefined(std::string_view name);
std::string badParameterList();
std::string badMethod();
std::string propertyNotImplemented();
std::string badDeclaration(std::string_view name);
std::string onlyClassTypes();
std::string variableAlreadyDefined(std::string_view name);
std::string variableNotDefined(std::string_view name);
std::string badBlock();
std::string breakOutsideLoop();
std::string continueOutsideLoop();
std::string unknownIdentifier(std::string_view name);
std::string unknownVariableType();
std::string linkerError();
std::string unknownType();
std::string procedureNotFound(std::string_view name);
std::string resultNotUsed(std::string_view routine);
std::string internalError();
std::string badArgumentCount();
std::string tooManySlots();
std::string tooManyLabels();
std::string tooManyConstants();
std::string tooManyConditionals();
std::string nestedTooDeeply();
// "Chyba syntaxe na řádku: %d , ve sloupci: %d\r\n%s"
std::string syntaxError(int line, int column, std::string_view message);

// The machine's own run errors.
std::string badOpcode();
std::string returnStackOverflow();

} // namespace vorlan::script::pascal::msg
