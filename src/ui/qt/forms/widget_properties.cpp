#include "ui/qt/forms/widget_properties.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <QValidator>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vorlan::forms {

using script::Value;

namespace {

using Initial = std::function<Value(const Control&)>;
using Apply = std::function<void(Control&, const Value&)>;

Value stored(const Control& c, const char* name, const Initial& initial) {
    Value v;
    return c.script::Component::getPublished(name, v) ? v : initial(c);
}

// Kept as given; `apply` makes the widget show it where it can.
PropertyTable::Property<Control> shared(const char* name, Initial initial, Apply apply = {}) {
    return {name, [name, initial](const Control& c) { return stored(c, name, initial); },
            [name, apply](Control& c, const Value& v) {
                c.script::Component::setPublished(name, v);
                if (apply && c.widget()) apply(c, v);
            }};
}

Initial fixed(Value v) {
    return [v](const Control&) { return v; };
}

template <class W> W* as(const Control& c) {
    return qobject_cast<W*>(c.widget());
}

// An enumeration as stored forms name it or as a program numbers it.
int ordinalOf(const Value& v, std::initializer_list<const char*> names) {
    if (v.isNumeric()) return v.toInt();
    const std::string text = v.toString();
    int i = 0;
    for (const char* name : names) {
        if (equalsNoCase(text, name)) return i;
        ++i;
    }
    return 0;
}

// The line edit of an edit, or of a combo box that can be typed in.
QLineEdit* lineEditOf(const Control& c) {
    if (auto* line = as<QLineEdit>(c)) return line;
    if (auto* combo = as<QComboBox>(c)) return combo->lineEdit();
    return nullptr;
}

// Upper or lower case as the user types (CharCase).
class CaseValidator : public QValidator {
public:
    CaseValidator(bool upper, QObject* parent) : QValidator(parent), upper_(upper) {}
    State validate(QString& input, int&) const override {
        input = upper_ ? input.toUpper() : input.toLower();
        return Acceptable;
    }

private:
    bool upper_;
};

void applyCharCase(Control& c, const Value& v) {
    QLineEdit* line = lineEditOf(c);
    if (!line) return;
    const int mode = ordinalOf(v, {"ecNormal", "ecUpperCase", "ecLowerCase"});
    if (dynamic_cast<const CaseValidator*>(line->validator())) line->setValidator(nullptr);
    if (mode == 0 || line->validator()) return;
    line->setValidator(new CaseValidator(mode == 1, line));
    line->setText(mode == 1 ? line->text().toUpper() : line->text().toLower());
}

bool noBorder(const Value& v) {
    return ordinalOf(v, {"bsNone", "bsSingle"}) == 0;
}

Value borderOf(const Control& c) {
    if (auto* line = as<QLineEdit>(c)) return Value(line->hasFrame() ? "bsSingle" : "bsNone");
    if (auto* area = as<QAbstractScrollArea>(c))
        return Value(area->frameShape() == QFrame::NoFrame ? "bsNone" : "bsSingle");
    return Value("bsNone");
}

void applyBorder(Control& c, const Value& v) {
    const bool none = noBorder(v);
    if (auto* line = as<QLineEdit>(c)) {
        line->setFrame(!none);
    } else if (auto* area = as<QAbstractScrollArea>(c)) {
        area->setFrameShape(none ? QFrame::NoFrame : QFrame::StyledPanel);
    } else if (auto* label = as<QLabel>(c)) {
        // A panel's bevel stays; a plain text gets a line round it or loses it.
        if (!none && label->frameShape() == QFrame::NoFrame)
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
        else if (none && label->frameShape() == QFrame::Box)
            label->setFrameShape(QFrame::NoFrame);
    }
}

void applyAlignment(Control& c, const Value& v) {
    const Qt::Alignment horizontal = textAlignmentOf(v);
    if (auto* line = as<QLineEdit>(c)) {
        line->setAlignment(horizontal | Qt::AlignVCenter);
    } else if (auto* plain = as<QPlainTextEdit>(c)) {
        QTextOption option = plain->document()->defaultTextOption();
        option.setAlignment(horizontal);
        plain->document()->setDefaultTextOption(option);
    } else if (auto* rich = as<QTextEdit>(c)) {
        QTextOption option = rich->document()->defaultTextOption();
        option.setAlignment(horizontal);
        rich->document()->setDefaultTextOption(option);
    } else if (auto* label = as<QLabel>(c)) {
        label->setAlignment(horizontal | (label->alignment() & Qt::AlignVertical_Mask));
    } else if (auto* button = as<QAbstractButton>(c)) {
        // A check box's text left of the box (taLeftJustify) or right of it.
        button->setLayoutDirection(ordinalOf(v, {"taLeftJustify", "taRightJustify"}) == 0
                                       ? Qt::RightToLeft
                                       : Qt::LeftToRight);
    }
}

void applyScrollBars(Control& c, const Value& v) {
    auto* area = as<QAbstractScrollArea>(c);
    if (!area) return;
    const int bars = ordinalOf(v, {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
    area->setHorizontalScrollBarPolicy(bars == 1 || bars == 3 ? Qt::ScrollBarAsNeeded
                                                              : Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(bars == 2 || bars == 3 ? Qt::ScrollBarAsNeeded
                                                            : Qt::ScrollBarAlwaysOff);
}

// MultiSelect and ExtendedSelect together choose how the user selects items.
void applySelection(Control& c, const Value&) {
    auto* view = as<QAbstractItemView>(c);
    if (!view) return;
    Value multi, extended;
    c.getPublished("MultiSelect", multi);
    c.getPublished("ExtendedSelect", extended);
    view->setSelectionMode(!multi.toBool()     ? QAbstractItemView::SingleSelection
                           : extended.toBool() ? QAbstractItemView::ExtendedSelection
                                               : QAbstractItemView::MultiSelection);
}

void applyColumns(Control& c, const Value& v) {
    auto* list = as<QListView>(c);
    if (!list) return;
    // Items run down and wrap into further columns, as a multi-column list box shows them.
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(v.toInt() > 0);
    list->setResizeMode(QListView::Adjust);
}

Value itemHeightOf(const Control& c) {
    if (auto* view = as<QAbstractItemView>(c))
        if (view->model() && view->model()->rowCount() > 0) return Value(view->sizeHintForRow(0));
    const QWidget* w = c.widget();
    return Value(w ? w->fontMetrics().height() + 3 : 16);
}

void applySorted(Control& c, const Value& v) {
    if (!v.toBool()) return;
    if (auto* list = as<QListWidget>(c))
        list->sortItems();
    else if (auto* combo = as<QComboBox>(c))
        combo->model()->sort(0);
}

void applyLayout(Control& c, const Value& v) {
    auto* label = as<QLabel>(c);
    if (!label) return;
    const int at = ordinalOf(v, {"tlTop", "tlCenter", "tlBottom"});
    const Qt::Alignment vertical = at == 1   ? Qt::AlignVCenter
                                   : at == 2 ? Qt::AlignBottom
                                             : Qt::AlignTop;
    label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | vertical);
}

// A label's accelerator moves the focus to the control named.
void applyFocusControl(Control& c, const Value& v) {
    auto* label = as<QLabel>(c);
    if (!label) return;
    auto* target = dynamic_cast<Control*>(script::nativeObjectOf(v));
    if (!target && v.isString())
        if (script::Component* top = c.root())
            target = dynamic_cast<Control*>(top->findComponent(v.asString()));
    label->setBuddy(target ? target->widget() : nullptr);
}

void applyTabPosition(Control& c, const Value& v) {
    const int side = ordinalOf(v, {"tpTop", "tpBottom", "tpLeft", "tpRight"});
    static constexpr QTabWidget::TabPosition sides[] = {QTabWidget::North, QTabWidget::South,
                                                        QTabWidget::West, QTabWidget::East};
    if (auto* tabs = as<QTabWidget>(c))
        tabs->setTabPosition(sides[side & 3]);
    else if (auto* bar = as<QTabBar>(c))
        bar->setShape(side == 1 ? QTabBar::RoundedSouth : QTabBar::RoundedNorth);
}

// The selection of a text control: start and length in characters.
struct Selection {
    int start = 0;
    int length = 0;
};

// The cursor of a multi-line text control; none for other widgets.
std::optional<QTextCursor> textCursorOf(const Control& c) {
    if (auto* plain = as<QPlainTextEdit>(c)) return plain->textCursor();
    if (auto* rich = as<QTextEdit>(c)) return rich->textCursor();
    return std::nullopt;
}

std::optional<Selection> selectionOf(const Control& c) {
    if (QLineEdit* line = lineEditOf(c)) {
        const int from = line->selectionStart();
        return from < 0 ? Selection{line->cursorPosition(), 0}
                        : Selection{from, static_cast<int>(line->selectedText().size())};
    }
    const std::optional<QTextCursor> cursor = textCursorOf(c);
    if (!cursor) return std::nullopt;
    return Selection{cursor->selectionStart(), cursor->selectionEnd() - cursor->selectionStart()};
}

// Selects `length` characters from `start` (clipped to the text); false for other widgets.
bool selectText(Control& c, int start, int length) {
    if (QLineEdit* line = lineEditOf(c)) {
        const int size = static_cast<int>(line->text().size());
        start = std::clamp(start, 0, size);
        line->setSelection(start, std::clamp(length, 0, size - start));
        if (length <= 0) line->setCursorPosition(start);
        return true;
    }
    auto apply = [&](auto* text) {
        QTextCursor cursor = text->textCursor();
        const int size = text->document()->characterCount() - 1;
        start = std::clamp(start, 0, size);
        cursor.setPosition(start);
        cursor.setPosition(std::clamp(start + std::max(length, 0), 0, size),
                           QTextCursor::KeepAnchor);
        text->setTextCursor(cursor);
    };
    if (auto* plain = as<QPlainTextEdit>(c)) {
        apply(plain);
        return true;
    }
    if (auto* rich = as<QTextEdit>(c)) {
        apply(rich);
        return true;
    }
    return false;
}

std::optional<Value> selectedText(const Control& c) {
    if (QLineEdit* line = lineEditOf(c)) return Value(qt::toEngine(line->selectedText()));
    const std::optional<QTextCursor> cursor = textCursorOf(c);
    if (!cursor) return std::nullopt;
    // Paragraphs come back with the Unicode separator; programs see CR LF.
    QString text = cursor->selectedText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return Value(qt::toEngine(text));
}

bool replaceSelection(Control& c, const std::string& text) {
    if (QLineEdit* line = lineEditOf(c)) {
        line->insert(qt::fromEngine(text));
        return true;
    }
    QString replacement = qt::fromEngine(text);
    replacement.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (auto* plain = as<QPlainTextEdit>(c)) {
        plain->insertPlainText(replacement);
        return true;
    }
    if (auto* rich = as<QTextEdit>(c)) {
        rich->insertPlainText(replacement);
        return true;
    }
    return false;
}

// TickMarks and TickStyle together: where a track bar's marks are, or none.
void applyTicks(Control& c, const Value&) {
    auto* slider = as<QSlider>(c);
    if (!slider) return;
    Value marks, style;
    c.getPublished("TickMarks", marks);
    c.getPublished("TickStyle", style);
    const int side = ordinalOf(marks, {"tmBottomRight", "tmTopLeft", "tmBoth"});
    slider->setTickPosition(ordinalOf(style, {"tsNone", "tsAuto", "tsManual"}) == 0
                                ? QSlider::NoTicks
                            : side == 1 ? QSlider::TicksAbove
                            : side == 2 ? QSlider::TicksBothSides
                                        : QSlider::TicksBelow);
}

// An edit mask as programs write it ("!99/99/0000;1;_": the characters, whether the literals are
// kept in Text, the blank) as a Qt input mask: 0 and 9 swap, L l A a C c become A a N n X x,
// characters Qt reads as mask characters are escaped, "!" and the fields after it go.
QString inputMaskOf(const std::string& mask) {
    const std::size_t first = mask.find(';');
    const std::string pattern = mask.substr(0, first);
    const std::size_t second = first == std::string::npos ? first : mask.find(';', first + 1);
    const char blank =
        second != std::string::npos && second + 1 < mask.size() ? mask[second + 1] : '_';
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        switch (c) {
        case '!':
            break;
        case '\\':
            if (i + 1 < pattern.size()) out += std::string("\\") + pattern[++i];
            break;
        case '0':
            out += '9';
            break;
        case '9':
            out += '0';
            break;
        case 'L':
            out += 'A';
            break;
        case 'l':
            out += 'a';
            break;
        case 'A':
            out += 'N';
            break;
        case 'a':
            out += 'n';
            break;
        case 'C':
            out += 'X';
            break;
        case 'c':
            out += 'x';
            break;
        case '#':
        case '>':
        case '<':
            out += c;
            break;
        case '_':
            out += ' ';
            break;
        default:
            if (std::string_view("DdHhBbNnXx").find(c) != std::string_view::npos) out += '\\';
            out += c;
        }
    }
    if (out.empty()) return {};
    return qt::fromEngine(out) + QLatin1Char(';') + QLatin1Char(blank);
}

} // namespace

PropertyTable::Property<Control> keptProperty(const char* name, Value initial) {
    return shared(name, fixed(std::move(initial)));
}

const PropertyTable& sharedWidgetProperties() {
    static const auto table = PropertyTable::of<Control>(
        nullptr,
        {
            shared("BorderStyle", borderOf, applyBorder),
            shared(
                "Alignment",
                [](const Control& c) {
                    return Value(as<QAbstractButton>(c) && !as<QPushButton>(c) ? "taRightJustify"
                                                                               : "taLeftJustify");
                },
                applyAlignment),
            shared("AutoSize", [](const Control& c) { return Value(as<QLineEdit>(c) != nullptr); }),
            shared("MaxLength", fixed(Value(0)),
                   [](Control& c, const Value& v) {
                       if (QLineEdit* line = lineEditOf(c))
                           line->setMaxLength(v.toInt() > 0 ? v.toInt() : 32767);
                   }),
            shared("CharCase", fixed(Value("ecNormal")), applyCharCase),
            shared(
                "ScrollBars",
                [](const Control& c) {
                    return Value(as<QPlainTextEdit>(c) || as<QTextEdit>(c) ? "ssNone" : "ssBoth");
                },
                applyScrollBars),
            {"WantTabs",
             [](const Control& c) -> std::optional<Value> {
                 if (auto* plain = as<QPlainTextEdit>(c)) return Value(!plain->tabChangesFocus());
                 if (auto* rich = as<QTextEdit>(c)) return Value(!rich->tabChangesFocus());
                 return std::nullopt;
             },
             [](Control& c, bool v) {
                 if (auto* plain = as<QPlainTextEdit>(c))
                     plain->setTabChangesFocus(!v);
                 else if (auto* rich = as<QTextEdit>(c))
                     rich->setTabChangesFocus(!v);
                 else
                     return false;
                 return true;
             }},
            shared("MultiSelect", fixed(Value(false)), applySelection),
            shared("ExtendedSelect", fixed(Value(true)), applySelection),
            shared("Columns", fixed(Value(0)), applyColumns),
            shared("ItemHeight", itemHeightOf),
            shared("Sorted", fixed(Value(false)), applySorted),
            shared(
                "DropDownCount",
                [](const Control& c) {
                    auto* combo = as<QComboBox>(c);
                    return Value(combo ? combo->maxVisibleItems() : 8);
                },
                [](Control& c, const Value& v) {
                    if (auto* combo = as<QComboBox>(c))
                        combo->setMaxVisibleItems(std::max(1, v.toInt()));
                }),
            shared("Transparent", fixed(Value(false)),
                   [](Control& c, const Value& v) {
                       if (auto* label = as<QLabel>(c)) label->setAutoFillBackground(!v.toBool());
                   }),
            shared(
                "Layout",
                [](const Control& c) { return Value(as<QLabel>(c) ? "tlTop" : "blGlyphLeft"); },
                applyLayout),
            shared("FocusControl", fixed(Value(script::ObjectRef())), applyFocusControl),
            shared("Flat", fixed(Value(false)),
                   [](Control& c, const Value& v) {
                       if (auto* push = as<QPushButton>(c))
                           push->setFlat(v.toBool());
                       else if (auto* tool = as<QToolButton>(c))
                           tool->setAutoRaise(v.toBool());
                   }),
            shared("TabPosition", fixed(Value("tpTop")), applyTabPosition),
            shared("GridLineWidth", fixed(Value(1)),
                   [](Control& c, const Value& v) {
                       if (auto* grid = as<QTableView>(c)) grid->setShowGrid(v.toInt() > 0);
                   }),
            // A button that stays down (a speed or tool button of a group).
            {"Down",
             [](const Control& c) -> std::optional<Value> {
                 auto* button = as<QAbstractButton>(c);
                 if (!button) return std::nullopt;
                 return Value(button->isChecked());
             },
             [](Control& c, bool v) {
                 auto* button = as<QAbstractButton>(c);
                 if (!button) return false;
                 button->setCheckable(true);
                 button->setChecked(v);
                 return true;
             }},
            shared("PasswordChar", fixed(Value(std::string(1, '\0'))),
                   [](Control& c, const Value& v) {
                       const std::string mark = v.toString();
                       if (QLineEdit* line = lineEditOf(c))
                           line->setEchoMode(!mark.empty() && mark[0] != '\0' && mark != "#0"
                                                 ? QLineEdit::Password
                                                 : QLineEdit::Normal);
                   }),
            shared("WordWrap", fixed(Value(false)),
                   [](Control& c, const Value& v) {
                       if (auto* label = as<QLabel>(c))
                           label->setWordWrap(v.toBool());
                       else if (auto* plain = as<QPlainTextEdit>(c))
                           plain->setLineWrapMode(v.toBool() ? QPlainTextEdit::WidgetWidth
                                                             : QPlainTextEdit::NoWrap);
                       else if (auto* rich = as<QTextEdit>(c))
                           rich->setLineWrapMode(v.toBool() ? QTextEdit::WidgetWidth
                                                            : QTextEdit::NoWrap);
                   }),
            // A check box with a third, grey state (State cbGrayed).
            shared("AllowGrayed", fixed(Value(false)),
                   [](Control& c, const Value& v) {
                       if (auto* box = as<QCheckBox>(c)) box->setTristate(v.toBool());
                   }),
            {"State",
             [](const Control& c) -> std::optional<Value> {
                 auto* box = as<QCheckBox>(c);
                 if (!box) return std::nullopt;
                 const Qt::CheckState state = box->checkState();
                 return Value(state == Qt::Checked            ? "cbChecked"
                              : state == Qt::PartiallyChecked ? "cbGrayed"
                                                              : "cbUnchecked");
             },
             [](Control& c, const Value& v) {
                 auto* box = as<QCheckBox>(c);
                 if (!box) return false;
                 const int state = ordinalOf(v, {"cbUnchecked", "cbChecked", "cbGrayed"});
                 if (state == 2) box->setTristate(true);
                 box->setCheckState(state == 1   ? Qt::Checked
                                    : state == 2 ? Qt::PartiallyChecked
                                                 : Qt::Unchecked);
                 return true;
             }},
            // How far a tree's levels step in.
            shared(
                "Indent",
                [](const Control& c) {
                    auto* tree = as<QTreeView>(c);
                    return Value(tree ? tree->indentation() : 0);
                },
                [](Control& c, const Value& v) {
                    if (auto* tree = as<QTreeView>(c)) tree->setIndentation(v.toInt());
                }),
            {"SelStart",
             [](const Control& c) -> std::optional<Value> {
                 const auto sel = selectionOf(c);
                 if (!sel) return std::nullopt;
                 return Value(sel->start);
             },
             [](Control& c, std::int32_t v) { return selectText(c, v, 0); }},
            {"SelLength",
             [](const Control& c) -> std::optional<Value> {
                 const auto sel = selectionOf(c);
                 if (!sel) return std::nullopt;
                 return Value(sel->length);
             },
             [](Control& c, std::int32_t v) {
                 const auto sel = selectionOf(c);
                 return sel && selectText(c, sel->start, v);
             }},
            {"SelText", [](const Control& c) { return selectedText(c); },
             [](Control& c, const std::string& v) { return replaceSelection(c, v); }},
            // Whether the user (or the program) changed the text since Modified was cleared.
            {"Modified",
             [](const Control& c) -> std::optional<Value> {
                 if (QLineEdit* line = lineEditOf(c)) return Value(line->isModified());
                 if (auto* plain = as<QPlainTextEdit>(c))
                     return Value(plain->document()->isModified());
                 if (auto* rich = as<QTextEdit>(c)) return Value(rich->document()->isModified());
                 return std::nullopt;
             },
             [](Control& c, bool v) {
                 if (QLineEdit* line = lineEditOf(c))
                     line->setModified(v);
                 else if (auto* plain = as<QPlainTextEdit>(c))
                     plain->document()->setModified(v);
                 else if (auto* rich = as<QTextEdit>(c))
                     rich->document()->setModified(v);
                 else
                     return false;
                 return true;
             }},
            // The drop-down list of a combo box, shown or not.
            {"DroppedDown",
             [](const Control& c) -> std::optional<Value> {
                 auto* combo = as<QComboBox>(c);
                 if (!combo) return std::nullopt;
                 return Value(combo->view()->isVisible());
             },
             [](Control& c, bool v) {
                 auto* combo = as<QComboBox>(c);
                 if (!combo) return false;
                 v ? combo->showPopup() : combo->hidePopup();
                 return true;
             }},
            // How many items of a list are selected, and the first one shown.
            {"SelCount",
             [](const Control& c) -> std::
                                      optional<Value> {
                                          auto* view = as<QAbstractItemView>(c);
                                          if (!view || !view->selectionModel()) return std::nullopt;
                                          return Value(static_cast<std::int32_t>(
                                              view->selectionModel()->selectedRows().size()));
                                      }},
            {"TopIndex",
             [](const Control& c) -> std::optional<Value> {
                 auto* list = as<QListWidget>(c);
                 if (!list) return std::nullopt;
                 QListWidgetItem* top = list->itemAt(2, 2);
                 return Value(top ? list->row(top) : (list->count() ? 0 : -1));
             },
             [](Control& c, std::int32_t v) {
                 auto* list = as<QListWidget>(c);
                 if (!list) return false;
                 if (QListWidgetItem* item = list->item(v))
                     list->scrollToItem(item, QAbstractItemView::PositionAtTop);
                 return true;
             }},
            shared("TickMarks", fixed(Value("tmBottomRight")), applyTicks),
            shared("TickStyle", fixed(Value("tsAuto")), applyTicks),
            // How far a click beside a scroll bar's thumb moves it.
            {"PageSize",
             [](const Control& c) -> std::optional<Value> {
                 auto* bar = as<QScrollBar>(c);
                 if (!bar) return std::nullopt;
                 return Value(bar->pageStep());
             },
             [](Control& c, std::int32_t v) {
                 auto* bar = as<QScrollBar>(c);
                 if (!bar) return false;
                 bar->setPageStep(std::max(v, 1));
                 return true;
             }},
            shared("EditMask", fixed(Value("")),
                   [](Control& c, const Value& v) {
                       if (auto* line = as<QLineEdit>(c))
                           line->setInputMask(inputMaskOf(v.toString()));
                   }),
            // The text as the edit shows it, with the mask's literals and blanks.
            {"EditText",
             [](const Control& c) -> std::optional<Value> {
                 auto* line = as<QLineEdit>(c);
                 if (!line) return std::nullopt;
                 return Value(qt::toEngine(line->displayText()));
             },
             [](Control& c, const std::string& v) {
                 auto* line = as<QLineEdit>(c);
                 if (!line) return false;
                 line->setText(qt::fromEngine(v));
                 return true;
             }},
            {"IsMasked",
             [](const Control& c) -> std::
                                      optional<Value> {
                                          auto* line = as<QLineEdit>(c);
                                          if (!line) return std::nullopt;
                                          return Value(!line->inputMask().isEmpty());
                                      }},
            // Nothing on Linux draws these differently; kept as given.
            keptProperty("WantReturns", Value(true)),
            keptProperty("HideSelection", Value(true)),
            keptProperty("HideScrollBars", Value(true)),
            keptProperty("AutoSelect", Value(true)),
            keptProperty("IntegralHeight", Value(false)),
            keptProperty("HotTrack", Value(false)),
            keptProperty("TabHeight", Value(0)),
            keptProperty("TabWidth", Value(0)),
            keptProperty("RaggedRight", Value(false)),
            keptProperty("ScrollOpposite", Value(false)),
            keptProperty("AutoScroll", Value(true)),
            keptProperty("Spacing", Value(4)),
            keptProperty("Margin", Value(-1)),
            keptProperty("BorderWidth", Value(0)),
            keptProperty("FixedColor", Value("clBtnFace")),
            keptProperty("Center", Value(false)),
            keptProperty("BevelInner", Value("bvNone")),
            keptProperty("BevelWidth", Value(1)),
            keptProperty("FullRepaint", Value(true)),
            keptProperty("Locked", Value(false)),
        });
    return table;
}

} // namespace vorlan::forms
