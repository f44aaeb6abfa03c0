#pragma once
// Paper formats: seventeen built in, then the user's own, which live in the settings file
// SESTDLL.INI:
//
//     [FormatyPapiru]
//     PocetFormatu=2
//     Format1=Štítky 70 x 36,276,142
//     Format2=Pohlednice,583,413
//
// Each format is "name,width,height" in hundredths of an inch (Windows-1250 text).

#include "report/paper/ini_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

// TFormatPapiru ("paper format"): a named paper size in hundredths of an inch.
struct TFormatPapiru {
    static constexpr std::size_t kMaxName = 48;
    std::string name;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const TFormatPapiru&) const = default;
};

// "name,width,height". The name may itself hold commas: the last two fields are the sizes.
// Nothing when the sizes are not decimal integers.
std::optional<TFormatPapiru> parsePaperFormat(std::string_view text);
std::string paperFormatText(const TFormatPapiru& format);

inline constexpr int kBuiltInPaperFormats = 17;
inline constexpr const char* kPaperFormatSection = "FormatyPapiru";

// TListFormatu ("list of formats"): the built-in paper formats, then the user's own.
class TListFormatu {
public:
    // The built-in formats alone.
    TListFormatu();

    int count() const { return static_cast<int>(formats_.size()); }
    const TFormatPapiru& item(int index) const {
        return formats_.at(static_cast<std::size_t>(index));
    }
    int userCount() const { return count() - kBuiltInPaperFormats; }
    bool isBuiltIn(int index) const { return index >= 0 && index < kBuiltInPaperFormats; }
    // The first format of that size in either orientation, -1 when none.
    int indexOfSize(std::int32_t width, std::int32_t height) const;

    // User formats: the name is cut to 48 characters; built-in formats cannot be changed.
    void addUser(TFormatPapiru format);
    bool removeUser(int index);
    void clearUser();

    // Replaces the user formats by those of the settings (unreadable entries are skipped).
    void readUser(const IniFile& ini);
    // Writes the user formats, removing entries left over from a longer list.
    void writeUser(IniFile& ini) const;

    void loadUser(const std::filesystem::path& file) { readUser(IniFile::load(file)); }
    // Keeps everything else the file holds. Throws std::runtime_error when it cannot write.
    void saveUser(const std::filesystem::path& file) const;

private:
    std::vector<TFormatPapiru> formats_;
};

// The settings file of the report generator: SESTDLL.INI in $XDG_CONFIG_HOME/vorlan
// (~/.config/vorlan without the variable). An existing file whose name differs only in letter
// case is used as it is.
std::filesystem::path reportSettingsFile();

// The formats of the program, the user formats read from the settings file on first use.
TListFormatu& paperFormats();

} // namespace vorlan::report
