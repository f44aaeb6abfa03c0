// The coverage table of the standard units in docs/stdlib-units.md is made here from what the
// desktop runtime registers, so it cannot drift: the test fails when the committed table is not
// the one the registry gives today. VORLAN_WRITE_COVERAGE=1 writes it instead.
#include "documented_members.h"

#include "data/script/data_table_registration.h"
#include "library/library.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "stdlib/stdlib.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/form_classes.h"
#include "ui/qt/stdlib/qt_stdlib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
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

bool isEvent(std::string_view name) {
    return name.size() > 2 && name[0] == 'O' && name[1] == 'n' &&
           std::isupper(static_cast<unsigned char>(name[2]));
}

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    std::istringstream in{std::string(text)};
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// The documented members of a class, groups expanded; exceptions without a line of their own
// answer what Exception does.
std::vector<std::string> documented(const std::string& className) {
    const auto& all = vorlan::testing::documentedMembers();
    auto it = all.find(className);
    if (it == all.end() && className.size() > 1 && className[0] == 'E') it = all.find("Exception");
    if (it == all.end()) return {};
    std::vector<std::string> out;
    std::vector<std::string> pending = words(it->second);
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (pending[i][0] == '@') {
            const auto group = vorlan::testing::documentedGroups().find(pending[i]);
            if (group == vorlan::testing::documentedGroups().end()) {
                ADD_FAILURE() << "no group " << pending[i];
                continue;
            }
            const std::vector<std::string> more = words(group->second);
            pending.insert(pending.begin() + static_cast<std::ptrdiff_t>(i) + 1, more.begin(),
                           more.end());
            continue;
        }
        if (std::find(out.begin(), out.end(), pending[i]) == out.end()) out.push_back(pending[i]);
    }
    return out;
}

// Classes scripts cannot make are judged on a class that stands for them: what a program meets
// is always such an object.
const std::map<std::string, const char*> kStandIns = {
    {"TControl", "TPanel"},           {"TWinControl", "TPanel"},    {"TGraphicControl", "TShape"},
    {"TCommonDialog", "TOpenDialog"}, {"TMenu", "TMainMenu"},       {"TGraphic", "TBitmap"},
    {"TStrings", "TStringList"},      {"TStream", "TMemoryStream"}, {"TPersistent", "TStringList"},
};

// Why a documented member is not there, by its name; anything else is work still to do.
struct Reason {
    const char* tag;
    const char* text;
    std::vector<std::string_view> members;
};
const std::vector<Reason> kReasons = {
    {"d",
     "the sections of a header are not reordered by dragging",
     {"DragReorder", "OnSectionDrag"}},
    {"o",
     "owner drawing: Qt draws the items, lines and cells itself",
     {"OnDrawItem", "OnMeasureItem", "OnDrawCell", "OnDrawTab", "OnMeasureTab", "OnDrawPanel",
      "OnDrawSection", "OnDrawColumnCell", "OnCustomDraw", "OnCustomDrawItem", "OwnerDraw",
      "DefaultDrawing", "Style"}},
    {"w",
     "a handle or message of the Windows API; nothing stands for it on Linux",
     {"Handle",
      "GetAsHandle",
      "SetAsHandle",
      "ReleaseHandle",
      "Dormant",
      "FreeImage",
      "OnMessage",
      "Palette",
      "Metafile",
      "Icon",
      "OEMConvert",
      "LoadFromClipboardFormat",
      "SaveToClipboardFormat",
      "RegistryConnect",
      "LoadKey",
      "UnLoadKey",
      "SaveKey",
      "RestoreKey",
      "ReplaceKey",
      "Capabilities"}},
    {"i",
     "pictures of image lists and glyphs are not drawn on buttons, tabs and items",
     {"Images",          "LargeImages",        "SmallImages",  "StateImages", "HotImages",
      "DisabledImages",  "ImageIndex",         "OverlayIndex", "StateIndex",  "SelectedIndex",
      "OnGetImageIndex", "OnGetSelectedIndex", "Glyph",        "NumGlyphs",   "PictureClosed",
      "PictureLeaf",     "PictureMinus",       "PictureOpen",  "PicturePlus", "ShowGlyphs"}},
    {"m",
     "sound and video do not play: the media player and the animation are placeholders",
     {"AutoEnable",  "AutoOpen",       "AutoRewind",     "ColoredButtons", "DeviceType",
      "Display",     "DisplayRect",    "EnabledButtons", "Frames",         "Length",
      "Mode",        "Notify",         "NotifyValue",    "Shareable",      "Start",
      "StartPos",    "TimeFormat",     "TrackLength",    "Tracks",         "Wait",
      "OnNotify",    "OnPostClick",    "Back",           "Next",           "Previous",
      "Save",        "StartRecording", "Step",           "CommonAVI",      "FrameCount",
      "FrameHeight", "FrameWidth",     "Repetitions",    "StartFrame",     "StopFrame",
      "Timers",      "OnOpen",         "OnStart",        "OnStop"}},
    {"s",
     "reading and writing components in streams is done by the form loader, not scripts",
     {"ReadComponent", "WriteComponent", "GetComponent", "SetComponent"}},
};

