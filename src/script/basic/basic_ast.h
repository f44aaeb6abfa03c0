#pragma once
// The syntax tree of a Basic-dialect module: expressions, statements and procedures. The parser
// builds it once; the interpreter walks it and keeps small per-node caches of name lookups.

#include "script/dispatch.h"
#include "script/value.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlan::script {
struct MethodInfo;
struct PropertyInfo;
} // namespace vorlan::script

namespace vorlan::script::basic {

enum class ExprKind : std::uint8_t {
    Literal,
    Name,   // a variable, constant, procedure or outside name, with optional arguments
    Member, // base.name, with optional arguments
    Binary,
    Unary,
    Nothing,
    WithObject, // the object of the innermost With block
    Me,
    New, // New ClassName
};

enum class Op : std::uint8_t {
    Power,
    Negate,
    Plus,
    Multiply,
    Divide,
    IntDivide,
    Modulo,
    Add,
    Subtract,
    Concat,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Is,
    Not,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
    Paren, // (x): a value, never a variable to pass by reference
};

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;
class Interpreter;

// Where a name was found the first time it was evaluated; later evaluations go straight there.
enum class NameKind : std::uint8_t {
    Unresolved,
    Local,
    Global,
    Procedure,
    Builtin,
    Outside,
    Field,
    Member
};

// What a plain name (no argument list) or a literal reads, once resolved: the evaluator's fast
// paths read these without going through the general name lookup.
enum class Leaf : std::uint8_t { None, Literal, Local, Global, Field };

struct Expr {
    // The integer fast path made for this node once its names are known (basic_integer.cpp).
    using IntegerRoutine = bool (*)(Interpreter&, const Expr&, std::int32_t&);

    ExprKind kind = ExprKind::Literal;
    Op op = Op::Add;
    int line = 0;
    int column = 0;
    Value value;               // Literal
    std::string name;          // Name, Member
    ExprPtr left, right;       // Binary/Unary operands; Member base in `left`
    std::vector<ExprPtr> args; // call arguments or indexes
    bool hasParens = false;    // the name was followed by an argument list
    // An integer operator or comparison over literals, plain names and other such operations:
    // the only binary expressions the integer fast path tries.
    bool pure = false;
    int depth = 1; // of the subtree, to keep evaluation off the end of the stack

    // Lookup caches.
    NameKind nameKind = NameKind::Unresolved;
    Leaf leaf = Leaf::None;
    int slot = -1;
    Value* global = nullptr; // a module variable: its storage never moves
    // What a literal or a plain module variable reads: storage that never moves.
    const Value* fixed = nullptr;
    IntegerRoutine arithmetic = nullptr; // + - * \ Mod
    IntegerRoutine comparison = nullptr; // = <> < > <= >=, 1 for true
    Dispatch* cachedHost = nullptr;
    DispId cachedId = kUnknownDispId;
    // A registered routine of the global scope, called through its direct entry over the
    // call's arguments.
    const MethodInfo* direct = nullptr;
    // Whether that routine reads its arguments where they lie (literals and variables in place,
    // the rest computed once): decided after the first call has resolved the arguments' names.
    // -1 not yet known, 0 no, 1 yes.
    std::int8_t argsInPlace = -1;
    // A member call on a native object: the object last seen there, and what the name means on
    // it when it is a registered method (in `direct`) or property.
    std::weak_ptr<Dispatch> cachedTarget;
    const PropertyInfo* property = nullptr;
};

enum class StmtKind : std::uint8_t {
    Dim,
    ReDim,
    Const,
    Assign,
    Set,
    Call,
    If,
    Select,
    For,
    ForEach,
    Do,
    Exit,
    OnErrorResume,
    OnErrorGoto0,
    With,
    Erase,
    Nop,
};

enum class ExitKind : std::uint8_t { Do, For, Sub, Function, Property };

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct DimItem {
    std::string name;
    std::vector<ExprPtr> bounds; // upper bounds; empty with `isArray` for a dynamic array
    bool isArray = false;
};

struct CaseItem {
    ExprPtr low, high;   // a value, or `low To high`
    Op isOp = Op::Equal; // Case Is < x
};

struct CaseClause {
    std::vector<CaseItem> items; // empty: Case Else
    Block body;
};

struct Stmt {
    StmtKind kind = StmtKind::Nop;
    int line = 0;
    int column = 0;
    std::vector<DimItem> dims; // Dim, ReDim
    bool preserve = false;     // ReDim Preserve
    ExprPtr target;            // Assign/Set/Call/For variable
    ExprPtr expr;              // value, condition, For start, Select subject
    ExprPtr limit, step;       // For
    Block body;                // If-then, loops
    std::vector<std::pair<ExprPtr, Block>> elseIfs;
    Block elseBody;
    std::vector<CaseClause> cases;
    bool testAtEnd = false; // Do ... Loop While
    bool until = false;     // Until instead of While
    ExitKind exitKind = ExitKind::Do;
};

struct Param {
    std::string name;
    bool byVal = false;
};

enum class ProcKind : std::uint8_t { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct Procedure {
    std::string name;
    ProcKind kind = ProcKind::Sub;
    bool isFunction = false; // has a result: Function and Property Get
    int ownerClass = -1;     // index into Module::classes for methods
    int line = 0;            // of its name
    int column = 0;
    std::vector<Param> params;
    Block body;
    // Local names in slot order: the result (functions), the parameters, then the rest.
    std::vector<std::string> locals;
};

struct ClassDef {
    std::string name;
    std::vector<DimItem> fields;
    std::vector<std::unique_ptr<Procedure>> methods;
};

struct Module {
    Block body;
    std::vector<std::unique_ptr<Procedure>> procedures;
    std::vector<std::unique_ptr<ClassDef>> classes;
    bool optionExplicit = false;
};

} // namespace vorlan::script::basic
