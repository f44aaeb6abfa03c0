#pragma once
// The program under construction: the bank of variant slots (variables, temporaries and the
// slots that hold literals for the whole run) and the code with its labels and constants. Both
// report their limits as compile errors at the token being read.

#include "script/pascal/bin_prog.h"
#include "script/pascal/module_parser.h"

#include <map>
#include <string>
#include <vector>

namespace vorlan::script::pascal::detail {

// The identity of a literal in the constants table: equal values of one type share an entry.
// Empty for values that cannot be constants.
std::string constKey(const Value& v);

// Slots are handed out from the bottom: variables for good, temporaries on a stack that each
// statement unwinds (mark/release). Literals take slots from the top while the two do not meet.
class SlotBank {
public:
    SlotBank(const TokenReader& reader, bool constantSlots)
        : reader_(reader), useConstSlots_(constantSlots),
          initial_(static_cast<std::size_t>(kSlotCount)) {}

    int allocSlot();
    int allocTemp();
    int mark() const { return tempTop_; }
    void release(int m) { tempTop_ = m; }
    // Temporaries of a new body start above its variables.
    void startTemporaries() { tempTop_ = tempHigh_ = nextSlot_; }
    // A routine's temporaries are its own: later variables go above them.
    void keepTemporaries() { nextSlot_ = tempHigh_; }
    int nextSlot() const { return nextSlot_; }

    // A slot that holds a literal for the whole run, or -1 when it gets none.
    int constantSlot(const Value& v);
    bool usedConstantSlots() const { return constSlotCount_ > 0; }

    void setInitial(int slot, const Value& v) { initial_[static_cast<std::size_t>(slot)] = v; }
    std::vector<Value> takeInitial() { return std::move(initial_); }

private:
    const TokenReader& reader_;
    bool useConstSlots_;
    std::vector<Value> initial_;
    std::map<std::string, int> constSlots_;
    int nextSlot_ = 0;
    int constTop_ = kSlotCount;
    int constSlotCount_ = 0;
    int tempTop_ = 0;
    int tempHigh_ = 0;
};

// The code words, the label table (label number -> code index, -1 until placed) and the
// constants table. Each word carries the source position set with at().
class Emitter {
public:
    explicit Emitter(const TokenReader& reader) : reader_(reader) {}

    int constant(const Value& v);
    int newLabel();
    void place(int label) {
        labels_[static_cast<std::size_t>(label)] = static_cast<int>(code_.size());
    }
    void at(int line, int column) {
        line_ = line;
        column_ = column;
    }
    void emit(int op, int a = 0, int b = 0);
    // A call and its operand words, three operands to a word.
    void emitCall(int op, int a, int b, const std::vector<int>& operands);

    std::vector<Instruction>& code() { return code_; }
    std::vector<int>& labels() { return labels_; }
    std::vector<Value>& constants() { return constants_; }

private:
    const TokenReader& reader_;
    std::vector<Instruction> code_;
    std::vector<int> labels_;
    std::vector<Value> constants_;
    std::map<std::string, int> constIndex_;
    int line_ = 0;
    int column_ = 0;
};

} // namespace vorlan::script::pascal::detail
