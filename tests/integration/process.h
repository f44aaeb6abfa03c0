#pragma once
// Runs the built executables the way a user or a batch job does, and keeps what they print.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vorlan::testing {

// Exit statuses of the runtime: the program never ran, or a script error ended it.
constexpr int kNotRun = 251;
constexpr int kScriptError = 253;

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::filesystem::path& workDir = {});

// `vorlan --headless ARGS...`
ProcessResult runVorlan(const std::vector<std::string>& args,
                        const std::filesystem::path& workDir = {});
// `vrltool ARGS...`; fails the test when it does not exit with 0.
ProcessResult runVrltool(const std::vector<std::string>& args);

// Packs the program of a folder (its modules, the one named MAIN first, and their forms) into
// an archive.
void packProgram(const std::filesystem::path& folder, const std::filesystem::path& archive);

// A fresh folder for one test, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes a file (bytes as given) and returns its path.
    std::filesystem::path write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);

// Whether python3 can import the dbf module, the independent reader of the tests' tables.
bool pythonDbfAvailable();

// True when PART occurs in TEXT.
bool contains(const std::string& text, const std::string& part);

// A program of one MODULE from SOURCE (and its form, named after the module with FORM_EXT, when
// given), packed into DIR/NAME.VRL.
std::filesystem::path packModule(const TempDir& dir, const std::string& name,
                                 const std::string& module, const std::string& source,
                                 const std::string& formExt = {}, const std::string& form = {});

// Sets an environment variable for the processes a test starts, and puts it back afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

} // namespace vorlan::testing
