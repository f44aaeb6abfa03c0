#include "ui/qt/console_window.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "ui/qt/app_exception.h"
#include "ui/qt/glyphs.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/text_print.h"
#include "ui/qt/windows_fonts.h"

#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

namespace vorlan::qt {

namespace {

QFont consoleFont() {
    // The console's columns line up only in a fixed-pitch font: its substitutes come first,
    // then whatever fixed font the system names.
    QFont font = windowsFont(QStringLiteral("Courier New"));
    QStringList families = font.families();
    families.append(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    font.setFamilies(families);
    font.setPointSize(9);
    return font;
}

QToolButton* toolButton(QWidget* parent, const char* name, const QIcon& icon, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFixedSize(25, 25);
    return button;
}

} // namespace

ConsoleWindow::ConsoleWindow(windows::Console& console, QWidget* parent)
    : QWidget(parent, Qt::Window), console_(console) {
    setObjectName(QStringLiteral("ConsoleForm"));
    setWindowTitle(fromEngine(windows::Console::caption()));

    toolBar_ = new QWidget(this);
    toolBar_->setObjectName(QStringLiteral("ToolBar"));
    toolBar_->setFixedHeight(25);
    auto* bar = new QHBoxLayout(toolBar_);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);
    clearButton_ =
        toolButton(toolBar_, "SpeedButton1", glyphs::clearText(), QStringLiteral("Vymazat text"));
    saveButton_ = toolButton(toolBar_, "SpeedButton2", glyphs::saveText(),
                             QStringLiteral("Uložit text do souboru"));
    printButton_ = toolButton(toolBar_, "SpeedButton3", glyphs::printText(),
                              QStringLiteral("Vytisknout text"));
    bar->addWidget(clearButton_);
    bar->addWidget(saveButton_);
    bar->addWidget(printButton_);
    bar->addStretch();

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setWordWrapMode(QTextOption::NoWrap);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setFont(consoleFont());
    memo_->setUndoRedoEnabled(false);
    QPalette palette = memo_->palette();
    palette.setColor(QPalette::Text, Qt::black);
    // The selection stays visible when the window loses the focus.
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    memo_->setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(memo_);

    // The bar belongs to the active window only.
    toolBar_->hide();

    connect(clearButton_, &QToolButton::clicked, this,
            [this] { guarded([this] { clearClicked(); }); });
    connect(saveButton_, &QToolButton::clicked, this,
            [this] { guarded([this] { saveClicked(); }); });
    connect(printButton_, &QToolButton::clicked, this,
            [this] { guarded([this] { printClicked(); }); });

    const windows::ConsoleGeometry g;
    move(g.left, g.top);
    resize(g.width, g.height);
    console_.attachView(this);
}

ConsoleWindow::~ConsoleWindow() {
    if (console_.view() == this) console_.attachView(nullptr);
}

void ConsoleWindow::clearClicked() {
    console_.clear();
}

void ConsoleWindow::saveClicked() {
    FileDialogRequest request;
    request.title = utf8ToCp1250("Uložit textový výstup do souboru ...");
    request.filter = utf8ToCp1250("Textové soubory (*.TXT)|*.TXT|Všechny soubory (*.*)|*.*");
    const auto name = ui().saveFileDialog(request);
    if (name) console_.save(*name);
}

void ConsoleWindow::printClicked() {
    MessageBoxRequest question;
    question.caption = applicationTitle();
    question.text = utf8ToCp1250("Opravdu vytisknout obsah textového výstupu ?");
    question.icon = MessageIcon::Question;
    question.buttons = ButtonYes | ButtonNo;
    if (ui().messageBox(question) != MessageResult::Yes) return;
    if (ui().headless()) {
        // The print dialog would be accepted as it stands.
        console_.print(consoleFontName(), consoleFontSize());
        return;
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(fromEngine(windows::Console::caption()));
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    PainterTextPrintJob job(std::move(printer), memo_->font());
    for (const auto& line : console_.model().contentLines())
        job.writeLine(line);
    job.finish();
}

void ConsoleWindow::showConsole() {
    show();
    raise();
    activateWindow();
}

void ConsoleWindow::hideConsole() {
    hide();
}

void ConsoleWindow::setConsoleGeometry(int left, int top, int width, int height) {
    move(left, top);
    resize(width, height);
}

std::string ConsoleWindow::consoleFontName() const {
    return toEngine(memo_->font().family());
}

int ConsoleWindow::consoleFontSize() const {
    return memo_->font().pointSize();
}

template <typename Change> void ConsoleWindow::follow(Change change) {
    QScrollBar* bar = memo_->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    change();
    if (atEnd) bar->setValue(bar->maximum());
}

void ConsoleWindow::textAppended(std::int32_t, std::string_view text) {
    follow([&] {
        QTextCursor cursor(memo_->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(displayLine(text));
    });
}

void ConsoleWindow::lineAdded() {
    follow([&] {
        QTextCursor cursor(memo_->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertBlock();
    });
}

void ConsoleWindow::cleared() {
    memo_->clear();
}

void ConsoleWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) toolBar_->setVisible(isActiveWindow());
    QWidget::changeEvent(event);
}

} // namespace vorlan::qt
