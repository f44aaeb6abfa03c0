#include "ui/qt/forms/common_dialogs.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "ui/qt/forms/file_dialogs.h"
#include "ui/qt/forms/font_object.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlan::forms {

using script::Value;

namespace {

const FormClass kCommonDialogsClasses[] = {
    {"TFontDialog",
     "TCommonDialog",
     create<FontDialog>,
     {},
     false,
     "",
     "Device=fdScreen MaxFontSize=0 MinFontSize=0 Options=[fdEffects]"},
    {"TColorDialog", "TCommonDialog", create<ColorDialog>, {}, false, "", "Options=[]"},
    {"TPrintDialog",
     "TCommonDialog",
     create<PrintDialog>,
     {},
     false,
     "",
     "Options=[] PrintToFile=False"},
    {"TPrinterSetupDialog", "TCommonDialog", create<PrintDialog>},
    // Where the dialog stands is the desktop's choice here; Left and Top are kept as given.
    {"TFindDialog", "TCommonDialog", create<FindDialog>, {}, false, "OnFind", "Left=-1 Top=-1"},
    {"TReplaceDialog", "TFindDialog", create<FindDialog>, {}, false, "OnReplace"},
};

constexpr const char* kFindOptions[] = {
    "frDown",       "frFindNext",         "frHideMatchCase", "frHideWholeWord",    "frHideUpDown",
    "frMatchCase",  "frDisableMatchCase", "frDisableUpDown", "frDisableWholeWord", "frReplace",
    "frReplaceAll", "frWholeWord",        "frShowHelp"};

// Whether the dialog can be shown; a headless run notes it the way the answerer notes the file
// dialogs and answers as a user who cancels.
bool canAsk(const char* kind, const std::string& title, const char* defaultTitle) {
    if (!ui().headless()) return true;
    ui().noteUnshownDialog(kind, title.empty() ? czech(defaultTitle) : title);
    return false;
}

QString titleOf(const std::string& title, const char* defaultTitle) {
    return title.empty() ? QString::fromUtf8(defaultTitle) : qt::fromEngine(title);
}

// A Pascal set of names as the stored text "[a,b]".
std::string setText(const std::vector<std::string>& names) {
    std::string text = "[";
    for (const auto& n : names)
        text += (text.size() > 1 ? "," : "") + n;
    return text + "]";
}

} // namespace

std::span<const char* const> findOptionNames() {
    return kFindOptions;
}

std::span<const FormClass> commonDialogClasses() {
    return kCommonDialogsClasses;
}

// ---- font

FontDialog::FontDialog(std::string className)
    : script::Component(std::move(className)), font_(std::make_unique<FontObject>(nullptr)) {}

FontDialog::~FontDialog() = default;

const PropertyTable& FontDialog::propertyTable() {
    static const auto table = PropertyTable::of<FontDialog>(
        &dialogPropertyTable(),
        {
            {"Font", subObject, [](const FontDialog& d) { return d.font_.get(); }},
            {"Title", &FontDialog::title_, &FontDialog::title_},
        });
    return table;
}

bool FontDialog::execute() {
    if (!canAsk("font", title_, "Písmo")) return false;
    QFont initial = QApplication::font();
    font_->applyTo(initial);
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, initial, QApplication::activeWindow(), titleOf(title_, "Písmo"));
    if (!ok) return false;
    const PropertyTable& t = FontObject::propertyTable();
    t.set(*font_, "Name", Value(qt::toEngine(chosen.family())));
    t.set(*font_, "Size", Value(static_cast<std::int32_t>(chosen.pointSize())));
    std::vector<std::string> styles;
    if (chosen.bold()) styles.emplace_back("fsBold");
    if (chosen.italic()) styles.emplace_back("fsItalic");
    if (chosen.underline()) styles.emplace_back("fsUnderline");
    if (chosen.strikeOut()) styles.emplace_back("fsStrikeOut");
    t.set(*font_, "Style", Value(setText(styles)));
    return true;
}

bool FontDialog::getPublished(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out) || script::Component::getPublished(name, out) ||
           classKeeps(className(), name, &out);
}

bool FontDialog::setPublished(std::string_view name, const Value& value) {
    return propertyTable().set(*this, name, value) || script::Component::setPublished(name, value);
}

