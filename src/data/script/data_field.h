#pragma once
// TField: one field of a table as a script object (`T.FieldByName('CENA').AsFloat`,
// `T.Fields[0].FieldName`). It names its field and finds it again in the table's open data set
// on every use, so it stays valid across closing and reopening; on a closed table, or when the
// reopened table has no such field, it fails with a Czech message. Writing a value edits and
// posts the record at once, as the table's Write methods do.

#include "script/native_object.h"
#include "script/value.h"

#include <cstdint>
#include <string>

namespace vorlan::data {

class Field;
class TDataTable;

class FieldObject : public script::NativeObject {
public:
    FieldObject(TDataTable& table, std::string name);

    const std::string& fieldName() const { return name_; }
    script::Value value() const;
    void setValue(const script::Value& value);
    std::string asString() const;
    double asFloat() const;
    std::int32_t asInteger() const;
    bool asBoolean() const;
    std::string displayText() const;
    bool isNull() const;
    std::int32_t size() const;
    std::string dataType() const; // ftString, ftFloat ...
    TDataTable& table() const { return table_; }
    // Its place among the table's fields, from 0; -1 when the table has no such field now.
    std::int32_t index() const;
    // Numbers to the right, anything else to the left, as grids show them.
    std::string alignment() const;

    // What a program sets for the field's display and checks: a read-only field refuses new
    // values; the others are kept as given. An empty label is the field's name; a width of -1
    // is the field's size.
    std::string displayLabel;
    std::int32_t displayWidth = -1;
    bool readOnly = false;
    bool required = false;
    bool visible = true;

private:
    Field& field() const;
    TDataTable& table_; // owns this object
    std::string name_;
};

} // namespace vorlan::data
