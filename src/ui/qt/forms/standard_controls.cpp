#include "ui/qt/forms/standard_controls.h"

#include "core/cp1250.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/forms/string_list.h"
#include "ui/qt/qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

class Button : public Control {
public:
    explicit Button(std::string cls);
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

    bool handleWidgetEvent(QObject* watched, QEvent* event) override;
    // As a click does: the form gets the modal result first, then OnClick.
    void click();
    bool isDefault() const;
    int unattendedResult() const override { return isDefault() ? modalResult_ : 0; }
    bool pressIfCancel() override;

private:
    QPushButton* button() const;
    void setCaption(const std::string& caption);
    // A bitmap button's kind brings its caption, result and key, unless the form stores others
    // after it.
    void applyKind(const std::string& kind);

    std::string caption_;
    int modalResult_ = 0;
    bool cancel_ = false;
    bool closes_ = false;
};

class Label : public Control {
public:
    explicit Label(std::string cls) : Control(std::move(cls), new QLabel) {
        label()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<Label>(
            &Control::propertyTable(),
            {
                {"Caption", &Label::caption_,
                 [](Label& l, const std::string& v) {
                     l.caption_ = v;
                     l.showCaption();
                 }},
                {"ShowAccelChar", &Label::accelChar_,
                 [](Label& l, bool v) {
                     l.accelChar_ = v;
                     l.showCaption();
                 }},
                {"AutoSize", &Label::autoSize_,
                 [](Label& l, bool v) {
                     l.autoSize_ = v;
                     l.applyGeometry();
                 }},
                {"Alignment", nullptr,
                 [](Label& l, const Value& v) {
                     l.label()->setAlignment(textAlignmentOf(v) | Qt::AlignTop);
                 }},
                {"WordWrap", nullptr, [](Label& l, bool v) { l.label()->setWordWrap(v); }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

protected:
    QLabel* label() const { return static_cast<QLabel*>(widget()); }
    bool handleWidgetEvent(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) fireNotify("OnClick");
        return Control::handleWidgetEvent(watched, event);
    }
    void applyGeometry() override {
        Control::applyGeometry();
        QLabel* l = label();
        if (!l || !autoSize_ || l->wordWrap()) return;
        // The stored size was measured with other fonts: a text that needs more room gets it.
        const QSize hint = l->sizeHint();
        if (hint.width() > l->width() || hint.height() > l->height())
            l->resize(std::max(l->width(), hint.width()), std::max(l->height(), hint.height()));
    }
    void applyFont() override {
        Control::applyFont();
        applyGeometry();
    }

private:
    void showCaption() {
        label()->setText(accelChar_ ? withoutMnemonic(caption_) : qt::fromEngine(caption_));
        applyGeometry();
    }
    std::string caption_;
    bool accelChar_ = true;
    bool autoSize_ = true;
};

class Panel : public Control {
public:
    explicit Panel(std::string cls) : Control(std::move(cls), new QLabel) {
        frame()->setAlignment(Qt::AlignCenter);
        frame()->setFrameStyle(QFrame::Panel | QFrame::Raised);
    }
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<Panel>(
            &Control::propertyTable(),
            {
                {"Caption", &Panel::caption_,
                 [](Panel& p, const std::string& v) {
                     p.caption_ = v;
                     p.frame()->setText(withoutMnemonic(v));
                 }},
                {"BevelOuter", nullptr, &Panel::setBevel},
                {"Alignment", nullptr,
                 [](Panel& p, const Value& v) {
                     p.frame()->setAlignment(textAlignmentOf(v) | Qt::AlignVCenter);
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

protected:
    bool handleWidgetEvent(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) fireNotify("OnClick");
        return Control::handleWidgetEvent(watched, event);
    }

private:
    QLabel* frame() const { return static_cast<QLabel*>(widget()); }
    void setBevel(const std::string& bevel) {
        frame()->setFrameStyle(equalsNoCase(bevel, "bvNone") ? QFrame::NoFrame
                               : equalsNoCase(bevel, "bvLowered")
                                   ? (QFrame::Panel | QFrame::Sunken)
                                   : (QFrame::Panel | QFrame::Raised));
    }
    std::string caption_;
};

class GroupBox : public Control {
public:
    explicit GroupBox(std::string cls) : Control(std::move(cls), new QGroupBox) {}
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<GroupBox>(
            &Control::propertyTable(),
            {
                {"Caption", &GroupBox::caption_,
                 [](GroupBox& g, const std::string& v) {
                     g.caption_ = v;
                     static_cast<QGroupBox*>(g.widget())->setTitle(qt::fromEngine(v));
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    std::string caption_;
};

// Radio buttons made from Items, one checked at a time (ItemIndex).
class RadioGroup : public Control {
public:
    explicit RadioGroup(std::string cls)
        : Control(std::move(cls), new QGroupBox), group_(new QButtonGroup(widget())),
          items_(std::make_unique<StringList>(
              StringList::Access{[this] { return names_; },
                                 [this](const std::vector<std::string>& lines) {
                                     names_ = lines;
                                     rebuild();
                                 }})) {
        new QVBoxLayout(widget());
        QObject::connect(group_, &QButtonGroup::idClicked, widget(),
                         guarded([this](int) { fire("OnClick"); }));
    }
    static const PropertyTable& propertyTable() {
        const auto setItems = [](RadioGroup& g, const Value& v) {
            g.items_->setLines(linesOfValue(v));
        };
        static const auto table = PropertyTable::of<RadioGroup>(
            &Control::propertyTable(),
            {
                {"Caption", &RadioGroup::caption_,
                 [](RadioGroup& g, const std::string& v) {
                     g.caption_ = v;
                     g.box()->setTitle(qt::fromEngine(v));
                 }},
                {"Items", [](const RadioGroup& g) { return g.items_.get(); }, setItems},
                {"Items.Strings", nullptr, setItems},
                {"ItemIndex", [](const RadioGroup& g) { return g.group_->checkedId(); },
                 [](RadioGroup& g, std::int32_t i) {
                     g.index_ = i;
                     g.check();
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    QGroupBox* box() const { return static_cast<QGroupBox*>(widget()); }
    void rebuild() {
        for (QAbstractButton* b : group_->buttons()) {
            group_->removeButton(b);
            delete b;
        }
        for (std::size_t i = 0; i < names_.size(); ++i) {
            auto* radio = new QRadioButton(qt::fromEngine(names_[i]), box());
            group_->addButton(radio, static_cast<int>(i));
            box()->layout()->addWidget(radio);
        }
        check();
    }
    void check() {
        if (QAbstractButton* b = group_->button(index_)) {
            b->setChecked(true);
            return;
        }
        // No item checked: the group lets go of its exclusive hold for a moment.
        if (QAbstractButton* checked = group_->checkedButton()) {
            group_->setExclusive(false);
            checked->setChecked(false);
            group_->setExclusive(true);
        }
    }

    QButtonGroup* group_;
    std::vector<std::string> names_;
    int index_ = -1;
    std::string caption_;
    std::unique_ptr<StringList> items_;
};

// What check boxes and radio buttons share: a caption and a checked state.
class CheckableButton : public Control {
public:
    CheckableButton(std::string cls, QAbstractButton* box, bool radio)
        : Control(std::move(cls), box) {
        QObject::connect(box, &QAbstractButton::toggled, box, guarded([this, radio](bool checked) {
                             if (!radio || checked) fireNotify("OnClick");
                         }));
    }
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<CheckableButton>(
            &Control::propertyTable(),
            {
                {"Caption", &CheckableButton::caption_,
                 [](CheckableButton& b, const std::string& v) {
                     b.caption_ = v;
                     b.box()->setText(qt::fromEngine(v));
                 }},
                {"Checked", [](const CheckableButton& b) { return b.box()->isChecked(); },
                 [](CheckableButton& b, bool v) { b.box()->setChecked(v); }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

protected:
    QAbstractButton* box() const { return static_cast<QAbstractButton*>(widget()); }

private:
    std::string caption_;
};

class CheckBox : public CheckableButton {
public:
    explicit CheckBox(std::string cls) : CheckableButton(std::move(cls), new QCheckBox, false) {}
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<CheckBox>(
            &CheckableButton::propertyTable(),
            {
                {"State",
                 [](const CheckBox& b) {
                     return b.box()->isChecked() ? "cbChecked" : "cbUnchecked";
                 },
                 [](CheckBox& b, const Value& v) {
                     b.box()->setChecked(equalsNoCase(v.toString(), "cbChecked") ||
                                         (v.isInteger() && v.asInt() == 1));
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }
};

class RadioButton : public CheckableButton {
public:
    explicit RadioButton(std::string cls)
        : CheckableButton(std::move(cls), new QRadioButton, true) {}
};

class Edit : public Control {
public:
    explicit Edit(std::string cls) : Control(std::move(cls), new QLineEdit) {
        edit()->setMaxLength(32767);
        QObject::connect(edit(), &QLineEdit::textChanged, edit(),
                         guarded([this](const QString&) { fire("OnChange"); }));
    }
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<Edit>(
            &Control::propertyTable(),
            {
                {"Text", [](const Edit& e) { return qt::toEngine(e.edit()->text()); },
                 [](Edit& e, const std::string& v) { e.edit()->setText(qt::fromEngine(v)); }},
                {"MaxLength", &Edit::maxLength_,
                 [](Edit& e, std::int32_t n) {
                     e.maxLength_ = n;
                     e.edit()->setMaxLength(n > 0 ? n : 32767);
                 }},
                {"ReadOnly", [](const Edit& e) { return e.edit()->isReadOnly(); },
                 [](Edit& e, bool v) { e.edit()->setReadOnly(v); }},
                {"PasswordChar", &Edit::passwordChar_, &Edit::setPasswordChar},
                {"SelStart", [](const Edit& e) { return e.edit()->cursorPosition(); },
                 [](Edit& e, std::int32_t at) { e.edit()->setCursorPosition(at); }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    void setPasswordChar(const std::string& c) {
        passwordChar_ = c;
        const bool hidden = !c.empty() && c != std::string(1, '\0') && c != "#0";
        edit()->setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
    }
    std::int32_t maxLength_ = 0;
    std::string passwordChar_;
};

class Memo : public Control {
public:
    explicit Memo(std::string cls)
        : Control(std::move(cls), new QPlainTextEdit),
          lines_(std::make_unique<StringList>(
              StringList::Access{[this] { return linesOfValue(Value(text())); },
                                 [this](const std::vector<std::string>& lines) {
                                     std::string all;
                                     for (std::size_t i = 0; i < lines.size(); ++i)
                                         all += (i ? "\n" : "") + lines[i];
                                     setText(all);
                                 }})) {
        // The mouse goes to the scroll area's viewport.
        watch(memo()->viewport());
        QObject::connect(memo(), &QPlainTextEdit::textChanged, memo(),
                         guarded([this] { fire("OnChange"); }));
    }
    static const PropertyTable& propertyTable() {
        const auto setLines = [](Memo& m, const Value& v) { m.lines_->setLines(linesOfValue(v)); };
        static const auto table = PropertyTable::of<Memo>(
            &Control::propertyTable(),
            {
                {"Lines", [](const Memo& m) { return m.lines_.get(); }, setLines},
                {"Lines.Strings", nullptr, setLines},
                {"Text", &Memo::crlfText,
                 [](Memo& m, const std::string& v) { m.lines_->setText(v); }},
                {"ReadOnly", [](const Memo& m) { return m.memo()->isReadOnly(); },
                 [](Memo& m, bool v) { m.memo()->setReadOnly(v); }},
                {"MaxLength", &Memo::maxLength_, &Memo::maxLength_},
                {"WordWrap",
                 [](const Memo& m) { return m.memo()->lineWrapMode() != QPlainTextEdit::NoWrap; },
                 [](Memo& m, bool v) {
                     m.memo()->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth
                                                 : QPlainTextEdit::NoWrap);
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    QPlainTextEdit* memo() const { return static_cast<QPlainTextEdit*>(widget()); }
    std::string text() const {
        return memo() ? qt::toEngine(memo()->toPlainText()) : std::string();
    }
    void setText(const std::string& text) {
        if (memo()) memo()->setPlainText(qt::fromEngine(text));
    }
    // Lines end with CR LF in the text scripts see.
    std::string crlfText() const {
        std::string t;
        for (char c : text())
            t += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return t;
    }
    std::int32_t maxLength_ = 0;
    std::unique_ptr<StringList> lines_;
};

class ListBox : public Control {
public:
    explicit ListBox(std::string cls)
        : Control(std::move(cls), new QListWidget),
          items_(std::make_unique<StringList>(
              StringList::Access{[this] {
                                     std::vector<std::string> out;
                                     for (int i = 0; list() && i < list()->count(); ++i)
                                         out.push_back(qt::toEngine(list()->item(i)->text()));
                                     return out;
                                 },
                                 [this](const std::vector<std::string>& lines) {
                                     if (!list()) return;
                                     Quiet q(*this);
                                     const int index = list()->currentRow();
                                     list()->clear();
                                     for (const auto& l : lines)
                                         list()->addItem(qt::fromEngine(l));
                                     if (sorted_) list()->sortItems();
                                     list()->setCurrentRow(index < list()->count() ? index : -1);
                                 }})) {
        watch(list()->viewport());
        QObject::connect(list(), &QListWidget::currentRowChanged, list(),
                         guarded([this](int) { fire("OnClick"); }));
    }
    static const PropertyTable& propertyTable() {
        const auto setItems = [](ListBox& b, const Value& v) {
            b.items_->setLines(linesOfValue(v));
        };
        static const auto table = PropertyTable::of<ListBox>(
            &Control::propertyTable(),
            {
                {"Items", [](const ListBox& b) { return b.items_.get(); }, setItems},
                {"Items.Strings", nullptr, setItems},
                {"ItemIndex", [](const ListBox& b) { return b.list()->currentRow(); },
                 [](ListBox& b, std::int32_t i) {
                     Quiet q(b);
                     b.list()->setCurrentRow(i >= 0 && i < b.list()->count() ? i : -1);
                 }},
                {"Sorted", &ListBox::sorted_,
                 [](ListBox& b, bool v) {
                     b.sorted_ = v;
                     if (v) b.list()->sortItems();
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    QListWidget* list() const { return static_cast<QListWidget*>(widget()); }
    bool sorted_ = false;
    std::unique_ptr<StringList> items_;
};

class ComboBox : public Control {
public:
    explicit ComboBox(std::string cls)
        : Control(std::move(cls), new QComboBox),
          items_(std::make_unique<StringList>(StringList::Access{
              [this] {
                  std::vector<std::string> out;
                  for (int i = 0; combo() && i < combo()->count(); ++i)
                      out.push_back(qt::toEngine(combo()->itemText(i)));
                  return out;
              },
              [this](const std::vector<std::string>& lines) {
                  if (!combo()) return;
                  Quiet q(*this);
                  const QString text = combo()->currentText();
                  const int index = combo()->currentIndex();
                  combo()->clear();
                  for (const auto& l : lines)
                      combo()->addItem(qt::fromEngine(l));
                  if (sorted_) combo()->model()->sort(0);
                  combo()->setCurrentIndex(index < combo()->count() ? index : -1);
                  if (combo()->isEditable()) combo()->setEditText(text);
              }})) {
        combo()->setEditable(true);
        combo()->setInsertPolicy(QComboBox::NoInsert);
        watch(combo()->lineEdit());
        QObject::connect(combo(), &QComboBox::activated, combo(), guarded([this](int) {
                             fire("OnClick");
                             fire("OnChange");
                         }));
        connectEditor();
    }
    // What the script sets fires no events.
    static const PropertyTable& propertyTable() {
        const auto setItems = [](ComboBox& b, const Value& v) {
            Quiet q(b);
            b.items_->setLines(linesOfValue(v));
        };
        static const auto table = PropertyTable::of<ComboBox>(
            &Control::propertyTable(),
            {
                {"Items", [](const ComboBox& b) { return b.items_.get(); }, setItems},
                {"Items.Strings", nullptr, setItems},
                {"ItemIndex", [](const ComboBox& b) { return b.combo()->currentIndex(); },
                 [](ComboBox& b, std::int32_t i) {
                     Quiet q(b);
                     b.combo()->setCurrentIndex(i >= 0 && i < b.combo()->count() ? i : -1);
                 }},
                {"Text", [](const ComboBox& b) { return qt::toEngine(b.combo()->currentText()); },
                 &ComboBox::setText},
                {"Sorted", &ComboBox::sorted_,
                 [](ComboBox& b, bool v) {
                     b.sorted_ = v;
                     if (v) b.combo()->model()->sort(0);
                 }},
                {"Style", &ComboBox::style_, &ComboBox::setStyle},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
    void connectEditor() {
        if (QLineEdit* editor = combo()->lineEdit())
            QObject::connect(editor, &QLineEdit::textEdited, combo(),
                             guarded([this](const QString&) { fire("OnChange"); }));
    }
    void setText(const std::string& text) {
        Quiet q(*this);
        const QString shown = qt::fromEngine(text);
        if (combo()->isEditable())
            combo()->setEditText(shown);
        else
            combo()->setCurrentIndex(combo()->findText(shown));
    }
    void setStyle(const std::string& style) {
        Quiet q(*this);
        style_ = style;
        const bool editable =
            !equalsNoCase(style_, "csDropDownList") && !equalsNoCase(style_, "csOwnerDrawFixed");
        combo()->setEditable(editable);
        if (editable) {
            watch(combo()->lineEdit());
            connectEditor();
        }
    }
    bool sorted_ = false;
    std::string style_ = "csDropDown";
    std::unique_ptr<StringList> items_;
};

constexpr QSize kEdit{121, 21}, kList{121, 97}, kCombo{145, 21}, kBox{185, 105};

const FormClass kStandardControlsClasses[] = {
    {"TGraphicControl", "TControl"},
    {"TCustomLabel", "TGraphicControl"},
    {"TLabel", "TCustomLabel", create<Label>, {65, 13}, false, "OnClick"},
    {"TStaticText", "TWinControl", create<Label>, {65, 17}, false, "OnClick"},
    {"TButtonControl", "TWinControl"},
    {"TButton", "TButtonControl", create<Button>, {75, 25}, false, "OnClick"},
    {"TBitBtn", "TButton", create<Button>, {75, 25}, false, "", "Style=bsAutoDetect"},
    {"TSpeedButton",
     "TGraphicControl",
     create<Button>,
     {23, 22},
     false,
     "OnClick",
     "AllowAllUp=False GroupIndex=0"},
    {"TCustomCheckBox", "TButtonControl"},
    {"TCheckBox", "TCustomCheckBox", create<CheckBox>, {97, 17}, false, "OnClick"},
    {"TCheckBoxEnter", "TCheckBox", create<CheckBox>, {97, 17}, true},
    {"TRadioButton", "TButtonControl", create<RadioButton>, {113, 17}, false, "OnClick"},
    {"TRadioButtonEnter", "TRadioButton", create<RadioButton>, {113, 17}, true},
    {"TCustomEdit", "TWinControl"},
    {"TEdit", "TCustomEdit", create<Edit>, kEdit, false, "OnChange"},
    {"TEditEnter", "TEdit", create<Edit>, kEdit, true},
    {"TMaskEdit", "TCustomEdit", create<Edit>, kEdit, false, "OnChange"},
    {"TMaskEditEnter", "TMaskEdit", create<Edit>, kEdit, true},
    {"TCustomMemo", "TCustomEdit"},
    {"TMemo", "TCustomMemo", create<Memo>, {185, 89}, false, "OnChange"},
    {"TCustomPanel", "TWinControl"},
    {"TPanel", "TCustomPanel", create<Panel>, {185, 41}, false, "OnClick"},
    // A tool bar is a row of tool buttons: a panel holding speed buttons; the images of an
    // image list are not drawn on them.
    {"TToolBar",
     "TWinControl",
     create<Panel>,
     {150, 29},
     false,
     "OnClick",
     "ButtonHeight=22 ButtonWidth=23 EdgeBorders=[ebTop] EdgeInner=esRaised EdgeOuter=esLowered "
     "List=False ShowCaptions=False Wrapable=True"},
    {"TToolButton",
     "TGraphicControl",
     create<Button>,
     {23, 22},
     false,
     "OnClick",
     "AllowAllUp=False Grouped=False Indeterminate=False Marked=False Wrap=False DropdownMenu= "
     "MenuItem="},
    // Nothing plays sound or video here: the player and the animation are framed placeholders
    // whose commands do nothing.
    {"TMediaPlayer",
     "TWinControl",
     create<Panel>,
     {253, 30},
     false,
     "OnClick",
     "FileName= Position=0 Display= DisplayRect= Frames=0 Length=0 Mode=mpNotReady "
     "NotifyValue=nvSuccessful Start=0 StartPos=0 TrackLength=0 Tracks=0 AutoEnable=True "
     "AutoOpen=False AutoRewind=True "
     "ColoredButtons=[btPlay,btPause,btStop,btNext,btPrev,btStep,btBack,btRecord,btEject] "
     "DeviceType=dtAutoSelect "
     "EnabledButtons=[btPlay,btPause,btStop,btNext,btPrev,btStep,btBack,btRecord,btEject] "
     "Notify=False Shareable=False TimeFormat=tfMilliseconds Wait=False "
     "VisibleButtons=[btPlay,btPause,btStop,btNext,btPrev,btStep,btBack,btRecord,btEject]"},
    {"TAnimate",
     "TWinControl",
     create<Panel>,
     {100, 80},
     false,
     "OnClick",
     "Active=False Open=False FileName= CommonAVI=aviNone Repetitions=0 StartFrame=1 StopFrame=0 "
     "Timers=False FrameCount=0 FrameHeight=0 FrameWidth=0"},
    // A bevel's line or box is drawn as the panel's frame; its kind is kept as given.
    {"TBevel",
     "TGraphicControl",
     create<Panel>,
     {50, 50},
     false,
     "OnClick",
     "Shape=bsBox Style=bsLowered"},
    {"TCustomGroupBox", "TWinControl"},
    {"TGroupBox", "TCustomGroupBox", create<GroupBox>, kBox},
    {"TRadioGroup", "TCustomGroupBox", create<RadioGroup>, kBox, false, "OnClick"},
    {"TCustomListBox", "TWinControl"},
    {"TListBox", "TCustomListBox", create<ListBox>, kList, false, "OnClick"},
    {"TListBoxEnter", "TListBox", create<ListBox>, kList, true},
    // Every combo box tells when its list drops down (Control's watch of the list).
    {"TCustomComboBox", "TWinControl", nullptr, {}, false, "OnDropDown"},
    {"TComboBox", "TCustomComboBox", create<ComboBox>, kCombo, false, "OnClick OnChange"},
    {"TComboBoxEnter", "TComboBox", create<ComboBox>, kCombo, true},
    {"TStrings", "TPersistent"},
    {"TFont", "TPersistent"},
};

} // namespace

// ---- Button

Button::Button(std::string cls) : Control(std::move(cls), new QPushButton) {
    // Enter in an edit presses the Default button only, never just the first button.
    button()->setAutoDefault(false);
    QObject::connect(button(), &QPushButton::clicked, button(), guarded([this](bool) { click(); }));
}

const PropertyTable& Button::propertyTable() {
    static const auto table = PropertyTable::of<Button>(
        &Control::propertyTable(),
        {
            {"Caption", &Button::caption_, &Button::setCaption},
            {"ModalResult", &Button::modalResult_,
             [](Button& b, const Value& v) {
                 b.modalResult_ = v.isString() ? modalResultOf(v.asString()) : v.toInt();
             }},
            {"Cancel", &Button::cancel_, &Button::cancel_},
            {"Default", &Button::isDefault, [](Button& b, bool v) { b.button()->setDefault(v); }},
            {"Kind", nullptr, &Button::applyKind},
        });
    return table;
}

QPushButton* Button::button() const {
    return static_cast<QPushButton*>(widget());
}

bool Button::isDefault() const {
    return button() && button()->isDefault();
}

bool Button::handleWidgetEvent(QObject* watched, QEvent* event) {
    // Enter presses the button that has the focus.
    if (event->type() == QEvent::KeyPress && watched == widget()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && button()->isEnabled()) {
            button()->click();
            return true;
        }
    }
    return Control::handleWidgetEvent(watched, event);
}

void Button::click() {
    // The form learns the modal result first, as its modal loop ends after the handler.
    const auto alive = aliveToken();
    FormHost* form = host();
    if (form && modalResult_ != 0) form->setModalResult(modalResult_);
    fireNotify("OnClick");
    if (form && closes_ && !alive.expired()) form->close();
}

bool Button::pressIfCancel() {
    if (!cancel_ || !button() || !button()->isEnabled()) return false;
    button()->click();
    return true;
}

void Button::setCaption(const std::string& caption) {
    caption_ = caption;
    button()->setText(qt::fromEngine(caption_));
}

void Button::applyKind(const std::string& kind) {
    struct KindInfo {
        const char* name;
        const char* caption;
        int result;
        bool isDefault, isCancel;
    };
    static constexpr KindInfo kinds[] = {
        {"bkOK", "OK", 1, true, false},           {"bkCancel", "Cancel", 2, false, true},
        {"bkYes", "&Yes", 6, true, false},        {"bkNo", "&No", 7, false, true},
        {"bkAbort", "Abort", 3, false, true},     {"bkRetry", "&Retry", 4, false, false},
        {"bkIgnore", "&Ignore", 5, false, false}, {"bkAll", "&All", 8, false, false},
        {"bkClose", "&Close", 0, false, false},
    };
    for (const auto& k : kinds)
        if (equalsNoCase(kind, k.name)) {
            if (caption_.empty()) setCaption(k.caption);
            modalResult_ = k.result;
            cancel_ = k.isCancel;
            button()->setDefault(k.isDefault);
            closes_ = equalsNoCase(kind, "bkClose");
        }
}

std::span<const FormClass> standardControlClasses() {
    return kStandardControlsClasses;
}

} // namespace vorlan::forms
