#include "ui/qt/forms/data_controls.h"

#include "core/cp1250.h"
#include "core/field_name.h"
#include "core/text_lines.h"
#include "core/ui_services.h"
#include "script/comp_wrapper.h"
#include "ui/qt/forms/field_text.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/forms/string_list.h"
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
        // Blanks (plain or non-breaking) between thousands, a comma or a point before decimals.
        std::erase_if(number, [](char c) { return c == ' ' || c == '\xA0'; });
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

class DataSourceComponent::Events : public data::DataLink {
public:
    explicit Events(DataSourceComponent& owner) : owner_(owner) {}
    void activeChanged(bool) override { owner_.fireNotify("OnStateChange"); }
    void stateChanged(data::DataSetState) override { owner_.fireNotify("OnStateChange"); }
    void dataSetChanged() override { dataChanged(); }
    void recordChanged(const data::Field*) override { dataChanged(); }
    void updateData() override { owner_.fireNotify("OnUpdateData"); }

private:
    void dataChanged() {
        if (!owner_.handlerOf("OnDataChange")) return;
        Value args[2] = {Value(script::wrapObject(&owner_)), Value(script::ObjectRef())};
        owner_.fireEvent("OnDataChange", args);
    }
    DataSourceComponent& owner_;
};

DataSourceComponent::DataSourceComponent()
    : script::Component("TDataSource"), events_(std::make_unique<Events>(*this)) {
    source_.addLink(events_.get());
}

DataSourceComponent::~DataSourceComponent() {
    source_.removeLink(events_.get());
}

void DataSourceComponent::edit() {
    data::DataSet* set = source_.dataSet();
    if (autoEdit_ && set && set->active() && set->state() == data::DataSetState::Browse)
        set->edit();
}

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

const PropertyTable& DataSourceComponent::propertyTable() {
    static const auto table = PropertyTable::of<DataSourceComponent>(
        nullptr, {
                     {"DataSet",
                      [](const DataSourceComponent& d) {
                          return d.dataSetRef_.isEmpty() ? Value::null() : d.dataSetRef_;
                      },
                      [](DataSourceComponent& d, const Value& v) {
                          d.dataSetRef_ = v;
                          d.resolve();
                      }},
                     {"Enabled", &DataSourceComponent::enabled_,
                      [](DataSourceComponent& d, bool v) {
                          d.enabled_ = v;
                          d.resolve();
                      }},
                     {"State", [](const DataSourceComponent& d) { return d.source_.state(); }},
                     {"AutoEdit", &DataSourceComponent::autoEdit_, &DataSourceComponent::autoEdit_},
                 });
    return table;
}

bool DataSourceComponent::getPublished(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out) || script::Component::getPublished(name, out);
}

