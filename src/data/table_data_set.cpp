#include "data/table_data_set.h"
#include "core/cp1250.h"

#include "core/field_name.h"
#include "core/path_mapper.h"
#include "data/engine.h"
#include "dbf/xbase_text.h"
#include "tables/engine_registry.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace vorlan::data {

namespace {

// Julian day number of 30 December 1899, day 0 of the script date.
constexpr std::int32_t kJulianOfDateZero = 2415019;

bool isMemoType(char t) {
    return t == 'M' || t == 'G' || t == 'P';
}

bool isNumericType(char t) {
    return t == 'N' || t == 'F' || t == 'I' || t == 'B' || t == 'Y';
}

FieldType mapType(const tables::FieldDesc& f) {
    switch (f.type) {
    case 'C':
        return FieldType::String;
    case 'N':
    case 'F':
        return f.decimals == 0 && f.width <= 9 ? FieldType::Integer : FieldType::Float;
    case 'I':
        return FieldType::Integer;
    case 'B':
    case 'Y':
        return FieldType::Float;
    case 'L':
        return FieldType::Boolean;
    case 'D':
    case 'T':
        return FieldType::Date;
    case 'M':
        return FieldType::Memo;
    case 'G':
        return FieldType::Graphic;
    case 'P':
        return FieldType::Blob;
    default:
        return FieldType::Unknown;
    }
}

std::string trimmed(std::string_view text) {
    return std::string(dbf::trimRight(dbf::trimLeft(text)));
}

DataSetError dbfFailure(const std::exception& e) {
    return DataSetError(e.what());
}

} // namespace

// ---- Field objects ------------------------------------------------------------------------

class TableDataSet::TableField : public Field {
public:
    TableField(TableDataSet& owner, int index, const tables::FieldDesc& info)
        : owner_(owner), index_(index), info_(info), type_(mapType(info)) {}

    const std::string& name() const override { return info_.name; }
    FieldType type() const override { return type_; }
    int size() const override { return info_.width; }
    int decimals() const override { return info_.decimals; }
    char dbfType() const { return info_.type; }

    int displayWidth() const override {
        if (type_ == FieldType::Date) {
            return static_cast<int>(dbf::emptyDateText().size());
        }
        return size();
    }

    Value value() const override { return owner_.fieldValue(index_); }

    void setValue(const Value& v) override {
        owner_.setFieldValue(index_, v);
        owner_.fieldChanged(this);
    }

    std::string displayText() const override {
        const Value v = value();
        if (v.isEmpty() || v.isNull()) {
            return {};
        }
        if (type_ == FieldType::Date) {
            return dbf::dateToText(static_cast<std::int32_t>(std::lround(v.asDate().days)) +
                                   kJulianOfDateZero);
        }
        if (type_ == FieldType::Float) {
            return std::string(dbf::trimLeft(
                dbf::formatNumber(v.toDouble(), std::max(info_.width, 20), info_.decimals)));
        }
        return Field::displayText();
    }

    std::string blob() const override {
        if (type_ != FieldType::Graphic && type_ != FieldType::Blob && info_.type != 'M') {
            return {};
        }
        const Value v = value();
        return v.isString() ? v.asString() : std::string();
    }

private:
    TableDataSet& owner_;
    int index_;
    tables::FieldDesc info_;
    FieldType type_;
};

// ---- Opening and closing --------------------------------------------------------------------

TableDataSet::TableDataSet() = default;

TableDataSet::~TableDataSet() {
    // The base class cannot close us: our hooks are gone by the time its destructor runs.
    try {
        close();
    } catch (const std::exception&) {
        // A failed final write cannot be reported from a destructor.
    }
}

tables::EngineTable* TableDataSet::table() const {
    if (area_ == 0) {
        return nullptr;
    }
    // Something else may have closed the area or put another table into it behind our back
    // (the area is shared with the engine functions); then this data set has no table.
    // (A new table may well be allocated where the old one was, hence the path as well.)
    tables::EngineTable* t = engine().table(area_);
    return t == opened_ && t->path() == hostPath_ ? t : nullptr;
}

tables::EngineTable& TableDataSet::openTable() const {
    tables::EngineTable* t = table();
    if (t == nullptr) {
        throw DataSetError(czech("Tuto operaci nelze provést na zavřené datové sadě"));
    }
    return *t;
}

