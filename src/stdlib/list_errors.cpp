#include "stdlib/list_errors.h"

#include "core/cp1250.h"
#include "script/dispatch.h"

#include <string>

namespace vorlan::stdlib {

void raiseListIndexError(long long index) {
    throw script::ScriptException(czech("Index seznamu je mimo rozsah (") + std::to_string(index) +
                                  ")");
}

void raiseSortedListError() {
    throw script::ScriptException(czech("Tato operace není v seřazeném seznamu řetězců povolena"));
}

void raiseDuplicateStringError() {
    throw script::ScriptException(czech("Seznam řetězců nepovoluje duplicitní položky"));
}

void raiseFileOpenError(std::string_view programPath) {
    throw script::ScriptException(czech("Soubor \"") + std::string(programPath) +
                                  czech("\" nelze otevřít"));
}

void raiseFileCreateError(std::string_view programPath) {
    throw script::ScriptException(czech("Soubor \"") + std::string(programPath) +
                                  czech("\" nelze vytvořit"));
}

} // namespace vorlan::stdlib
