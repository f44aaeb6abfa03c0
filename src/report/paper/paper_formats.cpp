#include "report/paper/paper_formats.h"

#include "core/config_folder.h"
#include "core/cp1250.h"
#include "core/path_mapper.h"

#include <charconv>
#include <cstdlib>

namespace vorlan::report {

namespace {

// The built-in formats as the settings write them. The names are UTF-8 here.
constexpr const char* kBuiltIn[kBuiltInPaperFormats] = {
    "Skládaný (8.5 x 12\"),850,1200",     "Skládaný (15 x 12\"),1500,1200",
    "Letter (8.5 x 11\"),850,1100",       "Legal (8.5 x 14\"),850,1400",
    "Executive (7.25 x 10.5\"),725,1050", "A2 (420 x 594 mm),1652,2338",
    "A3 (297 x 420 mm),1169,1652",        "A4 (210 x 297 mm),826,1169",
    "A5 (148.5 x 210 mm),584,826",        "A6 (105 x 148.5mm),413,584",
    "B5 (182 x 257 mm),716,1011",         "Obálka (162 x 114 mm),637,433",
    "Obálka (220 x 110 mm),866,433",      "Obálka (228 x 162 mm),896,637",
    "Obálka otoč.(114 x 162 mm),433,637", "Obálka otoč.(110 x 220 mm),433,866",
    "Obálka otoč.(162 x 228 mm),637,896",
};

constexpr std::string_view kCountKey = "PocetFormatu";
constexpr std::string_view kFormatKey = "Format";

std::optional<std::int32_t> decimal(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "Format" followed by digits only.
bool isFormatKey(std::string_view key) {
    if (key.size() <= kFormatKey.size() ||
        !equalsNoCase(key.substr(0, kFormatKey.size()), kFormatKey))
        return false;
    for (const char c : key.substr(kFormatKey.size()))
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

std::optional<TFormatPapiru> parsePaperFormat(std::string_view text) {
    const auto second = text.rfind(',');
    if (second == std::string_view::npos || second == 0) return std::nullopt;
    const auto first = text.rfind(',', second - 1);
    if (first == std::string_view::npos) return std::nullopt;
    const auto width = decimal(text.substr(first + 1, second - first - 1));
    const auto height = decimal(text.substr(second + 1));
    if (!width || !height) return std::nullopt;
    return TFormatPapiru{std::string(text.substr(0, first)), *width, *height};
}

std::string paperFormatText(const TFormatPapiru& format) {
    return format.name + "," + std::to_string(format.width) + "," + std::to_string(format.height);
}

TListFormatu::TListFormatu() {
    for (const char* text : kBuiltIn)
        formats_.push_back(*parsePaperFormat(czech(text)));
}

int TListFormatu::indexOfSize(std::int32_t width, std::int32_t height) const {
    for (int i = 0; i < count(); ++i) {
        const auto& f = item(i);
        if ((f.width == width && f.height == height) || (f.width == height && f.height == width))
            return i;
    }
    return -1;
}

void TListFormatu::addUser(TFormatPapiru format) {
    if (format.name.size() > TFormatPapiru::kMaxName) format.name.resize(TFormatPapiru::kMaxName);
    formats_.push_back(std::move(format));
}

bool TListFormatu::removeUser(int index) {
    if (index < kBuiltInPaperFormats || index >= count()) return false;
    formats_.erase(formats_.begin() + index);
    return true;
}

void TListFormatu::clearUser() {
    formats_.resize(kBuiltInPaperFormats);
}

void TListFormatu::readUser(const IniFile& ini) {
    clearUser();
    // A count beyond any sensible list is a damaged file, not a reason to loop for long.
    const int n = std::min(ini.intValue(kPaperFormatSection, kCountKey, 0), 10000);
    for (int i = 1; i <= n; ++i) {
        const auto text =
            ini.value(kPaperFormatSection, std::string(kFormatKey) + std::to_string(i));
        if (!text) continue;
        if (auto format = parsePaperFormat(*text)) addUser(std::move(*format));
    }
}

void TListFormatu::writeUser(IniFile& ini) const {
    ini.removeKeys(kPaperFormatSection, isFormatKey);
    ini.setValue(kPaperFormatSection, kCountKey, std::to_string(userCount()));
    for (int i = kBuiltInPaperFormats; i < count(); ++i)
        ini.setValue(kPaperFormatSection,
                     std::string(kFormatKey) + std::to_string(i - kBuiltInPaperFormats + 1),
                     paperFormatText(item(i)));
}

void TListFormatu::saveUser(const std::filesystem::path& file) const {
    IniFile ini = IniFile::load(file);
    writeUser(ini);
    ini.save(file);
}

std::filesystem::path reportSettingsFile() {
    return findNoCase(configFolder(), "SESTDLL.INI");
}

TListFormatu& paperFormats() {
    static TListFormatu formats = [] {
        TListFormatu list;
        list.loadUser(reportSettingsFile());
        return list;
    }();
    return formats;
}

} // namespace vorlan::report
