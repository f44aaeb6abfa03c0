// The runtime with the desktop from the start: chooses between the desktop and headless modes,
// registers everything scripts may call, creates the permanent windows and runs the program of
// the command line or waits for the user to pick one; or runs the designer, the database window,
// a batch report or a check.

#include "app/vorlan/batch_report.h"
#include "app/vorlan/command_line.h"
#include "app/vorlan/design_template.h"
#include "app/vorlan/front_end_internal.h"
#include "app/vorlan/headless_windows.h"
#include "app/vorlan/program_check.h"
#include "app/vorlan/program_run.h"
#include "app/vorlan/runtime_units.h"
#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "library/files_system.h"
#include "library/library.h"
#include "pgsql/server_engine.h"
#include "report/charmode/text_only_printer.h"
#include "report/paint/report_printer.h"
#include "report/rtf/rich_text_layout.h"
#include "script/object_store.h"
#include "script/registry.h"
#include "script/run_cycle.h"
#include "script/scripter.h"
#include "stdlib/format_settings.h"
#include "stdlib/stdlib.h"
#include "ui/qt/accent_room_style.h"
#include "ui/qt/app_exception.h"
#include "ui/qt/canvas/canvas_window.h"
#include "ui/qt/canvas/image_picture.h"
#include "ui/qt/console_window.h"
#include "ui/qt/dbf/dbf_window.h"
#include "ui/qt/main_form.h"
#include "ui/qt/placeholder_window.h"
#include "ui/qt/qt_text_measure.h"
#include "ui/qt/qt_translations.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/report/report_printing.h"
#include "ui/qt/report/run_progress_window.h"
#include "ui/qt/screen_colormap.h"
#include "ui/qt/screenshot.h"
#include "ui/qt/settings_store.h"
#include "ui/qt/stdlib/qt_stdlib.h"
#include "window_models/canvas/canvas.h"
#include "window_models/console/console.h"
#include "window_models/dbf/work_areas.h"

#include <QFileInfo>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

