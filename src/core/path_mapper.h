#pragma once
// Turns the Windows paths that programs use (C:\DATA\FIRMA.DBF, either separator, any letter
// case) into host paths, and back.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace vorlan {

class PathMapper {
public:
    PathMapper();

    // The host folder that stands for a drive letter ("C" or "c").
    void setDriveRoot(char drive, std::filesystem::path root);
    void clearDrives();
    // Empty when the drive is not mapped.
    std::filesystem::path driveRoot(char drive) const;
    const std::map<char, std::filesystem::path>& drives() const { return drives_; }

    // A program path (Windows-1250) as a host path. Relative paths stay relative to the current
    // directory. Each component that does not exist as written is looked up case-insensitively
    // in its folder, so C:\DATA\Firma.dbf finds ~/data/FIRMA.DBF. Throws std::invalid_argument
    // for a drive letter that is not mapped.
    std::filesystem::path toHost(std::string_view programPath) const;
    // Same, without throwing: an unmapped drive gives an empty path.
    std::filesystem::path toHostOrEmpty(std::string_view programPath) const;
    // A host path as programs see it (Windows-1250, backslashes, a drive letter when the path
    // lies under a mapped drive root).
    std::string toProgram(const std::filesystem::path& hostPath) const;

private:
    std::map<char, std::filesystem::path> drives_;
};

// The process-wide mapper every file access of the runtime goes through.
PathMapper& pathMapper();

// Looks `name` up case-insensitively in `folder`; the exact name when nothing matches.
std::filesystem::path findNoCase(const std::filesystem::path& folder, const std::string& name);

} // namespace vorlan
