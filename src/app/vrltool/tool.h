#pragma once
// Shared pieces of vrltool's commands: argument parsing, file access and the conversions between
// what the archive stores and the files a developer edits.

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vrltool {

// Wrong command line: reported together with a hint to --help.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    const std::string* option(const std::string& name) const;
};

// Splits `args` into positional arguments and the given options, each of which takes a value.
Arguments parseArguments(const std::vector<std::string>& args,
                         const std::vector<std::string>& valueOptions);

int runPack(const std::vector<std::string>& args);
int runUnpack(const std::vector<std::string>& args);
int runList(const std::vector<std::string>& args);
int runFormToText(const std::vector<std::string>& args);
int runTextToForm(const std::vector<std::string>& args);
int runToDatabase(const std::vector<std::string>& args);
int runFromDatabase(const std::vector<std::string>& args);
int runCheck(const std::vector<std::string>& args);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view bytes);

// Lines end with CRLF or LF; a final line end does not start another line.
std::vector<std::string> splitLines(std::string_view text);
// Every line followed by CRLF, so that splitLines gives the same lines back.
std::string joinLines(const std::vector<std::string>& lines);

// Upper-case extension without the dot ("ZLM"), empty when there is none.
std::string upperExtension(std::string_view fileName);
bool isModuleExtension(std::string_view upperExt);
// The extension (".zfm") of the form that belongs to a module kind; nullopt when the kind has none.
std::optional<std::string> formExtension(std::string_view upperExt);

// A form or project file as component stream bytes: binary ("TPF0...") is checked and taken as
// it is, anything else is read as text form.
std::string componentBytesFromFile(const std::filesystem::path& path);
// The text form of stream bytes, when that text converts back to exactly the same bytes.
std::optional<std::string> reversibleText(const std::string& bytes);

// The vrltool.ini that unpack leaves beside the files, and pack --from reads.
struct UnpackedArchive {
    std::string versionText; // Windows-1250
    int padLength = 0;
    std::string block1File;  // empty = block 1 is empty
    std::string projectFile; // empty = block 2 is empty
    // Streams that do not survive a trip through text form are kept as the bytes they were.
    bool projectRaw = false;
    struct Module {
        std::string name;     // Windows-1250, as in the directory
        std::string formFile; // empty = no form
        bool formRaw = false;
    };
    std::vector<Module> modules;
};
inline constexpr const char* kSettingsFile = "vrltool.ini";
void writeSettings(const std::filesystem::path& path, const UnpackedArchive& settings);
UnpackedArchive readSettings(const std::filesystem::path& path);

void note(const std::string& text);

} // namespace vrltool
