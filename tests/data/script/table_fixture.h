#pragma once
// A small table in a fresh folder that is the current directory while a test runs, with the
// engine switched to the database window's settings (century, German dates).

#include "data/dbf_env.h"
#include "dbf/settings.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"
#include "tables/engine_registry.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>

namespace datatest {

class TableFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() /
               ("vorlan_datatable_" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        previousDir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        savedSettings_ = vorlan::dbf::settings();
        savedShared_ = vorlan::tables::settings();
        env_ = vorlan::data::TDbfEnv::acquire();
        env_->setDateFormat(vorlan::data::TDbfDateFormat::dfGerman);
        env_->setCentury(true);
        env_->setSoftSeek(false);
        env_->setDeleted(false);
        makeFirms();
    }
    void TearDown() override {
        std::filesystem::current_path(previousDir_);
        vorlan::tables::applySettings(savedShared_);
        vorlan::dbf::settings() = savedSettings_;
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // FIRMS.DBF: NAME C 10, AMOUNT N 8 2, FOUNDED D, ACTIVE L, NOTE M; three records.
    void makeFirms() {
        using vorlan::dbf::FieldSpec;
        auto t = vorlan::dbf::Table::create(
            dir_ / "FIRMS.DBF", {FieldSpec{"NAME", 'C', 10, 0}, FieldSpec{"AMOUNT", 'N', 8, 2},
                                 FieldSpec{"FOUNDED", 'D', 8, 0}, FieldSpec{"ACTIVE", 'L', 1, 0},
                                 FieldSpec{"NOTE", 'M', 10, 0}});
        const struct {
            const char* name;
            double amount;
            int year;
            bool active;
            const char* note;
        } rows[] = {{"Beta", 20.5, 1995, true, "first line\r\nsecond line"},
                    {"Alfa", 10, 1990, false, ""},
                    {"Gama", 30.25, 2001, true, "x"}};
        for (const auto& row : rows) {
            t->append();
            t->setString(0, row.name);
            t->setNumber(1, row.amount);
            t->setDate(2, vorlan::dbf::julianFromYmd(row.year, 3, 14));
            t->setLogical(3, row.active);
            if (*row.note) t->setMemo(4, row.note);
        }
        t->close();
    }

    std::filesystem::path dir_;
    std::filesystem::path previousDir_;
    vorlan::dbf::Settings savedSettings_;
    vorlan::tables::EngineSettings savedShared_;
    std::shared_ptr<vorlan::data::TDbfEnv> env_;
};

} // namespace datatest
