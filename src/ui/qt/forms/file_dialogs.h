#pragma once
// TOpenDialog and TSaveDialog (and their picture variants): components without a window of their
// own; Execute asks the user for a file through the UI services (answered by the default in
// headless runs).

#include "script/component.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/property_table.h"
#include "ui/qt/forms/string_list.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vorlan::forms {

// What every dialog keeps as given and reads back, with no use on Linux: Ctl3D, HelpContext.
// The dialogs' own tables name it as their parent.
const PropertyTable& dialogPropertyTable();

class FileDialog : public script::Component {
public:
    explicit FileDialog(std::string className);
    ~FileDialog() override;
    // FileName, Filter, FilterIndex, InitialDir, Title, DefaultExt, Files, HistoryList.
    static const PropertyTable& propertyTable();
    // True when a file was chosen; FileName (and Files) then hold it. OnShow fires before the
    // user is asked, OnCanClose (Sender, var CanClose) once a file is chosen (False: as if
    // cancelled), OnClose after.
    bool execute();
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;

private:
    bool save_;
    std::string fileName_;
    std::string filter_;
    std::string initialDir_;
    std::string title_;
    std::string defaultExt_;
    std::int32_t filterIndex_ = 1;
    std::vector<std::string> history_;
    std::unique_ptr<StringList> files_;
    std::unique_ptr<StringList> historyList_;
};

// TCommonDialog, TOpenDialog, TSaveDialog, TOpenPictureDialog, TSavePictureDialog.
std::span<const FormClass> fileDialogClasses();

} // namespace vorlan::forms
