#include "data/script/data_table.h"

#include "core/cp1250.h"
#include "data/script/data_field.h"
#include "data/script/file_names.h"
#include "data/script/memo_lines.h"
#include "script/dispatch.h"
#include "tables/engine_registry.h"

#include <filesystem>

namespace vorlan::data {

namespace {

// Writes go through the data set only as far as a character field holds.
constexpr std::size_t kMaxWrittenText = 255;

} // namespace

TDataTable::TDataTable()
    : script::Component("TDataTable"), dataSet_(std::make_unique<TableDataSet>()),
      source_(std::make_unique<DataSource>(dataSet_.get())),
      access_(std::make_unique<TDbfAccess>()) {
    access_->setDataSource(source_.get());
}

TDataTable::~TDataTable() {
    // Close while the component still follows the data set, so the work area is given back.
    try {
        dataSet_->close();
    } catch (const std::exception&) {
        // A table that cannot write its last changes still has to go.
    }
}

// ---- opening

bool TDataTable::use(std::string_view file) {
    try {
        dataSet_->close();
    } catch (const std::exception&) {
        // Closing errors are not the script's concern, as long as the table did close.
    }
    // Otherwise opening would quietly keep the old table and answer as if the new one opened.
    if (dataSet_->active()) return false;
    const std::string name = completeFileName(file, ".DBF");
    if (name.empty()) return true;
    const SplitName split = splitFileName(name);
    dataSet_->setDatabaseName(split.directory);
    dataSet_->setTableName(split.file);
    // A table that another program is just rewriting may fail once: one more try.
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            dataSet_->open();
            return true;
        } catch (const std::exception&) {
        }
    }
    return false;
}

