#pragma once
// A settings file of sections and "key=value" lines, as the report generator shares it with the
// designer. Section and key names compare without regard to letter case; reading and writing
// keeps every line that is not changed (comments, other sections, the order) and the file's
// line ends. Texts are Windows-1250 bytes.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

class IniFile {
public:
    IniFile() = default;
    static IniFile fromText(std::string_view text);
    // A missing or unreadable file gives an empty one.
    static IniFile load(const std::filesystem::path& path);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    int intValue(std::string_view section, std::string_view key, int defaultValue) const;
    // Adds the key at the end of its section (the section at the end of the file) when new.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes every key of the section that `which` picks.
    void removeKeys(std::string_view section, const std::function<bool(std::string_view)>& which);

    std::string text() const;
    // Writes through a temporary file so that a failed write leaves the old file; creates the
    // folder. Throws std::runtime_error when the file cannot be written.
    void save(const std::filesystem::path& path) const;

private:
    struct Line {
        std::string text;
        std::string section; // the section the line belongs to ("" before the first)
        std::string key;     // empty unless a key line
    };
    std::vector<Line> lines_;
    std::string lineEnd_ = "\r\n";
};

} // namespace vorlan::report
