#pragma once
// The variant that crosses every boundary between scripts and the system: empty, null, integer,
// double, currency, date, string (Windows-1250 bytes), Boolean, object reference, array.

#include <concepts>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace vorlan::script {

class Dispatch;
class VarArray;

enum class ValueType : std::uint8_t {
    Empty,
    Null,
    Integer,
    Double,
    Currency,
    Date,
    String,
    Boolean,
    Object,
    Array
};

// Fixed point with four decimals, stored scaled by 10,000.
struct Currency {
    std::int64_t scaled = 0;
    bool operator==(const Currency&) const = default;
};

// Days since 30 December 1899, the fraction being the time of day.
struct DateTime {
    double days = 0;
    bool operator==(const DateTime&) const = default;
};

struct NullTag {
    bool operator==(const NullTag&) const = default;
};

// A failed conversion or operation on values; scripts see it as a run-time error.
class ValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using ObjectRef = std::shared_ptr<Dispatch>;

class Value {
public:
    Value() = default;
    Value(NullTag) : v_(NullTag{}) {}
    Value(std::int32_t i) : v_(i) {}
    Value(double d) : v_(d) {}
    Value(Currency c) : v_(c) {}
    Value(DateTime d) : v_(d) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(bool b) : v_(b) {}
    Value(ObjectRef o) : v_(std::move(o)) {}
    Value(std::shared_ptr<VarArray> a) : v_(std::move(a)) {}
    // Narrower and wider integers land in the 32-bit integer (a too large value becomes a double).
    static Value fromInt64(std::int64_t i);
    static Value null() { return Value(NullTag{}); }

    ValueType type() const { return static_cast<ValueType>(v_.index()); }
    bool isEmpty() const { return type() == ValueType::Empty; }
    bool isNull() const { return type() == ValueType::Null; }
    bool isInteger() const { return type() == ValueType::Integer; }
    bool isDouble() const { return type() == ValueType::Double; }
    bool isString() const { return type() == ValueType::String; }
    bool isBoolean() const { return type() == ValueType::Boolean; }
    bool isObject() const { return type() == ValueType::Object; }
    bool isArray() const { return type() == ValueType::Array; }
    // Integer, double, currency or date.
    bool isNumeric() const;

    // Direct access; the caller has checked the type.
    std::int32_t asInt() const { return std::get<std::int32_t>(v_); }
    double asDouble() const { return std::get<double>(v_); }
    Currency asCurrency() const { return std::get<Currency>(v_); }
    DateTime asDate() const { return std::get<DateTime>(v_); }
    const std::string& asString() const { return std::get<std::string>(v_); }
    std::string& asString() { return std::get<std::string>(v_); }
    bool asBool() const { return std::get<bool>(v_); }
    const ObjectRef& asObject() const { return std::get<ObjectRef>(v_); }
    const std::shared_ptr<VarArray>& asArray() const {
        return std::get<std::shared_ptr<VarArray>>(v_);
    }
    // The array for changing it; copies it first when another value shares it, so that values
    // keep the copy semantics of variants.
    VarArray& mutableArray();
    // Store a number or Boolean in place, without building and visiting a temporary variant:
    // the hot loops of the interpreters change slots of the same kind most of the time.
    [[gnu::always_inline]] void setInt(std::int32_t i) {
        if (v_.index() == static_cast<std::size_t>(ValueType::Integer))
            *std::get_if<std::int32_t>(&v_) = i;
        else
            replaceWith(i);
    }
    [[gnu::always_inline]] void setDouble(double d) {
        if (v_.index() == static_cast<std::size_t>(ValueType::Double))
            *std::get_if<double>(&v_) = d;
        else
            replaceWith(d);
    }
    [[gnu::always_inline]] void setBool(bool b) {
        if (v_.index() == static_cast<std::size_t>(ValueType::Boolean))
            *std::get_if<bool>(&v_) = b;
        else
            replaceWith(b);
    }
    // An assignment that keeps numbers and Booleans off the variant's general machinery; the
    // interpreters copy such values between slots far more often than anything else. An
    // rvalue hands over a text or object instead of sharing it.
    template <class From>
    requires std::same_as<std::remove_cvref_t<From>, Value>
    [[gnu::always_inline]] void assignFrom(From&& from) {
        if (from.isInteger())
            setInt(from.asInt());
        else if (from.isBoolean())
            setBool(from.asBool());
        else if (from.isDouble())
            setDouble(from.asDouble());
        else if (this == &from)
            return;
        else if (from.isString() && isString())
            assignText(std::forward<From>(from));
        else
            *this = std::forward<From>(from);
    }
    // Text over text: the string's own assignment, which keeps this one's buffer when the text
    // is copied.
    [[gnu::always_inline]] void assignText(const Value& from) { asString() = from.asString(); }
    [[gnu::always_inline]] void assignText(Value&& from) {
        asString() = std::move(from.asString());
    }
    // Makes the value empty. A number, date or Boolean owns nothing, so it is simply replaced.
    [[gnu::always_inline]] void clear() {
        if (isEmpty()) return;
        if (ownsStorage())
            *this = Value();
        else
            std::construct_at(&v_);
    }
    // A text, object or array: what the value holds is released when it changes.
    bool ownsStorage() const {
        const ValueType t = type();
        return t == ValueType::String || t == ValueType::Object || t == ValueType::Array;
    }

