#include "ui/qt/designer/font_page.h"

#include "ui/qt/designer/dialog_support.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/windows_fonts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace vorlan::qt {

namespace {

// The names templates of this system use; any other name may be typed in.
constexpr std::array kFontNames{
    "Arial CE",    "Arial",           "Times New Roman CE", "Times New Roman", "Courier New CE",
    "Courier New", "Arial Narrow CE", "MS Sans Serif",      "MS Serif",        "Tahoma",
    "Verdana",     "Lucida Console",
};

constexpr std::array kColourNames{
    "Černá",       "Tmavě červená", "Tmavě zelená", "Olivová", "Tmavě modrá", "Fialová",
    "Modrozelená", "Šedá",          "Stříbrná",     "Červená", "Zelená",      "Žlutá",
    "Modrá",       "Purpurová",     "Azurová",      "Bílá",
};

QColor colourOf(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QCheckBox* styleCheck(QWidget* parent, const char* text, const char* name, bool on) {
    auto* box = new QCheckBox(cz(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    return box;
}

} // namespace

QString reportColourName(int index) {
    return index >= 0 && index < 16 ? cz(kColourNames[static_cast<std::size_t>(index)]) : QString();
}

QComboBox* reportColourBox(QWidget* parent, const char* objectName, std::uint32_t colour) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    for (int i = 0; i < 16; ++i) {
        QPixmap swatch(14, 14);
        swatch.fill(colourOf(report::kReportColours[i]));
        box->addItem(QIcon(swatch), reportColourName(i));
    }
    box->setCurrentIndex(report::indexOfColour(colour));
    return box;
}

std::uint32_t reportColourOf(const QComboBox* box) {
    return report::kReportColours[std::clamp(box->currentIndex(), 0, 15)];
}

FontPage::FontPage(const report::ReportFont& font, QWidget* parent) : QWidget(parent) {
    auto* form = new QFormLayout(this);
    name_ = new QComboBox(this);
    name_->setObjectName(QStringLiteral("FontName"));
    name_->setEditable(true);
    for (const char* n : kFontNames)
        name_->addItem(QString::fromLatin1(n));
    const QString written = fromEngine(font.name);
    if (name_->findText(written) < 0) name_->addItem(written);
    name_->setCurrentText(written);
    form->addRow(cz("&Písmo:"), name_);

    size_ = numberBox(this, "FontSize", 1, 999, font.size);
    form->addRow(cz("&Velikost:"), size_);

    auto* styles = new QHBoxLayout;
    bold_ = styleCheck(this, "&Tučné", "FontBold", font.style & report::kFontBold);
    italic_ = styleCheck(this, "&Kurzíva", "FontItalic", font.style & report::kFontItalic);
    underline_ =
        styleCheck(this, "Po&dtržené", "FontUnderline", font.style & report::kFontUnderline);
    strikeOut_ =
        styleCheck(this, "Př&eškrtnuté", "FontStrikeOut", font.style & report::kFontStrikeOut);
    for (QCheckBox* box : {bold_, italic_, underline_, strikeOut_})
        styles->addWidget(box);
    form->addRow(cz("Řez:"), styles);

    colour_ = reportColourBox(this, "FontColour", font.colour);
    form->addRow(cz("&Barva:"), colour_);

    charset_ = numberBox(this, "FontCharset", 0, 255, font.charset);
    form->addRow(cz("&Znaková sada:"), charset_);

    sample_ = new QLabel(cz("Příliš žluťoučký kůň AaBbYyZz"), this);
    sample_->setObjectName(QStringLiteral("FontSample"));
    sample_->setMinimumHeight(48);
    sample_->setFrameShape(QFrame::StyledPanel);
    form->addRow(cz("Ukázka:"), sample_);

    connect(name_, &QComboBox::currentTextChanged, this, &FontPage::updateSample);
    connect(size_, &QSpinBox::valueChanged, this, &FontPage::updateSample);
    connect(colour_, &QComboBox::currentIndexChanged, this, &FontPage::updateSample);
    for (QCheckBox* box : {bold_, italic_, underline_, strikeOut_})
        connect(box, &QCheckBox::toggled, this, &FontPage::updateSample);
    updateSample();
}

report::ReportFont FontPage::font() const {
    report::ReportFont font;
    font.name = toEngine(name_->currentText().trimmed());
    font.size = size_->value();
    font.colour = reportColourOf(colour_);
    font.style = (bold_->isChecked() ? report::kFontBold : 0) |
                 (italic_->isChecked() ? report::kFontItalic : 0) |
                 (underline_->isChecked() ? report::kFontUnderline : 0) |
                 (strikeOut_->isChecked() ? report::kFontStrikeOut : 0);
    font.charset = charset_->value();
    return font;
}

void FontPage::updateSample() {
    const report::ReportFont f = font();
    QFont shown = windowsFont(fromEngine(f.name));
    shown.setPointSize(std::min(f.size, 36));
    shown.setBold(f.style & report::kFontBold);
    shown.setItalic(f.style & report::kFontItalic);
    shown.setUnderline(f.style & report::kFontUnderline);
    shown.setStrikeOut(f.style & report::kFontStrikeOut);
    sample_->setFont(shown);
    QPalette palette = sample_->palette();
    palette.setColor(QPalette::WindowText, colourOf(f.colour));
    sample_->setPalette(palette);
}

} // namespace vorlan::qt
