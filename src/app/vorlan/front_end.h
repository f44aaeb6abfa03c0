#pragma once
// The Qt front end as the runtime sees it: a library loaded when a run needs the desktop, the
// fonts or the printer. A desktop run hands it everything at once; a headless run starts without
// it and asks it for one service after another as the program first needs them.

#include "app/vorlan/headless_windows.h"
#include "app/vorlan/runtime_units.h"

#include <filesystem>
#include <memory>
#include <string>

namespace vorlan {
class TextMeasure;
class UiServices;
} // namespace vorlan
namespace vorlan::report {
class ReportPrinter;
}
namespace vorlan::windows {
class PictureSurface;
}

namespace vorlan::app {

struct CommandLine;

class FrontEnd : public WindowMaker {
public:
    // The whole runtime with the desktop from the start: desktop runs, the designer, the
    // database window, batch reports, checks, and headless runs whose settings need it.
    virtual int runtimeMain(int& argc, char** argv, const CommandLine& commandLine) = 0;

    // Starts the desktop's machinery in a headless run that is already going (offscreen).
    // Called once, before any of the services below.
    virtual void startHeadless(int& argc, char** argv) = 0;
    virtual const DesktopUnits& units() const = 0;
    // The dialogs and print jobs of a headless run; print jobs go to PDF files in `printTo`.
    virtual std::unique_ptr<UiServices> ui(const std::filesystem::path& printTo) = 0;
    // Widths of texts in the real fonts.
    virtual std::unique_ptr<TextMeasure> textMeasure() = 0;
    virtual std::unique_ptr<report::ReportPrinter> reportPrinter() = 0;
    // Fills in the printer reports go to (a PDF file in a headless run).
    virtual void detectPrinter() = 0;
    // DbfReport's report of the current work area (printed, or previewed on the desktop).
    virtual bool runDbfReport(windows::DbfWorkAreas& areas, const std::string& templateFile,
                              bool preview) = 0;
    // The graphics canvas's picture (its window draws it).
    virtual windows::PictureSurface& picture() = 0;
    // Objects of the desktop's units the program left behind, freed at the end of the run.
    virtual void releaseDesktopObjects() = 0;

protected:
    ~FrontEnd() override = default;
};

} // namespace vorlan::app

// The library's one entry, looked up by its name.
extern "C" vorlan::app::FrontEnd* vorlan_front_end();

namespace vorlan::app {
inline constexpr const char* kFrontEndEntry = "vorlan_front_end";
using FrontEndEntry = decltype(&vorlan_front_end);
} // namespace vorlan::app
