#include "script/basic/basic_interp.h"

namespace vorlan::script::basic {

void raise(std::int32_t number, std::string description) {
    BasicError e;
    e.number = number;
    e.description = description.empty() ? errorText(number) : std::move(description);
    throw e;
}

std::string errorText(std::int32_t number) {
    switch (number) {
    case 5:
        return "Invalid procedure call or argument";
    case 6:
        return "Overflow";
    case 7:
        return "Out of memory";
    case 9:
        return "Subscript out of range";
    case 10:
        return "This array is fixed or temporarily locked";
    case 11:
        return "Division by zero";
    case 13:
        return "Type mismatch";
    case 28:
        return "Out of stack space";
    case 35:
        return "Sub or Function not defined";
    case 91:
        return "Object variable not set";
    case 92:
        return "For loop not initialized";
    case 424:
        return "Object required";
    case 429:
        return "Class not defined";
    case 438:
        return "Object doesn't support this property or method";
    case 450:
        return "Wrong number of arguments or invalid property assignment";
    case 451:
        return "Object not a collection";
    case 500:
        return "Variable is undefined";
    case 501:
        return "Illegal assignment";
    default:
        return "Unknown runtime error";
    }
}

} // namespace vorlan::script::basic
