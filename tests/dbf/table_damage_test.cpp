// Tables whose header does not add up: refused when their records cannot be read through it,
// opened read-only with a warning when they can; never written, never a source of index keys.
// Sound files in the variants other programs write keep opening.
#include "core/cp1250.h"
#include "dbf/table.h"
#include "dbf/warnings.h"
#include "engine_inspection.h"
#include "temp_dir.h"

#include <functional>
#include <gtest/gtest.h>

using namespace vorlan::dbf;
using dbftest::readAll;
using dbftest::Warnings;
using dbftest::writeAll;

namespace {

// A table of `records` numbered names with a structural tag; answers its bytes.
std::string makeTable(const std::filesystem::path& path, int records,
                      TableFlavor flavor = TableFlavor::FoxPro) {
    {
        auto t = Table::create(path, {{"NAME", 'C', 10}, {"NUM", 'N', 5}}, {.flavor = flavor});
        for (int r = 1; r <= records; ++r) {
            t->append();
            t->setString(0, "N" + std::to_string(r));
            t->setNumber(1, r);
        }
        t->createTag("NAME", "NAME");
    }
    return readAll(path);
}

void putLe16At(std::string& bytes, std::size_t at, unsigned v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

} // namespace

TEST(DbfTableDamage, HeadersThatDoNotAddUpAreRefusedAndNothingIsWritten) {
    struct Case {
        const char* what;
        int records;
        std::function<void(std::string&)> damage;
    };
    const std::vector<Case> cases{
        {"header length 0xFFFF", 20, [](std::string& b) { putLe16At(b, 8, 0xFFFF); }},
        // In a file longer than the stated header the length alone does not give it away.
        {"header length 0xFFFF, large file", 5000, [](std::string& b) { putLe16At(b, 8, 0xFFFF); }},
        {"header length into the records", 20,
         [](std::string& b) { putLe16At(b, 8, 32 + 64 + 1 + 400); }},
        {"record length 0xFFFF", 20, [](std::string& b) { putLe16At(b, 10, 0xFFFF); }},
        {"record length longer than the fields", 20, [](std::string& b) { putLe16At(b, 10, 17); }},
        {"unknown field type", 20, [](std::string& b) { b[32 + 32 + 11] = 'Z'; }},
        {"integer field of the wrong width", 20,
         [](std::string& b) {
             b[32 + 32 + 11] = 'I';
             b[32 + 32 + 16] = 2;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dbftest::TempDir dir;
        std::string bytes = makeTable(dir / "T.DBF", c.records);
        c.damage(bytes);
        writeAll(dir / "T.DBF", bytes);
        const std::string cdx = readAll(dir / "T.CDX");
        try {
            Table::open(dir / "T.DBF");
            ADD_FAILURE() << "opened";
        } catch (const DbfError& e) {
            EXPECT_NE(std::string(e.what()).find(vorlan::czech("poškozená")), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(readAll(dir / "T.DBF"), bytes);
        EXPECT_EQ(readAll(dir / "T.CDX"), cdx);
    }
}

TEST(DbfTableDamage, ATableCutShortShowsItsWholeRecordsReadOnly) {
    for (const bool askedReadOnly : {false, true}) {
        SCOPED_TRACE(askedReadOnly ? "read-only open" : "writable open");
        dbftest::TempDir dir;
        std::string bytes = makeTable(dir / "T.DBF", 10);
        bytes.resize(bytes.size() - 20); // the end mark, the last record and part of another
        writeAll(dir / "T.DBF", bytes);
        const std::string cdx = readAll(dir / "T.CDX");
        Warnings w;
        {
            auto t = Table::open(dir / "T.DBF", {.readOnly = askedReadOnly, .exclusive = true});
            EXPECT_TRUE(t->readOnly());
            EXPECT_EQ(t->recordCount(), 8u);
            ASSERT_FALSE(w.texts.empty());
            EXPECT_NE(w.texts.front().find(vorlan::czech("jen pro čtení")), std::string::npos);
            // The tag counts records the file no longer has: it is not used, and not rebuilt.
            EXPECT_EQ(t->indexCount(), 0);
            t->goBottom();
            EXPECT_EQ(t->recNo(), 8u);
            EXPECT_EQ(t->getNumber(1), 8);
            EXPECT_THROW(t->setString(0, "X"), DbfError);
            EXPECT_THROW(t->append(), DbfError);
            EXPECT_THROW(t->pack(), DbfError);
            EXPECT_THROW(t->createIndex(dir / "NUM.NTX", "NUM"), DbfError);
            EXPECT_THROW(t->createTag("NUM", "NUM"), DbfError);
            EXPECT_THROW(t->reindex(), DbfError);
        }
        EXPECT_EQ(readAll(dir / "T.DBF"), bytes);
        EXPECT_EQ(readAll(dir / "T.CDX"), cdx);
        EXPECT_FALSE(std::filesystem::exists(dir / "NUM.NTX"));
    }
}

TEST(DbfTableDamage, SoundVariantsOfTheHeaderAndTheEndStillOpen) {
    struct Case {
        const char* what;
        TableFlavor flavor;
        std::function<void(std::string&)> change;
    };
    const std::vector<Case> cases{
        {"0x30 family with its backlink", TableFlavor::VisualFoxPro, [](std::string&) {}},
        {"no end mark", TableFlavor::FoxPro, [](std::string& b) { b.pop_back(); }},
        {"a byte after the terminator", TableFlavor::DBase3,
         [](std::string& b) {
             const unsigned header = 32 + 64 + 1;
             b.insert(header, 1, '\0');
             putLe16At(b, 8, header + 1);
         }},
        // Far more padding than usual, but the file's size agrees with it exactly.
        {"a long reserved area", TableFlavor::DBase3,
         [](std::string& b) {
             const unsigned header = 32 + 64 + 1;
             b.insert(header, 1000, '\0');
             putLe16At(b, 8, header + 1000);
         }},
        {"more data than records counted", TableFlavor::FoxPro,
         [](std::string& b) { b.insert(b.size() - 1, std::string(16, ' ')); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dbftest::TempDir dir;
        std::string bytes = makeTable(dir / "T.DBF", 3, c.flavor);
        c.change(bytes);
        writeAll(dir / "T.DBF", bytes);
        Warnings w;
        auto t = Table::open(dir / "T.DBF");
        EXPECT_TRUE(w.texts.empty());
        EXPECT_FALSE(t->readOnly());
        EXPECT_EQ(t->recordCount(), 3u);
        t->goBottom();
        EXPECT_EQ(t->getString(0), "N3        ");
        t->append();
        t->setNumber(1, 4);
        t->close();
        EXPECT_EQ(Table::open(dir / "T.DBF")->recordCount(), 4u);
    }
}
