#include "ui/qt/forms/data_controls.h"

#include "core/cp1250.h"
#include "core/field_name.h"
#include "core/text_lines.h"
#include "core/ui_services.h"
#include "script/comp_wrapper.h"
#include "ui/qt/qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace vorlan::forms {

using script::Value;

namespace {

bool is(std::string_view a, std::string_view b) {
    return equalsNoCase(a, b);
}

std::vector<std::string> linesOf(const Value& value) {
    std::vector<std::string> lines;
    if (value.isArray()) {
        for (const Value& v : value.asArray()->items())
            lines.push_back(v.toString());
        return lines;
    }
    return splitLines(value.toString());
}

// A failure of the data set while the user works in a control: the user is told, the control
// shows the field as it is.
void reportDataError(const std::exception& e) {
    MessageBoxRequest request;
    request.caption = czech("Chyba");
    request.text = e.what();
    request.icon = MessageIcon::Error;
    ui().messageBox(request);
}

} // namespace

void runUserStep(const std::function<void()>& step) {
    SignalHandlerScope scope;
    try {
        step();
    } catch (const data::DataSetError& e) {
        reportDataError(e);
    } catch (const script::ValueError& e) {
        reportDataError(e);
    }
}

namespace {

template <class F> void userStep(F step) {
    runUserStep(step);
}

} // namespace

void forEachRecord(data::DataSet& set, const std::function<void()>& visit) {
    const bool wasBof = set.bof(), wasEof = set.eof();
    const data::Bookmark mark = set.isEmpty() ? 0 : set.bookmark();
    set.disableControls();
    struct Restore {
        data::DataSet& set;
        bool wasBof, wasEof;
        data::Bookmark mark;
        ~Restore() {
            try {
                if (wasBof || mark == 0)
                    set.first();
                else
                    set.gotoBookmark(mark);
                if (wasEof && !wasBof) set.moveBy(1);
            } catch (const data::DataSetError&) {
            }
            set.enableControls();
        }
    } restore{set, wasBof, wasEof, mark};
    for (set.first(); !set.eof(); set.next())
        visit();
}

Value fieldValueOfText(const data::Field& field, const std::string& text) {
    switch (field.type()) {
    case data::FieldType::Integer:
    case data::FieldType::Float: {
        std::string number = text;
        std::erase_if(number, [](char c) { return c == ' '; });
        std::replace(number.begin(), number.end(), ',', '.');
        if (number.empty()) return Value::null();
        char* end = nullptr;
        const double d = std::strtod(number.c_str(), &end);
        if (end == number.c_str() || *end != '\0')
            throw data::DataSetError("'" + text + czech("' není platné číslo"));
        if (field.type() == data::FieldType::Integer && d >= -2147483648.0 && d <= 2147483647.0)
            return Value(static_cast<std::int32_t>(d));
        return Value(d);
    }
    case data::FieldType::Boolean:
        return Value(!text.empty() &&
                     std::string_view("TtYyAa1").find(text[0]) != std::string::npos);
    default:
        return Value(text);
    }
}

// ---- DataSourceComponent

DataSourceComponent::DataSourceComponent() : script::Component("TDataSource") {}

DataSourceComponent::~DataSourceComponent() = default;

void DataSourceComponent::resolve() {
    data::DataSet* set = nullptr;
    if (auto* provider = dynamic_cast<data::DataSetProvider*>(script::nativeObjectOf(dataSetRef_)))
        set = provider->dataSet();
    else if (dataSetRef_.isString() && !dataSetRef_.asString().empty())
        if (script::Component* top = root())
            if (auto* named = dynamic_cast<data::DataSetProvider*>(
                    top->findComponent(dataSetRef_.asString())))
                set = named->dataSet();
    source_.setDataSet(enabled_ ? set : nullptr);
}

void DataSourceComponent::loaded() {
    resolve();
}

