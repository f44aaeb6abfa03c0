#include "data/dbf_access.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "data/engine.h"
#include "dbf/xbase_text.h"
#include "tables/connection_lost.h"
#include "tables/engine_registry.h"

#include <optional>

namespace vorlan::data {

namespace {

std::filesystem::path hostPath(std::string_view programPath) {
    return pathMapper().toHostOrEmpty(programPath);
}

bool isMemoType(char t) {
    return t == 'M' || t == 'G' || t == 'P';
}

// The extension an index name without one gets, by table type.
std::string withIndexExtension(std::string name, int tableType) {
    const auto slash = name.find_last_of("\\/");
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    if (file.find('.') != std::string::npos) {
        return name;
    }
    switch (tableType) {
    case 4:
        return name + ".NTX";
    case 5:
        return name + ".IDX";
    case 6:
        return name + ".NSX";
    default:
        return name;
    }
}

} // namespace

void TDbfAccessLink::activeChanged(bool /*active*/) {
    owner_.dataSetActiveChanged();
}

// Selects the data set's area for one engine call and selects the previous area again when
// it ends, however it ends.
class AreaScope {
public:
    explicit AreaScope(TDbfAccess& access) : access_(access), table(access.enterStep()) {}
    ~AreaScope() { access_.leaveStep(); }
    AreaScope(const AreaScope&) = delete;
    AreaScope& operator=(const AreaScope&) = delete;

private:
    TDbfAccess& access_;

public:
    tables::EngineTable* const table;
};

TDbfAccess::TDbfAccess() : link_(std::make_unique<TDbfAccessLink>(*this)) {}

TDbfAccess::~TDbfAccess() {
    if (link_->dataSource() != nullptr) {
        link_->dataSource()->removeLink(link_.get());
    }
}

void TDbfAccess::setDataSource(DataSource* source) {
    if (link_->dataSource() == source) {
        return;
    }
    if (link_->dataSource() != nullptr) {
        link_->dataSource()->removeLink(link_.get());
    }
    if (source != nullptr) {
        source->addLink(link_.get());
        dataSetActiveChanged();
    }
}

DataSource* TDbfAccess::dataSource() const {
    return link_->dataSource();
}

DataSet* TDbfAccess::dataSet() {
    // Asked of the data source every time rather than remembered: a data set may be destroyed
    // without its links hearing of it, and the source forgets it then.
    return link_->dataSource() != nullptr ? link_->dataSource()->dataSet() : nullptr;
}

TableDataSet* TDbfAccess::tableDataSet() {
    return dynamic_cast<TableDataSet*>(dataSet());
}

int TDbfAccess::workArea() {
    TableDataSet* ds = tableDataSet();
    return ds != nullptr && ds->active() ? ds->workArea() : 0;
}

// ---- Pattern steps --------------------------------------------------------------------------

tables::EngineTable* TDbfAccess::enterStep() {
    if (dataSet() == nullptr) {
        prevArea_ = 0;
        return nullptr;
    }
    const int area = workArea();
    if (area > 0) {
        prevArea_ = engine().select(area);
        return engine().table();
    }
    // A closed data set has no table: the call acts on none instead of on whatever table some
    // other component left current.
    prevArea_ = engine().current();
    return nullptr;
}

void TDbfAccess::leaveStep() {
    if (prevArea_ > 0 && prevArea_ != workArea()) {
        engine().select(prevArea_);
    }
}

void TDbfAccess::syncPosition(tables::EngineTable& t) {
    savedRecNo_ = 0;
    TableDataSet* ds = tableDataSet();
    if (ds == nullptr || !ds->active() || ds->state() == DataSetState::Insert) {
        return;
    }
    savedRecNo_ = t.eof() ? 0 : t.recNo();
    ds->syncEngine();
    if (t.recNo() == savedRecNo_) {
        savedRecNo_ = 0;
    }
}

void TDbfAccess::restorePosition(tables::EngineTable& t) {
    TableDataSet* ds = tableDataSet();
    if (savedRecNo_ > 0 && ds != nullptr && ds->active()) {
        t.goTo(savedRecNo_);
    }
    savedRecNo_ = 0;
}

void TDbfAccess::followIndexName(tables::EngineTable& t) {
    if (TableDataSet* ds = tableDataSet()) {
        ds->adoptIndexName(t.order() == 0 ? std::string() : t.orderInfo(t.order()).tag);
    }
}

int TDbfAccess::fieldIndex(tables::EngineTable& t, std::string_view field) const {
    return t.fieldIndex(field);
}

namespace {

template <class R> R failed(R neutral, const std::exception& e) {
    engine().setLastError(e.what());
    return neutral;
}

template <class R> R failed(R neutral, const tables::EngineError& e) {
    // A broken server connection is no answer: a neutral value would pass for the table's
    // contents (a count of 0, a blank field) and the program would act on it.
    if (tables::connectionLost(e)) throw DataSetError(e.what());
    return failed(neutral, static_cast<const std::exception&>(e));
}

} // namespace

template <class R, class F> R TDbfAccess::plain(R neutral, F&& call) {
    AreaScope scope(*this);
    if (scope.table == nullptr) {
        return neutral;
    }
    try {
        return call(*scope.table);
    } catch (const tables::EngineError& e) {
        return failed(neutral, e);
    }
}

template <class R, class F> R TDbfAccess::record(R neutral, F&& call) {
    AreaScope scope(*this);
    if (scope.table == nullptr) {
        return neutral;
    }
    tables::EngineTable& t = *scope.table;
    R result = neutral;
    try {
        syncPosition(t);
        result = call(t);
    } catch (const tables::EngineError& e) {
        result = failed(neutral, e);
    }
    try {
        restorePosition(t);
    } catch (const tables::EngineError& e) {
        engine().setLastError(e.what());
    }
    return result;
}

template <class R, class F> R TDbfAccess::moving(R neutral, F&& call, bool postFirst) {
    AreaScope scope(*this);
    if (scope.table == nullptr) {
        return neutral;
    }
    tables::EngineTable& t = *scope.table;
    TableDataSet* ds = tableDataSet();
    if (postFirst) {
        ds->post();
        ds->syncEngine();
    }
    R result = neutral;
    try {
        result = call(t);
    } catch (const tables::EngineError& e) {
        result = failed(neutral, e);
    }
    ds->resync();
    engine().followRelations(ds->workArea());
    return result;
}

template <class R, class F> R TDbfAccess::writing(R neutral, F&& call) {
    AreaScope scope(*this);
    if (scope.table == nullptr) {
        return neutral;
    }
    tables::EngineTable& t = *scope.table;
    TableDataSet* ds = tableDataSet();
    const bool wasEditing = ds->state() != DataSetState::Browse;
    if (wasEditing) {
        ds->post();
    }
    R result = neutral;
    try {
        syncPosition(t);
        if (t.eof()) {
            throw tables::EngineError(czech("není aktuální záznam"));
        }
        // The engine writes the record itself, so it must hold the record's lock meanwhile like
        // any other writer.
        const std::uint32_t recno = t.recNo();
        const bool held = t.isLocked(recno);
        if (!held && !t.lockRecord(recno)) {
            throw tables::EngineError(czech("záznam ") + std::to_string(recno) +
                                      czech(" je zamčen jiným uživatelem"));
        }
        try {
            result = call(t);
            t.flush();
        } catch (...) {
            if (!held) t.unlock(recno);
            throw;
        }
        if (!held) t.unlock(recno);
    } catch (const tables::EngineError& e) {
        result = failed(neutral, e);
    }
    try {
        restorePosition(t);
    } catch (const tables::EngineError& e) {
        engine().setLastError(e.what());
    }
    ds->refresh();
    if (wasEditing) {
        ds->edit();
    }
    return result;
}

// ---- Following the data set -----------------------------------------------------------------

void TDbfAccess::dataSetActiveChanged() {
    DataSet* ds = dataSet();
    if (ds == nullptr || !ds->active()) {
        return;
    }
    if (!filter_.empty()) {
        applyFilter();
    }
    openExtraIndexes();
    if (turboRead_ && workArea() > 0) {
        engine().setTurboRead(workArea(), true);
    }
}

void TDbfAccess::setExtraIndexes(std::vector<std::string> names) {
    extraIndexes_ = std::move(names);
    if (workArea() > 0) {
        openExtraIndexes();
    }
}

void TDbfAccess::openExtraIndexes() {
    if (extraIndexes_.empty()) {
        return;
    }
    TableDataSet* ds = tableDataSet();
    plain(0, [&](tables::EngineTable& t) {
        int remembered = t.order();
        t.setOrder(0);
        for (const std::string& name : extraIndexes_) {
            const std::filesystem::path path = hostPath(withIndexExtension(name, ds->tableType()));
            bool open = false;
            for (int i = 1; i <= t.indexCount(); ++i) {
                open = open || t.orderInfo(i).path == path;
            }
            if (open || path.empty()) {
                continue;
            }
            try {
                const int before = t.indexCount();
                t.openIndex(path);
                if (remembered == 0) {
                    remembered = before + 1;
                }
            } catch (const tables::EngineError& e) {
                // One missing file does not keep the others from opening.
                engine().setLastError(e.what());
            }
        }
        t.setOrder(remembered);
        followIndexName(t);
        return 0;
    });
}

void TDbfAccess::setFilter(std::string expression) {
    filter_ = std::move(expression);
    if (workArea() > 0) {
        applyFilter();
    }
}

void TDbfAccess::applyFilter() {
    query(filter_);
}

void TDbfAccess::setTurboRead(bool on) {
    turboRead_ = on;
    if (workArea() > 0) {
        engine().setTurboRead(workArea(), on);
    }
}

// ---- Area -----------------------------------------------------------------------------------

int TDbfAccess::select(int area) {
    return area > 0 ? engine().select(area) : 0;
}

std::string TDbfAccess::version() {
    return Engine::version();
}

std::string TDbfAccess::alias() {
    return plain(std::string(), [](tables::EngineTable& t) { return t.alias(); });
}

std::string TDbfAccess::baseName() {
    return plain(std::string(),
                 [](tables::EngineTable& t) { return pathMapper().toProgram(t.path()); });
}

std::string TDbfAccess::baseDate() {
    return plain(std::string(), [](tables::EngineTable& t) { return engine_ops::baseDate(t); });
}

// ---- Structure ------------------------------------------------------------------------------

int TDbfAccess::fieldCount() {
    return plain(0, [](tables::EngineTable& t) { return t.fieldCount(); });
}

std::string TDbfAccess::fieldName(int n) {
    return plain(std::string(), [&](tables::EngineTable& t) {
        return n >= 1 && n <= t.fieldCount() ? t.field(n - 1).name : std::string();
    });
}

int TDbfAccess::fieldNum(std::string_view field) {
    return plain(0, [&](tables::EngineTable& t) { return fieldIndex(t, field) + 1; });
}

std::string TDbfAccess::fieldType(std::string_view field) {
    return plain(std::string(), [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        return f < 0 ? std::string() : std::string(1, t.field(f).type);
    });
}

int TDbfAccess::fieldWidth(std::string_view field) {
    return plain(0, [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        return f < 0 ? 0 : t.field(f).width;
    });
}

int TDbfAccess::fieldDecimals(std::string_view field) {
    return plain(0, [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        return f < 0 ? 0 : t.field(f).decimals;
    });
}

int TDbfAccess::fieldOffset(std::string_view field) {
    return plain(0, [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        return f < 0 ? 0 : t.field(f).offset;
    });
}

int TDbfAccess::recSize() {
    return plain(0, [](tables::EngineTable& t) { return t.recordSize(); });
}

// ---- Reading --------------------------------------------------------------------------------

std::string TDbfAccess::getDateString(std::string_view field) {
    return record(dbf::emptyDateText(), [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        return f < 0 || t.eof() ? dbf::emptyDateText() : engine_ops::dateString(t, f);
    });
}

std::string TDbfAccess::getMemo(std::string_view field) {
    return record(std::string(), [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        return f < 0 || t.eof() || !isMemoType(t.field(f).type) ? std::string() : t.getMemo(f);
    });
}

std::uint32_t TDbfAccess::getBlobLength(std::string_view field) {
    return record(std::uint32_t{0}, [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        return f < 0 || t.eof() ? 0u : t.memoLength(f);
    });
}

std::string TDbfAccess::getBlob(std::string_view field) {
    return getMemo(field);
}

bool TDbfAccess::blobToFile(std::string_view field, std::string_view file) {
    return record(false, [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        const std::filesystem::path path = hostPath(file);
        if (f < 0 || t.eof() || path.empty() || !isMemoType(t.field(f).type)) {
            return false;
        }
        return engine_ops::blobToFile(t, f, path);
    });
}

bool TDbfAccess::empty(std::string_view field) {
    return record(false, [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        return f >= 0 && (t.eof() || t.fieldEmpty(f));
    });
}

bool TDbfAccess::deleted() {
    return record(false, [](tables::EngineTable& t) { return !t.eof() && t.deleted(); });
}

// ---- Writing --------------------------------------------------------------------------------

bool TDbfAccess::replace(std::string_view field, int kind, const Value& data) {
    DataSet* ds = dataSet();
    if (ds == nullptr || !ds->active()) {
        return false;
    }
    switch (kind) {
    case kReplaceInt16:
    case kReplaceInt32:
    case kReplaceDouble:
    case kReplaceLogical:
    case kReplaceText:
    case kReplaceText2: {
        Field* f = ds->findField(field);
        if (f == nullptr) {
            return false;
        }
        try {
            if (kind == kReplaceDouble) {
                f->setValue(Value(data.toDouble()));
            } else if (kind == kReplaceLogical) {
                f->setValue(Value(data.toBool()));
            } else if (kind == kReplaceText || kind == kReplaceText2) {
                f->setValue(Value(data.toString()));
            } else {
                f->setValue(Value(data.toInt()));
            }
        } catch (const ValueError& e) {
            return failed(false, e);
        }
        return true;
    }
    case kReplaceEngineText:
    case kReplaceDateText:
    case kReplaceMemoText:
    case kReplaceMemoBinary:
    case kReplaceFileContents:
        break;
    default:
        return false;
    }
    const std::string text = data.isEmpty() || data.isNull() ? std::string() : data.toString();
    return writing(false, [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        if (f < 0) {
            return false;
        }
        const bool memo = isMemoType(t.field(f).type);
        switch (kind) {
        case kReplaceMemoText:
        case kReplaceMemoBinary:
            if (!memo) return false;
            t.setMemo(f, text, kind == kReplaceMemoBinary);
            return true;
        case kReplaceFileContents: {
            const std::filesystem::path path = hostPath(text);
            return memo && !path.empty() && engine_ops::fileToBlob(t, f, path);
        }
        default:
            if (memo) {
                t.setMemo(f, text);
            } else {
                t.setFromText(f, text);
            }
            return true;
        }
    });
}

bool TDbfAccess::putBlob(std::string_view field, std::string_view bytes) {
    return writing(false, [&](tables::EngineTable& t) {
        const int f = fieldIndex(t, field);
        if (f < 0 || !isMemoType(t.field(f).type)) {
            return false;
        }
        t.setMemo(f, bytes, true);
        return true;
    });
}

void TDbfAccess::commit() {
    if (DataSet* ds = dataSet()) {
        ds->post();
    }
    plain(0, [](tables::EngineTable& t) {
        t.commit();
        return 0;
    });
}

void TDbfAccess::recall() {
    moving(0, [&](tables::EngineTable& t) {
        syncPosition(t);
        if (!t.eof()) {
            const std::uint32_t recno = t.recNo();
            const bool held = t.isLocked(recno);
            if (!held && !t.lockRecord(recno)) {
                throw tables::EngineError(czech("záznam ") + std::to_string(recno) +
                                          czech(" je zamčen"));
            }
            t.recall();
            t.flush();
            if (!held) t.unlock(recno);
        }
        restorePosition(t);
        return 0;
    });
}

void TDbfAccess::pack() {
    moving(0, [](tables::EngineTable& t) {
        t.pack();
        t.goTop();
        return 0;
    });
}

void TDbfAccess::zap() {
    moving(0, [](tables::EngineTable& t) {
        t.zap();
        t.goTop();
        return 0;
    });
}

// ---- Moving ---------------------------------------------------------------------------------

void TDbfAccess::go(std::uint32_t recno) {
    moving(0, [&](tables::EngineTable& t) {
        t.goTo(recno);
        return 0;
    });
}

void TDbfAccess::goTop() {
    moving(0, [](tables::EngineTable& t) {
        t.goTop();
        return 0;
    });
}

void TDbfAccess::goBottom() {
    moving(0, [](tables::EngineTable& t) {
        t.goBottom();
        return 0;
    });
}

std::uint32_t TDbfAccess::recCount() {
    return plain(std::uint32_t{0}, [](tables::EngineTable& t) { return t.refreshCount(); });
}

std::uint32_t TDbfAccess::count() {
    return plain(std::uint32_t{0}, [](tables::EngineTable& t) { return t.count(); });
}

bool TDbfAccess::seek(std::string_view key) {
    return moving(false, [&](tables::EngineTable& t) { return t.seek(key); });
}

bool TDbfAccess::seekBin(std::string_view key) {
    return seek(key);
}

bool TDbfAccess::found() {
    return plain(false, [](tables::EngineTable& t) { return t.found(); });
}

std::uint32_t TDbfAccess::locate(std::string_view expression, bool backward, bool continuing) {
    return moving(std::uint32_t{0}, [&](tables::EngineTable& t) {
        return t.locate(expression, continuing, backward);
    });
}

// ---- Indexes --------------------------------------------------------------------------------

int TDbfAccess::index(std::string_view file, std::string_view key, int options, bool descending,
                      std::string_view condition) {
    return moving(0, [&](tables::EngineTable& t) {
        const std::filesystem::path path = hostPath(file);
        if (path.empty()) {
            return 0;
        }
        tables::IndexOptions o;
        o.unique = (options & 1) != 0;
        o.descending = descending;
        o.forExpr = std::string(condition);
        t.createIndex(path, std::string(key), o);
        followIndexName(t);
        return t.order();
    });
}

int TDbfAccess::indexTag(std::string_view file, std::string_view tag, std::string_view key,
                         int options, bool descending, std::string_view condition) {
    return moving(0, [&](tables::EngineTable& t) {
        std::filesystem::path path;
        if (!file.empty()) {
            path = hostPath(file);
            if (path.empty()) {
                return 0;
            }
        }
        tables::IndexOptions o;
        o.unique = (options & 1) != 0;
        o.descending = descending;
        o.forExpr = std::string(condition);
        t.createTag(std::string(tag), std::string(key), o, path);
        t.setOrder(t.orderOf(tag.substr(0, 10)));
        t.goTop();
        followIndexName(t);
        return t.order();
    });
}

int TDbfAccess::indexOpen(std::string_view file) {
    const int order = plain(0, [&](tables::EngineTable& t) {
        TableDataSet* ds = tableDataSet();
        const std::filesystem::path path =
            hostPath(withIndexExtension(std::string(file), ds->tableType()));
        if (path.empty()) {
            return 0;
        }
        const int before = t.indexCount();
        t.openIndex(path);
        followIndexName(t);
        return before + 1;
    });
    if (TableDataSet* ds = tableDataSet(); ds != nullptr && order > 0) {
        ds->refresh();
    }
    return order;
}

void TDbfAccess::indexClose() {
    plain(0, [&](tables::EngineTable& t) {
        t.closeIndex(t.order());
        // The data set must not go on naming an order that is gone.
        followIndexName(t);
        return 0;
    });
}

void TDbfAccess::closeIndexes() {
    plain(0, [&](tables::EngineTable& t) {
        t.closeIndexes();
        followIndexName(t);
        return 0;
    });
}

void TDbfAccess::reindex() {
    moving(0, [](tables::EngineTable& t) {
        t.reindex();
        return 0;
    });
}

int TDbfAccess::setOrder(int order) {
    return plain(0, [&](tables::EngineTable& t) {
        const int previous = t.order();
        t.setOrder(order);
        followIndexName(t);
        return previous;
    });
}

int TDbfAccess::tagArea(std::string_view tag) {
    return moving(
        0,
        [&](tables::EngineTable& t) {
            return dbf::trimLeft(dbf::trimRight(tag)).empty() ? t.order() : t.orderOf(tag);
        },
        false);
}

std::string TDbfAccess::tagName(int order) {
    return plain(std::string(), [&](tables::EngineTable& t) {
        if (order == 0) order = t.order();
        return order >= 1 && order <= t.indexCount() ? t.orderInfo(order).tag : std::string();
    });
}

int TDbfAccess::indexOrd() {
    return plain(0, [](tables::EngineTable& t) { return t.order(); });
}

int TDbfAccess::indexType(int order) {
    return plain(0, [&](tables::EngineTable& t) {
        return engine_ops::indexTypeCode(t, order == 0 ? t.order() : order);
    });
}

namespace {

// The index of an order number (0: the controlling one), null when there is none.
std::optional<tables::OrderInfo> orderInfo(tables::EngineTable& t, int order) {
    if (order == 0) order = t.order();
    if (order < 1 || order > t.indexCount()) return std::nullopt;
    return t.orderInfo(order);
}

} // namespace

std::string TDbfAccess::indexName(int order) {
    return plain(std::string(), [&](tables::EngineTable& t) {
        const auto ix = orderInfo(t, order);
        return !ix ? std::string() : pathMapper().toProgram(ix->path);
    });
}

std::string TDbfAccess::indexKey(int order) {
    return record(std::string(), [&](tables::EngineTable& t) {
        const auto ix = orderInfo(t, order);
        return !ix ? std::string() : ix->keyExpr;
    });
}

std::string TDbfAccess::indexKeyField(int order) {
    return plain(std::string(), [&](tables::EngineTable& t) {
        const auto ix = orderInfo(t, order);
        if (!ix) {
            return std::string();
        }
        // A key that is one field names that field; a computed key names none.
        const std::string key(dbf::trimLeft(dbf::trimRight(ix->keyExpr)));
        const int f = t.fieldIndex(key);
        return f < 0 ? std::string() : t.field(f).name;
    });
}

std::string TDbfAccess::indexCondition(int order) {
    return plain(std::string(), [&](tables::EngineTable& t) {
        const auto ix = orderInfo(t, order);
        return !ix ? std::string() : ix->forExpr;
    });
}

bool TDbfAccess::indexFlip() {
    return plain(false, [](tables::EngineTable& t) { return t.flipOrder(); });
}

std::uint32_t TDbfAccess::orderRecNo() {
    return record(std::uint32_t{0}, [](tables::EngineTable& t) {
        return static_cast<std::uint32_t>(t.keyPosition());
    });
}

bool TDbfAccess::keyAdd(std::string_view tag) {
    return record(false, [&](tables::EngineTable& t) {
        const int order = tag.empty() ? t.order() : t.orderOf(tag);
        return order > 0 && t.addCurrentKey(order);
    });
}

bool TDbfAccess::keyDrop(std::string_view tag) {
    return record(false, [&](tables::EngineTable& t) {
        const int order = tag.empty() ? t.order() : t.orderOf(tag);
        return order > 0 && t.dropCurrentKey(order);
    });
}

std::string TDbfAccess::keyData() {
    return record(std::string(), [](tables::EngineTable& t) { return t.currentKey(); });
}

bool TDbfAccess::setScope(std::string_view low, std::string_view high) {
    const bool ok = moving(false, [&](tables::EngineTable& t) {
        if (t.order() == 0) {
            return false;
        }
        t.setScope(low, high);
        return true;
    });
    if (ok) {
        if (DataSet* ds = dataSet()) ds->first();
    }
    return ok;
}

std::string TDbfAccess::getScope(int which) {
    return plain(std::string(), [&](tables::EngineTable& t) {
        const auto scope = t.scope();
        return which == 0 ? scope.first : which == 1 ? scope.second : std::string();
    });
}

std::string TDbfAccess::descend(std::string_view key) {
    return engine_ops::descend(key);
}

// ---- Expressions, queries, relations --------------------------------------------------------

int TDbfAccess::evalTest(std::string_view expression) {
    return record(0, [&](tables::EngineTable& t) { return engine_ops::evalType(t, expression); });
}

std::string TDbfAccess::evalString(std::string_view expression) {
    return record(std::string(), [&](tables::EngineTable& t) {
        const tables::ExprValue v = t.evaluate(expression);
        return v.kind == tables::ValueKind::Char ? v.text : std::string();
    });
}

double TDbfAccess::evalNumeric(std::string_view expression) {
    return record(0.0, [&](tables::EngineTable& t) {
        const tables::ExprValue v = t.evaluate(expression);
        return v.kind == tables::ValueKind::Numeric ? v.number : 0.0;
    });
}

bool TDbfAccess::evalLogical(std::string_view expression) {
    return record(false, [&](tables::EngineTable& t) {
        const tables::ExprValue v = t.evaluate(expression);
        return v.kind == tables::ValueKind::Logical && v.logical;
    });
}

int TDbfAccess::query(std::string_view expression) {
    return moving(-1, [&](tables::EngineTable& t) {
        t.setFilter(expression);
        const auto n = static_cast<int>(t.count());
        t.goTop();
        return n;
    });
}

int TDbfAccess::queryTest(std::string_view expression) {
    return moving(
        -1,
        [&](tables::EngineTable& t) {
            const int type = engine_ops::evalType(t, expression);
            return type == 0 ? -1 : type == static_cast<int>(tables::ValueKind::Logical) ? 1 : 0;
        },
        false);
}

std::uint32_t TDbfAccess::queryRecCount() {
    return plain(std::uint32_t{0}, [](tables::EngineTable& t) { return t.count(); });
}

bool TDbfAccess::getQueryBit(std::uint32_t recno) {
    return record(false, [&](tables::EngineTable& t) { return t.passesQuery(recno); });
}

bool TDbfAccess::setQueryBit(std::uint32_t recno, bool on) {
    return record(false, [&](tables::EngineTable& t) { return t.markRecord(recno, on); });
}

std::string TDbfAccess::dbFilter() {
    return plain(std::string(), [](tables::EngineTable& t) { return t.filter(); });
}

bool TDbfAccess::filterAlias(std::string_view alias, std::string_view expression) {
    return plain(false, [&](tables::EngineTable&) {
        const int area = engine().areaOf(alias);
        tables::EngineTable* other = engine().table(area);
        if (area == 0 || other == nullptr) {
            return false;
        }
        other->setFilter(expression);
        return true;
    });
}

std::string TDbfAccess::filterDlg(int /*handle*/, std::string_view /*title*/,
                                  std::string_view expression, bool /*allowEdit*/) {
    return std::string(expression);
}

bool TDbfAccess::setRelation(int childArea, std::string_view expression) {
    return moving(false, [&](tables::EngineTable&) {
        const int parent = workArea();
        if (childArea == parent || engine().table(childArea) == nullptr) {
            return false;
        }
        if (!expression.empty()) {
            // A bad expression is refused now rather than on every later move.
            engine().table(parent)->evaluate(expression);
        }
        engine().setRelation(parent, childArea, std::string(expression));
        return true;
    });
}

// ---- Locks ----------------------------------------------------------------------------------

bool TDbfAccess::flock() {
    return plain(false, [](tables::EngineTable& t) { return t.lockFile(); });
}

bool TDbfAccess::locked(std::uint32_t recno) {
    if (recno == 0) {
        recno = recNo();
    }
    return plain(false, [&](tables::EngineTable& t) { return t.isLocked(recno); });
}

void TDbfAccess::unlock(std::uint32_t recno) {
    if (recno != 0) {
        // The data set's edit holds the record's lock; posting releases it.
        if (DataSet* ds = dataSet(); ds != nullptr && ds->state() == DataSetState::Edit) {
            ds->post();
        }
        return;
    }
    plain(0, [](tables::EngineTable& t) {
        t.unlock(0);
        return 0;
    });
}

bool TDbfAccess::rlock() {
    DataSet* ds = dataSet();
    if (ds == nullptr) {
        return false;
    }
    try {
        ds->edit();
    } catch (const DataSetError&) {
        return false;
    }
    return ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert;
}

// ---- Through the data set -------------------------------------------------------------------

void TDbfAccess::appendBlank() {
    DataSet* ds = dataSet();
    if (ds == nullptr || !ds->active()) {
        return;
    }
    ds->append();
    try {
        ds->post();
    } catch (const std::exception&) {
        // The blank record did not reach the table. Left pending, the next call would append it
        // unasked, and a program repeating the call would get two.
        try {
            ds->cancel();
        } catch (const std::exception&) {
            // Nothing was written; the failure to report is the append's.
        }
        throw;
    }
    ds->edit();
}

void TDbfAccess::deleteRecord() {
    if (DataSet* ds = dataSet(); ds != nullptr && ds->active()) {
        ds->deleteRecord();
    }
}

int TDbfAccess::skip(int n) {
    DataSet* ds = dataSet();
    if (ds == nullptr || !ds->active()) {
        return 0;
    }
    const int moved = ds->moveBy(n);
    engine().followRelations(workArea());
    return moved;
}

std::uint32_t TDbfAccess::recNo() {
    DataSet* ds = dataSet();
    return ds == nullptr ? 0 : ds->recNo();
}

bool TDbfAccess::bof() {
    DataSet* ds = dataSet();
    return ds == nullptr || ds->bof();
}

bool TDbfAccess::eof() {
    DataSet* ds = dataSet();
    return ds == nullptr || ds->eof();
}

// ---- Copies and new tables ------------------------------------------------------------------

bool TDbfAccess::copyFile(std::string_view file) {
    return plain(false, [&](tables::EngineTable& t) {
        const std::filesystem::path path = hostPath(file);
        if (path.empty()) return false;
        t.copyRecords(path);
        return true;
    });
}

bool TDbfAccess::copyFileText(std::string_view file, int type) {
    if (type != 21 && type != 22) {
        return false;
    }
    return plain(false, [&](tables::EngineTable& t) {
        const std::filesystem::path path = hostPath(file);
        if (path.empty()) return false;
        t.copyToText(path, type == 21 ? tables::TextFormat::Sdf : tables::TextFormat::Delimited);
        return true;
    });
}

bool TDbfAccess::copyStructure(std::string_view file) {
    return plain(false, [&](tables::EngineTable& t) {
        const std::filesystem::path path = hostPath(file);
        if (path.empty()) return false;
        t.copyStructure(path);
        return true;
    });
}

bool TDbfAccess::copyStructureExtended(std::string_view file) {
    return plain(false, [&](tables::EngineTable& t) {
        const std::filesystem::path path = hostPath(file);
        if (path.empty()) return false;
        t.copyStructureExtended(path);
        return true;
    });
}

bool TDbfAccess::appendFrom(std::string_view file, int sourceType, std::string_view scope) {
    if (sourceType != 2 && sourceType != 21 && sourceType != 22) {
        return false;
    }
    // A pending edit is posted first: the appended records move the table, and the edit belongs
    // to the record it was made on.
    return moving(false, [&](tables::EngineTable& t) {
        const std::filesystem::path path = hostPath(file);
        if (path.empty()) return false;
        if (sourceType == 2) {
            t.appendFrom(path, scope);
        } else {
            engine_ops::appendFromText(t, path,
                                       sourceType == 21 ? tables::TextFormat::Sdf
                                                        : tables::TextFormat::Delimited);
        }
        return true;
    });
}

bool TDbfAccess::createNew(std::string_view file, int driver, int fieldCount) {
    const std::filesystem::path path = hostPath(file);
    if (path.empty()) {
        return false;
    }
    newArea_ = engine().createNew(path, kScratchAlias, driver, fieldCount);
    return newArea_ != 0;
}

bool TDbfAccess::createField(std::string_view name, std::string_view type, int width,
                             int decimals) {
    if (newArea_ == 0 || type.empty()) {
        return false;
    }
    const int previous = engine().select(newArea_);
    const bool ok = engine().createField(name, type[0], width, decimals);
    engine().select(previous);
    return ok;
}

bool TDbfAccess::createExec() {
    if (newArea_ == 0) {
        return false;
    }
    const int previous = engine().select(newArea_);
    const bool ok = engine().createExec();
    engine().select(previous);
    newArea_ = 0;
    return ok;
}

bool TDbfAccess::createFrom(std::string_view file, std::string_view structure, int driver) {
    const std::filesystem::path target = hostPath(file);
    const std::filesystem::path from = hostPath(structure);
    if (target.empty() || from.empty()) {
        return false;
    }
    try {
        tables::engineFor(target).createFromStructure(from, target, flavorOfDriver(driver));
        return true;
    } catch (const tables::EngineError& e) {
        return failed(false, e);
    }
}

// ---- Engine-wide ----------------------------------------------------------------------------

void TDbfAccess::setGaugeHook(std::intptr_t handle) {
    engine().setGaugeHook(handle);
}

void TDbfAccess::setTranslate(bool on) {
    engine().setTranslate(on);
}

int TDbfAccess::sysProp(int /*code*/, const Value& /*value*/) {
    return 0;
}

} // namespace vorlan::data