int TableDataSet::tableType() const {
    if (tableType_ != 0) {
        return tableType_;
    }
    const tables::EngineTable* t = table();
    return t != nullptr && t->flavor() == tables::Flavor::DBase3 ? 4 : 5;
}

namespace {

bool tableExists(const std::filesystem::path& path) {
    // The engine of the path knows: a table file, or a table in a database.
    try {
        return tables::tableExists(path);
    } catch (const tables::EngineError& e) {
        throw DataSetError(czech("Tabulku ") + pathMapper().toProgram(path) +
                           czech(" nelze otevřít: ") + e.what());
    }
}

} // namespace

std::filesystem::path TableDataSet::resolvePath() const {
    std::string folder = databaseName_;
    if (!folder.empty()) {
        if (std::string behind = aliasPath(folder); !behind.empty()) {
            folder = std::move(behind);
        }
        if (folder.back() != '\\' && folder.back() != '/') {
            folder += '\\';
        }
    }
    const std::string program = folder + tableName_;
    std::filesystem::path host;
    try {
        host = pathMapper().toHost(program);
    } catch (const std::invalid_argument& e) {
        throw DataSetError(czech("Tabulku ") + program + czech(" nelze otevřít: ") + e.what());
    }
    const auto slash = tableName_.find_last_of("\\/");
    const std::string file = slash == std::string::npos ? tableName_ : tableName_.substr(slash + 1);
    if (file.find('.') == std::string::npos && !tableExists(host)) {
        std::filesystem::path withExt = pathMapper().toHostOrEmpty(program + ".DBF");
        if (!withExt.empty() && tableExists(withExt)) {
            return withExt;
        }
    }
    return host;
}

void TableDataSet::doOpen() {
    if (tableName_.empty()) {
        throw DataSetError(czech("Chybí jméno tabulky"));
    }
    const std::filesystem::path path = resolvePath();
    if (!tableExists(path)) {
        throw DataSetError(czech("Tabulku ") + pathMapper().toProgram(path) +
                           czech(" nelze otevřít: soubor neexistuje"));
    }
    tables::OpenOptions options;
    options.readOnly = readOnly_;
    options.exclusive = exclusive_;
    try {
        area_ = engine().openTable(path, {}, options, preferredArea_);
    } catch (const tables::EngineError& e) {
        throw DataSetError(czech("Tabulku ") + pathMapper().toProgram(path) +
                           czech(" nelze otevřít: ") + e.what());
    }
    opened_ = engine().table(area_);
    hostPath_ = path;
    tables::EngineTable& t = openTable();
    const auto undo = [this] {
        engine().closeArea(area_);
        area_ = 0;
        opened_ = nullptr;
        hostPath_.clear();
    };
    try {
        applyIndexName();
        t.goTop();
    } catch (const tables::EngineError& e) {
        undo();
        throw DataSetError(czech("Tabulku ") + pathMapper().toProgram(path) +
                           czech(" nelze otevřít: ") + e.what());
    } catch (...) {
        undo();
        throw;
    }
    fields_.clear();
    for (int i = 0; i < t.fieldCount(); ++i) {
        fields_.push_back(std::make_unique<TableField>(*this, i, t.field(i)));
    }
    pending_.clear();
    lockTaken_ = false;
    adoptEnginePosition();
    bof_ = true;
}

void TableDataSet::doClose() {
    const int area = area_;
    const bool ours = table() != nullptr;
    area_ = 0;
    opened_ = nullptr;
    fields_.clear();
    pending_.clear();
    lockTaken_ = false;
    recno_ = 0;
    bof_ = eof_ = true;
    hostPath_.clear();
    if (ours) {
        try {
            engine().closeArea(area);
        } catch (const tables::EngineError& e) {
            throw dbfFailure(e);
        }
    }
}

void TableDataSet::setIndexName(std::string name) {
    if (!active()) {
        indexName_ = std::move(name);
        return;
    }
    checkBrowse();
    const std::string previous = indexName_;
    indexName_ = std::move(name);
    try {
        syncEngine();
        applyIndexName();
    } catch (...) {
        indexName_ = previous;
        throw;
    }
    // The same record, now placed in the new order.
    openTable().goTo(recno_);
    changed();
}

void TableDataSet::applyIndexName() {
    tables::EngineTable& t = openTable();
    if (indexName_.empty()) {
        t.setOrder(0);
        return;
    }
    const int order = t.orderOf(indexName_);
    if (order == 0) {
        throw DataSetError(czech("Index '") + indexName_ + czech("' nebyl nalezen"));
    }
    t.setOrder(order);
}

