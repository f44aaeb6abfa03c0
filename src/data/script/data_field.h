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

private:
    Field& field() const;
    TDataTable& table_; // owns this object
    std::string name_;
};

} // namespace vorlan::data