bool DataSourceComponent::getPublished(std::string_view name, Value& out) const {
    if (is(name, "DataSet"))
        out = dataSetRef_.isEmpty() ? Value::null() : dataSetRef_;
    else if (is(name, "Enabled"))
        out = Value(enabled_);
    else if (is(name, "State"))
        out = Value(static_cast<std::int32_t>(source_.state()));
    else
        return script::Component::getPublished(name, out);
    return true;
}

bool DataSourceComponent::setPublished(std::string_view name, const Value& value) {
    if (is(name, "DataSet"))
        dataSetRef_ = value;
    else if (is(name, "Enabled"))
        enabled_ = value.toBool();
    else
        return script::Component::setPublished(name, value);
    resolve();
    return true;
}

data::DataSourceProvider* dataSourceProviderOf(const Value& reference, script::Component& from) {
    if (reference.isObject())
        return dynamic_cast<data::DataSourceProvider*>(script::nativeObjectOf(reference));
    if (!reference.isString() || reference.asString().empty()) return nullptr;
    // "DataModule1.DataSource1" names a component of another form; only the last part is
    // looked up here, among the components of this control's form.
    std::string name = reference.asString();
    if (const auto dot = name.rfind('.'); dot != std::string::npos) name.erase(0, dot + 1);
    script::Component* top = from.root();
    if (!top) return nullptr;
    if (auto* own = dynamic_cast<data::DataSourceProvider*>(top->findComponent(name))) return own;
    return nullptr;
}

// ---- DataControl

class DataControl::Link : public data::DataLink {
public:
    explicit Link(DataControl& control) : control_(control) {}
    void activeChanged(bool) override { reread(); }
    void dataSetChanged() override { reread(); }
    void recordChanged(const data::Field* field) override {
        if (writing) return;
        if (!field || sameFieldName(field->name(), control_.fieldName_)) reread();
    }
    void updateData() override { control_.commit(); }
    bool writing = false;
    bool editing = false;

private:
    void reread() {
        // Our own Edit may re-read the data set (an empty one appends): what is typed stays.
        if (editing || writing) return;
        control_.modified_ = false;
        control_.refresh();
    }
    DataControl& control_;
};

DataControl::DataControl(std::string cls, QWidget* widget)
    : Control(std::move(cls), widget), link_(std::make_unique<Link>(*this)) {}

DataControl::~DataControl() = default;

data::DataSource* DataControl::source() const {
    return link_->dataSource();
}

data::DataSet* DataControl::dataSet() const {
    data::DataSource* s = source();
    return s ? s->dataSet() : nullptr;
}

data::Field* DataControl::field() const {
    data::DataSet* set = dataSet();
    if (!set || !set->active() || fieldName_.empty()) return nullptr;
    return set->findField(fieldName_);
}

void DataControl::bind(data::DataSource* source, std::string fieldName) {
    fieldName_ = std::move(fieldName);
    if (source)
        source->addLink(link_.get());
    else if (data::DataSource* old = link_->dataSource())
        old->removeLink(link_.get());
    modified_ = false;
    refresh();
}

void DataControl::resolve() {
    if (auto* provider = dataSourceProviderOf(sourceRef_, *this))
        provider->dataSource()->addLink(link_.get());
    else if (sourceRef_.isEmpty() || sourceRef_.isNull())
        if (data::DataSource* old = link_->dataSource()) old->removeLink(link_.get());
    refresh();
}

void DataControl::loaded() {
    resolve();
}

void DataControl::refresh() {
    ++showing_;
    struct Done {
        int& n;
        ~Done() { --n; }
    } done{showing_};
    Quiet q(*this);
    showField();
}

bool DataControl::canModify() const {
    data::DataSet* set = dataSet();
    return !readOnly_ && field() && set && set->active();
}

void DataControl::userChanged() {
    if (showing_ || !canModify()) return;
    modified_ = true;
    data::DataSet* set = dataSet();
    if (set->state() == data::DataSetState::Browse) {
        link_->editing = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{link_->editing};
        set->edit();
    }
}

