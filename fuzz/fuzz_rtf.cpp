// Any text read as an RTF memo gives a document and a status, never a crash or a hang; the
// document lays out and draws in a rectangle of any width, and prints in character mode.
#include "report/charmode/character_placement.h"
#include "report/rtf/rich_text_layout.h"
#include "report/rtf/rtf_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vorlan::report;

namespace {

// Characters are half as wide as the font is high.
class FuzzPainter : public Painter {
public:
    void setPen(const PaintPen&) override {}
    void setBrush(const PaintBrush&) override {}
    void setFont(const PaintFont& f) override { height_ = f.pixelHeight; }
    double textWidth(std::string_view text, double) override {
        return static_cast<double>(text.size()) * height_ / 2;
    }
    double lineHeight() override { return height_ * 1.2; }
    double ascent() override { return height_; }
    void drawText(double, double, std::string_view text, double) override {
        if (text.empty()) std::abort(); // the layout never draws empty pieces
        ++drawn;
    }
    void drawLine(int, int, int, int) override {}
    void drawRectangle(const DeviceRect&) override {}
    void drawRoundRectangle(const DeviceRect&, int, int) override {}
    void drawEllipse(const DeviceRect&) override {}
    std::optional<PictureSize> pictureSize(std::string_view) override { return std::nullopt; }
    void drawPicture(std::string_view, const DeviceRect&) override {}
    void setClip(const DeviceRect&) override {}
    void clearClip() override {}

    std::size_t drawn = 0;

private:
    double height_ = 10;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte chooses the rectangle's width.
    const int width = data[0] * 4;
    const std::string_view source(reinterpret_cast<const char*>(data + 1), size - 1);

    const RtfReadResult result = readRtf(source);
    if (result.message().empty()) std::abort();
    if (result.status != RtfStatus::NotRtf && result.status != RtfStatus::Ok &&
        result.errorOffset > source.size())
        std::abort();
    // Every character of the text comes from at least one byte of the source.
    if (result.document.plainText().size() > 2 * source.size() + 2) std::abort();

    FuzzPainter painter;
    PaintFont base;
    base.pixelHeight = 60;
    const RichTextLayout layout = layoutRichText(painter, result.document, width, base, 6.0);
    drawRichText(painter, DeviceRect{0, 0, width, 100000}, layout);
    if (layout.height() < 0) std::abort();

    TSestava report;
    TPrvekSestavy& element = report.section(kSectionBody)->addElement(&report);
    element.kind = kKindField;
    element.font.size = 8 + data[0] % 6;
    element.alignment = static_cast<std::uint8_t>(data[0] % 3);
    TVystPrvek placed(&element, data[0] % 50, 0, width, 1100);
    placed.rtf = std::string(source);
    TZnakovePole page(1169, data[0] % 3);
    placeElement(page, placed);
    return 0;
}
