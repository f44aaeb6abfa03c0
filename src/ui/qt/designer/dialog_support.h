#pragma once
// What the designer's dialogs share: Czech literals as QString, the questions and messages
// they ask through the UI services (so tests answer them), and labelled number boxes.

#include <QString>

#include <string>
#include <vector>

class QBoxLayout;
class QCheckBox;
class QDialog;
class QSpinBox;
class QWidget;

namespace vorlan::report {
class TSestavaTyp;
}

namespace vorlan::qt {

// A Yes/No question (Windows-1250 text); true for Yes. No is the default answer.
bool askYesNo(const std::string& text);
// An information message with its own title (both Windows-1250).
void tellInformation(const std::string& title, const std::string& text);
// An error message under the application's title.
void tellError(const std::string& text);

// A number box named `objectName` with its range and value.
QSpinBox* numberBox(QWidget* parent, const char* objectName, int minimum, int maximum, int value);
// A check box with a UTF-8 caption, named `name`.
QCheckBox* flag(QWidget* parent, const char* text, const char* name, bool on);

// The tallest section a page lets one set, in the template's units.
inline constexpr int kMaxSectionHeight = 100000;

// The report's own table fields (not those of its detail reports), Windows-1250; names are
// empty when the data side cannot name them.
std::vector<std::string> reportFieldNames(report::TSestavaTyp& report);
// A list entry for a reference: the prefix ("#", "&", "@"), the 1-based number and the name.
QString referenceText(char prefix, int index, const std::string& name);

// The row of "OK" (accepts; named "OkButton") and "Storno" (rejects; "CancelButton") at the
// bottom of `layout`.
void addOkCancel(QDialog* dialog, QBoxLayout* layout);

} // namespace vorlan::qt