void DataControl::userChose() {
    if (showing_ || !canModify()) return;
    userChanged();
    commit();
}

void DataControl::commit() {
    if (!modified_) return;
    data::Field* f = field();
    if (!f || readOnly_) {
        modified_ = false;
        return;
    }
    link_->writing = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{link_->writing};
    data::DataSet* set = dataSet();
    if (set->state() == data::DataSetState::Browse) set->edit();
    f->setValue(widgetValue());
    modified_ = false;
}

bool DataControl::getOwn(std::string_view name, Value& out) const {
    if (is(name, "DataSource"))
        out = sourceRef_.isEmpty() ? Value::null() : sourceRef_;
    else if (is(name, "DataField"))
        out = Value(fieldName_);
    else if (is(name, "ReadOnly"))
        out = Value(readOnly_);
    else if (is(name, "Modified"))
        out = Value(modified_);
    else
        return false;
    return true;
}

bool DataControl::setOwn(std::string_view name, const Value& value) {
    if (is(name, "DataSource")) {
        sourceRef_ = value;
        resolve();
    } else if (is(name, "DataField")) {
        fieldName_ = value.toString();
        refresh();
    } else if (is(name, "ReadOnly")) {
        readOnly_ = value.toBool();
        readOnlyChanged();
    } else
        return false;
    return true;
}

bool DataControl::handleWidgetEvent(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) userStep([this] { commit(); });
    // Esc takes back what was typed since the field was last written.
    if (event->type() == QEvent::KeyPress && modified_ &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        modified_ = false;
        refresh();
        return true;
    }
    return Control::handleWidgetEvent(watched, event);
}

namespace {

// ---- the field controls

class DataEdit : public DataControl {
public:
    explicit DataEdit(std::string cls) : DataControl(std::move(cls), new QLineEdit) {
        QObject::connect(edit(), &QLineEdit::textEdited, edit(),
                         [this](const QString&) { userStep([this] { userChanged(); }); });
        QObject::connect(edit(), &QLineEdit::textChanged, edit(), [this](const QString&) {
            SignalHandlerScope scope;
            fire("OnChange");
        });
        QObject::connect(edit(), &QLineEdit::returnPressed, edit(),
                         [this] { userStep([this] { commit(); }); });
    }

protected:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    void showField() override {
        if (!edit()) return;
        const data::Field* f = field();
        edit()->setText(f ? qt::fromEngine(f->displayText()) : QString());
        if (f && f->size() > 0 && f->type() == data::FieldType::String)
            edit()->setMaxLength(f->size());
    }
    Value widgetValue() const override {
        return fieldValueOfText(*field(), qt::toEngine(edit()->text()));
    }
    void readOnlyChanged() override { edit()->setReadOnly(readOnly()); }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Text") && edit()) {
            out = Value(qt::toEngine(edit()->text()));
            return true;
        }
        return DataControl::getOwn(name, out);
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (is(name, "Text") && edit()) {
            // Text set by the script counts as typed.
            edit()->setText(qt::fromEngine(value.toString()));
            userStep([this] { userChanged(); });
            return true;
        }
        return DataControl::setOwn(name, value);
    }
};

class DataText : public DataControl {
public:
    explicit DataText(std::string cls) : DataControl(std::move(cls), new QLabel) {}

protected:
    void showField() override {
        if (auto* label = static_cast<QLabel*>(widget())) {
            const data::Field* f = field();
            label->setText(f ? qt::fromEngine(f->displayText()) : QString());
        }
    }
    Value widgetValue() const override { return {}; }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Caption")) {
            const data::Field* f = field();
            out = Value(f ? f->displayText() : std::string());
            return true;
        }
        return DataControl::getOwn(name, out);
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (is(name, "Alignment") && widget()) {
            const std::string a = value.toString();
            static_cast<QLabel*>(widget())->setAlignment((is(a, "taRightJustify") ? Qt::AlignRight
                                                          : is(a, "taCenter")     ? Qt::AlignHCenter
                                                                                  : Qt::AlignLeft) |
                                                         Qt::AlignTop);
            return true;
        }
        return DataControl::setOwn(name, value);
    }
};

