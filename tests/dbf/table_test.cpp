#include "core/cp1250.h"
#include "dbf/table.h"
#include "dbf/workareas.h"
#include "dbf/xbase_text.h"
#include "temp_dir.h"

#include <cstdint>
#include <gtest/gtest.h>

using namespace vorlan::dbf;
using dbftest::readAll;

namespace {

std::uint32_t headerCount(const std::string& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    return getLe32(p + 4);
}

std::vector<FieldSpec> sampleFields() {
    return {{"NAME", 'C', 20, 0}, {"AMOUNT", 'N', 8, 2}, {"BORN", 'D'}, {"ACTIVE", 'L'}};
}

} // namespace

TEST(DbfTable, HeaderCountAndEndMarkerAfterEveryAppend) {
    dbftest::TempDir dir;
    const auto path = dir / "people.dbf";
    auto t = Table::create(path, sampleFields());
    EXPECT_EQ(t->recordCount(), 0u);
    EXPECT_TRUE(t->bof());
    EXPECT_TRUE(t->eof());
    for (int i = 1; i <= 5; ++i) {
        t->append();
        t->setString(0, "Person " + std::to_string(i));
        t->flush();
        const std::string bytes = readAll(path);
        EXPECT_EQ(headerCount(bytes), static_cast<std::uint32_t>(i));
        // Header + records + the end-of-file byte, nothing more.
        EXPECT_EQ(bytes.size(),
                  static_cast<std::size_t>(t->headerSize() + i * t->recordSize() + 1));
        EXPECT_EQ(bytes.back(), '\x1A');
    }
    const std::string bytes = readAll(path);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x03);
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0xC8); // Windows-1250 mark
    EXPECT_EQ(t->headerSize(), 32 + 4 * 32 + 1);
    EXPECT_EQ(t->recordSize(), 1 + 20 + 8 + 8 + 1);
}

TEST(DbfTable, TypedValuesRoundTripThroughTheFile) {
    dbftest::TempDir dir;
    const auto path = dir / "t.dbf";
    {
        auto t = Table::create(path, sampleFields());
        t->append();
        t->setString(0, vorlan::czech("Žluťoučký kůň")); // Windows-1250 bytes, stored as given
        t->setNumber(1, 1234.567);
        t->setDate(2, julianFromYmd(1999, 12, 31));
        t->setLogical(3, true);
        t->append();
        t->setNumber(1, -5);
        t->close();
    }
    auto t = Table::open(path, {.readOnly = true});
    ASSERT_EQ(t->recordCount(), 2u);
    EXPECT_EQ(t->field(1).name, "AMOUNT");
    EXPECT_EQ(t->fieldIndex("amount"), 1);
    EXPECT_EQ(t->fieldIndex("nothing"), -1);
    t->goTo(1);
    EXPECT_EQ(t->getString(0), vorlan::czech("Žluťoučký kůň") + std::string(7, ' '));
    EXPECT_EQ(t->raw(1), " 1234.57");
    EXPECT_DOUBLE_EQ(t->getNumber(1), 1234.57);
    EXPECT_EQ(t->raw(2), "19991231");
    EXPECT_TRUE(t->getLogical(3));
    t->goTo(2);
    EXPECT_EQ(t->raw(1), "   -5.00");
    EXPECT_EQ(t->getDate(2), 0);
    EXPECT_TRUE(t->fieldEmpty(2));
    EXPECT_TRUE(t->fieldEmpty(0));
    EXPECT_FALSE(t->getLogical(3));
    EXPECT_THROW(t->setString(0, "x"), DbfError);
}

TEST(DbfTable, NumericFormattingRoundsAndOverflowsToAsterisks) {
    EXPECT_EQ(formatNumber(2.5, 3, 0), "  3");
    EXPECT_EQ(formatNumber(-2.5, 3, 0), " -3");
    EXPECT_EQ(formatNumber(1.005, 6, 2), "  1.01");
    EXPECT_EQ(formatNumber(0, 5, 2), " 0.00");
    EXPECT_EQ(formatNumber(99999, 5, 0), "99999");
    EXPECT_EQ(formatNumber(100000, 5, 0), "*****");
    EXPECT_EQ(formatNumber(-1000, 4, 0), "****");
    EXPECT_EQ(formatNumber(12.345, 5, 2), "12.35"); // rounding fits exactly
    EXPECT_EQ(formatNumber(1e300, 8, 2), "********");
    EXPECT_DOUBLE_EQ(parseNumber("  -12.50"), -12.5);
    EXPECT_DOUBLE_EQ(parseNumber("        "), 0);
    EXPECT_DOUBLE_EQ(parseNumber("3,5"), 3.5);

    dbftest::TempDir dir;
    auto t = Table::create(dir / "n.dbf", {{"N", 'N', 4, 1}});
    t->append();
    t->setNumber(0, 1000);
    EXPECT_EQ(t->raw(0), "****");
    EXPECT_EQ(t->getNumber(0), 0); // an overflowed field reads as zero
}

