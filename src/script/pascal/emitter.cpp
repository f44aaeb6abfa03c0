#include "script/pascal/emitter.h"

#include "script/pascal/compile_failure.h"
#include "script/pascal/messages.h"

#include <algorithm>
#include <cstring>

namespace vorlan::script::pascal::detail {

namespace {

constexpr std::size_t kMaxLabels = 65536;
constexpr std::size_t kMaxConstants = 65536;
constexpr std::size_t kMaxCodeWords = 1u << 24;
// Numeric literals read by operators come from slots of their own (no load per use); the rest of
// the bank is left to variables and temporaries.
constexpr int kMaxConstantSlots = 128;

[[noreturn]] void failAt(const TokenReader& reader, const std::string& message) {
    throw Failure{message, reader.current().line, reader.current().column};
}

} // namespace

std::string constKey(const Value& v) {
    switch (v.type()) {
    case ValueType::String:
        return "s" + v.asString();
    case ValueType::Integer:
        return "i" + std::to_string(v.asInt());
    case ValueType::Double: {
        std::uint64_t bits = 0;
        const double d = v.asDouble();
        std::memcpy(&bits, &d, sizeof bits);
        return "d" + std::to_string(bits);
    }
    case ValueType::Boolean:
        return v.asBool() ? "b1" : "b0";
    case ValueType::Currency:
        return "c" + std::to_string(v.asCurrency().scaled);
    case ValueType::Date: {
        std::uint64_t bits = 0;
        const double d = v.asDate().days;
        std::memcpy(&bits, &d, sizeof bits);
        return "t" + std::to_string(bits);
    }
    case ValueType::Object:
        return v.asObject() ? std::string() : "n";
    case ValueType::Empty:
        return "e";
    case ValueType::Null:
        return "u";
    case ValueType::Array:
        return {};
    }
    return {};
}

// ---- slots

int SlotBank::allocSlot() {
    if (nextSlot_ >= constTop_) failAt(reader_, msg::tooManySlots());
    return nextSlot_++;
}

int SlotBank::allocTemp() {
    const int slot = tempTop_++;
    if (slot >= constTop_) failAt(reader_, msg::tooManySlots());
    tempHigh_ = std::max(tempHigh_, tempTop_);
    return slot;
}

int SlotBank::constantSlot(const Value& v) {
    if (!useConstSlots_ || !(v.isInteger() || v.isDouble() || v.isBoolean())) return -1;
    const std::string k = constKey(v);
    if (auto it = constSlots_.find(k); it != constSlots_.end()) return it->second;
    if (constSlotCount_ >= kMaxConstantSlots || constTop_ - 1 < std::max(nextSlot_, tempHigh_))
        return -1;
    const int slot = --constTop_;
    ++constSlotCount_;
    initial_[static_cast<std::size_t>(slot)] = v;
    constSlots_.emplace(k, slot);
    return slot;
}

// ---- code

int Emitter::constant(const Value& v) {
    const std::string k = constKey(v);
    if (k.empty()) failAt(reader_, msg::unknownVariableType());
    if (auto it = constIndex_.find(k); it != constIndex_.end()) return it->second;
    if (constants_.size() >= kMaxConstants) failAt(reader_, msg::tooManyConstants());
    constants_.push_back(v);
    const int index = static_cast<int>(constants_.size() - 1);
    constIndex_.emplace(k, index);
    return index;
}

int Emitter::newLabel() {
    if (labels_.size() >= kMaxLabels) failAt(reader_, msg::tooManyLabels());
    labels_.push_back(-1);
    return static_cast<int>(labels_.size() - 1);
}

void Emitter::emit(int op, int a, int b) {
    if (code_.size() >= kMaxCodeWords) failAt(reader_, msg::internalError());
    code_.push_back({a, b, op, line_, column_});
}

void Emitter::emitCall(int op, int a, int b, const std::vector<int>& operands) {
    emit(op, a, b);
    for (std::size_t i = 0; i < operands.size(); i += 3) {
        Instruction w{operands[i], 0, 0, line_, column_};
        if (i + 1 < operands.size()) w.b = operands[i + 1];
        if (i + 2 < operands.size()) w.op = operands[i + 2];
        code_.push_back(w);
    }
}

} // namespace vorlan::script::pascal::detail
