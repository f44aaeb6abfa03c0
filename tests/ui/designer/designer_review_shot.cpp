// A picture of the designer for reviewing it: opens the designer on the grouped sample template
// over its sample data at 100 %, with an element of the body selected, and saves it as a PNG.
// Run on a real (virtual) screen by scripts/screenshots.sh:
//
//   designer_review_shot TEMPLATE.PTS DATA.CSV OUT_DIR

#include "data/data_set.h"
#include "data/memory_data_set.h"
#include "report/design/designer_settings.h"
#include "report/model.h"
#include "report/run/record_source.h"
#include "ui/qt/designer/designer_document.h"
#include "ui/qt/designer/designer_window.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace fs = std::filesystem;
using namespace vorlan;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: designer_review_shot TEMPLATE.PTS DATA.CSV OUT_DIR\n";
        return 2;
    }
    QApplication app(argc, argv);
    std::ifstream in(argv[2], std::ios::binary);
    const std::string csv((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto table = data::MemoryDataSet::fromCsvText(csv);
    table->open();
    data::DataSource source(table.get());
    report::DataSetRecords records(&source);

    report::TSestava report;
    const fs::path templateFile = fs::absolute(argv[1]);
    report.reportDirIgnore = false;
    report.setReportDir(templateFile.parent_path().string() + "/");
    report.setReportName(templateFile.filename().string());
    report.setDataSource(&records);
    if (!report.loadTemplate()) {
        std::cerr << "designer_review_shot: the template could not be read\n";
        return 1;
    }
    qt::DesignerWindow window(report, report::DesignerSettings{});
    window.setZoomIndex(6);
    if (report::TOddilSestavy* body = report.section(report::kSectionBody);
        body && !body->elements.empty())
        window.document().setSelection({body->elements.front().get()});
    window.resize(1000, 740);
    window.show();
    QApplication::processEvents();
    window.document().finishChange();
    QApplication::processEvents();
    const QDir out(QString::fromLocal8Bit(argv[3]));
    if (!window.grab().save(out.filePath("designer.png"))) {
        std::cerr << "designer_review_shot: cannot write the picture\n";
        return 1;
    }
    std::cout << out.filePath("designer.png").toStdString() << '\n';
    return 0;
}
