#include "ui/qt/report/print_status.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "ui/qt/qt_text.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace vorlan::qt {

PrintStatus::PrintStatus() {
    if (ui().headless()) return;
    window_ = std::make_unique<QWidget>(nullptr, Qt::Dialog | Qt::WindowTitleHint);
    window_->setObjectName(QStringLiteral("PrintStatus"));
    window_->setWindowTitle(fromEngine(czech("Tisk")));
    window_->setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(window_.get());
    auto* label = new QLabel(fromEngine(czech("Odesílám data do tiskárny ...")), window_.get());
    label->setObjectName(QStringLiteral("PrintStatusText"));
    label->setMinimumWidth(260);
    layout->addWidget(label);
    window_->show();
    // The job blocks the event loop: let the window appear first.
    QApplication::processEvents();
}

PrintStatus::~PrintStatus() {
    if (window_) window_->hide();
}

} // namespace vorlan::qt
