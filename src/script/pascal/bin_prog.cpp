#include "script/pascal/bin_prog.h"

#include "script/comp_wrapper.h"
#include "script/pascal/handled_exception.h"
#include "script/pascal/messages.h"
#include "script/pascal/write_text.h"
#include "script/raised_exception.h"
#include "script/registry.h"

#include <algorithm>
#include <climits>

namespace vorlan::script::pascal {

namespace {

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

// Call operands follow the call in the A, B and Op fields of the next words, three per word.
class OperandReader {
public:
    explicit OperandReader(const Instruction* word) : word_(word) {}
    std::int32_t next() {
        const std::int32_t v = field_ == 0 ? word_->a : (field_ == 1 ? word_->b : word_->op);
        if (++field_ == 3) {
            field_ = 0;
            ++word_;
        }
        return v;
    }
    // The code index after the last word used.
    std::int32_t end(const Instruction* code) const {
        return static_cast<std::int32_t>(word_ - code) + (field_ ? 1 : 0);
    }

private:
    const Instruction* word_;
    int field_ = 0;
};

std::int32_t operandAt(const Instruction* code, std::int32_t callPc, int k) {
    const Instruction& w = code[callPc + 1 + k / 3];
    const int field = k % 3;
    return field == 0 ? w.a : (field == 1 ? w.b : w.op);
}

bool fitsInt(std::int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

// Copies that keep numbers and Booleans off the variant's general assignment.
inline void copyValue(Value& to, const Value& from) {
    if (from.isInteger())
        to.setInt(from.asInt());
    else if (from.isBoolean())
        to.setBool(from.asBool());
    else if (from.isDouble())
        to.setDouble(from.asDouble());
    else if (&to != &from)
        to = from;
}
inline void moveValue(Value& to, Value& from) {
    if (from.isInteger())
        to.setInt(from.asInt());
    else if (from.isBoolean())
        to.setBool(from.asBool());
    else if (from.isDouble())
        to.setDouble(from.asDouble());
    else if (&to != &from)
        to = std::move(from);
}

// Equality as op 13 sees it: an object reference against an integer compares the reference's
// address with the number, so `obj = 0` tests whether there is an object.
bool objectIntegerEqual(const Value& a, const Value& b, bool& equal) {
    const Value* obj = a.isObject() ? &a : (b.isObject() ? &b : nullptr);
    const Value* num = a.isInteger() ? &a : (b.isInteger() ? &b : nullptr);
    if (!obj || !num) return false;
    const auto address = reinterpret_cast<std::uintptr_t>(obj->asObject().get());
    equal = address == static_cast<std::uintptr_t>(static_cast<std::intptr_t>(num->asInt()));
    return true;
}

[[gnu::noinline]] void slowArithmetic(Value& a, const Value& b, BinaryOp op) {
    a = binaryOp(op, a, b);
}

template <BinaryOp op> inline void arithmetic(Value& a, const Value& b) {
    if (a.isInteger() && b.isInteger()) {
        const std::int64_t x = a.asInt(), y = b.asInt();
        std::int64_t r = 0;
        if constexpr (op == BinaryOp::Add)
            r = x + y;
        else if constexpr (op == BinaryOp::Subtract)
            r = x - y;
        else if constexpr (op == BinaryOp::Multiply)
            r = x * y;
        else if constexpr (op == BinaryOp::And)
            r = x & y;
        else if constexpr (op == BinaryOp::Or)
            r = x | y;
        else if constexpr (op == BinaryOp::Xor)
            r = x ^ y;
        else if constexpr (op == BinaryOp::IntDivide || op == BinaryOp::Modulo) {
            // 32-bit division: much cheaper than the 64-bit one on common processors.
            const std::int32_t n = a.asInt(), d = b.asInt();
            if (d == 0 || d == -1) return slowArithmetic(a, b, op);
            a.setInt(op == BinaryOp::IntDivide ? n / d : n % d);
            return;
        }
        if (fitsInt(r)) {
            a.setInt(static_cast<std::int32_t>(r));
            return;
        }
    } else if constexpr (op == BinaryOp::Add || op == BinaryOp::Subtract ||
                         op == BinaryOp::Multiply) {
        if (a.isDouble() && b.isDouble()) {
            const double x = a.asDouble(), y = b.asDouble();
            a.setDouble(op == BinaryOp::Add ? x + y : (op == BinaryOp::Subtract ? x - y : x * y));
            return;
        }
    } else if constexpr (op == BinaryOp::And || op == BinaryOp::Or || op == BinaryOp::Xor) {
        if (a.isBoolean() && b.isBoolean()) {
            const bool x = a.asBool(), y = b.asBool();
            a.setBool(op == BinaryOp::And ? (x && y) : (op == BinaryOp::Or ? (x || y) : (x != y)));
            return;
        }
    }
    slowArithmetic(a, b, op);
}

[[gnu::noinline]] void slowComparison(Value& a, const Value& b, CompareOp op) {
    if (op == CompareOp::Equal || op == CompareOp::NotEqual) {
        bool equal = false;
        if (objectIntegerEqual(a, b, equal)) {
            a.setBool(op == CompareOp::Equal ? equal : !equal);
            return;
        }
    }
    a = compare(op, a, b);
}

template <CompareOp op> inline void comparison(Value& a, const Value& b) {
    if (a.isInteger() && b.isInteger()) {
        const std::int32_t x = a.asInt(), y = b.asInt();
        bool r = false;
        if constexpr (op == CompareOp::Equal)
            r = x == y;
        else if constexpr (op == CompareOp::NotEqual)
            r = x != y;
        else if constexpr (op == CompareOp::Less)
            r = x < y;
        else if constexpr (op == CompareOp::LessEqual)
            r = x <= y;
        else if constexpr (op == CompareOp::Greater)
            r = x > y;
        else
            r = x >= y;
        a.setBool(r);
        return;
    }
    slowComparison(a, b, op);
}

// Integer forms of the fused instructions: false when the operation is not a plain integer one
// (division by zero, overflow), which then runs instruction by instruction.
inline bool integerArithmetic(std::int32_t op, std::int32_t x, std::int32_t y, std::int32_t& out) {
    std::int64_t r = 0;
    switch (op) {
    case OpAdd:
        r = static_cast<std::int64_t>(x) + y;
        break;
    case OpSubtract:
        r = static_cast<std::int64_t>(x) - y;
        break;
    case OpMultiply:
        r = static_cast<std::int64_t>(x) * y;
        break;
    case OpIntDivide:
        if (y == 0 || y == -1) return false;
        out = x / y;
        return true;
    case OpModulo:
        if (y == 0 || y == -1) return false;
        out = x % y;
        return true;
    case OpAnd:
        out = x & y;
        return true;
    case OpOr:
        out = x | y;
        return true;
    case OpXor:
        out = x ^ y;
        return true;
    default:
        return false;
    }
    if (!fitsInt(r)) return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

template <int index> inline bool integerCompare(std::int32_t x, std::int32_t y) {
    if constexpr (index == 0)
        return x == y;
    else if constexpr (index == 1)
        return x != y;
    else if constexpr (index == 2)
        return x < y;
    else if constexpr (index == 3)
        return x <= y;
    else if constexpr (index == 4)
        return x > y;
    else
        return x >= y;
}

CompareOp compareOpOf(std::int32_t op) {
    switch (op) {
    case OpEqual:
        return CompareOp::Equal;
    case OpNotEqual:
        return CompareOp::NotEqual;
    case OpLess:
        return CompareOp::Less;
    case OpLessEqual:
        return CompareOp::LessEqual;
    case OpGreater:
        return CompareOp::Greater;
    default:
        return CompareOp::GreaterEqual;
    }
}

// The fused forms. `pc` points at the instruction after the first; false when the step budget
// is spent by the jump.
struct Fused {
    Value* s;
    const Instruction* words;
    const std::int32_t* targets;
    std::int32_t& pc;
    std::int64_t& budget;

    bool jumpTo(std::int32_t label) {
        if (--budget <= 0) return false;
        pc = targets[label];
        return true;
    }
    // T := x; T cmp= y; if not T jump
    template <int cmp> bool moveCompareJump(const Instruction& in) {
        const Value& x = s[in.b];
        const Value& y = s[words[pc].b];
        if (!(x.isInteger() && y.isInteger())) {
            copyValue(s[in.a], x);
            return true;
        }
        const bool r = integerCompare<cmp>(x.asInt(), y.asInt());
        s[in.a].setBool(r);
        if (r) {
            pc += 2;
            return true;
        }
        return jumpTo(words[pc + 1].b);
    }
    // T := x; T op= y; T cmp= z; if not T jump
    template <int cmp> bool moveArithCompareJump(const Instruction& in) {
        const Value& x = s[in.b];
        const Instruction& arith = words[pc];
        const Value& y = s[arith.b];
        const Value& z = s[words[pc + 1].b];
        std::int32_t v = 0;
        if (!(x.isInteger() && y.isInteger() && z.isInteger()) ||
            !integerArithmetic(arith.op, x.asInt(), y.asInt(), v)) {
            copyValue(s[in.a], x);
            return true;
        }
        const bool r = integerCompare<cmp>(v, z.asInt());
        s[in.a].setBool(r);
        if (r) {
            pc += 3;
            return true;
        }
        return jumpTo(words[pc + 2].b);
    }
    // T cmp= y; if not T jump
    template <int cmp> bool compareJump(const Instruction& in) {
        Value& t = s[in.a];
        const Value& y = s[in.b];
        if (!(t.isInteger() && y.isInteger())) {
            slowComparison(t, y, compareOpOf(in.op));
            return true;
        }
        const bool r = integerCompare<cmp>(t.asInt(), y.asInt());
        t.setBool(r);
        if (r) {
            ++pc;
            return true;
        }
        return jumpTo(words[pc].b);
    }
    // T := x; T op= y
    void moveArith(const Instruction& in) {
        const Value& x = s[in.b];
        const Instruction& arith = words[pc];
        const Value& y = s[arith.b];
        std::int32_t v = 0;
        if (x.isInteger() && y.isInteger() &&
            integerArithmetic(arith.op, x.asInt(), y.asInt(), v)) {
            s[in.a].setInt(v);
            ++pc;
        } else {
            copyValue(s[in.a], x);
        }
    }
};

// Op 20 tests the negated value, so an integer condition is true only when its bits are all set
// and an empty value counts as false.
[[gnu::noinline]] bool slowIsFalse(const Value& v) {
    return logicalNot(v).toBool();
}
inline bool isFalse(const Value& v) {
    return v.isBoolean() ? !v.asBool() : slowIsFalse(v);
}

// `List[i]` on an object reads its default property (the Strings of a string list, the Items
// of a collection) with the index.
Value defaultPropertyOf(const Value& object, Value& index) {
    NativeObject* native = nativeObjectOf(object);
    const ClassInfo* cls = native ? registry().findClass(native->className()) : nullptr;
    while (cls && !cls->defaultProperty)
        cls = cls->parent;
    if (!cls) throw ValueError("The object has no default property");
    Value result;
    ExceptionInfo error;
    const DispStatus status = registry().getProperty(*cls->defaultProperty, native,
                                                     std::span<Value>(&index, 1), result, error);
    if (status != DispStatus::Ok)
        throw ValueError(status == DispStatus::Exception ? error.description
                                                         : dispatchStatusMessage(status));
    return result;
}

// Where element `i` of a one-dimensional array is, without building an index list.
std::size_t elementOffset(const VarArray& array, std::int32_t i) {
    if (array.dimensions() != 1) throw ValueError("Wrong number of array indexes");
    const VarArray::Bound& b = array.bound(0);
    if (i < b.low || i > b.high) throw ValueError("Array index out of bounds");
    return static_cast<std::size_t>(static_cast<std::int64_t>(i) - b.low);
}

[[gnu::noinline]] void charAt(Value& index, const Value& source) {
    if (source.isObject()) {
        index = defaultPropertyOf(source, index);
        return;
    }
    if (source.isArray()) {
        const VarArray& array = *source.asArray();
        if (array.dimensions() != 1) throw ValueError("Wrong number of array indexes");
        index = Value(array.items()[elementOffset(array, index.toInt())]);
        return;
    }
    const std::int32_t i = index.toInt();
    const std::string text = source.toString();
    if (i >= 1 && static_cast<std::size_t>(i) <= text.size())
        index = Value(std::string(1, text[static_cast<std::size_t>(i - 1)]));
    else
        index = Value(std::string());
}

} // namespace

BinProg::BinProg() = default;
BinProg::~BinProg() = default;

namespace {

// Internal dispatch values. Programs never contain them: decode() maps every operation outside
// the table to kBadOperation.
constexpr std::int32_t kBadOperation = 1000;
constexpr std::int32_t kFusedMoveArith = 1001;        // T := x; T op= y
constexpr std::int32_t kFusedCmpJump = 1010;          // + comparison: T cmp= y; if not T jump
constexpr std::int32_t kFusedMoveCmpJump = 1020;      // T := x; T cmp= y; if not T jump
constexpr std::int32_t kFusedMoveArithCmpJump = 1030; // T := x; T op= y; T cmp= z; if not T jump

bool isKnownOperation(std::int32_t op) {
    return (op >= 0 && op <= 20) || op == OpLoadConst || op == OpEndProgram || op == OpIncrement ||
           op == OpDecrement || (op >= OpMove && op <= OpWriteWidth);
}
bool isFusableArithmetic(std::int32_t op) {
    return op == OpAdd || op == OpSubtract || op == OpMultiply || op == OpIntDivide ||
           op == OpModulo || op == OpAnd || op == OpOr || op == OpXor;
}
// The index of a comparison (0..5), or -1.
int comparisonIndex(std::int32_t op) {
    switch (op) {
    case OpEqual:
        return 0;
    case OpNotEqual:
        return 1;
    case OpLess:
        return 2;
    case OpLessEqual:
        return 3;
    case OpGreater:
        return 4;
    case OpGreaterEqual:
        return 5;
    default:
        return -1;
    }
}
std::size_t operationWords(const Instruction& in) {
    if (in.op == OpCallName || in.op == OpCallMember)
        return 1 + (static_cast<std::size_t>(in.a) + 3) / 3;
    if (in.op == OpPutMember) return 1 + (static_cast<std::size_t>(in.b) + 3) / 3;
    if (in.op == OpSetElement) return 2;
    return 1;
}

} // namespace

void BinProg::decode() {
    const std::size_t n = code.size();
    dispatch_.assign(n, kBadOperation);
    std::vector<bool> start(n + 1, false), target(n + 1, false);
    for (std::int32_t l : labels)
        if (l >= 0 && static_cast<std::size_t>(l) < n) target[static_cast<std::size_t>(l)] = true;
    for (std::size_t i = 0; i < n;) {
        const Instruction& in = code[i];
        start[i] = true;
        dispatch_[i] = isKnownOperation(in.op) ? in.op : kBadOperation;
        i += operationWords(in);
        // A call returns to the instruction after it.
        if (i <= n && (in.op == OpCallName || in.op == OpCallLabel)) target[i] = true;
    }
    // Runs of plain instructions on one temporary T that no jump enters in the middle.
    auto plain = [&](std::size_t i, std::size_t count) {
        if (i + count > n) return false;
        for (std::size_t k = 0; k < count; ++k)
            if (!start[i + k] || (k > 0 && target[i + k])) return false;
        return true;
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (!start[i]) continue;
        const Instruction& c0 = code[i];
        if (c0.op == OpMove && plain(i, 4) && isFusableArithmetic(code[i + 1].op) &&
            comparisonIndex(code[i + 2].op) >= 0 && code[i + 3].op == OpJumpIfFalse) {
            const std::int32_t t = c0.a;
            if (code[i + 1].a == t && code[i + 2].a == t && code[i + 3].a == t &&
                code[i + 1].b != t && code[i + 2].b != t) {
                dispatch_[i] = kFusedMoveArithCmpJump + comparisonIndex(code[i + 2].op);
                continue;
            }
        }
        if (c0.op == OpMove && plain(i, 3) && comparisonIndex(code[i + 1].op) >= 0 &&
            code[i + 2].op == OpJumpIfFalse) {
            const std::int32_t t = c0.a;
            if (code[i + 1].a == t && code[i + 2].a == t && code[i + 1].b != t) {
                dispatch_[i] = kFusedMoveCmpJump + comparisonIndex(code[i + 1].op);
                continue;
            }
        }
        if (c0.op == OpMove && plain(i, 2) && isFusableArithmetic(code[i + 1].op) &&
            code[i + 1].a == c0.a && code[i + 1].b != c0.a) {
            dispatch_[i] = kFusedMoveArith;
            continue;
        }
        if (comparisonIndex(c0.op) >= 0 && plain(i, 2) && code[i + 1].op == OpJumpIfFalse &&
            code[i + 1].a == c0.a)
            dispatch_[i] = kFusedCmpJump + comparisonIndex(c0.op);
    }
}

void BinProg::load(std::vector<Value> initialSlots) {
    for (std::size_t i = 0; i < slots_.size() && i < initialSlots.size(); ++i)
        slots_[i] = std::move(initialSlots[i]);
    // A last end-of-program word, so no path can run past the code.
    if (code.empty() || code.back().op != OpEndProgram) code.push_back({0, 0, OpEndProgram, 0, 0});
    callCache_.assign(code.size(), CallCache{});
    decode();
    callOperands_.clear();
    for (std::size_t i = 0; i < code.size();) {
        const Instruction& in = code[i];
        const std::size_t words = operationWords(in);
        const bool call = in.op == OpCallName || in.op == OpCallMember || in.op == OpPutMember;
        if (call && words <= code.size() - i) {
            CallCache& cache = callCache_[i];
            cache.operands = static_cast<std::int32_t>(callOperands_.size());
            cache.next = static_cast<std::int32_t>(i + words);
            OperandReader reader(code.data() + i + 1);
            const auto argc = static_cast<std::size_t>(in.op == OpPutMember ? in.b : in.a);
            for (std::size_t k = 0; k <= argc; ++k)
                callOperands_.push_back(reader.next());
        }
        i += words;
    }
    active_.assign(routines.size(), 0);
    hasVarParams_.assign(routines.size(), false);
    for (std::size_t i = 0; i < routines.size(); ++i)
        hasVarParams_[i] = std::find(routines[i].varParams.begin(), routines[i].varParams.end(),
                                     true) != routines[i].varParams.end();
    frames_.reserve(kReturnStackSize);
    returned_.reserve(8);
}

std::string BinProg::listing() const {
    std::string out;
    for (std::size_t i = 0; i < code.size();) {
        const Instruction& in = code[i];
        out += std::to_string(i) + ": op " + std::to_string(in.op) + " a " + std::to_string(in.a) +
               " b " + std::to_string(in.b) + "\n";
        std::size_t words = 1;
        if (in.op == OpCallName || in.op == OpCallMember)
            words += (static_cast<std::size_t>(in.a) + 3) / 3;
        else if (in.op == OpPutMember)
            words += (static_cast<std::size_t>(in.b) + 3) / 3;
        else if (in.op == OpSetElement)
            words = 2;
        for (std::size_t w = 1; w < words && i + w < code.size(); ++w)
            out += "      [" + std::to_string(code[i + w].a) + " " + std::to_string(code[i + w].b) +
                   " " + std::to_string(code[i + w].op) + "]\n";
        i += words;
    }
    return out;
}

void BinProg::runMain(MachineHost& host) {
    execute(host, 0, frames_.size());
}

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

void BinProg::enterRoutine(std::size_t routine, std::span<Value> args, bool moveArgs,
                           std::int32_t returnPc, std::int32_t callPc, bool external) {
    if (frames_.size() >= static_cast<std::size_t>(kReturnStackSize))
        throw FatalRunError(msg::returnStackOverflow());
    const Routine& r = routines[routine];
    Frame f{returnPc, callPc, static_cast<std::int32_t>(routine), -1, external};
    if (active_[routine] > 0) {
        // The routine is running already: its slots are kept aside until this call returns, so
        // the outer activation gets its parameters, locals and temporaries back.
        f.saveBase = saveSlots(r);
    }
    ++active_[routine];
    const std::size_t n = std::min(args.size(), r.paramSlots.size());
    for (std::size_t i = 0; i < n; ++i) {
        Value& param = slots_[static_cast<std::size_t>(r.paramSlots[i])];
        if (moveArgs)
            moveValue(param, args[i]);
        else
            copyValue(param, args[i]);
    }
    frames_.push_back(f);
}

[[gnu::flatten]] std::int32_t BinProg::saveSlots(const Routine& r) {
    const auto base = savedTop_;
    const auto count = static_cast<std::size_t>(r.endSlot - r.firstSlot);
    if (saved_.size() < base + count) saved_.resize(std::max(base + count, saved_.size() * 2));
    Value* from = slots_.data() + r.firstSlot;
    Value* to = saved_.data() + base;
    for (std::size_t i = 0; i < count; ++i)
        moveValue(to[i], from[i]);
    savedTop_ = base + count;
    return static_cast<std::int32_t>(base);
}

[[gnu::flatten]] void BinProg::restoreSlots(const Routine& r, std::int32_t base) {
    const auto count = static_cast<std::size_t>(r.endSlot - r.firstSlot);
    Value* from = saved_.data() + base;
    Value* to = slots_.data() + r.firstSlot;
    for (std::size_t i = 0; i < count; ++i)
        moveValue(to[i], from[i]);
    savedTop_ = static_cast<std::size_t>(base);
}

void BinProg::callOwnRoutine(std::size_t routine, const std::int32_t* argSlots, std::size_t argc,
                             std::int32_t returnPc, std::int32_t callPc) {
    if (frames_.size() >= static_cast<std::size_t>(kReturnStackSize))
        throw FatalRunError(msg::returnStackOverflow());
    const Routine& r = routines[routine];
    Value* const s = slots_.data();
    const std::int32_t* const params = r.paramSlots.data();
    const std::size_t n = std::min(argc, r.paramSlots.size());
    std::int32_t saveBase = -1;
    if (active_[routine] > 0) {
        // The arguments may be slots of the activation being put aside: those are read where
        // they went.
        saveBase = saveSlots(r);
        const Value* const kept = saved_.data() + saveBase;
        for (std::size_t i = 0; i < n; ++i) {
            const std::int32_t from = argSlots[i];
            const bool aside = from >= r.firstSlot && from < r.endSlot;
            copyValue(s[params[i]], aside ? kept[from - r.firstSlot] : s[from]);
        }
    } else {
        // A routine that is not running has no slot in common with its caller's arguments.
        for (std::size_t i = 0; i < n; ++i)
            copyValue(s[params[i]], s[argSlots[i]]);
    }
    ++active_[routine];
    frames_.push_back(Frame{returnPc, callPc, static_cast<std::int32_t>(routine), saveBase, false});
}

BinProg::Frame BinProg::leaveRoutine() {
    const Frame f = frames_.back();
    frames_.pop_back();
    if (f.routine < 0) return f;
    const Routine& r = routines[static_cast<std::size_t>(f.routine)];
    const bool restoring = f.saveBase >= 0;
    returned_.clear();
    auto take = [&](std::int32_t slot) {
        Value& v = slots_[static_cast<std::size_t>(slot)];
        // Without a restore the slot keeps its value, as every slot does between calls.
        returned_.push_back(restoring ? std::move(v) : v);
    };
    if (r.resultSlot >= 0)
        take(r.resultSlot);
    else
        returned_.emplace_back();
    for (std::size_t i = 0; i < r.paramSlots.size(); ++i)
        if (r.varParams[i]) take(r.paramSlots[i]);
    if (restoring) restoreSlots(r, f.saveBase);
    --active_[static_cast<std::size_t>(f.routine)];
    return f;
}

void BinProg::unwindTo(std::size_t frames) {
    while (frames_.size() > frames) {
        const Frame f = frames_.back();
        frames_.pop_back();
        if (f.routine < 0) continue;
        if (f.saveBase >= 0)
            restoreSlots(routines[static_cast<std::size_t>(f.routine)], f.saveBase);
        --active_[static_cast<std::size_t>(f.routine)];
    }
}

void BinProg::failedCall(MachineHost& host, const Instruction& call, DispStatus status,
                         const ExceptionInfo& error, std::string_view name) {
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

namespace {

constexpr std::int32_t kStopRun = -1;
constexpr std::int32_t kRunEnded = -2;
constexpr std::int32_t kRunReturned = -3;

} // namespace

std::int32_t BinProg::opCallName(MachineHost& host, const Instruction& in, std::int32_t at,
                                 std::int32_t pc, ArgBuffer& buffer) {
    if (--budget_ <= 0) {
        stop_ = true;
        return kStopRun;
    }
    {
        // A call of one of the module's routines, resolved before: straight in.
        const CallCache& known = callCache_[static_cast<std::size_t>(at)];
        if (known.resolved && known.operands >= 0 && known.id >= 0 &&
            static_cast<std::size_t>(known.id) < routines.size()) {
            const auto routine = static_cast<std::size_t>(known.id);
            callOwnRoutine(routine, callOperands_.data() + known.operands + 1,
                           static_cast<std::size_t>(in.a), known.next, at);
            return labels[static_cast<std::size_t>(routines[routine].entryLabel)];
        }
    }
    const Instruction* const words = code.data();
    Value* const s = slots_.data();
    OperandReader ops(words + pc);
    const std::int32_t nameIndex = ops.next();
    const auto argc = static_cast<std::size_t>(in.a);
    std::int32_t argSlots[kMaxCallArguments];
    for (std::size_t i = 0; i < argc; ++i)
        argSlots[i] = ops.next();
    pc = ops.end(words);
    CallCache& cache = callCache_[static_cast<std::size_t>(at)];
    if (cache.resolved && cache.id >= 0 && static_cast<std::size_t>(cache.id) < routines.size()) {
        callOwnRoutine(static_cast<std::size_t>(cache.id), argSlots, argc, pc, at);
        return labels[static_cast<std::size_t>(
            routines[static_cast<std::size_t>(cache.id)].entryLabel)];
    }
    Dispatch& scope = host.scope();
    if (!cache.resolved) {
        const std::string& name = constants[static_cast<std::size_t>(nameIndex)].asString();
        const DispId id = scope.idOfName(name);
        if (id == kUnknownDispId) {
            failedCall(host, in, DispStatus::RunnerUnknownName, {}, name);
            s[in.b] = Value();
            objects_.push_back(nullptr);
            return stop_ ? kStopRun : pc;
        }
        cache.id = id;
        cache.resolved = true;
        cache.writeBack =
            static_cast<std::size_t>(id) < routines.size() || host.writesArguments(scope, id);
    }
    if (cache.id >= 0 && static_cast<std::size_t>(cache.id) < routines.size()) {
        callOwnRoutine(static_cast<std::size_t>(cache.id), argSlots, argc, pc, at);
        return labels[static_cast<std::size_t>(
            routines[static_cast<std::size_t>(cache.id)].entryLabel)];
    }
    for (std::size_t i = 0; i < argc; ++i)
        copyValue(buffer[i], s[argSlots[i]]);
    Value result;
    ExceptionInfo error;
    const DispStatus status = scope.invoke(cache.id, InvokeMethod | InvokeGet,
                                           std::span<Value>(buffer.data(), argc), result, error);
    if (status != DispStatus::Ok) {
        failedCall(host, in, status, error,
                   constants[static_cast<std::size_t>(nameIndex)].asString());
        s[in.b] = Value();
        objects_.push_back(nullptr);
    } else {
        if (cache.writeBack)
            for (std::size_t i = argc; i-- > 0;)
                std::swap(s[argSlots[i]], buffer[i]);
        Value& target = s[in.b];
        moveValue(target, result);
        objects_.push_back(target.isObject() ? target.asObject() : nullptr);
    }
    return stop_ ? kStopRun : pc;
}

std::int32_t BinProg::opCallMember(MachineHost& host, const Instruction& in, std::int32_t at,
                                   std::int32_t pc, ArgBuffer& buffer) {
    if (--budget_ <= 0) {
        stop_ = true;
        return kStopRun;
    }
    const Instruction* const words = code.data();
    Value* const s = slots_.data();
    const bool put = in.op == OpPutMember;
    OperandReader ops(words + pc);
    const std::int32_t nameIndex = ops.next();
    const auto argc = static_cast<std::size_t>(put ? in.b : in.a);
    std::int32_t argSlots[kMaxCallArguments];
    for (std::size_t i = 0; i < argc; ++i)
        argSlots[i] = ops.next();
    pc = ops.end(words);
    ObjectRef receiver;
    if (!objects_.empty()) {
        receiver = std::move(objects_.back());
        objects_.pop_back();
    }
    if (!receiver) {
        // Nothing to call on: the call is skipped.
        if (!put) {
            s[in.b] = Value();
            objects_.push_back(nullptr);
        }
        return pc;
    }
    CallCache& cache = callCache_[static_cast<std::size_t>(at)];
    const bool sameTarget = cache.resolved && !cache.target.owner_before(receiver) &&
                            !receiver.owner_before(cache.target);
    const std::string& name = constants[static_cast<std::size_t>(nameIndex)].asString();
    if (!sameTarget) {
        const DispId id = receiver->idOfName(name);
        if (id == kUnknownDispId) {
            failedCall(host, in, DispStatus::UnknownName, {}, name);
            if (!put) {
                s[in.b] = Value();
                objects_.push_back(nullptr);
            }
            return stop_ ? kStopRun : pc;
        }
        cache.target = receiver;
        cache.id = id;
        cache.resolved = true;
        cache.writeBack = !put && host.writesArguments(*receiver, id);
    }
    for (std::size_t i = 0; i < argc; ++i)
        copyValue(buffer[i], s[argSlots[i]]);
    Value result;
    ExceptionInfo error;
    const DispStatus status =
        receiver->invoke(cache.id, put ? InvokePut : (InvokeMethod | InvokeGet),
                         std::span<Value>(buffer.data(), argc), result, error);
    if (status != DispStatus::Ok) {
        failedCall(host, in, status, error, name);
        if (!put) {
            s[in.b] = Value();
            objects_.push_back(nullptr);
        }
    } else if (!put) {
        if (cache.writeBack)
            for (std::size_t i = argc; i-- > 0;)
                std::swap(s[argSlots[i]], buffer[i]);
        Value& target = s[in.b];
        moveValue(target, result);
        objects_.push_back(target.isObject() ? target.asObject() : nullptr);
    }
    return stop_ ? kStopRun : pc;
}

[[gnu::flatten]] std::int32_t BinProg::opReturn(std::size_t baseFrames) {
    if (frames_.size() <= baseFrames) return kRunEnded;
    {
        const Frame& top = frames_.back();
        if (top.routine >= 0 && top.saveBase < 0 && !top.external &&
            !(handlers_.size() > handlerBase_ && handlers_.back().frames >= frames_.size())) {
            // The common return: nothing to restore, so the result and the `var` parameters go
            // straight from the routine's slots to the caller's.
            const Frame f = top;
            frames_.pop_back();
            const Instruction* const words = code.data();
            Value* const s = slots_.data();
            const Routine& r = routines[static_cast<std::size_t>(f.routine)];
            const auto argc = static_cast<std::size_t>(words[f.callPc].a);
            for (std::size_t i = r.paramSlots.size(); i-- > 0;)
                if (r.varParams[i] && i < argc)
                    copyValue(s[operandAt(words, f.callPc, static_cast<int>(i) + 1)],
                              s[r.paramSlots[i]]);
            Value& result = s[words[f.callPc].b];
            if (r.resultSlot >= 0)
                copyValue(result, s[r.resultSlot]);
            else
                result = Value();
            --active_[static_cast<std::size_t>(f.routine)];
            objects_.push_back(result.isObject() ? result.asObject() : nullptr);
            return f.returnPc;
        }
        if (top.routine >= 0 && top.saveBase >= 0 && !top.external &&
            !hasVarParams_[static_cast<std::size_t>(top.routine)] &&
            !(handlers_.size() > handlerBase_ && handlers_.back().frames >= frames_.size())) {
            // The return of a recursive call: the result is held aside while the outer
            // activation's slots come back, since the caller's result slot may be one of them.
            const Frame f = top;
            frames_.pop_back();
            const Routine& r = routines[static_cast<std::size_t>(f.routine)];
            if (r.resultSlot >= 0)
                moveValue(returning_, slots_[static_cast<std::size_t>(r.resultSlot)]);
            restoreSlots(r, f.saveBase);
            const Instruction* const words = code.data();
            Value& result = slots_[static_cast<std::size_t>(words[f.callPc].b)];
            if (r.resultSlot >= 0)
                moveValue(result, returning_);
            else
                result = Value();
            --active_[static_cast<std::size_t>(f.routine)];
            objects_.push_back(result.isObject() ? result.asObject() : nullptr);
            return f.returnPc;
        }
    }
    const Frame f = leaveRoutine();
    // Handlers the routine pushed and never popped go with it.
    while (handlers_.size() > handlerBase_ && handlers_.back().frames > frames_.size())
        handlers_.pop_back();
    if (f.external) return kRunReturned;
    if (f.routine >= 0) {
        const Instruction* const words = code.data();
        Value* const s = slots_.data();
        const Routine& r = routines[static_cast<std::size_t>(f.routine)];
        const auto argc = static_cast<std::size_t>(words[f.callPc].a);
        // `var` parameters back into the caller's argument slots (the leftmost wins when one
        // variable is passed twice), then the result.
        std::size_t k = returned_.size();
        for (std::size_t i = r.paramSlots.size(); i-- > 0;) {
            if (!r.varParams[i]) continue;
            --k;
            if (i < argc)
                moveValue(s[operandAt(words, f.callPc, static_cast<int>(i) + 1)], returned_[k]);
        }
        Value& result = s[words[f.callPc].b];
        moveValue(result, returned_[0]);
        objects_.push_back(result.isObject() ? result.asObject() : nullptr);
    }
    return f.returnPc;
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

    auto finish = [&](RunEnd end) {
        unwindTo(baseFrames);
        if (handlers_.size() > handlerBase_) handlers_.resize(handlerBase_);
        if (objects_.size() > objectBase) objects_.resize(objectBase);
        dropHandling(handlingBase_);
        handlingBase_ = outerHandlingBase;
        handlerBase_ = outerHandlerBase;
        --nesting_;
        return end;
    };
    auto afterCall = [&](std::int32_t next, std::int32_t& pc) {
        if (next >= 0) {
            pc = next;
            return true;
        }
        return false;
    };

    std::int32_t pc = startPc;
    std::int32_t at = pc;
    for (;;) {
        try {
            const Instruction* const words = code.data();
            const std::int32_t* const ops = dispatch_.data();
            const std::int32_t* const targets = labels.data();
            Value* const s = slots_.data();
            Fused fused{s, words, targets, pc, budget_};
            bool ok = true;
            for (;;) {
                at = pc;
                const Instruction& in = words[pc];
                const std::int32_t op = ops[pc++];
                switch (op) {
#define VORLAN_FUSED_COMPARISONS(base, call)                                                       \
    case base + 0:                                                                                 \
        ok = fused.call<0>(in);                                                                    \
        break;                                                                                     \
    case base + 1:                                                                                 \
        ok = fused.call<1>(in);                                                                    \
        break;                                                                                     \
    case base + 2:                                                                                 \
        ok = fused.call<2>(in);                                                                    \
        break;                                                                                     \
    case base + 3:                                                                                 \
        ok = fused.call<3>(in);                                                                    \
        break;                                                                                     \
    case base + 4:                                                                                 \
        ok = fused.call<4>(in);                                                                    \
        break;                                                                                     \
    case base + 5:                                                                                 \
        ok = fused.call<5>(in);                                                                    \
        break;
                    VORLAN_FUSED_COMPARISONS(kFusedMoveCmpJump, moveCompareJump)
                    VORLAN_FUSED_COMPARISONS(kFusedMoveArithCmpJump, moveArithCompareJump)
                    VORLAN_FUSED_COMPARISONS(kFusedCmpJump, compareJump)
#undef VORLAN_FUSED_COMPARISONS
                case kFusedMoveArith:
                    fused.moveArith(in);
                    break;
                case OpAdd:
                    arithmetic<BinaryOp::Add>(s[in.a], s[in.b]);
                    break;
                case OpSubtract:
                    arithmetic<BinaryOp::Subtract>(s[in.a], s[in.b]);
                    break;
                case OpMultiply:
                    arithmetic<BinaryOp::Multiply>(s[in.a], s[in.b]);
                    break;
                case OpIntDivide:
                    arithmetic<BinaryOp::IntDivide>(s[in.a], s[in.b]);
                    break;
                case OpModulo:
                    arithmetic<BinaryOp::Modulo>(s[in.a], s[in.b]);
                    break;
                case OpDivide:
                    slowArithmetic(s[in.a], s[in.b], BinaryOp::Divide);
                    break;
                case OpShl:
                    slowArithmetic(s[in.a], s[in.b], BinaryOp::ShiftLeft);
                    break;
                case OpShr:
                    slowArithmetic(s[in.a], s[in.b], BinaryOp::ShiftRight);
                    break;
                case OpNot:
                    if (s[in.a].isBoolean())
                        s[in.a].setBool(!s[in.a].asBool());
                    else
                        s[in.a] = logicalNot(s[in.a]);
                    break;
                case OpOr:
                    arithmetic<BinaryOp::Or>(s[in.a], s[in.b]);
                    break;
                case OpXor:
                    arithmetic<BinaryOp::Xor>(s[in.a], s[in.b]);
                    break;
                case OpAnd:
                    arithmetic<BinaryOp::And>(s[in.a], s[in.b]);
                    break;
                case OpGreaterEqual:
                    comparison<CompareOp::GreaterEqual>(s[in.a], s[in.b]);
                    break;
                case OpEqual:
                    comparison<CompareOp::Equal>(s[in.a], s[in.b]);
                    break;
                case OpLessEqual:
                    comparison<CompareOp::LessEqual>(s[in.a], s[in.b]);
                    break;
                case OpNotEqual:
                    comparison<CompareOp::NotEqual>(s[in.a], s[in.b]);
                    break;
                case OpGreater:
                    comparison<CompareOp::Greater>(s[in.a], s[in.b]);
                    break;
                case OpLess:
                    comparison<CompareOp::Less>(s[in.a], s[in.b]);
                    break;
                case OpNegate:
                    if (s[in.a].isInteger() && s[in.a].asInt() != INT32_MIN)
                        s[in.a].setInt(-s[in.a].asInt());
                    else
                        s[in.a] = negate(s[in.a]);
                    break;
                case OpJump:
                    if (--budget_ <= 0) {
                        stop_ = true;
                        return finish(RunEnd::Failed);
                    }
                    pc = targets[in.a];
                    break;
                case OpJumpIfFalse:
                    if (isFalse(s[in.a])) {
                        if (--budget_ <= 0) {
                            stop_ = true;
                            return finish(RunEnd::Failed);
                        }
                        pc = targets[in.b];
                    }
                    break;
                case OpLoadConst: {
                    const Value& c = constants[static_cast<std::size_t>(in.b)];
                    if (c.isInteger())
                        s[in.a].setInt(c.asInt());
                    else
                        s[in.a] = c;
                    break;
                }
                case OpEndProgram:
                    return finish(RunEnd::Ended);
                case OpIncrement: {
                    Value& v = s[in.a];
                    if (v.isInteger() && v.asInt() != INT32_MAX)
                        v.setInt(v.asInt() + 1);
                    else
                        v = binaryOp(BinaryOp::Add, v, Value(1));
                    break;
                }
                case OpDecrement: {
                    Value& v = s[in.a];
                    if (v.isInteger() && v.asInt() != INT32_MIN)
                        v.setInt(v.asInt() - 1);
                    else
                        v = binaryOp(BinaryOp::Subtract, v, Value(1));
                    break;
                }
                case OpMove: {
                    const Value& from = s[in.b];
                    if (from.isInteger())
                        s[in.a].setInt(from.asInt());
                    else if (from.isBoolean())
                        s[in.a].setBool(from.asBool());
                    else if (in.a != in.b)
                        s[in.a] = from;
                    break;
                }
                case OpCallLabel:
                    if (--budget_ <= 0) {
                        stop_ = true;
                        return finish(RunEnd::Failed);
                    }
                    if (frames_.size() >= static_cast<std::size_t>(kReturnStackSize))
                        throw FatalRunError(msg::returnStackOverflow());
                    frames_.push_back(Frame{pc, -1, -1, -1, false});
                    pc = targets[in.a];
                    break;
                case OpReturn: {
                    const std::int32_t next = opReturn(baseFrames);
                    if (next == kRunEnded) return finish(RunEnd::Ended);
                    if (next == kRunReturned) return finish(RunEnd::Returned);
                    pc = next;
                    break;
                }
                case OpNewArray:
                    s[in.a] = Value(VarArray::create(0, in.b));
                    break;
                case OpSetElement: {
                    const std::int32_t target = words[pc++].a;
                    Value& array = s[target];
                    if (!array.isArray()) throw ValueError("Variant is not an array");
                    VarArray& elements = array.mutableArray();
                    elements.items()[elementOffset(elements, in.a)] = s[in.b];
                    break;
                }
                case OpCallName:
                    if (!afterCall(opCallName(host, in, at, pc, buffer), pc))
                        return finish(RunEnd::Failed);
                    break;
                case OpCallMember:
                case OpPutMember:
                    if (!afterCall(opCallMember(host, in, at, pc, buffer), pc))
                        return finish(RunEnd::Failed);
                    break;
                case OpPopObject:
                    if (objects_.size() > objectBase) objects_.pop_back();
                    break;
                case OpPushObject:
                    objects_.push_back(s[in.a].isObject() ? s[in.a].asObject() : nullptr);
                    break;
                case OpPushHandler:
                    handlers_.push_back(
                        Handler{targets[in.a], static_cast<std::uint32_t>(frames_.size()),
                                static_cast<std::uint32_t>(objects_.size()),
                                static_cast<std::uint32_t>(handling_.size()), in.b == 1});
                    break;
                case OpRaise:
                    raise(in, in.a);
                case OpCharAt:
                    charAt(s[in.a], s[in.b]);
                    break;
                case OpPopHandler:
                    if (handlers_.size() > handlerBase_) handlers_.pop_back();
                    break;
                case OpExceptionObject:
                    if (handling_.size() > handlingBase_) {
                        Handling& h = handling_.back();
                        if (!h.object) h.object = makeExceptionObject(h.className, h.message);
                        s[in.a] = Value(h.object);
                    } else {
                        s[in.a] = Value(ObjectRef());
                    }
                    break;
                case OpExceptionIs:
                    s[in.a].setBool(
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
                    s[in.a] = Value(fixedText(s[in.a], s[in.b].toInt()));
                    break;
                case OpWriteWidth:
                    s[in.a] = Value(paddedText(writeText(s[in.a]), s[in.b].toInt()));
                    break;
                default:
                    throw std::runtime_error(msg::badOpcode());
                }
                if (!ok) {
                    stop_ = true;
                    return finish(RunEnd::Failed);
                }
            }
        } catch (const FatalRunError& e) {
            const Instruction& in = code[static_cast<std::size_t>(at)];
            stop_ = !host.runError(in.line, in.column, {{}, e.what()});
            return finish(RunEnd::Failed);
        } catch (const std::exception& e) {
            if (handlers_.size() > handlerBase_) {
                const Handler h = handlers_.back();
                handlers_.pop_back();
                unwindTo(h.frames);
                if (objects_.size() > h.objects) objects_.resize(h.objects);
                takeOver(h, e, at);
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
            return finish(RunEnd::Failed);
        }
    }
}

void BinProg::raise(const Instruction& in, std::int32_t slot) {
    if (slot != -1) {
        // raise X: an exception object gives its class and Message; any other value is the
        // message of an Exception.
        const Value& raised = slots_[static_cast<std::size_t>(slot)];
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
