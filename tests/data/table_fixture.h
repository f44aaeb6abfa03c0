#pragma once
// A small customer table in a fresh folder, and guards that put the process-wide engine state
// back the way a test found it.

#include "data/engine.h"
#include "data/table_data_set.h"
#include "dbf/settings.h"
#include "dbf/table.h"
#include "dbf/temp_dir.h"
#include "dbf/xbase_text.h"
#include "tables/engine_registry.h"

#include <gtest/gtest.h>

namespace datatest {

using namespace vorlan;

// Rows: (NAME, AMOUNT, QTY, PAID, DUE yyyy-mm-dd, NOTE).
struct Row {
    const char* name;
    double amount;
    int qty;
    bool paid;
    int y, m, d;
    const char* note;
};

inline const std::vector<Row>& sampleRows() {
    static const std::vector<Row> rows = {
        {"Novak", 120.5, 3, true, 2024, 1, 15, "first"},
        {"Adam", 99.0, 1, false, 2023, 12, 31, ""},
        {"Cerny", 1500.25, 12, true, 2025, 6, 1, "line one\r\nline two"},
        {"Bily", 0.75, 7, false, 2022, 2, 28, "x"},
    };
    return rows;
}

inline void makeCustomers(const std::filesystem::path& path) {
    auto t = dbf::Table::create(path, {{"NAME", 'C', 10},
                                       {"AMOUNT", 'N', 10, 2},
                                       {"QTY", 'N', 5, 0},
                                       {"PAID", 'L'},
                                       {"DUE", 'D'},
                                       {"NOTE", 'M'},
                                       {"EMPTYNUM", 'N', 6, 0}});
    for (const Row& r : sampleRows()) {
        t->append();
        t->setString(0, r.name);
        t->setNumber(1, r.amount);
        t->setNumber(2, r.qty);
        t->setLogical(3, r.paid);
        t->setDate(4, dbf::julianFromYmd(r.y, r.m, r.d));
        if (*r.note) t->setMemo(5, r.note);
    }
    t->close();
}

// Restores the engine settings and closes every work area when the test ends.
class EngineGuard {
public:
    EngineGuard()
        : settings_(dbf::settings()), shared_(tables::settings()), area_(data::engine().current()) {
    }
    ~EngineGuard() {
        data::engine().closeAll();
        data::engine().select(area_);
        tables::applySettings(shared_);
        dbf::settings() = settings_;
    }

private:
    dbf::Settings settings_;
    tables::EngineSettings shared_;
    int area_;
};

class CustomerTable : public ::testing::Test {
protected:
    void SetUp() override {
        dbf::settings().lockTimeoutMs = 0;
        makeCustomers(dir / "CUSTOMER.DBF");
    }
    // A data set on the customer table (not yet open).
    void configure(data::TableDataSet& ds) const {
        ds.setDatabaseName(dir.path().string());
        ds.setTableName("customer");
    }

    dbftest::TempDir dir;
    EngineGuard guard;
};

// Counts what a data link is told.
class RecordingLink : public data::DataLink {
public:
    void activeChanged(bool active) override { events.push_back(active ? "open" : "close"); }
    void dataSetChanged() override { ++changes; }
    void recordChanged(const data::Field*) override { ++fieldChanges; }
    void stateChanged(data::DataSetState) override { ++stateChanges; }
    void updateData() override { ++updates; }
    std::vector<std::string> events;
    int changes = 0;
    int fieldChanges = 0;
    int stateChanges = 0;
    int updates = 0;
};

} // namespace datatest
