#include "report/paper/ini_file.h"

#include "core/cp1250.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace vorlan::report {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

IniFile IniFile::fromText(std::string_view text) {
    IniFile ini;
    const auto firstEnd = text.find('\n');
    ini.lineEnd_ =
        (firstEnd != std::string_view::npos && firstEnd > 0 && text[firstEnd - 1] == '\r')
            ? "\r\n"
            : (firstEnd == std::string_view::npos ? "\r\n" : "\n");
    std::string section;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        // Stray carriage returns before the line end belong to the line end: kept in the text
        // they would end up in values and come back as a different line end after saving.
        while (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        pos = end + 1;

        Line line{std::string(raw), section, {}};
        const std::string_view body = trimmed(raw);
        if (body.size() >= 2 && body.front() == '[' && body.back() == ']') {
            section = std::string(trimmed(body.substr(1, body.size() - 2)));
            line.section = section;
        } else if (!body.empty() && body.front() != ';') {
            const auto eq = body.find('=');
            if (eq != std::string_view::npos) line.key = std::string(trimmed(body.substr(0, eq)));
        }
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

IniFile IniFile::load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return IniFile();
    std::ostringstream text;
    text << in.rdbuf();
    return fromText(text.str());
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    for (const Line& line : lines_) {
        if (line.key.empty() || !equalsNoCase(line.section, section) ||
            !equalsNoCase(line.key, key))
            continue;
        const auto eq = line.text.find('=');
        return std::string(trimmed(std::string_view(line.text).substr(eq + 1)));
    }
    return std::nullopt;
}

int IniFile::intValue(std::string_view section, std::string_view key, int defaultValue) const {
    const auto text = value(section, key);
    if (!text || text->empty()) return defaultValue;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text->c_str(), &end, 10);
    if (errno != 0 || end == text->c_str() || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return defaultValue;
    return static_cast<int>(v);
}

void IniFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
    std::string text(key);
    text.append("=").append(value);
    std::size_t insertAt = lines_.size();
    bool sectionFound = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        if (!equalsNoCase(line.section, section)) continue;
        if (!sectionFound) sectionFound = true;
        if (!line.key.empty() && equalsNoCase(line.key, key)) {
            line.text = std::move(text);
            return;
        }
        // After the section's last non-blank line.
        if (!trimmed(line.text).empty()) insertAt = i + 1;
    }
    if (!sectionFound) {
        if (!lines_.empty() && !trimmed(lines_.back().text).empty())
            lines_.push_back({"", lines_.back().section, {}});
        lines_.push_back({"[" + std::string(section) + "]", std::string(section), {}});
        insertAt = lines_.size();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  Line{std::move(text), std::string(section), std::string(key)});
}

void IniFile::removeKeys(std::string_view section,
                         const std::function<bool(std::string_view)>& which) {
    std::erase_if(lines_, [&](const Line& line) {
        return !line.key.empty() && equalsNoCase(line.section, section) && which(line.key);
    });
}

std::string IniFile::text() const {
    std::string out;
    for (const Line& line : lines_)
        out.append(line.text).append(lineEnd_);
    return out;
}

void IniFile::save(const std::filesystem::path& path) const {
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text();
        out.flush();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            throw std::runtime_error("nelze zapsat " + path.string());
        }
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        throw std::runtime_error("nelze zapsat " + path.string());
    }
}

} // namespace vorlan::report