class DataMemo : public DataControl {
public:
    explicit DataMemo(std::string cls) : DataControl(std::move(cls), new QPlainTextEdit) {
        watch(memo()->viewport());
        QObject::connect(memo(), &QPlainTextEdit::textChanged, memo(), [this] {
            if (showing()) return;
            userStep([this] { userChanged(); });
            SignalHandlerScope scope;
            fire("OnChange");
        });
    }

protected:
    QPlainTextEdit* memo() const { return static_cast<QPlainTextEdit*>(widget()); }
    void showField() override {
        if (!memo()) return;
        const data::Field* f = field();
        // Memo texts keep CR LF line ends; the widget wants plain new lines.
        std::string text = f ? f->asString() : std::string();
        std::erase(text, '\r');
        memo()->setPlainText(qt::fromEngine(text));
        memo()->document()->setModified(false);
    }
    Value widgetValue() const override {
        std::string text;
        for (char c : qt::toEngine(memo()->toPlainText()))
            text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return Value(text);
    }
    void readOnlyChanged() override { memo()->setReadOnly(readOnly()); }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Text") && memo()) {
            out = widgetValue();
            return true;
        }
        return DataControl::getOwn(name, out);
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (is(name, "ScrollBars") && memo()) {
            const std::string s = value.toString();
            const bool vertical = is(s, "ssVertical") || is(s, "ssBoth");
            memo()->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn
                                                        : Qt::ScrollBarAsNeeded);
            return true;
        }
        if (is(name, "WordWrap") && memo()) {
            memo()->setLineWrapMode(value.toBool() ? QPlainTextEdit::WidgetWidth
                                                   : QPlainTextEdit::NoWrap);
            return true;
        }
        return DataControl::setOwn(name, value);
    }
};

class DataCheckBox : public DataControl {
public:
    explicit DataCheckBox(std::string cls) : DataControl(std::move(cls), new QCheckBox) {
        QObject::connect(box(), &QCheckBox::clicked, box(), [this](bool) {
            userStep([this] { userChose(); });
            SignalHandlerScope scope;
            fire("OnClick");
        });
    }

protected:
    QCheckBox* box() const { return static_cast<QCheckBox*>(widget()); }
    // "Ano;A" means either text is checked; the first is the one written.
    static std::vector<std::string> alternatives(const std::string& values) {
        std::vector<std::string> out;
        std::size_t start = 0;
        while (start <= values.size()) {
            const std::size_t end = std::min(values.find(';', start), values.size());
            out.push_back(values.substr(start, end - start));
            start = end + 1;
        }
        return out;
    }
    void showField() override {
        if (!box()) return;
        const data::Field* f = field();
        bool checked = false;
        if (f && f->type() == data::FieldType::Boolean)
            checked = f->asBoolean();
        else if (f) {
            const std::string text = f->displayText();
            for (const auto& v : alternatives(valueChecked_))
                if (is(v, text)) checked = true;
        }
        box()->setChecked(checked);
    }
    Value widgetValue() const override {
        const bool checked = box()->isChecked();
        if (field()->type() == data::FieldType::Boolean) return Value(checked);
        return Value(alternatives(checked ? valueChecked_ : valueUnchecked_).front());
    }
    void readOnlyChanged() override { box()->setEnabled(!readOnly()); }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Caption"))
            out = Value(caption_);
        else if (is(name, "Checked"))
            out = Value(box() && box()->isChecked());
        else if (is(name, "ValueChecked"))
            out = Value(valueChecked_);
        else if (is(name, "ValueUnchecked"))
            out = Value(valueUnchecked_);
        else
            return DataControl::getOwn(name, out);
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (is(name, "Caption")) {
            caption_ = value.toString();
            box()->setText(qt::fromEngine(caption_));
        } else if (is(name, "ValueChecked"))
            valueChecked_ = value.toString();
        else if (is(name, "ValueUnchecked"))
            valueUnchecked_ = value.toString();
        else
            return DataControl::setOwn(name, value);
        refresh();
        return true;
    }

