#include "table_fixture.h"

#include "data/dbf_env.h"
#include "tables/engine_registry.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::data;

namespace {

// An engine for tables whose path ends in `suffix`; it refuses every opening and remembers what
// it was asked.
class RefusingEngine : public tables::TableEngine {
public:
    explicit RefusingEngine(std::string suffix) : suffix_(std::move(suffix)) {}
    std::string name() const override { return "refusing" + suffix_; }
    bool handles(const std::filesystem::path& path) const override {
        return path.extension() == suffix_;
    }
    std::unique_ptr<tables::EngineTable> open(const std::filesystem::path& path,
                                              const tables::OpenOptions&) override {
        throw tables::EngineError("refused " + path.filename().string());
    }
    void create(const std::filesystem::path& path, const std::vector<tables::FieldSpec>& fields,
                tables::Flavor flavor) override {
        created = path;
        createdFields = fields;
        createdFlavor = flavor;
    }
    void createStructureTable(const std::filesystem::path&, tables::Flavor) override {}
    void createFromStructure(const std::filesystem::path&, const std::filesystem::path&,
                             tables::Flavor) override {}
    void applySettings(const tables::EngineSettings& s) override { settings = s; }

    std::filesystem::path created;
    std::vector<tables::FieldSpec> createdFields;
    tables::Flavor createdFlavor = tables::Flavor::FoxPro;
    tables::EngineSettings settings;

private:
    std::string suffix_;
};

class EngineRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine(); // the DBF engine is the fallback from the first use of the engine on
        tables::registerEngine(refusing);
    }
    void TearDown() override {
        tables::unregisterEngine(*refusing);
        tables::unregisterEngine(*later);
    }

    dbftest::TempDir dir;
    datatest::EngineGuard guard;
    std::shared_ptr<RefusingEngine> refusing = std::make_shared<RefusingEngine>(".PGT");
    std::shared_ptr<RefusingEngine> later = std::make_shared<RefusingEngine>(".PGT");
};

} // namespace

TEST_F(EngineRegistryTest, ThePathPicksTheEngineAndTheLastRegisteredWins) {
    EXPECT_EQ(&tables::engineFor("T.PGT"), refusing.get());
    EXPECT_EQ(tables::engineFor("T.DBF").name(), "dbf");
    EXPECT_EQ(tables::engineFor("T").name(), "dbf");
    tables::registerEngine(later);
    EXPECT_EQ(&tables::engineFor("T.PGT"), later.get());
    tables::unregisterEngine(*later);
    EXPECT_EQ(&tables::engineFor("T.PGT"), refusing.get());
}

TEST_F(EngineRegistryTest, TablesAreOpenedAndCreatedByTheirEngine) {
    std::ofstream(dir / "ORDERS.PGT") << "";
    TableDataSet ds;
    ds.setDatabaseName(dir.path().string());
    ds.setTableName("ORDERS.PGT");
    try {
        ds.open();
        FAIL() << "the refusing engine opened a table";
    } catch (const DataSetError& e) {
        EXPECT_NE(std::string(e.what()).find("refused ORDERS.PGT"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(ds.active());

    const int area = engine().createNew(dir / "NEW.PGT", kScratchAlias, 3, 1);
    ASSERT_GT(area, 0);
    const int previous = engine().select(area);
    EXPECT_TRUE(engine().createField("CODE", 'c', 6, 0));
    EXPECT_TRUE(engine().createExec());
    engine().select(previous);
    EXPECT_EQ(refusing->created, dir / "NEW.PGT");
    ASSERT_EQ(refusing->createdFields.size(), 1u);
    EXPECT_EQ(refusing->createdFields[0].type, 'C');
    EXPECT_EQ(refusing->createdFlavor, tables::Flavor::VisualFoxPro);
}

TEST_F(EngineRegistryTest, EverySettingReachesEveryEngine) {
    auto env = TDbfEnv::acquire();
    env->setSoftSeek(true);
    env->setDateFormat(TDbfDateFormat::dfGerman);
    EXPECT_TRUE(refusing->settings.softSeek);
    EXPECT_EQ(refusing->settings.dateFormat, 4);
    EXPECT_TRUE(dbf::settings().softSeek);
    EXPECT_EQ(dbf::settings().dateFormat, dbf::DateFormat::German);
    // An engine registered afterwards starts from the settings in force.
    tables::registerEngine(later);
    EXPECT_TRUE(later->settings.softSeek);
}
