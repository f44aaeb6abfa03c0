#include "stdlib/list_errors.h"

#include "core/cp1250.h"

#include <iterator>
#include <string>

namespace vorlan::stdlib {

namespace {

const ExceptionClass kClassesExceptions[] = {
    {"EListError", "Exception"},     {"EStringListError", "Exception"},
    {"EStreamError", "Exception"},   {"EFCreateError", "EStreamError"},
    {"EFOpenError", "EStreamError"}, {"EReadError", "EStreamError"},
    {"EWriteError", "EStreamError"},
};

std::string indexMessage(long long index) {
    return czech("Index seznamu je mimo rozsah (") + std::to_string(index) + ")";
}

} // namespace

std::span<const ExceptionClass> classesExceptionClasses() {
    return kClassesExceptions;
}

void raiseListIndexError(long long index) {
    raiseException("EListError", indexMessage(index));
}

void raiseStringListIndexError(long long index) {
    raiseException("EStringListError", indexMessage(index));
}

void raiseSortedListError() {
    raiseException("EStringListError",
                   czech("Tato operace není v seřazeném seznamu řetězců povolena"));
}

void raiseDuplicateStringError() {
    raiseException("EStringListError", czech("Seznam řetězců nepovoluje duplicitní položky"));
}

void raiseFileOpenError(std::string_view programPath) {
    raiseException("EFOpenError",
                   czech("Soubor \"") + std::string(programPath) + czech("\" nelze otevřít"));
}

void raiseFileCreateError(std::string_view programPath) {
    raiseException("EFCreateError",
                   czech("Soubor \"") + std::string(programPath) + czech("\" nelze vytvořit"));
}

void raiseStreamError(const std::string& message) {
    raiseException("EStreamError", message);
}

} // namespace vorlan::stdlib
