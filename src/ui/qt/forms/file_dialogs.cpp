#include "ui/qt/forms/file_dialogs.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "ui/qt/forms/controls.h"

namespace vorlan::forms {

using script::Value;

namespace {

bool is(std::string_view a, std::string_view b) {
    return equalsNoCase(a, b);
}

} // namespace

FileDialog::FileDialog(std::string className)
    : script::Component(className), save_(is(className, "TSaveDialog")) {}

bool FileDialog::execute() {
    FileDialogRequest request;
    request.title = title_;
    request.filter = filter_;
    // The dialog starts at the file named last, else in the initial folder.
    request.initialPath = fileName_.empty() ? initialDir_ : fileName_;
    const auto chosen = save_ ? ui().saveFileDialog(request) : ui().openFileDialog(request);
    if (!chosen || chosen->empty()) return false;
    fileName_ = *chosen;
    // A name typed without an extension gets the default one.
    const std::size_t slash = fileName_.find_last_of("\\/");
    const std::size_t dot = fileName_.find_last_of('.');
    if (!defaultExt_.empty() &&
        (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
        fileName_ += (defaultExt_[0] == '.' ? "" : ".") + defaultExt_;
    return true;
}

bool FileDialog::getPublished(std::string_view name, Value& out) const {
    if (is(name, "FileName"))
        out = Value(fileName_);
    else if (is(name, "Filter"))
        out = Value(filter_);
    else if (is(name, "InitialDir"))
        out = Value(initialDir_);
    else if (is(name, "Title"))
        out = Value(title_);
    else if (is(name, "DefaultExt"))
        out = Value(defaultExt_);
    else if (is(name, "FilterIndex"))
        out = Value(filterIndex_);
    else
        return script::Component::getPublished(name, out);
    return true;
}

bool FileDialog::setPublished(std::string_view name, const Value& value) {
    if (is(name, "FileName"))
        fileName_ = value.toString();
    else if (is(name, "Filter"))
        filter_ = value.toString();
    else if (is(name, "InitialDir"))
        initialDir_ = value.toString();
    else if (is(name, "Title"))
        title_ = value.toString();
    else if (is(name, "DefaultExt"))
        defaultExt_ = value.toString();
    else if (is(name, "FilterIndex"))
        filterIndex_ = value.toInt();
    else
        return script::Component::setPublished(name, value);
    return true;
}

std::unique_ptr<script::Component> makeFileDialog(const std::string& className) {
    if (is(className, "TOpenDialog") || is(className, "TSaveDialog"))
        return std::make_unique<FileDialog>(className);
    return nullptr;
}

} // namespace vorlan::forms
