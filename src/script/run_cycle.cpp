#include "script/run_cycle.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "script/archive/program_archive.h"
#include "script/open_array.h"
#include "script/registry.h"
#include "script/scripter.h"
#include "script/stream/component_stream.h"
#include "script/stream/text_form.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

namespace vorlan::script {

std::function<void(const std::string&)>& programStartHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

bool& runFromArchive() {
    static bool flag = false;
    return flag;
}

bool& stopRunOnScriptError() {
    static bool flag = false;
    return flag;
}

namespace {
bool abandoned = false;
} // namespace

bool runAbandoned() {
    return abandoned;
}

void abandonRun() {
    abandoned = true;
}

namespace {

std::string& programFileOfRun() {
    static std::string file;
    return file;
}

// Names the program of a run while it lasts; a program started by RunApp hands the name back.
struct RunningProgram {
    explicit RunningProgram(const std::string& file) : previous(programFileOfRun()) {
        programFileOfRun() = file;
    }
    ~RunningProgram() { programFileOfRun() = previous; }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    std::string previous;
};

} // namespace

const std::string& runningProgramFile() {
    return programFileOfRun();
}

namespace {

std::string extensionOf(const std::string& fileName) {
    const auto slash = fileName.find_last_of("\\/");
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return fileName.substr(dot + 1);
}

// The project: from block 2 of the archive, or from a project file when running from files.
std::vector<archive::ProjectItem> readProject(const std::string& projectName) {
    std::string bytes;
    if (runFromArchive()) {
        bytes = archive::readArchiveProjectBlock(archive::changeFileExt(projectName, ".VRL"));
    } else {
        std::ifstream in(pathMapper().toHostOrEmpty(projectName), std::ios::binary);
        if (!in)
            throw std::runtime_error(czech("Projekt ") + projectName + czech(" nelze otevřít"));
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const bool binary = bytes.rfind("TPF0", 0) == 0;
    return archive::projectItemsFromStream(binary ? stream::readComponentStream(bytes)
                                                  : stream::componentFromText(bytes));
}

// Restores the process-wide run state however the run ends.
struct RunStateGuard {
    ~RunStateGuard() {
        archive::closeProgramArchive();
        runFromArchive() = false;
    }
};

std::unique_ptr<Scripter> startMainScripter(const std::vector<archive::ProjectItem>& items,
                                            RunOutcome* outcome) {
    const archive::ProjectItem* main = nullptr;
    for (const auto& item : items)
        if (registry().runnerForExtension(extensionOf(item.fileName))) {
            main = &item;
            break;
        }
    if (!main) throw std::runtime_error("Nelze spustit");
    if (outcome) outcome->started = true;
    // Open-array arguments are read by the rules of the program's dialect.
    setProgramLanguageOfModule(main->fileName);
    if (programStartHook()) programStartHook()(main->fileName);
    auto scripter = std::make_unique<Scripter>();
    scripter->scriptFile = main->fileName;
    scripter->fileSystem = main->filerId;
    for (const auto& item : items)
        scripter->projectModules.push_back({item.fileName, item.filerId});
    scripter->run();
    if (scripter->errorFlag()) return nullptr;
    Component* module = scripter->module();
    if (!module || !(module->isForm() || module->isDataModule())) return nullptr;
    if (!scripter->modalRun && module->isForm() && Scripter::showForm) Scripter::showForm(*module);
    return scripter;
}

} // namespace

void runProgramFile(const std::string& fileName, RunOutcome* outcome) {
    RunStateGuard guard;
    RunningProgram running(fileName);
    const std::string projectName = archive::changeFileExt(fileName, ".ZPR");
    // The project is read before the archive is checked, but its failure only counts once the
    // archive has passed its checks: a file that is no archive at all gets the format message.
    std::vector<archive::ProjectItem> items;
    std::optional<std::string> projectError;
    try {
        items = readProject(projectName);
    } catch (const std::exception& e) {
        projectError = e.what();
    }
    if (!archive::readProgramArchive(fileName, outcome ? &outcome->refusal : nullptr)) return;
    if (projectError) throw std::runtime_error(*projectError);
    std::unique_ptr<Scripter> main;
    if (!items.empty())
        main = startMainScripter(items, outcome);
    else if (outcome)
        outcome->refusal = fileName + czech(": projekt archivu neobsahuje žádný modul");
    archive::closeProgramArchive();
    while (main && scripterIsLive(main.get()) && !runAbandoned()) {
        // Without a display nothing can close the form: the program has done all it can.
        if (!ui().waitAndProcessEvent()) main->finish();
    }
}

void runApp(const std::string& name) {
    std::error_code ec;
    if (!std::filesystem::exists(pathMapper().toHostOrEmpty(name), ec)) {
        MessageBoxRequest request;
        request.caption = applicationTitle();
        request.text = "Aplikace " + name + czech(" nebyla nalezena!");
        request.buttons = ButtonOk;
        ui().messageBox(request);
        return;
    }
    const bool saved = runFromArchive();
    try {
        runFromArchive() = true;
        runProgramFile(archive::changeFileExt(name, ".VRL"));
    } catch (...) {
        // A failing nested program must not take its caller down.
    }
    runFromArchive() = saved;
}

} // namespace vorlan::script
