#include "script/scripter.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/text_lines.h"
#include "core/ui_services.h"
#include "script/archive/program_archive.h"
#include "script/comp_wrapper.h"
#include "script/form_loader.h"
#include "script/live_lock.h"
#include "script/registry.h"
#include "script/run_cycle.h"
#include "script/stream/component_stream.h"
#include "script/stream/text_form.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>

namespace vorlan::script {

std::function<void(Component&)> Scripter::showForm;
std::function<int(Component&)> Scripter::showFormModal;

namespace {

int errorBoxes = 0;

std::set<const Scripter*>& liveScripters() {
    static std::set<const Scripter*> set;
    return set;
}

std::string baseName(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The extension without the dot, upper-cased, at most three characters.
std::string shortExtension(std::string_view path) {
    const std::string name = baseName(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    return upperCase(name.substr(dot + 1, 3));
}

std::string cut255(const std::string& text) {
    return text.size() > 255 ? text.substr(0, 255) : text;
}

// The standard units: the system registers their names for every program, so `uses SysUtils`
// names no module to load.
constexpr std::string_view kStandardUnits[] = {
    "Buttons",  "CheckLst", "Classes",  "Clipbrd",  "ComCtrls", "ComObj",   "Controls",
    "Db",       "DbCommon", "DbCtrls",  "DbGrids",  "DbLookup", "Dialogs",  "ExtCtrls",
    "ExtDlgs",  "FileCtrl", "Forms",    "Graphics", "Grids",    "Mask",     "Math",
    "Menus",    "Messages", "MPlayer",  "OleCtrls", "Outline",  "Printers", "Registry",
    "RichEdit", "ShellApi", "StdCtrls", "System",   "SysUtils", "TabNotBk", "Tabs",
    "Windows",  "WinTypes", "WinProcs", "Variants", "StrUtils", "DateUtils"};

bool isProjectModule(const std::vector<ProjectModule>& modules, std::string_view unit) {
    for (const ProjectModule& m : modules) {
        const std::string name = baseName(m.fileName);
        const auto dot = name.rfind('.');
        if (equalsNoCase(name.substr(0, dot), unit)) return true;
    }
    return false;
}

bool readHostFile(const std::string& programPath, std::string& bytes) {
    std::ifstream in(pathMapper().toHostOrEmpty(programPath), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace

int scriptErrorBoxesShown() {
    return errorBoxes;
}

namespace {
std::optional<int> haltCode;
UnhandledErrorHook& unhandledErrorHook() {
    static UnhandledErrorHook hook;
    return hook;
}
} // namespace

void setUnhandledErrorHook(UnhandledErrorHook hook) {
    unhandledErrorHook() = std::move(hook);
}

void requestHalt(int exitCode) {
    haltCode = exitCode;
}

std::optional<int> haltExitCode() {
    return haltCode;
}

bool scripterIsLive(const Scripter* scripter) {
    std::shared_lock lock(liveLock());
    return liveScripters().count(scripter) != 0;
}

std::unique_ptr<ScriptRunner> createRunner(Scripter& scripter) {
    const RunnerClassInfo* info = nullptr;
    if (!scripter.language.empty()) {
        info = registry().runnerForLanguage(scripter.language);
        if (!info)
            throw std::runtime_error("#No Script Runner registered for " + scripter.language +
                                     " language");
    } else {
        const std::string name = baseName(scripter.scriptFile);
        const auto dot = name.rfind('.');
        const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
        info = registry().runnerForExtension(ext);
        if (!info)
            throw std::runtime_error("#No Script Runner registered for " + ext + " file type");
    }
    if (!info->factory) throw ScriptEngineError("#Scripting engine can't be started");
    return info->factory(scripter);
}

Scripter::Scripter(Component* eventOwner) : Component("TScripter") {
    (void)eventOwner; // the scripter is its own event owner
}

Scripter::~Scripter() {
    {
        std::unique_lock lock(liveLock());
        liveScripters().erase(this);
    }
    if (module_) module_->setEventSink(nullptr);
    units_.clear();
    if (runner_) runner_->closeModule();
    runner_.reset();
    ownedModule_.reset();
}

void Scripter::finish() {
    std::unique_lock lock(liveLock());
    liveScripters().erase(this);
}

bool Scripter::readModuleFromArchive() {
    auto source = archive::readArchiveModuleSource(scriptFile);
    if (!source) return false;
    script = std::move(*source);
    if (!module_) {
        auto form = archive::readArchiveModuleForm(scriptFile);
        if (form && !form->empty()) {
            ownedModule_ =
                instantiateComponents(stream::readComponentStream(*form), registry(), true);
            module_ = ownedModule_.get();
        }
    }
    return true;
}

bool Scripter::readModuleFromFiles() {
    std::string bytes;
    if (!readHostFile(scriptFile, bytes)) return false;
    script = splitLines(bytes);
    if (!module_) {
        const std::string ext = shortExtension(scriptFile);
        const char* formExt = ext == "ZLM"   ? ".zfm"
                              : ext == "PMB" ? ".pfm"
                              : ext == "TRX" ? ".tfm"
                                             : nullptr;
        std::string formBytes;
        if (formExt && readHostFile(archive::changeFileExt(scriptFile, formExt), formBytes) &&
            !formBytes.empty()) {
            const bool binary = formBytes.rfind("TPF0", 0) == 0;
            ownedModule_ = instantiateComponents(binary ? stream::readComponentStream(formBytes)
                                                        : stream::componentFromText(formBytes),
                                                 registry(), true);
            module_ = ownedModule_.get();
        }
    }
    return true;
}

bool Scripter::load() {
    if (!scriptFile.empty()) {
        const bool found = runFromArchive() ? readModuleFromArchive() : readModuleFromFiles();
        if (!found) return false;
    }
    if (module_) module_->setEventSink(this);
    runner_ = createRunner(*this);
    if (useModule && module_) runner_->addNamedObject(module_->name(), wrapObject(module_), true);
    compiling_ = true;
    const bool compiled = runner_->compileModule(script);
    compiling_ = false;
    if (!compiled) {
        runner_.reset();
        return false;
    }
    {
        std::unique_lock lock(liveLock());
        liveScripters().insert(this);
    }
    runner_->runMainBody();
    return runner_ != nullptr;
}

bool isStandardUnit(std::string_view unit) {
    for (std::string_view standard : kStandardUnits)
        if (equalsNoCase(standard, unit)) return true;
    return false;
}

void Scripter::loadUnits() {
    if (!runner_) return;
    for (const std::string& unit : runner_->usedUnits()) {
        if (isStandardUnit(unit) && !isProjectModule(projectModules, unit)) continue;
        std::string file = onGetUnitFileName ? onGetUnitFileName(unit) : std::string();
        if (file.empty()) file = unit + "." + shortExtension(scriptFile);
        auto child = std::make_unique<Scripter>(this);
        child->scriptFile = file;
        child->fileSystem = fileSystem;
        child->projectModules = projectModules;
        child->onError = onError;
        child->onGetUnitFileName = onGetUnitFileName;
        child->useModule = false;
        child->callByName({}); // loads without calling anything
        const bool failed = child->errorFlag();
        units_.push_back(std::move(child));
        if (failed) break;
    }
}

void Scripter::discardRunner() {
    units_.clear();
    if (runner_) runner_->closeModule();
    runner_.reset();
}

Value Scripter::callByName(std::string_view name, std::span<Value> args) {
    if (needsReset_) {
        discardRunner();
        needsReset_ = false;
    }
    errorFlag_ = false;
    // A run given up at its first error calls nothing more, whatever event still arrives.
    if (runAbandoned()) return {};
    // Events the module's code binds by name on objects it makes come back here.
    const RunningEventSink running(this, aliveToken());
    if (!runner_) {
        if (!load()) {
            errorFlag_ = true;
            return {};
        }
        loadUnits();
    }
    if (name.empty() || !runner_) return {};
    return runner_->callByName(name, args);
}

Value Scripter::run() {
    callByName("main");
    if (errorFlag_ || !runner_) return {};
    if (modalRun && module_ && module_->isForm() && showFormModal)
        return Value(showFormModal(*module_));
    return Value::null();
}

Value Scripter::callHandler(const std::string& procedureName, std::span<Value> args) {
    return callByName(procedureName, args);
}

bool Scripter::handleError(const ScriptErrorInfo& info) {
    if (!compiling_ && unhandledErrorHook()) {
        // An error inside the hook's own handler shows the box, as it would without the hook.
        static bool inHook = false;
        if (!inHook) {
            inHook = true;
            const bool taken = unhandledErrorHook()(*this, info.exception);
            inHook = false;
            if (taken) return true;
        }
    }
    bool resume = false;
    if (onError) {
        onError(*this, info.exception, info.position + 1, info.line + 1, resume);
        return resume;
    }
    std::string text =
        cut255(info.exception.source) + " " + cut255(info.exception.description) + " ";
    if (runFromArchive())
        text += "\r\n\r\nModul: " + upperCase(baseName(scriptFile));
    else
        text += "\r\n\r\nProgram: " + scriptFile;
    text += "\r\n" + czech("řádek:") + std::to_string(info.line + 1) +
            ", sloupec:" + std::to_string(info.position + 1) + ". ";
    text += "\r\n\r\n" + czech("Pokračovat v programu?");
    MessageBoxRequest request;
    request.caption = applicationTitle();
    request.text = text;
    request.icon = MessageIcon::Error;
    request.buttons = ButtonOk | ButtonCancel;
    ++errorBoxes;
    resume = ui().messageBox(request) == MessageResult::Ok;
    if (stopRunOnScriptError()) {
        resume = false;
        abandonRun();
    }
    if (!resume) {
        errorFlag_ = true;
        if (!runFromArchive() && ownedModule_ && ownedModule_->isForm()) {
            if (module_ == ownedModule_.get()) module_ = nullptr;
            ownedModule_.reset();
        }
    }
    return resume;
}

} // namespace vorlan::script