bool DataSourceComponent::setPublished(std::string_view name, const Value& value) {
    return propertyTable().set(*this, name, value) || script::Component::setPublished(name, value);
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

const PropertyTable& DataControl::propertyTable() {
    static const auto table = PropertyTable::of<DataControl>(
        &Control::propertyTable(), {
                                       {"DataSource",
                                        [](const DataControl& c) {
                                            return c.sourceRef_.isEmpty() ? Value::null()
                                                                          : c.sourceRef_;
                                        },
                                        [](DataControl& c, const Value& v) {
                                            c.sourceRef_ = v;
                                            c.resolve();
                                        }},
                                       {"DataField", &DataControl::fieldName_,
                                        [](DataControl& c, const std::string& v) {
                                            c.fieldName_ = v;
                                            c.refresh();
                                        }},
                                       {"ReadOnly", &DataControl::readOnly_,
                                        [](DataControl& c, bool v) {
                                            c.readOnly_ = v;
                                            c.readOnlyChanged();
                                        }},
                                       {"Modified", &DataControl::modified_},
                                       {"Field", &DataControl::fieldObject},
                                   });
    return table;
}

Value DataControl::fieldObject() const {
    // The table behind the data source: the source itself, or the data set it names.
    auto* provider = dataSourceProviderOf(sourceRef_, const_cast<DataControl&>(*this));
    auto* source = dynamic_cast<script::Component*>(provider);
    script::NativeObject* table = dynamic_cast<data::DataSetProvider*>(source) ? source : nullptr;
    if (source && !table) {
        Value set;
        source->getPublished("DataSet", set);
        if (set.isObject())
            table = script::nativeObjectOf(set);
        else if (set.isString() && source->root())
            table = source->root()->findComponent(set.asString());
    }
    if (!table || fieldName_.empty()) return Value(script::ObjectRef());
    const script::ObjectRef wrapped = script::wrapObject(table);
    Value name(fieldName_), out;
    script::ExceptionInfo error;
    if (!wrapped ||
        script::invokeByName(*wrapped, "FieldByName", script::InvokeMethod,
                             std::span<Value>(&name, 1), out, error) != script::DispStatus::Ok)
        return Value(script::ObjectRef());
    return out;
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
        edit()->setText(f ? qt::fromEngine(shownFieldText(*f)) : QString());
        if (f && f->size() > 0 && f->type() == data::FieldType::String)
            edit()->setMaxLength(f->size());
    }
    Value widgetValue() const override {
        return fieldValueOfText(*field(), qt::toEngine(edit()->text()));
    }
    void readOnlyChanged() override { edit()->setReadOnly(readOnly()); }
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<DataEdit>(
            &DataControl::propertyTable(),
            {
                {"Text", [](const DataEdit& e) { return qt::toEngine(e.edit()->text()); },
                 [](DataEdit& e, const std::string& v) {
                     // Text set by the script counts as typed.
                     e.edit()->setText(qt::fromEngine(v));
                     userStep([&e] { e.userChanged(); });
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }
};

class DataText : public DataControl {
public:
    explicit DataText(std::string cls) : DataControl(std::move(cls), new QLabel) {}

protected:
    void showField() override {
        if (auto* label = static_cast<QLabel*>(widget())) {
            const data::Field* f = field();
            label->setText(f ? qt::fromEngine(shownFieldText(*f)) : QString());
        }
    }
    Value widgetValue() const override { return {}; }
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<DataText>(
            &DataControl::propertyTable(),
            {
                {"Caption",
                 [](const DataText& t) {
                     const data::Field* f = t.field();
                     return f ? shownFieldText(*f) : std::string();
                 }},
                {"Alignment", nullptr,
                 [](DataText& t, const Value& v) {
                     static_cast<QLabel*>(t.widget())
                         ->setAlignment(textAlignmentOf(v) | Qt::AlignTop);
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }
};

class DataMemo : public DataControl {
public:
    explicit DataMemo(std::string cls)
        : DataControl(std::move(cls), new QPlainTextEdit),
          // Lines: the memo's text line by line; a change is the user's, as typing is.
          lines_(std::make_unique<StringList>(StringList::Access{
              [this] { return linesOfValue(Value(qt::toEngine(memo()->toPlainText()))); },
              [this](const std::vector<std::string>& lines) {
                  std::string all;
                  for (std::size_t i = 0; i < lines.size(); ++i)
                      all += (i ? "\n" : "") + lines[i];
                  memo()->setPlainText(qt::fromEngine(all));
              }})) {
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
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<DataMemo>(
            &DataControl::propertyTable(),
            {
                {"Text", &DataMemo::widgetValue},
                {"Lines", [](const DataMemo& m) { return m.lines_.get(); },
                 [](DataMemo& m, const Value& v) { m.lines_->setLines(linesOfValue(v)); }},
                {"ScrollBars", nullptr,
                 [](DataMemo& m, const std::string& v) {
                     const bool vertical =
                         equalsNoCase(v, "ssVertical") || equalsNoCase(v, "ssBoth");
                     m.memo()->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAsNeeded);
                 }},
                {"WordWrap", nullptr,
                 [](DataMemo& m, bool v) {
                     m.memo()->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth
                                                 : QPlainTextEdit::NoWrap);
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    std::unique_ptr<StringList> lines_;
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
                if (equalsNoCase(v, text)) checked = true;
        }
        box()->setChecked(checked);
    }
    Value widgetValue() const override {
        const bool checked = box()->isChecked();
        if (field()->type() == data::FieldType::Boolean) return Value(checked);
        return Value(alternatives(checked ? valueChecked_ : valueUnchecked_).front());
    }
    void readOnlyChanged() override { box()->setEnabled(!readOnly()); }
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<DataCheckBox>(
            &DataControl::propertyTable(),
            {
                {"Caption", &DataCheckBox::caption_,
                 [](DataCheckBox& b, const std::string& v) {
                     b.caption_ = v;
                     b.box()->setText(qt::fromEngine(v));
                     b.refresh();
                 }},
                {"Checked", [](const DataCheckBox& b) { return b.box()->isChecked(); }},
                {"ValueChecked", &DataCheckBox::valueChecked_,
                 [](DataCheckBox& b, const std::string& v) {
                     b.valueChecked_ = v;
                     b.refresh();
                 }},
                {"ValueUnchecked", &DataCheckBox::valueUnchecked_,
                 [](DataCheckBox& b, const std::string& v) {
                     b.valueUnchecked_ = v;
                     b.refresh();
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

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
    static const PropertyTable& propertyTable() {
        const auto setItems = [](DataChoice& c, const Value& v) { c.setItems(linesOfValue(v)); };
        static const auto table = PropertyTable::of<DataChoice>(
            &DataControl::propertyTable(),
            {
                {"Items", [](const DataChoice& c) { return c.items_.get(); }, setItems},
                {"Items.Strings", nullptr, setItems},
                {"ItemIndex",
                 [](const DataChoice& c) {
                     return c.combo_ ? c.comboBox()->currentIndex() : c.list()->currentRow();
                 }},
                // A list box has neither.
                {"Text",
                 [](const DataChoice& c) -> std::optional<Value> {
                     if (!c.combo_) return std::nullopt;
                     return Value(qt::toEngine(c.comboBox()->currentText()));
                 }},
                {"Style", nullptr,
                 [](DataChoice& c, const std::string& v) {
                     if (!c.combo_) return false;
                     c.comboBox()->setEditable(!equalsNoCase(v, "csDropDownList"));
                     return true;
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

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
            if (equalsNoCase(valueOf(i), text)) index = static_cast<int>(i);
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
    static const PropertyTable& propertyTable() {
        const auto setItems = [](DataRadioGroup& g, const Value& v) {
            g.items_->setLines(linesOfValue(v));
        };
        const auto setValues = [](DataRadioGroup& g, const Value& v) {
            g.values_->setLines(linesOfValue(v));
        };
        static const auto table = PropertyTable::of<DataRadioGroup>(
            &DataControl::propertyTable(),
            {
                {"Caption", &DataRadioGroup::caption_,
                 [](DataRadioGroup& g, const std::string& v) {
                     g.caption_ = v;
                     static_cast<QGroupBox*>(g.widget())->setTitle(qt::fromEngine(v));
                 }},
                {"Items", [](const DataRadioGroup& g) { return g.items_.get(); }, setItems},
                {"Items.Strings", nullptr, setItems},
                {"Values", [](const DataRadioGroup& g) { return g.values_.get(); }, setValues},
                {"Values.Strings", nullptr, setValues},
                {"ItemIndex", [](const DataRadioGroup& g) { return g.group_->checkedId(); }},
                {"Value",
                 [](const DataRadioGroup& g) {
                     const int id = g.group_->checkedId();
                     return id < 0 ? std::string() : g.valueOf(static_cast<std::size_t>(id));
                 }},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

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
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<DataImage>(&DataControl::propertyTable(),
                                                               {
                                                                   {"Stretch", &DataImage::stretch_,
                                                                    [](DataImage& i, bool v) {
                                                                        i.stretch_ = v;
                                                                        i.refresh();
                                                                    }},
                                                               });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

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
    // A key set by the script counts as the user's choice: the record with that key is picked
    // and the key written into the field. A key that no record of the list has changes nothing.
    void chooseKey(const Value& key) {
        const std::string text = key.toString();
        const auto found = std::find(keys_.begin(), keys_.end(), text);
        if (found == keys_.end()) return;
        const int index = static_cast<int>(found - keys_.begin());
        {
            Quiet q(*this);
            ++guard_;
            if (combo_)
                comboBox()->setCurrentIndex(index);
            else
                list()->setCurrentRow(index);
            --guard_;
        }
        userStep([this] { userChose(); });
    }
    Value widgetValue() const override {
        const int index = combo_ ? comboBox()->currentIndex() : list()->currentRow();
        if (index < 0 || index >= static_cast<int>(keys_.size()))
            return fieldValueOfText(*field(), {});
        return fieldValueOfText(*field(), keys_[static_cast<std::size_t>(index)]);
    }
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<DataLookup>(
            &DataControl::propertyTable(),
            {
                {"ListSource",
                 [](const DataLookup& l) {
                     return l.listRef_.isEmpty() ? Value::null() : l.listRef_;
                 },
                 [](DataLookup& l, const Value& v) {
                     l.listRef_ = v;
                     l.resolveList();
                 }},
                {"ListField", &DataLookup::listField_,
                 [](DataLookup& l, const std::string& v) {
                     l.listField_ = v;
                     // "NAZEV;MESTO": the first field is the one shown.
                     if (const auto semi = v.find(';'); semi != std::string::npos)
                         l.listField_.erase(semi);
                     l.reloadChoices();
                 }},
                {"KeyField", &DataLookup::keyField_,
                 [](DataLookup& l, const std::string& v) {
                     l.keyField_ = v;
                     l.reloadChoices();
                 }},
                // The older lookup controls (TDBLookupCombo, TDBLookupList) name the same three
                // settings LookupSource, LookupField and LookupDisplay.
                {"LookupSource",
                 [](const DataLookup& l) {
                     return l.listRef_.isEmpty() ? Value::null() : l.listRef_;
                 },
                 [](DataLookup& l, const Value& v) {
                     l.listRef_ = v;
                     l.resolveList();
                 }},
                {"LookupDisplay", &DataLookup::listField_,
                 [](DataLookup& l, const std::string& v) {
                     l.listField_ = v;
                     if (const auto semi = v.find(';'); semi != std::string::npos)
                         l.listField_.erase(semi);
                     l.reloadChoices();
                 }},
                {"LookupField", &DataLookup::keyField_,
                 [](DataLookup& l, const std::string& v) {
                     l.keyField_ = v;
                     l.reloadChoices();
                 }},
                {"KeyValue",
                 [](const DataLookup& l) {
                     const data::Field* f = l.field();
                     return f ? f->value() : Value::null();
                 },
                 &DataLookup::chooseKey},
            });
        return table;
    }
    const PropertyTable& properties() const override { return propertyTable(); }

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

template <bool combo> std::unique_ptr<script::Component> makeChoice(const std::string& cls) {
    return std::make_unique<DataChoice>(cls, combo);
}

template <bool combo> std::unique_ptr<script::Component> makeLookup(const std::string& cls) {
    return std::make_unique<DataLookup>(cls, combo);
}

} // namespace

// ---- the class table

namespace {

// The runtime's own data controls move on with Enter; the standard ones keep Enter, and so do
// the memo (new lines), the label and the image (no input).
const FormClass kDataControlsClasses[] = {
    {"TDataSource",
     "TComponent",
     create<DataSourceComponent>,
     {},
     false,
     "OnDataChange OnStateChange OnUpdateData"},
    {"TDBEdit", "TCustomEdit", create<DataEdit>, {121, 21}, false, "OnChange"},
    {"TDataEdit", "TDBEdit", create<DataEdit>, {121, 21}, true},
    {"TDBText", "TGraphicControl", create<DataText>, {65, 17}},
    {"TDataText", "TDBText", create<DataText>, {65, 17}},
    {"TDBMemo", "TCustomMemo", create<DataMemo>, {185, 89}, false, "OnChange", "AutoDisplay=True"},
    {"TDataMemo", "TDBMemo", create<DataMemo>, {185, 89}},
    {"TDBCheckBox", "TCustomCheckBox", create<DataCheckBox>, {97, 17}, false, "OnClick"},
    {"TDataCheckBox", "TDBCheckBox", create<DataCheckBox>, {97, 17}, true},
    {"TDBListBox", "TCustomListBox", makeChoice<false>, {121, 97}, false, "OnClick OnChange"},
    {"TDataListBox", "TDBListBox", makeChoice<false>, {121, 97}, true},
    {"TDBComboBox", "TCustomComboBox", makeChoice<true>, {145, 21}, false, "OnClick OnChange"},
    {"TDataComboBox", "TDBComboBox", makeChoice<true>, {145, 21}, true},
    {"TDBRadioGroup", "TCustomGroupBox", create<DataRadioGroup>, {185, 105}, false, "OnClick"},
    {"TDataRadioGroup", "TDBRadioGroup", create<DataRadioGroup>, {185, 105}, true},
    {"TDBImage", "TWinControl", create<DataImage>, {105, 105}, false, "", "AutoDisplay=True"},
    {"TDataImage", "TDBImage", create<DataImage>, {105, 105}},
    {"TDBLookupListBox",
     "TWinControl",
     makeLookup<false>,
     {121, 97},
     false,
     "OnClick",
     "ListFieldIndex=0 RowCount=7"},
    {"TDataLookUpList", "TDBLookupListBox", makeLookup<false>, {121, 97}, true},
    {"TDBLookupComboBox",
     "TWinControl",
     makeLookup<true>,
     {145, 21},
     false,
     "OnClick OnDropDown",
     "DropDownAlign=daLeft DropDownRows=7 DropDownWidth=0 ListFieldIndex=0"},
    {"TDBLookupList", "TDBLookupListBox", makeLookup<false>, {121, 97}, false, "", "Options=[]"},
    {"TDBLookupCombo",
     "TDBLookupComboBox",
     makeLookup<true>,
     {145, 21},
     false,
     "",
     "Options=[] DropDownWidth=0"},
    {"TDataLookUpCombo", "TDBLookupComboBox", makeLookup<true>, {145, 21}, true},
};

} // namespace

std::span<const FormClass> dataControlClasses() {
    return kDataControlsClasses;
}

} // namespace vorlan::forms
