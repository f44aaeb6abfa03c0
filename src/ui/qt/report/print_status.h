#pragma once
// The small window that says "Odesílám data do tiskárny ..." while a report's pages are handed
// to the printer. Handing a long run to a queue takes a while and the interface is busy the
// whole time, so the user sees why. Nothing is shown in headless mode.

#include <memory>

class QWidget;

namespace vorlan::qt {

class PrintStatus {
public:
    // Shows the window (desktop only) and lets it paint before the job starts.
    PrintStatus();
    // Hides it again, whatever the job's outcome.
    ~PrintStatus();
    PrintStatus(const PrintStatus&) = delete;
    PrintStatus& operator=(const PrintStatus&) = delete;

    // The window while it is shown; null in headless mode.
    QWidget* window() const { return window_.get(); }

private:
    std::unique_ptr<QWidget> window_;
};

} // namespace vorlan::qt