private:
    std::string caption_;
    std::string valueChecked_ = "True";
    std::string valueUnchecked_ = "False";
};

// A list box or a combo box of fixed choices whose text is the field's value.
class DataChoice : public DataControl {
public:
    DataChoice(std::string cls, bool combo)
        : DataControl(std::move(cls),
                      combo ? static_cast<QWidget*>(new QComboBox) : new QListWidget),
          combo_(combo), items_(std::make_unique<StringList>(StringList::Access{
                             [this] { return items(); },
                             [this](const std::vector<std::string>& l) { setItems(l); }})) {
        if (combo_) {
            comboBox()->setEditable(true);
            comboBox()->setInsertPolicy(QComboBox::NoInsert);
            watch(comboBox()->lineEdit());
            QObject::connect(comboBox(), &QComboBox::activated, comboBox(), [this](int) {
                userStep([this] { userChose(); });
                SignalHandlerScope scope;
                fire("OnClick");
                fire("OnChange");
            });
            QObject::connect(comboBox()->lineEdit(), &QLineEdit::textEdited, comboBox(),
                             [this](const QString&) { userStep([this] { userChanged(); }); });
        } else {
            watch(list()->viewport());
            QObject::connect(list(), &QListWidget::currentRowChanged, list(), [this](int) {
                if (showing()) return;
                userStep([this] { userChose(); });
                SignalHandlerScope scope;
                fire("OnClick");
            });
        }
    }

protected:
    QComboBox* comboBox() const { return static_cast<QComboBox*>(widget()); }
    QListWidget* list() const { return static_cast<QListWidget*>(widget()); }
    std::vector<std::string> items() const {
        std::vector<std::string> out;
        if (!widget()) return out;
        const int n = combo_ ? comboBox()->count() : list()->count();
        for (int i = 0; i < n; ++i)
            out.push_back(qt::toEngine(combo_ ? comboBox()->itemText(i) : list()->item(i)->text()));
        return out;
    }
    void setItems(const std::vector<std::string>& lines) {
        if (!widget()) return;
        ++guard_;
        if (combo_) {
            comboBox()->clear();
            for (const auto& l : lines)
                comboBox()->addItem(qt::fromEngine(l));
        } else {
            list()->clear();
            for (const auto& l : lines)
                list()->addItem(qt::fromEngine(l));
        }
        --guard_;
        refresh();
    }
    void showField() override {
        if (!widget()) return;
        const data::Field* f = field();
        const QString text = f ? qt::fromEngine(f->displayText()) : QString();
        if (combo_) {
            comboBox()->setCurrentIndex(comboBox()->findText(text));
            comboBox()->setEditText(text);
        } else {
            const auto found = text.isEmpty() ? QList<QListWidgetItem*>()
                                              : list()->findItems(text, Qt::MatchExactly);
            list()->setCurrentRow(found.isEmpty() ? -1 : list()->row(found.front()));
        }
    }
    Value widgetValue() const override {
        if (combo_) return fieldValueOfText(*field(), qt::toEngine(comboBox()->currentText()));
        const QListWidgetItem* item = list()->currentItem();
        return fieldValueOfText(*field(), item ? qt::toEngine(item->text()) : std::string());
    }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Items"))
            out = Value(script::wrapObject(items_.get()));
        else if (is(name, "ItemIndex"))
            out = Value(static_cast<std::int32_t>(combo_ ? comboBox()->currentIndex()
                                                         : list()->currentRow()));
        else if (is(name, "Text") && combo_)
            out = Value(qt::toEngine(comboBox()->currentText()));
        else
            return DataControl::getOwn(name, out);
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (is(name, "Items") || is(name, "Items.Strings")) {
            setItems(linesOf(value));
            return true;
        }
        if (is(name, "Style") && combo_) {
            const std::string s = value.toString();
            comboBox()->setEditable(!is(s, "csDropDownList"));
            return true;
        }
        return DataControl::setOwn(name, value);
    }

