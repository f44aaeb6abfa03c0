#pragma once
// How the table methods complete the file names scripts give them: a bare name lies in the
// current directory, a name without an extension gets the default one. Names stay in the
// programs' own form (Windows-1250, backslashes) until they are mapped to a host path.

#include <filesystem>
#include <string>
#include <string_view>

namespace vorlan::data {

// The current directory as programs see it ("C:\DATA", or the host path with backslashes when
// no drive holds it).
std::string currentProgramDirectory();

// `name` with blanks trimmed (empty stays empty); a name without a folder separator is put into
// `directory`; a file part without a dot gets `defaultExtension` (".DBF").
std::string completeFileName(std::string_view name, std::string_view defaultExtension,
                             std::string_view directory);
std::string completeFileName(std::string_view name, std::string_view defaultExtension);

struct SplitName {
    std::string directory; // without the final separator; "\" for the root
    std::string file;
};
SplitName splitFileName(std::string_view programPath);

// The host path of a program path; empty when its drive is not mapped.
std::filesystem::path hostFileName(std::string_view programPath);

} // namespace vorlan::data
