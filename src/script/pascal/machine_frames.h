#pragma once
// The activations of the module's routines, kept inline for the machine's loop: the frame a call
// of one of the module's routines makes and the plain return from it. The first activation of
// a routine runs in the routine's own slots of the bank (their values stay between calls, as
// every slot's do); an activation of a routine that is running already gets a frame above the
// bank, so a call copies nothing but its arguments.

#include "script/pascal/bin_prog.h"
#include "script/pascal/machine_errors.h"
#include "script/pascal/messages.h"

namespace vorlan::script::pascal {

[[gnu::always_inline]] inline std::int32_t BinProg::activate(const FrameShape& shape) {
    if (shape.active == 0) return 0;
    // The routine is running already: this activation gets slots of its own. Its result and
    // locals start as the routine's slots started when the program was loaded; its parameters
    // are filled by the caller, and its temporaries are written before they are read.
    const std::size_t base = stackTop_;
    const std::size_t top = base + static_cast<std::size_t>(shape.count);
    if (top > slotsInUse_) [[unlikely]] {
        if (top > slots_.capacity()) throw machine::FatalRunError(msg::returnStackOverflow());
        slots_.resize(top);
        slotsInUse_ = top;
    }
    Value* const to = slots_.data() + base;
    const Value* const from = initial_.data() + shape.first;
    for (std::int32_t i = shape.initFrom; i < shape.initTo; ++i) {
        // Most results and locals start empty; what the slot held last time is a number as
        // often as not.
        if (from[i].isEmpty())
            to[i].clear();
        else
            to[i].assignFrom(from[i]);
    }
    stackTop_ = static_cast<std::uint32_t>(top);
    if (stackTop_ > highWater_) highWater_ = stackTop_;
    return static_cast<std::int32_t>(base) - shape.first;
}

[[gnu::always_inline]] inline void BinProg::deactivate(const Frame& f) {
    stackTop_ = f.stackTop;
    // The frames of a finished recursion let go of what they hold (strings, objects) once the
    // outermost of them is gone, not on every return.
    if (stackTop_ == kSlotCount && highWater_ > kSlotCount) [[unlikely]]
        releaseFrames();
    lo_ = f.callerLo;
    if (f.routine >= 0) --shapes_[static_cast<std::size_t>(f.routine)].active;
}

[[gnu::always_inline]] inline std::int32_t BinProg::openOwn(const OwnCall& call) {
    if (frames_.size() >= static_cast<std::size_t>(kReturnStackSize)) [[unlikely]]
        throw machine::FatalRunError(msg::returnStackOverflow());
    return activate(shapes_[static_cast<std::size_t>(call.routine)]);
}

[[gnu::always_inline]] inline std::int32_t BinProg::pushOwn(const OwnCall& call, std::int32_t at,
                                                            std::int32_t lo, std::int32_t callerLo,
                                                            std::uint32_t top) {
    FrameShape& shape = shapes_[static_cast<std::size_t>(call.routine)];
    if (call.missing && lo != 0) [[unlikely]]
        startMissingParameters(static_cast<std::size_t>(call.routine), lo,
                               static_cast<std::size_t>(call.argc));
    ++shape.active;
    const std::int32_t resultAt = ((callerLo * kSlotBytes) & call.resultMask) + call.result;
    frames_.push_back(
        Frame{call.returnPc, at, call.routine, callerLo, top, false, call.pushResult, resultAt});
    lo_ = lo;
    return shape.entry;
}

[[gnu::always_inline]] inline std::int32_t BinProg::enterOwn(const OwnCall& call, std::int32_t at,
                                                             std::intptr_t callerBytes) {
    const std::int32_t callerLo = lo_;
    const std::uint32_t top = stackTop_;
    const std::int32_t lo = openOwn(call);
    // The new activation's slots are its own (the routine's slots in the bank when it is not
    // running, a new frame when it is): no argument can be one of them.
    char* const m = reinterpret_cast<char*>(slots_.data());
    char* const callee = m + static_cast<std::intptr_t>(lo) * kSlotBytes;
    const std::int32_t* const params = shapes_[static_cast<std::size_t>(call.routine)].paramBytes;
    const ByteRef* const args = ownArgs_.data() + call.args;
    for (std::int32_t i = 0; i < call.argc; ++i) {
        const Value& from =
            *reinterpret_cast<const Value*>(m + (callerBytes & args[i].mask) + args[i].offset);
        reinterpret_cast<Value*>(callee + params[i])->assignFrom(from);
    }
    return pushOwn(call, at, lo, callerLo, top);
}

[[gnu::always_inline]] inline std::int32_t
BinProg::enterOwnWith(const OwnCall& call, std::int32_t at, std::int32_t value) {
    const std::int32_t callerLo = lo_;
    const std::uint32_t top = stackTop_;
    const std::int32_t lo = openOwn(call);
    char* const m = reinterpret_cast<char*>(slots_.data());
    const std::int32_t param = *shapes_[static_cast<std::size_t>(call.routine)].paramBytes;
    reinterpret_cast<Value*>(m + static_cast<std::intptr_t>(lo) * kSlotBytes + param)
        ->setInt(value);
    return pushOwn(call, at, lo, callerLo, top);
}

[[gnu::always_inline]] inline bool BinProg::returnsPlainly() const {
    if (frames_.empty()) return false;
    const Frame& top = frames_.back();
    // A handler of an outer run was pushed below this run's frames, so only this run's
    // handlers can be as deep as the returning activation.
    return top.routine >= 0 && !top.external &&
           !(!handlers_.empty() && handlers_.back().frames >= frames_.size());
}

[[gnu::always_inline]] inline std::int32_t BinProg::returnFromOwn() {
    // The common return: the result and the `var` parameters go straight from the
    // activation's slots to the caller's.
    const Frame& f = frames_.back();
    const std::int32_t returnPc = f.returnPc;
    const std::int32_t callerLo = f.callerLo;
    const std::uint32_t top = f.stackTop;
    const bool pushResult = f.pushResult;
    FrameShape& shape = shapes_[static_cast<std::size_t>(f.routine)];
    char* const m = reinterpret_cast<char*>(slots_.data());
    Value& result = *reinterpret_cast<Value*>(m + f.resultAt);
    Value* const s = slots_.data();
    const std::int32_t lo = lo_;
    if (shape.varParams) [[unlikely]] {
        // The leftmost wins when one variable is passed twice.
        const Routine& r = routines[static_cast<std::size_t>(f.routine)];
        const auto argc = static_cast<std::size_t>(code[static_cast<std::size_t>(f.callPc)].a);
        const SlotRef* const ops =
            callOperands_.data() + callCache_[static_cast<std::size_t>(f.callPc)].operands + 1;
        for (std::size_t i = r.paramSlots.size(); i-- > 0;)
            if (r.varParams[i] && i < argc)
                s[(callerLo & ops[i].mask) + ops[i].slot].assignFrom(s[lo + r.paramSlots[i]]);
    }
    frames_.pop_back();
    if (shape.result < 0) [[unlikely]]
        result = Value();
    else if (stackTop_ > top)
        result.assignFrom(std::move(s[lo + shape.result]));
    else
        result.assignFrom(s[lo + shape.result]);
    stackTop_ = top;
    // The frames of a finished recursion let go of what they hold (strings, objects) once the
    // outermost of them is gone, not on every return.
    if (top == kSlotCount && highWater_ > kSlotCount) [[unlikely]]
        releaseFrames();
    lo_ = callerLo;
    --shape.active;
    if (pushResult) objects_.push_back(result.isObject() ? result.asObject() : nullptr);
    return returnPc;
}

} // namespace vorlan::script::pascal
