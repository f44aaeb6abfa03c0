#include "ui/qt/about_box.h"

#include "core/ui_services.h"
#include "core/version.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlan::qt {

QString AboutBox::versionLine() {
    return QStringLiteral("Verze ") +
           QString::fromLatin1(kRuntimeVersion.data(), qsizetype(kRuntimeVersion.size()));
}

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("Informace o programu"));

    auto* layout = new QVBoxLayout(this);
    auto* product = new QLabel(QStringLiteral("FENWAR VORLAN (RunTime)"), this);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont big = product->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    product->setFont(big);
    auto* version = new QLabel(versionLine(), this);
    version->setObjectName(QStringLiteral("Version"));
    auto* maker =
        new QLabel(QStringLiteral("Běhové prostředí programů VORLAN pro Linux\n"
                                  "Připomínky a dotazy směřujte ke správci vašeho systému."),
                   this);
    maker->setObjectName(QStringLiteral("Maker"));
    for (QLabel* label : {product, version, maker}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(true);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void showAboutBox(QWidget* parent) {
    if (ui().headless()) return;
    AboutBox box(parent);
    box.exec();
}

} // namespace vorlan::qt
