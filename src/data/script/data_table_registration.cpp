#include "data/script/data_table_registration.h"

#include "data/dbf_env.h"
#include "data/engine.h"
#include "data/script/data_table.h"
#include "script/dispatch.h"
#include "script/registry.h"

#include <functional>
#include <span>

namespace vorlan::data {

using script::NativeObject;
using script::Value;

namespace {

constexpr const char* kClass = "TDataTable";

using Args = std::span<Value>;
using TableMethod = std::function<void(TDataTable&, Args, Value&)>;

TDataTable& tableOf(NativeObject* self) {
    auto* table = dynamic_cast<TDataTable*>(self);
    if (!table) throw script::ScriptException("The object is not a TDataTable");
    return *table;
}

const std::string& str(Args a, std::size_t i) {
    return a[i].asString();
}
std::int32_t num(Args a, std::size_t i) {
    return a[i].asInt();
}
bool flag(Args a, std::size_t i) {
    return a[i].asBool();
}
Value count(std::uint32_t n) {
    return Value::fromInt64(n);
}

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
TDbfAccess& accessOf(NativeObject* self) {
    if (auto* table = dynamic_cast<TDataTable*>(self)) return table->access();
    static TDbfAccess unbound;
    return unbound;
}

class Registrar {
public:
    explicit Registrar(script::Registry& reg) : reg_(reg) {}

    void method(std::string_view name, std::string_view declaration, TableMethod body) {
        reg_.registerMethod(kClass, name, declaration,
                            [body = std::move(body)](NativeObject* self, Args a, Value& r) {
                                body(tableOf(self), a, r);
                            });
    }
    // The same body under several names.
    void methods(std::initializer_list<std::string_view> names, std::string_view declaration,
                 const TableMethod& body) {
        for (std::string_view name : names)
            method(name, declaration, body);
    }
    // Callable without a table: `self` may be null.
    void classMethod(std::string_view name, std::string_view declaration, script::NativeProc body) {
        reg_.registerMethod(kClass, name, declaration, std::move(body)).classLevel = true;
    }
    void variadic(std::string_view name, std::string_view declaration, script::NativeProc body,
                  bool classLevel = false) {
        reg_.registerProc(kClass, name, script::kKindVariadic, declaration, std::move(body))
            .classLevel = classLevel;
    }

    // A Boolean engine setting: the Set form takes the value; the bare form sets it when given
    // one and answers the setting either way.
    void booleanSetting(std::string_view setName, std::string_view bareName,
                        std::function<void(bool)> set, std::function<bool()> get) {
        classMethod(setName, "procedure(flag: Boolean)",
                    [set](NativeObject*, Args a, Value&) { set(flag(a, 0)); });
        variadic(
            bareName, "function: Boolean",
            [set, get](NativeObject*, Args a, Value& r) {
                if (!a.empty()) set(a[0].toBool());
                r = Value(get());
            },
            true);
    }
    void integerSetting(std::string_view setName, std::string_view bareName,
                        std::function<void(int)> set, std::function<int()> get) {
        classMethod(setName, "procedure(value: Integer)",
                    [set](NativeObject*, Args a, Value&) { set(num(a, 0)); });
        variadic(
            bareName, "function: Integer",
            [set, get](NativeObject*, Args a, Value& r) {
                if (!a.empty()) set(a[0].toInt());
                r = Value(get());
            },
            true);
    }

private:
    script::Registry& reg_;
};

void registerOpening(Registrar& r) {
    r.method("Use", "function(FileName: string): Boolean",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.use(str(a, 0))); });
    r.method("SetExclusive", "function(Flag: Boolean): Boolean",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.setExclusive(flag(a, 0))); });
    r.method("Alias", "function: string",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().alias()); });
    r.method("BaseName", "function: string",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().baseName()); });
    r.method("BaseDate", "function: string",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().baseDate()); });
    r.method("WorkArea", "function: Integer",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().workArea()); });
    r.method("Select", "function(Area: Integer): Integer", [](TDataTable& t, Args a, Value& res) {
        res = Value(num(a, 0) > 0 ? t.access().select(num(a, 0)) : 0);
    });
}

