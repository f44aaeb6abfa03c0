#pragma once
// Compilation: the compilation of one module, a single-pass recursive-descent parser.
// Statements emit code as they are parsed; an expression is parsed into a tree first, and its
// code is made from the tree. The work is spread over files by job:
//   compilation.cpp      start, module structure, the end of a scope, linking
//   declarations.cpp     labels, constants, variables, types, classes, routine headings
//   statements.cpp       statements and assignments
//   expressions.cpp      expression trees (with constant folding)
//   expression_code.cpp  code for expression trees
// The program under construction lives in an Emitter and a SlotBank (emitter.h), the names in
// a SymbolTable (symbols.h).

#include "script/pascal/compile_failure.h"
#include "script/pascal/compiler.h"
#include "script/pascal/emitter.h"
#include "script/pascal/expression_tree.h"
#include "script/pascal/messages.h"
#include "script/pascal/module_parser.h"
#include "script/pascal/symbols.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::script::pascal::detail {

// Nesting of statements and parentheses, and the depth of expression trees (a long chain of
// operators is a deep tree): the compiler recurses that deep.
constexpr int kMaxNesting = 400;
constexpr int kMaxTreeDepth = 2000;

struct TypeInfo {
    std::string name;
    Value zero;
    // A class the runtime registers (not one the module declares): its members are known.
    bool registeredClass = false;
};

class Compilation {
public:
    Compilation(NameResolver& resolver, const std::vector<std::string>& lines, bool constantSlots)
        : resolver_(resolver), parser_(lines), reader_(parser_), slots_(reader_, constantSlots),
          code_(reader_) {}

    // Throws Failure for the first error.
    std::unique_ptr<BinProg> run();
    bool usedConstantSlots() const { return slots_.usedConstantSlots(); }

private:
    struct Loop {
        int breakLabel;
        int continueLabel;
        std::size_t tryDepth;
    };
    // The blocks a jump out of a statement may have to leave, by their id (from 1).
    enum class BlockKind {
        Protected,   // between try and except/finally: a handler is pushed
        ExceptPart,  // a handler is dealing with an exception
        FinallyPart, // called from each way out of its protected part
    };
    struct Block {
        BlockKind kind;
        // Protected: the code every way out of the block calls (the finally part, or a bare
        // return for try … except); used: whether a way out calls it.
        int exitLabel = -1;
        bool exitUsed = false;
        bool decided = false; // Protected: its except or finally has been read
        bool hasFinally = false;
    };
    struct PendingGoto {
        int trampoline;
        std::string key;
        std::string name;
        std::vector<int> path;
        int line;
        int column;
    };
    // Counts the depth of recursion through statements and expressions.
    struct Nesting {
        explicit Nesting(Compilation& c) : c_(c) {
            if (++c_.nesting_ > kMaxNesting) c_.fail(msg::nestedTooDeeply());
        }
        ~Nesting() { --c_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        Compilation& c_;
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

    // Adds a name of the module; a name already taken is a compile error.
    Ident& declare(const std::string& key, Ident item);

    // The source position of the code emitted next.
    void at(int line, int column) { code_.at(line, column); }
    void at(const Token& t) { at(t.line, t.column); }
    void at(const Node& n) { at(n.line, n.column); }

    // ---- module structure (compilation.cpp)
    void module();
    void usesClause();
    void mainBlock();
    // The pending gotos of the scope that ends get their way out of protected blocks.
    void finishScope();
    static std::size_t commonPrefix(const std::vector<int>& a, const std::vector<int>& b);
    std::unique_ptr<BinProg> link();

    // ---- declarations (declarations.cpp)
    void labelSection();
    Value constExpression(const std::string& name);
    void constSection();
    void varSection();
    void declareVariable(const Token& name, const Value& initial, std::string className = {});
    TypeInfo typeName();
    void typeSection();
    void classDeclaration(const Token& nameTok);
    void fieldDeclaration(const std::string& className);
    void methodHeading();
    void propertyDeclaration();
    std::vector<Param> parameters();
    void routine();
    void routineBody(int index, const Value& resultZero);

    // ---- statements (statements.cpp)
    void statementList(int terminator, const char* terminatorName, int alternative = -1);
    void expectKeyword(int code, const char* name);
    void statement();
    bool labelStatement();
    void gotoStatement();
    void ifStatement();
    void whileStatement();
    void repeatStatement();
    void forStatement();
    void tryStatement();
    // The except part: a statement list, or `on` clauses with an optional else.
    void exceptPart();
    bool atOnClause();
    void onClause(int endLabel);
    // Write/Writeln with the X:W and X:W:D forms.
    void writeStatement(const Token& name);
    int openBlock(BlockKind kind, int exitLabel = -1);
    void closeBlock() { tryPath_.pop_back(); }
    // The code that leaves the blocks path[from..] (innermost first) before a jump out of them.
    void leaveBlocks(const std::vector<int>& path, std::size_t from);
    void identStatement();
    void assignTo(Node& target, NodePtr value, const Token& first);
    // Leaves the object that a chain's calls end with on the object stack.
    void emitReceiver(const Node& chain);
    void assign(int slot, NodePtr value);

    // ---- expression trees (expressions.cpp)
    static NodePtr makeNode(Node::Kind kind, int line, int column);
    static NodePtr literal(Value v, int line, int column);
    int deeper(int depth) const;
    static bool isBoolean(std::string_view name);
    NodePtr binary(int op, NodePtr a, NodePtr b, const Token& t);
    NodePtr unary(int op, NodePtr a, const Token& t);
    NodePtr expression();
    NodePtr simpleExpression();
    NodePtr term();
    NodePtr factor();
    std::vector<NodePtr> arguments(char close);
    NodePtr nameCall(std::string name, std::vector<NodePtr> args, const Token& t);
    NodePtr designator();
    NodePtr externalName(const Token& t);
    NodePtr appendLink(NodePtr node, Link link);
    NodePtr selectors(NodePtr node);
    // Tells a program check what member is named on what (see UnknownNameObserver).
    void tellMemberUse(const Node& base, const Link& member);

    // ---- code for expression trees (expression_code.cpp)
    static bool reads(const Node& n, int slot);
    // Whether the expression may be computed in `dest` itself: only its first operand lands
    // there before the end, so nothing read later may be `dest` and no call may run after it.
    static bool safeInto(const Node& n, int dest);
    int operand(const Node& n);
    // Variables go to calls as themselves so that `var` parameters reach them; anything else
    // (literals too) goes as a temporary that the callee may overwrite.
    int argument(const Node& n);
    int toTemp(const Node& n);
    int conditionSlot(const Node& n);
    void emitInto(const Node& n, int dest);
    void emitLink(int op, const Link& link, int resultSlot);
    void emitChain(const Node& n, int dest);

    NameResolver& resolver_;
    ModuleParser parser_;
    TokenReader reader_;
    SlotBank slots_;
    Emitter code_;
    SymbolTable symbols_;
    std::vector<std::string> units_;
    std::vector<GlobalVariable> globals_;
    std::vector<Loop> loops_;
    std::vector<int> tryPath_;  // the ids of the blocks around the statement, outermost first
    std::vector<Block> blocks_; // by id - 1
    std::vector<PendingGoto> gotos_;
    int tryIds_ = 0;
    int nesting_ = 0;
    int mainLabel_ = -1;
    bool isUnit_ = false;
    bool inInterface_ = false;
    bool hasUses_ = false;
};

} // namespace vorlan::script::pascal::detail
