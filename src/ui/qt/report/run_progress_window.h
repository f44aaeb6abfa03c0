#pragma once
// The small window that shows which record a report run is preparing, with a button that
// cancels the run. The run is synchronous, so the window keeps the interface alive by
// processing pending events whenever the run asks whether it should stop.

#include "report/run/report_run.h"

#include <QElapsedTimer>
#include <QPointer>

#include <memory>

class QDialog;
class QLabel;

namespace vorlan::qt {

class RunProgressWindow : public report::RunProgress {
public:
    RunProgressWindow();
    ~RunProgressWindow() override;

    void show() override;
    void hide() override;
    void setText(const std::string& text) override;
    bool cancelRequested() override;

    // For tests: the window and its cancel button.
    QDialog* dialog() const { return dialog_.get(); }
    void pressCancel() { cancelled_ = true; }

private:
    void pumpEvents(bool force);

    std::unique_ptr<QDialog> dialog_;
    QPointer<QLabel> label_;
    QElapsedTimer sincePump_;
    bool cancelled_ = false;
};

// Installs the window as the progress of report runs that bring none.
void installRunProgressWindow();

} // namespace vorlan::qt