// ---- Position -------------------------------------------------------------------------------

void TableDataSet::syncEngine() const {
    tables::EngineTable* t = table();
    if (t == nullptr) {
        return;
    }
    const bool pastEnd = recno_ == 0 || recno_ > t->recordCount();
    if (t->recNo() != recno_ || t->eof() != pastEnd) {
        t->goTo(recno_);
    }
}

void TableDataSet::adoptEnginePosition() {
    const tables::EngineTable& t = openTable();
    recno_ = t.recNo();
    bof_ = t.bof();
    eof_ = t.eof();
}

std::uint32_t TableDataSet::recNo() const {
    const tables::EngineTable* t = table();
    if (t == nullptr) {
        return 0;
    }
    if (state() == DataSetState::Insert) {
        return t->recordCount() + 1;
    }
    if (bof_ && eof_) {
        return 0;
    }
    return recno_;
}

std::uint32_t TableDataSet::recordCount() const {
    const tables::EngineTable* t = table();
    return t == nullptr ? 0 : t->recordCount();
}

void TableDataSet::first() {
    checkBrowse();
    tables::EngineTable& t = openTable();
    t.goTop();
    adoptEnginePosition();
    bof_ = true;
    changed();
}

void TableDataSet::last() {
    checkBrowse();
    tables::EngineTable& t = openTable();
    t.goBottom();
    adoptEnginePosition();
    // Standing on the last record counts as the end, as it does for every data set; an empty
    // table is at both ends.
    const bool empty = t.eof();
    eof_ = true;
    bof_ = empty;
    changed();
}

int TableDataSet::moveBy(int distance) {
    checkBrowse();
    tables::EngineTable& t = openTable();
    if (bof_ && eof_) {
        // Nothing to move over: an empty data set stays empty until it is walked from the top.
        changed();
        return 0;
    }
    syncEngine();
    int moved = 0;
    bof_ = eof_ = false;
    while (distance > 0) {
        const std::uint32_t before = t.recNo();
        t.skip(1);
        if (t.eof()) {
            // Next past the last record keeps the last record current.
            t.goTo(before);
            eof_ = true;
            break;
        }
        ++moved;
        --distance;
    }
    while (distance < 0) {
        t.skip(-1);
        if (t.bof()) {
            bof_ = true;
            eof_ = t.eof();
            break;
        }
        --moved;
        ++distance;
    }
    recno_ = t.recNo();
    if (t.eof() && !eof_) {
        eof_ = true;
    }
    changed();
    return moved;
}

void TableDataSet::gotoBookmark(Bookmark b) {
    checkBrowse();
    tables::EngineTable& t = openTable();
    if (b == 0 || b > t.refreshCount()) {
        throw DataSetError(czech("Záznam nebyl nalezen"));
    }
    t.goTo(b);
    recno_ = b;
    bof_ = eof_ = false;
    changed();
}

void TableDataSet::resync() {
    if (active()) {
        // Pending changes belong to the record they were made on, not to the new one.
        checkBrowse();
        adoptEnginePosition();
    }
    changed();
}

// ---- Fields ---------------------------------------------------------------------------------

char TableDataSet::fieldTypeLetter(std::string_view name) const {
    for (const auto& f : fields_)
        if (sameFieldName(f->name(), name)) return f->dbfType();
    return 0;
}

Field* TableDataSet::field(int index) const {
    if (index < 0 || index >= fieldCount()) {
        throw DataSetError(czech("Index seznamu je mimo meze (") + std::to_string(index) + ")");
    }
    return fields_[static_cast<std::size_t>(index)].get();
}

bool TableDataSet::fieldPending(int index) const {
    const auto i = static_cast<std::size_t>(index);
    return i < pending_.size() && pending_[i].has_value();
}

