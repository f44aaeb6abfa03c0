#pragma once
// Calls by name: a name is resolved once to an identifier, then invoked by identifier as often as
// needed. The Pascal machine, the Basic engine, the JavaScript bridge, registered procedures and
// wrapped native objects all meet here.

#include "script/value.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vorlan::script {

using DispId = std::int32_t;
constexpr DispId kUnknownDispId = -1;

enum InvokeFlags : unsigned {
    InvokeMethod = 1,
    InvokeGet = 2,
    InvokePut = 4,
};

// Results of a call, with the values automation gives them so messages can be keyed by them.
enum class DispStatus : std::uint32_t {
    Ok = 0,
    UnknownInterface = 0x80020001,
    MemberNotFound = 0x80020003,
    ParamNotFound = 0x80020004,
    TypeMismatch = 0x80020005,
    UnknownName = 0x80020006,
    NoNamedArgs = 0x80020007,
    BadVarType = 0x80020008,
    Exception = 0x80020009,
    Overflow = 0x8002000A,
    BadIndex = 0x8002000B,
    BadParamCount = 0x8002000E,
    ParamNotOptional = 0x8002000F,
    // The Pascal runner's own code for a name it cannot resolve.
    RunnerUnknownName = 1001,
};

// What a callee says about a failure reported as DispStatus::Exception.
struct ExceptionInfo {
    std::string source;
    std::string description;
};

class Dispatch {
public:
    virtual ~Dispatch() = default;

    // kUnknownDispId when the name is not known; names are case-insensitive.
    virtual DispId idOfName(std::string_view name) = 0;
    // Arguments come in source order. A callee may write into an argument to hand a `var`
    // parameter back. `result` is left empty by procedures.
    virtual DispStatus invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                              ExceptionInfo& error) = 0;
    // The class name scripts see for this object (TypeName and messages).
    virtual std::string dispatchClassName() const { return "Object"; }
};

// The Czech text of a failed call, as the runners show it.
std::string dispatchStatusMessage(DispStatus status, std::string_view name = {});

// Thrown by native code called from scripts: the call fails with DispStatus::Exception and this
// description, which reaches the script's error handler.
class ScriptException : public std::runtime_error {
public:
    explicit ScriptException(const std::string& description, std::string source = {})
        : std::runtime_error(description), source_(std::move(source)) {}
    const std::string& source() const { return source_; }

private:
    std::string source_;
};

// Convenience for callers: resolve and invoke in one step (not for loops).
DispStatus invokeByName(Dispatch& target, std::string_view name, unsigned flags,
                        std::span<Value> args, Value& result, ExceptionInfo& error);

} // namespace vorlan::script
