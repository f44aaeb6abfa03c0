#pragma once
// What the dialects use to call a registered routine straight through its direct entry: the
// values of arguments that are neither literals nor variables, built in place on the stack, and
// the call for arguments of another type than declared, which converts them on the stack too.

#include "script/registry.h"
#include "script/value.h"

#include <array>
#include <cstddef>
#include <memory>
#include <new>

namespace vorlan::script {

template <std::size_t N> class DirectCallArgs {
public:
    DirectCallArgs() = default;
    DirectCallArgs(const DirectCallArgs&) = delete;
    DirectCallArgs& operator=(const DirectCallArgs&) = delete;
    ~DirectCallArgs() {
        for (std::size_t i = 0; i < built_; ++i)
            if (at(i)->ownsStorage()) std::destroy_at(at(i));
    }
    template <class Make> Value* add(Make&& make) {
        Value* v = ::new (static_cast<void*>(storage_ + built_ * sizeof(Value))) Value(make());
        ++built_;
        return v;
    }

private:
    Value* at(std::size_t i) {
        return std::launder(reinterpret_cast<Value*>(storage_ + i * sizeof(Value)));
    }
    alignas(Value) std::byte storage_[N * sizeof(Value)];
    std::size_t built_ = 0;
};

// Kept out of line: the conversion scratch would otherwise sit in every caller's frame.
template <std::size_t N>
[[gnu::noinline]] DispStatus callConverting(const MethodInfo& method, NativeObject* self,
                                            Value* const* at, std::size_t argc, Value& result,
                                            ExceptionInfo& error) {
    std::array<Value, N> scratch;
    return registry().callDirect(method, self, at, argc, scratch.data(), result, error);
}

} // namespace vorlan::script
