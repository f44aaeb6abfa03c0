#pragma once
// The compiler's symbol table: the module's names (variables, constants, parameters, results,
// routines, labels, classes) with the routine each local name belongs to, and the module's
// routines as they are declared.

#include "script/value.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::script::pascal::detail {

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
    std::string className;    // variables and parameters of a registered class type
};

struct Param {
    std::string name;
    bool isVar = false;
    Value zero;
    std::string className; // of a registered class type
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
    int codeEnd = -1;  // the code index after the body's last word
    int tempSlot = -1; // the first temporary of the body
    int line = 0;
    int column = 0;
};

// Names are kept under a key: the upper-case name, prefixed with "ROUTINE." for the names local
// to a routine. Names are case-insensitive, and a local name hides a module-level one.
class SymbolTable {
public:
    static std::string key(std::string_view name);
    // The key prefix of names local to the routine being compiled ("" at module level).
    std::string scopePrefix() const;

    Ident* find(const std::string& key);
    bool contains(const std::string& key) const { return idents_.count(key) != 0; }
    // A name as the code being compiled sees it: local first, then module-level.
    Ident* lookup(std::string_view name);
    // Null when the key is taken.
    Ident* add(const std::string& key, Ident item);
    // A name that exists only within one statement (the E of `on E: Exception do`); it hides
    // every other name while it lives.
    void pushStatementName(std::string_view name, Ident item);
    void popStatementName() { statementNames_.pop_back(); }

    int addRoutine(RoutineDecl routine);
    RoutineDecl& routine(int index) { return routines_[static_cast<std::size_t>(index)]; }
    const std::vector<RoutineDecl>& routines() const { return routines_; }
    // The routine whose body is being compiled; null at module level.
    RoutineDecl* currentRoutine() {
        return current_ >= 0 ? &routines_[static_cast<std::size_t>(current_)] : nullptr;
    }
    bool inRoutine() const { return current_ >= 0; }
    void enterRoutine(int index) { current_ = index; }
    void leaveRoutine() { current_ = -1; }

private:
    std::map<std::string, Ident> idents_;
    std::vector<std::pair<std::string, Ident>> statementNames_;
    std::vector<RoutineDecl> routines_;
    int current_ = -1;
};

} // namespace vorlan::script::pascal::detail
