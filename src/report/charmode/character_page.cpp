#include "report/charmode/character_page.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace vorlan::report {

int charactersPerInch(int pitch) {
    switch (pitch) {
    case kPitch12:
        return 12;
    case kPitch17:
        return 17;
    default:
        return 10;
    }
}

int linesPerInch(int lineSpacing) {
    switch (lineSpacing) {
    case 1:
        return 4;
    case 2:
        return 3;
    default:
        return 6;
    }
}

int pitchOfFontSize(std::int32_t points) {
    if (points < 9) return kPitch17;
    if (points < 11) return kPitch12;
    return kPitch10;
}

int layerOf(int pitch, bool bold) {
    const int p = pitch == kPitch12 || pitch == kPitch17 ? pitch : kPitch10;
    return p * 8 + (bold ? 1 : 0);
}

void TZnakovyRadek::put(int layer, int column, std::string_view text) {
    if (layer < 0 || layer >= kLayers) return;
    if (column < 0) {
        const auto cut = static_cast<std::size_t>(-static_cast<std::int64_t>(column));
        if (cut >= text.size()) return;
        text.remove_prefix(cut);
        column = 0;
    }
    if (column >= kMaxColumns) return;
    text = text.substr(0, static_cast<std::size_t>(kMaxColumns - column));
    std::string& target = layers_[static_cast<std::size_t>(layer)];
    const std::size_t start = static_cast<std::size_t>(column);
    if (target.size() < start + text.size()) target.resize(start + text.size(), ' ');
    target.replace(start, text.size(), text);
}

bool TZnakovyRadek::empty() const {
    return std::all_of(layers_.begin(), layers_.end(),
                       [](const std::string& l) { return l.empty(); });
}

void TZnakovyRadek::clear() {
    for (std::string& l : layers_)
        l.clear();
}

TZnakovePole::TZnakovePole(std::int32_t paperHeight, int lineSpacing)
    : lineSpacing_(lineSpacing), paperHeight_(paperHeight) {
    const std::int64_t rows =
        std::max<std::int64_t>(0, static_cast<std::int64_t>(paperHeight) * linesPerInch() / 100);
    rows_.resize(static_cast<std::size_t>(std::min<std::int64_t>(rows, kMaxRows)));
}

void TZnakovePole::put(int row, int column, std::string_view text, int pitch, bool bold) {
    if (row < 0 || row >= rowCount()) return;
    rows_[static_cast<std::size_t>(row)].put(layerOf(pitch, bold), column, text);
}

void TZnakovePole::clear() {
    for (TZnakovyRadek& r : rows_)
        r.clear();
}

void TZnakovePole::appendText(std::string& out) const {
    for (const TZnakovyRadek& r : rows_) {
        for (int l = 0; l < TZnakovyRadek::kLayers; ++l) {
            const std::string& text = r.layer(l);
            if (text.empty()) continue;
            out += text;
            out += '\r';
        }
        out += '\n';
    }
}

void TZnakovePole::saveStream(const std::string& programPath) const {
    const auto host = pathMapper().toHostOrEmpty(programPath);
    std::ofstream file;
    if (!host.empty()) file.open(host, std::ios::binary | std::ios::trunc);
    if (file) file.write(stream_.data(), static_cast<std::streamsize>(stream_.size()));
    if (file) file.close();
    if (host.empty() || !file) throw std::runtime_error(czech("Nelze uložit ") + programPath);
}

} // namespace vorlan::report
