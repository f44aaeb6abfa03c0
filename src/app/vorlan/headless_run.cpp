#include "app/vorlan/headless_run.h"

#include "app/vorlan/front_end_loader.h"
#include "app/vorlan/headless_windows.h"
#include "app/vorlan/late_desktop.h"
#include "app/vorlan/program_run.h"
#include "app/vorlan/runtime_units.h"
#include "core/config_folder.h"
#include "core/cp1250.h"
#include "core/last_catcher.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "library/files_system.h"
#include "pgsql/server_engine.h"
#include "report/paper/printer_settings.h"
#include "report/rtf/rich_text_layout.h"
#include "script/object_store.h"
#include "script/registry.h"
#include "script/registry_miss.h"
#include "script/scripter.h"
#include "stdlib/stdlib.h"
#include "window_models/canvas/canvas.h"
#include "window_models/console/console.h"
#include "window_models/dbf/dbf_procs.h"
#include "window_models/dbf/work_areas.h"

#include <clocale>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace vorlan::app {

namespace {

namespace fs = std::filesystem;

fs::path settingsFile() {
    return configFolder() / "vorlan.ini";
}

// Whether a line of the settings file may say something the start reads through the front
// end's settings store. Said too often rather than too rarely: the start then merely loads the
// front end.
bool readAtStart(std::string line) {
    line = upperCase(line);
    const auto first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line[first] == '[')
        return line.find("DRIVES") != std::string::npos ||
               line.find("PORTS") != std::string::npos || line.find("LOCALE") != std::string::npos;
    return line.find("DELETED") != std::string::npos;
}

// Each of these puts back the default of a process-wide service at the end of the run, while
// the front end it may have come from is still there.
struct RestoreServices {
    ~RestoreServices() {
        report::setReportPrinter(nullptr);
        setTextMeasure(nullptr);
        setUi(nullptr);
    }
};

} // namespace

bool startsWithoutDesktop(const CommandLine& commandLine) {
    if (!runsHeadless(commandLine) || !commandLine.program || commandLine.printTo ||
        commandLine.report || commandLine.check || commandLine.design || commandLine.browse)
        return false;
    std::ifstream settings(settingsFile());
    std::string line;
    while (std::getline(settings, line))
        if (readAtStart(line)) return false;
    return true;
}

int runWithoutDesktop(int& argc, char** argv, const CommandLine& commandLine) {
    // As the application object of a run with the front end would: the user's locale, except
    // for numbers, which scripts see and files hold with their ".".
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    setApplicationTitle("VORLAN");
    // Folders the [Server] group maps keep their tables in a database.
    pgsql::registerServerTables(settingsFile());

    LateDesktop desktop(argc, argv, loadFrontEnd);
    const RestoreServices restoreServices;
    setUi(std::make_unique<LateUi>());
    setTextMeasure(std::make_unique<LateTextMeasure>(desktop));
    report::setReportPrinter(std::make_unique<LateReportPrinter>(desktop));
    report::installRichTextDrawer();
    report::setPrinterDetector(
        [&desktop](report::PrinterSettings&) { desktop.frontEnd().detectPrinter(); });
    const auto environment = windows::startUpEnvironment();

    script::stopRunOnScriptError() = commandLine.stopOnError;
    windows::Console console;
    console.setEcho(&std::cout);
    windows::DbfWorkAreas dbfAreas;
    LatePicture picture(desktop);
    windows::Canvas canvas(picture);
    auto& registry = script::registry();
    registerRuntimeUnits(registry, {console, dbfAreas, canvas, {}}, nullptr);
    windows::setDbfReportRunner(
        [&desktop](windows::DbfWorkAreas& areas, const std::string& templateFile, bool preview) {
            return desktop.frontEnd().runDbfReport(areas, templateFile, preview);
        });
    // From here on a name nothing answers may be one of the desktop's units.
    script::setMissHandler(
        registry, [&desktop, &registry](std::string_view className, std::string_view name) {
            return desktop.registerWhenTheirs(registry, className, name);
        });
    struct ForgetMissHandler {
        script::Registry& registry;
        ~ForgetMissHandler() { script::setMissHandler(registry, {}); }
    } forgetMissHandler{registry};

    std::error_code ec;
    const fs::path executableFolder = fs::read_symlink("/proc/self/exe", ec).parent_path();
    std::string program = utf8ToCp1250(*commandLine.program);
    fs::path programHost = pathMapper().toHostOrEmpty(program);
    const bool programExists = !programHost.empty() && fs::is_regular_file(programHost, ec);
    const bool programIsFolder = !programHost.empty() && fs::is_directory(programHost, ec);
    if (programExists) {
        // Absolute, because the current folder moves to the program's folder below.
        programHost = fs::absolute(programHost, ec);
        program = utf8ToCp1250(programHost.string());
    }
    std::vector<std::string> arguments;
    for (const std::string& a : commandLine.programArguments)
        arguments.push_back(utf8ToCp1250(a));
    stdlib::setProgramParameters(program, std::move(arguments));

    const auto maker = [&desktop]() -> WindowMaker& { return desktop.frontEnd(); };
    LazyConsoleView consoleView(console, maker);
    LazyCanvasView canvasView(canvas, maker);
    LazyDbfView databaseView(dbfAreas, maker);

    guarded(
        [&] { fs::current_path(programExists ? programHost.parent_path() : executableFolder); });
    if (programExists) guarded([&] { runFromCycle(program); });

    console.finishEcho();
    library::closeStreamedFiles();
    // Objects the program made without an owner end with the run, while the windows and the
    // engine they use still exist (tables write their indexes on closing).
    script::freeAllUnownedObjects();
    if (desktop.started()) desktop.frontEnd().releaseDesktopObjects();

    if (const auto notRun = notRunStatus(commandLine, programIsFolder, programExists))
        return *notRun;
    return headlessExitStatus(shownAppExceptions());
}

} // namespace vorlan::app
