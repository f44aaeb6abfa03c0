// The table class as scripts reach it: made through its class reference, called by name with
// script values, the class-level settings callable without a table.
#include "data/script/data_table.h"
#include "data/script/data_table_registration.h"
#include "data/script/file_names.h"
#include "script/builtins.h"
#include "script/comp_wrapper.h"
#include "script/object_store.h"
#include "script/registry.h"
#include "table_fixture.h"

#include <vector>

using namespace vorlan;
using script::DispStatus;
using script::Value;

namespace {

class TableScriptTest : public datatest::TableFixture {
protected:
    void SetUp() override {
        TableFixture::SetUp();
        script::registerEngineBuiltins(reg_);
        data::registerDataTable(reg_);
    }
    void TearDown() override {
        script::freeAllUnownedObjects();
        TableFixture::TearDown();
    }

    Value call(script::Dispatch& target, std::string_view name, std::vector<Value> args = {},
               unsigned flags = script::InvokeMethod) {
        Value result;
        script::ExceptionInfo error;
        const DispStatus status = script::invokeByName(target, name, flags, args, result, error);
        EXPECT_EQ(status, DispStatus::Ok) << name << ": " << error.description;
        return result;
    }

    script::ObjectRef newTable() {
        script::ObjectRef scope = reg_.globalScope();
        const Value cls = call(*scope, "TDataTable", {}, script::InvokeGet);
        return call(*cls.asObject(), "Create", {Value(0)}).asObject();
    }

    script::Registry reg_;
};

} // namespace

TEST_F(TableScriptTest, AScriptWalksAndChangesATable) {
    script::ObjectRef t = newTable();
    ASSERT_TRUE(t);
    EXPECT_EQ(call(*t, "ClassName").asString(), "TDataTable");
    EXPECT_TRUE(call(*t, "Use", {Value("firms")}).asBool());
    EXPECT_EQ(call(*t, "FieldCount").asInt(), 5);
    EXPECT_EQ(call(*t, "FieldName", {Value(2)}).asString(), "AMOUNT");

    std::string names;
    call(*t, "GoTop");
    while (!call(*t, "Eof").asBool()) {
        names += call(*t, "ReadStr", {Value("NAME")}).asString() + ";";
        call(*t, "Skip", {Value(1)});
    }
    EXPECT_EQ(names, "Beta;Alfa;Gama;");

    // Arguments arrive in their declared types: a numeric text becomes a number.
    call(*t, "Go", {Value("2")});
    call(*t, "WriteNum", {Value("AMOUNT"), Value("12.5")});
    EXPECT_DOUBLE_EQ(call(*t, "ReadNum", {Value("AMOUNT")}).asDouble(), 12.5);
    EXPECT_EQ(call(*t, "RecNo").asInt(), 2);
    EXPECT_EQ(call(*t, "ReadMem", {Value("NOTE"), Value(0)}).asString(), "");
    EXPECT_TRUE(call(*t, "Use", {Value("")}).asBool());
    EXPECT_EQ(call(*t, "RecNo").asInt(), 0);
}

TEST_F(TableScriptTest, FilterIsAPropertyAndLocksTakeAnOptionalRecord) {
    script::ObjectRef t = newTable();
    call(*t, "Filter", {Value("ACTIVE")}, script::InvokePut);
    EXPECT_EQ(call(*t, "Filter", {}, script::InvokeGet).asString(), "ACTIVE");
    ASSERT_TRUE(call(*t, "Use", {Value("FIRMS.DBF")}).asBool());
    EXPECT_EQ(call(*t, "Count").asInt(), 2);
    EXPECT_TRUE(call(*t, "RecLock").asBool());
    EXPECT_TRUE(call(*t, "Rlock", {Value(1)}).asBool());
    call(*t, "Commit");
}

TEST_F(TableScriptTest, ClassLevelSettingsActOnTheSharedEnvironment) {
    const script::MemberRef epoch = reg_.findMember("TDataTable", "Epoch");
    ASSERT_TRUE(epoch.method);
    Value result;
    script::ExceptionInfo error;
    std::vector<Value> args{Value(50)};
    // Without a table object, as a call on the class makes it.
    ASSERT_EQ(reg_.call(*epoch.method, nullptr, args, result, error), DispStatus::Ok);
    EXPECT_EQ(result.asInt(), 100);
    args.clear();
    ASSERT_EQ(reg_.call(*epoch.method, nullptr, args, result, error), DispStatus::Ok);
    EXPECT_EQ(result.asInt(), 100);
    EXPECT_EQ(env_->epoch(), 100);

    // Through the class name itself, as scripts write it: settings answer, table methods do not.
    script::ObjectRef scope = reg_.globalScope();
    script::ObjectRef cls = call(*scope, "TDataTable", {}, script::InvokeGet).asObject();
    call(*cls, "SetCentury", {Value(true)});
    EXPECT_TRUE(env_->century());
    EXPECT_TRUE(call(*cls, "Century").asBool());
    EXPECT_EQ(cls->idOfName("GoTop"), script::kUnknownDispId);

    script::ObjectRef t = newTable();
    call(*t, "SetCentury", {Value(false)});
    EXPECT_FALSE(env_->century());
    EXPECT_FALSE(call(*t, "Century").asBool());
    call(*t, "SetDeleted", {Value(true)});
    EXPECT_TRUE(call(*t, "GetDeleted").asBool());
    EXPECT_TRUE(dbf::settings().hideDeleted);
}

