#pragma once
// How a run of the machine ends early: the exceptions it throws to itself, and the answers of
// its call and return operations that are not code indexes.

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace vorlan::script::pascal::machine {

// `raise` of the script, and a failed call while a handler is active.
class ScriptRaise : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ends the run whatever handlers are active.
class FatalRunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs nested through native callbacks (an event fired from inside a call) are bounded so that
// a script calling itself through the system cannot exhaust the native stack.
constexpr std::size_t kMaxNestedRuns = 200;

constexpr std::int32_t kStopRun = -1;
constexpr std::int32_t kRunEnded = -2;
constexpr std::int32_t kRunReturned = -3;

} // namespace vorlan::script::pascal::machine
