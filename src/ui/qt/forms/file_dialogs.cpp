#include "ui/qt/forms/file_dialogs.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "script/comp_wrapper.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/form_values.h"

namespace vorlan::forms {

using script::Value;

namespace {

const FormClass kFileDialogsClasses[] = {
    {"TCommonDialog", "TComponent"},
    {"TOpenDialog",
     "TCommonDialog",
     create<FileDialog>,
     {},
     false,
     "OnShow OnCanClose OnClose",
     "Options=[ofHideReadOnly,ofEnableSizing]"},
    {"TSaveDialog", "TOpenDialog", create<FileDialog>},
    // The picture dialogs of EXTDLGS ask for a file as the others do; on Linux there is no
    // preview pane to show beside the list.
    {"TOpenPictureDialog", "TOpenDialog", create<FileDialog>},
    {"TSavePictureDialog", "TSaveDialog", create<FileDialog>},
};

} // namespace

std::span<const FormClass> fileDialogClasses() {
    return kFileDialogsClasses;
}

FileDialog::FileDialog(std::string className)
    : script::Component(className), save_(equalsNoCase(className, "TSaveDialog") ||
                                          equalsNoCase(className, "TSavePictureDialog")),
      files_(std::make_unique<StringList>(
          StringList::Access{[this] {
                                 return fileName_.empty() ? std::vector<std::string>{}
                                                          : std::vector<std::string>{fileName_};
                             },
                             [](const std::vector<std::string>&) {}})),
      historyList_(std::make_unique<StringList>(StringList::Access{
          [this] { return history_; },
          [this](const std::vector<std::string>& lines) { history_ = lines; }})) {}

FileDialog::~FileDialog() = default;

bool FileDialog::execute() {
    FileDialogRequest request;
    request.title = title_;
    request.filter = filter_;
    // The dialog starts at the file named last, else in the initial folder.
    request.initialPath = fileName_.empty() ? initialDir_ : fileName_;
    const auto alive = aliveToken();
    fireNotify("OnShow");
    if (alive.expired()) return false;
    auto chosen = save_ ? ui().saveFileDialog(request) : ui().openFileDialog(request);
    if (alive.expired()) return false;
    if (chosen && !chosen->empty() && handlerOf("OnCanClose")) {
        Value args[2] = {Value(script::wrapObject(this)), Value(true)};
        fireEvent("OnCanClose", args);
        if (alive.expired()) return false;
        if (!args[1].toBool()) chosen.reset();
    }
    fireNotify("OnClose");
    if (alive.expired() || !chosen || chosen->empty()) return false;
    fileName_ = *chosen;
    // A name typed without an extension gets the default one.
    const std::size_t slash = fileName_.find_last_of("\\/");
    const std::size_t dot = fileName_.find_last_of('.');
    if (!defaultExt_.empty() &&
        (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
        fileName_ += (defaultExt_[0] == '.' ? "" : ".") + defaultExt_;
    return true;
}

const PropertyTable& dialogPropertyTable() {
    const auto kept = [](const char* name,
                         Value initial) -> PropertyTable::Property<script::Component> {
        return {name,
                [name, initial](const script::Component& d) {
                    Value v;
                    return d.script::Component::getPublished(name, v) ? v : initial;
                },
                [name](script::Component& d, const Value& v) {
                    d.script::Component::setPublished(name, v);
                }};
    };
    static const auto table = PropertyTable::of<script::Component>(
        nullptr, {kept("Ctl3D", Value(true)), kept("HelpContext", Value(0))});
    return table;
}

const PropertyTable& FileDialog::propertyTable() {
    static const auto table = PropertyTable::of<FileDialog>(
        &dialogPropertyTable(),
        {
            {"FileName", &FileDialog::fileName_, &FileDialog::fileName_},
            {"Filter", &FileDialog::filter_, &FileDialog::filter_},
            {"FilterIndex", &FileDialog::filterIndex_, &FileDialog::filterIndex_},
            {"InitialDir", &FileDialog::initialDir_, &FileDialog::initialDir_},
            {"Title", &FileDialog::title_, &FileDialog::title_},
            {"DefaultExt", &FileDialog::defaultExt_, &FileDialog::defaultExt_},
            // The file chosen last (one: the desktop's dialog here asks for one file).
            {"Files", [](const FileDialog& d) { return d.files_.get(); }},
            {"HistoryList", [](const FileDialog& d) { return d.historyList_.get(); },
             [](FileDialog& d, const Value& v) { d.historyList_->setLines(linesOfValue(v)); }},
        });
    return table;
}

bool FileDialog::getPublished(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out) || script::Component::getPublished(name, out) ||
           classKeeps(className(), name, &out);
}

bool FileDialog::setPublished(std::string_view name, const Value& value) {
    return propertyTable().set(*this, name, value) || script::Component::setPublished(name, value);
}

} // namespace vorlan::forms
