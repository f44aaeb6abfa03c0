#pragma once
// The file controls of forms: a list of the path mapper's drives (TDriveComboBox), the folders
// on the way to a folder and its subfolders (TDirectoryListBox), the files of a folder that
// match a mask (TFileListBox) and a choice of masks (TFilterComboBox). Linked controls follow
// each other as they do on the platform the programs were written for: the drive box sets the
// folder list's drive, the folder list the file list's folder and a label's caption, the filter
// box the file list's mask, and the file list writes the chosen name into an edit.
//
// Paths are program paths (Windows-1250, a drive letter, backslashes) read through the path
// mapper; a folder no drive maps lists nothing.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/string_list.h"

#include <span>
#include <string>
#include <vector>

class QComboBox;
class QListWidget;

namespace vorlan::forms {

// A control another one names in a property (a stored name, or the object a script gave).
class ControlLink {
public:
    void set(const script::Value& value) { value_ = value; }
    script::Value value() const { return value_.isEmpty() ? script::Value::null() : value_; }
    // The control, looked up by name in the tree of `from` when a name was given; null when
    // there is none.
    Control* resolve(script::Component& from) const;

private:
    script::Value value_;
};

// A program path made whole: absolute (against the current folder), backslashes, no trailing
// backslash except after the drive ("C:\").
std::string normalFolder(const std::string& programPath);

class FileListBox : public Control {
public:
    explicit FileListBox(std::string cls);
    // Directory, Mask, FileName, Drive, FileEdit, Items, ItemIndex, ShowGlyphs, MultiSelect.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

    const std::string& directory() const { return directory_; }
    void setDirectory(const std::string& folder);
    const std::string& mask() const { return mask_; }
    void setMask(const std::string& mask);
    // The chosen file with its folder; empty when none is chosen.
    std::string fileName() const;
    void setFileName(const std::string& name);
    // Reads the folder again.
    void update();

private:
    QListWidget* list() const;
    void chosen();
    void showInEdit();
    std::string directory_;
    std::string mask_ = "*.*";
    ControlLink fileEdit_;
    std::unique_ptr<StringList> items_;
};

class DirectoryListBox : public Control {
public:
    explicit DirectoryListBox(std::string cls);
    // Directory, Drive, DirLabel, FileList, Items, ItemIndex.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

    const std::string& directory() const { return directory_; }
    void setDirectory(const std::string& folder);
    // The path a line of the list stands for; throws ScriptException for a line it does not have.
    std::string itemPath(int index) const;
    // Opens the folder of the chosen line.
    void openCurrent();

private:
    QListWidget* list() const;
    void fill();
    std::string directory_;
    int currentLevel_ = 0; // the line of the folder itself
    ControlLink dirLabel_;
    ControlLink fileList_;
    std::unique_ptr<StringList> items_;
};

class DriveComboBox : public Control {
public:
    explicit DriveComboBox(std::string cls);
    // Drive, DirList, Text, Items, ItemIndex.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

    char drive() const { return drive_; }
    // Throws ScriptException for a letter the path mapper has no folder for.
    void setDrive(const std::string& letter);

private:
    QComboBox* combo() const;
    void fill();
    char drive_ = 0;
    ControlLink dirList_;
    std::unique_ptr<StringList> items_;
};

class FilterComboBox : public Control {
public:
    explicit FilterComboBox(std::string cls);
    // Filter, Mask, FileList, Text, Items, ItemIndex.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

    void setFilter(const std::string& filter);
    // The mask of the chosen line ("*.*" when none is chosen).
    std::string mask() const;

private:
    QComboBox* combo() const;
    void chosen();
    std::string filter_;
    std::vector<std::string> masks_;
    ControlLink fileList_;
    std::unique_ptr<StringList> items_;
};

std::span<const FormClass> fileControlClasses();

} // namespace vorlan::forms