TEST(DbfTable, DateTextFollowsFormatCenturyAndEpoch) {
    dbftest::SettingsGuard guard;
    const auto jd = julianFromYmd(2024, 2, 29);
    settings().dateFormat = DateFormat::German;
    settings().century = true;
    EXPECT_EQ(dateToText(jd), "29.02.2024");
    EXPECT_EQ(dateFromText("29.02.2024"), jd);
    EXPECT_EQ(dateFromText("1.2.2024"), julianFromYmd(2024, 2, 1));
    EXPECT_EQ(dateFromText("30.02.2024"), 0);
    EXPECT_EQ(dateFromText(" 29.02.2024 "), jd);
    EXPECT_EQ(dateFromText("01.0z1.2003"), 0); // a fourth part is not a date
    EXPECT_EQ(dateFromText("1.2"), 0);
    EXPECT_EQ(emptyDateText(), "  .  .    ");
    settings().dateFormat = DateFormat::American;
    EXPECT_EQ(emptyDateText(), "  /  /    ");
    EXPECT_EQ(dateToText(jd), "02/29/2024");
    settings().century = false;
    EXPECT_EQ(dateToText(jd), "02/29/24");
    settings().epoch = 1950;
    EXPECT_EQ(dateFromText("01/01/49"), julianFromYmd(2049, 1, 1));
    EXPECT_EQ(dateFromText("01/01/50"), julianFromYmd(1950, 1, 1));
    settings().dateFormat = DateFormat::Ansi;
    settings().century = true;
    EXPECT_EQ(dateToText(jd), "2024.02.29");
    EXPECT_EQ(dateToDtos(0), "        ");
    EXPECT_EQ(dateFromDtos("2024022x"), 0);
    int y, m, d;
    ymdFromJulian(julianFromYmd(1600, 3, 1), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 16000301);
}

TEST(DbfTable, NavigationBofEofAndDeletedVisibility) {
    dbftest::TempDir dir;
    dbftest::SettingsGuard guard;
    auto t = Table::create(dir / "nav.dbf", {{"V", 'N', 3, 0}});
    for (int i = 1; i <= 5; ++i) {
        t->append();
        t->setNumber(0, i);
    }
    t->goTo(2);
    t->deleteRecord();
    t->goTo(4);
    t->deleteRecord();
    t->goTop();
    EXPECT_EQ(t->recNo(), 1u);
    EXPECT_FALSE(t->bof());
    t->skip(-1);
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recNo(), 1u);
    t->goBottom();
    t->skip(1);
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recNo(), 6u);
    EXPECT_EQ(t->raw(0), "   "); // fields read blank at end of file
    t->skip(-1);
    EXPECT_EQ(t->recNo(), 5u);

    settings().hideDeleted = true;
    std::vector<std::uint32_t> seen;
    for (t->goTop(); !t->eof(); t->skip())
        seen.push_back(t->recNo());
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{1, 3, 5}));
    EXPECT_EQ(t->count(), 3u);
    t->goTo(5);
    t->skip(-2);
    EXPECT_EQ(t->recNo(), 1u);
    t->goTo(4); // an explicit goto still reaches a deleted record
    EXPECT_TRUE(t->deleted());
    t->recall();
    settings().hideDeleted = false;
    EXPECT_EQ(t->count(), 5u);

    t->setFilter("V >= 3");
    seen.clear();
    for (t->goBottom(); !t->bof(); t->skip(-1))
        seen.push_back(t->recNo());
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{5, 4, 3}));
    EXPECT_THROW(t->setFilter("V + 1"), DbfError);
    t->setFilter("");
    t->goTop();
    EXPECT_EQ(t->locate("V = 4", false), 4u);
    EXPECT_EQ(t->locate("", true), 0u);
    EXPECT_TRUE(t->eof());
    // A new condition starts at the current record, not at the top.
    t->goTo(4);
    EXPECT_EQ(t->locate("V <= 4", false), 4u);
    t->goTo(5);
    EXPECT_EQ(t->locate("V <= 4", false), 0u);
    t->goBottom();
    EXPECT_EQ(t->locate("V < 3", false, true), 2u); // backward from the bottom
    EXPECT_EQ(t->locate("", true, true), 1u);
    EXPECT_EQ(t->locate("", true, true), 0u);
    EXPECT_TRUE(t->bof());
}

