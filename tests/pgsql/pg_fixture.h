#pragma once
// A fresh database per test on the tests' server.

#include "dbf/settings.h"
#include "pgsql/pg_server.h"
#include "pgsql/table.h"

#include <gtest/gtest.h>

#include <string>

namespace pgtest {

inline std::string testDatabaseName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("t_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name.substr(0, 60);
}

class PgTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = PgServer::get();
        if (!server) {
            if (ciRun()) FAIL() << "PostgreSQL server: " << PgServer::failure();
            GTEST_SKIP() << "PostgreSQL server: " << PgServer::failure();
        }
        url = server->freshDatabase(testDatabaseName());
        conn = vorlan::pgsql::connectionFor(url);
    }
    void TearDown() override { vorlan::dbf::settings() = saved; }

    PgServer* server = nullptr;
    std::string url;
    std::shared_ptr<vorlan::pgsql::Connection> conn;
    vorlan::dbf::Settings saved = vorlan::dbf::settings();
};

} // namespace pgtest