namespace vorlan::app {

namespace {

namespace fs = std::filesystem;

// Taking the application down has the platform's font database set up the font configuration,
// only to free it again: in a headless run that drew no text, most of the work of a short batch.
// A headless run therefore leaves the application object to the end of the process (it stays
// reachable as QCoreApplication::instance(), so leak checkers do not count it).
class LeaveApplicationWhenHeadless {
public:
    LeaveApplicationWhenHeadless(std::unique_ptr<qt::Application>& application, bool headless)
        : application_(application), headless_(headless) {}
    ~LeaveApplicationWhenHeadless() {
        if (headless_) (void)application_.release();
    }
    LeaveApplicationWhenHeadless(const LeaveApplicationWhenHeadless&) = delete;
    LeaveApplicationWhenHeadless& operator=(const LeaveApplicationWhenHeadless&) = delete;

private:
    std::unique_ptr<qt::Application>& application_;
    bool headless_;
};

// Puts the headless answerer back before the application object goes away, so nothing that
// runs late reaches for widgets.
struct RestoreUi {
    ~RestoreUi() { setUi(nullptr); }
};

// Old programs talk to the printer and serial ports by their I/O addresses; each stands for the
// device file the settings name.
void applyPorts(const qt::SettingsStore& settings) {
    static const std::pair<const char*, std::int32_t> names[] = {
        {"LPT1", library::kPortLpt1}, {"LPT1G", library::kPortLpt1G}, {"LPT2", library::kPortLpt2},
        {"COM1", library::kPortCom1}, {"COM2", library::kPortCom2},   {"COM3", library::kPortCom3},
        {"COM4", library::kPortCom4}};
    for (const auto& [name, device] : settings.portDevices())
        for (const auto& [portName, port] : names)
            if (name == portName) library::setPortDevice(port, device);
}

// The format settings scripts see start as on Czech Windows; the settings file may change them.
void applyLocale(const qt::SettingsStore& settings) {
    for (const auto& [name, value] : settings.localeSettings())
        if (!stdlib::applyLocaleSetting(name, value))
            std::cerr << "vorlan: [Locale] " << name << "=" << value << " se nepoužije\n";
}

} // namespace

int runWithDesktop(int& argc, char** argv, const CommandLine& commandLine, FrontEnd& frontEnd) {
    const bool headless = runsHeadless(commandLine);
    if (headless) qInstallMessageHandler(headlessQtMessage);

    auto application = std::make_unique<qt::Application>(argc, argv);
    const LeaveApplicationWhenHeadless leaveApplication(application, headless);
    const auto screenColormap = qt::installScreenColormap();
    qt::installQtTranslations(*application);
    qt::installAccentRoomStyle(*application);
    // Qt adopts the user's locale; numbers that scripts see and files hold keep their ".".
    std::setlocale(LC_NUMERIC, "C");
    application->setApplicationName(QStringLiteral("VORLAN"));
    // The main window alone decides when the runtime ends.
    application->setQuitOnLastWindowClosed(false);
    setApplicationTitle("VORLAN");

    qt::SettingsStore settings;
    settings.applyDrives(pathMapper());
    // Folders the [Server] group maps keep their tables in a database.
    pgsql::registerServerTables(fs::path(settings.settings().fileName().toStdString()));
    applyPorts(settings);
    setUi(std::make_unique<qt::QtUi>(headless, commandLine.printTo ? fs::path(*commandLine.printTo)
                                                                   : fs::path()));
    const RestoreUi restoreUi;
    // Memo lines that scripts read wrap where the memo window wraps them, in its real font.
    const qt::TextMeasureInstallation textMeasure;
    // Report pages go to the printer, or to PDF files where --print-to sends print jobs; a
    // headless run without --print-to discards them like any other print job (and says so).
    // Text-only queues get the pages in character mode, but only when jobs go to a printer at
    // all: a headless run never prints on paper. Memo texts in RTF are drawn formatted.
    if (headless || commandLine.printTo)
        report::setReportPrinter(std::make_unique<qt::QtReportPrinter>());
    else
        report::setReportPrinter(std::make_unique<report::TextOnlyAwarePrinter>(
            std::make_unique<qt::QtReportPrinter>()));
    report::installRichTextDrawer();
    report::setPrinterDetector([pdf = headless || commandLine.printTo.has_value()](
                                   report::PrinterSettings&) { qt::detectPrinter(pdf); });
    if (!headless) qt::installRunProgressWindow();
    // Batch reports and the designer read tables as the database window does.
    const auto environment = windows::startUpEnvironment();
    if (commandLine.report)
        return app::runBatchReport({*commandLine.report, *commandLine.data,
                                    commandLine.reportParameters, commandLine.printTo,
                                    commandLine.textOut},
                                   std::cerr);
    if (commandLine.design) {
        if (headless) {
            std::cerr << "vorlan: --design potřebuje displej\n";
            return app::kExitBadCommandLine;
        }
        qt::installScreenshotFromEnvironment();
        return app::runTemplateDesigner(*commandLine.design, commandLine.data, std::cerr);
    }

    script::stopRunOnScriptError() = commandLine.stopOnError;
    windows::Console console;
    if (headless) console.setEcho(&std::cout);
    // The database window's work areas and its engine environment, in every run.
    windows::DbfWorkAreas dbfAreas;
    auto& picture = static_cast<qt::ImagePicture&>(frontEnd.picture());
    windows::Canvas canvas(picture);
    registerRuntimeUnits(script::registry(),
                         {console, dbfAreas, canvas, [&settings] { applyLocale(settings); }},
                         &frontEnd.units());
    if (commandLine.check)
        return app::runProgramCheck(*commandLine.check, commandLine.json, std::cout, std::cerr);

    const QFileInfo executable(QCoreApplication::applicationFilePath());
    const fs::path executableFolder = executable.absolutePath().toStdString();

    qt::MainFormOptions options;
    fs::path programHost;
    bool programExists = false;
    bool programIsFolder = false;
    if (commandLine.program) {
        std::string program = utf8ToCp1250(*commandLine.program);
        programHost = pathMapper().toHostOrEmpty(program);
        std::error_code ec;
        programExists = !programHost.empty() && fs::is_regular_file(programHost, ec);
        programIsFolder = !programHost.empty() && fs::is_directory(programHost, ec);
        if (programExists) {
            // Absolute, because the current folder moves to the program's folder below.
            programHost = fs::absolute(programHost, ec);
            program = utf8ToCp1250(programHost.string());
            options.splashPicture =
                findNoCase(programHost.parent_path(), programHost.stem().string() + ".BMP");
        }
        options.argument = program;
        options.argumentIsFile = programExists;
        std::vector<std::string> arguments;
        for (const std::string& a : commandLine.programArguments)
            arguments.push_back(utf8ToCp1250(a));
        stdlib::setProgramParameters(program, std::move(arguments));
    }
    options.menuFile =
        findNoCase(executableFolder, executable.completeBaseName().toStdString() + ".MNU");
    options.runProgram = app::runFromCycle;
    options.showWindows = !headless;

    // The permanent windows, in the order programs expect them to exist. A headless run has
    // no main window and makes the output windows only when the program needs them.
    std::optional<qt::MainForm> mainForm;
    std::unique_ptr<qt::ConsoleWindow> consoleWindow;
    std::unique_ptr<qt::CanvasWindow> canvasWindow;
    std::unique_ptr<qt::DbfWindow> database;
    std::optional<app::LazyConsoleView> lazyConsole;
    std::optional<app::LazyCanvasView> lazyCanvas;
    std::optional<app::LazyDbfView> lazyDatabase;
    if (headless && !commandLine.browse) {
        const auto maker = [&frontEnd]() -> app::WindowMaker& { return frontEnd; };
        lazyConsole.emplace(console, maker);
        lazyCanvas.emplace(canvas, maker);
        qt::applyShowDeletedSetting(dbfAreas, settings);
        lazyDatabase.emplace(dbfAreas, maker);
    } else {
        mainForm.emplace(options);
        consoleWindow = std::make_unique<qt::ConsoleWindow>(console);
        canvasWindow = std::make_unique<qt::CanvasWindow>(canvas, picture);
        canvasWindow->applySettings(settings, !headless);
        database = std::make_unique<qt::DbfWindow>(dbfAreas);
        database->applySettings(settings, !headless && !commandLine.browse);
    }
    std::unique_ptr<QWidget> memo(qt::createMemoPlaceholder());
    if (mainForm)
        mainForm->setOutputWindows(consoleWindow.get(), canvasWindow.get(), database.get());

    if (commandLine.browse) {
        // The window alone on one table; closing it ends the runtime.
        const bool opened = database->browse(utf8ToCp1250(*commandLine.browse));
        // The user saw why in the message box; a script that started the window learns it too.
        if (!opened) return app::kExitRunError;
        if (headless) return app::kExitOk;
        qt::installScreenshotFromEnvironment();
        application->setQuitOnLastWindowClosed(true);
        database->show();
        return application->exec();
    }

    int status = app::kExitOk;
    if (!headless) qt::installScreenshotFromEnvironment();
    qt::guarded(
        [&] { fs::current_path(programExists ? programHost.parent_path() : executableFolder); });
    if (programExists)
        qt::guarded([&] {
            if (mainForm)
                mainForm->runFile(*options.argument);
            else
                app::runFromCycle(*options.argument);
        });

    if (!headless && !mainForm->singleRun()) {
        mainForm->show();
        status = application->exec();
    } else if (!headless && programExists && console.hasText()) {
        // A program of the command line ends the runtime with it, but what it wrote stays up
        // until the user has read it and closes the window.
        consoleWindow->show();
        consoleWindow->raise();
        consoleWindow->activateWindow();
        application->setQuitOnLastWindowClosed(true);
        status = application->exec();
    }
    console.finishEcho();
    library::closeStreamedFiles();
    // Objects the program made without an owner end with the run, while the windows and the
    // engine they use still exist (tables write their indexes on closing).
    script::freeAllUnownedObjects();
    stdlib::releaseDesktopObjects();

    // A program that never ran fails its caller in both modes: a desktop started with a file
    // that is no program ends at once, and a script calling it must not see success. A missing
    // file on the desktop leaves the main window up to pick another program.
    if (headless || programExists)
        if (const auto notRun = app::notRunStatus(commandLine, programIsFolder, programExists))
            return *notRun;
    if (headless) return app::headlessExitStatus(qt::shownAppExceptions());
    return status;
}

} // namespace vorlan::app
