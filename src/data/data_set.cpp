#include "data/data_set.h"
#include "core/cp1250.h"

#include "core/field_name.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vorlan::data {

// ---- Field -------------------------------------------------------------------------------

FieldAlignment Field::alignment() const {
    switch (type()) {
    case FieldType::Integer:
    case FieldType::Float:
        return FieldAlignment::Right;
    case FieldType::Boolean:
        return FieldAlignment::Center;
    default:
        return FieldAlignment::Left;
    }
}

std::string Field::asString() const {
    Value v = value();
    if (v.isEmpty() || v.isNull()) {
        return {};
    }
    return v.toString();
}

std::string Field::displayText() const {
    if (type() == FieldType::Float && !isNull()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", decimals(), asFloat());
        return buf;
    }
    if (type() == FieldType::Boolean && !isNull()) {
        return asBoolean() ? "T" : "F";
    }
    return asString();
}

double Field::asFloat() const {
    Value v = value();
    if (v.isEmpty() || v.isNull()) {
        return 0;
    }
    try {
        return v.toDouble();
    } catch (const ValueError&) {
        return 0;
    }
}

bool Field::asBoolean() const {
    Value v = value();
    if (v.isEmpty() || v.isNull()) {
        return false;
    }
    try {
        return v.toBool();
    } catch (const ValueError&) {
        return false;
    }
}

bool Field::isNull() const {
    Value v = value();
    return v.isEmpty() || v.isNull();
}

// ---- DataLink / DataSource ---------------------------------------------------------------

DataLink::~DataLink() {
    if (source_ != nullptr) {
        source_->removeLink(this);
    }
}

DataSource::~DataSource() {
    setDataSet(nullptr);
    for (DataLink* link : links_) {
        link->source_ = nullptr;
    }
}

void DataSource::setDataSet(DataSet* dataSet) {
    if (dataSet == dataSet_) {
        return;
    }
    if (dataSet_ != nullptr) {
        auto& list = dataSet_->sources_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    dataSet_ = dataSet;
    if (dataSet_ != nullptr) {
        dataSet_->sources_.push_back(this);
    }
    notifyActive(dataSet_ != nullptr && dataSet_->active());
}

DataSetState DataSource::state() const {
    return dataSet_ == nullptr ? DataSetState::Inactive : dataSet_->state();
}

void DataSource::addLink(DataLink* link) {
    if (link->source_ == this) {
        return;
    }
    if (link->source_ != nullptr) {
        link->source_->removeLink(link);
    }
    link->source_ = this;
    links_.push_back(link);
}

void DataSource::removeLink(DataLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
    if (link->source_ == this) {
        link->source_ = nullptr;
    }
}

// Links may remove themselves while being told, so every notification walks a copy.
void DataSource::notifyActive(bool active) {
    for (DataLink* link : std::vector<DataLink*>(links_)) {
        link->activeChanged(active);
    }
}
void DataSource::notifyDataSetChanged() {
    for (DataLink* link : std::vector<DataLink*>(links_)) {
        link->dataSetChanged();
    }
}
void DataSource::notifyRecordChanged(const Field* field) {
    for (DataLink* link : std::vector<DataLink*>(links_)) {
        link->recordChanged(field);
    }
}
void DataSource::notifyState(DataSetState state) {
    for (DataLink* link : std::vector<DataLink*>(links_)) {
        link->stateChanged(state);
    }
}
void DataSource::notifyUpdateData() {
    for (DataLink* link : std::vector<DataLink*>(links_)) {
        link->updateData();
    }
}

// ---- DataSet -----------------------------------------------------------------------------

DataSet::~DataSet() {
    for (DataSource* source : sources_) {
        source->dataSet_ = nullptr;
    }
}

void DataSet::open() {
    if (active_) {
        return;
    }
    doOpen();
    active_ = true;
    state_ = DataSetState::Browse;
    for (DataSource* s : std::vector<DataSource*>(sources_)) {
        s->notifyActive(true);
    }
}

void DataSet::close() {
    if (!active_) {
        return;
    }
    if (state_ != DataSetState::Browse) {
        cancel();
    }
    doClose();
    active_ = false;
    for (DataSource* s : std::vector<DataSource*>(sources_)) {
        s->notifyActive(false);
    }
}

void DataSet::enableControls() {
    if (disabled_ > 0 && --disabled_ == 0) {
        changed();
    }
}

void DataSet::setState(DataSetState s) {
    if (s == state_) {
        return;
    }
    state_ = s;
    for (DataSource* src : std::vector<DataSource*>(sources_)) {
        src->notifyState(s);
    }
}

void DataSet::edit() {
    if (!active_) {
        throw DataSetError(czech("Tuto operaci nelze provést na zavřené datové sadě"));
    }
    if (state_ != DataSetState::Browse) {
        return;
    }
    if (isEmpty()) {
        append();
        return;
    }
    doEdit();
    setState(DataSetState::Edit);
}

void DataSet::append() {
    if (!active_) {
        throw DataSetError(czech("Tuto operaci nelze provést na zavřené datové sadě"));
    }
    checkBrowse();
    doAppend();
    setState(DataSetState::Insert);
    changed();
}

void DataSet::post() {
    if (!active_ || state_ == DataSetState::Browse) {
        return;
    }
    for (DataSource* src : std::vector<DataSource*>(sources_)) {
        src->notifyUpdateData();
    }
    doPost();
    setState(DataSetState::Browse);
    changed();
}

void DataSet::cancel() {
    if (!active_ || state_ == DataSetState::Browse) {
        return;
    }
    doCancel();
    setState(DataSetState::Browse);
    changed();
}

void DataSet::deleteRecord() {
    if (!active_) {
        throw DataSetError(czech("Tuto operaci nelze provést na zavřené datové sadě"));
    }
    if (state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    if (isEmpty()) {
        throw DataSetError(czech("Tuto operaci nelze provést na prázdné datové sadě"));
    }
    doDelete();
    setState(DataSetState::Browse);
    changed();
}

void DataSet::checkBrowse() {
    if (active_ && state_ != DataSetState::Browse) {
        post();
    }
}

Field* DataSet::findField(std::string_view name) const {
    for (int i = 0; i < fieldCount(); ++i) {
        Field* f = field(i);
        if (sameFieldName(f->name(), name)) {
            return f;
        }
    }
    return nullptr;
}

Field* DataSet::fieldByName(std::string_view name) const {
    Field* f = findField(name);
    if (f == nullptr) {
        throw DataSetError(czech("Položka '") + std::string(name) + czech("' nebyla nalezena"));
    }
    return f;
}

void DataSet::changed() {
    if (disabled_ > 0) {
        return;
    }
    for (DataSource* s : std::vector<DataSource*>(sources_)) {
        s->notifyDataSetChanged();
    }
}

void DataSet::fieldChanged(const Field* field) {
    if (disabled_ > 0) {
        return;
    }
    for (DataSource* s : std::vector<DataSource*>(sources_)) {
        s->notifyRecordChanged(field);
    }
}

} // namespace vorlan::data
