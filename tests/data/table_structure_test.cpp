// New tables and changed structures: what a field list may hold, and a table rewritten with its
// records, memos, deleted marks and usable tags carried across, the old files kept as a backup,
// read back by another DBF implementation.
#include "table_fixture.h"

#include "core/cp1250.h"
#include "data/table_structure.h"
#include "needs_tool.h"

#include <cstdio>
#include <memory>

#include <gtest/gtest.h>

using namespace vorlan;
using data::StructureField;
using tables::FieldSpec;
using tables::Flavor;

namespace {

std::string faultOf(std::vector<FieldSpec> fields, Flavor flavor = Flavor::FoxPro) {
    return cp1250ToUtf8(data::fieldListFault(fields, flavor));
}

TEST(FieldList, NamesTypesAndWidthsAreCheckedBeforeATableIsMade) {
    EXPECT_EQ(faultOf({{"NAZEV", 'C', 30}, {"CENA", 'N', 10, 2}, {"DATUM", 'D'}, {"POZN", 'M'}}),
              "");
    EXPECT_NE(faultOf({}).find("aspoň jednu"), std::string::npos);
    EXPECT_NE(faultOf({{"1CENA", 'N', 5}}).find("„1CENA“ není platné"), std::string::npos);
    EXPECT_NE(faultOf({{"CENA_BEZ_DPH", 'N', 5}}).find("není platné"), std::string::npos);
    EXPECT_NE(faultOf({{"CÍSLO", 'N', 5}}).find("není platné"), std::string::npos);
    EXPECT_NE(faultOf({{"", 'C', 5}}).find("není platné"), std::string::npos);
    // Letter case does not make two names of one.
    EXPECT_NE(faultOf({{"Cena", 'N', 5}, {"CENA", 'C', 5}}).find("„CENA“ je v seznamu dvakrát"),
              std::string::npos);
    EXPECT_NE(faultOf({{"JMENO", 'C', 0}}).find("šířku 1 až 254"), std::string::npos);
    EXPECT_NE(faultOf({{"JMENO", 'C', 255}}).find("šířku 1 až 254"), std::string::npos);
    EXPECT_NE(faultOf({{"CENA", 'N', 21}}).find("šířku 1 až 20"), std::string::npos);
    EXPECT_NE(faultOf({{"CENA", 'N', 5, 4}}).find("nejvýše 3 desetinných"), std::string::npos);
    EXPECT_EQ(faultOf({{"CENA", 'N', 5, 3}}), "");
    // Integer fields belong to the 0x30 family only.
    EXPECT_NE(faultOf({{"POCET", 'I'}}).find("typ I"), std::string::npos);
    EXPECT_EQ(faultOf({{"POCET", 'I'}}, Flavor::VisualFoxPro), "");
    EXPECT_NE(faultOf({{"X", 'Q', 1}}).find("typ Q"), std::string::npos);
}

class TableStructure : public datatest::CustomerTable {
protected:
    std::unique_ptr<tables::EngineTable> open(const std::string& name, bool exclusive = false) {
        tables::OpenOptions options;
        options.exclusive = exclusive;
        return tables::engineFor(dir / name).open(dir / name, options);
    }
    std::string field(tables::EngineTable& t, const char* name) {
        return cp1250ToUtf8(t.getString(t.fieldIndex(name)));
    }
};

TEST_F(TableStructure, ANewTableIsMadeButNeverOverAnExistingOne) {
    data::createTable(dir / "NOVA.DBF", {{"KOD", 'C', 6}, {"POCET", 'N', 4}, {"POZN", 'M'}},
                      Flavor::FoxPro);
    auto t = open("NOVA.DBF");
    ASSERT_EQ(t->fieldCount(), 3);
    EXPECT_EQ(t->field(1).width, 4);
    EXPECT_EQ(t->recordCount(), 0u);
    t->close();

    const std::string before = dbftest::readAll(dir / "CUSTOMER.DBF");
    try {
        data::createTable(dir / "CUSTOMER.DBF", {{"KOD", 'C', 6}}, Flavor::FoxPro);
        ADD_FAILURE() << "an existing table was replaced";
    } catch (const tables::EngineError& e) {
        EXPECT_NE(cp1250ToUtf8(e.what()).find("už existuje"), std::string::npos) << e.what();
    }
    EXPECT_EQ(dbftest::readAll(dir / "CUSTOMER.DBF"), before);
    EXPECT_THROW(data::createTable(dir / "CHYBA.DBF", {{"9", 'C', 6}}, Flavor::FoxPro),
                 tables::EngineError);
    EXPECT_FALSE(std::filesystem::exists(dir / "CHYBA.DBF"));
}

// The customer table with tags, a deleted record and a record whose values do not all fit the
// narrower fields of the new structure.
class ChangedCustomers : public TableStructure {
protected:
    void SetUp() override {
        TableStructure::SetUp();
        auto t = dbf::Table::open(dir / "CUSTOMER.DBF");
        t->createTag("NAME", "UPPER(NAME)");
        t->createTag("AMOUNT", "AMOUNT");
        dbf::IndexOptions large;
        large.forExpr = "AMOUNT > 100";
        t->createTag("LARGEDUE", "DTOS(DUE)", large);
        dbf::IndexOptions paid;
        paid.forExpr = "PAID";
        t->createTag("PAIDDUE", "DTOS(DUE)", paid);
        t->goTo(2);
        t->deleteRecord();
        t->close();
        before = dbftest::readAll(dir / "CUSTOMER.DBF");
        // NAME becomes JMENO C 4 (longer names are cut), AMOUNT N 6,1 (1500.25 fits as 1500.3;
        // nothing wider is there), QTY goes, PAID becomes a character field, NOTE stays a memo,
        // CITY is new.
        fields = {
            {{"JMENO", 'C', 4}, "NAME"}, {{"AMOUNT", 'N', 6, 1}, "AMOUNT"},
            {{"PAID", 'C', 3}, "PAID"},  {{"DUE", 'D'}, "DUE"},
            {{"NOTE", 'M'}, "NOTE"},     {{"CITY", 'C', 12}, ""},
            {{"SMALL", 'N', 2}, "QTY"},
        };
    }
    std::string before;
    std::vector<StructureField> fields;
};

TEST_F(ChangedCustomers, RecordsMemosAndDeletedMarksAreCarriedIntoTheNewFields) {
    const data::StructureChange change = data::changeStructure(dir / "CUSTOMER.DBF", fields);
    EXPECT_EQ(change.records, 4u);
    // Two names are longer than four letters; every number fits.
    EXPECT_EQ(change.valuesLost, 2u);
    EXPECT_EQ(change.backup, dir / "CUSTOMER.BAK");
    // The tag over the renamed field cannot be made again, nor the one whose condition is no
    // longer logical; the others can.
    EXPECT_EQ(change.droppedTags, (std::vector<std::string>{"NAME", "PAIDDUE"}));

    auto t = open("CUSTOMER.DBF");
    ASSERT_EQ(t->fieldCount(), 7);
    EXPECT_EQ(t->field(0).name, "JMENO");
    t->goTo(1);
    EXPECT_EQ(field(*t, "JMENO"), "Nova");
    EXPECT_DOUBLE_EQ(t->getNumber(t->fieldIndex("AMOUNT")), 120.5);
    EXPECT_EQ(field(*t, "PAID"), "T  ");
    EXPECT_EQ(cp1250ToUtf8(t->getMemo(t->fieldIndex("NOTE"))), "first");
    EXPECT_TRUE(t->fieldEmpty(t->fieldIndex("CITY")));
    EXPECT_FALSE(t->deleted());
    t->goTo(2);
    EXPECT_TRUE(t->deleted());
    EXPECT_EQ(field(*t, "JMENO"), "Adam");
    t->goTo(3);
    EXPECT_DOUBLE_EQ(t->getNumber(t->fieldIndex("AMOUNT")), 1500.3);
    EXPECT_EQ(cp1250ToUtf8(t->getMemo(t->fieldIndex("NOTE"))), "line one\r\nline two");
    EXPECT_DOUBLE_EQ(t->getNumber(t->fieldIndex("SMALL")), 12);
    EXPECT_EQ(t->getDate(t->fieldIndex("DUE")), dbf::julianFromYmd(2025, 6, 1));

    // The structural index holds the two tags that still fit, built over the new records.
    ASSERT_EQ(t->indexCount(), 2);
    EXPECT_EQ(t->orderInfo(1).tag, "AMOUNT");
    EXPECT_EQ(t->orderInfo(2).tag, "LARGEDUE");
    EXPECT_EQ(t->orderInfo(2).forExpr, "AMOUNT > 100");
    t->setOrder(1);
    EXPECT_TRUE(t->seek("1500.3"));
    EXPECT_EQ(t->recNo(), 3u);
    t->setOrder(2);
    std::vector<std::uint32_t> large;
    for (t->goTop(); !t->eof(); t->skip())
        large.push_back(t->recNo());
    EXPECT_EQ(large, (std::vector<std::uint32_t>{1, 3}));
    t->close();

    // The old table is kept whole under its backup name, its memos beside it.
    EXPECT_EQ(dbftest::readAll(dir / "CUSTOMER.BAK"), before);
    EXPECT_TRUE(std::filesystem::exists(dir / "CUSTOMER.TBK"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '~') << entry.path();
}

TEST_F(ChangedCustomers, AnotherImplementationReadsTheChangedTable) {
    if (std::system("/usr/bin/python3 -c 'import dbf' >/dev/null 2>&1") != 0)
        VORLAN_SKIP_WITHOUT("python3-dbf is not installed");
    data::changeStructure(dir / "CUSTOMER.DBF", fields);
    const std::string script = "import dbf, sys\n"
                               "t = dbf.Table(sys.argv[1], codepage='cp1250')\n"
                               "t.open(dbf.READ_ONLY)\n"
                               "print(','.join(t.field_names))\n"
                               "for r in t:\n"
                               "    print(('*' if dbf.is_deleted(r) else '') + '|'.join([\n"
                               "        r.jmeno.rstrip(), '%.1f' % r.amount, r.paid.rstrip(),\n"
                               "        r.due.strftime('%Y%m%d') if r.due else '',\n"
                               "        (r.note or '').replace('\\r\\n', '/'), r.city.rstrip(),\n"
                               "        str(int(r.small))]))\n";
    dbftest::writeAll(dir / "dump.py", script);
    const std::string command = "/usr/bin/python3 " + (dir / "dump.py").string() + " " +
                                (dir / "CUSTOMER.DBF").string() + " 2>&1";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    EXPECT_EQ(out, "jmeno,amount,paid,due,note,city,small\n"
                   "Nova|120.5|T|20240115|first||3\n"
                   "*Adam|99.0|F|20231231|||1\n"
                   "Cern|1500.3|T|20250601|line one/line two||12\n"
                   "Bily|0.8|F|20220228|x||7\n");
}

TEST_F(ChangedCustomers, ATableSomebodyHoldsIsLeftAsItWas) {
    auto held = open("CUSTOMER.DBF");
    try {
        data::changeStructure(dir / "CUSTOMER.DBF", fields);
        ADD_FAILURE() << "a table held by another user was rewritten";
    } catch (const tables::EngineError& e) {
        EXPECT_NE(cp1250ToUtf8(e.what()).find("nelze otevřít výhradně"), std::string::npos)
            << e.what();
    }
    held->close();
    // A field list that cannot be made, or a source field that is not there, fails before any
    // file is touched.
    std::vector<StructureField> wrong = fields;
    wrong[0].source = "NENI";
    EXPECT_THROW(data::changeStructure(dir / "CUSTOMER.DBF", wrong), tables::EngineError);
    wrong = fields;
    wrong[1].spec.width = 30;
    EXPECT_THROW(data::changeStructure(dir / "CUSTOMER.DBF", wrong), tables::EngineError);
    EXPECT_EQ(dbftest::readAll(dir / "CUSTOMER.DBF"), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "CUSTOMER.BAK"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '~') << entry.path();
}

TEST_F(ChangedCustomers, AValueTooWideForItsNewFieldIsLeftBlankAndCounted) {
    fields[1].spec = {"AMOUNT", 'N', 4, 1}; // 120.5 and 1500.25 do not fit in 4 places
    fields[6].spec = {"SMALL", 'N', 1};     // nor does 12 in one
    const data::StructureChange change = data::changeStructure(dir / "CUSTOMER.DBF", fields);
    EXPECT_EQ(change.valuesLost, 2u + 2u + 1u);
    auto t = open("CUSTOMER.DBF");
    t->goTo(1);
    EXPECT_TRUE(t->fieldEmpty(t->fieldIndex("AMOUNT")));
    t->goTo(3);
    EXPECT_TRUE(t->fieldEmpty(t->fieldIndex("AMOUNT")));
    EXPECT_TRUE(t->fieldEmpty(t->fieldIndex("SMALL")));
    t->goTo(4);
    EXPECT_DOUBLE_EQ(t->getNumber(t->fieldIndex("AMOUNT")), 0.8);
}

} // namespace
