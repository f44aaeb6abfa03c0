#include "ui/qt/designer/expression_editor.h"

#include "core/cp1250.h"
#include "report/expression.h"
#include "ui/qt/designer/dialog_support.h"
#include "ui/qt/qt_text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace vorlan::qt {

namespace {

// Parameters are offered even where the program that fills them is not running.
constexpr int kMinParameters = 9;

// What an entry puts into the expression.
constexpr int kInsertRole = Qt::UserRole;

constexpr std::array kOperators{"+", "-", "*",  "/",  "^",   "(",  ")",   "=", "<>",
                                "<", ">", "<=", ">=", "AND", "OR", "NOT", "IN"};

// A name the expression can use after a prefix: a letter or "_", then letters, digits, "_".
bool isReferenceName(const std::string& name) {
    if (name.empty()) return false;
    auto letter = [](unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; };
    if (!letter(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin(), name.end(), [&](char c) {
        return letter(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c));
    });
}

QListWidgetItem* entry(QListWidget* list, const QString& text, const QString& insert) {
    auto* item = new QListWidgetItem(text, list);
    item->setData(kInsertRole, insert);
    return item;
}

} // namespace

std::string expressionCheckMessage(int error, int position) {
    return czech("Chyba : \"") + report::expressionErrorMessage(error) + czech("\" na pozici ") +
           std::to_string(position);
}

ExpressionEditor::ExpressionEditor(report::TSestavaTyp& report, const std::string& expression,
                                   QWidget* parent)
    : QDialog(parent), report_(report), fieldNames_(reportFieldNames(report)) {
    setObjectName(QStringLiteral("ExpressionEditor"));
    setWindowTitle(cz("Tvorba výrazu pro výpočet funkce"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(cz("&Výraz:"), this);
    layout->addWidget(label);
    expression_ = new QLineEdit(fromEngine(expression), this);
    label->setBuddy(expression_);
    expression_->setObjectName(QStringLiteral("Expression"));
    expression_->setMaxLength(static_cast<int>(report::kMaxExpression));
    layout->addWidget(expression_);

    auto* lists = new QHBoxLayout;
    fields_ = addList(lists, "Položky tabulky:", "FieldList");
    parameters_ = addList(lists, "Parametry:", "ParameterList");
    functions_ = addList(lists, "Uživatelské funkce:", "FunctionList");
    others_ = addList(lists, "Ostatní:", "OtherList");
    layout->addLayout(lists, 1);

    for (std::size_t i = 0; i < fieldNames_.size(); ++i)
        entry(fields_, referenceText('#', static_cast<int>(i), fieldNames_[i]), {});
    const int parameterCount = std::max(static_cast<int>(report.parametry.size()), kMinParameters);
    for (int i = 0; i < parameterCount; ++i) {
        const QString number = QLatin1Char('&') + QString::number(i + 1);
        entry(parameters_, number + QStringLiteral("  ") + cz("Parametr ") + QString::number(i + 1),
              number);
    }
    for (int i = 0; i < report.functions().count(); ++i)
        entry(functions_, referenceText('@', i, report.functions().item(i)->name()), {});
    for (const std::string& f : report::builtinFunctionTemplates())
        entry(others_, QString::fromLatin1(f.c_str()), QString::fromLatin1(f.c_str()));

    auto* operators = new QGridLayout;
    int column = 0;
    for (const char* op : kOperators) {
        auto* button = new QPushButton(QString::fromLatin1(op), this);
        button->setObjectName(QStringLiteral("Operator") + QString::fromLatin1(op));
        button->setAutoDefault(false);
        button->setMinimumWidth(36);
        const QString text = QString::fromLatin1(op);
        const bool word = text.front().isLetter();
        connect(button, &QPushButton::clicked, this, [this, text, word] {
            insertText(word ? QLatin1Char(' ') + text + QLatin1Char(' ') : text);
        });
        operators->addWidget(button, column / 9, column % 9);
        ++column;
    }
    layout->addLayout(operators);

    auto* row = new QHBoxLayout;
    byName_ = new QCheckBox(cz("Položky podle &názvu"), this);
    byName_->setObjectName(QStringLiteral("FieldsByName"));
    row->addWidget(byName_);
    row->addStretch(1);
    auto* checkButton = new QPushButton(cz("&Kontrola"), this);
    checkButton->setObjectName(QStringLiteral("CheckButton"));
    checkButton->setAutoDefault(false);
    auto* insertButton = new QPushButton(cz("Vl&ožit"), this);
    insertButton->setObjectName(QStringLiteral("InsertButton"));
    insertButton->setAutoDefault(false);
    row->addWidget(checkButton);
    row->addWidget(insertButton);
    layout->addLayout(row);
    connect(checkButton, &QPushButton::clicked, this, &ExpressionEditor::check);
    connect(insertButton, &QPushButton::clicked, this, &ExpressionEditor::insertSelected);
    addOkCancel(this, layout);
    resize(640, 420);
}

QListWidget* ExpressionEditor::addList(QLayout* row, const char* title, const char* name) {
    auto* column = new QVBoxLayout;
    auto* list = new QListWidget(this);
    list->setObjectName(QString::fromLatin1(name));
    auto* label = new QLabel(cz(title), this);
    label->setBuddy(list);
    column->addWidget(label);
    column->addWidget(list);
    static_cast<QBoxLayout*>(row)->addLayout(column);
    connect(list, &QListWidget::currentItemChanged, this, [this, list] { lastList_ = list; });
    connect(list, &QListWidget::itemDoubleClicked, this, &ExpressionEditor::insertItem);
    return list;
}

std::string ExpressionEditor::expression() const {
    return toEngine(expression_->text());
}

void ExpressionEditor::insertSelected() {
    if (lastList_) insertItem(lastList_->currentItem());
}

void ExpressionEditor::insertItem(QListWidgetItem* item) {
    if (!item) return;
    QListWidget* list = item->listWidget();
    const int row = list->row(item);
    // Fields and functions go in by number, or by name when asked and the name can be read.
    if (list == fields_ || list == functions_) {
        const char prefix = list == fields_ ? '#' : '@';
        std::string name;
        if (list == fields_ && row < static_cast<int>(fieldNames_.size()))
            name = fieldNames_[static_cast<std::size_t>(row)];
        if (list == functions_)
            if (const report::TRadekFunkce* f = report_.functions().item(row)) name = f->name();
        const bool named = byName_->isChecked() && isReferenceName(name);
        insertText(QLatin1Char(prefix) + (named ? fromEngine(name) : QString::number(row + 1)));
        return;
    }
    insertText(item->data(kInsertRole).toString());
}

void ExpressionEditor::insertText(const QString& text) {
    expression_->insert(text);
    // Inside a function's parentheses, where its first argument goes.
    const int open = text.indexOf(QLatin1Char('('));
    if (open > 0 && text.endsWith(QLatin1Char(')')))
        expression_->setCursorPosition(expression_->cursorPosition() - text.size() + open + 1);
    expression_->setFocus();
}

void ExpressionEditor::check() {
    const report::EvalResult result = report_.evaluator().evaluate(expression());
    if (result.error != report::kOk)
        tellError(expressionCheckMessage(result.error, result.position));
    else
        tellInformation("Informace", czech("Výraz je v pořádku."));
}

} // namespace vorlan::qt
