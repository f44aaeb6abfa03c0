#pragma once
// The tree an expression is parsed into before its code is made, so that the code can use
// variables and literals in place and compute straight into its destination.

#include "script/value.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlan::script::pascal::detail {

struct Node;
using NodePtr = std::unique_ptr<Node>;

// One call of a chain: a name with its arguments.
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
    // Var: the registered class the variable is declared with, so that a check can test the
    // members named on it.
    std::string className;
    int op = 0; // Unary, Binary
    NodePtr a;  // operand; CharAt: the index
    NodePtr b;  // right operand; CharAt: the indexed value
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

} // namespace vorlan::script::pascal::detail