TEST(DbfTable, PackAndZapReplaceTheFileAndKeepItOpenable) {
    dbftest::TempDir dir;
    const auto path = dir / "pack.dbf";
    auto t = Table::create(path, {{"V", 'N', 3, 0}, {"NOTE", 'M'}});
    for (int i = 1; i <= 6; ++i) {
        t->append();
        t->setNumber(0, i);
        t->setMemo(1, "memo " + std::to_string(i));
        if (i % 2 == 0) t->deleteRecord();
    }
    t->pack();
    EXPECT_EQ(t->recordCount(), 3u);
    std::vector<std::string> memos;
    for (t->goTop(); !t->eof(); t->skip())
        memos.push_back(t->getMemo(1));
    EXPECT_EQ(memos, (std::vector<std::string>{"memo 1", "memo 3", "memo 5"}));
    const std::string bytes = readAll(path);
    EXPECT_EQ(headerCount(bytes), 3u);
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(t->headerSize() + 3 * t->recordSize() + 1));
    // No temporary files are left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    t->zap();
    EXPECT_EQ(t->recordCount(), 0u);
    EXPECT_TRUE(t->eof());
    t->append();
    t->setMemo(1, "after zap");
    t->close();
    auto again = Table::open(path);
    again->goTop();
    EXPECT_EQ(again->getMemo(1), "after zap");
    EXPECT_EQ(again->recordCount(), 1u);
}

TEST(DbfTable, DamagedHeadersAreRejectedAndShortFilesTruncateTheCount) {
    dbftest::TempDir dir;
    dbftest::writeAll(dir / "short.dbf", "\x03\x01\x02");
    EXPECT_THROW(Table::open(dir / "short.dbf"), DbfError);
    EXPECT_THROW(Table::open(dir / "missing.dbf"), DbfError);

    const auto path = dir / "cut.dbf";
    {
        auto t = Table::create(path, {{"A", 'C', 10}});
        for (int i = 0; i < 4; ++i)
            t->append();
    }
    std::string bytes = readAll(path);
    bytes.resize(bytes.size() - 6); // lose the end marker and part of the last record
    dbftest::writeAll(path, bytes);
    auto t = Table::open(path, {.readOnly = true});
    EXPECT_EQ(t->recordCount(), 3u);

    std::string noFields = bytes.substr(0, 32) + "\x0D";
    noFields[8] = 33;
    dbftest::writeAll(dir / "nofields.dbf", noFields);
    EXPECT_THROW(Table::open(dir / "nofields.dbf"), DbfError);
    std::string tooNarrow = bytes;
    tooNarrow[10] = 5; // record shorter than its fields
    dbftest::writeAll(dir / "narrow.dbf", tooNarrow);
    EXPECT_THROW(Table::open(dir / "narrow.dbf"), DbfError);
}

TEST(DbfTable, VisualFoxProTypesAndBinaryMemoPointers) {
    dbftest::TempDir dir;
    const auto path = dir / "vfp.dbf";
    {
        auto t = Table::create(
            path, {{"ID", 'I'}, {"PRICE", 'Y'}, {"RATE", 'B', 8, 3}, {"WHEN", 'T'}, {"NOTE", 'M'}},
            {.flavor = TableFlavor::VisualFoxPro});
        EXPECT_EQ(t->version(), 0x30);
        EXPECT_EQ(t->headerSize(), 32 + 5 * 32 + 1 + 263);
        t->append();
        t->setNumber(0, -42);
        t->setNumber(1, 12.3456);
        t->setNumber(2, 0.125);
        t->setDate(3, julianFromYmd(2001, 9, 9));
        t->setMemo(4, "binary pointer");
    }
    auto t = Table::open(path);
    t->goTop();
    EXPECT_EQ(t->getNumber(0), -42);
    EXPECT_DOUBLE_EQ(t->getNumber(1), 12.3456);
    EXPECT_DOUBLE_EQ(t->getNumber(2), 0.125);
    EXPECT_EQ(t->getDate(3), julianFromYmd(2001, 9, 9));
    EXPECT_EQ(t->field(4).width, 4);
    EXPECT_EQ(t->getMemo(4), "binary pointer");
    EXPECT_THROW(Table::create(dir / "bad.dbf", {{"ID", 'I'}}), DbfError); // needs the 0x30 format
    EXPECT_THROW(Table::create(dir / "bad.dbf", {{"X", 'C', 300}}), DbfError);
    EXPECT_THROW(Table::create(dir / "bad.dbf", {{"X", 'C', 5}, {"x", 'N', 3}}), DbfError);
}

TEST(DbfTable, TheDefaultAliasOfACzechFileNameIsWindows1250UpperCase) {
    dbftest::TempDir dir;
    const auto path = dir / "faktury_\xc4\x8d\xc3\xad.dbf"; // "faktury_čí" in UTF-8
    Table::create(path, {{"A", 'C', 4}})->close();
    WorkAreas areas;
    areas.use(path);
    EXPECT_EQ(areas.table()->alias(), vorlan::czech("FAKTURY_ČÍ"));
    EXPECT_EQ(areas.areaOf(vorlan::czech("faktury_čí")), 1);
}