bool TDataTable::setExclusive(bool on) {
    if (!active()) return false;
    dataSet_->close();
    dataSet_->setExclusive(on);
    try {
        dataSet_->open();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// ---- searching

void TDataTable::moveToEnd() {
    access_->go(access_->recCount() + 1);
}

bool TDataTable::seek(std::string_view key) {
    if (!active()) return false;
    found_ = access_->seek(key);
    // A failed seek ends at end of file even with soft seek on: scripts test Eof after it.
    if (!found_) moveToEnd();
    return found_;
}

std::uint32_t TDataTable::dataLocate(std::string_view expression) {
    locateExpr_.assign(expression);
    access_->goTop();
    return access_->locate(locateExpr_, false, false);
}

std::uint32_t TDataTable::dataContinue() {
    return access_->locate(locateExpr_, false, true);
}

std::uint32_t TDataTable::locate(std::string_view expression) {
    if (!active()) return 0;
    const std::uint32_t recno = dataLocate(expression);
    if (recno == 0) moveToEnd();
    return recno;
}

std::uint32_t TDataTable::continueLocate() {
    if (!active()) return 0;
    const std::uint32_t recno = dataContinue();
    if (recno == 0) moveToEnd();
    return recno;
}

void TDataTable::keyGoTo(int n) {
    if (!active()) return;
    dataSet_->first();
    if (n > 1) dataSet_->moveBy(n - 1);
}

// ---- reading

bool TDataTable::fieldIs(std::string_view field, char type) {
    // The field objects know the letters: reading a field per record asks the engine nothing.
    return active() && dataSet_->fieldTypeLetter(field) == type;
}

bool TDataTable::numericField(std::string_view field) {
    return fieldIs(field, 'N') || fieldIs(field, 'F');
}

std::string TDataTable::readStr(std::string_view field) {
    if (!fieldIs(field, 'C')) return {};
    return dataSet_->fieldByName(field)->asString();
}

double TDataTable::readNum(std::string_view field) {
    if (!numericField(field)) return 0;
    return dataSet_->fieldByName(field)->asFloat();
}

bool TDataTable::readLog(std::string_view field) {
    if (!fieldIs(field, 'L')) return false;
    return dataSet_->fieldByName(field)->asBoolean();
}

std::string TDataTable::readDat(std::string_view field) {
    if (!fieldIs(field, 'D')) return kEmptyDateText;
    return access_->getDateString(field);
}

bool TDataTable::editorMemo(std::string_view field, std::string& text) {
    if (!fieldIs(field, 'M')) return false;
    const std::uint32_t length = access_->getBlobLength(field);
    if (length == 0 || length > kMaxEditorMemo) return false;
    text = access_->getMemo(field);
    access_->memDealloc();
    return true;
}

std::string TDataTable::readMem(std::string_view field, int line) {
    std::string text;
    if (line < 0 || !editorMemo(field, text)) return {};
    if (line == 0) return withoutLineFeeds(text);
    const auto lines = editorLines(text, memoEditorView(), textMeasure());
    return static_cast<std::size_t>(line) <= lines.size()
               ? lines[static_cast<std::size_t>(line - 1)]
               : std::string();
}

std::int32_t TDataTable::memoCount(std::string_view field) {
    std::string text;
    if (!editorMemo(field, text)) return 0;
    return static_cast<std::int32_t>(editorLines(text, memoEditorView(), textMeasure()).size());
}

std::int32_t TDataTable::memoLength(std::string_view field) {
    if (!fieldIs(field, 'M')) return 0;
    return static_cast<std::int32_t>(access_->getBlobLength(field));
}

std::string TDataTable::readBin(std::string_view field) {
    if (!fieldIs(field, 'M') || access_->getBlobLength(field) == 0) return {};
    // Every stored byte, zero bytes included: script strings hold them, and cutting binary
    // contents at the first zero would hand back a damaged picture or archive that WriteBin
    // would then store.
    return access_->getBlob(field);
}

// ---- writing

template <class F> void TDataTable::writeThroughDataSet(F&& write) {
    const bool holdControls = !dataSet_->controlsDisabled();
    // An edit this call starts is this call's: when its write fails it is dropped rather than
    // left for the next move to post unasked.
    const bool ownEdit = dataSet_->state() == DataSetState::Browse;
    if (holdControls) dataSet_->disableControls();
    try {
        dataSet_->edit();
        write();
        const DataSetState state = dataSet_->state();
        if (state == DataSetState::Edit || state == DataSetState::Insert) dataSet_->post();
    } catch (...) {
        if (ownEdit) {
            try {
                dataSet_->cancel();
            } catch (const std::exception&) {
                // The write failed; that is what the script learns.
            }
        }
        if (holdControls) dataSet_->enableControls();
        throw;
    }
    if (holdControls) dataSet_->enableControls();
}

void TDataTable::writeFieldValue(std::string_view field, const Value& value) {
    writeThroughDataSet([&] { dataSet_->fieldByName(field)->setValue(value); });
}

FieldObject& TDataTable::fieldObject(std::string_view name) {
    if (!active()) throw script::ScriptException(czech("Tabulka není otevřená"));
    const Field* field = dataSet_->findField(name);
    if (!field)
        throw script::ScriptException(czech("Pole '") + std::string(name) + czech("' nenalezeno"));
    const std::string key = upperCase(field->name());
    auto it = fieldObjects_.find(key);
    if (it == fieldObjects_.end())
        it = fieldObjects_.emplace(key, std::make_unique<FieldObject>(*this, field->name())).first;
    return *it->second;
}

void TDataTable::writeStr(std::string_view field, std::string_view text) {
    if (!fieldIs(field, 'C')) return;
    const std::string_view kept = text.substr(0, kMaxWrittenText);
    writeThroughDataSet([&] { dataSet_->fieldByName(field)->setValue(Value(kept)); });
}

void TDataTable::writeNum(std::string_view field, double value) {
    if (!numericField(field)) return;
    writeThroughDataSet([&] { dataSet_->fieldByName(field)->setValue(Value(value)); });
}

void TDataTable::writeLog(std::string_view field, bool value) {
    if (!fieldIs(field, 'L')) return;
    writeThroughDataSet([&] { dataSet_->fieldByName(field)->setValue(Value(value)); });
}

void TDataTable::writeDat(std::string_view field, std::string_view date) {
    if (!fieldIs(field, 'D')) return;
    writeThroughDataSet(
        [&] { access_->replace(field, kReplaceDateText, Value(std::string(date) + ' ')); });
}

void TDataTable::writeMem(std::string_view field, std::string_view text) {
    if (!fieldIs(field, 'M')) return;
    writeThroughDataSet([&] { access_->replace(field, kReplaceMemoText, Value(text)); });
}

std::int32_t TDataTable::writeBin(std::string_view field, std::string_view bytes) {
    if (!fieldIs(field, 'M')) return 0;
    bool stored = false;
    writeThroughDataSet([&] { stored = access_->putBlob(field, bytes); });
    return stored ? 1 : 0;
}

void TDataTable::fileToBin(std::string_view file, std::string_view field) {
    if (!active()) return;
    std::error_code ec;
    const auto host = hostFileName(file);
    if (host.empty() || !std::filesystem::is_regular_file(host, ec)) return;
    if (!fieldIs(field, 'M')) return;
    dataSet_->edit();
    access_->replace(field, kReplaceFileContents, Value(file));
    dataSet_->post();
}

bool TDataTable::binToFile(std::string_view field, std::string_view file) {
    if (!fieldIs(field, 'M') || access_->getBlobLength(field) == 0) return false;
    return access_->blobToFile(field, file);
}

void TDataTable::appendBlank() {
    access_->appendBlank();
    access_->commit();
}

// ---- expressions

std::string TDataTable::evalStr(std::string_view expression) {
    if (!active() || access_->evalTest(expression) != 1) return {};
    return access_->evalString(expression);
}

double TDataTable::evalNum(std::string_view expression) {
    if (!active() || access_->evalTest(expression) != 2) return 0;
    return access_->evalNumeric(expression);
}

bool TDataTable::evalLog(std::string_view expression) {
    if (!active() || access_->evalTest(expression) != 3) return false;
    return access_->evalLogical(expression);
}

// ---- orders

std::int32_t TDataTable::setOrder(std::string_view tag) {
    if (!active()) return 0;
    access_->setOrder(tag.empty() ? 0 : access_->tagArea(tag));
    // Grids showing the table list its records in the new order.
    dataSet_->resync();
    return access_->indexOrd();
}

std::int32_t TDataTable::indexCount() {
    if (!active()) return 0;
    std::int32_t count = 0;
    while (!access_->tagName(count + 1).empty())
        ++count;
    return count;
}

std::int32_t TDataTable::indexTag(std::string_view tag, std::string_view key) {
    if (!active()) return 0;
    const std::int32_t result = access_->indexTag({}, tag, key, 0, false, {});
    dataSet_->resync();
    return result;
}

// ---- copies

bool TDataTable::appendFrom(std::string_view file, int kind, std::string_view scope) {
    if (!active()) return false;
    static constexpr int kSourceTypes[] = {2, 21, 22};
    if (kind < 1 || kind > 3) return false;
    const bool ok = access_->appendFrom(file, kSourceTypes[kind - 1], scope);
    dataSet_->resync();
    return ok;
}

bool TDataTable::copyToText(std::string_view file, int kind) {
    if (!active() || (kind != 1 && kind != 2)) return false;
    return access_->copyFileText(file, kind == 1 ? 21 : 22);
}

bool TDataTable::createFrom(std::string_view file) {
    if (!active()) return false;
    std::string structure = dataSet_->databaseName();
    if (!structure.empty() && structure.back() != '\\' && structure.back() != '/')
        structure += '\\';
    structure += dataSet_->tableName();
    return access_->createFrom(file, structure, 2);
}

const std::string& TDataTable::filter() const {
    return access_->filter();
}

void TDataTable::setFilter(std::string expression) {
    access_->setFilter(std::move(expression));
}

// ---- published properties

namespace {

bool named(std::string_view name, std::string_view wanted) {
    return compareNoCase(name, wanted) == 0;
}

} // namespace

bool TDataTable::getPublished(std::string_view name, script::Value& out) const {
    if (named(name, "DatabaseName"))
        out = Value(dataSet_->databaseName());
    else if (named(name, "TableName"))
        out = Value(dataSet_->tableName());
    else if (named(name, "Exclusive"))
        out = Value(dataSet_->exclusive());
    else if (named(name, "ReadOnly"))
        out = Value(dataSet_->readOnly());
    else if (named(name, "IndexName"))
        out = Value(dataSet_->indexName());
    else if (named(name, "Active"))
        out = Value(dataSet_->active());
    else
        return Component::getPublished(name, out);
    return true;
}

bool TDataTable::setPublished(std::string_view name, const script::Value& value) {
    const bool naming = named(name, "DatabaseName") || named(name, "TableName");
    if (naming && dataSet_->active())
        throw DataSetError(czech("Tuto operaci nelze provést na otevřené datové sadě"));
    if (named(name, "DatabaseName")) {
        dataSet_->setDatabaseName(value.toString());
    } else if (named(name, "TableName")) {
        dataSet_->setTableName(value.toString());
    } else if (named(name, "Exclusive")) {
        dataSet_->setExclusive(value.toBool());
    } else if (named(name, "ReadOnly")) {
        dataSet_->setReadOnly(value.toBool());
    } else if (named(name, "IndexName")) {
        dataSet_->setIndexName(value.toString());
    } else if (named(name, "Active")) {
        const bool on = value.toBool();
        openWhenLoaded_ = on && dataSet_->tableName().empty();
        if (!openWhenLoaded_) dataSet_->setActive(on);
    } else {
        return Component::setPublished(name, value);
    }
    return true;
}

void TDataTable::loaded() {
    if (!openWhenLoaded_) return;
    openWhenLoaded_ = false;
    if (!dataSet_->tableName().empty()) dataSet_->open();
}

// ---- structure tables

bool createInfoTable(std::string_view file) {
    const std::string name = completeFileName(file, ".DBF");
    if (name.empty()) return false;
    const auto host = hostFileName(name);
    if (host.empty()) return false;
    try {
        tables::engineFor(host).createStructureTable(host, tables::Flavor::FoxPro);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace vorlan::data
