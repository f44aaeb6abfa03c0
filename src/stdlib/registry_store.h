#pragma once
// The registry of scripts as a tree of folders under the runtime's configuration folder:
//
//   <config>/registry/HKEY_CURRENT_USER/Software/Firma/.values
//
// Each root key is a folder, each key a folder below it, and a key's values live in the file
// ".values" in its folder (one line each, in the style of exported registry files, UTF-8).
// Key names are case-insensitive as on Windows and keep the spelling they were created with.
// A key name is always one folder: "..", "/", "%" and control characters are written as %XX
// and a leading dot as %2E, so no key can name a place outside the tree; a folder reached
// through a symbolic link is not followed.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlan::stdlib {

constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
constexpr std::uint32_t kHkeyUsers = 0x80000003u;
constexpr std::uint32_t kHkeyPerformanceData = 0x80000004u;
constexpr std::uint32_t kHkeyCurrentConfig = 0x80000005u;
constexpr std::uint32_t kHkeyDynData = 0x80000006u;

// The name of a root key ("HKEY_CURRENT_USER"), or empty for a number that is none.
std::string_view rootKeyName(std::uint32_t rootKey);

// Where the tree lives: <configuration folder>/registry unless a test set another folder.
std::filesystem::path registryFolder();
void setRegistryFolder(std::filesystem::path folder);

// Data types as scripts number them (rdUnknown .. rdBinary).
enum class RegType : int { Unknown = 0, String = 1, ExpandString = 2, Integer = 3, Binary = 4 };

struct RegValue {
    RegType type = RegType::String;
    std::string text;        // String, ExpandString (Windows-1250)
    std::int32_t number = 0; // Integer
    std::string bytes;       // Binary
};

using RegValues = std::vector<std::pair<std::string, RegValue>>;

// A key path split at backslashes; empty parts are dropped.
std::vector<std::string> splitKeyPath(std::string_view path);

// The folder of a key, or empty when the root key is unknown, the key is missing (and not to
// be created) or the folder cannot be made.
std::filesystem::path keyFolder(std::uint32_t rootKey, const std::vector<std::string>& parts,
                                bool create);
// Removes a key with everything below it; a root key itself cannot be deleted.
bool deleteKeyTree(std::uint32_t rootKey, const std::vector<std::string>& parts);
std::vector<std::string> subKeyNames(const std::filesystem::path& folder);

RegValues readValues(const std::filesystem::path& folder);
bool writeValues(const std::filesystem::path& folder, const RegValues& values);
// The position of a value by name (case-insensitive), or -1.
int findValue(const RegValues& values, std::string_view name);

// The file format of one value line and back (for the tests and the file itself).
std::string valueLine(const std::string& name, const RegValue& value);
bool parseValueLine(std::string_view line, std::string& name, RegValue& value);

} // namespace vorlan::stdlib
