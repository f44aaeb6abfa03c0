// The coverage table of the standard units in docs/stdlib-units.md is made here from what the
// desktop runtime registers, so it cannot drift: the test fails when the committed table is not
// the one the registry gives today. VORLAN_WRITE_COVERAGE=1 writes it instead.
#include "data/script/data_table_registration.h"
#include "library/library.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "stdlib/stdlib.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/form_classes.h"
#include "ui/qt/stdlib/qt_stdlib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace vorlan;

namespace {

struct UnitClasses {
    const char* unit;
    std::vector<const char*> classes;
};

// The classes each standard unit documents for programs (ancestors that exist only to be
// derived from, and classes of the design environment, are left out of the list itself).
// Units that offer routines and constants only have no line.
const UnitClasses kUnits[] = {
    {"BUTTONS", {"TBitBtn", "TSpeedButton"}},
    {"CHECKLST", {"TCheckListBox"}},
    {"CLASSES",
     {"TPersistent", "TComponent", "TList", "TStrings", "TStringList", "TStream", "TMemoryStream",
      "TStringStream", "TFileStream", "TCollection", "TCollectionItem"}},
    {"CLIPBRD", {"TClipboard"}},
    {"COMCTRLS",
     {"TTabControl",   "TPageControl",   "TTabSheet",       "TStatusBar",      "TStatusPanel",
      "TStatusPanels", "THeaderControl", "THeaderSection",  "THeaderSections", "TProgressBar",
      "TTrackBar",     "TUpDown",        "THotKey",         "TAnimate",        "TTreeView",
      "TTreeNode",     "TTreeNodes",     "TListView",       "TListItem",       "TListItems",
      "TListColumn",   "TListColumns",   "TDateTimePicker", "TMonthCalendar",  "TToolBar",
      "TToolButton",   "TRichEdit"}},
    {"COMOBJ", {"EOleError", "EOleSysError"}},
    {"CONTROLS", {"TControl", "TWinControl", "TGraphicControl", "TImageList"}},
    {"DB", {"TDataSet", "TField", "TDataSource"}},
    {"DBCTRLS",
     {"TDBEdit", "TDBText", "TDBCheckBox", "TDBComboBox", "TDBListBox", "TDBRadioGroup", "TDBMemo",
      "TDBImage", "TDBNavigator", "TDBLookupListBox", "TDBLookupComboBox"}},
    {"DBGRIDS", {"TDBGrid", "TColumn", "TColumnTitle", "TDBGridColumns"}},
    {"DBLOOKUP", {"TDBLookupCombo", "TDBLookupList"}},
    {"DIALOGS",
     {"TCommonDialog", "TOpenDialog", "TSaveDialog", "TFontDialog", "TColorDialog", "TPrintDialog",
      "TPrinterSetupDialog", "TFindDialog", "TReplaceDialog"}},
    {"EXTCTRLS",
     {"TShape", "TImage", "TBevel", "TTimer", "TPanel", "TPage", "TNotebook", "TRadioGroup",
      "TSplitter", "TPaintBox"}},
    {"EXTDLGS", {"TOpenPictureDialog", "TSavePictureDialog"}},
    {"FILECTRL", {"TFileListBox", "TDirectoryListBox", "TDriveComboBox", "TFilterComboBox"}},
    {"FORMS", {"TForm", "TApplication", "TScreen", "TScrollBox", "TDataModule"}},
    {"GRAPHICS", {"TFont", "TPen", "TBrush", "TCanvas", "TPicture", "TGraphic", "TBitmap"}},
    {"GRIDS", {"TStringGrid", "TDrawGrid"}},
    {"MASK", {"TMaskEdit"}},
    {"MENUS", {"TMenu", "TMainMenu", "TPopupMenu", "TMenuItem"}},
    {"MPLAYER", {"TMediaPlayer"}},
    {"OUTLINE", {"TOutline"}},
    {"PRINTERS", {"TPrinter"}},
    {"REGISTRY", {"TRegistry", "TRegIniFile", "ERegistryException"}},
    {"STDCTRLS",
     {"TLabel", "TEdit", "TMemo", "TButton", "TCheckBox", "TRadioButton", "TListBox", "TComboBox",
      "TScrollBar", "TGroupBox", "TStaticText"}},
    {"SYSUTILS",
     {"Exception", "EAbort", "EConvertError", "EInOutError", "EIntError", "EDivByZero",
      "ERangeError", "EIntOverflow", "EMathError", "EInvalidOp", "EZeroDivide", "EOverflow",
      "EUnderflow", "EInvalidPointer", "EInvalidCast", "EAccessViolation", "EOutOfMemory",
      "EVariantError"}},
    {"TABNOTBK", {"TTabbedNotebook", "TTabPage"}},
    {"TABS", {"TTabSet"}},
};

// Why a class is not bound, where that is a decision and not work still to do.
const std::map<std::string, const char*> kLeftOut = {
    {"TDataSet", "an abstract ancestor; scripts reach tables through the table class TDataTable"},
};

void registerDesktopRuntime(script::Registry& reg) {
    script::registerEngineBuiltins(reg);
    forms::registerFormClasses(reg);
    forms::registerDialogs(reg);
    library::registerLibrary(reg);
    data::registerDataTable(reg);
    stdlib::registerStandardLibrary(reg);
    stdlib::registerDesktopUnits(reg);
}

// Methods and properties registered on the class itself.
std::size_t ownMembers(const script::ClassInfo& info) {
    return info.methods.size() + info.properties.size();
}

std::string coverageSection(script::Registry& reg) {
    std::ostringstream out;
    int total = 0, bound = 0;
    std::vector<std::string> missing;
    out << "| unit | bound | classes (registered members of the class itself) |\n"
        << "| --- | --- | --- |\n";
    for (const UnitClasses& u : kUnits) {
        int unitBound = 0;
        std::string list;
        for (const char* name : u.classes) {
            const script::ClassInfo* info = reg.findClass(name);
            if (!list.empty()) list += ", ";
            if (info) {
                ++unitBound;
                list += std::string(name) + " (" + std::to_string(ownMembers(*info)) + ")";
            } else {
                list += std::string("~~") + name + "~~";
                missing.push_back(std::string(u.unit) + ": " + name);
            }
        }
        total += static_cast<int>(u.classes.size());
        bound += unitBound;
        out << "| " << u.unit << " | " << unitBound << " / " << u.classes.size() << " | " << list
            << " |\n";
    }
    out << "\nBound: " << bound << " of " << total << " classes (" << (bound * 100 / total)
        << " %).\n\nNot bound:\n\n";
    for (const std::string& m : missing) {
        const std::string name = m.substr(m.find(": ") + 2);
        const auto why = kLeftOut.find(name);
        out << "- " << m << ": " << (why != kLeftOut.end() ? why->second : "not bound yet") << "\n";
    }
    return out.str();
}

const char* const kBegin = "<!-- coverage table: written by tests/ui/unit_coverage_test.cpp -->\n";
const char* const kEnd = "<!-- end of coverage table -->\n";

} // namespace

TEST(UnitCoverage, TheTableInTheDocsIsTheOneTheRegistryGives) {
    script::Registry reg;
    registerDesktopRuntime(reg);
    const std::string table = coverageSection(reg);

    const std::string path = std::string(PROJECT_DIR) + "/docs/stdlib-units.md";
    std::ifstream in(path, std::ios::binary);
    const std::string doc{std::istreambuf_iterator<char>(in), {}};
    const auto begin = doc.find(kBegin);
    const auto end = doc.find(kEnd);
    ASSERT_NE(begin, std::string::npos) << path << " has no coverage table";
    ASSERT_NE(end, std::string::npos);
    const std::string committed =
        doc.substr(begin + std::strlen(kBegin), end - begin - std::strlen(kBegin));
    if (const char* write = std::getenv("VORLAN_WRITE_COVERAGE"); write && *write == '1') {
        std::ofstream(path, std::ios::binary)
            << doc.substr(0, begin + std::strlen(kBegin)) << table << doc.substr(end);
        return;
    }
    EXPECT_EQ(committed, table) << "run this test with VORLAN_WRITE_COVERAGE=1 to update " << path;
}
