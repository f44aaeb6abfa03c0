#pragma once
// The machine's view of the exception classes: which class a run-time error raises, whether an
// exception matches the class of an `on` clause, and the object a handler's `E` names.

#include "script/value.h"

#include <exception>
#include <string>
#include <string_view>

namespace vorlan::script::pascal {

// The class of an error thrown while the machine ran an instruction with operation `op`: a
// classed exception of a native routine keeps its class, an arithmetic or variant error of the
// machine gets the class a compiled program raises for it.
std::string runErrorClass(const std::exception& e, std::int32_t op);

// The message of that error: a real division by zero says that it is one.
std::string runErrorMessage(const std::exception& e, std::int32_t op);

// Whether an exception of class `className` is caught by `on X: handledClass do`.
bool exceptionMatches(std::string_view className, std::string_view handledClass);

// A new object of the exception class (Exception when that class is not registered) with the
// message, or null when no exception class is registered at all.
ObjectRef makeExceptionObject(const std::string& className, const std::string& message);

// Frees an object of an exception class, as the end of its handler does; other objects stay.
void freeExceptionObject(const ObjectRef& object);

} // namespace vorlan::script::pascal
