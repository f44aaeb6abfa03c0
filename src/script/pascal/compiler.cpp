#include "script/pascal/compiler.h"

#include "core/cp1250.h"
#include "script/pascal/messages.h"
#include "script/pascal/module_parser.h"
#include "script/registry.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace vorlan::script::pascal {

CompileError::CompileError(std::string message, int line, int column)
    : std::runtime_error(msg::syntaxError(line + 1, column + 1, message)),
      message_(std::move(message)), line_(line), column_(column) {}

// ---- names from the registry

NameResolver::Answer RegistryResolver::resolve(std::string_view name) {
    Registry& reg = registry();
    // The order of the registry's global scope: procedures, variables, constants, classes.
    if (const MethodInfo* m = reg.findProc(name))
        return {m->signature.isFunction ? Kind::Function : Kind::Procedure, {}, {}};
    if (reg.findVar(name)) return {Kind::Variable, std::string(kScopeObjectName), {}};
    if (const Value* c = reg.findConst(name)) {
        // Objects and arrays cannot sit in the constants table: they are fetched when needed.
        if (c->isObject() || c->isArray()) return {Kind::Function, {}, {}};
        return {Kind::Constant, {}, *c};
    }
    if (reg.findClass(name)) return {Kind::Class, {}, {}};
    return {};
}

bool RegistryResolver::isClass(std::string_view name) {
    return registry().findClass(name) != nullptr;
}

bool RegistryResolver::isComponentClass(std::string_view name) {
    return registry().isClassOrDescendant(name, "TComponent");
}

