#include "ui/qt/designer/designer_window.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "report/model.h"
#include "report/paint/report_printer.h"
#include "report/paper/paper_formats.h"
#include "report/run/report_run.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/designer_document.h"
#include "ui/qt/designer/designer_sheet.h"
#include "ui/qt/designer/element_palette.h"
#include "ui/qt/designer/property_strip.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/report/preview_window.h"
#include "ui/qt/report/qt_text_measurer.h"
#include "ui/qt/report/report_operations.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

#include <filesystem>

#include <algorithm>
#include <stdexcept>

namespace vorlan::qt {

namespace {

MessageResult ask(const std::string& text, unsigned buttons) {
    MessageBoxRequest r;
    r.caption = applicationTitle();
    r.text = text;
    r.icon = MessageIcon::Question;
    r.buttons = buttons;
    return ui().messageBox(r);
}

std::vector<std::string> fieldNamesOf(report::TSestava& report, bool labels) {
    std::vector<std::string> names, titles;
    report::prepareFieldLists(report, names, titles);
    return labels ? titles : names;
}

} // namespace

DesignerWindow::DesignerWindow(report::TSestava& report, const report::DesignerSettings& settings,
                               QWidget* parent)
    : QDialog(parent),
      document_(std::make_unique<DesignerDocument>(report, settings, fieldNamesOf(report, false),
                                                   fieldNamesOf(report, true))) {
    setObjectName(QStringLiteral("TFormEditor"));
    setModal(true);
    // The file as this system names it, not in the program's Windows form.
    const std::filesystem::path host = pathMapper().toHostOrEmpty(report.fullFileName());
    setWindowTitle(cz("Oprava předlohy tiskové sestavy - ") + fromEngine(report.popis) + " (" +
                   (host.empty() ? fromEngine(report.fullFileName()) : fromHost(host.string())) +
                   ")");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Two rows of commands: at 1280 pixels one row would hide a third of them behind its arrow.
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("ToolBar"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(toolbar_);
    arrangeBar_ = new QToolBar(this);
    arrangeBar_->setObjectName(QStringLiteral("ArrangeBar"));
    arrangeBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(arrangeBar_);
    bar_ = toolbar_;
    addCommand("NewButton", "Nová", "Nová předloha", &DesignerWindow::newTemplate);
    addCommand("SaveButton", "Uložit", "Uložit předlohu", &DesignerWindow::save);
    addCommand("PreviewButton", "Ukázka", "Ukázka před tiskem", &DesignerWindow::preview);
    addCommand("PrintButton", "Tisk", "Tisknout sestavu", &DesignerWindow::print);
    toolbar_->addSeparator();
    addCommand("ReportSettingsButton", "Předloha", "Nastavit předlohu",
               &DesignerWindow::reportSettings);
    addCommand("DesignerSettingsButton", "Prostředí", "Nastavit prostředí",
               &DesignerWindow::designerSettings);
    addCommand("ElementButton", "Prvek", "Nastavit prvek", &DesignerWindow::elementSettings);
    toolbar_->addSeparator();
    addCommand("DeleteButton", "Vymazat", "Vymazat prvek", &DesignerWindow::deleteElements);
    addCommand("CutButton", "Vystřihnout", "Vystřihnout", &DesignerWindow::cut);
    addCommand("CopyButton", "Kopírovat", "Kopírovat", &DesignerWindow::copy);
    addCommand("PasteButton", "Vložit", "Vložit", &DesignerWindow::paste);
    addCommand("UndoButton", "Zpět", "Zpět", &DesignerWindow::undo);
    addCommand("RedoButton", "Znovu", "Znovu", &DesignerWindow::redo);
    bar_ = arrangeBar_;
    addCommand("BackButton", "Dozadu", "Přesunout dozadu", &DesignerWindow::sendBack);
    addCommand("FrontButton", "Dopředu", "Přenést dopředu", &DesignerWindow::bringFront);
    addCommand("AlignAllButton", "Rastr vše", "Zarovnat všechny prvky do rastru",
               &DesignerWindow::alignAll);
    addCommand("AlignSelectedButton", "Rastr výběr", "Zarovnat vybrané prvky do rastru",
               &DesignerWindow::alignSelected);
    addCommand("AddGroupButton", "+Skupina", "Přidat skupinu podle vybrané položky",
               &DesignerWindow::addGroup);
    addCommand("DeleteGroupButton", "-Skupina", "Vymazat skupinu vybraného oddílu",
               &DesignerWindow::deleteGroup);
    bar_->addSeparator();
    zoom_ = new QComboBox(bar_);
    zoom_->setObjectName(QStringLiteral("ZoomBox"));
    zoom_->setToolTip(cz("Měřítko"));
    for (int percent : kPreviewZoomPercents)
        zoom_->addItem(QStringLiteral("%1 %").arg(percent));
    bar_->addWidget(zoom_);
    bar_->addSeparator();
    addCommand("CancelButton", "Zrušit", "Zrušit", &DesignerWindow::cancelDesign);
    addCommand("CloseButton", "Konec", "Ukončit opravu předlohy", &DesignerWindow::finishDesign);

    palette_ = new ElementPalette(document_->fieldNames(), document_->fieldLabels(), this);
    palette_->setMaximumHeight(96);
    layout->addWidget(palette_);
    strip_ = new PropertyStrip(*document_, this);
    layout->addWidget(strip_);

    scroll_ = new QScrollArea(this);
    scroll_->setBackgroundRole(QPalette::Dark);
    sheet_ = new DesignerSheet(*document_, scroll_);
    scroll_->setWidget(sheet_);
    layout->addWidget(scroll_, 1);

    palette_->addElement = [this](int kind, int parameter) { addElement(kind, parameter); };
    palette_->editFunction = [this](int index) { editFunction(index); };
    palette_->deleteFunction = [this](int index) { document_->deleteFunction(index); };
    sheet_->selectionChanged = [this] {
        strip_->refresh();
        updateCommands();
    };
    sheet_->elementActivated = [this] { elementSettings(); };
    document_->changed = [this](bool rebuilt) { documentChanged(rebuilt); };
    connect(zoom_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            sheet_->setZoomPercent(kPreviewZoomPercents[static_cast<std::size_t>(index)]);
    });
    setZoomIndex(settings.zoomIndex);
    palette_->refresh(report);
    updateCommands();
    resize(1000, 720);
}

DesignerWindow::~DesignerWindow() = default;

QAction* DesignerWindow::addCommand(const char* name, const char* caption, const char* hint,
                                    void (DesignerWindow::*slot)()) {
    QAction* a = bar_->addAction(cz(caption));
    a->setObjectName(QString::fromLatin1(name));
    a->setToolTip(cz(hint));
    a->setStatusTip(cz(hint));
    connect(a, &QAction::triggered, this, slot);
    return a;
}

QAction* DesignerWindow::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void DesignerWindow::setZoomIndex(int index) {
    index = std::clamp(index, 0, static_cast<int>(kPreviewZoomPercents.size()) - 1);
    zoom_->setCurrentIndex(index);
    sheet_->setZoomPercent(kPreviewZoomPercents[static_cast<std::size_t>(index)]);
}

void DesignerWindow::documentChanged(bool rebuilt) {
    (void)rebuilt;
    sheet_->relayout();
    sheet_->update();
    strip_->refresh();
    palette_->refresh(document_->report());
    updateCommands();
}

void DesignerWindow::updateCommands() {
    const bool selected = !document_->selection().empty();
    for (const char* name : {"ElementButton", "DeleteButton", "CutButton", "CopyButton",
                             "BackButton", "FrontButton", "AlignSelectedButton"})
        action(QString::fromLatin1(name))->setEnabled(selected);
    QAction* undoAction = action(QStringLiteral("UndoButton"));
    undoAction->setEnabled(document_->canUndo());
    undoAction->setToolTip(fromEngine(document_->undoCaption()));
    QAction* redoAction = action(QStringLiteral("RedoButton"));
    redoAction->setEnabled(document_->canRedo());
    redoAction->setToolTip(fromEngine(document_->redoCaption()));
    action(QStringLiteral("DeleteGroupButton"))
        ->setEnabled(sheet_->currentSection() >= report::groupStartSection(0));
}

void DesignerWindow::addElement(int kind, int parameter) {
    document_->addElement(sheet_->currentSection(), kind, parameter, sheet_->insertLeft(),
                          sheet_->insertTop());
    sheet_->setFocus();
}

void DesignerWindow::save() {
    document_->save();
    updateCommands();
}

void DesignerWindow::preview() {
    report::TSestava& report = document_->report();
    QtTextMeasurer measurer;
    report::RunOptions options;
    options.measurer = &measurer;
    report::TSestVystup output;
    if (report::runReport(report, output, options, false) != report::kSestOk) return;
    if (ui().headless()) return;
    PreviewWindow window(output, report.popis, this);
    window.setWindowState(Qt::WindowMaximized);
    window.exec();
}

void DesignerWindow::print() {
    report::TSestava& report = document_->report();
    QtTextMeasurer measurer;
    report::RunOptions options;
    options.measurer = &measurer;
    report::TSestVystup output;
    if (report::runReport(report, output, options, false) != report::kSestOk) return;
    if (report::reportPrinter().print(output, report.popis) != report::kSestOk)
        showReportMessage(czech("Sestavu se nepodařilo vytisknout."));
}

void DesignerWindow::newTemplate() {
    const std::vector<std::string> before = document_->report().templateLines();
    if (runNewTemplateWizard(this, document_->report(), document_->settings()))
        document_->recordChange(before, czech("nové předlohy"));
}

void DesignerWindow::reportSettings() {
    const std::vector<std::string> before = document_->report().templateLines();
    if (runReportSettingsDialog(this, document_->report()))
        document_->recordChange(before, czech("nastavení předlohy"));
}

void DesignerWindow::designerSettings() {
    report::DesignerSettings settings = document_->settings();
    if (!runDesignerSettingsDialog(this, settings)) return;
    document_->setSettings(settings);
    try {
        settings.save(report::reportSettingsFile());
    } catch (const std::exception&) {
        showReportMessage(czech("Nastavení se nepodařilo uložit."));
    }
    sheet_->update();
    updateCommands();
}

void DesignerWindow::elementSettings() {
    if (document_->selection().empty()) return;
    const std::vector<std::string> before = document_->report().templateLines();
    if (runElementDialog(this, document_->report(), *document_->selection().front()))
        document_->recordChange(before, czech("vlastností prvku"));
}

void DesignerWindow::editFunction(int index) {
    const std::vector<std::string> before = document_->report().templateLines();
    if (runFunctionDialog(this, document_->report(), index))
        document_->recordChange(before, czech("funkce"));
}

void DesignerWindow::deleteElements() {
    document_->deleteSelection();
}

void DesignerWindow::copy() {
    clipboard_ = document_->copySelection();
    if (!clipboard_.empty())
        QGuiApplication::clipboard()->setText(QString::fromStdString(cp1250ToUtf8(clipboard_)));
}

void DesignerWindow::cut() {
    std::string text;
    if (!document_->cutSelection(text)) return;
    clipboard_ = text;
    QGuiApplication::clipboard()->setText(QString::fromStdString(cp1250ToUtf8(clipboard_)));
}

void DesignerWindow::paste() {
    // Records copied in another designer arrive through the system clipboard.
    const std::string system = utf8ToCp1250(QGuiApplication::clipboard()->text().toStdString());
    if (!system.empty() && document_->paste(system, sheet_->currentSection())) return;
    document_->paste(clipboard_, sheet_->currentSection());
}

void DesignerWindow::undo() {
    document_->undo();
}

void DesignerWindow::redo() {
    document_->redo();
}

void DesignerWindow::sendBack() {
    document_->sendToBack();
}

void DesignerWindow::bringFront() {
    document_->bringToFront();
}

void DesignerWindow::alignAll() {
    document_->alignToRaster(false);
}

void DesignerWindow::alignSelected() {
    document_->alignToRaster(true);
}

void DesignerWindow::addGroup() {
    document_->addGroup(std::max(0, palette_->fields()->currentRow()));
}

void DesignerWindow::deleteGroup() {
    const std::int32_t section = sheet_->currentSection();
    if (section < report::groupStartSection(0)) return;
    const std::int32_t number = (section - 5) / 2;
    const report::TListSkupin& groups = document_->report().groups();
    for (int i = 0; i < groups.count(); ++i)
        if (groups.item(i)->number == number) {
            if (document_->deleteGroup(i)) sheet_->setCurrentSection(report::kSectionBody);
            break;
        }
    updateCommands();
}

bool DesignerWindow::leave(bool offerSaving) {
    if (document_->modified()) {
        if (offerSaving) {
            const MessageResult answer = ask(czech("Předloha byla změněna. Uložit změny?"),
                                             ButtonYes | ButtonNo | ButtonCancel);
            if (answer == MessageResult::Yes) {
                if (!document_->save()) return false;
            } else if (answer == MessageResult::No) {
                document_->revert();
            } else {
                return false;
            }
        } else {
            if (ask(czech("Předloha byla změněna. Ukončit opravu bez uložení změn?"),
                    ButtonYes | ButtonNo) != MessageResult::Yes)
                return false;
            document_->revert();
        }
    }
    leaving_ = true;
    done(document_->savedOnce() ? QDialog::Accepted : QDialog::Rejected);
    return true;
}

void DesignerWindow::cancelDesign() {
    leave(false);
}

void DesignerWindow::finishDesign() {
    leave(true);
}

void DesignerWindow::reject() {
    if (!leaving_) leave(false);
}

} // namespace vorlan::qt
