// Reading and playing a 1 MB Windows metafile: a drawing of many polylines, polygons, shapes
// and texts with pens, brushes and fonts created, selected and deleted in between, onto a
// painter that only counts. What it measures is the record walk and the playback, which the
// preview repeats every time a page with the picture is drawn.
#include "report/paint/metafile.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

using namespace vorlan::report;

namespace {

void put16(std::string& s, int v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void record(std::string& s, std::uint16_t function, std::initializer_list<int> words,
            const std::string& bytes = {}) {
    std::string params;
    for (int w : words)
        put16(params, w);
    params += bytes;
    if (params.size() % 2) params.push_back('\0');
    const std::uint32_t size = static_cast<std::uint32_t>(3 + params.size() / 2);
    put16(s, static_cast<int>(size & 0xFFFF));
    put16(s, static_cast<int>(size >> 16));
    put16(s, function);
    s += params;
}

std::string oneMegabyte() {
    std::string body;
    int i = 0;
    while (body.size() < (1u << 20)) {
        const int x = (i * 37) % 9000, y = (i * 53) % 6000;
        record(body, kWmfCreatePenIndirect, {i % 5, i % 4, 0, i & 0xFFFF, 0});
        record(body, kWmfSelectObject, {0});
        std::string points;
        for (int p = 0; p < 40; ++p) {
            put16(points, x + p * 20);
            put16(points, y + (p % 7) * 15);
        }
        record(body, kWmfPolyline, {40}, points);
        record(body, kWmfCreateBrushIndirect, {0, (i * 7) & 0xFFFF, 0, 0});
        record(body, kWmfSelectObject, {1});
        record(body, kWmfPolygon, {40}, points);
        record(body, kWmfRectangle, {y + 200, x + 300, y, x});
        record(body, kWmfEllipse, {y + 100, x + 100, y, x});
        std::string text = "Dodaci list!";
        put16(text, y);
        put16(text, x);
        record(body, kWmfTextOut, {12}, text);
        record(body, kWmfDeleteObject, {0});
        record(body, kWmfDeleteObject, {1});
        ++i;
    }
    record(body, 0, {});
    std::string file;
    for (int v : {1, 9, 0x0300})
        put16(file, v);
    const std::uint32_t words = static_cast<std::uint32_t>((18 + body.size()) / 2);
    put16(file, static_cast<int>(words & 0xFFFF));
    put16(file, static_cast<int>(words >> 16));
    for (int v : {2, 0, 0, 0})
        put16(file, v);
    return file + body;
}

class CountingPainter : public Painter {
public:
    void setPen(const PaintPen&) override { ++calls; }
    void setBrush(const PaintBrush&) override { ++calls; }
    void setFont(const PaintFont&) override { ++calls; }
    double textWidth(std::string_view text, double) override { return text.size() * 6.0; }
    double lineHeight() override { return 14; }
    double ascent() override { return 11; }
    void drawText(double, double, std::string_view, double) override { ++calls; }
    void drawLine(int, int, int, int) override { ++calls; }
    void drawRectangle(const DeviceRect&) override { ++calls; }
    void drawRoundRectangle(const DeviceRect&, int, int) override { ++calls; }
    void drawEllipse(const DeviceRect&) override { ++calls; }
    void drawPolyline(const std::vector<DevicePoint>&) override { ++calls; }
    void drawPolygon(const std::vector<DevicePoint>&) override { ++calls; }
    std::optional<PictureSize> pictureSize(std::string_view) override { return std::nullopt; }
    void drawPicture(std::string_view, const DeviceRect&) override { ++calls; }
    void setClip(const DeviceRect&) override {}
    void clearClip() override {}
    std::size_t calls = 0;
};

void BM_ReadAndDrawOneMegabyteMetafile(benchmark::State& state) {
    const std::string data = oneMegabyte();
    for (auto _ : state) {
        CountingPainter painter;
        const PictureSize size = metafileSize(data);
        drawMetafile(painter, data, {0, 0, size.width / 2, size.height / 2});
        benchmark::DoNotOptimize(painter.calls);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_ReadAndDrawOneMegabyteMetafile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