void registerMoving(Registrar& r) {
    r.method("GoTop", "procedure", [](TDataTable& t, Args, Value&) {
        if (t.active()) t.access().goTop();
    });
    r.method("GoBottom", "procedure", [](TDataTable& t, Args, Value&) {
        if (t.active()) t.access().goBottom();
    });
    r.method("Go", "procedure(RecNo: Integer)", [](TDataTable& t, Args a, Value&) {
        if (t.active() && num(a, 0) >= 0) t.access().go(static_cast<std::uint32_t>(num(a, 0)));
    });
    r.method("Skip", "procedure(N: Integer)", [](TDataTable& t, Args a, Value&) {
        if (t.active()) t.access().skip(num(a, 0));
    });
    r.method("Bof", "function: Boolean",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().bof()); });
    r.method("Eof", "function: Boolean",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().eof()); });
    r.method("RecNo", "function: Integer", [](TDataTable& t, Args, Value& res) {
        res = t.active() ? count(t.access().recNo()) : Value(0);
    });
    r.method("RecCount", "function: Integer", [](TDataTable& t, Args, Value& res) {
        res = t.active() ? count(t.access().recCount()) : Value(0);
    });
    r.method("Count", "function: Integer", [](TDataTable& t, Args, Value& res) {
        res = t.active() ? count(t.access().count()) : Value(0);
    });
    r.methods({"OrderRecNo", "KeyNo"}, "function: Integer",
              [](TDataTable& t, Args, Value& res) { res = count(t.access().orderRecNo()); });
    r.method("KeyGoTo", "procedure(N: Integer)",
             [](TDataTable& t, Args a, Value&) { t.keyGoTo(num(a, 0)); });
}

void registerSearching(Registrar& r) {
    r.method("Seek", "function(Key: string): Boolean",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.seek(str(a, 0))); });
    r.method("Found", "function: Boolean",
             [](TDataTable& t, Args, Value& res) { res = Value(t.active() && t.found()); });
    r.method("SeekBin", "function(Key: string; Length: Integer): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 const std::string& key = str(a, 0);
                 const auto length = static_cast<std::size_t>(std::max(0, num(a, 1)));
                 res = Value(t.access().seekBin(std::string_view(key).substr(0, length)));
             });
    r.method("DataLocate", "function(Expr: string): Integer",
             [](TDataTable& t, Args a, Value& res) { res = count(t.dataLocate(str(a, 0))); });
    r.method("DataContinue", "function: Integer",
             [](TDataTable& t, Args, Value& res) { res = count(t.dataContinue()); });
    r.method("Locate", "function(Expr: string): Integer",
             [](TDataTable& t, Args a, Value& res) { res = count(t.locate(str(a, 0))); });
    r.method("Continue", "function: Integer",
             [](TDataTable& t, Args, Value& res) { res = count(t.continueLocate()); });
}

void registerStructure(Registrar& r) {
    r.method("FieldCount", "function: Word",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().fieldCount()); });
    r.method("FieldName", "function(N: Integer): string", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.active() ? t.access().fieldName(num(a, 0)) : std::string());
    });
    r.method("FieldNum", "function(Name: string): Word", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.access().fieldNum(str(a, 0)));
    });
    r.method("FieldType", "function(Name: string): string", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.active() ? t.access().fieldType(str(a, 0)) : std::string());
    });
    r.method("FieldWidth", "function(Name: string): Word", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.active() ? t.access().fieldWidth(str(a, 0)) : 0);
    });
    r.method("FieldDec", "function(Name: string): Word", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.active() ? t.access().fieldDecimals(str(a, 0)) : 0);
    });
    r.method("FieldOffset", "function(Name: string): Word", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.access().fieldOffset(str(a, 0)));
    });
    r.method("RecSize", "function: Integer",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().recSize()); });
}

