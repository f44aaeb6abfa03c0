#include "report/run/record_source.h"

#include "core/field_name.h"
#include "report/number_text.h"

namespace vorlan::report {

data::Field* DataSetRecords::fieldOfStructure(int index) const {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active() || index < 0 || index >= ds->fieldCount()) return nullptr;
    return ds->field(index);
}

data::Field* DataSetRecords::field(int index) const {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active() || ds->isEmpty()) return nullptr;
    return fieldOfStructure(index);
}

int DataSetRecords::fieldCount() const {
    data::DataSet* ds = dataSet();
    return ds && ds->active() ? ds->fieldCount() : 0;
}

int DataSetRecords::fieldIndex(std::string_view name) const {
    for (int i = 0; i < fieldCount(); ++i)
        if (sameFieldName(dataSet()->field(i)->name(), name)) return i;
    return -1;
}

void DataSetRecords::fieldValue(int index, ReportValue& out) const {
    out.clear();
    const data::Field* f = fieldOfStructure(index);
    if (!f) return;
    switch (f->type()) {
    case data::FieldType::String:
        out.kind = ValueKind::String;
        break;
    case data::FieldType::Integer:
    case data::FieldType::Float:
        out.kind = ValueKind::Number;
        break;
    default:
        break;
    }
    out.setText(fieldDisplayText(index));
    out.number = fieldAsNumber(index);
}

std::int32_t DataSetRecords::fieldType(int index) const {
    const data::Field* f = fieldOfStructure(index);
    if (!f) return kFtUnknown;
    switch (f->type()) {
    case data::FieldType::String:
        return kFtString;
    case data::FieldType::Integer:
        return kFtInteger;
    case data::FieldType::Float:
        return kFtFloat;
    case data::FieldType::Boolean:
        return kFtBoolean;
    case data::FieldType::Date:
        return kFtDate;
    case data::FieldType::Memo:
        return kFtMemo;
    case data::FieldType::Graphic:
        return kFtGraphic;
    case data::FieldType::Blob:
        return kFtBlob;
    case data::FieldType::Unknown:
        break;
    }
    return kFtUnknown;
}

Alignment DataSetRecords::fieldAlignment(int index) const {
    const data::Field* f = fieldOfStructure(index);
    if (!f) return kAlignLeft;
    switch (f->alignment()) {
    case data::FieldAlignment::Right:
        return kAlignRight;
    case data::FieldAlignment::Center:
        return kAlignCenter;
    case data::FieldAlignment::Left:
        break;
    }
    return kAlignLeft;
}

int DataSetRecords::fieldDisplayWidth(int index) const {
    const data::Field* f = fieldOfStructure(index);
    return f ? f->displayWidth() : 10;
}

std::string DataSetRecords::fieldName(int index) const {
    const data::Field* f = fieldOfStructure(index);
    return f ? f->name() : std::string();
}

std::string DataSetRecords::fieldDisplayLabel(int index) const {
    const data::Field* f = fieldOfStructure(index);
    return f ? f->displayLabel() : std::string();
}

std::string DataSetRecords::fieldDisplayText(int index) const {
    const data::Field* f = field(index);
    return f ? f->displayText() : std::string();
}

std::string DataSetRecords::fieldMemoText(int index) const {
    const data::Field* f = field(index);
    return f ? f->asString() : std::string();
}

std::string DataSetRecords::fieldPicture(int index) const {
    const data::Field* f = field(index);
    return f ? f->blob() : std::string();
}

double DataSetRecords::fieldAsNumber(int index) const {
    const data::Field* f = field(index);
    if (!f) return 0;
    switch (f->type()) {
    case data::FieldType::Boolean:
        return f->asBoolean() ? 1 : 0;
    case data::FieldType::String:
    case data::FieldType::Memo:
        return textToNumber(f->asString());
    default:
        return f->asFloat();
    }
}

std::int32_t DataSetRecords::step(StepDir dir) {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active()) return kStepAtBeginning | kStepAtEnd;
    switch (dir) {
    case StepDir::First:
        ds->first();
        break;
    case StepDir::Prior:
        ds->prior();
        break;
    case StepDir::Next:
        ds->next();
        break;
    case StepDir::Last:
        ds->last();
        break;
    }
    return (ds->bof() ? kStepAtBeginning : 0) | (ds->eof() ? kStepAtEnd : 0);
}

bool DataSetRecords::empty() const {
    data::DataSet* ds = dataSet();
    return !ds || !ds->active() || ds->isEmpty();
}

void DataSetRecords::saveBookmark() {
    data::DataSet* ds = dataSet();
    bookmarkSaved_ = ds && ds->active() && !ds->isEmpty();
    if (bookmarkSaved_) bookmark_ = ds->bookmark();
}

void DataSetRecords::restoreBookmark() {
    data::DataSet* ds = dataSet();
    if (bookmarkSaved_ && ds && ds->active()) ds->gotoBookmark(bookmark_);
    bookmarkSaved_ = false;
}

void DataSetRecords::disableControls() {
    if (data::DataSet* ds = dataSet()) ds->disableControls();
}

void DataSetRecords::enableControls() {
    if (data::DataSet* ds = dataSet()) ds->enableControls();
}

} // namespace vorlan::report
