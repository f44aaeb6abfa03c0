#include "ui/qt/designer/dialog_support.h"

#include "core/ui_services.h"
#include "report/run/report_run.h"
#include "ui/qt/qt_text.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace vorlan::qt {

bool askYesNo(const std::string& text) {
    MessageBoxRequest request;
    request.caption = applicationTitle();
    request.text = text;
    request.icon = MessageIcon::Question;
    request.buttons = ButtonYes | ButtonNo;
    request.defaultButton = ButtonNo;
    return ui().messageBox(request) == MessageResult::Yes;
}

void tellInformation(const std::string& title, const std::string& text) {
    MessageBoxRequest request;
    request.caption = title;
    request.text = text;
    request.icon = MessageIcon::Information;
    ui().messageBox(request);
}

void tellError(const std::string& text) {
    MessageBoxRequest request;
    request.caption = applicationTitle();
    request.text = text;
    request.icon = MessageIcon::Error;
    ui().messageBox(request);
}

QSpinBox* numberBox(QWidget* parent, const char* objectName, int minimum, int maximum, int value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setRange(minimum, maximum);
    box->setValue(std::clamp(value, minimum, maximum));
    return box;
}

QCheckBox* flag(QWidget* parent, const char* text, const char* name, bool on) {
    auto* box = new QCheckBox(cz(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    return box;
}

std::vector<std::string> reportFieldNames(report::TSestavaTyp& report) {
    std::vector<std::string> names;
    report::RecordSource* records = report::recordsOf(report);
    for (int i = 0; i < report.fieldCount(); ++i)
        names.push_back(records ? records->fieldName(i) : std::string());
    return names;
}

QString referenceText(char prefix, int index, const std::string& name) {
    QString text = QLatin1Char(prefix) + QString::number(index + 1);
    if (!name.empty()) text += QLatin1Char(' ') + fromEngine(name);
    return text;
}

void addOkCancel(QDialog* dialog, QBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(cz("Storno"), dialog);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

} // namespace vorlan::qt
