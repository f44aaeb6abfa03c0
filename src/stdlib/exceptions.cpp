#include "stdlib/exceptions.h"

#include "script/bind.h"
#include "script/object_store.h"
#include "script/raised_exception.h"
#include "stdlib/sysutils_format.h"

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

void bindExceptionClasses(script::Registry& registry, std::span<const ExceptionClass> classes) {
    for (const ExceptionClass& cls : classes) {
        const std::string name = cls.name;
        script::ClassBinder<ExceptionObject> c(registry, name, cls.parent);
        c.bindClassLevel("Create", "function(const Msg: string): Exception",
                         [name](std::string msg) { return makeException(name, std::move(msg)); });
        c.bindClassLevel("CreateFmt",
                         "function(const Msg: string; const Args: array of const): Exception",
                         [name](std::string_view msg, const script::Value& args) {
                             return makeException(name, formatText(msg, args));
                         });
        c.bindClassLevel("CreateHelp",
                         "function(const Msg: string; AHelpContext: Integer): Exception",
                         [name](std::string msg, std::int32_t help) {
                             ExceptionObject* e = makeException(name, std::move(msg));
                             e->helpContext = help;
                             return e;
                         });
    }
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
