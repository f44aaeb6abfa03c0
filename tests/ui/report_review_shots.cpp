// Pictures of the report preview and the print dialog for reviewing them: lays the grouped
// sample report out over its sample data, shows the preview at 100 % and the print dialog, and
// saves each as a PNG. Run on a real (virtual) screen by scripts/screenshots.sh:
//
//   report_review_shots TEMPLATE.PTS DATA.CSV OUT_DIR

#include "core/cp1250.h"
#include "data/data_set.h"
#include "data/memory_data_set.h"
#include "report/model.h"
#include "report/run/record_source.h"
#include "report/run/report_run.h"
#include "ui/qt/report/preview_window.h"
#include "ui/qt/report/print_dialog.h"
#include "ui/qt/report/qt_text_measurer.h"

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
        std::cerr << "usage: report_review_shots TEMPLATE.PTS DATA.CSV OUT_DIR\n";
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
    report.programDir = templateFile.parent_path().string();
    report.setReportName(templateFile.filename().string());
    report.setDataSource(&records);
    qt::QtTextMeasurer measurer;
    report::RunOptions options;
    options.measurer = &measurer;
    report::TSestVystup output;
    if (report::runReport(report, output, options) != report::kSestOk) {
        std::cerr << "report_review_shots: the report could not be made\n";
        return 1;
    }

    const QDir out(QString::fromLocal8Bit(argv[3]));
    qt::PreviewWindow preview(output, report.popis);
    preview.resize(1000, 740);
    preview.show();
    QApplication::processEvents();
    const bool previewSaved = preview.grab().save(out.filePath("preview.png"));

    qt::PrintDialogTyp dialogOptions;
    dialogOptions.lastPage = output.pageCount();
    qt::SestPrintDlg dialog(dialogOptions, &report);
    dialog.show();
    QApplication::processEvents();
    const bool dialogSaved = dialog.grab().save(out.filePath("printdialog.png"));
    if (!previewSaved || !dialogSaved) {
        std::cerr << "report_review_shots: cannot write the pictures\n";
        return 1;
    }
    std::cout << out.filePath("preview.png").toStdString() << '\n'
              << out.filePath("printdialog.png").toStdString() << '\n';
    return 0;
}
