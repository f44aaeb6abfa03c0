// The report designer on a template of 500 elements (100 in each of the five sections): the time
// from reading the template to the sheet painted, and one mouse move of an element dragged
// across the sheet with the repaint of what it changed (the element's old and new place; the
// counter tells how many elements each repaint drew, of the 500).

#include "report/design/designer_settings.h"
#include "report/model.h"
#include "ui/qt/designer/designer_document.h"
#include "ui/qt/designer/designer_sheet.h"
#include "ui/qt/designer/designer_window.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace vorlan;

fs::path writeLargeTemplate() {
    const fs::path dir =
        fs::temp_directory_path() / ("vorlan_designer_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream out(dir / "LARGE.PTS", std::ios::binary);
    out << "I,0,\"Velka predloha\"\r\nI,1,4,0,0\r\nI,2,0,826,1169,50,50,70,70,1,0,0\r\n";
    const char letters[] = "ZHTKP";
    for (int s = 0; s < 5; ++s)
        out << "I,3," << s << ",1,420," << (s < 4 ? ",0" : "") << "\r\n";
    for (int s = 0; s < 5; ++s)
        for (int i = 0; i < 100; ++i) {
            const int left = (i % 5) * 145;
            const int top = (i / 5) * 20;
            if (i % 10 == 9)
                out << letters[s] << ",8,8," << left << ',' << top << ",140,18,,1,0,0,15,15,1\r\n";
            else
                out << letters[s] << ',' << (i % 2 ? 2 : 1) << ',' << (i % 4) << ',' << left << ','
                    << top << ",140,18,Arial CE,10,0,0,0," << (i % 3 ? 0 : 15) << ",238,\"Text "
                    << i << "\",0\r\n";
        }
    return dir;
}

struct Template {
    fs::path dir = writeLargeTemplate();
    ~Template() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void load(report::TSestava& report) const {
        report.reportDirIgnore = false;
        report.setReportDir(dir.string() + "/");
        report.setReportName("LARGE.PTS");
        if (!report.loadTemplate()) std::abort();
    }
};

void BM_OpenLargeTemplate(benchmark::State& state) {
    const Template file;
    for (auto _ : state) {
        report::TSestava report;
        file.load(report);
        qt::DesignerWindow window(report, report::DesignerSettings{});
        window.resize(1200, 900);
        window.show();
        for (int i = 0; i < 100 && window.sheet()->paintCount() == 0; ++i)
            QApplication::processEvents();
        state.counters["painted"] = window.sheet()->elementsDrawnLastPaint();
    }
}
BENCHMARK(BM_OpenLargeTemplate)->Unit(benchmark::kMillisecond);

void send(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), to->mapToGlobal(QPointF(at)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(to, &event);
}

void BM_DragElementAcrossTheSheet(benchmark::State& state) {
    const Template file;
    report::TSestava report;
    file.load(report);
    report::DesignerSettings settings;
    settings.snapToRaster = false; // every move moves
    qt::DesignerWindow window(report, settings);
    window.resize(1200, 900);
    window.show();
    QApplication::processEvents();
    qt::DesignerSheet* sheet = window.sheet();
    const report::TPrvekSestavy* dragged = report.section(report::kSectionStart)->elements[0].get();
    const QPoint start = sheet->elementRect(dragged).center();
    send(sheet, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int step = 0;
    long long drawn = 0;
    int paints = 0;
    for (auto _ : state) {
        // Back and forth across the sheet's width, a few pixels a move.
        step = (step + 1) % 400;
        const int x = step < 200 ? step * 3 : (400 - step) * 3;
        const QRect old = sheet->elementRect(dragged);
        send(sheet, QEvent::MouseMove, start + QPoint(x + 5, step % 7), Qt::NoButton,
             Qt::LeftButton);
        // The window system paints the region the move invalidated at its next frame; here it
        // is painted at once: the element's old and new place with its handles.
        const int before = sheet->paintCount();
        sheet->repaint(old.united(sheet->elementRect(dragged)).adjusted(-7, -7, 7, 7));
        if (sheet->paintCount() > before) {
            ++paints;
            drawn += sheet->elementsDrawnLastPaint();
        }
    }
    send(sheet, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    state.counters["paints"] = paints;
    state.counters["elements_per_paint"] = paints ? static_cast<double>(drawn) / paints : 0;
}
BENCHMARK(BM_DragElementAcrossTheSheet)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
