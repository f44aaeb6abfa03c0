#include "script/pascal/bin_prog.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/pascal/handled_exception.h"
#include "script/pascal/machine_dispatch.h"
#include "script/pascal/machine_errors.h"
#include "script/pascal/machine_frames.h"
#include "script/pascal/machine_values.h"
#include "script/pascal/messages.h"
#include "script/pascal/write_text.h"
#include "script/raised_exception.h"

#include <algorithm>
#include <climits>

namespace vorlan::script::pascal {

using namespace machine;

namespace {

// The slots as the running activation sees them, and the fused forms. A fused form starts
// with `pc` at the instruction after its first; false when the step budget is spent by the
// jump.
struct SlotView {
    char* m; // the bank, then the frames of recursive activations
    // The running activation's frame offset in bytes: decoded operands are byte offsets too, so
    // an operand's address is a mask and two additions.
    std::intptr_t lo;
    const Step* steps; // the decoded words
    const std::int32_t* targets;
    std::int32_t pc;
    // The steps left, kept in a local of the run (the machine's member is brought up to date
    // whenever the run leaves its loop or calls out of the module).
    std::int64_t& budget;

    [[gnu::always_inline]] Value& a(const Step& st) const {
        return *reinterpret_cast<Value*>(m + ((lo & st.maskA) + st.a));
    }
    [[gnu::always_inline]] Value& b(const Step& st) const {
        return *reinterpret_cast<Value*>(m + ((lo & st.maskB) + st.b));
    }
    [[gnu::always_inline]] void enter(std::int32_t frameOffset) {
        lo = static_cast<std::intptr_t>(frameOffset) * kSlotBytes;
    }

