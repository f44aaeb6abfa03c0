#include "table_fixture.h"

#include "data/dbf_env.h"
#include "data/engine.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::data;

namespace {

class DbfEnvTest : public ::testing::Test {
protected:
    datatest::EngineGuard guard;
    ShortDateFormat savedFormat = shortDateFormat();
    ~DbfEnvTest() override { shortDateFormat() = savedFormat; }
};

} // namespace

TEST_F(DbfEnvTest, OnePerProcess) {
    auto env = TDbfEnv::acquire();
    EXPECT_EQ(TDbfEnv::acquire(), env);
    EXPECT_EQ(TDbfEnv::instance(), env.get());
    try {
        TDbfEnv second;
        FAIL() << "a second environment was made";
    } catch (const DataSetError& e) {
        EXPECT_STREQ(e.what(), "Removing extra TDbfEnv component");
    }
    // The failed second one did not unregister the first.
    EXPECT_EQ(TDbfEnv::instance(), env.get());
    env.reset();
    EXPECT_EQ(TDbfEnv::instance(), nullptr);
}

TEST_F(DbfEnvTest, DefaultsAreOnlyStoredSettersReachTheEngine) {
    dbf::settings().softSeek = true;
    auto env = TDbfEnv::acquire();
    EXPECT_FALSE(env->softSeek());
    EXPECT_TRUE(dbf::settings().softSeek);
    EXPECT_EQ(env->dateFormat(), TDbfDateFormat::dfWinDefault);
    EXPECT_EQ(env->lockTimeout(), 1);

    env->setSoftSeek(false);
    env->setExact(true);
    env->setDeleted(true);
    env->setLockTimeout(3);
    env->setMemoBlockSize(32);
    EXPECT_FALSE(dbf::settings().softSeek);
    EXPECT_TRUE(dbf::settings().exact);
    EXPECT_TRUE(dbf::settings().hideDeleted);
    EXPECT_EQ(dbf::settings().lockTimeoutMs, 3000);
    EXPECT_EQ(dbf::settings().memoBlockSize, 32);

    EXPECT_EQ(env->errorLevel(2), 1);
    EXPECT_EQ(env->errorLevel(1), 2);
}

TEST_F(DbfEnvTest, EpochIsKeptWithinItsRange) {
    auto env = TDbfEnv::acquire();
    const std::pair<int, int> cases[] = {{50, 100}, {5000, 2999}, {0, 1900}, {1950, 1950}};
    for (const auto& [set, read] : cases) {
        env->setEpoch(set);
        EXPECT_EQ(env->epoch(), read) << set;
        EXPECT_EQ(dbf::settings().epoch, read) << set;
    }
    // Two-digit years read in the window that starts at the epoch.
    env->setDateFormat(TDbfDateFormat::dfGerman);
    env->setEpoch(1950);
    EXPECT_EQ(dbf::dateToDtos(dbf::dateFromText("01.02.49")), "20490201");
    EXPECT_EQ(dbf::dateToDtos(dbf::dateFromText("01.02.50")), "19500201");
}

TEST_F(DbfEnvTest, DateFormatAndCenturyShapeDateText) {
    auto env = TDbfEnv::acquire();
    const std::int32_t christmas = dbf::julianFromYmd(2026, 12, 24);
    env->setDateFormat(TDbfDateFormat::dfGerman);
    env->setCentury(true);
    EXPECT_EQ(shortDateFormat().format, "dd.mm.yyyy");
    EXPECT_EQ(shortDateFormat().separator, '.');
    EXPECT_EQ(dbf::dateToText(christmas), "24.12.2026");

    // A new format keeps the century on.
    env->setDateFormat(TDbfDateFormat::dfAnsi);
    EXPECT_EQ(shortDateFormat().format, "yyyy.mm.dd");
    EXPECT_EQ(dbf::dateToText(christmas), "2026.12.24");

    env->setCentury(false);
    env->setDateFormat(TDbfDateFormat::dfItalian);
    EXPECT_EQ(shortDateFormat().format, "dd-mm-yy");
    EXPECT_EQ(dbf::dateToText(christmas), "24-12-26");

    env->setDateFormat(TDbfDateFormat::dfWinDefault);
    EXPECT_EQ(engineDateFormatCode(env->dateFormat()), 99);
    EXPECT_EQ(shortDateFormat().format, "m/d/yy");
    EXPECT_EQ(dbf::dateToText(christmas), "12/24/26");
}
