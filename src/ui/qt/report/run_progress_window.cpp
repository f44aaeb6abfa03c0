#include "ui/qt/report/run_progress_window.h"

#include "core/cp1250.h"
#include "ui/qt/qt_text.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlan::qt {

namespace {
// Often enough for the cancel button to feel immediate, rarely enough not to slow the run.
constexpr int kPumpIntervalMs = 40;
} // namespace

RunProgressWindow::RunProgressWindow() : dialog_(std::make_unique<QDialog>()) {
    dialog_->setWindowTitle(fromEngine(czech("Sestava")));
    dialog_->setModal(true);
    auto* layout = new QVBoxLayout(dialog_.get());
    label_ = new QLabel(fromEngine(report::progressText(0)), dialog_.get());
    label_->setMinimumWidth(280);
    layout->addWidget(label_);
    auto* cancel = new QPushButton(fromEngine(czech("Přerušit")), dialog_.get());
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    QObject::connect(cancel, &QPushButton::clicked, [this] { cancelled_ = true; });
    // Closing the window is cancelling too.
    QObject::connect(dialog_.get(), &QDialog::rejected, [this] { cancelled_ = true; });
    sincePump_.start();
}

RunProgressWindow::~RunProgressWindow() = default;

void RunProgressWindow::show() {
    cancelled_ = false;
    dialog_->show();
    pumpEvents(true);
}

void RunProgressWindow::hide() {
    dialog_->hide();
}

void RunProgressWindow::setText(const std::string& text) {
    if (label_) label_->setText(fromEngine(text));
    pumpEvents(false);
}

bool RunProgressWindow::cancelRequested() {
    pumpEvents(false);
    return cancelled_;
}

void RunProgressWindow::pumpEvents(bool force) {
    if (!force && sincePump_.elapsed() < kPumpIntervalMs) return;
    sincePump_.restart();
    QApplication::processEvents();
}

void installRunProgressWindow() {
    report::setRunProgressFactory([] { return std::make_unique<RunProgressWindow>(); });
}

} // namespace vorlan::qt
