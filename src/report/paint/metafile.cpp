#include "report/paint/metafile.h"

#include "core/cp1250.h"
#include "report/paint/metafile_playback.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace vorlan::report {

namespace {

[[noreturn]] void noArea() {
    throw MetafileError(czech("Metasoubor nelze přečíst: obrázek nemá žádnou plochu."));
}

// The logical rectangle an older metafile covers: its placeable frame, else the first window
// its records set, else the extent of what it draws (one reading pass over the records).
DeviceRect wmfFrame(const WmfFile& file) {
    const WmfFrame& f = file.frame;
    if (f.unitsPerInch) return {f.left, f.top, f.right - f.left, f.bottom - f.top};
    MetaCanvas reader(nullptr, {0, 0, 1, 1}, {0, 0, 1, 1});
    playWmf(file, reader);
    if (const auto window = reader.firstWindow(); window && window->width && window->height)
        return *window;
    if (const auto extent = reader.extent(); extent && extent->width > 0 && extent->height > 0)
        return *extent;
    noArea();
}

// Whole device units from any double a damaged file can make, kept far from overflow.
int toInt(double v) {
    return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

// The reference-device rectangle an enhanced metafile covers: its frame (hundredths of a
// millimetre) in the reference device's pixels, else its bounds.
DeviceRect emfFrame(const EmfFile& file) {
    const double frameWidth = static_cast<double>(file.frameRight) - file.frameLeft;
    const double frameHeight = static_cast<double>(file.frameBottom) - file.frameTop;
    if (frameWidth > 0 && frameHeight > 0 && file.millimetresWidth > 0 &&
        file.millimetresHeight > 0 && file.deviceWidth > 0 && file.deviceHeight > 0) {
        const double px = file.deviceWidth / (file.millimetresWidth * 100.0);
        const double py = file.deviceHeight / (file.millimetresHeight * 100.0);
        const DeviceRect frame{
            toInt(std::round(file.frameLeft * px)), toInt(std::round(file.frameTop * py)),
            toInt(std::round(frameWidth * px)), toInt(std::round(frameHeight * py))};
        if (frame.width > 0 && frame.height > 0) return frame;
    }
    const double width = static_cast<double>(file.right) - file.left + 1;
    const double height = static_cast<double>(file.bottom) - file.top + 1;
    if (width > 0 && height > 0 && width < 1e9 && height < 1e9)
        return {file.left, file.top, static_cast<int>(width), static_cast<int>(height)};
    noArea();
}

std::function<void(const std::string&)>& warningSink() {
    static std::function<void(const std::string&)> sink = [](const std::string& text) {
        std::cerr << "[obrázek] " << cp1250ToUtf8(text) << '\n';
    };
    return sink;
}

} // namespace

bool isMetafile(std::string_view data) {
    return looksLikeWmf(data) || looksLikeEmf(data);
}

PictureSize metafileSize(std::string_view data) {
    if (looksLikeEmf(data)) {
        const EmfFile file = readEmf(data);
        const DeviceRect frame = emfFrame(file);
        // A hundredth of a millimetre is 96 / 2540 pixels at 96 per inch.
        const double width = (static_cast<double>(file.frameRight) - file.frameLeft) * 96 / 2540;
        const double height = (static_cast<double>(file.frameBottom) - file.frameTop) * 96 / 2540;
        if (width > 0 && height > 0)
            return {std::max(1, toInt(std::round(width))), std::max(1, toInt(std::round(height)))};
        return {frame.width, frame.height};
    }
    const WmfFile file = readWmf(data);
    const DeviceRect frame = wmfFrame(file);
    if (file.frame.unitsPerInch) {
        const double perPixel = file.frame.unitsPerInch / 96.0;
        return {std::max(1, static_cast<int>(std::lround(std::abs(frame.width) / perPixel))),
                std::max(1, static_cast<int>(std::lround(std::abs(frame.height) / perPixel)))};
    }
    return {std::abs(frame.width), std::abs(frame.height)};
}

void drawMetafile(Painter& painter, std::string_view data, const DeviceRect& target) {
    // Every record is read once before anything is drawn: a damaged one fails in that pass.
    if (looksLikeEmf(data)) {
        const EmfFile file = readEmf(data);
        const DeviceRect frame = emfFrame(file);
        MetaCanvas reader(nullptr, target, frame);
        playEmf(file, reader);
        MetaCanvas canvas(&painter, target, frame);
        playEmf(file, canvas);
        return;
    }
    const WmfFile file = readWmf(data);
    const DeviceRect frame = wmfFrame(file);
    if (file.frame.unitsPerInch) {
        MetaCanvas reader(nullptr, target, frame);
        playWmf(file, reader);
    }
    MetaCanvas canvas(&painter, target, frame);
    playWmf(file, canvas);
}

void setPictureWarningSink(std::function<void(const std::string&)> sink) {
    warningSink() = std::move(sink);
}

void warnAboutPicture(const std::string& text) {
    if (warningSink()) warningSink()(text);
}

} // namespace vorlan::report
