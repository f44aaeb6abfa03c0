#include "ui/qt/designer/property_strip.h"
#include "ui/qt/qt_text.h"

#include "core/cp1250.h"
#include "report/model.h"
#include "ui/qt/designer/designer_document.h"
#include "ui/qt/windows_fonts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>

#include <algorithm>

namespace vorlan::qt {

namespace {

std::string engine(const QString& text) {
    return utf8ToCp1250(text.toStdString());
}

void fillColours(QComboBox* box) {
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t c = report::kReportColours[i];
        QPixmap swatch(12, 12);
        swatch.fill(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        box->addItem(QIcon(swatch), QString::number(i));
    }
}

enum Page { kTextPage = 0, kLinePage = 1, kFramePage = 2, kPicturePage = 3, kNoPage = 4 };

int pageOf(std::int32_t kind) {
    if (report::isTextKind(kind)) return kTextPage;
    if (kind == report::kKindLine) return kLinePage;
    if (kind == report::kKindPicture) return kPicturePage;
    if (report::isGraphicKind(kind)) return kFramePage;
    return kNoPage;
}

} // namespace

QToolButton* PropertyStrip::toggle(QWidget* parent, const char* name, const QString& caption,
                                   const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setToolTip(hint);
    b->setCheckable(true);
    b->setAutoRaise(true);
    return b;
}

PropertyStrip::PropertyStrip(DesignerDocument& document, QWidget* parent)
    : QWidget(parent), document_(document) {
    setObjectName(QStringLiteral("Vlastnosti"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);

    pages_ = new QStackedWidget(this);
    row->addWidget(pages_, 1);

    // Text elements.
    auto* textPage = new QWidget(pages_);
    auto* textRow = new QHBoxLayout(textPage);
    textRow->setContentsMargins(0, 0, 0, 0);
    textRow->addWidget(new QLabel(cz("Text:"), textPage));
    text_ = new QLineEdit(textPage);
    text_->setObjectName(QStringLiteral("EditText"));
    text_->setMaxLength(kMaxText);
    text_->setToolTip(cz("Text prvku (u proměnné její výraz)"));
    textRow->addWidget(text_, 1);
    connect(text_, &QLineEdit::editingFinished, this, [this] {
        const std::string text = engine(text_->text());
        change("textu", [&](report::TPrvekSestavy& e) {
            if (e.kind == report::kKindText || e.kind == report::kKindVariable ||
                e.kind == report::kKindPicture)
                e.text = text;
        });
    });
    auto* alignGroup = new QButtonGroup(this);
    static const char* const kAlign[] = {"Vlevo", "Vpravo", "Uprostřed"};
    static const char* const kAlignNames[] = {"AlignLeft", "AlignRight", "AlignCenter"};
    for (int i = 0; i < 3; ++i) {
        align_[i] = toggle(textPage, kAlignNames[i], cz(kAlign[i]), cz(kAlign[i]));
        alignGroup->addButton(align_[i], i);
        textRow->addWidget(align_[i]);
        connect(align_[i], &QToolButton::clicked, this, [this, i] {
            change("zarovnání",
                   [i](report::TPrvekSestavy& e) { e.alignment = static_cast<std::uint8_t>(i); });
        });
    }
    font_ = new QPushButton(cz("Písmo..."), textPage);
    font_->setObjectName(QStringLiteral("FontButton"));
    font_->setToolTip(cz("Písmo textu prvku"));
    connect(font_, &QPushButton::clicked, this, &PropertyStrip::chooseFont);
    textRow->addWidget(font_);
    static const char* const kSides[] = {"L", "H", "P", "D"};
    static const char* const kSideHints[] = {"Levá strana rámečku", "Horní strana rámečku",
                                             "Pravá strana rámečku", "Dolní strana rámečku"};
    static const char* const kSideNames[] = {"FrameLeft", "FrameTop", "FrameRight", "FrameBottom"};
    for (int i = 0; i < 4; ++i) {
        frame_[i] = toggle(textPage, kSideNames[i], cz(kSides[i]), cz(kSideHints[i]));
        textRow->addWidget(frame_[i]);
        const std::int32_t bit = 1 << i;
        connect(frame_[i], &QToolButton::toggled, this, [this, bit](bool on) {
            change("rámečku", [&](report::TPrvekSestavy& e) {
                e.lineFlags = on ? (e.lineFlags | bit) : (e.lineFlags & ~bit);
            });
        });
    }
    struct Flag {
        QCheckBox** box;
        const char* caption;
        std::int32_t bit;
    };
    for (const Flag& f : {Flag{&rtf_, "RTF", report::kTextRtf},
                          Flag{&justify_, "Zarovnávat do bloku", report::kTextJustify},
                          Flag{&variableHeight_, "Proměnná výška", report::kTextVariableHeight}}) {
        *f.box = new QCheckBox(cz(f.caption), textPage);
        textRow->addWidget(*f.box);
        const std::int32_t bit = f.bit;
        connect(*f.box, &QCheckBox::toggled, this, [this, bit](bool on) {
            change("vlastností textu", [&](report::TPrvekSestavy& e) {
                e.textFlags = on ? (e.textFlags | bit) : (e.textFlags & ~bit);
            });
        });
    }
    pages_->addWidget(textPage);

    // Lines.
    auto* linePage = new QWidget(pages_);
    auto* lineRow = new QHBoxLayout(linePage);
    lineRow->setContentsMargins(0, 0, 0, 0);
    lineRow->addWidget(new QLabel(cz("Šířka čáry:"), linePage));
    lineWidth_ = new QSpinBox(linePage);
    lineWidth_->setObjectName(QStringLiteral("LineWidth"));
    lineWidth_->setRange(1, 50);
    lineWidth_->setToolTip(cz("Šířka čáry"));
    lineRow->addWidget(lineWidth_);
    connect(lineWidth_, &QSpinBox::valueChanged, this, [this](int width) {
        change("šířky čáry", [&](report::TPrvekSestavy& e) {
            e.lineWidth = width;
            if (width > 1) e.lineStyle = 0;
        });
    });
    lineStyle_ = new QComboBox(linePage);
    lineStyle_->setObjectName(QStringLiteral("LineStyle"));
    lineStyle_->setToolTip(cz("Styl čáry (jen u čáry šířky 1)"));
    for (const char* s :
         {"Plná", "Čárkovaná", "Tečkovaná", "Čerchovaná", "Dvojitě čerchovaná", "Neviditelná"})
        lineStyle_->addItem(cz(s));
    lineRow->addWidget(lineStyle_);
    connect(lineStyle_, &QComboBox::activated, this, [this](int style) {
        change("stylu čáry",
               [&](report::TPrvekSestavy& e) { e.lineStyle = e.lineWidth == 1 ? style : 0; });
    });
    lineColour_ = new QComboBox(linePage);
    lineColour_->setObjectName(QStringLiteral("LineColour"));
    lineColour_->setToolTip(cz("Barva čáry"));
    fillColours(lineColour_);
    lineRow->addWidget(lineColour_);
    connect(lineColour_, &QComboBox::activated, this, [this](int index) {
        change("barvy čáry",
               [&](report::TPrvekSestavy& e) { e.lineColour = report::kReportColours[index]; });
    });
    static const char* const kLineCaptions[] = {"|<", "^", ">|", "_", "/", "\\", "O"};
    static const char* const kLineHints[] = {
        "Levá",  "Horní", "Pravá", "Dolní", "Úhlopříčka zdola nahoru", "Úhlopříčka shora dolů",
        "Elipsa"};
    for (int i = 0; i < 7; ++i) {
        const QByteArray name = "Line" + QByteArray::number(i);
        lineFlags_[i] = toggle(linePage, name.constData(), cz(kLineCaptions[i]), cz(kLineHints[i]));
        lineRow->addWidget(lineFlags_[i]);
        const std::int32_t bit = 1 << i;
        connect(lineFlags_[i], &QToolButton::toggled, this, [this, bit](bool on) {
            change("čar", [&](report::TPrvekSestavy& e) {
                e.lineFlags = on ? (e.lineFlags | bit) : (e.lineFlags & ~bit);
            });
        });
    }
    lineRow->addStretch();
    pages_->addWidget(linePage);

    // Frames: fill and border.
    auto* framePage = new QWidget(pages_);
    auto* frameRow = new QHBoxLayout(framePage);
    frameRow->setContentsMargins(0, 0, 0, 0);
    frameRow->addWidget(new QLabel(cz("Výplň:"), framePage));
    fillColour_ = new QComboBox(framePage);
    fillColour_->setObjectName(QStringLiteral("FillColour"));
    fillColour_->setToolTip(cz("Barva výplně"));
    fillColours(fillColour_);
    frameRow->addWidget(fillColour_);
    connect(fillColour_, &QComboBox::activated, this, [this](int index) {
        change("výplně",
               [&](report::TPrvekSestavy& e) { e.fillColour = report::kReportColours[index]; });
    });
    fillStyle_ = new QComboBox(framePage);
    fillStyle_->setObjectName(QStringLiteral("FillStyle"));
    fillStyle_->setToolTip(cz("Vzor výplně"));
    for (const char* s : {"Plná", "Průhledná", "Vodorovně", "Svisle", "Šikmo /", "Šikmo \\",
                          "Mřížka", "Šikmá mřížka"})
        fillStyle_->addItem(cz(s));
    frameRow->addWidget(fillStyle_);
    connect(fillStyle_, &QComboBox::activated, this, [this](int style) {
        change("výplně", [&](report::TPrvekSestavy& e) { e.fillStyle = style; });
    });
    frameRow->addWidget(new QLabel(cz("Okraj:"), framePage));
    // The border shares the line's width and colour controls' meaning, on this page's own.
    auto* borderColour = new QComboBox(framePage);
    borderColour->setObjectName(QStringLiteral("BorderColour"));
    borderColour->setToolTip(cz("Barva okraje"));
    fillColours(borderColour);
    frameRow->addWidget(borderColour);
    connect(borderColour, &QComboBox::activated, this, [this](int index) {
        change("barvy okraje",
               [&](report::TPrvekSestavy& e) { e.lineColour = report::kReportColours[index]; });
    });
    auto* borderWidth = new QSpinBox(framePage);
    borderWidth->setObjectName(QStringLiteral("BorderWidth"));
    borderWidth->setToolTip(cz("Šířka okraje"));
    borderWidth->setRange(1, 50);
    frameRow->addWidget(borderWidth);
    connect(borderWidth, &QSpinBox::valueChanged, this, [this](int width) {
        change("šířky okraje", [&](report::TPrvekSestavy& e) {
            e.lineWidth = width;
            if (width > 1) e.lineStyle = 0;
        });
    });
    frameRow->addStretch();
    pages_->addWidget(framePage);

    // Pictures.
    auto* picturePage = new QWidget(pages_);
    auto* pictureRow = new QHBoxLayout(picturePage);
    pictureRow->setContentsMargins(0, 0, 0, 0);
    pictureRow->addWidget(new QLabel(cz("Soubor:"), picturePage));
    pictureFile_ = new QLineEdit(picturePage);
    pictureFile_->setObjectName(QStringLiteral("PictureFile"));
    pictureFile_->setToolTip(cz("Soubor s obrázkem"));
    pictureFile_->setMaxLength(static_cast<int>(report::TPrvekSestavy::kMaxText));
    pictureRow->addWidget(pictureFile_, 1);
    connect(pictureFile_, &QLineEdit::editingFinished, this, [this] {
        const std::string name = engine(pictureFile_->text());
        change("obrázku", [&](report::TPrvekSestavy& e) {
            if (e.kind != report::kKindPicture) return;
            e.text = name;
            e.picturePath = document_.report().loadPicture(name) ? name : std::string();
        });
    });
    struct PictureFlag {
        QCheckBox** box;
        const char* caption;
        std::int32_t bit;
    };
    for (const PictureFlag& f :
         {PictureFlag{&stretch_, "Podle okna", report::kLineDiagonalUp},
          PictureFlag{&keepAspect_, "Zachovat poměr stran", report::kLineDiagonalDown}}) {
        *f.box = new QCheckBox(cz(f.caption), picturePage);
        pictureRow->addWidget(*f.box);
        const std::int32_t bit = f.bit;
        connect(*f.box, &QCheckBox::toggled, this, [this, bit](bool on) {
            change("obrázku", [&](report::TPrvekSestavy& e) {
                e.lineFlags = on ? (e.lineFlags | bit) : (e.lineFlags & ~bit);
            });
        });
    }
    pages_->addWidget(picturePage);
    pages_->addWidget(new QWidget(pages_));

    // Position and size.
    static const char* const kPositionNames[] = {"EditLeft", "EditTop", "EditWidth", "EditHeight"};
    static const char* const kPositionHints[] = {"Zleva", "Shora", "Šířka", "Výška"};
    for (int i = 0; i < 4; ++i) {
        position_[i] = new QLineEdit(this);
        position_[i]->setObjectName(QString::fromLatin1(kPositionNames[i]));
        position_[i]->setToolTip(cz(kPositionHints[i]));
        position_[i]->setValidator(new QIntValidator(-9999, 99999, position_[i]));
        position_[i]->setFixedWidth(52);
        connect(position_[i], &QLineEdit::returnPressed, this, &PropertyStrip::applyPosition);
        auto* label = new QLabel(cz(kPositionHints[i]) + u':', this);
        label->setBuddy(position_[i]);
        row->addWidget(label);
        row->addWidget(position_[i]);
    }
    refresh();
}

void PropertyStrip::change(const char* stepName,
                           const std::function<void(report::TPrvekSestavy&)>& apply) {
    if (loading_ || document_.selection().empty()) return;
    document_.beginChange(czech(stepName));
    for (report::TPrvekSestavy* e : document_.selection())
        apply(*e);
    document_.finishChange();
}

void PropertyStrip::applyPosition() {
    if (document_.selection().size() != 1) return;
    report::TPrvekSestavy& e = *document_.selection().front();
    auto value = [&](int i, std::int32_t fallback) {
        bool ok = false;
        const int v = position_[i]->text().toInt(&ok);
        return ok ? v : fallback;
    };
    document_.placeElement(e, value(0, e.left), value(1, e.top), value(2, e.width),
                           value(3, e.height));
}

void PropertyStrip::chooseFont() {
    if (document_.selection().empty()) return;
    const report::ReportFont current = document_.selection().front()->font;
    QFont font = windowsFont(fromEngine(current.name));
    font.setPointSize(std::max(1, current.size));
    font.setBold(current.style & report::kFontBold);
    font.setItalic(current.style & report::kFontItalic);
    font.setUnderline(current.style & report::kFontUnderline);
    font.setStrikeOut(current.style & report::kFontStrikeOut);
    const QString shownFamily = font.family();
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, this, QString::fromUtf8("Písmo"));
    if (!ok) return;
    // The template keeps the Windows name it had while the user stays with its substitute.
    const std::string name =
        chosen.family() == shownFamily ? current.name : engine(chosen.family());
    const std::int32_t style = (chosen.bold() ? report::kFontBold : 0) |
                               (chosen.italic() ? report::kFontItalic : 0) |
                               (chosen.underline() ? report::kFontUnderline : 0) |
                               (chosen.strikeOut() ? report::kFontStrikeOut : 0);
    change("písma", [&](report::TPrvekSestavy& e) {
        e.font.name = name;
        e.font.size = chosen.pointSize();
        e.font.style = style;
    });
}

void PropertyStrip::refresh() {
    loading_ = true;
    const std::vector<QSignalBlocker> blockers = [this] {
        std::vector<QSignalBlocker> b;
        for (QObject* o : findChildren<QObject*>())
            b.emplace_back(o);
        return b;
    }();
    const auto& selection = document_.selection();
    const report::TPrvekSestavy* e = selection.empty() ? nullptr : selection.front();
    setEnabled(e != nullptr);
    if (!e) {
        text_->clear();
        for (QLineEdit* p : position_)
            p->clear();
        pages_->setCurrentIndex(kTextPage);
        loading_ = false;
        return;
    }
    pages_->setCurrentIndex(pageOf(e->kind));
    text_->setText(fromEngine(e->text.substr(0, kMaxText)));
    text_->setReadOnly(!(e->kind == report::kKindText || e->kind == report::kKindVariable));
    for (int i = 0; i < 3; ++i)
        align_[i]->setChecked(e->alignment == i);
    for (int i = 0; i < 4; ++i)
        frame_[i]->setChecked(e->lineFlags & (1 << i));
    rtf_->setChecked(e->textFlags & report::kTextRtf);
    justify_->setChecked(e->textFlags & report::kTextJustify);
    variableHeight_->setChecked(e->textFlags & report::kTextVariableHeight);
    lineWidth_->setValue(e->lineWidth);
    lineStyle_->setCurrentIndex(std::clamp(e->lineStyle, 0, lineStyle_->count() - 1));
    lineColour_->setCurrentIndex(report::indexOfColour(e->lineColour));
    for (int i = 0; i < 7; ++i)
        lineFlags_[i]->setChecked(e->lineFlags & (1 << i));
    fillColour_->setCurrentIndex(report::indexOfColour(e->fillColour));
    fillStyle_->setCurrentIndex(std::clamp(e->fillStyle, 0, fillStyle_->count() - 1));
    if (auto* c = findChild<QComboBox*>(QStringLiteral("BorderColour")))
        c->setCurrentIndex(report::indexOfColour(e->lineColour));
    if (auto* s = findChild<QSpinBox*>(QStringLiteral("BorderWidth"))) s->setValue(e->lineWidth);
    pictureFile_->setText(fromEngine(e->text));
    stretch_->setChecked(e->lineFlags & report::kLineDiagonalUp);
    keepAspect_->setChecked(e->lineFlags & report::kLineDiagonalDown);
    const std::int32_t values[] = {e->left, e->top, e->width, e->height};
    for (int i = 0; i < 4; ++i)
        position_[i]->setText(QString::number(values[i]));
    loading_ = false;
}

} // namespace vorlan::qt
