#pragma once
// TScripter: holds one script module (its source, its form and its runner), compiles it through
// the runner registered for its language, runs it, calls its procedures by name and reports its
// errors.

#include "script/component.h"
#include "script/script_runner.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorlan::script {

// Whether a unit name of a uses list is one of the standard units (SysUtils, Classes, Forms ...)
// whose routines are registered for every program: such a unit loads no module unless the
// project has a module of that name.
bool isStandardUnit(std::string_view unit);

struct ProjectModule {
    std::string fileName;
    std::string filerId;
};

class Scripter : public Component, public EventSink {
public:
    explicit Scripter(Component* eventOwner = nullptr);
    ~Scripter() override;

    // Published state.
    std::string language; // empty: the runner is chosen by the extension of scriptFile
    bool linkEvents = true;
    bool modalRun = false;
    bool useModule = true;
    std::vector<std::string> script; // the module's source lines
    std::string scriptFile;
    std::string fileSystem; // the project item's FilerID
    std::vector<ProjectModule> projectModules;

    // The module's form or data module (owned when the scripter made it).
    Component* module() const { return module_; }
    void setModule(Component* module) { module_ = module; }
    bool moduleMadeHere() const { return ownedModule_ != nullptr; }

    using ErrorHandler = std::function<void(Scripter& sender, const ExceptionInfo& info,
                                            int position, int line, bool& resume)>;
    ErrorHandler onError;
    std::function<std::string(const std::string& unitName)> onGetUnitFileName;

    // Runs the module: loads it when needed, runs its main body, then its "main" if present.
    // With modalRun and a form it then shows the form modally and answers the modal result;
    // otherwise null.
    Value run();
    // Calls a procedure of the module by name; loads the module first when needed. Undefined
    // procedures and load failures give an empty result without a message.
    Value callByName(std::string_view name, std::span<Value> args = {});
    // Discards the runner; the next call loads the module again.
    void reset() { needsReset_ = true; }
    // The program's form has closed: the scripter leaves the live list, which ends the run
    // cycle's wait; the run cycle then destroys it.
    void finish();

    bool errorFlag() const { return errorFlag_; }
    ScriptRunner* runner() const { return runner_.get(); }
    const std::vector<std::unique_ptr<Scripter>>& units() const { return units_; }

    // The error path of runners: the handler, or the default message box. True to continue.
    bool handleError(const ScriptErrorInfo& info);

    // EventSink: form events call script procedures by name.
    Value callHandler(const std::string& procedureName, std::span<Value> args) override;

    // Shows a module form; the windows layer installs how (nothing without one).
    static std::function<void(Component& form)> showForm;
    static std::function<int(Component& form)> showFormModal;

private:
    bool load();
    void loadUnits();
    void discardRunner();
    bool readModuleFromArchive();
    bool readModuleFromFiles();

    Component* module_ = nullptr;
    std::unique_ptr<Component> ownedModule_;
    std::unique_ptr<ScriptRunner> runner_;
    std::vector<std::unique_ptr<Scripter>> units_;
    bool errorFlag_ = false;
    bool needsReset_ = false;
    bool compiling_ = false;
};

// How many script error boxes (compile or run-time errors shown to the user) the process has
// shown; a headless run that showed one ends with its own exit status.
int scriptErrorBoxesShown();

// Application.OnException: a run-time error that no handler of the program caught goes to the
// hook before the error box; when it answers true the box is not shown and the program goes
// on. Compile errors always show the box.
using UnhandledErrorHook = std::function<bool(Scripter& failed, const ExceptionInfo& error)>;
void setUnhandledErrorHook(UnhandledErrorHook hook);

// Halt(code): the exit status the program asked for, which a headless run ends with unless a
// script error box was shown; nothing while no program has called Halt.
void requestHalt(int exitCode);
std::optional<int> haltExitCode();

// Live scripters: the run cycle waits while its main scripter is in this list.
bool scripterIsLive(const Scripter* scripter);

// Picks the runner class by language name, else by file extension; throws std::runtime_error
// "#No Script Runner registered for %s language" / "... file type" when there is none.
std::unique_ptr<ScriptRunner> createRunner(Scripter& scripter);

} // namespace vorlan::script
