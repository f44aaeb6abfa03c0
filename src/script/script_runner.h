#pragma once
// TScriptRunner: what every dialect's runner does for the scripter that owns it. One runner per
// loaded module.

#include "script/dispatch.h"
#include "script/value.h"

#include <span>
#include <string>
#include <vector>

namespace vorlan::script {

class Component;
class Scripter;

// A script error as a runner reports it: line and position count from 0.
struct ScriptErrorInfo {
    std::string fileSystem;
    std::string fileName;
    int line = 0;
    int position = 0;
    ExceptionInfo exception;
};

struct RoutineInfo {
    std::string name;
    bool hasResult = false;
};

// Thrown when a dialect's engine cannot be created.
class ScriptEngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ScriptRunner {
public:
    explicit ScriptRunner(Scripter& scripter) : scripter_(scripter) {}
    virtual ~ScriptRunner() = default;
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // The module's routines as a dispatch interface (none in the base class).
    virtual ObjectRef moduleDispatch() { return nullptr; }
    virtual void closeModule() {}
    virtual std::string selfName() const { return {}; }

    // Calls a routine of the module by name. The result starts empty; a name the module does
    // not define does nothing and is no error.
    virtual Value callByName(std::string_view name, std::span<Value> args);
    // Compiles the module's source; false when it failed (the error was reported already).
    virtual bool compileModule(const std::vector<std::string>& script) = 0;
    // Runs the module's main body once after compiling (nothing in the base class).
    virtual void runMainBody() {}
    // Adds a named object to the module's global scope; global objects' members are reachable
    // without qualification.
    virtual void addNamedObject(const std::string& name, ObjectRef object, bool global);
    virtual std::vector<RoutineInfo> listRoutines() { return {}; }
    // Unit names of the module's uses lists, in order, without duplicates.
    virtual std::vector<std::string> usedUnits() { return {}; }

    Scripter& scripter() const { return scripter_; }
    struct NamedObject {
        std::string name;
        ObjectRef object;
        bool global = false;
    };
    const std::vector<NamedObject>& namedObjects() const { return namedObjects_; }

protected:
    // Hands an error to the scripter's handler; true when the user chose to continue.
    bool reportError(int line, int position, const ExceptionInfo& exception);

private:
    Scripter& scripter_;
    std::vector<NamedObject> namedObjects_;
};

} // namespace vorlan::script