// ---- colour

ColorDialog::ColorDialog(std::string className)
    : script::Component(std::move(className)),
      customColorList_(std::make_unique<StringList>(StringList::Access{
          [this] { return customColors_; },
          [this](const std::vector<std::string>& lines) { customColors_ = lines; }})) {}

const PropertyTable& ColorDialog::propertyTable() {
    static const auto table = PropertyTable::of<ColorDialog>(
        &dialogPropertyTable(),
        {
            {"Color", &ColorDialog::color_, &ColorDialog::color_},
            {"Title", &ColorDialog::title_, &ColorDialog::title_},
            {"CustomColors", [](const ColorDialog& d) { return d.customColorList_.get(); },
             [](ColorDialog& d, const Value& v) { d.customColorList_->setLines(linesOfValue(v)); }},
        });
    return table;
}

bool ColorDialog::execute() {
    if (!canAsk("color", title_, "Barva")) return false;
    const QColor chosen = QColorDialog::getColor(
        qtColorOf(color_, Qt::black), QApplication::activeWindow(), titleOf(title_, "Barva"));
    if (!chosen.isValid()) return false;
    // Colours are kept as forms store them: $00BBGGRR.
    color_ = Value(static_cast<std::int32_t>(static_cast<unsigned>(chosen.red()) |
                                             static_cast<unsigned>(chosen.green()) << 8 |
                                             static_cast<unsigned>(chosen.blue()) << 16));
    return true;
}

bool ColorDialog::getPublished(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out) || script::Component::getPublished(name, out) ||
           classKeeps(className(), name, &out);
}

bool ColorDialog::setPublished(std::string_view name, const Value& value) {
    return propertyTable().set(*this, name, value) || script::Component::setPublished(name, value);
}

// ---- printing

PrintDialog::PrintDialog(std::string className) : script::Component(std::move(className)) {}

const PropertyTable& PrintDialog::propertyTable() {
    static const auto table = PropertyTable::of<PrintDialog>(
        &dialogPropertyTable(),
        {
            {"Copies", &PrintDialog::copies_, &PrintDialog::copies_},
            {"FromPage", &PrintDialog::fromPage_, &PrintDialog::fromPage_},
            {"ToPage", &PrintDialog::toPage_, &PrintDialog::toPage_},
            {"MinPage", &PrintDialog::minPage_, &PrintDialog::minPage_},
            {"MaxPage", &PrintDialog::maxPage_, &PrintDialog::maxPage_},
            {"Collate", &PrintDialog::collate_, &PrintDialog::collate_},
            {"PrintRange", &PrintDialog::printRange_, &PrintDialog::printRange_},
            {"Title", &PrintDialog::title_, &PrintDialog::title_},
        });
    return table;
}

bool PrintDialog::execute() {
    const bool setup = equalsNoCase(className(), "TPrinterSetupDialog");
    const char* defaultTitle = setup ? "Nastavení tiskárny" : "Tisk";
    if (!canAsk("print", title_, defaultTitle)) return false;
    QPrinter printer;
    printer.setCopyCount(std::max(1, copies_));
    printer.setCollateCopies(collate_);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(titleOf(title_, defaultTitle));
    if (!setup && maxPage_ > 0) {
        dialog.setMinMax(std::max(1, minPage_), maxPage_);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange);
        if (fromPage_ > 0) printer.setFromTo(fromPage_, std::max(fromPage_, toPage_));
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    copies_ = printer.copyCount();
    collate_ = printer.collateCopies();
    if (printer.printRange() == QPrinter::PageRange) {
        printRange_ = 2;
        fromPage_ = printer.fromPage();
        toPage_ = printer.toPage();
    } else {
        printRange_ = printer.printRange() == QPrinter::Selection ? 1 : 0;
    }
    return true;
}

bool PrintDialog::getPublished(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out) || script::Component::getPublished(name, out) ||
           classKeeps(className(), name, &out);
}

bool PrintDialog::setPublished(std::string_view name, const Value& value) {
    return propertyTable().set(*this, name, value) || script::Component::setPublished(name, value);
}

// ---- find and replace

