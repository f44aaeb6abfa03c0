#include "ui/qt/qt_ui.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "ui/qt/dialog_folder.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/text_print.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include <cstdio>
#include <iostream>
#include <map>
#include <stdexcept>

namespace vorlan::qt {

namespace fs = std::filesystem;

// Counts every event the application delivers, so a headless wait can tell whether anything
// happened at all (the event dispatcher does not count posted events).
class EventCounter : public QObject {
public:
    unsigned long long count = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override {
        ++count;
        return false;
    }
};

namespace {

class DiscardTextPrintJob : public TextPrintJob {
public:
    void writeLine(const std::string&) override {}
    void finish() override {}
};

QString buttonText(MessageButton button) {
    switch (button) {
    case ButtonOk:
        return QStringLiteral("OK");
    case ButtonCancel:
        return QStringLiteral("Storno");
    case ButtonYes:
        return QStringLiteral("Ano");
    case ButtonNo:
        return QStringLiteral("Ne");
    case ButtonAbort:
        return QStringLiteral("Přerušit");
    case ButtonRetry:
        return QStringLiteral("Opakovat");
    case ButtonIgnore:
        return QStringLiteral("Ignorovat");
    case ButtonAll:
        return QStringLiteral("Vše");
    case ButtonNoToAll:
        return QStringLiteral("Ne všem");
    case ButtonYesToAll:
        return QStringLiteral("Ano všem");
    case ButtonHelp:
        return QStringLiteral("Nápověda");
    }
    return {};
}

QMessageBox::ButtonRole buttonRole(MessageButton button) {
    switch (button) {
    case ButtonOk:
    case ButtonYes:
    case ButtonYesToAll:
    case ButtonAll:
        return QMessageBox::AcceptRole;
    case ButtonNo:
    case ButtonNoToAll:
        return QMessageBox::NoRole;
    case ButtonCancel:
    case ButtonAbort:
        return QMessageBox::RejectRole;
    case ButtonRetry:
    case ButtonIgnore:
        return QMessageBox::ActionRole;
    case ButtonHelp:
        return QMessageBox::HelpRole;
    }
    return QMessageBox::ActionRole;
}

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The folder (and file) a dialog opens at, from a program path.
QString dialogStart(const std::string& programPath) {
    const fs::path host =
        programPath.empty() ? fs::path() : pathMapper().toHostOrEmpty(programPath);
    return host.empty() ? defaultDialogFolder() : fromHost(host.string());
}

std::string threeDigits(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%03d", n);
    return buffer;
}

bool isPdfName(const fs::path& path) {
    return equalsNoCase(path.extension().string(), ".pdf");
}

} // namespace

QStringList nameFiltersOf(std::string_view filter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto bar = filter.find('|', start);
        parts.emplace_back(filter.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    QStringList out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        QString description = fromEngine(parts[i]).trimmed();
        if (description.endsWith(u')')) {
            const auto open = description.lastIndexOf(u'(');
            if (open >= 0) description = description.left(open).trimmed();
        }
        QStringList patterns;
        for (const QString& pattern : fromEngine(parts[i + 1]).split(u';', Qt::SkipEmptyParts)) {
            const QString p = pattern.trimmed();
            if (p == QStringLiteral("*.*") || p == QStringLiteral("*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            for (const QString& variant : {p, p.toUpper(), p.toLower()})
                if (!patterns.contains(variant)) patterns << variant;
        }
        if (patterns.isEmpty()) continue;
        out << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return out;
}

QtUi::QtUi(bool headless, fs::path printTo, std::ostream* log)
    : headless_(headless), printTo_(std::move(printTo)), log_(log ? log : &std::cerr),
      answerer_(log_), counter_(std::make_unique<EventCounter>()) {
    installCounter();
}

QtUi::~QtUi() {
    if (auto* app = QCoreApplication::instance(); app && counterInstalled_)
        app->removeEventFilter(counter_.get());
}

void QtUi::installCounter() {
    if (counterInstalled_) return;
    if (auto* app = QCoreApplication::instance()) {
        app->installEventFilter(counter_.get());
        counterInstalled_ = true;
    }
}

void QtUi::log(const std::string& kind, const std::string& caption, const std::string& text) {
    *log_ << "[" << kind << "] " << cp1250ToUtf8(caption) << ": " << text << std::endl;
}

MessageResult QtUi::messageBox(const MessageBoxRequest& request) {
    if (headless_) return answerer_.messageBox(request);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(fromEngine(request.caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(fromEngine(request.text));
    box.setIcon(qtIcon(request.icon));
    std::map<QAbstractButton*, MessageResult> results;
    QPushButton* defaultButton = nullptr;
    QPushButton* escapeButton = nullptr;
    const auto order = buttonsInOrder(request.buttons ? request.buttons : unsigned{ButtonOk});
    for (MessageButton b : order) {
        QPushButton* button = box.addButton(buttonText(b), buttonRole(b));
        results[button] = resultOfButton(b);
        if (request.defaultButton == b) defaultButton = button;
        if (b == ButtonCancel || (order.size() == 1 && b == ButtonOk)) escapeButton = button;
    }
    box.setDefaultButton(defaultButton ? defaultButton
                                       : static_cast<QPushButton*>(box.buttons().front()));
    if (escapeButton) box.setEscapeButton(escapeButton);
    box.exec();
    const auto it = results.find(box.clickedButton());
    return it == results.end() ? MessageResult::Cancel : it->second;
}

std::optional<std::string> QtUi::inputBox(const std::string& caption, const std::string& prompt,
                                          const std::string& defaultText) {
    if (headless_) return answerer_.inputBox(caption, prompt, defaultText);
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), fromEngine(caption), fromEngine(prompt),
                              QLineEdit::Normal, fromEngine(defaultText), &ok);
    if (!ok) return std::nullopt;
    return toEngine(text);
}

std::optional<std::string> QtUi::openFileDialog(const FileDialogRequest& request) {
    if (headless_) return answerer_.openFileDialog(request);
    const QString chosen = QFileDialog::getOpenFileName(
        QApplication::activeWindow(), fromEngine(request.title), dialogStart(request.initialPath),
        nameFiltersOf(request.filter).join(";;"));
    if (chosen.isEmpty()) return std::nullopt;
    return pathMapper().toProgram(fs::path(chosen.toStdString()));
}

std::optional<std::string> QtUi::saveFileDialog(const FileDialogRequest& request) {
    if (headless_) return answerer_.saveFileDialog(request);
    const QString chosen = QFileDialog::getSaveFileName(
        QApplication::activeWindow(), fromEngine(request.title), dialogStart(request.initialPath),
        nameFiltersOf(request.filter).join(";;"));
    if (chosen.isEmpty()) return std::nullopt;
    return pathMapper().toProgram(fs::path(chosen.toStdString()));
}

fs::path QtUi::nextPdfPath() {
    const int job = ++printJobs_;
    std::error_code ec;
    if (isPdfName(printTo_) && !fs::is_directory(printTo_, ec)) {
        if (job == 1) return printTo_;
        fs::path numbered = printTo_;
        numbered.replace_filename(printTo_.stem().string() + "-" + threeDigits(job) +
                                  printTo_.extension().string());
        return numbered;
    }
    fs::create_directories(printTo_, ec);
    return printTo_ / ("print-" + threeDigits(job) + ".pdf");
}

std::unique_ptr<QPagedPaintDevice> QtUi::startPrintDevice(const std::string& title) {
    if (!printTo_.empty()) {
        const fs::path file = nextPdfPath();
        if (headless_) log("print", title, file.string());
        auto writer = std::make_unique<QPdfWriter>(fromHost(file.string()));
        writer->setTitle(fromEngine(title));
        writer->setCreator(QStringLiteral("VORLAN"));
        writer->setPageSize(QPageSize(QPageSize::A4));
        writer->setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        return writer;
    }
    if (headless_) {
        log("print", title, "zahozeno (chybí --print-to)");
        return nullptr;
    }
    // Without a default queue the first one serves; the caller may still choose another.
    QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull() && !QPrinterInfo::availablePrinters().isEmpty())
        printer = QPrinterInfo::availablePrinters().first();
    if (printer.isNull()) throw std::runtime_error(utf8ToCp1250("Není k dispozici žádná tiskárna"));
    auto device = std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
    device->setDocName(fromEngine(title));
    return device;
}

std::unique_ptr<TextPrintJob> QtUi::startTextPrint(const std::string& title,
                                                   const std::string& fontName, int pointSize) {
    auto device = startPrintDevice(title);
    if (!device) return std::make_unique<DiscardTextPrintJob>();
    return std::make_unique<PainterTextPrintJob>(std::move(device),
                                                 textPrintFont(fontName, pointSize));
}

int& headlessEventSources() {
    static int sources = 0;
    return sources;
}

bool QtUi::waitAndProcessEvent() {
    if (!headless_ || headlessEventSources() > 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        return true;
    }
    // Nobody will ever send an event to a headless run, so waiting would never end: handle
    // what is there and tell the caller whether anything was.
    installCounter();
    const auto before = counter_->count;
    bool dispatched = false;
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        dispatched = dispatcher->processEvents(QEventLoop::AllEvents);
    else
        QCoreApplication::sendPostedEvents();
    return dispatched || counter_->count != before;
}

void QtUi::processPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace vorlan::qt
