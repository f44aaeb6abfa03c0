#pragma once
// Data-aware controls: each shows one field of the current record of the data set behind its
// DataSource (a grid and a navigator show the whole data set) and writes what the user changes
// back into the field. The DataSource property names a component that owns a data source
// (data::DataSourceProvider: TDataSource, or a table with its own); DataField names the field.
//
// A control writes its field when the user leaves it (or presses Enter), when the data set is
// about to post, and at once for choices (check box, list, radio group). Typing puts the data
// set into Edit, so a move or Post keeps what was typed.

#include "data/data_set.h"
#include "data/data_source_component.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"

#include <functional>
#include <span>

namespace vorlan::forms {

// TDataSource: a data source a form stores, whose DataSet names a table component.
class DataSourceComponent : public script::Component, public data::DataSourceProvider {
public:
    DataSourceComponent();
    ~DataSourceComponent() override;
    // DataSet, Enabled, State, AutoEdit. OnDataChange (Sender, Field: nil) fires when the
    // record moves or changes, OnStateChange when the data set opens, closes or changes its
    // state, OnUpdateData before a record is written.
    static const PropertyTable& propertyTable();
    // Edit: puts the data set into editing, unless AutoEdit is off or there is none.
    void edit();
    data::DataSource* dataSource() override { return &source_; }
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;
    void loaded() override;

private:
    void resolve();
    class Events;
    data::DataSource source_;
    std::unique_ptr<Events> events_;
    script::Value dataSetRef_;
    bool enabled_ = true;
    bool autoEdit_ = true;
};

// The provider a DataSource property (a stored name or an object) refers to, looked up among
// the components of `from`'s form; null when there is none yet.
data::DataSourceProvider* dataSourceProviderOf(const script::Value& reference,
                                               script::Component& from);

// What every data-aware control shares: its link to the data source and its field.
class DataControl : public Control {
public:
    DataControl(std::string cls, QWidget* widget);
    ~DataControl() override;
    // DataSource, DataField, ReadOnly, Modified.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    // The field shown; null without a data set, while it is closed or when the name is wrong.
    data::Field* field() const;
    data::DataSet* dataSet() const;
    data::DataSource* source() const;
    // Ties the control to a data source directly (for windows of the runtime itself).
    void bind(data::DataSource* source, std::string fieldName);
    void loaded() override;
    // Writes what the user changed into the field now.
    void commit();
    bool modified() const { return modified_; }
    // The table's TField object of the field shown (Field); nil without one.
    script::Value fieldObject() const;

protected:
    // Shows the field (or nothing without one) in the widget.
    virtual void showField() = 0;
    // The widget's value as the field should get it.
    virtual script::Value widgetValue() const = 0;
    // The user changed the widget: the data set goes into Edit.
    void userChanged();
    // The user chose a value: it is written at once.
    void userChose();
    // showField without the widget's signals counting as the user's changes.
    void refresh();
    bool canModify() const;
    bool showing() const { return showing_ > 0; }
    bool readOnly() const { return readOnly_; }
    virtual void readOnlyChanged() {}
    const std::string& fieldName() const { return fieldName_; }

    bool handleWidgetEvent(QObject* watched, QEvent* event) override;

private:
    class Link;
    void resolve();
    std::unique_ptr<Link> link_;
    script::Value sourceRef_;
    std::string fieldName_;
    bool readOnly_ = false;
    bool modified_ = false;
    int showing_ = 0;
};

// Runs what the user started in a control (from a widget signal); a failure of the data set
// is shown to the user instead of escaping into the event loop.
void runUserStep(const std::function<void()>& step);

// Visits every record of `set` (which must be browsing) without the links seeing the moves,
// then puts the cursor back where it was, Bof and Eof included.
void forEachRecord(data::DataSet& set, const std::function<void()>& visit);

// Text typed into a control as the value its field takes: numbers for numeric fields (a
// decimal comma is read as a point), a Boolean for logical ones, text otherwise. Empty text
// empties a numeric field.
script::Value fieldValueOfText(const data::Field& field, const std::string& text);

// TDataSource and the field controls (TDataEdit, TDBEdit ...) with their Enter keys.
std::span<const FormClass> dataControlClasses();

} // namespace vorlan::forms