FindDialog::FindDialog(std::string className)
    : script::Component(className), replace_(equalsNoCase(className, "TReplaceDialog")) {}

FindDialog::~FindDialog() {
    closeDialog();
}

const PropertyTable& FindDialog::propertyTable() {
    static const auto table = PropertyTable::of<FindDialog>(
        &dialogPropertyTable(),
        {
            {"FindText", &FindDialog::findText_, &FindDialog::findText_},
            {"ReplaceText", &FindDialog::replaceText_, &FindDialog::replaceText_},
            {"Options", &FindDialog::options_,
             [](FindDialog& d, const Value& v) {
                 d.options_ = setText(setNames(v, kFindOptions));
             }},
            {"Title", &FindDialog::title_, &FindDialog::title_},
        });
    return table;
}

void FindDialog::press(const char* action) {
    std::vector<std::string> options;
    for (const auto& o : setNames(Value(options_)))
        if (!equalsNoCase(o, "frFindNext") && !equalsNoCase(o, "frReplace") &&
            !equalsNoCase(o, "frReplaceAll"))
            options.push_back(o);
    options.emplace_back(action);
    options_ = setText(options);
    fireNotify(equalsNoCase(action, "frFindNext") ? "OnFind" : "OnReplace");
}

bool FindDialog::execute() {
    const char* defaultTitle = replace_ ? "Nahradit" : "Najít";
    if (!canAsk(replace_ ? "replace" : "find", title_, defaultTitle)) return false;
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return true;
    }
    auto* dialog = new QDialog(QApplication::activeWindow());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(titleOf(title_, defaultTitle));
    auto* layout = new QVBoxLayout(dialog);
    auto* fields = new QFormLayout;
    auto* find = new QLineEdit(qt::fromEngine(findText_));
    fields->addRow(QStringLiteral("Najít:"), find);
    QLineEdit* with = nullptr;
    if (replace_) {
        with = new QLineEdit(qt::fromEngine(replaceText_));
        fields->addRow(QStringLiteral("Nahradit čím:"), with);
    }
    layout->addLayout(fields);
    const auto flags = setNames(Value(options_));
    auto* matchCase = new QCheckBox(QStringLiteral("Rozlišovat velikost písmen"));
    matchCase->setChecked(hasName(flags, "frMatchCase"));
    auto* wholeWord = new QCheckBox(QStringLiteral("Jen celá slova"));
    wholeWord->setChecked(hasName(flags, "frWholeWord"));
    layout->addWidget(matchCase);
    layout->addWidget(wholeWord);
    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    const auto readTexts = [this, find, with, matchCase, wholeWord] {
        findText_ = qt::toEngine(find->text());
        if (with) replaceText_ = qt::toEngine(with->text());
        std::vector<std::string> options;
        for (const auto& o : setNames(Value(options_)))
            if (!equalsNoCase(o, "frMatchCase") && !equalsNoCase(o, "frWholeWord"))
                options.push_back(o);
        if (matchCase->isChecked()) options.emplace_back("frMatchCase");
        if (wholeWord->isChecked()) options.emplace_back("frWholeWord");
        options_ = setText(options);
    };
    const auto addButton = [&](const char* caption, const char* action) {
        auto* b = new QPushButton(QString::fromUtf8(caption));
        buttons->addWidget(b);
        QObject::connect(b, &QPushButton::clicked, dialog, [this, readTexts, action] {
            readTexts();
            press(action);
        });
    };
    addButton("Najít další", "frFindNext");
    if (replace_) {
        addButton("Nahradit", "frReplace");
        addButton("Nahradit vše", "frReplaceAll");
    }
    auto* close = new QPushButton(QStringLiteral("Zavřít"));
    buttons->addWidget(close);
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    dialog_ = dialog;
    dialog->show();
    return true;
}

void FindDialog::closeDialog() {
    if (dialog_) dialog_->close();
}

bool FindDialog::getPublished(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out) || script::Component::getPublished(name, out) ||
           classKeeps(className(), name, &out);
}

bool FindDialog::setPublished(std::string_view name, const Value& value) {
    return propertyTable().set(*this, name, value) || script::Component::setPublished(name, value);
}

} // namespace vorlan::forms
