#include "ui/qt/designer/element_dialog.h"

#include "report/run/report_run.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/dialog_support.h"
#include "ui/qt/designer/font_page.h"
#include "ui/qt/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlan::qt {

namespace {

constexpr int kMaxPosition = 100000;
constexpr int kFrameBits[] = {report::kLineLeft, report::kLineTop, report::kLineRight,
                              report::kLineBottom};

bool refersByName(int kind) {
    return kind == report::kKindField || kind == report::kKindFieldTitle ||
           kind == report::kKindFunction;
}

bool hasText(int kind) {
    return kind == report::kKindText || kind == report::kKindVariable ||
           kind == report::kKindPicture;
}

QCheckBox* check(QWidget* parent, const char* text, const char* name, bool on) {
    auto* box = new QCheckBox(cz(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    return box;
}

} // namespace

ElementDialog::ElementDialog(report::TSestavaTyp& report, const report::TPrvekSestavy& e,
                             QWidget* parent)
    : QDialog(parent), report_(report), fieldNames_(reportFieldNames(report)),
      originalKind_(e.kind) {
    setObjectName(QStringLiteral("ElementDialog"));
    setWindowTitle(cz("Nastavení vlastností prvku"));
    auto* layout = new QVBoxLayout(this);
    auto* pages = new QTabWidget(this);
    layout->addWidget(pages);
    auto* page = new QWidget(pages);
    auto* pageLayout = new QGridLayout(page);

    auto* place = new QGroupBox(cz("Poloha a rozměr"), page);
    auto* placeForm = new QFormLayout(place);
    left_ = numberBox(place, "Left", -kMaxPosition, kMaxPosition, e.left);
    top_ = numberBox(place, "Top", -kMaxPosition, kMaxPosition, e.top);
    width_ = numberBox(place, "Width", 0, kMaxPosition, e.width);
    height_ = numberBox(place, "Height", 0, kMaxPosition, e.height);
    placeForm->addRow(cz("Zleva:"), left_);
    placeForm->addRow(cz("Shora:"), top_);
    placeForm->addRow(cz("Šířka:"), width_);
    placeForm->addRow(cz("Výška:"), height_);
    pageLayout->addWidget(place, 0, 0);

    auto* kindGroup = new QGroupBox(cz("Prvek"), page);
    auto* kindForm = new QFormLayout(kindGroup);
    kind_ = new QComboBox(kindGroup);
    kind_->setObjectName(QStringLiteral("Kind"));
    // A text element may become another text element, a graphic one another graphic one.
    const bool text = report::isTextKind(e.kind);
    const bool graphic = report::isGraphicKind(e.kind);
    const int first = text ? report::kKindText : graphic ? report::kKindLine : e.kind;
    const int last = text ? report::kKindFunction : graphic ? report::kKindPicture : e.kind;
    for (int k = first; k <= last; ++k)
        kind_->addItem(fromEngine(report::elementKindName(k)), k);
    kind_->setCurrentIndex(kind_->findData(e.kind));
    kindForm->addRow(cz("Druh:"), kind_);
    index_ = new QComboBox(kindGroup);
    index_->setObjectName(QStringLiteral("Index"));
    kindForm->addRow(cz("Index:"), index_);
    auto* follow = new QHBoxLayout;
    byNumber_ = new QRadioButton(cz("Pořadového čísla"), kindGroup);
    byNumber_->setObjectName(QStringLiteral("ByNumber"));
    byName_ = new QRadioButton(cz("Názvu položky"), kindGroup);
    byName_->setObjectName(QStringLiteral("ByName"));
    (e.name.empty() ? byNumber_ : byName_)->setChecked(true);
    follow->addWidget(byNumber_);
    follow->addWidget(byName_);
    kindForm->addRow(cz("Sledovat podle:"), follow);
    text_ = new QLineEdit(fromEngine(e.text), kindGroup);
    text_->setObjectName(QStringLiteral("Text"));
    text_->setMaxLength(static_cast<int>(report::TPrvekSestavy::kMaxText));
    kindForm->addRow(cz("Text:"), text_);
    alignment_ = new QComboBox(kindGroup);
    alignment_->setObjectName(QStringLiteral("Alignment"));
    alignment_->addItems({cz("Vlevo"), cz("Vpravo"), cz("Uprostřed")});
    alignment_->setCurrentIndex(e.alignment <= report::kAlignCenter ? e.alignment : 0);
    kindForm->addRow(cz("Zarovnání:"), alignment_);
    charSpacing_ = numberBox(kindGroup, "CharSpacing", -1000, 1000, e.charSpacing);
    kindForm->addRow(cz("Rozteč znaků:"), charSpacing_);
    pageLayout->addWidget(kindGroup, 0, 1);

    auto* properties = new QGroupBox(cz("Vlastnosti"), page);
    auto* propertyLayout = new QVBoxLayout(properties);
    wordWrap_ =
        check(properties, "Přetahovat slova", "WordWrap", e.textFlags & report::kTextWordWrap);
    justify_ =
        check(properties, "Zarovnat do bloku", "Justify", e.textFlags & report::kTextJustify);
    variableHeight_ = check(properties, "Proměnná výška", "VariableHeight",
                            e.textFlags & report::kTextVariableHeight);
    rtf_ = check(properties, "RTF formát textu", "Rtf", e.textFlags & report::kTextRtf);
    stretch_ = check(properties, "Velikost podle okna", "StretchPicture",
                     e.lineFlags & report::kLineDiagonalUp);
    keepAspect_ = check(properties, "Zachovat poměr stran", "KeepAspect",
                        e.lineFlags & report::kLineDiagonalDown);
    for (QCheckBox* box : {wordWrap_, justify_, variableHeight_, rtf_, stretch_, keepAspect_})
        propertyLayout->addWidget(box);
    function_ = new QPushButton(cz("&Funkce ..."), properties);
    function_->setObjectName(QStringLiteral("EditFunction"));
    propertyLayout->addWidget(function_);
    pageLayout->addWidget(properties, 1, 0);

    auto* frame = new QGroupBox(cz("Rámeček"), page);
    auto* frameRow = new QHBoxLayout(frame);
    const char* sideNames[] = {"Vlevo", "Nahoře", "Vpravo", "Dole"};
    const char* sideObjects[] = {"FrameLeft", "FrameTop", "FrameRight", "FrameBottom"};
    for (int i = 0; i < 4; ++i) {
        auto* side = check(frame, sideNames[i], sideObjects[i], e.lineFlags & kFrameBits[i]);
        frame_.push_back(side);
        frameRow->addWidget(side);
    }
    pageLayout->addWidget(frame, 1, 1, Qt::AlignTop);

    // Graphic elements: the pen, the fill and the shapes beyond the four sides.
    lines_ = new QGroupBox(cz("Čára a výplň"), page);
    auto* lineForm = new QFormLayout(lines_);
    lineWidth_ = numberBox(lines_, "LineWidth", 1, 100, e.lineWidth);
    lineForm->addRow(cz("Šířka čáry:"), lineWidth_);
    lineStyle_ = new QComboBox(lines_);
    lineStyle_->setObjectName(QStringLiteral("LineStyle"));
    lineStyle_->addItems({cz("Plná"), cz("Čárkovaná"), cz("Tečkovaná"), cz("Čerchovaná"),
                          cz("Dvojitě čerchovaná"), cz("Žádná")});
    lineStyle_->setCurrentIndex(std::clamp(e.lineStyle, 0, 5));
    lineForm->addRow(cz("Styl čáry:"), lineStyle_);
    lineColour_ = reportColourBox(lines_, "LineColour", e.lineColour);
    lineForm->addRow(cz("Barva čáry:"), lineColour_);
    fillColour_ = reportColourBox(lines_, "FillColour", e.fillColour);
    lineForm->addRow(cz("Barva výplně:"), fillColour_);
    fillStyle_ = new QComboBox(lines_);
    fillStyle_->setObjectName(QStringLiteral("FillStyle"));
    fillStyle_->addItems({cz("Plná"), cz("Bez výplně"), cz("Vodorovné šrafy"), cz("Svislé šrafy"),
                          cz("Šikmé šrafy zleva"), cz("Šikmé šrafy zprava"), cz("Mřížka"),
                          cz("Šikmá mřížka")});
    fillStyle_->setCurrentIndex(std::clamp(e.fillStyle, 0, 7));
    lineForm->addRow(cz("Styl výplně:"), fillStyle_);
    const char* shapeNames[] = {"Úhlopříčka zdola nahoru", "Úhlopříčka shora dolů", "Elipsa"};
    const char* shapeObjects[] = {"LineDiagonalUp", "LineDiagonalDown", "LineEllipse"};
    const std::int32_t shapeBits[] = {report::kLineDiagonalUp, report::kLineDiagonalDown,
                                      report::kLineEllipse};
    for (int i = 0; i < 3; ++i) {
        auto* shape = check(lines_, shapeNames[i], shapeObjects[i], e.lineFlags & shapeBits[i]);
        lineShapes_.push_back(shape);
        lineForm->addRow(shape);
    }
    // A picture uses the diagonal bits for its sizing.
    const bool pictureElement = e.kind == report::kKindPicture;
    lineShapes_[0]->setVisible(!pictureElement);
    lineShapes_[1]->setVisible(!pictureElement);
    lines_->setVisible(graphic);
    pageLayout->addWidget(lines_, 2, 1, Qt::AlignTop);
    pageLayout->setRowStretch(3, 1);
    pages->addTab(page, cz("Prvek"));

    font_ = new FontPage(e.font, pages);
    pages->addTab(font_, cz("Písmo"));
    font_->setEnabled(text);
    alignment_->setEnabled(text);
    charSpacing_->setEnabled(text);

    fillIndexes(e.kind, e.parameter);
    showProperties();
    connect(kind_, &QComboBox::currentIndexChanged, this, &ElementDialog::kindChanged);
    connect(index_, &QComboBox::currentIndexChanged, this, &ElementDialog::showProperties);
    connect(function_, &QPushButton::clicked, this, &ElementDialog::editFunction);
    addOkCancel(this, layout);
}

int ElementDialog::currentKind() const {
    return kind_->currentData().toInt();
}

void ElementDialog::kindChanged() {
    fillIndexes(currentKind(), 0);
    showProperties();
}

void ElementDialog::fillIndexes(int kind, int select) {
    index_->blockSignals(true);
    index_->clear();
    switch (kind) {
    case report::kKindField:
    case report::kKindFieldTitle: {
        const int count = std::max({static_cast<int>(fieldNames_.size()), select + 1, 1});
        for (int i = 0; i < count; ++i)
            index_->addItem(referenceText('#', i,
                                          i < static_cast<int>(fieldNames_.size())
                                              ? fieldNames_[static_cast<std::size_t>(i)]
                                              : ""));
        break;
    }
    case report::kKindParameter: {
        const int count = std::max({static_cast<int>(report_.parametry.size()), select + 1, 1});
        for (int i = 0; i < count; ++i)
            index_->addItem(QLatin1Char('&') + QString::number(i + 1) + QLatin1Char(' ') +
                            cz("Parametr ") + QString::number(i + 1));
        break;
    }
    case report::kKindVariable:
        for (int i = report::kVarPrintDate; i <= report::kVarGroupNumber; ++i)
            index_->addItem(fromEngine(report::variableName(i)));
        break;
    case report::kKindFunction: {
        const int count = std::max(report_.functions().count(), select + 1);
        for (int i = 0; i < count; ++i) {
            const report::TRadekFunkce* f = report_.functions().item(i);
            index_->addItem(referenceText('@', i, f ? f->name() : std::string()));
        }
        break;
    }
    default:
        break;
    }
    index_->setCurrentIndex(std::clamp(select, 0, std::max(0, index_->count() - 1)));
    index_->setEnabled(index_->count() > 0);
    index_->blockSignals(false);
    const bool named = refersByName(kind);
    byNumber_->setEnabled(named);
    byName_->setEnabled(named);
    text_->setEnabled(hasText(kind));
}

void ElementDialog::showProperties() {
    const int kind = currentKind();
    std::int32_t type = report::kFtString;
    if (kind == report::kKindField)
        if (const report::RecordSource* records = report::recordsOf(report_))
            if (index_->currentIndex() < records->fieldCount())
                type = records->fieldType(index_->currentIndex());
    const bool memo =
        kind == report::kKindField && (type == report::kFtMemo || type == report::kFtFmtMemo);
    const bool picture =
        kind == report::kKindPicture || (kind == report::kKindField && type == report::kFtGraphic);
    const bool wraps = !picture && (kind == report::kKindText || kind == report::kKindField);
    wordWrap_->setVisible(wraps);
    justify_->setVisible(memo);
    variableHeight_->setVisible(memo);
    rtf_->setVisible(memo);
    stretch_->setVisible(picture);
    keepAspect_->setVisible(picture);
    function_->setVisible(kind == report::kKindFunction);
}

void ElementDialog::editFunction() {
    const int index =
        kind_->currentData().toInt() == report::kKindFunction ? index_->currentIndex() : -1;
    if (!runFunctionDialog(this, report_, index)) return;
    fillIndexes(report::kKindFunction,
                index >= 0 ? index : std::max(0, report_.functions().count() - 1));
}

void ElementDialog::apply(report::TPrvekSestavy& e) const {
    e.left = left_->value();
    e.top = top_->value();
    e.width = width_->value();
    e.height = height_->value();
    const int kind = currentKind();
    e.kind = kind;
    if (index_->count() > 0) e.parameter = std::max(0, index_->currentIndex());
    if (kind >= report::kKindRectangle && kind <= report::kKindEllipse) e.parameter = kind;
    e.name.clear();
    if (refersByName(kind) && byName_->isChecked()) {
        const int i = e.parameter;
        if (kind == report::kKindFunction) {
            if (const report::TRadekFunkce* f = report_.functions().item(i)) e.name = f->name();
        } else if (i < static_cast<int>(fieldNames_.size())) {
            e.name = fieldNames_[static_cast<std::size_t>(i)];
        }
        e.name = e.name.substr(0, report::TPrvekSestavy::kMaxName);
    }
    if (text_->isEnabled()) e.text = toEngine(text_->text());
    if (report::isTextKind(kind)) {
        e.alignment = static_cast<std::uint8_t>(std::max(0, alignment_->currentIndex()));
        e.charSpacing = charSpacing_->value();
        e.font = font_->font();
    }
    auto setBit = [this](std::int32_t& flags, std::int32_t bit, const QCheckBox* box) {
        if (!box->isVisibleTo(this)) return;
        flags = box->isChecked() ? flags | bit : flags & ~bit;
    };
    setBit(e.textFlags, report::kTextWordWrap, wordWrap_);
    setBit(e.textFlags, report::kTextJustify, justify_);
    setBit(e.textFlags, report::kTextVariableHeight, variableHeight_);
    setBit(e.textFlags, report::kTextRtf, rtf_);
    setBit(e.lineFlags, report::kLineDiagonalUp, stretch_);
    setBit(e.lineFlags, report::kLineDiagonalDown, keepAspect_);
    if (lines_->isVisibleTo(this)) {
        e.lineWidth = lineWidth_->value();
        // A wide pen only draws solid lines.
        e.lineStyle = e.lineWidth > 1 ? 0 : lineStyle_->currentIndex();
        e.lineColour = reportColourOf(lineColour_);
        e.fillColour = reportColourOf(fillColour_);
        e.fillStyle = fillStyle_->currentIndex();
        setBit(e.lineFlags, report::kLineDiagonalUp, lineShapes_[0]);
        setBit(e.lineFlags, report::kLineDiagonalDown, lineShapes_[1]);
        setBit(e.lineFlags, report::kLineEllipse, lineShapes_[2]);
    }
    for (int i = 0; i < 4; ++i)
        e.lineFlags = frame_[static_cast<std::size_t>(i)]->isChecked()
                          ? e.lineFlags | kFrameBits[i]
                          : e.lineFlags & ~kFrameBits[i];
}

bool runElementDialog(QWidget* parent, report::TSestavaTyp& report,
                      report::TPrvekSestavy& element) {
    ElementDialog dialog(report, element, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.apply(element);
    return true;
}

} // namespace vorlan::qt