TEST_F(TableScriptTest, TableMethodsOnAnotherObjectFailCleanly) {
    const script::MemberRef use = reg_.findMember("TDataTable", "Use");
    ASSERT_TRUE(use.method);
    script::Component other("TComponent");
    Value result;
    script::ExceptionInfo error;
    std::vector<Value> args{Value("FIRMS")};
    EXPECT_EQ(reg_.call(*use.method, &other, args, result, error), DispStatus::Exception);
}

TEST_F(TableScriptTest, PublishedPropertiesOpenATableAsAFormStreamSetsThem) {
    // A form stream sets Active before the names: the table opens once the form is read.
    data::TDataTable onForm;
    EXPECT_TRUE(onForm.setPublished("Active", Value(true)));
    onForm.setPublished("DatabaseName", Value(data::currentProgramDirectory()));
    onForm.setPublished("TableName", Value("FIRMS.DBF"));
    EXPECT_FALSE(onForm.active());
    onForm.loaded();
    EXPECT_TRUE(onForm.active());
    EXPECT_THROW(onForm.setPublished("TableName", Value("OTHER.DBF")), data::DataSetError);

    // A script reaches them by name like any other property.
    script::ObjectRef t = newTable();
    call(*t, "TableName", {Value("FIRMS")}, script::InvokePut);
    call(*t, "Active", {Value(true)}, script::InvokePut);
    EXPECT_TRUE(call(*t, "Active", {}, script::InvokeGet).asBool());
    EXPECT_EQ(call(*t, "RecCount").asInt(), 3);
    call(*t, "Active", {Value(false)}, script::InvokePut);
    EXPECT_EQ(call(*t, "RecCount").asInt(), 0);
}