    [[gnu::always_inline]] bool jumpTo(std::int32_t label) {
        if (--budget <= 0) [[unlikely]]
            return false;
        pc = targets[label];
        return true;
    }
    // T := x; T cmp= y; if not T jump
    template <int cmp> [[gnu::always_inline]] bool moveCompareJump(const Step& in) {
        const Value& x = b(in);
        const Value& y = b(steps[pc]);
        if (!(x.isInteger() && y.isInteger())) [[unlikely]] {
            a(in).assignFrom(x);
            return true;
        }
        const bool r = integerCompare<cmp>(x.asInt(), y.asInt());
        a(in).setBool(r);
        if (r) {
            pc += 2;
            return true;
        }
        return jumpTo(steps[pc + 1].b);
    }
    // T := x; T op= y; T cmp= z; if not T jump
    template <std::int32_t op, int cmp>
    [[gnu::always_inline]] bool moveArithCompareJump(const Step& in) {
        const Value& x = b(in);
        const Value& y = b(steps[pc]);
        const Value& z = b(steps[pc + 1]);
        std::int32_t v = 0;
        if (!(x.isInteger() && y.isInteger() && z.isInteger()) ||
            !integerArithmetic<op>(x.asInt(), y.asInt(), v)) {
            a(in).assignFrom(x);
            return true;
        }
        const bool r = integerCompare<cmp>(v, z.asInt());
        a(in).setBool(r);
        if (r) {
            pc += 3;
            return true;
        }
        return jumpTo(steps[pc + 2].b);
    }
    // T cmp= y; if not T jump
    template <int cmp> [[gnu::always_inline]] bool compareJump(const Step& in) {
        Value& t = a(in);
        const Value& y = b(in);
        if (!(t.isInteger() && y.isInteger())) [[unlikely]] {
            slowComparison(t, y, comparisonOfIndex(cmp));
            return true;
        }
        const bool r = integerCompare<cmp>(t.asInt(), y.asInt());
        t.setBool(r);
        if (r) {
            ++pc;
            return true;
        }
        return jumpTo(steps[pc].b);
    }
    // T op= y; x := T
    template <BinaryOp op> [[gnu::always_inline]] void arithMove(const Step& in) {
        Value& t = a(in);
        arithmetic<op>(t, b(in));
        a(steps[pc++]).assignFrom(t);
    }
    // x := y (the first half of the fused moves)
    [[gnu::always_inline]] void move(const Step& in) { a(in).assignFrom(b(in)); }
    // T := x; T op= y when both are integers and the result fits, with `pc` past both words;
    // otherwise only T := x (the arithmetic word runs next).
    template <std::int32_t op>
    [[gnu::always_inline]] bool integerMoveArith(const Step& in, std::int32_t& v) {
        const Value& x = b(in);
        const Value& y = b(steps[pc]);
        if (x.isInteger() && y.isInteger() && integerArithmetic<op>(x.asInt(), y.asInt(), v)) {
            a(in).setInt(v);
            ++pc;
            return true;
        }
        a(in).assignFrom(x);
        return false;
    }
    // T := x; T op= y
    template <std::int32_t op> [[gnu::always_inline]] void moveArith(const Step& in) {
        const Value& x = b(in);
        const Value& y = b(steps[pc]);
        std::int32_t v = 0;
        if (x.isInteger() && y.isInteger() && integerArithmetic<op>(x.asInt(), y.asInt(), v)) {
            a(in).setInt(v);
            ++pc;
        } else {
            a(in).assignFrom(x);
        }
    }
};

// An open array built in a loop (`Format('%d', [i])`) lands in the same slot each time: when
// nothing else holds the last one, it is emptied and used again instead of allocated anew.
// `holders` is how many references the machine itself keeps (the slot, and the spare).
bool reusable(const std::shared_ptr<VarArray>& array, std::int32_t high, long holders) {
    if (array.use_count() != holders || array->dimensions() != 1) return false;
    const VarArray::Bound bound = array->bound(0);
    if (bound.low != 0 || bound.high != high) return false;
    for (Value& item : array->items())
        item.clear();
    return true;
}

} // namespace

BinProg::BinProg() : slots_(kSlotCount), initial_(kSlotCount) {}
BinProg::~BinProg() = default;

void BinProg::runMain(MachineHost& host) {
    execute(host, 0, frames_.size());
}

void BinProg::newArray(Value& slot, std::int32_t high) {
    if (slot.isArray() && reusable(slot.asArray(), high, slot.asArray() == spareArray_ ? 2 : 1))
        return;
    // The slot was a temporary that other values have used since: the spare array is free
    // again once nothing else holds it.
    if (spareArray_ && reusable(spareArray_, high, 1)) {
        slot = Value(spareArray_);
        return;
    }
    spareArray_ = VarArray::create(0, high);
    slot = Value(spareArray_);
}

BinProg::RunEnd BinProg::execute(MachineHost& host, std::int32_t startPc, std::size_t baseFrames) {
    if (nesting_ >= kMaxNestedRuns) {
        unwindTo(baseFrames);
        const Instruction& at = code[static_cast<std::size_t>(startPc)];
        stop_ = !host.runError(at.line, at.column, {{}, msg::returnStackOverflow()});
        return RunEnd::Failed;
    }
    if (argBuffers_.size() <= nesting_) argBuffers_.push_back(std::make_unique<ArgBuffer>());
    ArgBuffer& buffer = *argBuffers_[nesting_];
    ++nesting_;
    const std::size_t outerHandlerBase = handlerBase_;
    handlerBase_ = handlers_.size();
    const std::size_t outerHandlingBase = handlingBase_;
    handlingBase_ = handling_.size();
    const std::size_t objectBase = objects_.size();
    stop_ = false;
    std::int64_t budget = budget_;

    auto finish = [&](RunEnd end) {
        budget_ = budget;
        unwindTo(baseFrames);
        if (handlers_.size() > handlerBase_) handlers_.resize(handlerBase_);
        if (objects_.size() > objectBase) objects_.resize(objectBase);
        dropHandling(handlingBase_);
        handlingBase_ = outerHandlingBase;
        handlerBase_ = outerHandlerBase;
        --nesting_;
        return end;
    };

    std::int32_t pc = startPc;
    std::int32_t at = pc;
    for (;;) {
        try {
            const Step* const steps = steps_.data();
            const std::int32_t* const targets = labels.data();
            SlotView f{reinterpret_cast<char*>(slots_.data()), 0, steps, targets, pc, budget};
            f.enter(lo_);
            bool ok = true;
            for (;;) {
                at = f.pc;
                const Step& in = steps[f.pc++];
                switch (in.op) {
#define VORLAN_FUSED_COMPARISONS(base, call, ...)                                                  \
    case base + 0:                                                                                 \
        ok = f.call<__VA_ARGS__ 0>(in);                                                            \
        break;                                                                                     \
    case base + 1:                                                                                 \
        ok = f.call<__VA_ARGS__ 1>(in);                                                            \
        break;                                                                                     \
    case base + 2:                                                                                 \
        ok = f.call<__VA_ARGS__ 2>(in);                                                            \
        break;                                                                                     \
    case base + 3:                                                                                 \
        ok = f.call<__VA_ARGS__ 3>(in);                                                            \
        break;                                                                                     \
    case base + 4:                                                                                 \
        ok = f.call<__VA_ARGS__ 4>(in);                                                            \
        break;                                                                                     \
    case base + 5:                                                                                 \
        ok = f.call<__VA_ARGS__ 5>(in);                                                            \
        break;
#define VORLAN_FUSED_ARITHMETIC(index, op, binary)                                                 \
    case kFusedMoveArith + index:                                                                  \
        f.moveArith<op>(in);                                                                       \
        break;                                                                                     \
    case kFusedArithMove + index:                                                                  \
        f.arithMove<binary>(in);                                                                   \
        break;                                                                                     \
    case kFusedArithMoveReturn + index:                                                            \
        f.arithMove<binary>(in);                                                                   \
        goto plainReturn;                                                                          \
    case kFusedMoveArithCallOwn + index: {                                                         \
        std::int32_t v = 0;                                                                        \
        if (!f.integerMoveArith<op>(in, v)) break;                                                 \
        if (--budget <= 0) [[unlikely]] {                                                          \
            stop_ = true;                                                                          \
            return finish(RunEnd::Failed);                                                         \
        }                                                                                          \
        at = f.pc;                                                                                 \
        f.pc = enterOwnWith(ownCalls_[static_cast<std::size_t>(steps[at].a)], at, v);              \
        f.enter(lo_);                                                                              \
        break;                                                                                     \
    }                                                                                              \
        VORLAN_FUSED_COMPARISONS(kFusedMoveArithCmpJump + 6 * index, moveArithCompareJump, op, )
                    VORLAN_FUSED_COMPARISONS(kFusedMoveCmpJump, moveCompareJump)
                    VORLAN_FUSED_COMPARISONS(kFusedCmpJump, compareJump)
                    VORLAN_FUSED_ARITHMETIC(0, OpAdd, BinaryOp::Add)
                    VORLAN_FUSED_ARITHMETIC(1, OpSubtract, BinaryOp::Subtract)
                    VORLAN_FUSED_ARITHMETIC(2, OpMultiply, BinaryOp::Multiply)
                    VORLAN_FUSED_ARITHMETIC(3, OpIntDivide, BinaryOp::IntDivide)
                    VORLAN_FUSED_ARITHMETIC(4, OpModulo, BinaryOp::Modulo)
                    VORLAN_FUSED_ARITHMETIC(5, OpAnd, BinaryOp::And)
                    VORLAN_FUSED_ARITHMETIC(6, OpOr, BinaryOp::Or)
                    VORLAN_FUSED_ARITHMETIC(7, OpXor, BinaryOp::Xor)
#undef VORLAN_FUSED_ARITHMETIC
#undef VORLAN_FUSED_COMPARISONS
                case OpAdd:
                    arithmetic<BinaryOp::Add>(f.a(in), f.b(in));
                    break;
                case OpSubtract:
                    arithmetic<BinaryOp::Subtract>(f.a(in), f.b(in));
                    break;
                case OpMultiply:
                    arithmetic<BinaryOp::Multiply>(f.a(in), f.b(in));
                    break;
                case OpIntDivide:
                    arithmetic<BinaryOp::IntDivide>(f.a(in), f.b(in));
                    break;
                case OpModulo:
                    arithmetic<BinaryOp::Modulo>(f.a(in), f.b(in));
                    break;
                case OpDivide:
                    slowArithmetic(f.a(in), f.b(in), BinaryOp::Divide);
                    break;
                case OpShl:
                    slowArithmetic(f.a(in), f.b(in), BinaryOp::ShiftLeft);
                    break;
                case OpShr:
                    slowArithmetic(f.a(in), f.b(in), BinaryOp::ShiftRight);
                    break;
                case OpNot: {
                    Value& v = f.a(in);
                    if (v.isBoolean())
                        v.setBool(!v.asBool());
                    else
                        v = logicalNot(v);
                    break;
                }
                case OpOr:
                    arithmetic<BinaryOp::Or>(f.a(in), f.b(in));
                    break;
                case OpXor:
                    arithmetic<BinaryOp::Xor>(f.a(in), f.b(in));
                    break;
                case OpAnd:
                    arithmetic<BinaryOp::And>(f.a(in), f.b(in));
                    break;
                case OpGreaterEqual:
                    comparison<CompareOp::GreaterEqual>(f.a(in), f.b(in));
                    break;
                case OpEqual:
                    comparison<CompareOp::Equal>(f.a(in), f.b(in));
                    break;
                case OpLessEqual:
                    comparison<CompareOp::LessEqual>(f.a(in), f.b(in));
                    break;
                case OpNotEqual:
                    comparison<CompareOp::NotEqual>(f.a(in), f.b(in));
                    break;
                case OpGreater:
                    comparison<CompareOp::Greater>(f.a(in), f.b(in));
                    break;
                case OpLess:
                    comparison<CompareOp::Less>(f.a(in), f.b(in));
                    break;
                case OpNegate: {
                    Value& v = f.a(in);
                    if (v.isInteger() && v.asInt() != INT32_MIN)
                        v.setInt(-v.asInt());
                    else
                        v = negate(v);
                    break;
                }
                case OpJump:
                    ok = f.jumpTo(in.a);
                    break;
                case OpJumpIfFalse:
                    if (isFalse(f.a(in))) ok = f.jumpTo(in.b);
                    break;
                case OpLoadConst: {
                    const Value& c = constants[static_cast<std::size_t>(in.b)];
                    if (c.isInteger())
                        f.a(in).setInt(c.asInt());
                    else
                        f.a(in) = c;
                    break;
                }
                case OpEndProgram:
                    return finish(RunEnd::Ended);
                case OpIncrement: {
                    Value& v = f.a(in);
                    if (v.isInteger() && v.asInt() != INT32_MAX)
                        v.setInt(v.asInt() + 1);
                    else
                        v = binaryOp(BinaryOp::Add, v, Value(1));
                    break;
                }
                case OpDecrement: {
                    Value& v = f.a(in);
                    if (v.isInteger() && v.asInt() != INT32_MIN)
                        v.setInt(v.asInt() - 1);
                    else
                        v = binaryOp(BinaryOp::Subtract, v, Value(1));
                    break;
                }
                case OpMove: {
                    const Value& from = f.b(in);
                    Value& to = f.a(in);
                    if (from.isInteger())
                        to.setInt(from.asInt());
                    else if (from.isBoolean())
                        to.setBool(from.asBool());
                    else if (&to != &from)
                        to = from;
                    break;
                }
                case OpCallLabel:
                    if (--budget <= 0) [[unlikely]] {
                        stop_ = true;
                        return finish(RunEnd::Failed);
                    }
                    if (frames_.size() >= static_cast<std::size_t>(kReturnStackSize)) [[unlikely]]
                        throw FatalRunError(msg::returnStackOverflow());
                    frames_.push_back(Frame{f.pc, -1, -1, lo_, stackTop_, false, true});
                    f.pc = targets[in.a];
                    break;
                case kFusedMoveJump:
                    f.move(in);
                    ok = f.jumpTo(steps[f.pc].a);
                    break;
                case kFusedMoveReturn:
                    f.move(in);
                    [[fallthrough]];
                case kJumpReturn:
                    // The jump to the return spends its step as any jump does.
                    if (--budget <= 0) [[unlikely]] {
                        stop_ = true;
                        return finish(RunEnd::Failed);
                    }
                    [[fallthrough]];
                case OpReturn:
                plainReturn : {
                    if (frames_.size() > baseFrames && returnsPlainly()) {
                        f.pc = returnFromOwn();
                        f.enter(lo_);
                        break;
                    }
                    const std::int32_t next = opReturn(baseFrames);
                    if (next == kRunEnded) return finish(RunEnd::Ended);
                    if (next == kRunReturned) return finish(RunEnd::Returned);
                    f.pc = next;
                    f.enter(lo_);
                    break;
                }
                case OpNewArray: {
                    Value& array = f.a(in);
                    newArray(array, in.b);
                    break;
                }
                case OpSetElement: {
                    Value& array = f.a(steps[f.pc++]);
                    if (!array.isArray()) throw ValueError(czech("Varianta není pole"));
                    // The spare array held only by the machine and this slot is this slot's
                    // alone: it is filled without the copy a shared array would need.
                    VarArray& elements =
                        array.asArray() == spareArray_ && spareArray_.use_count() == 2
                            ? *spareArray_
                            : array.mutableArray();
                    elements.items()[elementOffset(elements, in.a)] = f.b(in);
                    break;
                }
                case OpCallName:
                case kCallRegistered: {
                    // The first run of a call resolves its name; a call of the module's own
                    // routine becomes a kCallOwn step there.
                    budget_ = budget;
                    const std::int32_t next = in.op == kCallRegistered
                                                  ? callRegisteredStep(host, in, at, buffer.data())
                                                  : opCallName(host, in, at, buffer);
                    budget = budget_;
                    if (next < 0) return finish(RunEnd::Failed);
                    f.pc = next;
                    f.enter(lo_);
                    break;
                }
                case kCallOwn:
                    if (--budget <= 0) [[unlikely]] {
                        stop_ = true;
                        return finish(RunEnd::Failed);
                    }
                    f.pc = enterOwn(ownCalls_[static_cast<std::size_t>(in.a)], at, f.lo);
                    f.enter(lo_);
                    break;
                case OpCallMember:
                case OpPutMember: {
                    budget_ = budget;
                    const std::int32_t next = opCallMember(host, in, at, buffer);
                    budget = budget_;
                    if (next < 0) return finish(RunEnd::Failed);
                    f.pc = next;
                    break;
                }
                case OpPopObject:
                    if (objects_.size() > objectBase) objects_.pop_back();
                    break;
                case OpPushObject: {
                    const Value& v = f.a(in);
                    objects_.push_back(v.isObject() ? v.asObject() : nullptr);
                    break;
                }
                case OpPushHandler:
                    handlers_.push_back(
                        Handler{targets[in.a], static_cast<std::uint32_t>(frames_.size()),
                                static_cast<std::uint32_t>(objects_.size()),
                                static_cast<std::uint32_t>(handling_.size()), in.b == 1});
                    break;
                case OpRaise:
                    raise(at, in.a == -1 ? nullptr : &f.a(in));
                case OpCharAt:
                    charAt(f.a(in), f.b(in));
                    break;
                case OpPopHandler:
                    if (handlers_.size() > handlerBase_) handlers_.pop_back();
                    break;
                case OpExceptionObject:
                    if (handling_.size() > handlingBase_) {
                        Handling& h = handling_.back();
                        if (!h.object) h.object = makeExceptionObject(h.className, h.message);
                        f.a(in) = Value(h.object);
                    } else {
                        f.a(in) = Value(ObjectRef());
                    }
                    break;
                case OpExceptionIs:
                    f.a(in).setBool(
                        handling_.size() > handlingBase_ &&
                        exceptionMatches(handling_.back().className,
                                         constants[static_cast<std::size_t>(in.b)].toString()));
                    break;
                case OpEndExcept:
                    if (handling_.size() > handlingBase_) dropHandling(handling_.size() - 1);
                    break;
                case OpLeaveFinally:
                    opLeaveFinally();
                    break;
                case OpWriteFixed:
                    f.a(in) = Value(fixedText(f.a(in), f.b(in).toInt()));
                    break;
                case OpWriteWidth:
                    f.a(in) = Value(paddedText(writeText(f.a(in)), f.b(in).toInt()));
                    break;
                case kBadOperation:
                    throw std::runtime_error(msg::badOpcode());
                default:
                    // decode() gives every word one of the codes above.
                    __builtin_unreachable();
                }
                if (!ok) {
                    stop_ = true;
                    return finish(RunEnd::Failed);
                }
            }
        } catch (const FatalRunError& e) {
            budget_ = budget;
            const Instruction& in = code[static_cast<std::size_t>(at)];
            stop_ = !host.runError(in.line, in.column, {{}, e.what()});
            budget = budget_;
            return finish(RunEnd::Failed);
        } catch (const std::exception& e) {
            budget_ = budget;
            if (handlers_.size() > handlerBase_) {
                const Handler h = handlers_.back();
                handlers_.pop_back();
                unwindTo(h.frames);
                if (objects_.size() > h.objects) objects_.resize(h.objects);
                takeOver(h, e, at);
                budget = budget_;
                pc = h.pc;
                continue;
            }
            const Instruction& in = code[static_cast<std::size_t>(at)];
            ExceptionInfo info;
            int line = in.line, column = in.column;
            if (dynamic_cast<const ScriptRaise*>(&e)) {
                // Raised by the program, perhaps again by a finally part on its way out: the
                // box shows where it was raised first.
                info.source = pending_.source;
                info.description = pending_.message;
                if (pending_.line >= 0) {
                    line = pending_.line;
                    column = pending_.column;
                }
                freeExceptionObject(pending_.object);
                pending_ = Handling{};
            } else {
                if (const auto* se = dynamic_cast<const ScriptException*>(&e))
                    info.source = se->source();
                info.description = runErrorMessage(e, in.op);
            }
            stop_ = !host.runError(line, column, info);
            budget = budget_;
            return finish(RunEnd::Failed);
        }
    }
}

void BinProg::raise(std::int32_t at, const Value* raisedValue) {
    const Instruction& in = code[static_cast<std::size_t>(at)];
    if (raisedValue) {
        // raise X: an exception object gives its class and Message; any other value is the
        // message of an Exception.
        const Value& raised = *raisedValue;
        Handling h;
        h.line = in.line;
        h.column = in.column;
        if (raised.isObject() && raised.asObject()) {
            Dispatch& object = *raised.asObject();
            Value message;
            ExceptionInfo error;
            if (invokeByName(object, "Message", InvokeGet, {}, message, error) != DispStatus::Ok)
                message = Value(object.dispatchClassName());
            h.message = message.toString();
            h.className = object.dispatchClassName();
            h.object = raised.asObject();
        } else {
            h.message = raised.toString();
            h.className = "Exception";
        }
        pending_ = std::move(h);
    } else if (handling_.size() > handlingBase_) {
        // raise; in a handler: the exception it deals with goes on, object and all.
        pending_ = std::move(handling_.back());
        handling_.pop_back();
    } else {
        pending_ = Handling{};
        pending_.className = raisedException().className.empty() ? std::string("Exception")
                                                                 : raisedException().className;
        pending_.message = exceptionMessage_;
    }
    setRaisedException(pending_.className, pending_.message);
    throw ScriptRaise(pending_.message);
}

void BinProg::takeOver(const Handler& h, const std::exception& e, std::int32_t at) {
    Handling taken;
    if (dynamic_cast<const ScriptRaise*>(&e)) {
        taken = std::move(pending_);
        pending_ = Handling{};
    } else {
        const Instruction& in = code[static_cast<std::size_t>(at)];
        taken.className = runErrorClass(e, in.op);
        taken.message = runErrorMessage(e, in.op);
        taken.line = in.line;
        taken.column = in.column;
        if (const auto* se = dynamic_cast<const ScriptException*>(&e)) taken.source = se->source();
    }
    // Exceptions whose handlers were left by this one are done with.
    dropHandling(std::max<std::size_t>(h.handling, handlingBase_), taken.object);
    exceptionMessage_ = e.what();
    setRaisedException(taken.className, taken.message);
    taken.frames = static_cast<std::uint32_t>(frames_.size());
    taken.finallyPart = h.finallyPart;
    handling_.push_back(std::move(taken));
}

void BinProg::dropHandling(std::size_t depth, const ObjectRef& keep) {
    while (handling_.size() > depth) {
        ObjectRef object = std::move(handling_.back().object);
        handling_.pop_back();
        if (object && object != keep) freeExceptionObject(object);
    }
    // ExceptionMessage answers the exception of the handler still running, or keeps the last.
    if (handling_.size() > handlingBase_)
        setRaisedException(handling_.back().className, handling_.back().message);
}

void BinProg::opLeaveFinally() {
    if (!frames_.empty() && frames_.back().routine < 0 && !frames_.back().external)
        frames_.pop_back();
    // Leaving the finally part on the exceptional way ends that exception.
    if (handling_.size() > handlingBase_ && handling_.back().finallyPart &&
        handling_.back().frames == frames_.size())
        dropHandling(handling_.size() - 1);
}

} // namespace vorlan::script::pascal
