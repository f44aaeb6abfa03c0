#pragma once
// The exception classes of the standard library (Exception and its descendants) as script
// objects, and the helpers routines use to raise them with the library's own messages.

#include "script/native_object.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vorlan::script {
class Registry;
}

namespace vorlan::stdlib {

// An exception object: `raise Exception.Create('...')`, `EConvertError.CreateFmt(...)`.
class ExceptionObject : public script::NativeObject {
public:
    ExceptionObject(std::string className, std::string text)
        : NativeObject(std::move(className)), message(std::move(text)) {}
    std::string message;
    std::int32_t helpContext = 0;
};

// The classes with their parents, in registration order (parents first).
struct ExceptionClass {
    const char* name;
    const char* parent;
};
extern const ExceptionClass kExceptionClasses[];
extern const std::size_t kExceptionClassCount;

// Registers exception classes with the constructors every one has (Create, CreateFmt,
// CreateHelp); Message and HelpContext come from Exception. Units whose routines raise classes
// of their own (EStringListError in CLASSES ...) register them here, after SYSUTILS.
void bindExceptionClasses(script::Registry& registry, std::span<const ExceptionClass> classes);

// A new exception object kept by the object store until the script frees it (raise does).
ExceptionObject* makeException(std::string_view className, std::string message);

[[noreturn]] void raiseException(std::string_view className, const std::string& message);
// EConvertError with the message of a bad conversion: "'abc' is not a valid integer value".
[[noreturn]] void raiseConvertError(const std::string& message);
// The text quoted as the messages quote it.
std::string quotedForMessage(std::string_view text);

} // namespace vorlan::stdlib