TEST_F(TableScriptTest, EveryMemberAnswersOnAClosedTableWithoutReachingAnOpenOne) {
    // Another table is open and current: a closed table's calls must not act on it.
    script::ObjectRef other = newTable();
    ASSERT_TRUE(call(*other, "Use", {Value("FIRMS")}).asBool());
    call(*other, "Go", {Value(2)});
    script::ObjectRef t = newTable();

    const Value no(false), zero(0), none{std::string()};
    const Value s("NAME"), n(1);
    const struct {
        const char* name;
        std::vector<Value> args;
        Value expected; // empty: a procedure
    } cases[] = {
        {"Select", {zero}, zero},
        {"SetExclusive", {Value(true)}, no},
        {"Alias", {}, none},
        {"BaseName", {}, none},
        {"BaseDate", {}, none},
        {"WorkArea", {}, zero},
        {"GoTop", {}, {}},
        {"GoBottom", {}, {}},
        {"Go", {n}, {}},
        {"Skip", {n}, {}},
        {"Bof", {}, Value(true)},
        {"Eof", {}, Value(true)},
        {"RecNo", {}, zero},
        {"RecCount", {}, zero},
        {"Count", {}, zero},
        {"OrderRecNo", {}, zero},
        {"KeyNo", {}, zero},
        {"KeyGoTo", {n}, {}},
        {"Seek", {s}, no},
        {"Found", {}, no},
        {"SeekBin", {s, n}, no},
        {"DataLocate", {Value("ACTIVE")}, zero},
        {"DataContinue", {}, zero},
        {"Locate", {Value("ACTIVE")}, zero},
        {"Continue", {}, zero},
        {"FieldCount", {}, zero},
        {"FieldName", {n}, none},
        {"FieldNum", {s}, zero},
        {"FieldType", {s}, none},
        {"FieldWidth", {s}, zero},
        {"FieldDec", {s}, zero},
        {"FieldOffset", {s}, zero},
        {"RecSize", {}, zero},
        {"ReadStr", {s}, none},
        {"ReadNum", {s}, Value(0.0)},
        {"ReadLog", {s}, no},
        {"ReadDat", {s}, Value(data::kEmptyDateText)},
        {"ReadMem", {s, zero}, none},
        {"MemoLength", {s}, zero},
        {"MemoCount", {s}, zero},
        {"ReadBin", {s}, none},
        {"Empty", {s}, no},
        {"Deleted", {}, no},
        {"WriteStr", {s, s}, {}},
        {"WriteNum", {s, n}, {}},
        {"WriteLog", {s, no}, {}},
        {"WriteDat", {s, s}, {}},
        {"WriteMem", {s, s}, {}},
        {"WriteBin", {s, s}, zero},
        {"FileToBin", {Value("FIRMS.DBF"), s}, {}},
        {"BinToFile", {s, Value("OUT.BIN")}, no},
        {"BlobToFile", {s, Value("OUT.BIN")}, no},
        {"Replace", {s, Value(1024), s}, {}},
        {"AppendBlank", {}, {}},
        {"Delete", {}, {}},
        {"Recall", {}, {}},
        {"Pack", {}, {}},
        {"Zap", {}, {}},
        {"Commit", {}, {}},
        {"EvalTest", {s}, zero},
        {"EvalStr", {s}, none},
        {"EvalNum", {s}, Value(0.0)},
        {"EvalLog", {s}, no},
        {"SetOrder", {s}, zero},
        {"TagArea", {s}, zero},
        {"TagName", {n}, none},
        {"IndexCount", {}, zero},
        {"IndexTag", {s, s}, zero},
        {"Index", {Value("X.NTX"), s, zero, no, none}, zero},
        {"IndexOpen", {Value("X.NTX")}, zero},
        {"IndexClose", {}, {}},
        {"CloseIndexes", {}, {}},
        {"Reindex", {}, {}},
        {"IndexOrd", {}, zero},
        {"IndexType", {}, zero},
        {"IndexKey", {}, none},
        {"IndexKeyField", {}, none},
        {"IndexCondition", {}, none},
        {"EngineIndexName", {n}, none},
        {"IndexFlip", {}, no},
        {"KeyAdd", {s}, no},
        {"KeyDrop", {s}, no},
        {"KeyData", {}, none},
        {"SetScope", {s, s}, no},
        {"GetScope", {zero}, none},
        {"Query", {Value("ACTIVE")}, Value(-1)},
        {"DBFilter", {}, none},
        {"QueryTest", {Value("ACTIVE")}, Value(-1)},
        {"QueryRecCount", {}, zero},
        {"GetQueryBit", {n}, no},
        {"SetQueryBit", {n, Value(true)}, no},
        {"FilterAlias", {s, s}, no},
        {"FilterDlg", {zero, s, Value("ACTIVE"), no}, Value("ACTIVE")},
        {"SetRelation", {n, s}, {}},
        {"FileLock", {}, no},
        {"Flock", {}, no},
        {"RecLock", {}, no},
        {"Rlock", {n}, no},
        {"Locked", {}, no},
        {"Unlock", {}, {}},
        {"AppendFrom", {Value("FIRMS.DBF"), n, none}, no},
        {"CopyToText", {Value("OUT.TXT"), n}, no},
        {"CopyFileText", {Value("OUT.TXT"), Value(21)}, no},
        {"CopyFile", {Value("OUT.DBF")}, no},
        {"CopyStru", {Value("OUT.DBF")}, no},
        {"CopyStructure", {Value("OUT.DBF")}, no},
        {"CopyToInfo", {Value("OUT.DBF")}, no},
        {"CopyStructureExtended", {Value("OUT.DBF")}, no},
        {"CreateFrom", {Value("OUT.DBF")}, no},
        {"CreateField", {s, Value("C"), Value(10), zero}, no},
        {"CreateExec", {}, no},
    };
    for (const auto& c : cases) {
        const Value result = call(*t, c.name, c.args);
        EXPECT_TRUE(result.identical(c.expected)) << c.name << " gave " << result.toString() << " ("
                                                  << script::typeName(result.type()) << ")";
    }
    // The filter is kept for when the table opens.
    call(*t, "SetFilter", {Value("ACTIVE")});
    EXPECT_EQ(call(*t, "Filter", {}, script::InvokeGet).asString(), "ACTIVE");
    EXPECT_FALSE(call(*t, "Descend", {Value("AB")}).asString().empty());

    // The open table is where it was, untouched.
    EXPECT_EQ(call(*other, "RecNo").asInt(), 2);
    EXPECT_EQ(call(*other, "RecCount").asInt(), 3);
    EXPECT_EQ(call(*other, "ReadStr", {Value("NAME")}).asString(), "Alfa");
    EXPECT_FALSE(call(*other, "Deleted").asBool());
}
