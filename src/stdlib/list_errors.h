#pragma once
// The run-time errors of the list and stream classes, in the words scripts have always shown for
// them. Each is an exception class of CLASSES derived from Exception, so a handler reads it
// through ExceptionMessage and ExceptionClassName like the errors of SYSUTILS.

#include "stdlib/exceptions.h"

#include <span>
#include <string_view>

namespace vorlan::stdlib {

// EListError, EStringListError, EStreamError and its descendants, parents first.
std::span<const ExceptionClass> classesExceptionClasses();

// A bad index or count of a TList (EListError) or a string list (EStringListError).
[[noreturn]] void raiseListIndexError(long long index);
[[noreturn]] void raiseStringListIndexError(long long index);
[[noreturn]] void raiseSortedListError();
[[noreturn]] void raiseDuplicateStringError();
// A file that could not be opened for reading (EFOpenError), or created or written
// (EFCreateError).
[[noreturn]] void raiseFileOpenError(std::string_view programPath);
[[noreturn]] void raiseFileCreateError(std::string_view programPath);
// Any other failure of a stream (EStreamError).
[[noreturn]] void raiseStreamError(const std::string& message);

} // namespace vorlan::stdlib