private:
    bool combo_;
    int guard_ = 0;
    std::unique_ptr<StringList> items_;
};

class DataRadioGroup : public DataControl {
public:
    explicit DataRadioGroup(std::string cls)
        : DataControl(std::move(cls), new QGroupBox), group_(new QButtonGroup(widget())),
          items_(std::make_unique<StringList>(
              StringList::Access{[this] { return names_; },
                                 [this](const std::vector<std::string>& l) {
                                     names_ = l;
                                     rebuild();
                                 }})),
          values_(std::make_unique<StringList>(
              StringList::Access{[this] { return values_list_; },
                                 [this](const std::vector<std::string>& l) {
                                     values_list_ = l;
                                     refresh();
                                 }})) {
        new QVBoxLayout(widget());
        QObject::connect(group_, &QButtonGroup::idClicked, widget(), [this](int) {
            userStep([this] { userChose(); });
            SignalHandlerScope scope;
            fire("OnClick");
        });
    }

protected:
    // The value an item stands for: its entry in Values, else its caption.
    std::string valueOf(std::size_t index) const {
        return index < values_list_.size() ? values_list_[index] : names_[index];
    }
    void rebuild() {
        for (QAbstractButton* b : group_->buttons()) {
            group_->removeButton(b);
            delete b;
        }
        for (std::size_t i = 0; i < names_.size(); ++i) {
            auto* radio = new QRadioButton(qt::fromEngine(names_[i]), widget());
            group_->addButton(radio, static_cast<int>(i));
            widget()->layout()->addWidget(radio);
        }
        refresh();
    }
    void showField() override {
        const data::Field* f = field();
        const std::string text = f ? f->displayText() : std::string();
        int index = -1;
        for (std::size_t i = 0; f && i < names_.size(); ++i)
            if (is(valueOf(i), text)) index = static_cast<int>(i);
        if (QAbstractButton* b = group_->button(index)) {
            b->setChecked(true);
        } else if (QAbstractButton* checked = group_->checkedButton()) {
            group_->setExclusive(false);
            checked->setChecked(false);
            group_->setExclusive(true);
        }
    }
    Value widgetValue() const override {
        const int id = group_->checkedId();
        if (id < 0) return fieldValueOfText(*field(), {});
        return fieldValueOfText(*field(), valueOf(static_cast<std::size_t>(id)));
    }
    void readOnlyChanged() override {
        for (QAbstractButton* b : group_->buttons())
            b->setEnabled(!readOnly());
    }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Caption"))
            out = Value(caption_);
        else if (is(name, "Items"))
            out = Value(script::wrapObject(items_.get()));
        else if (is(name, "Values"))
            out = Value(script::wrapObject(values_.get()));
        else if (is(name, "ItemIndex"))
            out = Value(static_cast<std::int32_t>(group_->checkedId()));
        else if (is(name, "Value")) {
            const int id = group_->checkedId();
            out = Value(id < 0 ? std::string() : valueOf(static_cast<std::size_t>(id)));
        } else
            return DataControl::getOwn(name, out);
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (is(name, "Caption")) {
            caption_ = value.toString();
            static_cast<QGroupBox*>(widget())->setTitle(qt::fromEngine(caption_));
        } else if (is(name, "Items") || is(name, "Items.Strings"))
            items_->setLines(linesOf(value));
        else if (is(name, "Values") || is(name, "Values.Strings"))
            values_->setLines(linesOf(value));
        else
            return DataControl::setOwn(name, value);
        return true;
    }

private:
    QButtonGroup* group_;
    std::vector<std::string> names_;
    std::vector<std::string> values_list_;
    std::string caption_;
    std::unique_ptr<StringList> items_;
    std::unique_ptr<StringList> values_;
};