    // Conversions by the variant rules; throw ValueError when the value cannot be converted.
    std::int32_t toInt() const; // doubles round half to even, as the platform's conversion does
    std::int64_t toInt64() const;
    double toDouble() const;
    bool toBool() const;
    Currency toCurrency() const;
    DateTime toDate() const;
    std::string toString() const; // null gives "", Booleans "True"/"False"
    ObjectRef toObject() const;   // empty, null and integer 0 give a null reference

    // Exact equality of type and contents (arrays and objects by identity); for tests and caches.
    bool identical(const Value& other) const;

private:
    // The change of kind behind setInt, setDouble and setBool, kept out of line so that the
    // common case stays small enough to inline in the interpreters' loops.
    void replaceWith(std::int32_t i);
    void replaceWith(double d);
    void replaceWith(bool b);

    std::variant<std::monostate, NullTag, std::int32_t, double, Currency, DateTime, std::string,
                 bool, ObjectRef, std::shared_ptr<VarArray>>
        v_;
};

// A rectangular array of values with its bounds, one to many dimensions.
class VarArray {
public:
    struct Bound {
        std::int32_t low = 0;
        std::int32_t high = -1;
        std::int32_t count() const { return high >= low ? high - low + 1 : 0; }
    };

    explicit VarArray(std::vector<Bound> bounds);
    static std::shared_ptr<VarArray> create(std::int32_t low, std::int32_t high);

    std::size_t dimensions() const { return bounds_.size(); }
    const Bound& bound(std::size_t dimension) const { return bounds_.at(dimension); }
    std::size_t size() const { return items_.size(); }

    // Element access by indexes, one per dimension; throws ValueError out of bounds.
    Value& at(const std::vector<std::int32_t>& indexes);
    const Value& at(const std::vector<std::int32_t>& indexes) const;
    Value& at(std::int32_t index) { return at(std::vector<std::int32_t>{index}); }
    // Elements in storage order (the first dimension varies fastest).
    std::vector<Value>& items() { return items_; }
    const std::vector<Value>& items() const { return items_; }

    // Changes the upper bound of the last dimension, keeping what fits.
    void redimPreserve(std::int32_t newHigh);

private:
    std::size_t offsetOf(const std::vector<std::int32_t>& indexes) const;

    std::vector<Bound> bounds_;
    std::vector<Value> items_;
};

// Number to text as scripts see it: "." as decimal separator, up to 15 significant digits,
// exponent form ("1E20", "1.5E-7") for very large and very small magnitudes.
std::string formatDouble(double d);
std::string formatCurrency(Currency c);
std::string formatDate(DateTime d);
// Text to number with "." as separator; false when the text is not a number.
bool parseNumber(std::string_view text, double& out);

// Variant arithmetic and comparison. Null in gives null out; empty counts as 0 or "".
enum class BinaryOp {
    Add,
    Subtract,
    Multiply,
    Divide,
    IntDivide,
    Modulo,
    Power,
    And,
    Or,
    Xor,
    ShiftLeft,
    ShiftRight,
    Concat
};
Value binaryOp(BinaryOp op, const Value& a, const Value& b);
Value negate(const Value& a);
Value logicalNot(const Value& a);

enum class CompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };
// Null on either side gives null.
Value compare(CompareOp op, const Value& a, const Value& b);
// -1, 0 or 1; throws ValueError when the two cannot be compared.
int compareValues(const Value& a, const Value& b);

// The name of a value's type for messages ("Integer", "String", ...).
const char* typeName(ValueType type);

} // namespace vorlan::script
