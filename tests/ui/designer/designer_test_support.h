#pragma once
// A report over the sales table with its template copied into a folder of the test's own, and
// the designer opened on it with the messages answered as the test says.

#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "data/data_set.h"
#include "data/memory_data_set.h"
#include "report/design/designer_settings.h"
#include "report/model.h"
#include "report/run/record_source.h"
#include "ui/qt/designer/designer_window.h"
#include "window_models/recording_ui.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>

namespace vorlan::qt::test {

inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DesignerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("vorlan_designer_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::filesystem::copy_file(std::filesystem::path(REPORTS_DIR) / "GROUPED.PTS",
                                   dir_ / "GROUPED.PTS");
        paper_ = report::paperSettings();
        table_ = data::MemoryDataSet::fromCsvText(
            readBytes(std::filesystem::path(REPORTS_DIR) / "SALES.CSV"));
        table_->open();
        source_ = std::make_unique<data::DataSource>(table_.get());
        records_ = std::make_unique<report::DataSetRecords>(source_.get());
        openReport(report_);
    }
    void TearDown() override {
        window_.reset();
        report::paperSettings() = paper_;
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(dir_, ec);
    }

    void openReport(report::TSestava& report, const std::string& name = "GROUPED.PTS") {
        report.reportDirIgnore = false;
        report.setReportDir(pathMapper().toProgram(dir_));
        report.setReportName(name);
        report.setDataSource(records_.get());
        ASSERT_TRUE(report.loadTemplate());
    }

    DesignerWindow& open(report::DesignerSettings settings = {}) {
        window_ = std::make_unique<DesignerWindow>(report_, settings);
        window_->setZoomIndex(6); // 100 %
        window_->show();
        QApplication::processEvents();
        return *window_;
    }

    test_support::RecordingUiScope ui_;
    std::filesystem::path dir_;
    report::PaperSettings paper_;
    std::unique_ptr<data::MemoryDataSet> table_;
    std::unique_ptr<data::DataSource> source_;
    std::unique_ptr<report::DataSetRecords> records_;
    report::TSestava report_;
    std::unique_ptr<DesignerWindow> window_;
};

} // namespace vorlan::qt::test