class DataImage : public DataControl {
public:
    explicit DataImage(std::string cls) : DataControl(std::move(cls), new QLabel) {
        static_cast<QLabel*>(widget())->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }

protected:
    void showField() override {
        auto* label = static_cast<QLabel*>(widget());
        if (!label) return;
        const data::Field* f = field();
        QPixmap pixmap;
        if (f) {
            const std::string bytes = f->blob();
            pixmap.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                static_cast<uint>(bytes.size()));
        }
        label->setPixmap(
            stretch_ && !pixmap.isNull()
                ? pixmap.scaled(label->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                : pixmap);
    }
    Value widgetValue() const override { return {}; }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Stretch")) {
            out = Value(stretch_);
            return true;
        }
        return DataControl::getOwn(name, out);
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (is(name, "Stretch")) {
            stretch_ = value.toBool();
            refresh();
            return true;
        }
        return DataControl::setOwn(name, value);
    }

private:
    bool stretch_ = false;
};

// A list or a combo box whose choices come from another data set (ListSource): it shows the
// ListField of each record there and writes the chosen record's KeyField into DataField.
class DataLookup : public DataControl {
public:
    DataLookup(std::string cls, bool combo)
        : DataControl(std::move(cls),
                      combo ? static_cast<QWidget*>(new QComboBox) : new QListWidget),
          combo_(combo), listLink_(*this) {
        if (combo_) {
            QObject::connect(comboBox(), &QComboBox::activated, comboBox(), [this](int) {
                userStep([this] { userChose(); });
                SignalHandlerScope scope;
                fire("OnClick");
            });
        } else {
            watch(list()->viewport());
            QObject::connect(list(), &QListWidget::currentRowChanged, list(), [this](int) {
                if (showing()) return;
                userStep([this] { userChose(); });
                SignalHandlerScope scope;
                fire("OnClick");
            });
        }
    }
    void loaded() override {
        resolveList();
        DataControl::loaded();
    }

protected:
    QComboBox* comboBox() const { return static_cast<QComboBox*>(widget()); }
    QListWidget* list() const { return static_cast<QListWidget*>(widget()); }

    class ListLink : public data::DataLink {
    public:
        explicit ListLink(DataLookup& owner) : owner_(owner) {}
        void activeChanged(bool) override { owner_.reloadChoices(); }
        void dataSetChanged() override { owner_.reloadChoices(); }

    private:
        DataLookup& owner_;
    };

    void resolveList() {
        if (auto* provider = dataSourceProviderOf(listRef_, *this))
            provider->dataSource()->addLink(&listLink_);
        reloadChoices();
    }
    void reloadChoices() {
        if (reading_) return;
        keys_.clear();
        std::vector<std::string> shown;
        data::DataSource* src = listLink_.dataSource();
        data::DataSet* set = src ? src->dataSet() : nullptr;
        if (set && set->active() && set->state() == data::DataSetState::Browse) {
            data::Field* key = set->findField(keyField_);
            data::Field* text = set->findField(listField_.empty() ? keyField_ : listField_);
            if (key && text) {
                // Walking the list's data set must not move what others see of it.
                reading_ = true;
                forEachRecord(*set, [&] {
                    keys_.push_back(key->displayText());
                    shown.push_back(text->displayText());
                });
                reading_ = false;
            }
        }
        Quiet q(*this);
        ++guard_;
        if (combo_) {
            comboBox()->clear();
            for (const auto& s : shown)
                comboBox()->addItem(qt::fromEngine(s));
        } else {
            list()->clear();
            for (const auto& s : shown)
                list()->addItem(qt::fromEngine(s));
        }
        --guard_;
        refresh();
    }
    void showField() override {
        if (!widget()) return;
        const data::Field* f = field();
        int index = -1;
        for (std::size_t i = 0; f && i < keys_.size(); ++i)
            if (keys_[i] == f->displayText()) index = static_cast<int>(i);
        if (combo_)
            comboBox()->setCurrentIndex(index);
        else
            list()->setCurrentRow(index);
    }
    Value widgetValue() const override {
        const int index = combo_ ? comboBox()->currentIndex() : list()->currentRow();
        if (index < 0 || index >= static_cast<int>(keys_.size()))
            return fieldValueOfText(*field(), {});
        return fieldValueOfText(*field(), keys_[static_cast<std::size_t>(index)]);
    }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "ListSource"))
            out = listRef_.isEmpty() ? Value::null() : listRef_;
        else if (is(name, "ListField"))
            out = Value(listField_);
        else if (is(name, "KeyField"))
            out = Value(keyField_);
        else if (is(name, "KeyValue")) {
            const data::Field* f = field();
            out = f ? f->value() : Value::null();
        } else
            return DataControl::getOwn(name, out);
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (is(name, "ListSource")) {
            listRef_ = value;
            resolveList();
        } else if (is(name, "ListField")) {
            listField_ = value.toString();
            // "NAZEV;MESTO": the first field is the one shown.
            if (const auto semi = listField_.find(';'); semi != std::string::npos)
                listField_.erase(semi);
            reloadChoices();
        } else if (is(name, "KeyField")) {
            keyField_ = value.toString();
            reloadChoices();
        } else
            return DataControl::setOwn(name, value);
        return true;
    }

