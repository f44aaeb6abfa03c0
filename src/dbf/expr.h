#pragma once
// xBase expressions as used for index keys, filters, locate conditions and the evaluation calls:
// a parser that checks names and types once, and an evaluator that runs over the current record.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vorlan::dbf {

// Result type codes as callers see them: 1 character, 2 numeric, 3 logical, 4 date.
enum class ValueType { Char = 1, Numeric = 2, Logical = 3, Date = 4 };

struct XValue {
    ValueType type = ValueType::Logical;
    std::string str;       // Char
    double num = 0;        // Numeric
    std::int32_t date = 0; // Date: julian day number, 0 empty
    bool log = false;      // Logical

    static XValue text(std::string s);
    static XValue number(double n);
    static XValue dateValue(std::int32_t jd);
    static XValue logical(bool b);
};

// What an expression needs from the table it runs over.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // Field number (0-based) for a name, with or without an alias; -1 when there is none.
    virtual int resolveField(std::string_view alias, std::string_view name) const = 0;
    virtual char fieldTypeOf(int field) const = 0;
    virtual int fieldWidthOf(int field) const = 0;
    virtual int fieldDecimalsOf(int field) const = 0;
    virtual XValue fieldValue(int field) const = 0;
    virtual bool recordDeleted() const = 0;
    virtual std::uint32_t recordNumber() const = 0;
};

struct ExprNode;

class Expression {
public:
    Expression();
    ~Expression();
    Expression(Expression&&) noexcept;
    Expression& operator=(Expression&&) noexcept;

    // Parses `text` and resolves its field names against `source` (which may be null when the
    // expression uses no fields). Throws DbfError with a message naming the problem and its
    // position for a malformed expression, an unknown name or mismatched types.
    static Expression compile(std::string_view text, const RecordSource* source);

    bool valid() const { return root_ != nullptr; }
    ValueType type() const;
    // Width of a character result (for index keys); numeric results report the width of their
    // text form.
    int width() const;
    int decimals() const;
    const std::string& text() const { return text_; }

    XValue evaluate(const RecordSource* source) const;
    // Logical result (a filter); throws when the expression is not logical.
    bool test(const RecordSource* source) const;

private:
    std::unique_ptr<ExprNode> root_;
    std::string text_;
};

// The evaluation of `text` without a table (constants and functions only).
XValue evaluateConstant(std::string_view text);

} // namespace vorlan::dbf