void registerReading(Registrar& r) {
    r.method("ReadStr", "function(Field: string): string",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.readStr(str(a, 0))); });
    r.method("ReadNum", "function(Field: string): Double",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.readNum(str(a, 0))); });
    r.method("ReadLog", "function(Field: string): Boolean",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.readLog(str(a, 0))); });
    r.method("ReadDat", "function(Field: string): string",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.readDat(str(a, 0))); });
    r.method(
        "ReadMem", "function(Field: string; Line: Integer): string",
        [](TDataTable& t, Args a, Value& res) { res = Value(t.readMem(str(a, 0), num(a, 1))); });
    r.method("MemoLength", "function(Field: string): Integer",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.memoLength(str(a, 0))); });
    r.method("MemoCount", "function(Field: string): Integer",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.memoCount(str(a, 0))); });
    r.method("ReadBin", "function(Field: string): string",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.readBin(str(a, 0))); });
    r.method("Empty", "function(Field: string): Boolean",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.access().empty(str(a, 0))); });
    r.method("Deleted", "function: Boolean", [](TDataTable& t, Args, Value& res) {
        res = Value(t.active() && t.access().deleted());
    });
}

void registerWriting(Registrar& r) {
    r.method("WriteStr", "procedure(Field, Text: string)",
             [](TDataTable& t, Args a, Value&) { t.writeStr(str(a, 0), str(a, 1)); });
    r.method("WriteNum", "procedure(Field: string; Value: Double)",
             [](TDataTable& t, Args a, Value&) { t.writeNum(str(a, 0), a[1].asDouble()); });
    r.method("WriteLog", "procedure(Field: string; Value: Boolean)",
             [](TDataTable& t, Args a, Value&) { t.writeLog(str(a, 0), flag(a, 1)); });
    r.method("WriteDat", "procedure(Field, Date: string)",
             [](TDataTable& t, Args a, Value&) { t.writeDat(str(a, 0), str(a, 1)); });
    r.method("WriteMem", "procedure(Field, Text: string)",
             [](TDataTable& t, Args a, Value&) { t.writeMem(str(a, 0), str(a, 1)); });
    r.method(
        "WriteBin", "function(Field, Data: string): Integer",
        [](TDataTable& t, Args a, Value& res) { res = Value(t.writeBin(str(a, 0), str(a, 1))); });
    r.method("FileToBin", "procedure(FileName, Field: string)",
             [](TDataTable& t, Args a, Value&) { t.fileToBin(str(a, 0), str(a, 1)); });
    r.method(
        "BinToFile", "function(Field, FileName: string): Boolean",
        [](TDataTable& t, Args a, Value& res) { res = Value(t.binToFile(str(a, 0), str(a, 1))); });
    r.method("BlobToFile", "function(Field, FileName: string): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.access().blobToFile(str(a, 0), str(a, 1)));
             });
    r.method("Replace", "procedure(Field: string; Kind: Integer; Data: Pointer)",
             [](TDataTable& t, Args a, Value&) { t.access().replace(str(a, 0), num(a, 1), a[2]); });
    r.method("AppendBlank", "procedure", [](TDataTable& t, Args, Value&) { t.appendBlank(); });
    r.method("Delete", "procedure", [](TDataTable& t, Args, Value&) {
        if (t.active()) t.access().deleteRecord();
    });
    r.method("Recall", "procedure", [](TDataTable& t, Args, Value&) {
        if (t.active()) t.access().recall();
    });
    r.method("Pack", "procedure", [](TDataTable& t, Args, Value&) {
        if (t.active()) t.access().pack();
    });
    r.method("Zap", "procedure", [](TDataTable& t, Args, Value&) {
        if (t.active()) t.access().zap();
    });
    r.method("Commit", "procedure", [](TDataTable& t, Args, Value&) { t.access().commit(); });
}

