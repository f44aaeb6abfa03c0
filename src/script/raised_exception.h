#pragma once
// What a script can learn about the exception it is handling, through ExceptionMessage and
// ExceptionClassName: Pascal handlers without an `on E: Exception do` clause read it so, and
// Basic and JavaScript programs, which have Err and catch (e), can use them too.
//
// The record is process-wide: a native routine that fails sets it (with the exception class it
// raised, "Exception" when it named none), and the Pascal machine sets it when a handler takes
// over an exception that did not come from a native routine (`raise`, a failed call).

#include "script/dispatch.h"

#include <string>

namespace vorlan::script {

struct RaisedException {
    std::string className; // "EConvertError"; empty before anything was raised
    std::string message;
};

void setRaisedException(std::string className, std::string message);
const RaisedException& raisedException();

// Raised by native routines for an exception of a named class of the standard library
// (EConvertError, EInOutError ...); scripts see the message as the call's error.
class ClassedScriptException : public ScriptException {
public:
    ClassedScriptException(std::string className, const std::string& message)
        : ScriptException(message), className_(std::move(className)) {}
    const std::string& className() const { return className_; }

private:
    std::string className_;
};

// The class of an exception a native routine threw: its own for a classed one, else "Exception".
std::string exceptionClassOf(const std::exception& e);

} // namespace vorlan::script
