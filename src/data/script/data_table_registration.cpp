#include "data/script/data_table_registration.h"

#include "core/cp1250.h"
#include "data/dbf_env.h"
#include "data/engine.h"
#include "data/script/data_field.h"
#include "data/script/data_table.h"
#include "script/bind.h"
#include "script/registry.h"

#include <memory>
#include <span>

namespace vorlan::data {

using script::Value;

namespace {

constexpr const char* kClass = "TDataTable";

using TableBinder = script::ClassBinder<TDataTable>;

// A method of the access component, called on the table's own.
template <auto Method> struct ThroughAccess;
template <class R, class... A, R (TDbfAccess::*Method)(A...)> struct ThroughAccess<Method> {
    static R call(TDataTable& t, A... a) { return (t.access().*Method)(a...); }
};
template <auto Method> constexpr auto viaAccess = &ThroughAccess<Method>::call;

// The environment of the process: the database window's when it has made one, else one made
// here on first use and kept for the rest of the run.
TDbfEnv& env() {
    static std::shared_ptr<TDbfEnv> held;
    if (TDbfEnv* existing = TDbfEnv::instance()) return *existing;
    held = TDbfEnv::acquire();
    return *held;
}

// The access component a class-level call goes through: the table's own when called on a
// table, else one that serves no table.
TDbfAccess& accessOf(TDataTable* table) {
    if (table) return table->access();
    static TDbfAccess unbound;
    return unbound;
}

// An engine setting callable on the class: the Set form takes the value; the bare form sets it
// when given one and answers the setting either way.
template <class T, class Set, class Get>
void setting(TableBinder& b, std::string_view setName, std::string_view setDeclaration,
             std::string_view bareName, std::string_view bareDeclaration, Set set, Get get) {
    b.bindClassLevel(setName, setDeclaration, [set](T value) { set(value); });
    b.bindVariadic(bareName, bareDeclaration,
                   [set, get](script::NativeObject*, std::span<Value> a, Value& r) {
                       if (!a.empty()) {
                           if constexpr (std::is_same_v<T, bool>)
                               set(a[0].toBool());
                           else
                               set(a[0].toInt());
                       }
                       r = Value(get());
                   })
        .classLevel = true;
}
template <class Set, class Get>
void booleanSetting(TableBinder& b, std::string_view setName, std::string_view bareName, Set set,
                    Get get) {
    setting<bool>(b, setName, "procedure(flag: Boolean)", bareName, "function: Boolean", set, get);
}
template <class Set, class Get>
void integerSetting(TableBinder& b, std::string_view setName, std::string_view bareName, Set set,
                    Get get) {
    setting<int>(b, setName, "procedure(value: Integer)", bareName, "function: Integer", set, get);
}

void registerOpening(TableBinder& b) {
    b.bind("SetExclusive", "function(Flag: Boolean): Boolean", &TDataTable::setExclusive);
    b.bind("Alias", "function: string", viaAccess<&TDbfAccess::alias>);
    b.bind("BaseName", "function: string", viaAccess<&TDbfAccess::baseName>);
    b.bind("BaseDate", "function: string", viaAccess<&TDbfAccess::baseDate>);
    b.bind("WorkArea", "function: Integer", viaAccess<&TDbfAccess::workArea>);
}

void registerMoving(TableBinder& b) {
    b.bind("GoTop", "procedure", viaAccess<&TDbfAccess::goTop>);
    b.bind("GoBottom", "procedure", viaAccess<&TDbfAccess::goBottom>);
    b.bind("Go", "procedure(RecNo: Integer)", [](TDataTable& t, int recno) {
        if (recno >= 0) t.access().go(static_cast<std::uint32_t>(recno));
    });
    b.bind("Skip", "procedure(N: Integer)", [](TDataTable& t, int n) { t.access().skip(n); });
    b.bind("RecNo", "function: Integer", viaAccess<&TDbfAccess::recNo>);
    b.bind("RecCount", "function: Integer", viaAccess<&TDbfAccess::recCount>);
    b.bind("Count", "function: Integer", viaAccess<&TDbfAccess::count>);
    b.bind({"OrderRecNo", "KeyNo"}, "function: Integer", viaAccess<&TDbfAccess::orderRecNo>);
    b.bind("KeyGoTo", "procedure(N: Integer)", &TDataTable::keyGoTo);
}

void registerSearching(TableBinder& b) {
    b.bind("Seek", "function(Key: string): Boolean", &TDataTable::seek);
    b.bind("Found", "function: Boolean", &TDataTable::found);
    b.bind("SeekBin", "function(Key: string; Length: Integer): Boolean",
           [](TDataTable& t, std::string_view key, int length) {
               return t.access().seekBin(
                   key.substr(0, static_cast<std::size_t>(std::max(0, length))));
           });
    b.bind("DataContinue", "function: Integer", &TDataTable::dataContinue);
    b.bind("Locate", "function(Expr: string): Integer", &TDataTable::locate);
    b.bind("Continue", "function: Integer", &TDataTable::continueLocate);
}

void registerStructure(TableBinder& b) {
    b.bind("FieldCount", "function: Word", viaAccess<&TDbfAccess::fieldCount>);
    b.bind("FieldName", "function(N: Integer): string", viaAccess<&TDbfAccess::fieldName>);
    b.bind("FieldNum", "function(Name: string): Word", viaAccess<&TDbfAccess::fieldNum>);
    b.bind("FieldType", "function(Name: string): string", viaAccess<&TDbfAccess::fieldType>);
    b.bind("FieldWidth", "function(Name: string): Word", viaAccess<&TDbfAccess::fieldWidth>);
    b.bind("FieldDec", "function(Name: string): Word", viaAccess<&TDbfAccess::fieldDecimals>);
    b.bind("FieldOffset", "function(Name: string): Word", viaAccess<&TDbfAccess::fieldOffset>);
    b.bind("RecSize", "function: Integer", viaAccess<&TDbfAccess::recSize>);
}

void registerReading(TableBinder& b) {
    b.bind("ReadStr", "function(Field: string): string", &TDataTable::readStr);
    b.bind("ReadNum", "function(Field: string): Double", &TDataTable::readNum);
    b.bind("ReadLog", "function(Field: string): Boolean", &TDataTable::readLog);
    b.bind("ReadMem", "function(Field: string; Line: Integer): string", &TDataTable::readMem);
    b.bind("MemoLength", "function(Field: string): Integer", &TDataTable::memoLength);
    b.bind("MemoCount", "function(Field: string): Integer", &TDataTable::memoCount);
    b.bind("ReadBin", "function(Field: string): string", &TDataTable::readBin);
    b.bind("Empty", "function(Field: string): Boolean", viaAccess<&TDbfAccess::empty>);
    b.bind("Deleted", "function: Boolean", viaAccess<&TDbfAccess::deleted>);
}

void registerWriting(TableBinder& b) {
    b.bind("WriteStr", "procedure(Field, Text: string)", &TDataTable::writeStr);
    b.bind("WriteNum", "procedure(Field: string; Value: Double)", &TDataTable::writeNum);
    b.bind("WriteLog", "procedure(Field: string; Value: Boolean)", &TDataTable::writeLog);
    b.bind("WriteDat", "procedure(Field, Date: string)", &TDataTable::writeDat);
    b.bind("WriteMem", "procedure(Field, Text: string)", &TDataTable::writeMem);
    b.bind("WriteBin", "function(Field, Data: string): Integer", &TDataTable::writeBin);
    b.bind("FileToBin", "procedure(FileName, Field: string)", &TDataTable::fileToBin);
    b.bind("BinToFile", "function(Field, FileName: string): Boolean", &TDataTable::binToFile);
    b.bind("BlobToFile", "function(Field, FileName: string): Boolean",
           viaAccess<&TDbfAccess::blobToFile>);
    b.bind("Replace", "procedure(Field: string; Kind: Integer; Data: Pointer)",
           [](TDataTable& t, std::string_view field, int kind, const Value& data) {
               t.access().replace(field, kind, data);
           });
    b.bind("AppendBlank", "procedure", &TDataTable::appendBlank);
    b.bind("Delete", "procedure", viaAccess<&TDbfAccess::deleteRecord>);
    b.bind("Recall", "procedure", viaAccess<&TDbfAccess::recall>);
    b.bind("Pack", "procedure", viaAccess<&TDbfAccess::pack>);
    b.bind("Zap", "procedure", viaAccess<&TDbfAccess::zap>);
    b.bind("Commit", "procedure", viaAccess<&TDbfAccess::commit>);
}

void registerExpressions(TableBinder& b) {
    b.bind("EvalTest", "function(Expr: string): Integer", viaAccess<&TDbfAccess::evalTest>);
    b.bind("EvalStr", "function(Expr: string): string", &TDataTable::evalStr);
    b.bind("EvalNum", "function(Expr: string): Double", &TDataTable::evalNum);
    b.bind("EvalLog", "function(Expr: string): Boolean", &TDataTable::evalLog);
}

void registerIndexes(TableBinder& b) {
    b.bind("SetOrder", "function(Tag: string): Integer", &TDataTable::setOrder);
    b.bind("TagArea", "function(Tag: string): Integer", viaAccess<&TDbfAccess::tagArea>);
    b.bind("TagName", "function(N: Integer): string", viaAccess<&TDbfAccess::tagName>);
    b.bind("IndexCount", "function: Integer", &TDataTable::indexCount);
    b.bind("IndexTag", "function(Tag, Key: string): Integer", &TDataTable::indexTag);
    b.bind("Index",
           "function(FileName, Key: string; Options: Integer; Descending: Boolean; "
           "Condition: string): Integer",
           viaAccess<&TDbfAccess::index>);
    b.bind("IndexOpen", "function(FileName: string): Integer", viaAccess<&TDbfAccess::indexOpen>);
    b.bind("IndexClose", "procedure", viaAccess<&TDbfAccess::indexClose>);
    b.bind("CloseIndexes", "procedure", viaAccess<&TDbfAccess::closeIndexes>);
    b.bind("Reindex", "procedure", viaAccess<&TDbfAccess::reindex>);
    b.bind("IndexOrd", "function: Integer", viaAccess<&TDbfAccess::indexOrd>);
    // The controlling order's; the access component also answers for other orders.
    b.bind("IndexType", "function: Integer", [](TDataTable& t) { return t.access().indexType(); });
    b.bind("IndexKey", "function: string", [](TDataTable& t) { return t.access().indexKey(); });
    b.bind("IndexKeyField", "function: string",
           [](TDataTable& t) { return t.access().indexKeyField(); });
    b.bind("IndexCondition", "function: string",
           [](TDataTable& t) { return t.access().indexCondition(); });
    b.bind("EngineIndexName", "function(N: Integer): string", viaAccess<&TDbfAccess::indexName>);
    b.bind("IndexFlip", "function: Boolean", viaAccess<&TDbfAccess::indexFlip>);
    b.bind("KeyAdd", "function(Tag: string): Boolean", viaAccess<&TDbfAccess::keyAdd>);
    b.bind("KeyDrop", "function(Tag: string): Boolean", viaAccess<&TDbfAccess::keyDrop>);
    b.bind("KeyData", "function: string", viaAccess<&TDbfAccess::keyData>);
    b.bind("SetScope", "function(Low, High: string): Boolean", viaAccess<&TDbfAccess::setScope>);
    b.bind("GetScope", "function(Which: Integer): string", viaAccess<&TDbfAccess::getScope>);
}

void registerFilters(TableBinder& b) {
    b.bind("DBFilter", "function: string", viaAccess<&TDbfAccess::dbFilter>);
    b.bind("QueryRecCount", "function: Integer", viaAccess<&TDbfAccess::queryRecCount>);
    b.bind("GetQueryBit", "function(RecNo: Integer): Boolean", [](TDataTable& t, int recno) {
        return recno > 0 && t.access().getQueryBit(static_cast<std::uint32_t>(recno));
    });
    b.bind("SetQueryBit", "function(RecNo: Integer; Flag: Boolean): Boolean",
           [](TDataTable& t, int recno, bool on) {
               return recno > 0 && t.access().setQueryBit(static_cast<std::uint32_t>(recno), on);
           });
    b.bind("FilterAlias", "function(Alias, Expr: string): Boolean",
           viaAccess<&TDbfAccess::filterAlias>);
    b.bind("SetRelation", "procedure(Area: Word; Expr: string)",
           [](TDataTable& t, int area, std::string_view expression) {
               t.access().setRelation(area, expression);
           });
}

void registerLocking(TableBinder& b) {
    b.bind({"FileLock", "Flock"}, "function: Boolean", viaAccess<&TDbfAccess::flock>);
    // The record argument is accepted and ignored: the current record is the one locked.
    b.bind({"RecLock", "Rlock"}, "function(Rec: Variant = 0): Boolean",
           [](TDataTable& t, const Value&) { return t.access().rlock(); });
    b.bind("Locked", "function: Boolean",
           [](TDataTable& t) { return t.access().locked(t.access().recNo()); });
    b.bind("Unlock", "procedure", [](TDataTable& t) { t.access().unlock(0); });
}

void registerCopies(TableBinder& b) {
    b.bind("AppendFrom", "function(FileName: string; Kind: Integer; Scope: string): Boolean",
           &TDataTable::appendFrom);
    b.bind("CopyToText", "function(FileName: string; Kind: Integer): Boolean",
           &TDataTable::copyToText);
    b.bind("CopyFileText", "function(FileName: string; FileType: Smallint): Boolean",
           viaAccess<&TDbfAccess::copyFileText>);
    b.bind("CopyFile", "function(FileName: string): Boolean", viaAccess<&TDbfAccess::copyFile>);
    b.bind({"CopyStru", "CopyStructure"}, "function(FileName: string): Boolean",
           viaAccess<&TDbfAccess::copyStructure>);
    b.bind({"CopyToInfo", "CopyStructureExtended"}, "function(FileName: string): Boolean",
           viaAccess<&TDbfAccess::copyStructureExtended>);
    b.bind("CreateFrom", "function(FileName: string): Boolean", &TDataTable::createFrom);
}

// Engine settings and pass-throughs, callable on the class itself or on any table.
void registerEnvironment(TableBinder& e) {
    e.bindClassLevel("ErrorLevel", "function(Level: Integer): Integer",
                     [](int level) { return env().errorLevel(level); });
    booleanSetting(
        e, "SetCentury", "Century", [](bool on) { env().setCentury(on); },
        [] { return env().century(); });
    integerSetting(
        e, "SetEpoch", "Epoch", [](int year) { env().setEpoch(year); },
        [] { return env().epoch(); });
    booleanSetting(
        e, "SetDeleted", "GetDeleted", [](bool on) { env().setDeleted(on); },
        [] { return env().deleted(); });
    booleanSetting(
        e, "SetExact", "Exact", [](bool on) { env().setExact(on); }, [] { return env().exact(); });
    integerSetting(
        e, "SetLockTimeout", "LockTimeout", [](int seconds) { env().setLockTimeout(seconds); },
        [] { return env().lockTimeout(); });
    integerSetting(
        e, "SetMemoBlockSize", "MemoBlockSize", [](int size) { env().setMemoBlockSize(size); },
        [] { return env().memoBlockSize(); });
    booleanSetting(
        e, "SetSoftSeek", "SoftSeek", [](bool on) { env().setSoftSeek(on); },
        [] { return env().softSeek(); });
    e.bindClassLevel(
        "SysProp", "function(Code: Word; Data: Pointer): Integer",
        [](TDataTable* t, int code, const Value& data) { return accessOf(t).sysProp(code, data); });
    e.bindClassLevel("SetGaugeHook", "procedure(Handle: Integer)",
                     [](TDataTable* t, int handle) { accessOf(t).setGaugeHook(handle); });
    e.bindClassLevel("SetTranslate", "procedure(Flag: Boolean)",
                     [](TDataTable* t, bool on) { accessOf(t).setTranslate(on); });
}

// What works on a closed table as well: opening it, what applies once it opens, what needs no
// table, and what answers something other than the neutral value while it is closed.
void registerClosedTableMembers(TableBinder& b) {
    b.bind("Use", "function(FileName: string): Boolean", &TDataTable::use);
    b.bind("Select", "function(Area: Integer): Integer", viaAccess<&TDbfAccess::select>);
    // A closed table stands at both ends.
    b.bind("Bof", "function: Boolean", viaAccess<&TDbfAccess::bof>);
    b.bind("Eof", "function: Boolean", viaAccess<&TDbfAccess::eof>);
    // The empty date, as for a field that is no date.
    b.bind("ReadDat", "function(Field: string): string", &TDataTable::readDat);
    // Remembers the expression for a DataContinue once the table is open.
    b.bind("DataLocate", "function(Expr: string): Integer", &TDataTable::dataLocate);
    b.bind("Descend", "function(Key: string): string", viaAccess<&TDbfAccess::descend>);
    // The filter applies whenever the table opens.
    b.bind({"SetFilter", "FilterQuery"}, "procedure(Expr: string)", &TDataTable::setFilter);
    b.property("Filter", "string", &TDataTable::filter, &TDataTable::setFilter);
    // -1: no expression can be tried without a table.
    b.bind("Query", "function(Expr: string): Integer", viaAccess<&TDbfAccess::query>);
    b.bind("QueryTest", "function(Expr: string): Shortint", viaAccess<&TDbfAccess::queryTest>);
    b.bind("FilterDlg",
           "function(Handle: Integer; Title, Expr: string; AllowEdit: Boolean): string",
           viaAccess<&TDbfAccess::filterDlg>);
    // New tables are made without one open.
    b.bind("CreateInfo", "function(FileName: string): Boolean",
           [](TDataTable&, std::string_view file) { return createInfoTable(file); });
    b.bind("CreateNew", "function(FileName: string; Driver, Fields: Integer): Boolean",
           viaAccess<&TDbfAccess::createNew>);
    b.bind("CreateField", "function(Name, FieldType: string; Width, Decimals: Integer): Boolean",
           viaAccess<&TDbfAccess::createField>);
    b.bind("CreateExec", "function: Boolean", viaAccess<&TDbfAccess::createExec>);
    // Kept for programs that read it; there is no engine object to hand out.
    b.property("EngineObject", "Variant", [] { return Value(); });
    registerEnvironment(b);
}

} // namespace

// TField objects and the table's ways to them. A closed table or a missing field fails with its
// name rather than answering nil, which would fail one line later without it.
void registerFields(script::Registry& registry, TableBinder& table) {
    table.bind("FieldByName", "function(Name: string): TField",
               [](TDataTable& t, std::string_view name) { return &t.fieldObject(name); });
    table.bind("FindField", "function(Name: string): TField",
               [](TDataTable& t, std::string_view name) -> FieldObject* {
                   if (!t.active() || !t.table().findField(name)) return nullptr;
                   return &t.fieldObject(name);
               });
    table.property("Fields", "TField", [](TDataTable& t, std::int32_t i) {
        if (!t.active()) throw script::ScriptException(czech("Tabulka není otevřená"));
        if (i < 0 || i >= t.table().fieldCount())
            throw script::ScriptException(czech("Index pole je mimo meze (") + std::to_string(i) +
                                          ")");
        return &t.fieldObject(t.table().field(i)->name());
    });

    script::ClassBinder<FieldObject> field(registry, "TField", "TObject");
    field.property("FieldName", "string", [](const FieldObject& f) { return f.fieldName(); });
    field.property("Value", "Variant", &FieldObject::value, &FieldObject::setValue);
    field.property("AsString", "string", &FieldObject::asString,
                   [](FieldObject& f, const std::string& text) { f.setValue(Value(text)); });
    field.property("AsFloat", "Double", &FieldObject::asFloat,
                   [](FieldObject& f, double v) { f.setValue(Value(v)); });
    field.property("AsInteger", "Integer", &FieldObject::asInteger,
                   [](FieldObject& f, std::int32_t v) { f.setValue(Value(v)); });
    field.property("AsBoolean", "Boolean", &FieldObject::asBoolean,
                   [](FieldObject& f, bool v) { f.setValue(Value(v)); });
    field.property("Text", "string", &FieldObject::displayText);
    field.property("DisplayText", "string", &FieldObject::displayText);
    field.property("IsNull", "Boolean", &FieldObject::isNull);
    field.property("Size", "Integer", &FieldObject::size);
    field.property("DataType", "string", &FieldObject::dataType);
    field.bind("Clear", "procedure", [](FieldObject& f) { f.setValue(Value()); });
    field.property("AsVariant", "Variant", &FieldObject::value, &FieldObject::setValue);
    field.property("AsDateTime", "Variant", &FieldObject::value, &FieldObject::setValue);
    field.property("AsCurrency", "Double", &FieldObject::asFloat,
                   [](FieldObject& f, double v) { f.setValue(Value(v)); });
    field.property("DataSet", "TDataTable", [](FieldObject& f) { return &f.table(); });
    field.property("Index", "Integer", &FieldObject::index);
    field.property("FieldNo", "Integer", [](FieldObject& f) { return f.index() + 1; });
    field.property("Alignment", "string", &FieldObject::alignment);
    field.property(
        "DisplayLabel", "string",
        [](FieldObject& f) { return f.displayLabel.empty() ? f.fieldName() : f.displayLabel; },
        [](FieldObject& f, const std::string& v) { f.displayLabel = v; });
    field.property(
        "DisplayWidth", "Integer",
        [](FieldObject& f) { return f.displayWidth < 0 ? f.size() : f.displayWidth; },
        [](FieldObject& f, std::int32_t v) { f.displayWidth = v; });
    field.property(
        "ReadOnly", "Boolean", [](FieldObject& f) { return f.readOnly; },
        [](FieldObject& f, bool v) { f.readOnly = v; });
    field.property(
        "Required", "Boolean", [](FieldObject& f) { return f.required; },
        [](FieldObject& f, bool v) { f.required = v; });
    field.property(
        "Visible", "Boolean", [](FieldObject& f) { return f.visible; },
        [](FieldObject& f, bool v) { f.visible = v; });
}

void placeDataTableUnderFormTable(script::Registry& registry) {
    if (registry.findClass("TTable")) registry.registerClass(kClass, "TTable");
}

void registerDataTable(script::Registry& registry) {
    const char* parent = registry.findClass("TTable") ? "TTable" : "TComponent";
    registry.registerClass(kClass, parent,
                           [](script::Component*) { return std::make_unique<TDataTable>(); });
    // One policy for the class: without an open table a member does nothing and answers the
    // neutral value of its type (False, 0, "").
    TableBinder table(registry, kClass);
    table.guard([](const TDataTable& t) { return t.active(); });
    registerOpening(table);
    registerMoving(table);
    registerSearching(table);
    registerStructure(table);
    registerReading(table);
    registerWriting(table);
    registerExpressions(table);
    registerIndexes(table);
    registerFilters(table);
    registerLocking(table);
    registerCopies(table);
    registerClosedTableMembers(table.unguarded());
    registerFields(registry, table);
    // Design-time registration of the data-aware controls: nothing to do at run time.
    if (!registry.findProc("Register"))
        script::Binder(registry).bind("Register", "procedure", [] {});
}

} // namespace vorlan::data
