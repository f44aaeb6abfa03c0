#pragma once
// TPascalCompiler: a single-pass recursive-descent compiler from the Pascal dialect's source
// lines to a TBinProg. Statements emit code as they are parsed; each expression is parsed into a
// small tree first so that its code can use variables and constants in place and write straight
// into its destination.

#include "script/pascal/bin_prog.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::script::pascal {

// ECompilerError: raised when nobody handles compile errors.
class CompileError : public std::runtime_error {
public:
    CompileError(std::string message, int line, int column);
    // The message without the position ("Očekávám ...").
    const std::string& message() const { return message_; }
    int line() const { return line_; }     // from 0
    int column() const { return column_; } // from 0

private:
    std::string message_;
    int line_;
    int column_;
};

// How the compiler learns about names that the module does not declare itself. The answers
// must agree with the order in which the runner resolves names when the program runs.
class NameResolver {
public:
    enum class Kind {
        Unknown,
        Procedure, // a routine without a result
        Function,  // a routine with a result, or anything else that yields a value when called
        Constant,  // a registered constant: its value is used directly
        Class,     // a registered class: Name.Create(...), or Name(x) as a type cast
        Variable,  // a registered global variable: assignable
        Member,    // a member of a named object (the module form): assignable through `owner`
    };
    struct Answer {
        Kind kind = Kind::Unknown;
        std::string owner; // Member: the name of the object that owns it
        Value value;       // Constant
    };
    virtual ~NameResolver() = default;
    virtual Answer resolve(std::string_view name) = 0;
    // A registered class name usable as a type.
    virtual bool isClass(std::string_view name) = 0;
    // A registered class whose instances are components (forms and data modules among them):
    // methods of a module class derived from it run with the module object as `self`.
    virtual bool isComponentClass(std::string_view name) = 0;
};

// Told of every name that neither the module nor its resolver knows (routines, variables,
// classes), while one is installed. The compilation then goes on past such a name as if it were
// bound late, so that a check of a program finds every missing name, not only the first.
class UnknownNameObserver {
public:
    virtual ~UnknownNameObserver() = default;
    virtual void unknownName(std::string_view name, int line, int column) = 0;
    // A member named on a variable declared with a registered class (`owner` is the class,
    // `ownerIsClass`), or on a lone name the module does not declare (a component of its form,
    // a registered variable): whether the member exists is the observer's to judge.
    virtual void memberUse(std::string_view owner, bool ownerIsClass, std::string_view member,
                           int line, int column) {
        (void)owner, (void)ownerIsClass, (void)member, (void)line, (void)column;
    }
};
// Installs `observer` for every compilation of this process; null removes it.
void setUnknownNameObserver(UnknownNameObserver* observer);
UnknownNameObserver* unknownNameObserver();

// Resolves through the process registry only: global procedures, variables, constants, classes.
class RegistryResolver : public NameResolver {
public:
    Answer resolve(std::string_view name) override;
    bool isClass(std::string_view name) override;
    bool isComponentClass(std::string_view name) override;
};

// The name the compiler uses for the runner's own scope object: property writes to registered
// global variables and to names of other modules go to it. Not a valid identifier, so no
// script can spell it.
inline constexpr std::string_view kScopeObjectName = "*scope";

struct CompileErrorInfo {
    std::string message;
    int line = 0;   // from 0
    int column = 0; // from 0
};

class PascalCompiler {
public:
    explicit PascalCompiler(NameResolver* resolver = nullptr);
    ~PascalCompiler();

    using ErrorHandler = std::function<void(const CompileErrorInfo&)>;
    // Compiles the module. The first error ends the compilation: with a handler it is handed to
    // the handler and the answer is null; without one a CompileError is thrown.
    std::unique_ptr<BinProg> compile(const std::vector<std::string>& lines,
                                     const ErrorHandler& onError = {});

private:
    NameResolver* resolver_;
    std::unique_ptr<RegistryResolver> ownResolver_;
};

} // namespace vorlan::script::pascal
