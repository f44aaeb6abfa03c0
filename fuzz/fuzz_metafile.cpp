// Any bytes read as a metafile (WMF or EMF) either draw or fail with a MetafileError before the
// painter is touched; never a crash or a hang, and nothing drawn from a file that fails.
#include "report/paint/metafile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vorlan::report;

namespace {

class FuzzPainter : public Painter {
public:
    void setPen(const PaintPen& p) override {
        if (p.width < 1) std::abort();
        ++calls;
    }
    void setBrush(const PaintBrush&) override { ++calls; }
    void setFont(const PaintFont& f) override {
        if (!(f.pixelHeight >= 1)) std::abort();
        ++calls;
    }
    double textWidth(std::string_view text, double) override {
        return static_cast<double>(text.size()) * 5;
    }
    double lineHeight() override { return 12; }
    double ascent() override { return 10; }
    void drawText(double, double, std::string_view text, double) override {
        if (text.empty() || text.find('\0') != std::string_view::npos) std::abort();
        ++calls;
    }
    void drawLine(int, int, int, int) override { ++calls; }
    void drawRectangle(const DeviceRect& r) override { shape(r); }
    void drawRoundRectangle(const DeviceRect& r, int, int) override { shape(r); }
    void drawEllipse(const DeviceRect& r) override { shape(r); }
    void drawPolyline(const std::vector<DevicePoint>&) override { ++calls; }
    void drawPolygon(const std::vector<DevicePoint>&) override { ++calls; }
    std::optional<PictureSize> pictureSize(std::string_view) override { return std::nullopt; }
    void drawPicture(std::string_view data, const DeviceRect& r) override {
        if (data.substr(0, 2) != "BM") std::abort();
        shape(r);
    }
    void setClip(const DeviceRect&) override {}
    void clearClip() override {}

    std::size_t calls = 0;

private:
    void shape(const DeviceRect& r) {
        if (r.width < 0 || r.height < 0) std::abort();
        ++calls;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!isMetafile(bytes)) return 0;
    FuzzPainter painter;
    try {
        const PictureSize own = metafileSize(bytes);
        if (own.width <= 0 || own.height <= 0) std::abort();
        drawMetafile(painter, bytes, {0, 0, 2000, 1000});
    } catch (const MetafileError&) {
        if (painter.calls != 0) std::abort(); // a damaged file draws nothing
    }
    return 0;
}