void registerExpressions(Registrar& r) {
    r.method("EvalTest", "function(Expr: string): Integer", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.active() ? t.access().evalTest(str(a, 0)) : 0);
    });
    r.method("EvalStr", "function(Expr: string): string",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.evalStr(str(a, 0))); });
    r.method("EvalNum", "function(Expr: string): Double",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.evalNum(str(a, 0))); });
    r.method("EvalLog", "function(Expr: string): Boolean",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.evalLog(str(a, 0))); });
    r.method("Descend", "function(Key: string): string",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.access().descend(str(a, 0))); });
}

void registerIndexes(Registrar& r) {
    r.method("SetOrder", "function(Tag: string): Integer",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.setOrder(str(a, 0))); });
    r.method("TagArea", "function(Tag: string): Integer", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.active() ? t.access().tagArea(str(a, 0)) : 0);
    });
    r.method("TagName", "function(N: Integer): string", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.active() ? t.access().tagName(num(a, 0)) : std::string());
    });
    r.method("IndexCount", "function: Integer",
             [](TDataTable& t, Args, Value& res) { res = Value(t.indexCount()); });
    r.method(
        "IndexTag", "function(Tag, Key: string): Integer",
        [](TDataTable& t, Args a, Value& res) { res = Value(t.indexTag(str(a, 0), str(a, 1))); });
    r.method("Index",
             "function(FileName, Key: string; Options: Integer; Descending: Boolean; "
             "Condition: string): Integer",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(
                     t.access().index(str(a, 0), str(a, 1), num(a, 2), flag(a, 3), str(a, 4)));
             });
    r.method(
        "IndexOpen", "function(FileName: string): Integer",
        [](TDataTable& t, Args a, Value& res) { res = Value(t.access().indexOpen(str(a, 0))); });
    r.method("IndexClose", "procedure",
             [](TDataTable& t, Args, Value&) { t.access().indexClose(); });
    r.method("CloseIndexes", "procedure",
             [](TDataTable& t, Args, Value&) { t.access().closeIndexes(); });
    r.method("Reindex", "procedure", [](TDataTable& t, Args, Value&) {
        if (t.active()) t.access().reindex();
    });
    r.method("IndexOrd", "function: Integer",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().indexOrd()); });
    r.method("IndexType", "function: Integer",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().indexType()); });
    r.method("IndexKey", "function: string",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().indexKey()); });
    r.method("IndexKeyField", "function: string",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().indexKeyField()); });
    r.method("IndexCondition", "function: string",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().indexCondition()); });
    r.method(
        "EngineIndexName", "function(N: Integer): string",
        [](TDataTable& t, Args a, Value& res) { res = Value(t.access().indexName(num(a, 0))); });
    r.method("IndexFlip", "function: Boolean",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().indexFlip()); });
    r.method("KeyAdd", "function(Tag: string): Boolean",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.access().keyAdd(str(a, 0))); });
    r.method("KeyDrop", "function(Tag: string): Boolean",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.access().keyDrop(str(a, 0))); });
    r.method("KeyData", "function: string",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().keyData()); });
    r.method("SetScope", "function(Low, High: string): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.access().setScope(str(a, 0), str(a, 1)));
             });
    r.method("GetScope", "function(Which: Integer): string", [](TDataTable& t, Args a, Value& res) {
        res = Value(t.access().getScope(num(a, 0)));
    });
}

