#pragma once
// The dialogs of DIALOGS beyond the file dialogs: TFontDialog, TColorDialog, TPrintDialog,
// TPrinterSetupDialog, TFindDialog and TReplaceDialog. Components without a window of their
// own; Execute shows the platform's dialog on the desktop. A headless run cannot ask anybody:
// the answerer notes the dialog on its log and Execute answers False, as for a user who cancels.

#include "script/component.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/property_table.h"
#include "ui/qt/forms/string_list.h"

#include <QPointer>

#include <memory>
#include <span>
#include <string>
#include <vector>

class QDialog;

namespace vorlan::forms {

class FontObject;

class FontDialog : public script::Component {
public:
    explicit FontDialog(std::string className);
    ~FontDialog() override;
    // Font, Title.
    static const PropertyTable& propertyTable();
    bool execute();
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;

private:
    std::unique_ptr<FontObject> font_;
    std::string title_;
};

class ColorDialog : public script::Component {
public:
    explicit ColorDialog(std::string className);
    // Color ($00BBGGRR), Title.
    static const PropertyTable& propertyTable();
    bool execute();
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;

private:
    script::Value color_{0};
    std::string title_;
    // CustomColors: "ColorA=808022" lines a program keeps for the dialog.
    std::vector<std::string> customColors_;
    std::unique_ptr<StringList> customColorList_;
};

// TPrintDialog and TPrinterSetupDialog: the page range and copies a program offers and reads
// back; the printing itself goes through TPrinter as before.
class PrintDialog : public script::Component {
public:
    explicit PrintDialog(std::string className);
    // Copies, FromPage, ToPage, MinPage, MaxPage, Collate, PrintRange, Title.
    static const PropertyTable& propertyTable();
    bool execute();
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;

private:
    std::int32_t copies_ = 1, fromPage_ = 0, toPage_ = 0, minPage_ = 0, maxPage_ = 0;
    bool collate_ = false;
    std::int32_t printRange_ = 0; // prAllPages, prSelection, prPageNums
    std::string title_;
};

// TFindDialog and TReplaceDialog: a dialog that stays open beside the program's window and
// fires OnFind (Najít další) and OnReplace (Nahradit, Nahradit vše) with FindText, ReplaceText
// and Options (frDown, frMatchCase, frWholeWord, frFindNext, frReplace, frReplaceAll) set.
class FindDialog : public script::Component {
public:
    explicit FindDialog(std::string className);
    ~FindDialog() override;
    // FindText, ReplaceText, Options, Title.
    static const PropertyTable& propertyTable();
    bool execute();
    void closeDialog();
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;

    // What a press of one of the dialog's buttons does (the dialog's texts already read).
    void press(const char* action);

private:
    bool replace_;
    std::string findText_, replaceText_, options_ = "[frDown]", title_;
    QPointer<QDialog> dialog_;
};

// The names of the find dialogs' Options in the order of their constants (frDown = 0 ...).
std::span<const char* const> findOptionNames();

// The classes above, for the catalog.
std::span<const FormClass> commonDialogClasses();

} // namespace vorlan::forms
