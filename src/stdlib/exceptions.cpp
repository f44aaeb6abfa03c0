#include "stdlib/exceptions.h"

#include "script/object_store.h"
#include "script/raised_exception.h"

#include <memory>

namespace vorlan::stdlib {

const ExceptionClass kExceptionClasses[] = {
    {"Exception", "TObject"},         {"EAbort", "Exception"},
    {"EConvertError", "Exception"},   {"EInOutError", "Exception"},
    {"EIntError", "Exception"},       {"EDivByZero", "EIntError"},
    {"ERangeError", "EIntError"},     {"EIntOverflow", "EIntError"},
    {"EMathError", "Exception"},      {"EInvalidOp", "EMathError"},
    {"EZeroDivide", "EMathError"},    {"EOverflow", "EMathError"},
    {"EUnderflow", "EMathError"},     {"EInvalidCast", "Exception"},
    {"EVariantError", "Exception"},   {"EOutOfMemory", "Exception"},
    {"EInvalidPointer", "Exception"}, {"EAccessViolation", "Exception"},
};
const std::size_t kExceptionClassCount = std::size(kExceptionClasses);

ExceptionObject* makeException(std::string_view className, std::string message) {
    auto object = std::make_unique<ExceptionObject>(std::string(className), std::move(message));
    return static_cast<ExceptionObject*>(script::keepUnownedObject(std::move(object)));
}

void raiseException(std::string_view className, const std::string& message) {
    throw script::ClassedScriptException(std::string(className), message);
}

void raiseConvertError(const std::string& message) {
    raiseException("EConvertError", message);
}

std::string quotedForMessage(std::string_view text) {
    return "'" + std::string(text) + "'";
}

} // namespace vorlan::stdlib