void registerFilters(Registrar& r) {
    r.methods({"SetFilter", "FilterQuery"}, "procedure(Expr: string)",
              [](TDataTable& t, Args a, Value&) { t.setFilter(str(a, 0)); });
    r.method("Query", "function(Expr: string): Integer",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.access().query(str(a, 0))); });
    r.method("DBFilter", "function: string",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().dbFilter()); });
    r.method(
        "QueryTest", "function(Expr: string): Shortint",
        [](TDataTable& t, Args a, Value& res) { res = Value(t.access().queryTest(str(a, 0))); });
    r.method("QueryRecCount", "function: Integer",
             [](TDataTable& t, Args, Value& res) { res = count(t.access().queryRecCount()); });
    r.method("GetQueryBit", "function(RecNo: Integer): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(num(a, 0) > 0 &&
                             t.access().getQueryBit(static_cast<std::uint32_t>(num(a, 0))));
             });
    r.method("SetQueryBit", "function(RecNo: Integer; Flag: Boolean): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res =
                     Value(num(a, 0) > 0 && t.access().setQueryBit(
                                                static_cast<std::uint32_t>(num(a, 0)), flag(a, 1)));
             });
    r.method("FilterAlias", "function(Alias, Expr: string): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.access().filterAlias(str(a, 0), str(a, 1)));
             });
    r.method("FilterDlg",
             "function(Handle: Integer; Title, Expr: string; AllowEdit: Boolean): string",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.access().filterDlg(num(a, 0), str(a, 1), str(a, 2), flag(a, 3)));
             });
    r.method("SetRelation", "procedure(Area: Word; Expr: string)",
             [](TDataTable& t, Args a, Value&) { t.access().setRelation(num(a, 0), str(a, 1)); });
}

void registerLocking(Registrar& r) {
    r.method("FileLock", "function: Boolean", [](TDataTable& t, Args, Value& res) {
        res = Value(t.active() && t.access().flock());
    });
    r.method("Flock", "function: Boolean",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().flock()); });
    // The record argument is accepted and ignored: the current record is the one locked.
    for (const char* name : {"RecLock", "Rlock"})
        r.variadic(name, "function: Boolean", [](NativeObject* self, Args, Value& res) {
            res = Value(tableOf(self).access().rlock());
        });
    r.method("Locked", "function: Boolean", [](TDataTable& t, Args, Value& res) {
        res = Value(t.active() && t.access().locked(t.access().recNo()));
    });
    r.method("Unlock", "procedure", [](TDataTable& t, Args, Value&) {
        if (t.active()) t.access().unlock(0);
    });
}

void registerCopies(Registrar& r) {
    r.method("AppendFrom", "function(FileName: string; Kind: Integer; Scope: string): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.appendFrom(str(a, 0), num(a, 1), str(a, 2)));
             });
    r.method(
        "CopyToText", "function(FileName: string; Kind: Integer): Boolean",
        [](TDataTable& t, Args a, Value& res) { res = Value(t.copyToText(str(a, 0), num(a, 1))); });
    r.method("CopyFileText", "function(FileName: string; FileType: Smallint): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.access().copyFileText(str(a, 0), num(a, 1)));
             });
    r.method("CopyFile", "function(FileName: string): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.active() && t.access().copyFile(str(a, 0)));
             });
    r.method("CopyStru", "function(FileName: string): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.active() && t.access().copyStructure(str(a, 0)));
             });
    r.method("CopyStructure", "function(FileName: string): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.access().copyStructure(str(a, 0)));
             });
    r.methods({"CopyToInfo", "CopyStructureExtended"}, "function(FileName: string): Boolean",
              [](TDataTable& t, Args a, Value& res) {
                  res = Value(t.access().copyStructureExtended(str(a, 0)));
              });
    r.method("CreateInfo", "function(FileName: string): Boolean",
             [](TDataTable&, Args a, Value& res) { res = Value(createInfoTable(str(a, 0))); });
    r.method("CreateFrom", "function(FileName: string): Boolean",
             [](TDataTable& t, Args a, Value& res) { res = Value(t.createFrom(str(a, 0))); });
    r.method("CreateNew", "function(FileName: string; Driver, Fields: Integer): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.access().createNew(str(a, 0), num(a, 1), num(a, 2)));
             });
    r.method("CreateField", "function(Name, FieldType: string; Width, Decimals: Integer): Boolean",
             [](TDataTable& t, Args a, Value& res) {
                 res = Value(t.access().createField(str(a, 0), str(a, 1), num(a, 2), num(a, 3)));
             });
    r.method("CreateExec", "function: Boolean",
             [](TDataTable& t, Args, Value& res) { res = Value(t.access().createExec()); });
}