const Reason* reasonOf(std::string_view member) {
    for (const Reason& r : kReasons)
        if (std::find(r.members.begin(), r.members.end(), member) != r.members.end()) return &r;
    return nullptr;
}

struct ClassMembers {
    std::size_t documented = 0;
    std::vector<std::string> unbound;
};

// The events a class of form components fires: those of its line in the form class catalog
// and its ancestors' lines, and those every control fires.
std::set<std::string, script::NoCaseLess> firedEvents(script::Registry& reg,
                                                      const std::string& className) {
    std::set<std::string, script::NoCaseLess> out;
    for (const forms::FormClass* c = forms::findFormClass(className); c;
         c = c->parent ? forms::findFormClass(c->parent) : nullptr)
        for (const std::string& e : words(c->events ? c->events : ""))
            out.insert(e);
    if (reg.isClassOrDescendant(className, "TControl"))
        for (const char* e : forms::Control::eventsOfEveryControl())
            out.insert(e);
    return out;
}

ClassMembers membersOf(script::Registry& reg, const std::string& className) {
    ClassMembers result;
    const std::vector<std::string> names = documented(className);
    result.documented = names.size();
    std::string judged = className;
    if (const auto standIn = kStandIns.find(className); standIn != kStandIns.end())
        judged = standIn->second;
    const script::ClassInfo* info = reg.findClass(judged);
    std::unique_ptr<script::NativeObject> probe;
    if (info && info->factory) probe = info->factory(nullptr);
    auto* component = dynamic_cast<script::Component*>(probe.get());
    const auto fired = firedEvents(reg, judged);
    for (const std::string& name : names) {
        const script::MemberRef member = reg.findMember(judged, name);
        bool bound = member.method || member.property;
        if (!bound && isEvent(name))
            bound = fired.count(name) > 0;
        else if (!bound && component)
            bound = component->hasPublished(name);
        if (!bound) result.unbound.push_back(name);
    }
    return result;
}

std::string percent(std::size_t part, std::size_t whole) {
    return std::to_string(whole ? part * 100 / whole : 100) + " %";
}

std::string coverageSection(script::Registry& reg) {
    std::ostringstream out;
    std::size_t total = 0, bound = 0, allMembers = 0, allBound = 0;
    std::vector<std::string> missing;
    std::ostringstream leftOut;
    out << "| unit | classes | members | classes (members bound / documented) |\n"
        << "| --- | --- | --- | --- |\n";
    for (const UnitClasses& u : kUnits) {
        std::size_t unitBound = 0, unitMembers = 0, unitMembersBound = 0;
        std::string list;
        for (const char* name : u.classes) {
            const script::ClassInfo* info = reg.findClass(name);
            if (!list.empty()) list += ", ";
            if (!info) {
                list += std::string("~~") + name + "~~";
                missing.push_back(std::string(u.unit) + ": " + name);
                continue;
            }
            ++unitBound;
            const ClassMembers m = membersOf(reg, name);
            unitMembers += m.documented;
            unitMembersBound += m.documented - m.unbound.size();
            list += std::string(name) + " (" + std::to_string(m.documented - m.unbound.size()) +
                    "/" + std::to_string(m.documented) + ")";
            if (m.unbound.empty()) continue;
            leftOut << "- " << name << ":";
            for (const std::string& member : m.unbound) {
                const Reason* why = reasonOf(member);
                leftOut << " " << member << " (" << (why ? why->tag : "-") << ")";
            }
            leftOut << "\n";
        }
        total += u.classes.size();
        bound += unitBound;
        allMembers += unitMembers;
        allBound += unitMembersBound;
        out << "| " << u.unit << " | " << unitBound << " / " << u.classes.size() << " | "
            << unitMembersBound << " / " << unitMembers << " ("
            << percent(unitMembersBound, unitMembers) << ") | " << list << " |\n";
    }
    out << "\nBound: " << bound << " of " << total << " classes (" << percent(bound, total) << "); "
        << allBound << " of " << allMembers << " documented members of the bound classes ("
        << percent(allBound, allMembers) << ").\n\nClasses not bound:\n\n";
    for (const std::string& m : missing) {
        const std::string name = m.substr(m.find(": ") + 2);
        const auto why = kLeftOut.find(name);
        out << "- " << m << ": " << (why != kLeftOut.end() ? why->second : "not bound yet") << "\n";
    }
    out << "\nMembers not bound, with the reason (-: not bound yet";
    for (const Reason& r : kReasons)
        out << "; " << r.tag << ": " << r.text;
    out << "):\n\n" << leftOut.str();
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
