#include "ui/qt/forms/form_classes.h"

#include "core/cp1250.h"
#include "script/bind.h"
#include "script/comp_wrapper.h"
#include "script/registry.h"
#include "script/scripter.h"
#include "ui/qt/forms/common_control_methods.h"
#include "ui/qt/forms/common_dialogs.h"
#include "ui/qt/forms/container_controls.h"
#include "ui/qt/forms/data_controls.h"
#include "ui/qt/forms/data_grid.h"
#include "ui/qt/forms/file_controls.h"
#include "ui/qt/forms/file_dialogs.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/forms/grid_controls.h"
#include "ui/qt/forms/menus.h"
#include "ui/qt/forms/picture_controls.h"
#include "ui/qt/forms/string_list.h"
#include "ui/qt/qt_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QScrollArea>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlan::forms {

using script::ClassBinder;
using script::Value;

namespace {

void registerClasses(script::Registry& reg) {
    for (const FormClass* c : formClassCatalog()) {
        // A data layer that registers its own TDataSource keeps it.
        if (const script::ClassInfo* existing = reg.findClass(c->name);
            existing && existing->factory && equalsNoCase(c->name, "TDataSource"))
            continue;
        script::ClassFactory factory;
        if (c->make)
            factory = [name = std::string(c->name)](
                          script::Component*) -> std::unique_ptr<script::NativeObject> {
                return makeControl(name);
            };
        reg.registerClass(c->name, c->parent, std::move(factory));
    }
}

// The properties of a part of a control (TFont, TBrush ...) as its property table has them.
template <class T> void bindTable(script::Registry& reg, const char* className) {
    ClassBinder<T> binder(reg, className);
    for (const PropertyTable::Entry& e : T::propertyTable().entries()) {
        const auto read = [&e](const T& object) {
            Value out;
            e.get(object, out);
            return out;
        };
        if (e.set)
            binder.property(e.name, "Variant", read,
                            [&e](T& object, const Value& v) { e.set(object, v); });
        else
            binder.property(e.name, "Variant", read);
    }
}

void collectChildControls(const script::Component& owner, const script::Component& parent,
                          std::vector<Control*>& out) {
    for (const auto& c : owner.components()) {
        if (c->parent() == &parent)
            if (auto* control = dynamic_cast<Control*>(c.get())) out.push_back(control);
        collectChildControls(*c, parent, out);
    }
}

// The controls that sit directly in `parent` (their Parent), in the order they were made: the
// whole tree of the parent's owner is searched, since a form owns the controls of its panels.
std::vector<Control*> childControls(Control& parent) {
    std::vector<Control*> out;
    collectChildControls(*parent.root(), parent, out);
    return out;
}

// A published property of a component without a table of its own: kept in its property bag,
// `initial` until set (a stored form's value lands there too).
template <class T> void keptMember(ClassBinder<T>& binder, const char* name, Value initial) {
    binder.property(
        name, "Variant",
        [name, initial](T& object) {
            Value v;
            return object.script::Component::getPublished(name, v) ? v : initial;
        },
        [name](T& object, const Value& v) { object.script::Component::setPublished(name, v); });
}

MenuItem& menuItemOf(const Value& value) {
    auto* item = script::nativeAs<MenuItem>(value);
    if (!item) throw script::ScriptException(czech("Očekává se položka nabídky (TMenuItem)"));
    return *item;
}

void registerMenuMembers(script::Registry& reg) {
    ClassBinder<MenuItem> item(reg, "TMenuItem");
    item.bind("Click", "procedure", &MenuItem::click);
    item.property("Count", "Integer",
                  [](MenuItem& m) { return static_cast<std::int32_t>(m.items().size()); });
    item.defaultProperty("Items", "TMenuItem", &MenuItem::item);
    item.property("Parent", "TMenuItem", &MenuItem::parentItem);
    item.property("MenuIndex", "Integer", &MenuItem::menuIndex, &MenuItem::setMenuIndex);
    item.bind("Add", "procedure(Item: TMenuItem)",
              [](MenuItem& m, const Value& v) { m.insert(-1, menuItemOf(v)); });
    item.bind(
        "Insert", "procedure(Index: Integer; Item: TMenuItem)",
        [](MenuItem& m, std::int32_t index, const Value& v) { m.insert(index, menuItemOf(v)); });
    // Delete and Remove take the item out and leave it alive; Clear frees the items.
    item.bind("Delete", "procedure(Index: Integer)",
              [](MenuItem& m, std::int32_t index) { m.remove(*m.item(index)); });
    item.bind("Remove", "procedure(Item: TMenuItem)",
              [](MenuItem& m, const Value& v) { m.remove(menuItemOf(v)); });
    item.bind("IndexOf", "function(Item: TMenuItem): Integer",
              [](MenuItem& m, const Value& v) { return m.indexOf(script::nativeAs<MenuItem>(v)); });
    item.bind("Clear", "procedure", &MenuItem::clear);

    ClassBinder<MainMenu> bar(reg, "TMainMenu");
    bar.property("Items", "TMenuItem", [](MainMenu& m) { return &m.items(); });
    bar.bind("Merge", "procedure(Menu: TMainMenu)", [](MainMenu& m, const Value& v) {
        if (auto* other = script::nativeAs<MainMenu>(v)) m.merge(*other);
    });
    bar.bind("Unmerge", "procedure(Menu: TMainMenu)", [](MainMenu& m, const Value& v) {
        if (auto* other = script::nativeAs<MainMenu>(v)) m.unmerge(*other);
    });
    keptMember(bar, "AutoMerge", Value(false));

    ClassBinder<PopupMenu> popup(reg, "TPopupMenu");
    popup.bind("Popup", "procedure(X, Y: Integer)",
               [](PopupMenu& m, std::int32_t x, std::int32_t y) { m.popup(QPoint(x, y)); });
    popup.property("Items", "TMenuItem", [](PopupMenu& m) { return &m.items(); });
    popup.property(
        "PopupComponent", "Variant", [](PopupMenu& m) { return m.popupComponent; },
        [](PopupMenu& m, const Value& v) { m.popupComponent = v; });
    // A right click shows the menu only while AutoPopup is on (Control::showPopupMenu).
    keptMember(popup, "AutoPopup", Value(true));
    keptMember(popup, "Alignment", Value("paLeft"));
    keptMember(popup, "HelpContext", Value(0));
}

// The text a lookup control shows, and its drop-down list.
QComboBox* lookupCombo(Control& c) {
    return qobject_cast<QComboBox*>(c.widget());
}

std::string lookupText(Control& c) {
    if (QComboBox* combo = lookupCombo(c)) return qt::toEngine(combo->currentText());
    if (auto* list = qobject_cast<QListWidget*>(c.widget()))
        if (QListWidgetItem* item = list->currentItem()) return qt::toEngine(item->text());
    return {};
}

void registerDataLookupMembers(script::Registry& reg) {
    ClassBinder<Control> combo(reg, "TDBLookupComboBox");
    combo.property("Text", "string", [](Control& c) { return lookupText(c); });
    combo.property("ListVisible", "Boolean", [](Control& c) {
        return lookupCombo(c) && lookupCombo(c)->view()->isVisible();
    });
    combo.bind("DropDown", "procedure", [](Control& c) {
        if (QComboBox* box = lookupCombo(c)) box->showPopup();
    });
    combo.bind("CloseUp", "procedure(Accept: Boolean)", [](Control& c, bool) {
        if (QComboBox* box = lookupCombo(c)) box->hidePopup();
    });
    ClassBinder<Control>(reg, "TDBLookupListBox")
        .property("SelectedItem", "string", [](Control& c) { return lookupText(c); });
    // The older lookup controls name the key Value and the text shown DisplayValue.
    for (const char* cls : {"TDBLookupCombo", "TDBLookupList"}) {
        ClassBinder<Control> old(reg, cls);
        old.property(
            "Value", "Variant",
            [](Control& c) {
                Value key;
                c.getPublished("KeyValue", key);
                return key;
            },
            [](Control& c, const Value& v) { c.setPublished("KeyValue", v); });
        old.property("DisplayValue", "string", [](Control& c) { return lookupText(c); });
    }
}

void registerControlMethods(script::Registry& reg) {
    ClassBinder<Control> windowed(reg, "TWinControl");
    windowed.property("ControlCount", "Integer", [](Control& c) {
        return static_cast<std::int32_t>(childControls(c).size());
    });
    windowed.property("Controls", "TControl", [](Control& c, std::int32_t i) -> Control* {
        const std::vector<Control*> children = childControls(c);
        if (i < 0 || static_cast<std::size_t>(i) >= children.size())
            throw script::ScriptException(czech("Index seznamu je mimo rozsah (") +
                                          std::to_string(i) + ")");
        return children[static_cast<std::size_t>(i)];
    });

    ClassBinder<Control> control(reg, "TControl");
    control.bind("Show", "procedure", &Control::showControl);
    control.bind("Hide", "procedure", &Control::hideControl);
    control.bind("SetFocus", "procedure", &Control::setFocus);
    control.bind("BringToFront", "procedure", &Control::bringToFront);
    control.bind("SendToBack", "procedure", &Control::sendToBack);
    control.bind({"Refresh", "Repaint", "Invalidate", "Update"}, "procedure", &Control::repaint);
    control.bind("CanFocus", "function: Boolean", &Control::canFocus);
    control.bind("Focused", "function: Boolean", &Control::focused);

    // The tool buttons of a tool bar are the controls in it, in the order they were made.
    ClassBinder<Control> toolBar(reg, "TToolBar");
    toolBar.property("ButtonCount", "Integer",
                     [](Control& c) { return static_cast<std::int32_t>(childControls(c).size()); });
    toolBar.property("Buttons", "TToolButton", [](Control& c, std::int32_t i) -> Control* {
        const std::vector<Control*> children = childControls(c);
        if (i < 0 || static_cast<std::size_t>(i) >= children.size())
            throw script::ScriptException(czech("Index seznamu je mimo rozsah (") +
                                          std::to_string(i) + ")");
        return children[static_cast<std::size_t>(i)];
    });
    ClassBinder<Control>(reg, "TToolButton").property("Index", "Integer", [](Control& c) {
        auto* bar = dynamic_cast<Control*>(c.parent());
        if (!bar) return -1;
        const std::vector<Control*> siblings = childControls(*bar);
        const auto it = std::find(siblings.begin(), siblings.end(), &c);
        return it == siblings.end() ? -1 : static_cast<std::int32_t>(it - siblings.begin());
    });
    ClassBinder<Control>(reg, "TScrollBox")
        .bind("ScrollInView", "procedure(AControl: TControl)", [](Control& c, const Value& v) {
            auto* area = qobject_cast<QScrollArea*>(c.widget());
            auto* target = script::nativeAs<Control>(v);
            if (area && target && target->widget()) area->ensureWidgetVisible(target->widget());
        });
    ClassBinder<Control>(reg, "TScrollBar")
        .bind("SetParams", "procedure(APosition, AMin, AMax: Integer)",
              [](Control& c, std::int32_t position, std::int32_t min, std::int32_t max) {
                  c.setPublished("Min", Value(min));
                  c.setPublished("Max", Value(max));
                  c.setPublished("Position", Value(position));
              });
    ClassBinder<Control>(reg, "TTabbedNotebook")
        .bind("GetIndexForPage", "function(const PageName: string): Integer",
              [](Control& c, const std::string& name) -> std::int32_t {
                  Value pages;
                  c.getPublished("Pages", pages);
                  auto* list = script::nativeAs<stdlib::Strings>(pages);
                  for (int i = 0; list && i < list->count(); ++i)
                      if (equalsNoCase(list->get(i), name)) return i;
                  return -1;
              });

    registerDataLookupMembers(reg);
    // The mask of a mask edit: ValidateEdit refuses a text the mask does not take yet.
    ClassBinder<Control>(reg, "TMaskEdit").bind("ValidateEdit", "procedure", [](Control& c) {
        auto* line = qobject_cast<QLineEdit*>(c.widget());
        if (line && !line->inputMask().isEmpty() && !line->hasAcceptableInput())
            throw script::ScriptException(
                czech("Neplatná vstupní hodnota: doplňte ji podle masky vstupu"));
    });
    // A data memo always shows its field; there is nothing to load.
    ClassBinder<Control>(reg, "TDBMemo").bind("LoadMemo", "procedure", [](Control&) {});
    // One day is chosen at a time: the range ends where it starts.
    ClassBinder<Control>(reg, "TMonthCalendar").property("EndDate", "Variant", [](Control& c) {
        Value date;
        c.getPublished("Date", date);
        return date;
    });
    ClassBinder<Control>(reg, "TCheckListBox")
        .property(
            "ItemEnabled", "Boolean",
            [](Control& c, std::int32_t i) {
                auto* list = qobject_cast<QListWidget*>(c.widget());
                QListWidgetItem* item = list ? list->item(i) : nullptr;
                return item && (item->flags() & Qt::ItemIsEnabled);
            },
            [](Control& c, std::int32_t i, bool on) {
                auto* list = qobject_cast<QListWidget*>(c.widget());
                if (QListWidgetItem* item = list ? list->item(i) : nullptr)
                    item->setFlags(on ? item->flags() | Qt::ItemIsEnabled
                                      : item->flags() & ~Qt::ItemIsEnabled);
            });

    // The position of the first match of SearchStr within StartPos .. StartPos + Length; -1 for
    // none. Options: stMatchCase and stWholeWord as a set or its bits.
    ClassBinder<Control>(reg, "TRichEdit")
        .bind("FindText",
              "function(SearchStr: string; StartPos, Length: Integer; Options: Variant): Integer",
              [](Control& r, const std::string& text, std::int32_t start, std::int32_t length,
                 const Value& options) -> std::int32_t {
                  auto* edit = qobject_cast<QTextEdit*>(r.widget());
                  if (!edit || text.empty()) return -1;
                  // A set literal comes as the ordinals of its members; a stored set or a bit
                  // mask as setNames reads it.
                  bool matchCase = false, wholeWord = false;
                  if (options.isArray()) {
                      for (const Value& member : options.asArray()->items()) {
                          if (member.isEmpty()) continue; // the literal's end
                          if (member.toInt() == 0) wholeWord = true;
                          if (member.toInt() == 1) matchCase = true;
                      }
                  } else {
                      const std::vector<std::string> names = setNames(
                          options, std::array<const char*, 2>{"stWholeWord", "stMatchCase"});
                      wholeWord = hasName(names, "stWholeWord");
                      matchCase = hasName(names, "stMatchCase");
                  }
                  QTextDocument::FindFlags flags;
                  if (matchCase) flags |= QTextDocument::FindCaseSensitively;
                  if (wholeWord) flags |= QTextDocument::FindWholeWords;
                  const QTextCursor found =
                      edit->document()->find(qt::fromEngine(text), std::max(start, 0), flags);
                  if (found.isNull() || found.selectionEnd() > start + length) return -1;
                  return found.selectionStart();
              });

    ClassBinder<Form> form(reg, "TForm");
    form.bind("ShowModal", "function: Integer", &Form::showModal);
    form.bind("Release", "procedure", &Form::releaseLater);
    form.bind("Close", "procedure", [](Form& f) { f.close(); });

    // A script's Click does what the user's does, on a disabled button too.
    for (const char* cls : {"TButton", "TSpeedButton", "TToolButton"})
        ClassBinder<Control>(reg, cls).bind("Click", "procedure", [](Control& c) {
            if (auto* b = qobject_cast<QAbstractButton*>(c.widget())) Q_EMIT b->clicked(false);
        });
    registerMenuMembers(reg);

    ClassBinder<Control> edit(reg, "TCustomEdit");
    edit.bind("Clear", "procedure", [](Control& c) { c.setPublished("Text", Value("")); });
    edit.bind("SelectAll", "procedure", [](Control& c) {
        if (QWidget* w = c.widget()) QMetaObject::invokeMethod(w, "selectAll");
    });
    // The clipboard commands of edits and of combo boxes one can type in.
    for (const char* cls : {"TCustomEdit", "TCustomComboBox"}) {
        ClassBinder<Control> text(reg, cls);
        text.bind("ClearSelection", "procedure",
                  [](Control& c) { c.setPublished("SelText", Value("")); });
        for (const auto& command :
             {std::pair{"CopyToClipboard", "copy"}, std::pair{"CutToClipboard", "cut"},
              std::pair{"PasteFromClipboard", "paste"}})
            text.bind(command.first, "procedure", [slot = command.second](Control& c) {
                QWidget* w = c.widget();
                if (auto* combo = qobject_cast<QComboBox*>(w)) w = combo->lineEdit();
                if (w) QMetaObject::invokeMethod(w, slot);
            });
    }
    ClassBinder<Control>(reg, "TCustomComboBox").bind("SelectAll", "procedure", [](Control& c) {
        if (auto* combo = qobject_cast<QComboBox*>(c.widget()))
            if (QLineEdit* line = combo->lineEdit()) line->selectAll();
    });
    for (const char* cls : {"TCustomListBox", "TCustomComboBox"})
        ClassBinder<Control>(reg, cls).bind("Clear", "procedure", [](Control& c) {
            Value items;
            c.getPublished("Items", items);
            if (auto* list = script::nativeAs<StringList>(items)) list->setLines({});
            c.setPublished("Text", Value(""));
        });

    ClassBinder<FileDialog>(reg, "TOpenDialog")
        .bind("Execute", "function: Boolean", &FileDialog::execute);
    ClassBinder<FontDialog>(reg, "TFontDialog")
        .bind("Execute", "function: Boolean", &FontDialog::execute);
    ClassBinder<ColorDialog>(reg, "TColorDialog")
        .bind("Execute", "function: Boolean", &ColorDialog::execute);
    for (const char* cls : {"TPrintDialog", "TPrinterSetupDialog"})
        ClassBinder<PrintDialog>(reg, cls).bind("Execute", "function: Boolean",
                                                &PrintDialog::execute);
    ClassBinder<Control> player(reg, "TMediaPlayer");
    player.bind({"Open", "Close", "Play", "Stop", "Pause", "Resume", "Rewind", "Eject", "Back",
                 "Next", "Previous", "Save", "StartRecording", "Step"},
                "procedure", [](Control&) {});
    ClassBinder<Control> animation(reg, "TAnimate");
    animation.bind("Play", "procedure(FromFrame, ToFrame, Count: Integer)",
                   [](Control&, std::int32_t, std::int32_t, std::int32_t) {});
    animation.bind({"Stop", "Reset"}, "procedure", [](Control&) {});
    animation.bind("Seek", "procedure(Frame: Integer)", [](Control&, std::int32_t) {});
    ClassBinder<FileListBox> files(reg, "TFileListBox");
    files.bind("Update", "procedure", &FileListBox::update);
    // A name typed into the file edit: a folder opens it, a mask filters, a file is chosen.
    files.bind("ApplyFilePath", "procedure(EditText: string)",
               [](FileListBox& f, const std::string& text) {
                   const std::size_t cut = text.find_last_of("\\:");
                   const std::string name = cut == std::string::npos ? text : text.substr(cut + 1);
                   if (name.find_first_of("*?") != std::string::npos) {
                       if (cut != std::string::npos) f.setDirectory(text.substr(0, cut + 1));
                       f.setMask(name);
                   } else {
                       f.setFileName(text);
                   }
               });
    ClassBinder<DirectoryListBox> folders(reg, "TDirectoryListBox");
    folders.bind("GetItemPath", "function(Index: Integer): string", &DirectoryListBox::itemPath);
    folders.bind("OpenCurrent", "procedure", &DirectoryListBox::openCurrent);
    folders.bind("Update", "procedure", [](DirectoryListBox& d) { d.setDirectory(d.directory()); });

    ClassBinder<FindDialog> find(reg, "TFindDialog");
    find.bind("Execute", "function: Boolean", &FindDialog::execute);
    find.bind("CloseDialog", "procedure", &FindDialog::closeDialog);
}

// The members of TStrings (Items, Lines ...) are the standard library's (CLASSES); the parts of
// controls are bound here.
void registerParts(script::Registry& reg) {
    bindTable<FontObject>(reg, "TFont");
}

void registerGridsAndPictures(script::Registry& reg) {
    ClassBinder<StringGrid> grid(reg, "TStringGrid");
    grid.property("Cells", "string", &StringGrid::cell, &StringGrid::setCell);
    grid.property("ColWidths", "Integer", &StringGrid::colWidth, &StringGrid::setColWidth);
    grid.property("RowHeights", "Integer", &StringGrid::rowHeight, &StringGrid::setRowHeight);
    grid.property("Rows", "TStrings",
                  [](StringGrid& g, std::int32_t i) { return &g.rowStrings(i); });
    grid.property("Cols", "TStrings",
                  [](StringGrid& g, std::int32_t i) { return &g.colStrings(i); });
    ClassBinder<GridLineStrings> lines(reg, "TStringGridStrings");
    lines.bind("Add", "function(S: string): Integer", &GridLineStrings::addToFirstEmpty);
    lines.bind("Append", "procedure(S: string)",
               [](GridLineStrings& l, const std::string& s) { l.addToFirstEmpty(s); });

    ClassBinder<Picture> picture(reg, "TPicture");
    picture.bind("LoadFromFile", "procedure(FileName: string)", &Picture::loadFromFile);
    picture.bind("SaveToFile", "procedure(FileName: string)", &Picture::saveToFile);
    picture.bind("Clear", "procedure", &Picture::clear);
    picture.property("Width", "Integer", &Picture::width);
    picture.property("Height", "Integer", &Picture::height);
    bindTable<ShapeTool>(reg, "TBrush");
    bindTable<ShapeTool>(reg, "TPen");

    ClassBinder<PageControl> pages(reg, "TPageControl");
    pages.property("Pages", "TTabSheet", [](PageControl& p, std::int32_t i) {
        TabSheet* sheet = p.page(i);
        if (!sheet) throw script::ScriptException(czech("Index seznamu je mimo rozsah"));
        return sheet;
    });
    pages.bind("FindNextPage",
               "function(CurPage: TTabSheet; GoForward, CheckTabVisible: Boolean): TTabSheet",
               [](PageControl& p, const Value& current, bool forward, bool visibleOnly) {
                   return p.findNextPage(script::nativeAs<TabSheet>(current), forward, visibleOnly);
               });
    pages.bind("SelectNextPage", "procedure(GoForward: Boolean; CheckTabVisible: Boolean = True)",
               [](PageControl& p, bool forward, bool visibleOnly) {
                   if (TabSheet* next = p.findNextPage(p.activePage(), forward, visibleOnly))
                       p.setActivePage(next);
               });
}

void registerDataGrid(script::Registry& reg) {
    ClassBinder<GridColumns> columns(reg, "TDBGridColumns");
    columns.property("Count", "Integer", &GridColumns::count);
    // Columns a program or a form gave are its own; without any the grid shows every field.
    columns.property("State", "string", [](GridColumns& c) {
        return std::string(c.count() > 0 ? "csCustomized" : "csDefault");
    });
    columns.defaultProperty("Items", "TColumn",
                            [](GridColumns& c, std::int32_t i) { return &c.at(i); });
    columns.bind("Add", "function: TColumn", [](GridColumns& c) { return &c.add(); });
    columns.bind("Clear", "procedure", &GridColumns::clear);
    bindTable<GridColumn>(reg, "TColumn");
    bindTable<GridColumnTitle>(reg, "TColumnTitle");

    ClassBinder<DataSourceComponent>(reg, "TDataSource")
        .bind("Edit", "procedure", &DataSourceComponent::edit);
    ClassBinder<DataNavigator>(reg, "TDBNavigator")
        .bind("BtnClick", "procedure(Index: Integer)", [](DataNavigator& n, std::int32_t i) {
            // Out-of-range button numbers are ignored.
            if (i >= 0 && i < kNavigatorButtons) n.press(static_cast<NavigatorButton>(i));
        });
}

void registerConstants(script::Registry& reg) {
    const auto numbered = [&](std::span<const char* const> names) {
        for (std::size_t i = 0; i < names.size(); ++i)
            reg.registerConst(names[i], Value(static_cast<std::int32_t>(i)));
    };
    numbered(modalResultNames());
    static constexpr const char* actions[] = {"caNone", "caHide", "caFree", "caMinimize"};
    numbered(actions);
    numbered(findOptionNames());
    static constexpr const char* ranges[] = {"prAllPages", "prSelection", "prPageNums"};
    numbered(ranges);
    static constexpr const char* kinds[] = {"sbHorizontal", "sbVertical"};
    numbered(kinds);
    static constexpr const char* styles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
    numbered(styles);
    for (const NamedColor& c : standardColors())
        reg.registerConst(c.name, Value(static_cast<std::int32_t>(c.rgb)));
    static constexpr std::pair<const char*, std::int32_t> keys[] = {
        {"VK_BACK", 8},  {"VK_TAB", 9},     {"VK_RETURN", 13}, {"VK_SHIFT", 16}, {"VK_CONTROL", 17},
        {"VK_MENU", 18}, {"VK_ESCAPE", 27}, {"VK_SPACE", 32},  {"VK_PRIOR", 33}, {"VK_NEXT", 34},
        {"VK_END", 35},  {"VK_HOME", 36},   {"VK_LEFT", 37},   {"VK_UP", 38},    {"VK_RIGHT", 39},
        {"VK_DOWN", 40}, {"VK_INSERT", 45}, {"VK_DELETE", 46},
    };
    for (const auto& [name, code] : keys)
        reg.registerConst(name, Value(code));
    for (std::int32_t f = 1; f <= 12; ++f)
        reg.registerConst("VK_F" + std::to_string(f), Value(111 + f));
    static constexpr const char* shifts[] = {"ssShift", "ssAlt", "ssCtrl"};
    numbered(shifts);
    // TSearchType of a rich edit's FindText.
    static constexpr const char* searches[] = {"stWholeWord", "stMatchCase"};
    numbered(searches);
    // Enumerations read by name where forms store them (Shape, Brush.Style ...).
    static constexpr const char* const enums[] = {
        "stRectangle", "stSquare", "stRoundRect",   "stRoundSquare",  "stEllipse",
        "stCircle",    "bsSolid",  "bsClear",       "psSolid",        "psDash",
        "psDot",       "psClear",  "taLeftJustify", "taRightJustify", "taCenter"};
    for (const char* name : enums)
        reg.registerConst(name, Value(name));
    // The navigator's buttons as OnClick hands them over.
    numbered(navigatorButtonNames());
}

} // namespace

void registerFormClasses(script::Registry& reg) {
    if (!reg.findClass("TCustomForm"))
        throw std::logic_error("registerFormClasses needs the engine's base classes");
    registerClasses(reg);
    if (reg.findMember("TControl", "Show").method) return;
    registerControlMethods(reg);
    registerParts(reg);
    registerGridsAndPictures(reg);
    registerDataGrid(reg);
    registerConstants(reg);
    registerCommonControlMethods(reg);
}

void installFormHooks() {
    script::Scripter::showForm = [](script::Component& component) {
        if (auto* form = dynamic_cast<Form*>(&component)) {
            const auto alive = form->aliveToken();
            form->fireCreate();
            if (!alive.expired()) form->showControl();
        }
    };
    script::Scripter::showFormModal = [](script::Component& component) {
        auto* form = dynamic_cast<Form*>(&component);
        if (!form) return 0;
        const auto alive = form->aliveToken();
        form->fireCreate();
        return alive.expired() ? 0 : form->showModal();
    };
}

} // namespace vorlan::forms