Value TableDataSet::fieldValue(int index) const {
    const auto& f = *fields_.at(static_cast<std::size_t>(index));
    const DataSetState s = state();
    if (s == DataSetState::Edit || s == DataSetState::Insert) {
        if (fieldPending(index)) {
            return *pending_[static_cast<std::size_t>(index)];
        }
    }
    tables::EngineTable* t = table();
    if (t == nullptr || s == DataSetState::Insert) {
        return f.type() == FieldType::String ? Value(std::string()) : Value();
    }
    syncEngine();
    if (t->eof()) {
        return f.type() == FieldType::String ? Value(std::string()) : Value();
    }
    const char type = f.dbfType();
    if (type == 'C') {
        return Value(std::string(dbf::trimRight(t->getString(index))));
    }
    if (isMemoType(type)) {
        return Value(t->getMemo(index));
    }
    if (t->fieldEmpty(index) && type != 'I' && type != 'B' && type != 'Y') {
        return Value();
    }
    switch (f.type()) {
    case FieldType::Integer:
        return Value(static_cast<std::int32_t>(t->getNumber(index)));
    case FieldType::Float:
        return Value(t->getNumber(index));
    case FieldType::Boolean:
        return Value(t->getLogical(index));
    case FieldType::Date: {
        const std::int32_t jd = t->getDate(index);
        return jd == 0 ? Value() : Value(DateTime{static_cast<double>(jd - kJulianOfDateZero)});
    }
    default:
        return Value(t->getString(index));
    }
}

namespace {

// A value in the terms of a field of the given type; DataSetError when it cannot be.
Value normalise(const Value& v, char type, FieldType fieldType, const std::string& name) {
    if (v.isEmpty() || v.isNull()) {
        return type == 'C' || isMemoType(type) ? Value(std::string()) : Value();
    }
    if (type == 'C' || isMemoType(type)) {
        return Value(v.isBoolean() ? std::string(v.asBool() ? "T" : "F") : v.toString());
    }
    if (isNumericType(type)) {
        double d = 0;
        if (v.isString()) {
            const std::string text = trimmed(v.asString());
            if (text.empty()) {
                return Value();
            }
            std::string dotted = text;
            for (auto& c : dotted) {
                if (c == ',') c = '.';
            }
            char* end = nullptr;
            d = std::strtod(dotted.c_str(), &end);
            if (end == nullptr || *end != '\0') {
                throw DataSetError("'" + text + czech("' není platné číslo pro položku ") + name);
            }
        } else {
            try {
                d = v.toDouble();
            } catch (const ValueError&) {
                throw DataSetError(czech("Neplatná hodnota položky ") + name);
            }
        }
        if (fieldType == FieldType::Integer && std::fabs(d) < 2147483647.0) {
            return Value(static_cast<std::int32_t>(std::llround(d)));
        }
        return Value(d);
    }
    if (type == 'L') {
        if (v.isString()) {
            const std::string text = trimmed(v.asString());
            if (text.empty()) {
                return Value();
            }
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
            if (c == 'T' || c == 'Y' || c == '1') return Value(true);
            if (c == 'F' || c == 'N' || c == '0') return Value(false);
            throw DataSetError("'" + text + czech("' není platná logická hodnota pro položku ") +
                               name);
        }
        try {
            return Value(v.toBool());
        } catch (const ValueError&) {
            throw DataSetError(czech("Neplatná hodnota položky ") + name);
        }
    }
    if (type == 'D' || type == 'T') {
        if (v.isString()) {
            const std::string text = trimmed(v.asString());
            if (text.empty() || dbf::trimLeft(dbf::trimRight(text)).find_first_not_of(" ./-") ==
                                    std::string_view::npos) {
                return Value();
            }
            std::int32_t jd = dbf::dateFromText(text);
            if (jd == 0 && text.size() == 8) {
                jd = dbf::dateFromDtos(text);
            }
            if (jd == 0) {
                throw DataSetError("'" + text + czech("' není platné datum pro položku ") + name);
            }
            return Value(DateTime{static_cast<double>(jd - kJulianOfDateZero)});
        }
        try {
            return Value(DateTime{std::floor(v.toDate().days)});
        } catch (const ValueError&) {
            throw DataSetError(czech("Neplatná hodnota položky ") + name);
        }
    }
    return Value(v.toString());
}

} // namespace

void TableDataSet::setFieldValue(int index, const Value& value) {
    const auto& f = *fields_.at(static_cast<std::size_t>(index));
    if (state() == DataSetState::Browse) {
        edit();
    }
    if (state() != DataSetState::Edit && state() != DataSetState::Insert) {
        throw DataSetError(czech("Datová sada není v režimu úprav ani vkládání"));
    }
    pending_.resize(fields_.size());
    pending_[static_cast<std::size_t>(index)] = normalise(value, f.dbfType(), f.type(), f.name());
}

// ---- Editing --------------------------------------------------------------------------------

