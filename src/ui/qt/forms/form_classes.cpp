#include "ui/qt/forms/form_classes.h"

#include "script/bind.h"
#include "script/comp_wrapper.h"
#include "script/registry.h"
#include "script/scripter.h"
#include "ui/qt/forms/comma_text.h"
#include "ui/qt/forms/container_controls.h"
#include "ui/qt/forms/controls.h"
#include "ui/qt/forms/data_grid.h"
#include "ui/qt/forms/file_dialogs.h"
#include "ui/qt/forms/grid_controls.h"
#include "ui/qt/forms/picture_controls.h"

#include <QAbstractButton>
#include <QCursor>
#include <QWidget>

#include <stdexcept>

namespace vorlan::forms {

using script::NativeObject;
using script::Value;

namespace {

template <class T> T& selfAs(NativeObject* self) {
    auto* object = dynamic_cast<T*>(self);
    if (!object)
        throw script::ScriptException("The object is not a " + std::string(typeid(T).name()));
    return *object;
}

Value published(NativeObject* self, const char* name) {
    Value out;
    selfAs<Control>(self).getPublished(name, out);
    return out;
}

StringList& listOf(NativeObject* self, const char* property) {
    auto* list = script::nativeAs<StringList>(published(self, property));
    if (!list) throw script::ScriptException(std::string("The object has no ") + property);
    return *list;
}

void registerClasses(script::Registry& reg) {
    struct ClassEntry {
        const char* name;
        const char* parent;
    };
    // Ancestors first; a class that makeControl knows gets a factory.
    static constexpr ClassEntry classes[] = {
        {"TGraphicControl", "TControl"},
        {"TCustomLabel", "TGraphicControl"},
        {"TLabel", "TCustomLabel"},
        {"TButtonControl", "TWinControl"},
        {"TButton", "TButtonControl"},
        {"TBitBtn", "TButton"},
        {"TSpeedButton", "TGraphicControl"},
        {"TCustomCheckBox", "TButtonControl"},
        {"TCheckBox", "TCustomCheckBox"},
        {"TRadioButton", "TButtonControl"},
        {"TCustomEdit", "TWinControl"},
        {"TEdit", "TCustomEdit"},
        {"TMaskEdit", "TCustomEdit"},
        {"TCustomMemo", "TCustomEdit"},
        {"TMemo", "TCustomMemo"},
        {"TCustomPanel", "TWinControl"},
        {"TPanel", "TCustomPanel"},
        {"TCustomGroupBox", "TWinControl"},
        {"TGroupBox", "TCustomGroupBox"},
        {"TRadioGroup", "TCustomGroupBox"},
        {"TCustomListBox", "TWinControl"},
        {"TListBox", "TCustomListBox"},
        {"TCustomComboBox", "TWinControl"},
        {"TComboBox", "TCustomComboBox"},
        {"TStaticText", "TWinControl"},
        {"TBevel", "TGraphicControl"},
        {"TShape", "TGraphicControl"},
        {"TImage", "TGraphicControl"},
        {"TScrollBox", "TScrollingWinControl"},
        {"TEditEnter", "TEdit"},
        {"TMaskEditEnter", "TMaskEdit"},
        {"TCheckBoxEnter", "TCheckBox"},
        {"TRadioButtonEnter", "TRadioButton"},
        {"TListBoxEnter", "TListBox"},
        {"TComboBoxEnter", "TComboBox"},
        {"TTimer", "TComponent"},
        {"TMenu", "TComponent"},
        {"TMainMenu", "TMenu"},
        {"TMenuItem", "TComponent"},
        {"TForm", "TCustomForm"},
        {"TMessageForm", "TForm"},
        {"TStrings", "TPersistent"},
        {"TFont", "TPersistent"},
        {"TCustomGrid", "TWinControl"},
        {"TDrawGrid", "TCustomGrid"},
        {"TStringGrid", "TDrawGrid"},
        {"TPicture", "TPersistent"},
        {"TBrush", "TPersistent"},
        {"TPen", "TPersistent"},
        {"TPageControl", "TWinControl"},
        {"TTabSheet", "TWinControl"},
        {"TPopupMenu", "TMenu"},
        {"TCommonDialog", "TComponent"},
        {"TOpenDialog", "TCommonDialog"},
        {"TSaveDialog", "TOpenDialog"},
        {"TDBEdit", "TCustomEdit"},
        {"TDataEdit", "TDBEdit"},
        {"TDBText", "TGraphicControl"},
        {"TDataText", "TDBText"},
        {"TDBMemo", "TCustomMemo"},
        {"TDataMemo", "TDBMemo"},
        {"TDBCheckBox", "TCustomCheckBox"},
        {"TDataCheckBox", "TDBCheckBox"},
        {"TDBListBox", "TCustomListBox"},
        {"TDataListBox", "TDBListBox"},
        {"TDBComboBox", "TCustomComboBox"},
        {"TDataComboBox", "TDBComboBox"},
        {"TDBRadioGroup", "TCustomGroupBox"},
        {"TDataRadioGroup", "TDBRadioGroup"},
        {"TDBImage", "TWinControl"},
        {"TDataImage", "TDBImage"},
        {"TDBLookupListBox", "TWinControl"},
        {"TDataLookUpList", "TDBLookupListBox"},
        {"TDBLookupComboBox", "TWinControl"},
        {"TDataLookUpCombo", "TDBLookupComboBox"},
        {"TCustomDBGrid", "TCustomGrid"},
        {"TDBGrid", "TCustomDBGrid"},
        {"TDataGrid", "TDBGrid"},
        {"TDBNavigator", "TWinControl"},
        {"TDataNavigator", "TDBNavigator"},
        {"TStringGridStrings", "TStrings"},
        {"TCollection", "TPersistent"},
        {"TDBGridColumns", "TCollection"},
        {"TCollectionItem", "TPersistent"},
        {"TColumn", "TCollectionItem"},
        {"TColumnTitle", "TPersistent"},
    };
    // A data layer that registers its own TDataSource keeps it.
    if (const script::ClassInfo* existing = reg.findClass("TDataSource");
        !existing || !existing->factory)
        reg.registerClass("TDataSource", "TComponent",
                          [](script::Component*) -> std::unique_ptr<NativeObject> {
                              return makeControl("TDataSource");
                          });
    for (const auto& c : classes) {
        script::ClassFactory factory;
        if (makeControl(c.name))
            factory =
                [name = std::string(c.name)](script::Component*) -> std::unique_ptr<NativeObject> {
                return makeControl(name);
            };
        reg.registerClass(c.name, c.parent, std::move(factory));
    }
}

void registerControlMethods(script::Registry& reg) {
    reg.registerMethod(
        "TControl", "Show", "procedure",
        [](NativeObject* self, std::span<Value>, Value&) { selfAs<Control>(self).showControl(); });
    reg.registerMethod(
        "TControl", "Hide", "procedure",
        [](NativeObject* self, std::span<Value>, Value&) { selfAs<Control>(self).hideControl(); });
    reg.registerMethod(
        "TControl", "SetFocus", "procedure",
        [](NativeObject* self, std::span<Value>, Value&) { selfAs<Control>(self).setFocus(); });
    reg.registerMethod("TControl", "BringToFront", "procedure",
                       [](NativeObject* self, std::span<Value>, Value&) {
                           if (QWidget* w = selfAs<Control>(self).widget()) w->raise();
                       });
    reg.registerMethod("TControl", "SendToBack", "procedure",
                       [](NativeObject* self, std::span<Value>, Value&) {
                           if (QWidget* w = selfAs<Control>(self).widget()) w->lower();
                       });
    for (const char* name : {"Refresh", "Repaint", "Invalidate", "Update"})
        reg.registerMethod("TControl", name, "procedure",
                           [](NativeObject* self, std::span<Value>, Value&) {
                               if (QWidget* w = selfAs<Control>(self).widget()) w->update();
                           });
    reg.registerMethod("TControl", "CanFocus", "function: Boolean",
                       [](NativeObject* self, std::span<Value>, Value& result) {
                           QWidget* w = selfAs<Control>(self).widget();
                           result = Value(w && w->isEnabled() && w->focusPolicy() != Qt::NoFocus);
                       });
    reg.registerMethod("TControl", "Focused", "function: Boolean",
                       [](NativeObject* self, std::span<Value>, Value& result) {
                           QWidget* w = selfAs<Control>(self).widget();
                           result = Value(w && w->hasFocus());
                       });

    reg.registerMethod("TForm", "ShowModal", "function: Integer",
                       [](NativeObject* self, std::span<Value>, Value& result) {
                           result =
                               Value(static_cast<std::int32_t>(selfAs<Form>(self).showModal()));
                       });
    reg.registerMethod(
        "TForm", "Release", "procedure",
        [](NativeObject* self, std::span<Value>, Value&) { selfAs<Form>(self).releaseLater(); });
    reg.registerMethod(
        "TForm", "Close", "procedure",
        [](NativeObject* self, std::span<Value>, Value&) { selfAs<Form>(self).close(); });

    // A script's Click does what the user's does, on a disabled button too.
    for (const char* cls : {"TButton", "TSpeedButton"})
        script::ClassBinder<Control>(reg, cls).bind("Click", "procedure", [](Control& c) {
            if (auto* b = qobject_cast<QAbstractButton*>(c.widget())) Q_EMIT b->clicked(false);
        });
    reg.registerMethod(
        "TMenuItem", "Click", "procedure",
        [](NativeObject* self, std::span<Value>, Value&) { selfAs<MenuItem>(self).click(); });
    reg.registerMethod("TCustomEdit", "Clear", "procedure",
                       [](NativeObject* self, std::span<Value>, Value&) {
                           selfAs<Control>(self).setPublished("Text", Value(""));
                       });
    reg.registerMethod("TCustomEdit", "SelectAll", "procedure",
                       [](NativeObject* self, std::span<Value>, Value&) {
                           if (QWidget* w = selfAs<Control>(self).widget())
                               QMetaObject::invokeMethod(w, "selectAll");
                       });
    for (const char* cls : {"TCustomListBox", "TCustomComboBox"})
        reg.registerMethod(cls, "Clear", "procedure",
                           [](NativeObject* self, std::span<Value>, Value&) {
                               listOf(self, "Items").setLines({});
                               selfAs<Control>(self).setPublished("Text", Value(""));
                           });
}

// Two indexes (Cells[ACol, ARow]) or one (ColWidths[I]) as the registry hands them over.
std::int32_t indexAt(std::span<const Value> index, std::size_t at, std::size_t count) {
    if (index.size() != count)
        throw script::ScriptException("The property needs " + std::to_string(count) + " index" +
                                      (count > 1 ? "es" : ""));
    return index[at].toInt();
}

void registerGridAndPictures(script::Registry& reg) {
    reg.registerProperty(
        "TStringGrid", "Cells",
        [](NativeObject* self, std::span<const Value> i) {
            return Value(selfAs<StringGrid>(self).cell(indexAt(i, 0, 2), indexAt(i, 1, 2)));
        },
        [](NativeObject* self, std::span<const Value> i, const Value& v) {
            selfAs<StringGrid>(self).setCell(indexAt(i, 0, 2), indexAt(i, 1, 2), v.toString());
        },
        script::DeclaredType::String);
    reg.registerProperty(
        "TStringGrid", "ColWidths",
        [](NativeObject* self, std::span<const Value> i) {
            return Value(
                static_cast<std::int32_t>(selfAs<StringGrid>(self).colWidth(indexAt(i, 0, 1))));
        },
        [](NativeObject* self, std::span<const Value> i, const Value& v) {
            selfAs<StringGrid>(self).setColWidth(indexAt(i, 0, 1), v.toInt());
        },
        script::DeclaredType::Integer);
    reg.registerProperty(
        "TStringGrid", "RowHeights",
        [](NativeObject* self, std::span<const Value> i) {
            return Value(
                static_cast<std::int32_t>(selfAs<StringGrid>(self).rowHeight(indexAt(i, 0, 1))));
        },
        [](NativeObject* self, std::span<const Value> i, const Value& v) {
            selfAs<StringGrid>(self).setRowHeight(indexAt(i, 0, 1), v.toInt());
        },
        script::DeclaredType::Integer);
    reg.registerMethod("TPicture", "LoadFromFile", "procedure(FileName: string)",
                       [](NativeObject* self, std::span<Value> a, Value&) {
                           selfAs<Picture>(self).loadFromFile(a[0].asString());
                       });
    reg.registerMethod("TPicture", "SaveToFile", "procedure(FileName: string)",
                       [](NativeObject* self, std::span<Value> a, Value&) {
                           selfAs<Picture>(self).saveToFile(a[0].asString());
                       });
    reg.registerMethod(
        "TPicture", "Clear", "procedure",
        [](NativeObject* self, std::span<Value>, Value&) { selfAs<Picture>(self).clear(); });
    reg.registerProperty(
        "TPicture", "Width",
        [](NativeObject* self, std::span<const Value>) {
            return Value(static_cast<std::int32_t>(selfAs<Picture>(self).width()));
        },
        nullptr, script::DeclaredType::Integer);
    reg.registerProperty(
        "TPicture", "Height",
        [](NativeObject* self, std::span<const Value>) {
            return Value(static_cast<std::int32_t>(selfAs<Picture>(self).height()));
        },
        nullptr, script::DeclaredType::Integer);
    for (const char* cls : {"TBrush", "TPen"})
        for (const char* name : {"Color", "Style", "Width"})
            reg.registerProperty(
                cls, name,
                [name](NativeObject* self, std::span<const Value>) {
                    Value out;
                    selfAs<ShapeTool>(self).get(name, out);
                    return out;
                },
                [name](NativeObject* self, std::span<const Value>, const Value& v) {
                    selfAs<ShapeTool>(self).set(name, v);
                });
}

// Rows[I] and Cols[I] of a string grid, and their lists' own Add.
void registerGridLines(script::Registry& reg) {
    reg.registerProperty(
        "TStringGrid", "Rows",
        [](NativeObject* self, std::span<const Value> i) {
            return Value(
                script::wrapObject(&selfAs<StringGrid>(self).rowStrings(indexAt(i, 0, 1))));
        },
        nullptr);
    reg.registerProperty(
        "TStringGrid", "Cols",
        [](NativeObject* self, std::span<const Value> i) {
            return Value(
                script::wrapObject(&selfAs<StringGrid>(self).colStrings(indexAt(i, 0, 1))));
        },
        nullptr);
    reg.registerMethod("TStringGridStrings", "Add", "function(S: string): Integer",
                       [](NativeObject* self, std::span<Value> a, Value& r) {
                           r = Value(static_cast<std::int32_t>(
                               selfAs<GridLineStrings>(self).addToFirstEmpty(a[0].asString())));
                       });
    reg.registerMethod("TStringGridStrings", "Append", "procedure(S: string)",
                       [](NativeObject* self, std::span<Value> a, Value&) {
                           selfAs<GridLineStrings>(self).addToFirstEmpty(a[0].asString());
                       });
}

// Columns of a data grid: the collection, each column and its title.
void registerGridColumns(script::Registry& reg) {
    reg.registerProperty(
        "TDBGridColumns", "Count",
        [](NativeObject* self, std::span<const Value>) {
            return Value(static_cast<std::int32_t>(selfAs<GridColumns>(self).count()));
        },
        nullptr, script::DeclaredType::Integer);
    reg.registerProperty(
        "TDBGridColumns", "Items",
        [](NativeObject* self, std::span<const Value> i) {
            return Value(script::wrapObject(&selfAs<GridColumns>(self).at(indexAt(i, 0, 1))));
        },
        nullptr, script::DeclaredType::Variant, true);
    reg.registerMethod("TDBGridColumns", "Add", "function: TColumn",
                       [](NativeObject* self, std::span<Value>, Value& r) {
                           r = Value(script::wrapObject(&selfAs<GridColumns>(self).add()));
                       });
    reg.registerMethod(
        "TDBGridColumns", "Clear", "procedure",
        [](NativeObject* self, std::span<Value>, Value&) { selfAs<GridColumns>(self).clear(); });
    for (const char* name : {"FieldName", "Width", "Visible", "Alignment"})
        reg.registerProperty(
            "TColumn", name,
            [name](NativeObject* self, std::span<const Value>) {
                Value out;
                selfAs<GridColumn>(self).get(name, out);
                return out;
            },
            [name](NativeObject* self, std::span<const Value>, const Value& v) {
                selfAs<GridColumn>(self).set(name, v);
            });
    reg.registerProperty(
        "TColumn", "Title",
        [](NativeObject* self, std::span<const Value>) {
            return Value(script::wrapObject(&selfAs<GridColumn>(self).title()));
        },
        nullptr);
    for (const char* name : {"Caption", "Alignment"})
        reg.registerProperty(
            "TColumnTitle", name,
            [name](NativeObject* self, std::span<const Value>) {
                Value out;
                selfAs<GridColumnTitle>(self).get(name, out);
                return out;
            },
            [name](NativeObject* self, std::span<const Value>, const Value& v) {
                selfAs<GridColumnTitle>(self).set(name, v);
            });
}

void registerContainersMenusAndData(script::Registry& reg) {
    reg.registerProperty(
        "TPageControl", "Pages",
        [](NativeObject* self, std::span<const Value> i) {
            TabSheet* sheet = selfAs<PageControl>(self).page(indexAt(i, 0, 1));
            if (!sheet) throw script::ScriptException("List index out of bounds");
            return Value(script::wrapObject(sheet));
        },
        nullptr);
    reg.registerMethod("TPopupMenu", "Popup", "procedure(X, Y: Integer)",
                       [](NativeObject* self, std::span<Value> a, Value&) {
                           selfAs<PopupMenu>(self).popup(QPoint(a[0].asInt(), a[1].asInt()));
                       });
    reg.registerMethod("TOpenDialog", "Execute", "function: Boolean",
                       [](NativeObject* self, std::span<Value>, Value& r) {
                           r = Value(selfAs<FileDialog>(self).execute());
                       });
    reg.registerMethod("TDBNavigator", "BtnClick", "procedure(Index: Integer)",
                       [](NativeObject* self, std::span<Value> a, Value&) {
                           const std::int32_t i = a[0].asInt();
                           // Out-of-range button numbers are ignored.
                           if (i >= 0 && i < kNavigatorButtons)
                               selfAs<DataNavigator>(self).press(static_cast<NavigatorButton>(i));
                       });
}

void registerStrings(script::Registry& reg) {
    reg.registerMethod(
        "TStrings", "Add", "function(S: string): Integer",
        [](NativeObject* self, std::span<Value> a, Value& r) {
            r = Value(static_cast<std::int32_t>(selfAs<StringList>(self).add(a[0].asString())));
        });
    reg.registerMethod("TStrings", "Append", "procedure(S: string)",
                       [](NativeObject* self, std::span<Value> a, Value&) {
                           selfAs<StringList>(self).add(a[0].asString());
                       });
    reg.registerMethod("TStrings", "Insert", "procedure(Index: Integer; S: string)",
                       [](NativeObject* self, std::span<Value> a, Value&) {
                           selfAs<StringList>(self).insert(a[0].asInt(), a[1].asString());
                       });
    reg.registerMethod("TStrings", "Delete", "procedure(Index: Integer)",
                       [](NativeObject* self, std::span<Value> a, Value&) {
                           selfAs<StringList>(self).remove(a[0].asInt());
                       });
    reg.registerMethod("TStrings", "Clear", "procedure",
                       [](NativeObject* self, std::span<Value>, Value&) {
                           selfAs<StringList>(self).setLines({});
                       });
    reg.registerMethod(
        "TStrings", "IndexOf", "function(S: string): Integer",
        [](NativeObject* self, std::span<Value> a, Value& r) {
            r = Value(static_cast<std::int32_t>(selfAs<StringList>(self).indexOf(a[0].asString())));
        });
    reg.registerProperty(
        "TStrings", "Count",
        [](NativeObject* self, std::span<const Value>) {
            return Value(static_cast<std::int32_t>(selfAs<StringList>(self).count()));
        },
        nullptr, script::DeclaredType::Integer);
    reg.registerProperty(
        "TStrings", "Text",
        [](NativeObject* self, std::span<const Value>) {
            return Value(selfAs<StringList>(self).text());
        },
        [](NativeObject* self, std::span<const Value>, const Value& v) {
            selfAs<StringList>(self).setText(v.toString());
        },
        script::DeclaredType::String);
    reg.registerProperty(
        "TStrings", "Strings",
        [](NativeObject* self, std::span<const Value> index) {
            if (index.size() != 1) throw script::ScriptException("Strings needs one index");
            return Value(selfAs<StringList>(self).at(index[0].toInt()));
        },
        [](NativeObject* self, std::span<const Value> index, const Value& v) {
            if (index.size() != 1) throw script::ScriptException("Strings needs one index");
            selfAs<StringList>(self).set(index[0].toInt(), v.toString());
        },
        script::DeclaredType::String, true);
    reg.registerProperty(
        "TStrings", "CommaText",
        [](NativeObject* self, std::span<const Value>) {
            return Value(commaTextOf(selfAs<StringList>(self).lines()));
        },
        [](NativeObject* self, std::span<const Value>, const Value& v) {
            selfAs<StringList>(self).setLines(linesOfCommaText(v.toString()));
        },
        script::DeclaredType::String);
}

void registerFont(script::Registry& reg) {
    for (const char* name : {"Name", "Size", "Height", "Color", "Style"})
        reg.registerProperty(
            "TFont", name,
            [name](NativeObject* self, std::span<const Value>) {
                Value out;
                selfAs<FontObject>(self).get(name, out);
                return out;
            },
            [name](NativeObject* self, std::span<const Value>, const Value& v) {
                selfAs<FontObject>(self).set(name, v);
            });
}

void registerConstants(script::Registry& reg) {
    static constexpr const char* results[] = {"mrNone",  "mrOk",      "mrCancel",  "mrAbort",
                                              "mrRetry", "mrIgnore",  "mrYes",     "mrNo",
                                              "mrAll",   "mrNoToAll", "mrYesToAll"};
    for (std::int32_t i = 0; i < 11; ++i)
        reg.registerConst(results[i], Value(i));
    static constexpr const char* actions[] = {"caNone", "caHide", "caFree", "caMinimize"};
    for (std::int32_t i = 0; i < 4; ++i)
        reg.registerConst(actions[i], Value(i));
    static constexpr const char* styles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
    for (std::int32_t i = 0; i < 4; ++i)
        reg.registerConst(styles[i], Value(i));
    static constexpr std::pair<const char*, std::int32_t> colors[] = {
        {"clBlack", 0x000000}, {"clMaroon", 0x000080},  {"clGreen", 0x008000},
        {"clOlive", 0x008080}, {"clNavy", 0x800000},    {"clPurple", 0x800080},
        {"clTeal", 0x808000},  {"clGray", 0x808080},    {"clSilver", 0xC0C0C0},
        {"clRed", 0x0000FF},   {"clLime", 0x00FF00},    {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
        {"clWhite", 0xFFFFFF},
    };
    for (const auto& [name, rgb] : colors)
        reg.registerConst(name, Value(rgb));
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
    for (std::int32_t i = 0; i < 3; ++i)
        reg.registerConst(shifts[i], Value(i));
    // Enumerations read by name where forms store them (Shape, Brush.Style ...).
    static constexpr const char* const enums[] = {
        "stRectangle", "stSquare", "stRoundRect",   "stRoundSquare",  "stEllipse",
        "stCircle",    "bsSolid",  "bsClear",       "psSolid",        "psDash",
        "psDot",       "psClear",  "taLeftJustify", "taRightJustify", "taCenter"};
    for (const char* name : enums)
        reg.registerConst(name, Value(name));
    // The navigator's buttons as OnClick hands them over.
    static constexpr const char* const navigator[] = {"nbFirst",  "nbPrior",  "nbNext", "nbLast",
                                                      "nbInsert", "nbDelete", "nbEdit", "nbPost",
                                                      "nbCancel", "nbRefresh"};
    for (std::int32_t i = 0; i < kNavigatorButtons; ++i)
        reg.registerConst(navigator[i], Value(i));
}

} // namespace

void registerFormClasses(script::Registry& reg) {
    if (!reg.findClass("TCustomForm"))
        throw std::logic_error("registerFormClasses needs the engine's base classes");
    registerClasses(reg);
    if (reg.findMember("TControl", "Show").method) return;
    registerControlMethods(reg);
    registerStrings(reg);
    registerFont(reg);
    registerGridAndPictures(reg);
    registerGridLines(reg);
    registerGridColumns(reg);
    registerContainersMenusAndData(reg);
    registerConstants(reg);
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
