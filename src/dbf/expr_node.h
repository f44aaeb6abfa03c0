#pragma once
// The parsed form of an xBase expression, shared by its parser and evaluator (expr.cpp) and the
// table of its functions (expr_functions.cpp): one row per function with its name, its argument
// counts, the rule that gives a call its type and width, and its body.

#include "dbf/expr.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vorlan::dbf {

enum class Op {
    Const,
    Field,
    Neg,
    Not,
    Add,
    Sub,
    Mul,
    Div,
    Mod,
    Pow,
    Eq,
    ExactEq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Contains,
    And,
    Or,
    Call,
};

namespace xbase {
struct Function;
}

struct ExprNode {
    Op op = Op::Const;
    ValueType type = ValueType::Logical;
    int width = 0;                       // character width, or numeric text width
    int decimals = 0;                    // numeric decimals
    XValue value;                        // Const
    int field = -1;                      // Field
    const xbase::Function* fn = nullptr; // Call
    std::vector<std::unique_ptr<ExprNode>> args;
};

namespace xbase {

using NodePtr = std::unique_ptr<ExprNode>;

constexpr std::size_t kMaxString = 1u << 20; // results beyond this are refused, not allocated

// A type rule's complaint about its arguments; the parser reports it with the position.
struct TypeRuleError {
    std::string message;
};

// What a function's type rule works with: the call, whose type, width and decimals it sets
// (character type and width 0 when it sets nothing), and the parsed arguments.
struct CallShape {
    ExprNode& call;
    const std::vector<NodePtr>& args;
    const Function& fn;

    // Stops with an error unless argument i has type t.
    void need(std::size_t i, ValueType t) const;
    // A constant numeric argument as an integer (clamped to 0..1e6), or `fallback`.
    int constInt(std::size_t i, int fallback) const;
    std::size_t count() const { return args.size(); }
    const ExprNode& arg(std::size_t i) const { return *args[i]; }
};

// What a function's body works with: the call, its evaluated arguments (none for a function
// that evaluates them itself) and the record the expression runs over.
struct CallValues {
    const ExprNode& call;
    std::vector<XValue>& a;
    const RecordSource* src;

    double num(std::size_t i) const { return a[i].num; }
    const std::string& str(std::size_t i) const { return a[i].str; }
};

struct Function {
    const char* name;
    int minArgs;
    int maxArgs;
    void (*type)(CallShape& shape);
    XValue (*body)(CallValues& call);
    // The body evaluates the arguments itself (IIF evaluates one branch only).
    bool lazy = false;
};

// Every function, looked up by the parser by name (or a prefix of four letters or more).
std::span<const Function> functions();

const char* typeName(ValueType t);
[[noreturn]] void evalError(const std::string& what);
XValue eval(const ExprNode& n, const RecordSource* src);
int compareValues(const XValue& a, const XValue& b);

} // namespace xbase

} // namespace vorlan::dbf