private:
    bool combo_;
    ListLink listLink_;
    Value listRef_;
    std::string listField_;
    std::string keyField_;
    std::vector<std::string> keys_;
    bool reading_ = false;
    int guard_ = 0;
};

} // namespace

std::unique_ptr<Control> makeDataGridControl(const std::string& cls);

std::unique_ptr<script::Component> makeDataControl(const std::string& cls) {
    if (is(cls, "TDataSource")) return std::make_unique<DataSourceComponent>();
    auto any = [&](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(), [&](const char* n) { return is(cls, n); });
    };
    std::unique_ptr<Control> control;
    QSize size{121, 21};
    if (any({"TDataEdit", "TDBEdit"}))
        control = std::make_unique<DataEdit>(cls);
    else if (any({"TDataText", "TDBText"})) {
        control = std::make_unique<DataText>(cls);
        size = {65, 17};
    } else if (any({"TDataMemo", "TDBMemo"})) {
        control = std::make_unique<DataMemo>(cls);
        size = {185, 89};
    } else if (any({"TDataCheckBox", "TDBCheckBox"})) {
        control = std::make_unique<DataCheckBox>(cls);
        size = {97, 17};
    } else if (any({"TDataListBox", "TDBListBox"})) {
        control = std::make_unique<DataChoice>(cls, false);
        size = {121, 97};
    } else if (any({"TDataComboBox", "TDBComboBox"})) {
        control = std::make_unique<DataChoice>(cls, true);
        size = {145, 21};
    } else if (any({"TDataRadioGroup", "TDBRadioGroup"})) {
        control = std::make_unique<DataRadioGroup>(cls);
        size = {185, 105};
    } else if (any({"TDataImage", "TDBImage"})) {
        control = std::make_unique<DataImage>(cls);
        size = {105, 105};
    } else if (any({"TDataLookUpList", "TDBLookupListBox"})) {
        control = std::make_unique<DataLookup>(cls, false);
        size = {121, 97};
    } else if (any({"TDataLookUpCombo", "TDBLookupComboBox"})) {
        control = std::make_unique<DataLookup>(cls, true);
        size = {145, 21};
    } else {
        return makeDataGridControl(cls);
    }
    // The runtime's own data controls move on with Enter; the standard ones keep Enter.
    control->setEnterAsTab(cls.size() > 5 && is(std::string_view(cls).substr(0, 5), "TData") &&
                           !any({"TDataText", "TDataMemo", "TDataImage"}));
    return withDefaultSize(std::move(control), size);
}

} // namespace vorlan::forms
