// Loading a program into the machine: the slots' initial values, the decoded words with their
// operands' addressing, fused forms of common instruction runs, and each call's operands.

#include "script/pascal/bin_prog.h"
#include "script/pascal/machine_dispatch.h"

#include <algorithm>

namespace vorlan::script::pascal {

using namespace machine;

namespace {

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

private:
    const Instruction* word_;
    int field_ = 0;
};

bool slotInA(std::int32_t op) {
    return (op >= 0 && op <= 20 && op != OpJump) || op == OpLoadConst || op == OpIncrement ||
           op == OpDecrement || op == OpMove || op == OpNewArray || op == OpPushObject ||
           op == OpRaise || op == OpCharAt || op == OpExceptionObject || op == OpExceptionIs ||
           op == OpWriteFixed || op == OpWriteWidth;
}
bool slotInB(std::int32_t op) {
    return (op >= 0 && op <= 18) || op == OpMove || op == OpSetElement || op == OpCallName ||
           op == OpCallMember || op == OpCharAt || op == OpWriteFixed || op == OpWriteWidth;
}

// A slot number as decoded words hold it.
std::int32_t scaled(std::int32_t slot) {
    return slot * kSlotBytes;
}

} // namespace

void BinProg::findRoutineCode(std::vector<std::int32_t>& owner) const {
    const auto n = static_cast<std::int32_t>(code.size());
    owner.assign(code.size(), -1);
    auto entryOf = [&](const Routine& r) {
        if (r.codeStart >= 0) return r.codeStart;
        if (r.entryLabel < 0 || static_cast<std::size_t>(r.entryLabel) >= labels.size()) return -1;
        return labels[static_cast<std::size_t>(r.entryLabel)];
    };
    for (std::size_t k = 0; k < routines.size(); ++k) {
        const Routine& r = routines[k];
        const std::int32_t start = entryOf(r);
        if (start < 0 || start >= n) continue;
        std::int32_t end = r.codeEnd;
        if (end < 0) {
            end = n;
            for (const Routine& other : routines)
                if (const std::int32_t s = entryOf(other); s > start && s < end) end = s;
        }
        std::fill(owner.begin() + start, owner.begin() + std::min(end, n),
                  static_cast<std::int32_t>(k));
    }
}

void BinProg::decode() {
    const std::size_t n = code.size();
    std::vector<std::int32_t> owner;
    findRoutineCode(owner);
    // A slot of the routine whose code holds the operand lives in the running activation.
    auto ref = [&](std::size_t at, std::int32_t slot) {
        const std::int32_t k = owner[at];
        if (k < 0) return SlotRef{slot, 0};
        const Routine& r = routines[static_cast<std::size_t>(k)];
        return SlotRef{slot, slot >= r.firstSlot && slot < r.endSlot ? -1 : 0};
    };

    // Operand words are never run; a jump into one finds a bad operation.
    steps_.assign(n, Step{0, 0, kBadOperation, 0, 0});
    std::vector<bool> start(n + 1, false), target(n + 1, false);
    for (std::int32_t l : labels)
        if (l >= 0 && static_cast<std::size_t>(l) < n) target[static_cast<std::size_t>(l)] = true;
    for (std::size_t i = 0; i < n;) {
        const Instruction& in = code[i];
        Step& st = steps_[i];
        start[i] = true;
        st.op = isKnownOperation(in.op) ? in.op : kBadOperation;
        st.a = in.a;
        st.b = in.b;
        if (slotInA(in.op) && !(in.op == OpRaise && in.a == -1)) {
            st.maskA = static_cast<std::int8_t>(ref(i, in.a).mask);
            st.a = scaled(in.a);
        }
        if (slotInB(in.op)) {
            st.maskB = static_cast<std::int8_t>(ref(i, in.b).mask);
            st.b = scaled(in.b);
        }
        const std::size_t words = operationWords(in);
        if (in.op == OpSetElement && i + 1 < n) {
            // The array's slot is in the A field of the next word.
            steps_[i + 1].a = scaled(code[i + 1].a);
            steps_[i + 1].maskA = static_cast<std::int8_t>(ref(i, code[i + 1].a).mask);
        }
        i += words;
        // A call returns to the instruction after it.
        if (i <= n && (in.op == OpCallName || in.op == OpCallLabel)) target[i] = true;
    }
    auto jumpsToReturn = [&](std::int32_t label) {
        if (label < 0 || static_cast<std::size_t>(label) >= labels.size()) return false;
        const std::int32_t to = labels[static_cast<std::size_t>(label)];
        return to >= 0 && static_cast<std::size_t>(to) < n && start[static_cast<std::size_t>(to)] &&
               code[static_cast<std::size_t>(to)].op == OpReturn;
    };
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
        if (c0.op == OpMove && plain(i, 4) && arithmeticIndex(code[i + 1].op) >= 0 &&
            comparisonIndex(code[i + 2].op) >= 0 && code[i + 3].op == OpJumpIfFalse) {
            const std::int32_t t = c0.a;
            if (code[i + 1].a == t && code[i + 2].a == t && code[i + 3].a == t &&
                code[i + 1].b != t && code[i + 2].b != t) {
                steps_[i].op = kFusedMoveArithCmpJump + 6 * arithmeticIndex(code[i + 1].op) +
                               comparisonIndex(code[i + 2].op);
                continue;
            }
        }
        if (c0.op == OpMove && plain(i, 3) && comparisonIndex(code[i + 1].op) >= 0 &&
            code[i + 2].op == OpJumpIfFalse) {
            const std::int32_t t = c0.a;
            if (code[i + 1].a == t && code[i + 2].a == t && code[i + 1].b != t) {
                steps_[i].op = kFusedMoveCmpJump + comparisonIndex(code[i + 1].op);
                continue;
            }
        }
        if (c0.op == OpMove && plain(i, 2) && arithmeticIndex(code[i + 1].op) >= 0 &&
            code[i + 1].a == c0.a && code[i + 1].b != c0.a) {
            steps_[i].op = kFusedMoveArith + arithmeticIndex(code[i + 1].op);
            continue;
        }
        if (comparisonIndex(c0.op) >= 0 && plain(i, 2) && code[i + 1].op == OpJumpIfFalse &&
            code[i + 1].a == c0.a) {
            steps_[i].op = kFusedCmpJump + comparisonIndex(c0.op);
            continue;
        }
        if (arithmeticIndex(c0.op) >= 0 && plain(i, 2) && code[i + 1].op == OpMove &&
            code[i + 1].b == c0.a) {
            // A return right after may be a jump target itself: it stays as it is for those.
            const bool returns = i + 2 < n && start[i + 2] && code[i + 2].op == OpReturn;
            steps_[i].op =
                (returns ? kFusedArithMoveReturn : kFusedArithMove) + arithmeticIndex(c0.op);
            continue;
        }
        if (c0.op == OpMove && plain(i, 2) && code[i + 1].op == OpJump) {
            steps_[i].op = jumpsToReturn(code[i + 1].a) ? kFusedMoveReturn : kFusedMoveJump;
            continue;
        }
        if (c0.op == OpJump && jumpsToReturn(c0.a)) steps_[i].op = kJumpReturn;
    }
    readCallOperands(owner);
}

