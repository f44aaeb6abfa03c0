#pragma once
// The report templates of a folder in a combo box: each item shows the template's description
// and keeps its file name. A program can fill the list itself instead of the folder scan.

#include <QComboBox>

#include <functional>
#include <string>

namespace vorlan::report {
class TSestava;
}

namespace vorlan::qt {

class ComboBoxPredloha : public QComboBox {
public:
    explicit ComboBoxPredloha(QWidget* parent = nullptr);

    // The report whose templates are listed; its current template is selected.
    report::TSestava* report = nullptr;
    // Windows-1250; the mask always ends in ".pts", the folder always in a backslash.
    const std::string& reportMask() const { return mask_; }
    void setReportMask(const std::string& mask);
    const std::string& reportDir() const { return dir_; }
    void setReportDir(const std::string& dir);
    // Search the program's folder instead of ReportDir.
    bool reportDirIgnore = true;
    // The program's folder (program path) used while reportDirIgnore is set.
    std::string programDir;
    // Fills the list instead of the folder scan (OnNactiSeznam).
    std::function<void(ComboBoxPredloha&)> onNactiSeznam;

    // Lists the templates.
    void fill();
    // Adds one item: the shown text and the template's file name (Windows-1250 both).
    void addTemplate(const std::string& description, const std::string& fileName);
    // The selected template's file name (Windows-1250), empty when none.
    std::string selectedFileName() const;
    void selectFileName(const std::string& fileName);

private:
    std::string mask_ = "*.pts";
    std::string dir_;
};

// The description of a template file's settings (Windows-1250); empty when the file cannot be
// read or has none.
std::string templateDescription(const std::string& hostPath);

} // namespace vorlan::qt
