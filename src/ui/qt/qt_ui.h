#pragma once
// The engine's dialogs, printing and event waiting on Qt. In headless mode dialogs answer
// themselves exactly as the headless answerer does (default button, a line on stderr), and
// print jobs become PDF files when a destination was given.

#include "core/headless_ui.h"
#include "core/ui_services.h"

#include <QPagedPaintDevice>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <ostream>

namespace vorlan::qt {

class EventCounter;

// "Text files (*.TXT)|*.TXT|All files (*.*)|*.*" as name filters of a Qt file dialog. Patterns
// match both letter cases (program filters are upper-case, Linux names rarely are) and "*.*"
// means every file, with or without a dot.
QStringList nameFiltersOf(std::string_view filter);

// Sources of events that arrive later on their own (a program's running timers). While any is
// held, a headless wait blocks for the next event instead of ending the run.
int& headlessEventSources();

class QtUi : public UiServices {
public:
    // `printTo`: where print jobs go as PDF, in either mode: a name ending in ".pdf" is the file
    // of the first job (later jobs get "-002", "-003" ... before the extension), anything else is
    // a folder receiving "print-001.pdf", "print-002.pdf" ... Empty: GUI prints on the default
    // printer, headless discards the job. `log` receives the headless lines (stderr if null).
    QtUi(bool headless, std::filesystem::path printTo = {}, std::ostream* log = nullptr);
    ~QtUi() override;

    MessageResult messageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override;
    std::unique_ptr<TextPrintJob>
    startTextPrint(const std::string& title, const std::string& fontName, int pointSize) override;
    bool waitAndProcessEvent() override;
    void processPendingEvents() override;
    bool headless() const override { return headless_; }
    void noteUnshownDialog(const std::string& kind, const std::string& title) override {
        if (headless_) answerer_.noteUnshownDialog(kind, title);
    }

    // The device for one print job of any kind (text, pictures, report pages): a PDF writer,
    // the default printer, or null when a headless job is discarded. Throws std::runtime_error
    // when there is no printer.
    std::unique_ptr<QPagedPaintDevice> startPrintDevice(const std::string& title);
    // True when print jobs become PDF files (`--print-to`) rather than go to a printer.
    bool printsToFiles() const { return !printTo_.empty(); }

private:
    std::filesystem::path nextPdfPath();
    void log(const std::string& kind, const std::string& caption, const std::string& text);
    void installCounter();

    bool headless_;
    std::filesystem::path printTo_;
    std::ostream* log_;
    HeadlessUi answerer_;
    int printJobs_ = 0;
    std::unique_ptr<EventCounter> counter_;
    bool counterInstalled_ = false;
};

} // namespace vorlan::qt
