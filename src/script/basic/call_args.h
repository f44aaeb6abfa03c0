#pragma once
// The arguments of one call as the interpreter collects them: the values, and for each argument
// that was a plain variable, that variable, so a ByRef result can go back into it. The first
// few live inside the object and only those given are ever built, so the usual call allocates
// nothing and touches no more values than it has.

#include "script/value.h"

#include <array>
#include <cstddef>
#include <memory>
#include <new>
#include <span>
#include <vector>

namespace vorlan::script::basic {

class CallArgs {
public:
    CallArgs() = default;
    CallArgs(const CallArgs&) = delete;
    CallArgs& operator=(const CallArgs&) = delete;
    ~CallArgs() {
        for (std::size_t i = 0; i < built_; ++i)
            std::destroy_at(inlineValue(i));
    }

    void push_back(Value v, Value* variable = nullptr) {
        if (size_ < kInline && heap_.empty()) {
            std::construct_at(inlineValue(size_), std::move(v));
            refs_[size_] = variable;
            built_ = size_ + 1;
        } else {
            if (heap_.empty()) {
                // Past the inline room: everything moves to the heap, so the values stay one run.
                heap_.reserve(2 * kInline);
                for (std::size_t i = 0; i < size_; ++i)
                    heap_.push_back(std::move(*inlineValue(i)));
                heapRefs_.assign(refs_.begin(), refs_.begin() + static_cast<std::ptrdiff_t>(size_));
            }
            heap_.push_back(std::move(v));
            heapRefs_.push_back(variable);
        }
        ++size_;
    }

    // Adds the value `make()` gives, built where it is kept when there is inline room.
    template <class Make> void emplace(Make&& make, Value* variable) {
        if (size_ < kInline && heap_.empty()) {
            ::new (static_cast<void*>(inlineValue(size_))) Value(make());
            refs_[size_] = variable;
            built_ = ++size_;
        } else {
            push_back(make(), variable);
        }
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Value* data() { return heap_.empty() ? inlineValue(0) : heap_.data(); }
    Value& operator[](std::size_t i) { return data()[i]; }
    Value& back() { return data()[size_ - 1]; }
    void setRef(std::size_t i, Value* variable) {
        (heap_.empty() ? refs_[i] : heapRefs_[i]) = variable;
    }
    // The variable the argument `i` came from, or null.
    Value* ref(std::size_t i) const { return heap_.empty() ? refs_[i] : heapRefs_[i]; }
    std::span<Value> span() { return {data(), size_}; }
    operator std::span<Value>() { return span(); }
    std::span<Value> first(std::size_t n) { return span().first(n); }

private:
    static constexpr std::size_t kInline = 6;
    Value* inlineValue(std::size_t i) {
        return std::launder(reinterpret_cast<Value*>(storage_)) + i;
    }
    alignas(Value) std::byte storage_[kInline * sizeof(Value)];
    std::array<Value*, kInline> refs_;
    std::vector<Value> heap_;
    std::vector<Value*> heapRefs_;
    std::size_t size_ = 0;
    std::size_t built_ = 0; // inline values constructed, destroyed with the object
};

} // namespace vorlan::script::basic
