#pragma once
// The run-time errors of the list classes, in the words scripts have always shown for them.

#include <string_view>

namespace vorlan::stdlib {

[[noreturn]] void raiseListIndexError(long long index);
[[noreturn]] void raiseSortedListError();
[[noreturn]] void raiseDuplicateStringError();
// A file that could not be opened for reading, or created or written.
[[noreturn]] void raiseFileOpenError(std::string_view programPath);
[[noreturn]] void raiseFileCreateError(std::string_view programPath);

} // namespace vorlan::stdlib
