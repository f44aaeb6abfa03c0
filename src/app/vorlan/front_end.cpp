// The library's side of the front end: Qt started on request, and the services and windows of
// the desktop handed to the runtime one by one.

#include "app/vorlan/front_end.h"

#include "app/vorlan/desktop_units.h"
#include "app/vorlan/front_end_internal.h"
#include "core/ui_services.h"
#include "ui/qt/accent_room_style.h"
#include "ui/qt/app_exception.h"
#include "ui/qt/canvas/canvas_window.h"
#include "ui/qt/canvas/image_picture.h"
#include "ui/qt/console_window.h"
#include "ui/qt/dbf/dbf_report.h"
#include "ui/qt/dbf/dbf_window.h"
#include "ui/qt/qt_text_measure.h"
#include "ui/qt/qt_translations.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/report/report_printing.h"
#include "ui/qt/settings_store.h"
#include "ui/qt/stdlib/qt_stdlib.h"

#include <QObject>

#include <clocale>
#include <iostream>

namespace vorlan::app {

void headlessQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    if (message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR")) ||
        message.startsWith(QStringLiteral("This plugin does not support")))
        return;
    std::cerr << "[qt] " << message.toStdString() << std::endl;
}

namespace {

class QtFrontEnd final : public FrontEnd {
public:
    int runtimeMain(int& argc, char** argv, const CommandLine& commandLine) override {
        return runWithDesktop(argc, argv, commandLine, *this);
    }

    void startHeadless(int& argc, char** argv) override {
        qInstallMessageHandler(headlessQtMessage);
        // Left to the end of the process like every headless run's (see runWithDesktop).
        application_ = std::make_unique<qt::Application>(argc, argv);
        qt::installQtTranslations(*application_);
        qt::installAccentRoomStyle(*application_);
        // Qt adopts the user's locale; numbers that scripts see and files hold keep their ".".
        std::setlocale(LC_NUMERIC, "C");
        application_->setApplicationName(QStringLiteral("VORLAN"));
        application_->setQuitOnLastWindowClosed(false);
    }

    const DesktopUnits& units() const override { return units_; }

    std::unique_ptr<UiServices> ui(const std::filesystem::path& printTo) override {
        return std::make_unique<qt::QtUi>(true, printTo);
    }

    std::unique_ptr<TextMeasure> textMeasure() override {
        return std::make_unique<qt::QtTextMeasure>();
    }

    std::unique_ptr<report::ReportPrinter> reportPrinter() override {
        return std::make_unique<qt::QtReportPrinter>();
    }

    void detectPrinter() override { qt::detectPrinter(true); }

    bool runDbfReport(windows::DbfWorkAreas& areas, const std::string& templateFile,
                      bool preview) override {
        return qt::runDbfReport(areas, templateFile, preview);
    }

    windows::PictureSurface& picture() override {
        if (!picture_) picture_ = std::make_unique<qt::ImagePicture>();
        return *picture_;
    }

    std::unique_ptr<windows::ConsoleView> consoleWindow(windows::Console& console) override {
        return std::make_unique<qt::ConsoleWindow>(console);
    }

    std::unique_ptr<windows::CanvasView> canvasWindow(windows::Canvas& canvas) override {
        auto window =
            std::make_unique<qt::CanvasWindow>(canvas, static_cast<qt::ImagePicture&>(picture()));
        window->applySettings(settings(), false);
        return window;
    }

    std::unique_ptr<windows::DbfAreaView> dbfWindow(windows::DbfWorkAreas& areas) override {
        auto window = std::make_unique<qt::DbfWindow>(areas);
        window->applyPlacement(settings(), false);
        return window;
    }

    void releaseDesktopObjects() override { stdlib::releaseDesktopObjects(); }

private:
    const qt::SettingsStore& settings() {
        if (!settings_) settings_ = std::make_unique<qt::SettingsStore>();
        return *settings_;
    }

    DesktopUnits units_ = desktopUnits();
    std::unique_ptr<qt::Application> application_;
    std::unique_ptr<qt::ImagePicture> picture_;
    std::unique_ptr<qt::SettingsStore> settings_;
};

} // namespace

} // namespace vorlan::app

// The front end lives to the end of the process and is never taken down: its application object
// must not be (see runWithDesktop), and the windows and pictures it made go with the process.
vorlan::app::FrontEnd* vorlan_front_end() {
    static vorlan::app::FrontEnd* const frontEnd =
        std::make_unique<vorlan::app::QtFrontEnd>().release();
    return frontEnd;
}
