#include "ui/qt/designer/element_palette.h"
#include "ui/qt/qt_text.h"

#include "core/cp1250.h"
#include "report/model.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlan::qt {

namespace {

// The parameters a template may print: those the report has, and at least a few to choose from.
constexpr int kParametersOffered = 10;

} // namespace

ElementPalette::ElementPalette(const std::vector<std::string>& fieldNames,
                               const std::vector<std::string>& fieldLabels, QWidget* parent)
    : QTabWidget(parent) {
    setObjectName(QStringLiteral("Paleta"));
    fields_ = addListPage("ListPolozky", cz("Položky"), report::kKindField);
    for (const std::string& name : fieldNames)
        fields_->addItem(fromEngine(name));
    titles_ = addListPage("ListPopisy", cz("Popisy"), report::kKindFieldTitle);
    for (std::size_t i = 0; i < fieldNames.size(); ++i)
        titles_->addItem(fromEngine(
            i < fieldLabels.size() && !fieldLabels[i].empty() ? fieldLabels[i] : fieldNames[i]));
    parameters_ = addListPage("ListParametry", cz("Parametry"), report::kKindParameter);

    // The variables, in the order users look for them.
    auto* variables = new QWidget(this);
    auto* variableRow = new QHBoxLayout(variables);
    struct Button {
        const char* caption;
        int number;
    };
    static const Button kVariables[] = {
        {"Datum tisku", report::kVarPrintDate},
        {"Čas tisku", report::kVarPrintTime},
        {"Číslo řádku v sestavě", report::kVarRecordNumber},
        {"Číslo strany", report::kVarPageNumber},
        {"Číslo řádku ve skupině", report::kVarRowInGroup},
        {"Číslo skupiny", report::kVarGroupNumber},
        {"Celkový počet stran", report::kVarPageCount},
    };
    for (const Button& b : kVariables) {
        auto* button = new QPushButton(cz(b.caption), variables);
        button->setObjectName(QStringLiteral("Var%1").arg(b.number));
        const int number = b.number;
        connect(button, &QPushButton::clicked, this, [this, number] {
            if (addElement) addElement(report::kKindVariable, number);
        });
        variableRow->addWidget(button);
    }
    variableRow->addStretch();
    addTab(variables, cz("Proměnné"));

    auto* functionPage = new QWidget(this);
    auto* functionRow = new QHBoxLayout(functionPage);
    functions_ = new QListWidget(functionPage);
    functions_->setObjectName(QStringLiteral("ListFunkce"));
    functions_->setFlow(QListView::LeftToRight);
    functions_->setWrapping(true);
    connect(functions_, &QListWidget::itemActivated, this, [this] {
        if (addElement && currentFunction() >= 0)
            addElement(report::kKindFunction, currentFunction());
    });
    functionRow->addWidget(functions_, 1);
    auto* functionButtons = new QVBoxLayout;
    struct Command {
        const char* name;
        const char* caption;
    };
    for (const Command& c : {Command{"OpravButton", "Oprav"}, Command{"PridejButton", "Přidej"},
                             Command{"VynechButton", "Vynech"}}) {
        auto* button = new QPushButton(cz(c.caption), functionPage);
        button->setObjectName(QString::fromLatin1(c.name));
        functionButtons->addWidget(button);
        const std::string which = c.name;
        connect(button, &QPushButton::clicked, this, [this, which] {
            if (which == "PridejButton") {
                if (editFunction) editFunction(-1);
            } else if (currentFunction() >= 0) {
                if (which == "OpravButton" && editFunction) editFunction(currentFunction());
                if (which == "VynechButton" && deleteFunction) deleteFunction(currentFunction());
            }
        });
    }
    functionRow->addLayout(functionButtons);
    addTab(functionPage, cz("Funkce"));

    auto* graphics = new QWidget(this);
    auto* graphicRow = new QHBoxLayout(graphics);
    static const Button kGraphics[] = {
        {"Text", report::kKindText},         {"Úsečka", report::kKindLine},
        {"Rámeček", report::kKindRectangle}, {"Zaoblený rámeček", report::kKindRoundRectangle},
        {"Elipsa", report::kKindEllipse},    {"Obrázek", report::kKindPicture},
    };
    for (const Button& b : kGraphics) {
        auto* button = new QPushButton(cz(b.caption), graphics);
        button->setObjectName(QStringLiteral("Kind%1").arg(b.number));
        const int kind = b.number;
        connect(button, &QPushButton::clicked, this, [this, kind] {
            if (addElement) addElement(kind, 0);
        });
        graphicRow->addWidget(button);
    }
    graphicRow->addStretch();
    addTab(graphics, cz("Grafické prvky"));
}

QListWidget* ElementPalette::addListPage(const char* objectName, const QString& title, int kind) {
    auto* list = new QListWidget(this);
    list->setObjectName(QString::fromLatin1(objectName));
    list->setFlow(QListView::LeftToRight);
    list->setWrapping(true);
    list->setSpacing(2);
    connect(list, &QListWidget::itemActivated, this, [this, list, kind] {
        if (addElement && list->currentRow() >= 0) addElement(kind, list->currentRow());
    });
    addTab(list, title);
    return list;
}

void ElementPalette::refresh(const report::TSestavaTyp& report) {
    const int parameterCount =
        std::max(kParametersOffered, static_cast<int>(report.parametry.size()));
    if (parameters_->count() != parameterCount) {
        parameters_->clear();
        for (int i = 0; i < parameterCount; ++i)
            parameters_->addItem(QStringLiteral("Parametr %1").arg(i + 1));
    }
    const int row = functions_->currentRow();
    functions_->clear();
    for (int i = 0; i < report.functions().count(); ++i)
        functions_->addItem(fromEngine(report.functions().item(i)->name()));
    if (row >= 0 && row < functions_->count()) functions_->setCurrentRow(row);
}

int ElementPalette::currentFunction() const {
    return functions_->currentRow();
}

} // namespace vorlan::qt