namespace {

constexpr std::size_t kMaxLabels = 65536;
constexpr std::size_t kMaxConstants = 65536;
constexpr std::size_t kMaxCodeWords = 1u << 24;
// Numeric literals read by operators come from slots of their own (no load per use); the rest of
// the bank is left to variables and temporaries.
constexpr int kMaxConstantSlots = 128;
// Nesting of statements and parentheses, and the depth of expression trees (a long chain of
// operators is a deep tree): the compiler recurses that deep.
constexpr int kMaxNesting = 400;
constexpr int kMaxTreeDepth = 2000;

struct Failure {
    std::string message;
    int line;
    int column;
};

enum class IdentKind { Variable, Constant, Parameter, Result, Routine, Label, Class };

struct Ident {
    IdentKind kind = IdentKind::Variable;
    std::string name; // as declared
    int slot = -1;
    Value value;
    int routine = -1;
    int label = -1;
    bool placed = false;
    std::vector<int> tryPath; // labels: the protected blocks around the place of the label
    std::string parent;       // classes
};

struct Param {
    std::string name;
    bool isVar = false;
    Value zero;
};

struct RoutineDecl {
    std::string name;
    std::vector<std::string> aliases;
    std::vector<Param> params;
    bool isFunction = false;
    bool defined = false;
    bool forward = false;
    bool resultUsed = false;
    int entryLabel = -1;
    int resultSlot = -1;
    std::vector<int> paramSlots;
    int firstSlot = 0;
    int endSlot = 0;
    int line = 0;
    int column = 0;
};

struct TypeInfo {
    std::string name;
    Value zero;
};

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Link {
    std::string name;
    std::vector<NodePtr> args;
    int line = 0;
    int column = 0;
};

struct Node {
    enum Kind { Literal, Var, Unary, Binary, Chain, CharAt, ArrayLit };
    Kind kind = Literal;
    int line = 0;
    int column = 0;
    Value value;   // Literal
    int slot = -1; // Var
    int op = 0;    // Unary, Binary
    NodePtr a;     // operand; CharAt: the index
    NodePtr b;     // right operand; CharAt: the indexed value
    // Chain: a call by name (53) or an object (57), then member calls (54).
    bool startsWithName = false;
    int startSlot = -1;
    NodePtr startExpr;
    std::vector<Link> links;
    std::vector<NodePtr> items; // ArrayLit
    bool hasCall = false;
    int depth = 1;               // of the tree below: code generation recurses that deep
    bool procedure = false;      // the last call yields no value
    bool routineCall = false;    // the first link calls a routine of the module
    bool assignableName = false; // a lone name that can be written through `owner`
    std::string owner;
    bool resolvedAsFunction = false; // a lone name known to be a routine with a result
};

const TypeInfo* standardType(std::string_view name) {
    static const std::vector<TypeInfo> types = [] {
        std::vector<TypeInfo> t;
        for (const char* n : {"Integer", "Longint", "Cardinal", "Longword", "DWORD", "Smallint",
                              "Shortint", "Byte", "Word", "Int64"})
            t.push_back({n, Value(0)});
        for (const char* n : {"Boolean", "ByteBool", "WordBool", "LongBool"})
            t.push_back({n, Value(false)});
        for (const char* n :
             {"Char", "AnsiChar", "WideChar", "AnsiString", "ShortString", "WideString", "PChar"})
            t.push_back({n, Value(std::string())});
        for (const char* n : {"Real", "Real48", "Single", "Double", "Extended", "Comp"})
            t.push_back({n, Value(0.0)});
        t.push_back({"Currency", Value(Currency{})});
        for (const char* n : {"TDateTime", "TDate", "TTime"})
            t.push_back({n, Value(DateTime{})});
        for (const char* n : {"Variant", "OleVariant"})
            t.push_back({n, Value()});
        for (const char* n : {"Pointer", "TObject"})
            t.push_back({n, Value(ObjectRef())});
        return t;
    }();
    for (const auto& t : types)
        if (equalsNoCase(t.name, name)) return &t;
    return nullptr;
}

bool isDirectiveKeyword(int code) {
    switch (code) {
    case KwVirtual:
    case KwOverride:
    case KwAbstract:
    case KwDynamic:
    case KwOverload:
    case KwReintroduce:
    case KwStdcall:
    case KwRegister:
    case KwCdecl:
    case KwPascal:
    case KwSafecall:
    case KwExport:
    case KwFar:
    case KwNear:
    case KwAssembler:
    case KwInline:
    case KwForward:
    case KwExternal:
    case KwMessage:
        return true;
    default:
        return false;
    }
}

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

bool foldable(const Value& v) {
    return v.isInteger() || v.isDouble() || v.isString() || v.isBoolean();
}

// The value an operator gives for two literals, computed as the machine computes it; false when
// the operation fails (it is then left to fail when the program runs).
bool fold(int op, const Value& a, const Value& b, Value& out) {
    static const std::map<int, BinaryOp> arithmetic = {
        {OpAdd, BinaryOp::Add},
        {OpSubtract, BinaryOp::Subtract},
        {OpMultiply, BinaryOp::Multiply},
        {OpIntDivide, BinaryOp::IntDivide},
        {OpModulo, BinaryOp::Modulo},
        {OpDivide, BinaryOp::Divide},
        {OpShl, BinaryOp::ShiftLeft},
        {OpShr, BinaryOp::ShiftRight},
        {OpOr, BinaryOp::Or},
        {OpXor, BinaryOp::Xor},
        {OpAnd, BinaryOp::And},
    };
    static const std::map<int, CompareOp> comparisons = {
        {OpEqual, CompareOp::Equal},     {OpNotEqual, CompareOp::NotEqual},
        {OpLess, CompareOp::Less},       {OpLessEqual, CompareOp::LessEqual},
        {OpGreater, CompareOp::Greater}, {OpGreaterEqual, CompareOp::GreaterEqual},
    };
    try {
        if (auto it = arithmetic.find(op); it != arithmetic.end())
            out = binaryOp(it->second, a, b);
        else
            out = compare(comparisons.at(op), a, b);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

class Compilation {
public:
    Compilation(NameResolver& resolver, const std::vector<std::string>& lines, bool constantSlots)
        : resolver_(resolver), parser_(lines), reader_(parser_), useConstSlots_(constantSlots),
          initial_(static_cast<std::size_t>(kSlotCount)) {}

    std::unique_ptr<BinProg> run() {
        try {
            next();
            module();
            return link();
        } catch (const ScannerError& e) {
            throw Failure{e.what(), e.line(), e.column()};
        }
    }

    bool usedConstantSlots() const { return constSlotCount_ > 0; }

private:
    struct Loop {
        int breakLabel;
        int continueLabel;
        std::size_t tryDepth;
    };
    struct PendingGoto {
        int trampoline;
        std::string key;
        std::string name;
        std::vector<int> path;
        int line;
        int column;
    };

    // ---- tokens

    const Token& tok() const { return reader_.current(); }
    bool is(int code) const { return tok().code == code; }
    void next() {
        reader_.advance();
        if (!tok().error.empty()) fail(tok().error);
    }
    std::string found() const { return tok().code == kTokEnd ? std::string() : tok().text; }
    [[noreturn]] void fail(const std::string& message) const {
        throw Failure{message, tok().line, tok().column};
    }
    [[noreturn]] static void failAt(const std::string& message, int line, int column) {
        throw Failure{message, line, column};
    }
    void expectChar(char c) {
        if (!is(static_cast<unsigned char>(c))) fail(msg::expectedChar(std::string(1, c), found()));
        next();
    }
    bool atAssignment() { return is(':') && reader_.peek().code == '='; }
    bool isName() const { return is(kTokIdent); }

    // ---- identifiers

    static std::string key(std::string_view name) { return upperCase(name); }
    std::string scopePrefix() const {
        return current_ >= 0 ? key(routines_[static_cast<std::size_t>(current_)].name) + "."
                             : std::string();
    }
    Ident* find(const std::string& k) {
        auto it = idents_.find(k);
        return it == idents_.end() ? nullptr : &it->second;
    }
    Ident* lookup(std::string_view name) {
        if (current_ >= 0)
            if (Ident* local = find(scopePrefix() + key(name))) return local;
        return find(key(name));
    }
    Ident& declare(const std::string& k, Ident item) {
        if (idents_.count(k)) {
            if (item.kind == IdentKind::Label) fail(msg::labelAlreadyDefined(item.name));
            if (item.kind == IdentKind::Routine || item.kind == IdentKind::Class)
                fail(msg::badDeclaration(item.name));
            fail(msg::variableAlreadyDefined(item.name));
        }
        return idents_.emplace(k, std::move(item)).first->second;
    }
    RoutineDecl* currentRoutine() {
        return current_ >= 0 ? &routines_[static_cast<std::size_t>(current_)] : nullptr;
    }

    // ---- slots, constants, labels, code

    int allocSlot() {
        if (nextSlot_ >= constTop_) fail(msg::tooManySlots());
        return nextSlot_++;
    }
    int allocTemp() {
        const int slot = tempTop_++;
        if (slot >= constTop_) fail(msg::tooManySlots());
        tempHigh_ = std::max(tempHigh_, tempTop_);
        return slot;
    }
    int mark() const { return tempTop_; }
    void release(int m) { tempTop_ = m; }

    // A slot that holds a literal for the whole run, or -1 when it gets none.
    int constantSlot(const Value& v) {
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
    int constant(const Value& v) {
        const std::string k = constKey(v);
        if (k.empty()) fail(msg::unknownVariableType());
        if (auto it = constIndex_.find(k); it != constIndex_.end()) return it->second;
        if (constants_.size() >= kMaxConstants) fail(msg::tooManyConstants());
        constants_.push_back(v);
        const int index = static_cast<int>(constants_.size() - 1);
        constIndex_.emplace(k, index);
        return index;
    }
    int newLabel() {
        if (labels_.size() >= kMaxLabels) fail(msg::tooManyLabels());
        labels_.push_back(-1);
        return static_cast<int>(labels_.size() - 1);
    }
    void place(int label) {
        labels_[static_cast<std::size_t>(label)] = static_cast<int>(code_.size());
    }
    void at(int line, int column) {
        line_ = line;
        column_ = column;
    }
    void at(const Token& t) { at(t.line, t.column); }
    void at(const Node& n) { at(n.line, n.column); }
    void emit(int op, int a = 0, int b = 0) {
        if (code_.size() >= kMaxCodeWords) fail(msg::internalError());
        code_.push_back({a, b, op, line_, column_});
    }
    void emitCall(int op, int a, int b, const std::vector<int>& operands) {
        emit(op, a, b);
        for (std::size_t i = 0; i < operands.size(); i += 3) {
            Instruction w{operands[i], 0, 0, line_, column_};
            if (i + 1 < operands.size()) w.b = operands[i + 1];
            if (i + 2 < operands.size()) w.op = operands[i + 2];
            code_.push_back(w);
        }
    }

    // ---- module structure

    void module() {
        at(tok());
        mainLabel_ = newLabel();
        emit(OpJump, mainLabel_);
        if (is(KwProgram) || is(KwUnit) || is(KwLibrary)) {
            isUnit_ = is(KwUnit);
            next();
            if (!isName()) fail(msg::expected(msg::programName()));
            next();
            if (is('(')) {
                next();
                while (isName() || is(','))
                    next();
                expectChar(')');
            }
            expectChar(';');
        }
        for (;;) {
            switch (tok().code) {
            case KwUses:
                usesClause();
                break;
            case KwInterface:
                inInterface_ = true;
                next();
                break;
            case KwImplementation:
                inInterface_ = false;
                next();
                break;
            case KwLabel:
                labelSection();
                break;
            case KwConst:
            case KwResourcestring:
                constSection();
                break;
            case KwType:
                typeSection();
                break;
            case KwVar:
            case KwThreadvar:
                varSection();
                break;
            case KwProcedure:
            case KwFunction:
            case KwConstructor:
            case KwDestructor:
                routine();
                break;
            case KwBegin:
            case KwInitialization:
                mainBlock();
                return;
            case KwEnd:
                if (!isUnit_) fail(msg::expected(msg::keyword("begin")));
                place(mainLabel_);
                at(tok());
                emit(OpEndProgram);
                next();
                if (!is('.')) fail(msg::expectedChar(".", found()));
                finishScope();
                return;
            case kTokEnd:
                fail(msg::expected(msg::keyword("begin")));
            default:
                fail(msg::badBlock());
            }
        }
    }

    void usesClause() {
        next();
        for (;;) {
            if (!isName()) fail(msg::expected(msg::sourceName()));
            const std::string unit = tok().text;
            if (std::none_of(units_.begin(), units_.end(),
                             [&](const std::string& u) { return equalsNoCase(u, unit); }))
                units_.push_back(unit);
            next();
            if (is(KwIn)) {
                next();
                if (!is(kTokString)) fail(msg::badString());
                next();
            }
            if (is(',')) {
                next();
                continue;
            }
            break;
        }
        if (!is(';')) fail(msg::expectedOneOf(",", ";"));
        next();
        hasUses_ = true;
    }

    void mainBlock() {
        tempTop_ = tempHigh_ = nextSlot_;
        place(mainLabel_);
        next();
        statementList(KwEnd, "End");
        at(tok());
        emit(OpEndProgram);
        next();
        if (!is('.')) fail(msg::expectedChar(".", found()));
        finishScope();
    }

    // The pending gotos of the scope that ends get their way out of protected blocks.
    void finishScope() {
        for (const PendingGoto& g : gotos_) {
            Ident* label = find(g.key);
            if (!label || !label->placed) failAt(msg::labelNotDefined(g.name), g.line, g.column);
            place(g.trampoline);
            at(g.line, g.column);
            const std::size_t common = commonPrefix(g.path, label->tryPath);
            for (std::size_t i = common; i < g.path.size(); ++i)
                emit(OpPopHandler);
            emit(OpJump, label->label);
        }
        gotos_.clear();
    }

    static std::size_t commonPrefix(const std::vector<int>& a, const std::vector<int>& b) {
        std::size_t n = 0;
        while (n < a.size() && n < b.size() && a[n] == b[n])
            ++n;
        return n;
    }

    // ---- declarations

    void labelSection() {
        next();
        for (;;) {
            if (!isName() && !is(kTokNumber)) fail(msg::expected(msg::labelName()));
            Ident item;
            item.kind = IdentKind::Label;
            item.name = tok().text;
            item.label = newLabel();
            const std::string k = scopePrefix() + key(item.name);
            declare(k, std::move(item));
            next();
            if (is(',')) {
                next();
                continue;
            }
            break;
        }
        if (!is(';')) fail(msg::expected(msg::separator()));
        next();
    }

    Value constExpression(const std::string& name) {
        NodePtr n = expression();
        if (n->kind != Node::Literal) fail(msg::badDeclaration(name));
        return n->value;
    }

    void constSection() {
        next();
        while (isName()) {
            const Token nameTok = tok();
            next();
            if (is(':')) {
                // A typed constant is a variable with a starting value.
                next();
                typeName();
                if (!is('=')) fail(msg::expectedChar("=", found()));
                next();
                declareVariable(nameTok, constExpression(nameTok.text));
            } else {
                if (!is('=')) fail(msg::expectedChar("=", found()));
                next();
                Ident item;
                item.kind = IdentKind::Constant;
                item.name = nameTok.text;
                item.value = constExpression(nameTok.text);
                declare(scopePrefix() + key(nameTok.text), std::move(item));
            }
            if (!is(';')) fail(msg::expected(msg::separator()));
            next();
        }
    }

    void varSection() {
        next();
        while (isName()) {
            std::vector<Token> names{tok()};
            next();
            while (is(',')) {
                next();
                if (!isName()) fail(msg::expected(msg::variableName()));
                names.push_back(tok());
                next();
            }
            if (!is(':')) fail(msg::expectedOneOf(",", ":"));
            next();
            Value initial = typeName().zero;
            if (is('=')) {
                if (names.size() != 1) fail(msg::badDeclaration(names[0].text));
                next();
                initial = constExpression(names[0].text);
            }
            if (!is(';')) fail(msg::expected(msg::separator()));
            next();
            for (const Token& n : names)
                declareVariable(n, initial);
        }
    }

    void declareVariable(const Token& name, const Value& initial) {
        const std::string k = scopePrefix() + key(name.text);
        if (idents_.count(k))
            failAt(msg::variableAlreadyDefined(name.text), name.line, name.column);
        Ident item;
        item.kind = IdentKind::Variable;
        item.name = name.text;
        item.slot = allocSlot();
        initial_[static_cast<std::size_t>(item.slot)] = initial;
        if (current_ < 0) globals_.push_back({name.text, item.slot});
        declare(k, std::move(item));
    }

    TypeInfo typeName() {
        if (is(KwString)) {
            next();
            if (is('[')) {
                next();
                expression();
                expectChar(']');
            }
            return {"string", Value(std::string())};
        }
        if (isName()) {
            const std::string name = tok().text;
            if (const TypeInfo* t = standardType(name)) {
                next();
                return *t;
            }
            const Ident* declared = find(key(name));
            if ((declared && declared->kind == IdentKind::Class) || resolver_.isClass(name)) {
                next();
                return {name, Value(ObjectRef())};
            }
        }
        fail(msg::unknownType());
    }

    void typeSection() {
        next();
        while (isName()) {
            const Token nameTok = tok();
            next();
            if (!is('=')) fail(msg::expectedChar("=", found()));
            next();
            if (!is(KwClass)) fail(msg::onlyClassTypes());
            classDeclaration(nameTok);
            if (!is(';')) fail(msg::expected(msg::separator()));
            next();
        }
    }

    // Classes are declared so that the module's form class and its handlers read as written;
    // only methods of a class derived from a component class can run (with the module object
    // as self).
    void classDeclaration(const Token& nameTok) {
        next();
        if (is(KwOf)) fail(msg::onlyClassTypes());
        Ident item;
        item.kind = IdentKind::Class;
        item.name = nameTok.text;
        if (is('(')) {
            next();
            if (!isName()) fail(msg::badDeclaration(nameTok.text));
            item.parent = tok().text;
            next();
            while (is(',')) {
                next();
                if (!isName()) fail(msg::badDeclaration(nameTok.text));
                next();
            }
            expectChar(')');
        }
        if (current_ >= 0) fail(msg::badBlock());
        Ident* existing = find(key(nameTok.text));
        if (existing && existing->kind == IdentKind::Class)
            existing->parent = item.parent.empty() ? existing->parent : item.parent;
        else
            declare(key(nameTok.text), std::move(item));
        if (is(';')) return; // forward declaration, or a class without members
        for (;;) {
            switch (tok().code) {
            case KwEnd:
                next();
                return;
            case KwPrivate:
            case KwProtected:
            case KwPublic:
            case KwPublished:
            case KwAutomated:
                next();
                break;
            case KwClass:
            case KwProcedure:
            case KwFunction:
            case KwConstructor:
            case KwDestructor:
                methodHeading();
                break;
            case KwProperty:
                propertyDeclaration();
                break;
            case kTokIdent:
                fieldDeclaration(nameTok.text);
                break;
            case kTokEnd:
                fail(msg::expected(msg::keyword("End")));
            default:
                fail(msg::badDeclaration(nameTok.text));
            }
        }
    }

    void fieldDeclaration(const std::string& className) {
        next();
        while (is(',')) {
            next();
            if (!isName()) fail(msg::badDeclaration(className));
            next();
        }
        if (!is(':')) fail(msg::expectedOneOf(",", ":"));
        next();
        // Field types are not checked: the machine never makes instances of module classes.
        if (!isName() && !is(KwString)) fail(msg::unknownType());
        next();
        if (!is(';')) fail(msg::expected(msg::separator()));
        next();
    }

    void methodHeading() {
        if (is(KwClass)) next();
        const bool isFunction = is(KwFunction);
        if (!(is(KwProcedure) || is(KwFunction) || is(KwConstructor) || is(KwDestructor)))
            fail(msg::badMethod());
        next();
        if (!isName()) fail(msg::badMethod());
        next();
        if (is('(')) parameters();
        if (isFunction) {
            if (!is(':')) fail(msg::badMethod());
            next();
            if (!isName() && !is(KwString)) fail(msg::badMethod());
            next();
        }
        if (!is(';')) fail(msg::badMethod());
        next();
        while (isDirectiveKeyword(tok().code)) {
            const bool message = is(KwMessage);
            next();
            if (message) {
                if (!isName() && !is(kTokNumber)) fail(msg::badMethod());
                next();
            }
            if (!is(';')) fail(msg::badMethod());
            next();
        }
    }

    void propertyDeclaration() {
        next();
        if (!isName()) fail(msg::badDeclaration("property"));
        const std::string name = tok().text;
        next();
        if (is('[')) {
            while (!is(']') && !is(kTokEnd))
                next();
            expectChar(']');
        }
        if (is(':')) {
            next();
            if (!isName() && !is(KwString)) fail(msg::unknownType());
            next();
        }
        bool implemented = false;
        for (;;) {
            if (is(KwIndex)) {
                next();
                expression();
            } else if (is(KwRead) || is(KwWriteonly) ||
                       (isName() && equalsNoCase(tok().text, "write"))) {
                next();
                if (!isName()) fail(msg::propertyNotImplemented());
                next();
                implemented = true;
            } else if (is(KwStored)) {
                next();
                expression();
            } else if (isName() && equalsNoCase(tok().text, "default")) {
                next();
                if (!is(';')) expression();
            } else if (is(KwNodefault)) {
                next();
            } else {
                break;
            }
        }
        if (!implemented) fail(msg::propertyNotImplemented());
        if (!is(';')) fail(msg::badDeclaration(name));
        next();
        if (isName() && equalsNoCase(tok().text, "default")) {
            next();
            if (!is(';')) fail(msg::badDeclaration(name));
            next();
        }
    }

    std::vector<Param> parameters() {
        next();
        std::vector<Param> params;
        if (is(')')) {
            next();
            return params;
        }
        for (;;) {
            bool isVar = false, isConst = false;
            if (is(KwVar) || is(KwOut)) {
                isVar = true;
                next();
            } else if (is(KwConst)) {
                isConst = true;
                next();
            }
            std::vector<std::string> names;
            if (!isName()) fail(msg::badParameterList());
            names.push_back(tok().text);
            next();
            while (is(',')) {
                next();
                if (!isName()) fail(msg::badParameterList());
                names.push_back(tok().text);
                next();
            }
            Value zero;
            if (is(':')) {
                next();
                if (is(KwArray)) {
                    next();
                    if (!is(KwOf)) fail(msg::badParameterList());
                    next();
                    if (is(KwConst))
                        next();
                    else
                        typeName();
                } else {
                    zero = typeName().zero;
                }
            } else if (!isVar && !isConst) {
                fail(msg::badParameterList());
            }
            if (is('=')) fail(msg::badParameterList());
            for (auto& n : names)
                params.push_back({n, isVar, zero});
            if (is(')')) {
                next();
                break;
            }
            if (!is(';')) fail(msg::expectedOneOf(";", ")"));
            next();
        }
        if (params.size() > static_cast<std::size_t>(kMaxCallArguments))
            fail(msg::badParameterList());
        return params;
    }

    void routine() {
        if (is(KwConstructor) || is(KwDestructor)) fail(msg::badMethod());
        const bool isFunction = is(KwFunction);
        next();
        if (!isName()) fail(msg::expected(msg::identifier()));
        Token nameTok = tok();
        std::string name = nameTok.text;
        std::string className;
        next();
        if (is('.')) {
            next();
            if (!isName()) fail(msg::badMethod());
            const Ident* cls = find(key(name));
            if (!cls || cls->kind != IdentKind::Class || cls->parent.empty() ||
                !resolver_.isComponentClass(cls->parent))
                fail(msg::badMethod());
            className = name;
            name = tok().text;
            nameTok = tok();
            next();
        }
        std::vector<Param> params;
        if (is('(')) params = parameters();
        Value resultZero;
        if (isFunction) {
            if (!is(':')) fail(msg::expectedChar(":", found()));
            next();
            resultZero = typeName().zero;
        }
        if (!is(';')) fail(msg::expectedChar(";", found()));
        next();
        bool forward = inInterface_;
        while (isDirectiveKeyword(tok().code)) {
            if (is(KwExternal)) fail(msg::badDeclaration(name));
            if (is(KwForward)) forward = true;
            const bool message = is(KwMessage);
            next();
            if (message) next();
            if (!is(';')) fail(msg::expectedChar(";", found()));
            next();
        }

        int index = -1;
        if (Ident* existing = find(key(name))) {
            if (existing->kind != IdentKind::Routine)
                failAt(msg::badDeclaration(name), nameTok.line, nameTok.column);
            RoutineDecl& r = routines_[static_cast<std::size_t>(existing->routine)];
            if (r.defined || forward || r.isFunction != isFunction ||
                r.params.size() != params.size())
                failAt(msg::badDeclaration(name), nameTok.line, nameTok.column);
            index = existing->routine;
        } else {
            RoutineDecl r;
            r.name = name;
            r.isFunction = isFunction;
            r.entryLabel = newLabel();
            r.line = nameTok.line;
            r.column = nameTok.column;
            routines_.push_back(std::move(r));
            index = static_cast<int>(routines_.size() - 1);
            Ident item;
            item.kind = IdentKind::Routine;
            item.name = name;
            item.routine = index;
            declare(key(name), std::move(item));
        }
        RoutineDecl& r = routines_[static_cast<std::size_t>(index)];
        r.params = std::move(params);
        if (!className.empty()) r.aliases.push_back(className + "." + name);
        if (forward) {
            r.forward = true;
            return;
        }
        routineBody(index, resultZero);
    }

    void routineBody(int index, const Value& resultZero) {
        current_ = index;
        RoutineDecl* r = currentRoutine();
        r->defined = true;
        r->firstSlot = nextSlot_;
        const std::string prefix = scopePrefix();
        for (const Param& p : r->params) {
            Ident item;
            item.kind = IdentKind::Parameter;
            item.name = p.name;
            item.slot = allocSlot();
            initial_[static_cast<std::size_t>(item.slot)] = p.zero;
            r->paramSlots.push_back(item.slot);
            declare(prefix + key(p.name), std::move(item));
        }
        if (r->isFunction) {
            Ident item;
            item.kind = IdentKind::Result;
            item.name = "Result";
            item.slot = allocSlot();
            initial_[static_cast<std::size_t>(item.slot)] = resultZero;
            r->resultSlot = item.slot;
            declare(prefix + "RESULT", std::move(item));
        }
        for (;;) {
            switch (tok().code) {
            case KwVar:
                varSection();
                continue;
            case KwConst:
                constSection();
                continue;
            case KwLabel:
                labelSection();
                continue;
            case KwBegin:
                break;
            case KwProcedure:
            case KwFunction:
            case KwType:
                fail(msg::badBlock());
            default:
                fail(msg::expected(msg::keyword("begin")));
            }
            break;
        }
        tempTop_ = tempHigh_ = nextSlot_;
        place(currentRoutine()->entryLabel);
        next();
        statementList(KwEnd, "End");
        r = currentRoutine();
        if (r->isFunction && !r->resultUsed) fail(msg::resultNotUsed(r->name));
        at(tok());
        emit(OpReturn);
        next();
        if (!is(';')) fail(msg::expectedChar(";", found()));
        next();
        finishScope();
        nextSlot_ = tempHigh_;
        r = currentRoutine();
        r->endSlot = nextSlot_;
        current_ = -1;
    }

    // ---- statements

    void statementList(int terminator, const char* terminatorName) {
        for (;;) {
            statement();
            if (is(';')) {
                next();
                continue;
            }
            if (is(terminator)) return;
            // A word that closes some block, or the end of the text: the closing word of this
            // block is what is missing.
            if (is(kTokEnd) || is(KwEnd) || is(KwUntil) || is(KwExcept) || is(KwFinally) ||
                is(KwFinalization) || is(KwElse))
                fail(msg::expected(msg::keyword(terminatorName)));
            fail(msg::expected(msg::separator()));
        }
    }

    void expectKeyword(int code, const char* name) {
        if (!is(code)) fail(msg::expected(msg::keyword(name)));
        next();
    }

    struct Nesting {
        explicit Nesting(Compilation& c) : c_(c) {
            if (++c_.nesting_ > kMaxNesting) c_.fail(msg::nestedTooDeeply());
        }
        ~Nesting() { --c_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        Compilation& c_;
    };

    void statement() {
        const Nesting guard(*this);
        const int m = mark();
        at(tok());
        switch (tok().code) {
        case KwBegin:
            next();
            statementList(KwEnd, "End");
            expectKeyword(KwEnd, "End");
            break;
        case KwIf:
            ifStatement();
            break;
        case KwWhile:
            whileStatement();
            break;
        case KwRepeat:
            repeatStatement();
            break;
        case KwFor:
            forStatement();
            break;
        case KwTry:
            tryStatement();
            break;
        case KwRaise: {
            next();
            if (is(';') || is(KwEnd) || is(KwElse) || is(KwUntil) || is(KwExcept) || is(kTokEnd)) {
                emit(OpRaise, -1);
            } else {
                NodePtr e = expression();
                const int s = operand(*e);
                emit(OpRaise, s);
            }
            break;
        }
        case KwExit:
            next();
            emit(OpReturn);
            break;
        case KwBreak:
        case KwContinue: {
            const bool isBreak = is(KwBreak);
            if (loops_.empty())
                fail(isBreak ? msg::breakOutsideLoop() : msg::continueOutsideLoop());
            const Loop& loop = loops_.back();
            for (std::size_t i = loop.tryDepth; i < tryPath_.size(); ++i)
                emit(OpPopHandler);
            emit(OpJump, isBreak ? loop.breakLabel : loop.continueLabel);
            next();
            break;
        }
        case KwGoto:
            gotoStatement();
            break;
        case kTokIdent:
        case kTokNumber:
            if (reader_.peek().code == ':' && labelStatement()) break;
            if (is(kTokNumber)) fail(msg::expected(msg::identifier()));
            identStatement();
            break;
        default:
            break; // the empty statement
        }
        release(m);
    }

    bool labelStatement() {
        Ident* label = find(scopePrefix() + key(tok().text));
        if (!label || label->kind != IdentKind::Label) return false;
        if (label->placed) fail(msg::labelAlreadyDefined(label->name));
        label->placed = true;
        label->tryPath = tryPath_;
        place(label->label);
        next();
        next();
        statement();
        return true;
    }

    void gotoStatement() {
        next();
        if (!isName() && !is(kTokNumber)) fail(msg::expected(msg::labelName()));
        const std::string k = scopePrefix() + key(tok().text);
        Ident* label = find(k);
        if (!label || label->kind != IdentKind::Label) fail(msg::labelNotDefined(tok().text));
        if (label->placed) {
            const std::size_t common = commonPrefix(tryPath_, label->tryPath);
            for (std::size_t i = common; i < tryPath_.size(); ++i)
                emit(OpPopHandler);
            emit(OpJump, label->label);
        } else {
            // The way out of the protected blocks between here and the label is known once the
            // label is placed: jump through a trampoline made at the end of the scope.
            const int trampoline = newLabel();
            emit(OpJump, trampoline);
            gotos_.push_back({trampoline, k, tok().text, tryPath_, tok().line, tok().column});
        }
        next();
    }

    void ifStatement() {
        next();
        NodePtr cond = expression();
        if (!is(KwThen)) fail(msg::expected(msg::keyword("Then")));
        const int elseLabel = newLabel();
        at(*cond);
        const int s = conditionSlot(*cond);
        emit(OpJumpIfFalse, s, elseLabel);
        next();
        statement();
        if (is(KwElse)) {
            const int endLabel = newLabel();
            emit(OpJump, endLabel);
            place(elseLabel);
            next();
            statement();
            place(endLabel);
        } else {
            place(elseLabel);
        }
    }

    void whileStatement() {
        next();
        const int top = newLabel(), end = newLabel();
        place(top);
        NodePtr cond = expression();
        if (!is(KwDo)) fail(msg::expected(msg::keyword("Do")));
        at(*cond);
        {
            const int m = mark();
            emit(OpJumpIfFalse, conditionSlot(*cond), end);
            release(m);
        }
        next();
        loops_.push_back({end, top, tryPath_.size()});
        statement();
        loops_.pop_back();
        emit(OpJump, top);
        place(end);
    }

    void repeatStatement() {
        next();
        const int top = newLabel(), test = newLabel(), end = newLabel();
        place(top);
        loops_.push_back({end, test, tryPath_.size()});
        statementList(KwUntil, "Until");
        loops_.pop_back();
        expectKeyword(KwUntil, "Until");
        place(test);
        NodePtr cond = expression();
        at(*cond);
        emit(OpJumpIfFalse, conditionSlot(*cond), top);
        place(end);
    }

    void forStatement() {
        next();
        if (!isName()) fail(msg::expected(msg::variableName()));
        Ident* counter = lookup(tok().text);
        if (!counter) fail(msg::variableNotDefined(tok().text));
        if (counter->kind != IdentKind::Variable && counter->kind != IdentKind::Parameter &&
            counter->kind != IdentKind::Result)
            fail(msg::expected(msg::variableName()));
        if (counter->kind == IdentKind::Result) currentRoutine()->resultUsed = true;
        const int slot = counter->slot;
        next();
        if (!atAssignment()) fail(msg::expectedChar(":=", found()));
        next();
        next();
        NodePtr start = expression();
        assign(slot, std::move(start));
        bool down = false;
        if (is(KwDownto))
            down = true;
        else if (!is(KwTo))
            fail(msg::expectedOneOf("to", "downto"));
        next();
        // The limit is taken once, before the first pass.
        NodePtr limitExpr = expression();
        int limit = -1;
        if (limitExpr->kind == Node::Literal) limit = constantSlot(limitExpr->value);
        if (limit < 0) {
            limit = allocTemp();
            emitInto(*limitExpr, limit);
        }
        const int test = newLabel(), step = newLabel(), end = newLabel();
        place(test);
        {
            const int m = mark();
            const int t = allocTemp();
            emit(OpMove, t, slot);
            emit(down ? OpGreaterEqual : OpLessEqual, t, limit);
            emit(OpJumpIfFalse, t, end);
            release(m);
        }
        if (!is(KwDo)) fail(msg::expected(msg::keyword("Do")));
        next();
        loops_.push_back({end, step, tryPath_.size()});
        statement();
        loops_.pop_back();
        place(step);
        emit(down ? OpDecrement : OpIncrement, slot);
        emit(OpJump, test);
        place(end);
    }

    void tryStatement() {
        next();
        const int handler = newLabel(), end = newLabel();
        emit(OpPushHandler, handler);
        tryPath_.push_back(++tryIds_);
        statementList(KwExcept, "Except");
        tryPath_.pop_back();
        if (!is(KwExcept)) fail(msg::expected(msg::keyword("Except")));
        at(tok());
        emit(OpPopHandler);
        emit(OpJump, end);
        place(handler);
        next();
        statementList(KwEnd, "End");
        expectKeyword(KwEnd, "End");
        place(end);
    }

    void identStatement() {
        const Token first = tok();
        RoutineDecl* r = currentRoutine();
        if (r && r->isFunction && equalsNoCase(first.text, r->name) && reader_.peek().code == ':') {
            // Assigning to the function's own name sets its result.
            next();
            if (!atAssignment()) fail(msg::expectedChar(":=", found()));
            next();
            next();
            r->resultUsed = true;
            assign(r->resultSlot, expression());
            return;
        }
        if (!lookup(first.text) && reader_.peek().code == ':' && !hasUses_ &&
            !isBoolean(first.text) &&
            resolver_.resolve(first.text).kind == NameResolver::Kind::Unknown)
            fail(msg::variableNotDefined(first.text));
        NodePtr d = designator();
        if (atAssignment()) {
            next();
            next();
            NodePtr value = expression();
            assignTo(*d, std::move(value), first);
            return;
        }
        if (d->kind != Node::Chain) fail(msg::expectedChar(":=", found()));
        at(first);
        const int scratch = allocTemp();
        emitChain(*d, scratch);
    }

    void assignTo(Node& target, NodePtr value, const Token& first) {
        switch (target.kind) {
        case Node::Var:
            assign(target.slot, std::move(value));
            return;
        case Node::Chain:
            break;
        case Node::CharAt:
            failAt(msg::expectedChar(":=", "["), target.line, target.column);
        default:
            failAt(msg::expected(msg::variableName()), first.line, first.column);
        }
        Link last = std::move(target.links.back());
        target.links.pop_back();
        at(first);
        if (target.links.empty()) {
            if (target.startsWithName) {
                // A lone name: a property of the object that owns it, or a variable of the scope.
                if (target.routineCall || target.procedure || target.resolvedAsFunction)
                    fail(msg::invalidProcedureUse());
                if (!target.assignableName)
                    failAt(msg::expected(msg::variableName()), first.line, first.column);
                emitCall(OpCallName, 0, allocTemp(), {constant(Value(target.owner))});
            } else {
                const int s = target.startSlot >= 0 ? target.startSlot : operand(*target.startExpr);
                emit(OpPushObject, s);
            }
        } else {
            emitReceiver(target);
        }
        std::vector<int> operands{constant(Value(last.name))};
        for (const NodePtr& arg : last.args)
            operands.push_back(operand(*arg));
        operands.push_back(operand(*value));
        if (operands.size() > static_cast<std::size_t>(kMaxCallArguments) + 1)
            fail(msg::badArgumentCount());
        at(last.line, last.column);
        emitCall(OpPutMember, 0, static_cast<int>(operands.size() - 1), operands);
    }

    // Leaves the object that a chain's calls end with on the object stack.
    void emitReceiver(const Node& chain) {
        std::size_t i = 0;
        if (chain.startsWithName) {
            emitLink(OpCallName, chain.links[0], allocTemp());
            i = 1;
        } else {
            const int s = chain.startSlot >= 0 ? chain.startSlot : operand(*chain.startExpr);
            at(chain);
            emit(OpPushObject, s);
        }
        for (; i < chain.links.size(); ++i)
            emitLink(OpCallMember, chain.links[i], allocTemp());
    }

    void assign(int slot, NodePtr value) {
        if (RoutineDecl* r = currentRoutine(); r && slot == r->resultSlot) r->resultUsed = true;
        const int m = mark();
        at(*value);
        if (value->kind == Node::Binary && (value->op == OpAdd || value->op == OpSubtract) &&
            value->a->kind == Node::Var && value->a->slot == slot &&
            value->b->kind == Node::Literal && value->b->value.isInteger() &&
            value->b->value.asInt() == 1) {
            emit(value->op == OpAdd ? OpIncrement : OpDecrement, slot);
        } else if (safeInto(*value, slot)) {
            emitInto(*value, slot);
        } else {
            const int t = allocTemp();
            emitInto(*value, t);
            at(*value);
            emit(OpMove, slot, t);
        }
        release(m);
    }

    // ---- expressions

    static NodePtr makeNode(Node::Kind kind, int line, int column) {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->line = line;
        n->column = column;
        return n;
    }
    static NodePtr literal(Value v, int line, int column) {
        NodePtr n = makeNode(Node::Literal, line, column);
        n->value = std::move(v);
        return n;
    }
    int deeper(int depth) const {
        if (depth + 1 > kMaxTreeDepth) fail(msg::nestedTooDeeply());
        return depth + 1;
    }
    static bool isBoolean(std::string_view name) {
        return equalsNoCase(name, "True") || equalsNoCase(name, "False");
    }

    NodePtr binary(int op, NodePtr a, NodePtr b, const Token& t) {
        Value folded;
        if (a->kind == Node::Literal && b->kind == Node::Literal && foldable(a->value) &&
            foldable(b->value) && fold(op, a->value, b->value, folded))
            return literal(std::move(folded), t.line, t.column);
        NodePtr n = makeNode(Node::Binary, t.line, t.column);
        n->op = op;
        n->hasCall = a->hasCall || b->hasCall;
        n->depth = deeper(std::max(a->depth, b->depth));
        n->a = std::move(a);
        n->b = std::move(b);
        return n;
    }

    NodePtr expression() {
        const Nesting guard(*this);
        NodePtr left = simpleExpression();
        const Token t = tok();
        int op = -1;
        if (is('=')) {
            op = OpEqual;
            next();
        } else if (is('<')) {
            next();
            if (is('=')) {
                op = OpLessEqual;
                next();
            } else if (is('>')) {
                op = OpNotEqual;
                next();
            } else {
                op = OpLess;
            }
        } else if (is('>')) {
            next();
            if (is('=')) {
                op = OpGreaterEqual;
                next();
            } else {
                op = OpGreater;
            }
        }
        if (op < 0) return left;
        NodePtr right = simpleExpression();
        return binary(op, std::move(left), std::move(right), t);
    }

    NodePtr simpleExpression() {
        NodePtr left = term();
        for (;;) {
            const Token t = tok();
            int op = -1;
            switch (t.code) {
            case '+':
                op = OpAdd;
                break;
            case '-':
                op = OpSubtract;
                break;
            case KwOr:
                op = OpOr;
                break;
            case KwXor:
                op = OpXor;
                break;
            default:
                return left;
            }
            next();
            left = binary(op, std::move(left), term(), t);
        }
    }

    NodePtr term() {
        NodePtr left = factor();
        for (;;) {
            const Token t = tok();
            int op = -1;
            switch (t.code) {
            case '*':
                op = OpMultiply;
                break;
            case '/':
                op = OpDivide;
                break;
            case KwDiv:
                op = OpIntDivide;
                break;
            case KwMod:
                op = OpModulo;
                break;
            case KwAnd:
                op = OpAnd;
                break;
            case KwShl:
                op = OpShl;
                break;
            case KwShr:
                op = OpShr;
                break;
            default:
                return left;
            }
            next();
            left = binary(op, std::move(left), factor(), t);
        }
    }

    NodePtr unary(int op, NodePtr a, const Token& t) {
        if (a->kind == Node::Literal && foldable(a->value)) {
            try {
                if (op == OpNegate) return literal(negate(a->value), t.line, t.column);
                return literal(logicalNot(a->value), t.line, t.column);
            } catch (const std::exception&) {
                // left to fail when the program runs
            }
        }
        NodePtr n = makeNode(Node::Unary, t.line, t.column);
        n->op = op;
        n->hasCall = a->hasCall;
        n->depth = deeper(a->depth);
        n->a = std::move(a);
        return n;
    }

    NodePtr factor() {
        const Nesting guard(*this);
        const Token t = tok();
        switch (t.code) {
        case kTokNumber: {
            next();
            return selectors(literal(t.value, t.line, t.column));
        }
        case kTokString: {
            std::string text = t.value.asString();
            next();
            // Adjacent literals are one text: 'Line'#13#10.
            while (is(kTokString)) {
                text += tok().value.asString();
                next();
            }
            return selectors(literal(Value(std::move(text)), t.line, t.column));
        }
        case KwNil:
            next();
            return literal(Value(ObjectRef()), t.line, t.column);
        case '(': {
            next();
            NodePtr inner = expression();
            expectChar(')');
            return selectors(std::move(inner));
        }
        case KwNot:
            next();
            return unary(OpNot, factor(), t);
        case '-':
            next();
            return unary(OpNegate, factor(), t);
        case '+':
            next();
            return factor();
        case '[': {
            next();
            NodePtr n = makeNode(Node::ArrayLit, t.line, t.column);
            if (!is(']')) {
                for (;;) {
                    n->items.push_back(expression());
                    if (!is(',')) break;
                    next();
                }
            }
            if (!is(']')) fail(msg::expectedOneOf(",", "]"));
            next();
            for (const NodePtr& item : n->items) {
                n->hasCall = n->hasCall || item->hasCall;
                n->depth = std::max(n->depth, deeper(item->depth));
            }
            return n;
        }
        case kTokIdent: {
            NodePtr d = designator();
            if (d->procedure) failAt(msg::invalidProcedureUse(), t.line, t.column);
            return d;
        }
        default:
            fail(msg::expected(msg::identifier()));
        }
    }

    std::vector<NodePtr> arguments(char close) {
        std::vector<NodePtr> args;
        next();
        if (!is(static_cast<unsigned char>(close))) {
            for (;;) {
                args.push_back(expression());
                if (!is(',')) break;
                next();
            }
        }
        if (!is(static_cast<unsigned char>(close)))
            fail(msg::expectedOneOf(",", std::string(1, close)));
        if (args.size() > static_cast<std::size_t>(kMaxCallArguments))
            fail(msg::badArgumentCount());
        next();
        return args;
    }

    NodePtr nameCall(std::string name, std::vector<NodePtr> args, const Token& t) {
        NodePtr n = makeNode(Node::Chain, t.line, t.column);
        n->startsWithName = true;
        n->hasCall = true;
        for (const NodePtr& arg : args)
            n->depth = std::max(n->depth, deeper(arg->depth));
        Link l;
        l.name = std::move(name);
        l.args = std::move(args);
        l.line = t.line;
        l.column = t.column;
        n->links.push_back(std::move(l));
        return n;
    }

    NodePtr designator() {
        const Token t = tok();
        next();
        NodePtr node;
        if (Ident* id = lookup(t.text)) {
            switch (id->kind) {
            case IdentKind::Variable:
            case IdentKind::Parameter:
            case IdentKind::Result:
                if (id->kind == IdentKind::Result) currentRoutine()->resultUsed = true;
                node = makeNode(Node::Var, t.line, t.column);
                node->slot = id->slot;
                break;
            case IdentKind::Constant:
                node = literal(id->value, t.line, t.column);
                break;
            case IdentKind::Routine: {
                const RoutineDecl& r = routines_[static_cast<std::size_t>(id->routine)];
                std::vector<NodePtr> args;
                if (is('(')) args = arguments(')');
                if (args.size() != r.params.size())
                    failAt(msg::badArgumentCount(), t.line, t.column);
                node = nameCall(r.name, std::move(args), t);
                node->routineCall = true;
                node->procedure = !r.isFunction;
                node->resolvedAsFunction = r.isFunction;
                break;
            }
            case IdentKind::Label:
            case IdentKind::Class:
                failAt(msg::unknownIdentifier(t.text), t.line, t.column);
            }
        } else if (isBoolean(t.text)) {
            node = literal(Value(equalsNoCase(t.text, "True")), t.line, t.column);
        } else {
            node = externalName(t);
        }
        return selectors(std::move(node));
    }

    NodePtr externalName(const Token& t) {
        const NameResolver::Answer answer = resolver_.resolve(t.text);
        using Kind = NameResolver::Kind;
        switch (answer.kind) {
        case Kind::Constant:
            return literal(answer.value, t.line, t.column);
        case Kind::Class:
            if (is('(')) {
                // A cast to a class: the value itself.
                std::vector<NodePtr> args = arguments(')');
                if (args.size() != 1) failAt(msg::badArgumentCount(), t.line, t.column);
                return std::move(args[0]);
            }
            return nameCall(t.text, {}, t);
        case Kind::Unknown:
            if (!hasUses_)
                failAt(is('(') ? msg::procedureNotFound(t.text) : msg::unknownIdentifier(t.text),
                       t.line, t.column);
            break; // perhaps a name of a used module: resolved when the program runs
        default:
            break;
        }
        std::vector<NodePtr> args;
        if (is('('))
            args = arguments(')');
        else if (is('['))
            args = arguments(']');
        NodePtr n = nameCall(t.text, std::move(args), t);
        n->procedure = answer.kind == Kind::Procedure;
        n->resolvedAsFunction = answer.kind == Kind::Function;
        if (answer.kind == Kind::Member || answer.kind == Kind::Variable ||
            answer.kind == Kind::Unknown) {
            n->assignableName = true;
            n->owner = answer.kind == Kind::Member ? answer.owner : std::string(kScopeObjectName);
        }
        return n;
    }

    NodePtr appendLink(NodePtr node, Link link) {
        if (node->kind == Node::Chain) {
            if (node->procedure) failAt(msg::invalidProcedureUse(), node->line, node->column);
        } else {
            NodePtr chain = makeNode(Node::Chain, node->line, node->column);
            chain->depth = deeper(node->depth);
            if (node->kind == Node::Var)
                chain->startSlot = node->slot;
            else
                chain->startExpr = std::move(node);
            node = std::move(chain);
        }
        for (const NodePtr& arg : link.args)
            node->depth = std::max(node->depth, deeper(arg->depth));
        node->links.push_back(std::move(link));
        node->hasCall = true;
        node->procedure = false;
        node->assignableName = false;
        node->resolvedAsFunction = false;
        return node;
    }

    NodePtr selectors(NodePtr node) {
        for (;;) {
            if (is('.')) {
                next();
                if (!isName() && tok().code < kKeywordBase) fail(msg::expected(msg::identifier()));
                Link l;
                l.name = tok().text;
                l.line = tok().line;
                l.column = tok().column;
                next();
                if (is('('))
                    l.args = arguments(')');
                else if (is('['))
                    l.args = arguments(']');
                node = appendLink(std::move(node), std::move(l));
                continue;
            }
            if (is('[')) {
                // A character of a string, or an element of a variant array.
                if (node->procedure) fail(msg::invalidProcedureUse());
                const Token b = tok();
                next();
                NodePtr index = expression();
                expectChar(']');
                NodePtr n = makeNode(Node::CharAt, b.line, b.column);
                n->hasCall = index->hasCall || node->hasCall;
                n->depth = deeper(std::max(index->depth, node->depth));
                n->a = std::move(index);
                n->b = std::move(node);
                node = std::move(n);
                continue;
            }
            return node;
        }
    }

    // ---- code for expressions

    static bool reads(const Node& n, int slot) {
        switch (n.kind) {
        case Node::Literal:
            return false;
        case Node::Var:
            return n.slot == slot;
        case Node::Unary:
            return reads(*n.a, slot);
        case Node::Binary:
        case Node::CharAt:
            return reads(*n.a, slot) || reads(*n.b, slot);
        case Node::Chain:
            if (n.startSlot == slot || (n.startExpr && reads(*n.startExpr, slot))) return true;
            for (const Link& l : n.links)
                for (const NodePtr& a : l.args)
                    if (reads(*a, slot)) return true;
            return false;
        case Node::ArrayLit:
            return std::any_of(n.items.begin(), n.items.end(),
                               [&](const NodePtr& i) { return reads(*i, slot); });
        }
        return false;
    }

    // Whether the expression may be computed in `dest` itself: only its first operand lands
    // there before the end, so nothing read later may be `dest` and no call may run after it.
    static bool safeInto(const Node& n, int dest) {
        switch (n.kind) {
        case Node::Unary:
            return safeInto(*n.a, dest);
        case Node::Binary:
        case Node::CharAt:
            return safeInto(*n.a, dest) && !n.b->hasCall && !reads(*n.b, dest);
        default:
            return true;
        }
    }

    int operand(const Node& n) {
        if (n.kind == Node::Var) return n.slot;
        if (n.kind == Node::Literal) {
            const int s = constantSlot(n.value);
            if (s >= 0) return s;
        }
        return toTemp(n);
    }
    // Variables go to calls as themselves so that `var` parameters reach them; anything else
    // (literals too) goes as a temporary that the callee may overwrite.
    int argument(const Node& n) { return n.kind == Node::Var ? n.slot : toTemp(n); }
    int toTemp(const Node& n) {
        const int t = allocTemp();
        emitInto(n, t);
        return t;
    }
    int conditionSlot(const Node& n) { return n.kind == Node::Var ? n.slot : toTemp(n); }

    void emitInto(const Node& n, int dest) {
        switch (n.kind) {
        case Node::Literal:
            at(n);
            emit(OpLoadConst, dest, constant(n.value));
            break;
        case Node::Var:
            if (n.slot != dest) {
                at(n);
                emit(OpMove, dest, n.slot);
            }
            break;
        case Node::Unary:
            emitInto(*n.a, dest);
            at(n);
            emit(n.op, dest);
            break;
        case Node::Binary:
        case Node::CharAt: {
            emitInto(*n.a, dest);
            const int m = mark();
            const int r = operand(*n.b);
            at(n);
            emit(n.kind == Node::Binary ? n.op : OpCharAt, dest, r);
            release(m);
            break;
        }
        case Node::Chain:
            emitChain(n, dest);
            break;
        case Node::ArrayLit: {
            const int m = mark();
            std::vector<int> items;
            for (const NodePtr& item : n.items)
                items.push_back(item->kind == Node::Var && item->slot == dest ? toTemp(*item)
                                                                              : operand(*item));
            at(n);
            // Bounds 0 .. n: one element more than written, as the message dialogs expect.
            emit(OpNewArray, dest, static_cast<int>(items.size()));
            for (std::size_t i = 0; i < items.size(); ++i) {
                emit(OpSetElement, static_cast<int>(i), items[i]);
                emit(0, dest); // the operand word: the array's slot in A
            }
            release(m);
            break;
        }
        }
    }

    void emitLink(int op, const Link& link, int resultSlot) {
        const int m = mark();
        std::vector<int> operands{constant(Value(link.name))};
        for (const NodePtr& arg : link.args)
            operands.push_back(argument(*arg));
        at(link.line, link.column);
        emitCall(op, static_cast<int>(link.args.size()), resultSlot, operands);
        release(m);
    }

    void emitChain(const Node& n, int dest) {
        const int m = mark();
        std::size_t i = 0;
        if (n.startsWithName) {
            emitLink(OpCallName, n.links[0], n.links.size() == 1 ? dest : allocTemp());
            i = 1;
        } else {
            const int s = n.startSlot >= 0 ? n.startSlot : operand(*n.startExpr);
            at(n);
            emit(OpPushObject, s);
        }
        for (; i < n.links.size(); ++i)
            emitLink(OpCallMember, n.links[i], i + 1 == n.links.size() ? dest : allocTemp());
        at(n);
        emit(OpPopObject);
        release(m);
    }

    // ---- linking

    std::unique_ptr<BinProg> link() {
        for (const RoutineDecl& r : routines_)
            if (!r.defined) failAt(msg::badDeclaration(r.name), r.line, r.column);
        // Every jump must land on a placed label.
        for (std::size_t i = 0; i < code_.size();) {
            const Instruction& in = code_[i];
            int label = -1;
            switch (in.op) {
            case OpJump:
            case OpCallLabel:
            case OpPushHandler:
                label = in.a;
                break;
            case OpJumpIfFalse:
                label = in.b;
                break;
            default:
                break;
            }
            if (label >= 0 && (static_cast<std::size_t>(label) >= labels_.size() ||
                               labels_[static_cast<std::size_t>(label)] < 0))
                failAt(msg::linkerError(), in.line, in.column);
            std::size_t words = 1;
            if (in.op == OpCallName || in.op == OpCallMember)
                words += (static_cast<std::size_t>(in.a) + 3) / 3;
            else if (in.op == OpPutMember)
                words += (static_cast<std::size_t>(in.b) + 3) / 3;
            else if (in.op == OpSetElement)
                words = 2;
            i += words;
        }
        auto prog = std::make_unique<BinProg>();
        prog->code = std::move(code_);
        prog->constants = std::move(constants_);
        prog->labels.reserve(labels_.size());
        for (int l : labels_)
            prog->labels.push_back(std::max(l, 0));
        for (const RoutineDecl& d : routines_) {
            Routine r;
            r.name = d.name;
            r.aliases = d.aliases;
            r.entryLabel = d.entryLabel;
            r.paramSlots = d.paramSlots;
            for (const Param& p : d.params)
                r.varParams.push_back(p.isVar);
            r.resultSlot = d.resultSlot;
            r.firstSlot = d.firstSlot;
            r.endSlot = d.endSlot;
            prog->routines.push_back(std::move(r));
        }
        prog->globals = std::move(globals_);
        prog->usedUnits = std::move(units_);
        prog->load(std::move(initial_));
        return prog;
    }

    NameResolver& resolver_;
    ModuleParser parser_;
    TokenReader reader_;
    bool useConstSlots_;
    std::vector<Value> initial_;
    std::vector<Instruction> code_;
    std::vector<int> labels_;
    std::vector<Value> constants_;
    std::map<std::string, int> constIndex_;
    std::map<std::string, int> constSlots_;
    std::map<std::string, Ident> idents_;
    std::vector<RoutineDecl> routines_;
    std::vector<std::string> units_;
    std::vector<GlobalVariable> globals_;
    std::vector<Loop> loops_;
    std::vector<int> tryPath_;
    std::vector<PendingGoto> gotos_;
    int tryIds_ = 0;
    int nesting_ = 0;
    int nextSlot_ = 0;
    int constTop_ = kSlotCount;
    int constSlotCount_ = 0;
    int tempTop_ = 0;
    int tempHigh_ = 0;
    int current_ = -1;
    int mainLabel_ = -1;
    int line_ = 0;
    int column_ = 0;
    bool isUnit_ = false;
    bool inInterface_ = false;
    bool hasUses_ = false;
};

} // namespace

PascalCompiler::PascalCompiler(NameResolver* resolver) : resolver_(resolver) {
    if (!resolver_) {
        ownResolver_ = std::make_unique<RegistryResolver>();
        resolver_ = ownResolver_.get();
    }
}

PascalCompiler::~PascalCompiler() = default;

std::unique_ptr<BinProg> PascalCompiler::compile(const std::vector<std::string>& lines,
                                                 const ErrorHandler& onError) {
    Failure failure;
    try {
        bool constantSlots = true;
        for (;;) {
            Compilation c(*resolver_, lines, constantSlots);
            try {
                return c.run();
            } catch (const Failure& f) {
                // Slots given to literals are a speed-up only: a module that needs them for its
                // variables is compiled again without.
                if (f.message == msg::tooManySlots() && constantSlots && c.usedConstantSlots()) {
                    constantSlots = false;
                    continue;
                }
                throw;
            }
        }
    } catch (const Failure& f) {
        failure = f;
    }
    if (onError) {
        onError({failure.message, failure.line, failure.column});
        return nullptr;
    }
    throw CompileError(failure.message, failure.line, failure.column);
}

} // namespace vorlan::script::pascal
