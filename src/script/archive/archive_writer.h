#pragma once
// Builds program archives: what the development environment produces when it publishes a program,
// and what vrltool packs.

#include "core/version.h"
#include "script/archive/program_archive.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vorlan::archive {

struct ArchiveModule {
    std::string name;               // directory name, stored as given (normally upper case)
    std::vector<std::string> lines; // Windows-1250, at most 255 bytes each
    std::string form;               // component stream bytes; empty = no form
};

struct ArchiveContents {
    std::string versionText{kRuntimeVersion}; // cut or padded with spaces to 17 characters
    int padLength = 7;                        // pad bytes before the lines of each source block
    std::string block1;
    std::vector<ProjectItem> projectItems;
    // Block 2 taken as it is; when absent it is streamed from projectItems.
    std::optional<std::string> projectStream;
    std::vector<ArchiveModule> modules;
};

// The version text as the archive stores it: exactly 17 characters.
std::string fitVersionText(std::string_view text);

// Throws std::invalid_argument for what the layout cannot hold: a line or a name over 255 bytes
// (the message names the module and the line), a pad length outside 0..255, an archive of 2 GiB
// or more.
std::string writeProgramArchive(const ArchiveContents& contents);
// The same, written to a host file; throws std::runtime_error when the file cannot be written.
void writeProgramArchiveFile(const ArchiveContents& contents,
                             const std::filesystem::path& hostPath);

} // namespace vorlan::archive
