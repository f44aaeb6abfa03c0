#pragma once
// What the print dialog is filled with and hands back: the printer, the page range, the copies,
// the template, which parts of the dialog are shown and the options the user ticked.

#include <array>
#include <cstdint>
#include <string>

namespace vorlan::qt {

// Answers of the print dialog.
enum class PrintDialogResult : int { Cancelled = 0, Preview = 1, Print = 2, EditTemplate = 3 };

// The parts of the dialog that can be hidden; a hidden group gives its room back.
enum class PrintDialogPart : int {
    Printer = 0,     // the printer group
    PrintToFile,     // "Tisknout do souboru"
    PageRange,       // the page-range group
    CurrentPageOnly, // "Tisknout aktuální stránku"
    OneRecordOnly,   // "Tisknout pouze jeden záznam"
    Template,        // the template group
    SetAsDefault,    // "Nastavit jako výchozí formulář"
};
inline constexpr int kPrintDialogParts = 7;

struct PrintDialogTyp {
    int printerIndex = -1; // into the platform's printer list; -1 the default printer
    std::int32_t firstPage = 1;
    std::int32_t lastPage = 9999;
    std::int32_t copies = 1;
    // Template (Windows-1250): the chosen file, and where and what to look for.
    std::string templateName;
    std::string templateDir;
    std::string templateMask = "*.pts";
    std::array<bool, kPrintDialogParts> show{true, true, true, true, true, true, true};
    bool printToFile = false;
    bool currentPageOnly = false;
    bool oneRecordOnly = false;
    bool setAsDefault = false;

    bool shows(PrintDialogPart part) const { return show[static_cast<std::size_t>(part)]; }
    void setShown(PrintDialogPart part, bool shown) {
        show[static_cast<std::size_t>(part)] = shown;
    }
};

} // namespace vorlan::qt
