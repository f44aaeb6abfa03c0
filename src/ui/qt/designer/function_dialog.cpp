#include "ui/qt/designer/function_dialog.h"

#include "core/cp1250.h"

#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/dialog_support.h"
#include "ui/qt/designer/expression_editor.h"
#include "ui/qt/qt_text.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlan::qt {

namespace {

constexpr int kMaxName = 32;
constexpr int kMaxText = 255;

QLineEdit* textBox(QWidget* parent, const char* name, const std::string& text, int maxLength) {
    auto* box = new QLineEdit(fromEngine(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(maxLength);
    return box;
}

QComboBox* choiceBox(QWidget* parent, const char* name, const QStringList& items, int current) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setCurrentIndex(std::clamp(current, 0, static_cast<int>(items.size()) - 1));
    return box;
}

} // namespace

FunctionDialog::FunctionDialog(report::TSestavaTyp& report, int index, QWidget* parent)
    : QDialog(parent), report_(report), index_(index) {
    setObjectName(QStringLiteral("FunctionDialog"));
    setWindowTitle(cz("Nastavení parametrů funkce"));
    const report::TRadekFunkce* function = report.functions().item(index);
    const report::FunctionDefinition d =
        function ? function->definition() : report::FunctionDefinition{};

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    name_ = textBox(this, "Name", d.name, kMaxName);
    form->addRow(cz("&Název:"), name_);
    description_ = textBox(this, "Description", d.description, kMaxText);
    form->addRow(cz("&Popis:"), description_);
    type_ = choiceBox(
        this, "Type",
        {fromEngine(report::functionTypeName(0)), fromEngine(report::functionTypeName(1))}, d.type);
    form->addRow(cz("&Typ:"), type_);
    auto* expressionRow = new QHBoxLayout;
    expression_ = textBox(this, "Expression", d.expression, kMaxText);
    auto* build = new QPushButton(QStringLiteral("..."), this);
    build->setObjectName(QStringLiteral("EditExpression"));
    build->setToolTip(cz("Tvorba výrazu pro výpočet funkce"));
    build->setAutoDefault(false);
    build->setFixedWidth(32);
    expressionRow->addWidget(expression_, 1);
    expressionRow->addWidget(build);
    auto* expressionLabel = new QLabel(cz("&Výraz:"), this);
    expressionLabel->setBuddy(expression_);
    form->addRow(expressionLabel, expressionRow);
    initial_ = textBox(this, "InitialValue", d.initialValue, kMaxText);
    form->addRow(cz("Počáteční &hodnota:"), initial_);

    // Reset moments: the report, pages, then every group (a moment beyond them is kept).
    QStringList resets;
    const int moments = std::max(report::resetAtGroup(report.groups().count()), d.reset + 1);
    for (int m = 0; m < moments; ++m)
        resets << fromEngine(report::resetName(m));
    reset_ = choiceBox(this, "Reset", resets, d.reset);
    form->addRow(cz("&Nulovat při začátku:"), reset_);
    QStringList aggregates;
    for (int a = 0; a <= 7; ++a)
        aggregates << fromEngine(report::aggregateName(a));
    aggregate_ = choiceBox(this, "Aggregate", aggregates, d.aggregate);
    form->addRow(cz("&Další zpracování:"), aggregate_);
    format_ =
        choiceBox(this, "Format",
                  {QStringLiteral("General"), QStringLiteral("Exponent"), QStringLiteral("Fixed"),
                   QStringLiteral("Number"), QStringLiteral("Currency")},
                  d.format);
    form->addRow(cz("Výstupní &formát:"), format_);
    width_ = numberBox(this, "Width", 0, 255, d.width);
    form->addRow(cz("&Celkový počet znaků:"), width_);
    decimals_ = numberBox(this, "Decimals", 0, 99, d.decimals);
    form->addRow(cz("Počet desetinných &míst:"), decimals_);
    connect(build, &QPushButton::clicked, this, &FunctionDialog::editExpression);
    addOkCancel(this, layout);
    setMinimumWidth(420);
}

report::FunctionDefinition FunctionDialog::definition() const {
    report::FunctionDefinition d;
    d.name = toEngine(name_->text().trimmed());
    if (d.name.empty()) d.name = "Funkce";
    d.description = toEngine(description_->text());
    d.expression = toEngine(expression_->text());
    d.type = type_->currentIndex();
    d.initialValue = toEngine(initial_->text());
    d.reset = reset_->currentIndex();
    d.aggregate = aggregate_->currentIndex();
    d.width = width_->value();
    d.decimals = decimals_->value();
    d.format = format_->currentIndex();
    return d;
}

void FunctionDialog::apply(report::TSestavaTyp& report) const {
    if (report::TRadekFunkce* f = report.functions().item(index_))
        f->setDefinition(definition());
    else
        report.functions().add(definition());
}

void FunctionDialog::accept() {
    const int same = report_.functions().indexOf(definition().name);
    if (same >= 0 && same != index_) {
        tellError(czech("Funkce s tímto názvem již existuje."));
        name_->setFocus();
        return;
    }
    QDialog::accept();
}

void FunctionDialog::editExpression() {
    ExpressionEditor editor(report_, toEngine(expression_->text()), this);
    if (editor.exec() == QDialog::Accepted) expression_->setText(fromEngine(editor.expression()));
}

bool runFunctionDialog(QWidget* parent, report::TSestavaTyp& report, int index) {
    FunctionDialog dialog(report, index, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.apply(report);
    return true;
}

} // namespace vorlan::qt