void TableDataSet::doEdit() {
    tables::EngineTable& t = openTable();
    if (t.readOnly()) {
        throw DataSetError(czech("Datovou sadu jen pro čtení nelze měnit"));
    }
    syncEngine();
    if (t.eof()) {
        throw DataSetError(czech("Není aktuální záznam"));
    }
    const bool held = t.isLocked(recno_);
    if (!held && !t.lockRecord(recno_)) {
        throw DataSetError(czech("Záznam je zamčen jiným uživatelem"));
    }
    lockTaken_ = !held;
    pending_.assign(fields_.size(), std::nullopt);
}

void TableDataSet::doAppend() {
    tables::EngineTable& t = openTable();
    if (t.readOnly()) {
        throw DataSetError(czech("Datovou sadu jen pro čtení nelze měnit"));
    }
    pending_.assign(fields_.size(), std::nullopt);
}

void TableDataSet::writePending(tables::EngineTable& t) {
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        if (!pending_[i]) {
            continue;
        }
        const int f = static_cast<int>(i);
        const Value& v = *pending_[i];
        const char type = t.field(f).type;
        const bool blank = v.isEmpty() || v.isNull();
        if (type == 'C') {
            t.setString(f, blank ? std::string() : v.asString());
        } else if (isMemoType(type)) {
            t.setMemo(f, blank ? std::string() : v.asString(), type != 'M');
        } else if (blank) {
            t.setBlank(f);
        } else if (isNumericType(type)) {
            t.setNumber(f, v.toDouble());
        } else if (type == 'L') {
            t.setLogical(f, v.asBool());
        } else if (type == 'D' || type == 'T') {
            t.setDate(f,
                      static_cast<std::int32_t>(std::lround(v.asDate().days)) + kJulianOfDateZero);
        } else {
            t.setFromText(f, v.toString());
        }
    }
}

void TableDataSet::releaseEditLock() {
    tables::EngineTable* t = table();
    if (lockTaken_ && t != nullptr) {
        t->unlock(recno_);
    }
    lockTaken_ = false;
}

void TableDataSet::doPost() {
    tables::EngineTable& t = openTable();
    try {
        if (state() == DataSetState::Insert) {
            t.append();
            // Nobody else may lock the new record and change it before its fields are in.
            const std::uint32_t added = t.recNo();
            const bool lockedHere = !t.isLocked(added) && t.lockRecord(added);
            writePending(t);
            t.flush();
            if (lockedHere) {
                t.unlock(added);
            }
            recno_ = added;
        } else {
            syncEngine();
            // Someone may have released every lock of the table meanwhile.
            if (!t.isLocked(recno_)) {
                if (!t.lockRecord(recno_)) {
                    throw DataSetError(czech("Záznam je zamčen jiným uživatelem"));
                }
                lockTaken_ = true;
            }
            writePending(t);
            t.flush();
            releaseEditLock();
        }
    } catch (const tables::EngineError& e) {
        throw dbfFailure(e);
    }
    pending_.clear();
    bof_ = eof_ = false;
}

void TableDataSet::doCancel() {
    pending_.clear();
    if (state() == DataSetState::Edit) {
        releaseEditLock();
    }
}

void TableDataSet::doDelete() {
    tables::EngineTable& t = openTable();
    if (t.readOnly()) {
        throw DataSetError(czech("Datovou sadu jen pro čtení nelze měnit"));
    }
    syncEngine();
    if (t.eof()) {
        throw DataSetError(czech("Není aktuální záznam"));
    }
    // Deleting while editing drops the edit (its lock is the one we use).
    const bool editing = state() == DataSetState::Edit;
    pending_.clear();
    try {
        const bool held = t.isLocked(recno_);
        if (!held && !t.lockRecord(recno_)) {
            throw DataSetError(czech("Záznam je zamčen jiným uživatelem"));
        }
        t.deleteRecord();
        t.flush();
        if (!held) {
            t.unlock(recno_);
        }
        if (editing) {
            releaseEditLock();
        }
    } catch (const tables::EngineError& e) {
        throw dbfFailure(e);
    }
    // A record the engine hides is no longer a place to stand: go on to the next one, or
    // back to the last when it was the last.
    if (tables::settings().hideDeleted) {
        t.skip(1);
        if (t.eof()) {
            t.goBottom();
        }
        adoptEnginePosition();
    }
}

} // namespace vorlan::data
