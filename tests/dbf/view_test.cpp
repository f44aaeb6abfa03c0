// A reversed controlling order and query marks change which records a walk visits, and in what
// order, without touching the files.
#include "dbf/settings.h"
#include "dbf/table.h"
#include "engine_inspection.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace vorlan::dbf;
using dbftest::walk;

namespace {

using Recs = std::vector<std::uint32_t>;

Recs walkBack(Table& t) {
    Recs out;
    for (t.goBottom(); !t.bof(); t.skip(-1))
        out.push_back(t.recNo());
    return out;
}

// Repeated names, so that ties (broken by record number) are part of every walk.
std::unique_ptr<Table> namesTable(const dbftest::TempDir& dir) {
    auto t = Table::create(dir / "names.dbf", {{"NAME", 'C', 8}, {"N", 'N', 4}});
    int i = 0;
    for (const char* n : {"DANA", "ANNA", "BORIS", "ANNA", "CYRIL", "BORIS", "EMIL"}) {
        t->append();
        t->setString(0, n);
        t->setNumber(1, ++i);
    }
    t->flush();
    return t;
}

struct SettingsGuard {
    Settings saved = settings();
    ~SettingsGuard() { settings() = saved; }
};

} // namespace

TEST(DbfView, AFlippedOrderWalksExactlyBackwards) {
    dbftest::TempDir dir;
    SettingsGuard guard;
    auto t = namesTable(dir);
    EXPECT_FALSE(t->flipOrder()); // natural order has no direction
    t->createIndex(dir / "name.ntx", "NAME");
    ASSERT_TRUE(t->flipOrder());
    EXPECT_EQ(walk(*t), (Recs{7, 1, 5, 6, 3, 4, 2}));
    EXPECT_EQ(walkBack(*t), (Recs{2, 4, 3, 6, 5, 1, 7}));
    t->goTop();
    EXPECT_EQ(t->keyPosition(), 1u);
    t->skip(-1);
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recNo(), 7u);
    t->goBottom();
    t->skip(1);
    t->skip(-1); // back from end of file: the last record
    EXPECT_EQ(t->recNo(), 2u);
    EXPECT_EQ(t->keyPosition(), 7u);

    // Hidden records are passed in walking order; appended keys take their place.
    settings().hideDeleted = true;
    t->goTo(7);
    t->deleteRecord();
    t->setFilter("N <> 6");
    EXPECT_EQ(walkBack(*t), (Recs{2, 4, 3, 5, 1}));
    t->append();
    t->setString(0, "BARA");
    t->setNumber(1, 8);
    t->flush();
    EXPECT_EQ(walk(*t), (Recs{1, 5, 3, 8, 4, 2}));
}

TEST(DbfView, AFlippedOrderSeeksInWalkingOrderAndStaysOutOfTheFile) {
    dbftest::TempDir dir;
    auto t = namesTable(dir);
    t->createIndex(dir / "desc.ntx", "NAME", {.descending = true});
    t->createIndex(dir / "name.ntx", "NAME");
    t->flipOrder();

    // The first match walking backwards is the last one in the file's order.
    EXPECT_TRUE(t->seek("BORIS", false));
    EXPECT_EQ(t->recNo(), 6u);
    t->skip(2);
    EXPECT_EQ(t->recNo(), 4u);
    // A soft seek stops on the next key in walking order: the one below.
    EXPECT_FALSE(t->seek("BZ", true));
    EXPECT_EQ(t->recNo(), 6u);
    EXPECT_FALSE(t->seek("AA", true));
    EXPECT_TRUE(t->eof());

    // A scope keeps its key range; the flip turns its walk round.
    t->setScope("B", "C");
    EXPECT_EQ(t->recNo(), 5u);
    EXPECT_EQ(walk(*t), (Recs{5, 6, 3}));
    t->setScope("", "");

    // The flip stays with its order, keeps the current record, and a second one undoes it.
    t->setOrder(1);
    EXPECT_FALSE(t->orderReversed());
    const Recs descending = walk(*t);
    t->flipOrder(); // a descending order flipped walks ascending
    EXPECT_EQ(walk(*t), (Recs{4, 2, 6, 3, 5, 1, 7}));
    t->setOrder(2);
    EXPECT_TRUE(t->orderReversed());
    t->goTo(3);
    t->flipOrder();
    t->skip();
    EXPECT_EQ(t->recNo(), 6u);

    t->setOrder(1);
    t->close();
    auto again = Table::open(dir / "names.dbf");
    again->openIndex(dir / "desc.ntx");
    EXPECT_EQ(walk(*again), descending);
}

TEST(DbfView, QueryMarksOverrideTheFilterForSingleRecords) {
    dbftest::TempDir dir;
    SettingsGuard guard;
    auto t = namesTable(dir);
    EXPECT_FALSE(t->markRecord(2, false)); // nothing to mark without a filter
    EXPECT_TRUE(t->passesQuery(2));

    t->setFilter("N > 3"); // records 4..7
    EXPECT_TRUE(t->markRecord(5, false));
    EXPECT_TRUE(t->markRecord(2, true));
    EXPECT_FALSE(t->markRecord(8, true));
    EXPECT_EQ(walk(*t), (Recs{2, 4, 6, 7}));
    EXPECT_EQ(walkBack(*t), (Recs{7, 6, 4, 2}));
    EXPECT_EQ(t->count(), 4u);
    EXPECT_FALSE(t->passesQuery(5));
    EXPECT_TRUE(t->passesQuery(6));
    EXPECT_FALSE(t->passesQuery(3));

    t->createIndex(dir / "name.ntx", "NAME");
    EXPECT_FALSE(t->seek("CYRIL", false)); // record 5, hidden
    EXPECT_EQ(t->locate("NAME = 'C'", false), 0u);

    // A mark stands in for the filter only: a hidden deleted record stays hidden.
    settings().hideDeleted = true;
    t->goTo(2);
    t->deleteRecord();
    EXPECT_EQ(t->count(), 3u);
    settings().hideDeleted = false;

    // Packing renumbers the records, so the marks go; so does a new filter.
    t->pack(); // record 5 (marked hidden) is now record 4
    EXPECT_TRUE(t->passesQuery(4));
    t->markRecord(1, true);
    t->setFilter("N > 3");
    EXPECT_FALSE(t->passesQuery(1));
}