void registerEnvironment(Registrar& r) {
    r.classMethod(
        "ErrorLevel", "function(Level: Integer): Integer",
        [](NativeObject*, Args a, Value& res) { res = Value(env().errorLevel(num(a, 0))); });
    r.booleanSetting(
        "SetCentury", "Century", [](bool on) { env().setCentury(on); },
        [] { return env().century(); });
    r.integerSetting(
        "SetEpoch", "Epoch", [](int year) { env().setEpoch(year); }, [] { return env().epoch(); });
    r.booleanSetting(
        "SetDeleted", "GetDeleted", [](bool on) { env().setDeleted(on); },
        [] { return env().deleted(); });
    r.booleanSetting(
        "SetExact", "Exact", [](bool on) { env().setExact(on); }, [] { return env().exact(); });
    r.integerSetting(
        "SetLockTimeout", "LockTimeout", [](int seconds) { env().setLockTimeout(seconds); },
        [] { return env().lockTimeout(); });
    r.integerSetting(
        "SetMemoBlockSize", "MemoBlockSize", [](int size) { env().setMemoBlockSize(size); },
        [] { return env().memoBlockSize(); });
    r.booleanSetting(
        "SetSoftSeek", "SoftSeek", [](bool on) { env().setSoftSeek(on); },
        [] { return env().softSeek(); });
    r.classMethod("SysProp", "function(Code: Word; Data: Pointer): Integer",
                  [](NativeObject* self, Args a, Value& res) {
                      res = Value(accessOf(self).sysProp(num(a, 0), a[1]));
                  });
    r.classMethod(
        "SetGaugeHook", "procedure(Handle: Integer)",
        [](NativeObject* self, Args a, Value&) { accessOf(self).setGaugeHook(num(a, 0)); });
    r.classMethod(
        "SetTranslate", "procedure(Flag: Boolean)",
        [](NativeObject* self, Args a, Value&) { accessOf(self).setTranslate(flag(a, 0)); });
}

void registerProperties(script::Registry& reg) {
    reg.registerProperty(
        kClass, "Filter",
        [](NativeObject* self, std::span<const Value>) { return Value(tableOf(self).filter()); },
        [](NativeObject* self, std::span<const Value>, const Value& v) {
            tableOf(self).setFilter(v.toString());
        },
        script::DeclaredType::String);
    // Kept for programs that read it; there is no engine object to hand out.
    reg.registerProperty(
        kClass, "EngineObject", [](NativeObject*, std::span<const Value>) { return Value(); },
        nullptr);
}

} // namespace

void registerDataTable(script::Registry& registry) {
    const char* parent = registry.findClass("TTable") ? "TTable" : "TComponent";
    registry.registerClass(kClass, parent,
                           [](script::Component*) { return std::make_unique<TDataTable>(); });
    Registrar r(registry);
    registerOpening(r);
    registerMoving(r);
    registerSearching(r);
    registerStructure(r);
    registerReading(r);
    registerWriting(r);
    registerExpressions(r);
    registerIndexes(r);
    registerFilters(r);
    registerLocking(r);
    registerCopies(r);
    registerEnvironment(r);
    registerProperties(registry);
    // Design-time registration of the data-aware controls: nothing to do at run time.
    if (!registry.findProc("Register"))
        registry.registerProc("Register", "procedure", [](NativeObject*, Args, Value&) {});
}

} // namespace vorlan::data