void BinProg::readCallOperands(const std::vector<std::int32_t>& owner) {
    callOperands_.clear();
    for (std::size_t i = 0; i < code.size();) {
        const Instruction& in = code[i];
        const std::size_t words = operationWords(in);
        const bool call = in.op == OpCallName || in.op == OpCallMember || in.op == OpPutMember;
        if (call && words <= code.size() - i) {
            CallCache& cache = callCache_[i];
            cache.operands = static_cast<std::int32_t>(callOperands_.size());
            cache.next = static_cast<std::int32_t>(i + words);
            // A call whose result the next instruction drops.
            cache.dropsResult = in.op != OpPutMember && i + words < code.size() &&
                                code[i + words].op == OpPopObject;
            OperandReader reader(code.data() + i + 1);
            const auto argc = static_cast<std::size_t>(in.op == OpPutMember ? in.b : in.a);
            const Routine* r =
                owner[i] >= 0 ? &routines[static_cast<std::size_t>(owner[i])] : nullptr;
            callOperands_.push_back(SlotRef{reader.next(), 0}); // the name's constant
            for (std::size_t k = 0; k < argc; ++k) {
                const std::int32_t slot = reader.next();
                const bool local = r && slot >= r->firstSlot && slot < r->endSlot;
                callOperands_.push_back(SlotRef{slot, local ? -1 : 0});
            }
        }
        i += words;
    }
}

void BinProg::load(std::vector<Value> initialSlots) {
    // The frames of recursive activations go above the bank; room for the deepest nesting is
    // reserved now (address space only until used), so slots never move while a run holds
    // references to them.
    std::size_t largest = 0;
    for (const Routine& r : routines)
        largest = std::max<std::size_t>(
            largest, static_cast<std::size_t>(std::max(0, r.endSlot - r.firstSlot)));
    std::vector<Value> bank;
    bank.reserve(kSlotCount + largest * kReturnStackSize);
    bank.resize(kSlotCount);
    for (std::size_t i = 0; i < bank.size() && i < initialSlots.size(); ++i)
        bank[i] = std::move(initialSlots[i]);
    slots_ = std::move(bank);
    slotsInUse_ = slots_.size();
    initial_.assign(slots_.begin(), slots_.begin() + kSlotCount);
    stackTop_ = kSlotCount;
    lo_ = 0;
    // A last end-of-program word, so no path can run past the code.
    if (code.empty() || code.back().op != OpEndProgram) code.push_back({0, 0, OpEndProgram, 0, 0});
    callCache_.assign(code.size(), CallCache{});
    decode();
    shapes_.assign(routines.size(), FrameShape{});
    ownCalls_.clear();
    registeredCalls_.clear();
    ownArgs_.clear();
    paramBytes_.clear();
    for (const Routine& r : routines)
        for (const std::int32_t slot : r.paramSlots)
            paramBytes_.push_back(scaled(slot));
    std::size_t paramsBefore = 0;
    for (std::size_t i = 0; i < routines.size(); ++i) {
        const Routine& r = routines[i];
        FrameShape& shape = shapes_[i];
        shape.entry = labels[static_cast<std::size_t>(r.entryLabel)];
        shape.params = r.paramSlots.data();
        shape.paramBytes = paramBytes_.data() + paramsBefore;
        paramsBefore += r.paramSlots.size();
        shape.result = r.resultSlot;
        shape.varParams =
            std::find(r.varParams.begin(), r.varParams.end(), true) != r.varParams.end();
        shape.first = r.firstSlot;
        shape.count = std::max(0, r.endSlot - r.firstSlot);
        shape.initFrom = static_cast<std::int32_t>(r.paramSlots.size());
        shape.initTo =
            std::min(shape.count, (r.tempSlot >= 0 ? r.tempSlot : r.endSlot) - r.firstSlot);
    }
    returned_.reserve(8);
}

} // namespace vorlan::script::pascal
