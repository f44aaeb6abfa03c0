// Calls and returns: activations of the module's routines with their frames, calls by name
// through the dispatch interface, and the unwinding of calls when an exception passes.

#include "script/comp_wrapper.h"
#include "script/pascal/bin_prog.h"
#include "script/pascal/machine_dispatch.h"
#include "script/pascal/machine_errors.h"
#include "script/pascal/machine_frames.h"
#include "script/pascal/messages.h"
#include "script/raised_exception.h"
#include "script/registry.h"

namespace vorlan::script::pascal {

using namespace machine;

bool BinProg::callRoutine(MachineHost& host, std::size_t routine, std::span<Value> args,
                          Value& result) {
    result = Value();
    if (routine >= routines.size()) return false;
    const Routine& r = routines[routine];
    const std::size_t base = frames_.size();
    if (base >= static_cast<std::size_t>(kReturnStackSize) || nesting_ >= kMaxNestedRuns) {
        const Instruction& at =
            code[static_cast<std::size_t>(labels[static_cast<std::size_t>(r.entryLabel)])];
        stop_ = !host.runError(at.line, at.column, {{}, msg::returnStackOverflow()});
        return false;
    }
    enterRoutine(routine, args, false, -1, -1, true);
    const RunEnd end = execute(host, labels[static_cast<std::size_t>(r.entryLabel)], base);
    if (end != RunEnd::Returned) return false;
    result = std::move(returned_[0]);
    std::size_t k = 1;
    for (std::size_t i = 0; i < r.paramSlots.size(); ++i) {
        if (!r.varParams[i]) continue;
        if (i < args.size()) args[i] = std::move(returned_[k]);
        ++k;
    }
    return true;
}

void BinProg::releaseFrames() {
    Value* const frames = slots_.data();
    for (std::size_t i = kSlotCount; i < highWater_; ++i) {
        Value& v = frames[i];
        if (v.isString() || v.isObject() || v.isArray()) v = Value();
    }
    highWater_ = kSlotCount;
}

void BinProg::enterRoutine(std::size_t routine, std::span<Value> args, bool moveArgs,
                           std::int32_t returnPc, std::int32_t callPc, bool external) {
    if (frames_.size() >= static_cast<std::size_t>(kReturnStackSize))
        throw FatalRunError(msg::returnStackOverflow());
    const Routine& r = routines[routine];
    const Frame f{returnPc, callPc, static_cast<std::int32_t>(routine), lo_, stackTop_,
                  external, true};
    const std::int32_t lo = activate(routine);
    ++shapes_[routine].active;
    const std::size_t n = std::min(args.size(), r.paramSlots.size());
    for (std::size_t i = 0; i < n; ++i) {
        Value& param = slots_[static_cast<std::size_t>(lo + r.paramSlots[i])];
        if (moveArgs)
            param.assignFrom(std::move(args[i]));
        else
            param.assignFrom(args[i]);
    }
    if (n < r.paramSlots.size() && lo != 0) startMissingParameters(routine, lo, n);
    frames_.push_back(f);
    lo_ = lo;
}

void BinProg::startMissingParameters(std::size_t routine, std::int32_t lo, std::size_t given) {
    const Routine& r = routines[routine];
    for (std::size_t i = given; i < r.paramSlots.size(); ++i) {
        const auto slot = static_cast<std::size_t>(r.paramSlots[i]);
        slots_[static_cast<std::size_t>(lo) + slot].assignFrom(initial_[slot]);
    }
}

BinProg::Frame BinProg::leaveRoutine() {
    const Frame f = frames_.back();
    frames_.pop_back();
    if (f.routine < 0) {
        deactivate(f);
        return f;
    }
    const Routine& r = routines[static_cast<std::size_t>(f.routine)];
    // A frame of its own goes: its values move out. The routine's own slots keep their values
    // between calls, as every slot does.
    const bool ownFrame = stackTop_ > f.stackTop;
    returned_.clear();
    auto take = [&](std::int32_t slot) {
        Value& v = slots_[static_cast<std::size_t>(lo_ + slot)];
        returned_.push_back(ownFrame ? std::move(v) : v);
    };
    if (r.resultSlot >= 0)
        take(r.resultSlot);
    else
        returned_.emplace_back();
    for (std::size_t i = 0; i < r.paramSlots.size(); ++i)
        if (r.varParams[i]) take(r.paramSlots[i]);
    deactivate(f);
    return f;
}

void BinProg::unwindTo(std::size_t frames) {
    while (frames_.size() > frames) {
        const Frame f = frames_.back();
        frames_.pop_back();
        deactivate(f);
    }
}

void BinProg::failedCall(MachineHost& host, std::int32_t at, DispStatus status,
                         const ExceptionInfo& error, std::string_view name) {
    const Instruction& call = code[static_cast<std::size_t>(at)];
    const std::string description =
        status == DispStatus::Exception ? error.description : dispatchStatusMessage(status, name);
    if (handlers_.size() > handlerBase_) {
        // A native routine noted its own exception already; anything else is an Exception.
        if (status != DispStatus::Exception || raisedException().message != description)
            setRaisedException("Exception", description);
        pending_ = Handling{};
        pending_.className = raisedException().className;
        pending_.message = description;
        pending_.source = error.source;
        pending_.line = call.line;
        pending_.column = call.column;
        throw ScriptRaise(error.source + "\r\n" + description);
    }
    if (!host.runError(call.line, call.column, {error.source, description})) stop_ = true;
}

std::int32_t BinProg::opCallName(MachineHost& host, const Step& in, std::int32_t at,
                                 ArgBuffer& buffer) {
    if (--budget_ <= 0) {
        stop_ = true;
        return kStopRun;
    }
    CallCache& cache = callCache_[static_cast<std::size_t>(at)];
    if (cache.operands < 0) throw std::runtime_error(msg::badOpcode());
    const SlotRef* const ops = callOperands_.data() + cache.operands;
    const auto argc = static_cast<std::size_t>(in.a);
    auto callOwn = [&](std::size_t routine) {
        // A routine of the module: from now on the call goes straight in.
        if (steps_[static_cast<std::size_t>(at)].op != kCallOwn) prepareOwnCall(at, routine, cache);
        const OwnCall& call =
            ownCalls_[static_cast<std::size_t>(steps_[static_cast<std::size_t>(at)].a)];
        return enterOwn(call, at, static_cast<std::intptr_t>(lo_) * kSlotBytes);
    };
    if (cache.direct) return callRegistered(host, in, at, ops, *cache.direct, nullptr, buffer);
    if (cache.resolved && cache.id >= 0 && static_cast<std::size_t>(cache.id) < routines.size())
        return callOwn(static_cast<std::size_t>(cache.id));
    const std::string& name = constants[static_cast<std::size_t>(ops[0].slot)].asString();
    Dispatch& scope = host.scope();
    if (!cache.resolved) {
        const DispId id = scope.idOfName(name);
        if (id == kUnknownDispId) {
            failedCall(host, at, DispStatus::RunnerUnknownName, {}, name);
            Value& target = resultSlot(in);
            target = Value();
            const std::int32_t after = afterCall(cache, target);
            return stop_ ? kStopRun : after;
        }
        cache.id = id;
        cache.resolved = true;
        cache.own = id >= 0 && static_cast<std::size_t>(id) < routines.size();
        cache.writeBack = cache.own || host.writesArguments(scope, id);
        if (cache.own) return callOwn(static_cast<std::size_t>(id));
        if (const MethodInfo* method = host.registeredRoutine(id);
            directCallFits(method, ops + 1, argc)) {
            cache.direct = method;
            prepareRegisteredCall(at, *method, cache);
            return callRegistered(host, in, at, ops, *method, nullptr, buffer);
        }
    }
    for (std::size_t i = 0; i < argc; ++i)
        buffer[i].assignFrom(slotAt(ops[1 + i]));
    Value result;
    ExceptionInfo error;
    const DispStatus status = scope.invoke(cache.id, InvokeMethod | InvokeGet,
                                           std::span<Value>(buffer.data(), argc), result, error);
    Value& target = resultSlot(in);
    if (status != DispStatus::Ok) {
        failedCall(host, at, status, error, name);
        target = Value();
    } else {
        if (cache.writeBack)
            for (std::size_t i = argc; i-- > 0;)
                std::swap(slotAt(ops[1 + i]), buffer[i]);
        target.assignFrom(std::move(result));
    }
    const std::int32_t after = afterCall(cache, target);
    return stop_ ? kStopRun : after;
}

std::int32_t BinProg::opCallMember(MachineHost& host, const Step& in, std::int32_t at,
                                   ArgBuffer& buffer) {
    if (--budget_ <= 0) {
        stop_ = true;
        return kStopRun;
    }
    const bool put = in.op == OpPutMember;
    CallCache& cache = callCache_[static_cast<std::size_t>(at)];
    if (cache.operands < 0) throw std::runtime_error(msg::badOpcode());
    const SlotRef* const ops = callOperands_.data() + cache.operands;
    const auto argc = static_cast<std::size_t>(put ? in.b : in.a);
    const std::int32_t next = cache.next;
    ObjectRef receiver;
    if (!objects_.empty()) {
        receiver = std::move(objects_.back());
        objects_.pop_back();
    }
    if (!receiver) {
        // Nothing to call on: the call is skipped.
        if (put) return next;
        Value& target = resultSlot(in);
        target = Value();
        return afterCall(cache, target);
    }
    const bool sameTarget = cache.resolved && !cache.target.owner_before(receiver) &&
                            !receiver.owner_before(cache.target);
    if (sameTarget && (cache.direct || cache.property)) {
        // A registered method or property of a native object that is still there (a freed one
        // takes the general way, which reports it).
        if (NativeObject* self = static_cast<CompWrapper&>(*receiver).object())
            return cache.direct ? callRegistered(host, in, at, ops, *cache.direct, self, buffer)
                                : accessProperty(host, in, at, ops, argc, *cache.property, self);
    }
    const std::string& name = constants[static_cast<std::size_t>(ops[0].slot)].asString();
    if (!sameTarget) {
        const DispId id = receiver->idOfName(name);
        if (id == kUnknownDispId) {
            failedCall(host, at, DispStatus::UnknownName, {}, name);
            std::int32_t after = next;
            if (!put) {
                Value& target = resultSlot(in);
                target = Value();
                after = afterCall(cache, target);
            }
            return stop_ ? kStopRun : after;
        }
        cache.target = receiver;
        cache.id = id;
        cache.resolved = true;
        cache.writeBack = !put && host.writesArguments(*receiver, id);
        cache.direct = nullptr;
        cache.property = nullptr;
        if (auto* wrapper = dynamic_cast<CompWrapper*>(receiver.get());
            wrapper && id >= 0 && id < kPartIdBase) {
            const MemberRef member = registry().memberById(id);
            NativeObject* self = wrapper->object();
            if (self && !put && directCallFits(member.method, ops + 1, argc)) {
                cache.direct = member.method;
                return callRegistered(host, in, at, ops, *member.method, self, buffer);
            }
            if (self && directPropertyFits(member.property, put, argc)) {
                cache.property = member.property;
                return accessProperty(host, in, at, ops, argc, *member.property, self);
            }
        }
    }
    for (std::size_t i = 0; i < argc; ++i)
        buffer[i].assignFrom(slotAt(ops[1 + i]));
    Value result;
    ExceptionInfo error;
    const DispStatus status =
        receiver->invoke(cache.id, put ? InvokePut : (InvokeMethod | InvokeGet),
                         std::span<Value>(buffer.data(), argc), result, error);
    if (put) {
        if (status != DispStatus::Ok) failedCall(host, at, status, error, name);
        return stop_ ? kStopRun : next;
    }
    Value& target = resultSlot(in);
    if (status != DispStatus::Ok) {
        failedCall(host, at, status, error, name);
        target = Value();
    } else {
        if (cache.writeBack)
            for (std::size_t i = argc; i-- > 0;)
                std::swap(slotAt(ops[1 + i]), buffer[i]);
        target.assignFrom(std::move(result));
    }
    const std::int32_t after = afterCall(cache, target);
    return stop_ ? kStopRun : after;
}

bool BinProg::directPropertyFits(const PropertyInfo* property, bool put, std::size_t argc) {
    // Index arguments to a property that takes none, or too few of them, take the general way
    // (the default property of its value, or the error it reports).
    if (!property || property->indexCount < 0) return false;
    const auto indexes = static_cast<std::size_t>(property->indexCount);
    return put ? property->directWrite && argc == indexes + 1
               : property->directRead && argc == indexes;
}

std::int32_t BinProg::accessProperty(MachineHost& host, const Step& in, std::int32_t at,
                                     const SlotRef* ops, std::size_t argc,
                                     const PropertyInfo& property, NativeObject* self) {
    static const Registry& table = registry();
    std::array<Value*, kMaxParams> index;
    const bool put = in.op == OpPutMember;
    const std::size_t indexes = put ? argc - 1 : argc;
    for (std::size_t i = 0; i < indexes; ++i)
        index[i] = &slotAt(ops[1 + i]);
    ExceptionInfo error;
    if (put) {
        // The new value as a copy: a setter that runs the program's code (an event) must not
        // see it change under it.
        const Value value = slotAt(ops[argc]);
        const DispStatus status =
            table.setPropertyDirect(property, self, index.data(), value, error);
        if (status != DispStatus::Ok) [[unlikely]]
            failedCall(host, at, status, error, property.name);
        return stop_ ? kStopRun : callCache_[static_cast<std::size_t>(at)].next;
    }
    // The value goes straight into the result's slot, once the getter has read its indexes.
    Value& target = resultSlot(in);
    const DispStatus status = table.getPropertyDirect(property, self, index.data(), target, error);
    if (status != DispStatus::Ok) [[unlikely]] {
        failedCall(host, at, status, error, property.name);
        target = Value();
    }
    const std::int32_t after = afterCall(callCache_[static_cast<std::size_t>(at)], target);
    return stop_ ? kStopRun : after;
}

void BinProg::prepareRegisteredCall(std::int32_t at, const MethodInfo& method,
                                    const CallCache& cache) {
    Step& step = steps_[static_cast<std::size_t>(at)];
    RegisteredCall call;
    call.method = &method;
    call.argc = step.a;
    call.args = static_cast<std::int32_t>(ownArgs_.size());
    call.returnPc = cache.dropsResult ? cache.next + 1 : cache.next;
    call.pushResult = !cache.dropsResult;
    const SlotRef* const ops = callOperands_.data() + cache.operands + 1;
    for (std::int32_t i = 0; i < call.argc; ++i)
        ownArgs_.push_back(ByteRef{ops[i].slot * kSlotBytes, ops[i].mask});
    step.op = kCallRegistered;
    step.a = static_cast<std::int32_t>(registeredCalls_.size());
    registeredCalls_.push_back(call);
}

std::int32_t BinProg::callRegisteredStep(MachineHost& host, const Step& in, std::int32_t at,
                                         Value* scratch) {
    if (--budget_ <= 0) [[unlikely]] {
        stop_ = true;
        return kStopRun;
    }
    const RegisteredCall& call = registeredCalls_[static_cast<std::size_t>(in.a)];
    char* const m = reinterpret_cast<char*>(slots_.data());
    const std::intptr_t lo = static_cast<std::intptr_t>(lo_) * kSlotBytes;
    const ByteRef* const refs = ownArgs_.data() + call.args;
    std::array<Value*, kMaxParams> args;
    for (std::int32_t i = 0; i < call.argc; ++i)
        args[static_cast<std::size_t>(i)] =
            reinterpret_cast<Value*>(m + (lo & refs[i].mask) + refs[i].offset);
    // The result goes straight into its slot: a bound routine stores it once it has returned,
    // when it is done with its arguments (one of which may be that slot). The routine may run
    // the program's code again (a callback): the slots stay where they are.
    static const Registry& table = registry();
    Value& target = resultSlot(in);
    const DispStatus status =
        table.callDirect(*call.method, nullptr, args.data(), static_cast<std::size_t>(call.argc),
                         scratch, target, callError_);
    if (status != DispStatus::Ok) [[unlikely]] {
        const ExceptionInfo error = std::move(callError_);
        callError_ = {};
        failedCall(host, at, status, error, call.method->name);
        target = Value();
    } else if (!call.method->signature.isFunction) {
        target.clear();
    }
    if (call.pushResult) objects_.push_back(target.isObject() ? target.asObject() : nullptr);
    return stop_ ? kStopRun : call.returnPc;
}

void BinProg::prepareOwnCall(std::int32_t at, std::size_t routine, const CallCache& cache) {
    const Routine& r = routines[routine];
    Step& step = steps_[static_cast<std::size_t>(at)];
    OwnCall call;
    call.routine = static_cast<std::int32_t>(routine);
    call.returnPc = cache.dropsResult ? cache.next + 1 : cache.next;
    call.pushResult = !cache.dropsResult;
    call.argc = std::min(step.a, static_cast<std::int32_t>(r.paramSlots.size()));
    call.missing = call.argc < static_cast<std::int32_t>(r.paramSlots.size());
    call.args = static_cast<std::int32_t>(ownArgs_.size());
    call.result = step.b;
    call.resultMask = step.maskB;
    const SlotRef* const ops = callOperands_.data() + cache.operands + 1;
    for (std::int32_t i = 0; i < call.argc; ++i)
        ownArgs_.push_back(ByteRef{ops[i].slot * kSlotBytes, ops[i].mask});
    step.op = kCallOwn;
    step.a = static_cast<std::int32_t>(ownCalls_.size());
    // `f(x - 1)`: the argument's temporary T is computed by the two words before the call
    // (T := x; T op= y, fused at load). That step now makes the call too, and the computed
    // number goes straight into the parameter.
    const std::int32_t before = at - 2;
    if (call.argc == 1 && before >= 0 && code[static_cast<std::size_t>(before)].op == OpMove) {
        Step& compute = steps_[static_cast<std::size_t>(before)];
        const int arithmetic = compute.op - kFusedMoveArith;
        if (arithmetic >= 0 && arithmetic < 8 &&
            code[static_cast<std::size_t>(before)].a == ops[0].slot && compute.maskA == ops[0].mask)
            compute.op = kFusedMoveArithCallOwn + arithmetic;
    }
    ownCalls_.push_back(call);
}

bool BinProg::directCallFits(const MethodInfo* method, const SlotRef* args,
                             std::size_t argc) const {
    if (!method || !method->direct || argc < method->signature.required ||
        argc > method->signature.params.size())
        return false;
    // A routine that changes arguments in place must not see one variable under two names.
    bool writes = false;
    for (const ParamSpec& p : method->signature.params)
        writes = writes || p.mode == ParamMode::Var;
    if (!writes) return true;
    for (std::size_t i = 0; i < argc; ++i)
        for (std::size_t j = i + 1; j < argc; ++j)
            if (args[i].slot == args[j].slot) return false;
    return true;
}

std::int32_t BinProg::callRegistered(MachineHost& host, const Step& in, std::int32_t at,
                                     const SlotRef* ops, const MethodInfo& method,
                                     NativeObject* self, ArgBuffer& buffer) {
    // The call's own word: a call site's first run has made it a kCallRegistered step already.
    const auto argc = static_cast<std::size_t>(code[static_cast<std::size_t>(at)].a);
    std::array<Value*, kMaxParams> args;
    for (std::size_t i = 0; i < argc; ++i)
        args[i] = &slotAt(ops[1 + i]);
    Value result;
    ExceptionInfo error;
    const DispStatus status =
        registry().callDirect(method, self, args.data(), argc, buffer.data(), result, error);
    Value& target = resultSlot(in);
    if (status != DispStatus::Ok) [[unlikely]] {
        failedCall(host, at, status, error, method.name);
        target = Value();
    } else {
        target.assignFrom(std::move(result));
    }
    const std::int32_t after = afterCall(callCache_[static_cast<std::size_t>(at)], target);
    return stop_ ? kStopRun : after;
}

std::int32_t BinProg::opReturn(std::size_t baseFrames) {
    if (frames_.size() <= baseFrames) return kRunEnded;
    if (returnsPlainly()) return returnFromOwn();
    const Frame f = leaveRoutine();
    // Handlers the routine pushed and never popped go with it.
    while (handlers_.size() > handlerBase_ && handlers_.back().frames > frames_.size())
        handlers_.pop_back();
    if (f.external) return kRunReturned;
    if (f.routine >= 0) {
        const Routine& r = routines[static_cast<std::size_t>(f.routine)];
        const Step& call = steps_[static_cast<std::size_t>(f.callPc)];
        const auto argc = static_cast<std::size_t>(code[static_cast<std::size_t>(f.callPc)].a);
        const SlotRef* const ops =
            callOperands_.data() + callCache_[static_cast<std::size_t>(f.callPc)].operands + 1;
        // `var` parameters back into the caller's argument slots (the leftmost wins when one
        // variable is passed twice), then the result.
        std::size_t k = returned_.size();
        for (std::size_t i = r.paramSlots.size(); i-- > 0;) {
            if (!r.varParams[i]) continue;
            --k;
            if (i < argc) slotAt(ops[i]).assignFrom(std::move(returned_[k]));
        }
        Value& result = resultSlot(call);
        result.assignFrom(std::move(returned_[0]));
        if (f.pushResult) objects_.push_back(result.isObject() ? result.asObject() : nullptr);
    }
    return f.returnPc;
}

} // namespace vorlan::script::pascal
