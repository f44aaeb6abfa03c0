#pragma once
// The program archive (.VRL): one file holding every module of a finished program, its forms and
// the project it was built from, so that a program ships as a single file.
//
// Layout (integers are 32-bit little-endian and signed, offsets count from the file start, a short
// string is one length byte followed by the bytes):
//   0     13 bytes   "FENWAR VORLAN"
//   27    17 bytes   version text of the writer, scrambled
//   128   block 1    length, bytes (kept for the development environment, never read here)
//         block 2    length, bytes: the project as a component stream
//         count      number of directory entries, the first entry follows it
//   entry            name (short string, scrambled), form offset, form size (0 = no form),
//                    source offset, offset of the next entry
//   source           line count, pad length (1 byte), pad bytes, then one short string per line,
//                    each scrambled with its own key
//   form             form-size bytes of a plain component stream
//
// Names, lines and texts are Windows-1250 bytes. Host paths are UTF-8.

#include "script/stream/stream_object.h"

#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::archive {

// A program archive whose contents contradict themselves or end too early.
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kArchiveMagic = "FENWAR VORLAN";
inline constexpr std::int64_t kVersionOffset = 27;
inline constexpr std::size_t kVersionLength = 17;
inline constexpr std::int64_t kBlocksOffset = 128;
inline constexpr std::uint16_t kVersionKey = 0x6D2B;
inline constexpr std::uint16_t kNameKey = 0x1E7C;
inline constexpr std::uint16_t kLineKey = 0x5CE1;

// The text scrambling of names, lines and the version. Only the first (length mod 256) bytes are
// transformed, the rest is copied as it is: the archives in circulation were written that way, so
// a 300-byte text keeps its last 256 bytes plain.
std::string unscrambleText(std::string_view scrambled, std::uint16_t key);
// The inverse of unscrambleText, with the same byte-count behaviour.
std::string scrambleText(std::string_view plain, std::uint16_t key);
// The key of source line `index` (from 0) in a block with `padLength` pad bytes.
std::uint16_t lineKey(std::size_t index, int padLength);

// `ext` (with its dot) replaces the extension of the last path component, or is
// appended when it has none.
std::string changeFileExt(std::string_view name, std::string_view ext);

struct DirectoryEntry {
    std::string name; // unscrambled
    std::int32_t formOffset = 0;
    std::int32_t formSize = 0;
    std::int32_t sourceOffset = 0;
    std::int32_t next = 0;
    std::int64_t entryOffset = 0; // where the entry itself lies
};

// "MAIN.ZLM*     600    1500    2100": how the directory lists an entry.
std::string directoryItem(const DirectoryEntry& entry);

struct SourceBlock {
    std::vector<std::string> lines;
    int padLength = 0;
};

struct ArchiveLayout {
    std::int64_t block1Offset = 0; // first byte of block 1 (after its length)
    std::int32_t block1Size = 0;
    std::int64_t projectOffset = 0;
    std::int32_t projectSize = 0;
    std::int64_t entriesOffset = 0; // the first directory entry
    std::int32_t entryCount = 0;
};

// One archive opened for reading, from a file or from memory. Every read is checked against the
// size of the archive, so damaged data ends in an ArchiveError and never in a wild read, a huge
// allocation or an endless walk along the entry chain.
class ArchiveFile {
public:
    // Null when the file cannot be opened for reading.
    static std::unique_ptr<ArchiveFile> open(const std::filesystem::path& hostPath);
    static std::unique_ptr<ArchiveFile> fromBytes(std::string bytes, std::string displayName);

    const std::string& displayName() const { return displayName_; }
    std::int64_t size() const { return size_; }

    // Exactly `count` bytes at `offset`; nullopt when the archive ends before.
    std::optional<std::string> readExact(std::int64_t offset, std::size_t count);
    bool hasMagic();
    // The 17 characters of the writer's version, unscrambled; nullopt when the file is too short.
    std::optional<std::string> versionText();

    ArchiveLayout layout();
    std::string block1();
    std::string projectBlock();
    // The entries in chain order.
    std::vector<DirectoryEntry> directory();
    SourceBlock source(const DirectoryEntry& entry);
    // Empty when the module has no form.
    std::string form(const DirectoryEntry& entry);

private:
    ArchiveFile(std::unique_ptr<std::istream> in, std::int64_t size, std::string displayName);
    [[noreturn]] void damaged(const std::string& what) const;
    std::int32_t readInt32(std::int64_t offset, const char* what);
    // Up to `count` bytes at `offset`, fewer when the archive ends first.
    std::string readUpTo(std::int64_t offset, std::size_t count);

    std::unique_ptr<std::istream> in_;
    std::int64_t size_ = 0;
    std::string displayName_;
};

// --- The program archive of the running program -------------------------------------------------

// The process-wide directory of the open archive, sorted case-insensitively.
const std::vector<std::string>& archiveDirectory();
// The text after the "*" of the first directory item that starts with the upper-cased file name
// (path stripped) and "*"; empty when there is none. The comparison is case-sensitive, so an entry
// stored in lower case is never found.
std::string archiveLookup(std::string_view fileName);

// Opens the archive of `fileName` (its extension replaced by .VRL, mapped to a host path) and
// reads its directory. False when the file cannot be opened or is not an archive (the latter is
// told to the user); an archive written by another version is only warned about. Damaged data
// throws ArchiveError. After a false or a throw no archive is open and the directory is empty.
// With `refusal` given, a false leaves there why the file was not used (Czech, Windows-1250),
// for a batch run to print.
bool readProgramArchive(const std::string& fileName, std::string* refusal = nullptr);
// The same on archive bytes in memory; `fileName` only names it in messages.
bool readProgramArchiveFromBytes(std::string bytes, const std::string& fileName);
// Closes the open archive and empties the directory.
void closeProgramArchive();
bool programArchiveOpen();

// A module of the open archive by its file name; nullopt when the directory has no such module.
std::optional<std::vector<std::string>> readArchiveModuleSource(std::string_view moduleName);
// The form bytes; empty when the module has no form.
std::optional<std::string> readArchiveModuleForm(std::string_view moduleName);
// Block 2 of an archive file given by its program path.
std::string readArchiveProjectBlock(const std::string& archiveFileName);

// --- The project --------------------------------------------------------------------------------

struct ProjectItem {
    std::string fileName;
    std::string filerId;
    std::string objectClassName;
    std::string objectProps;
    bool objectOpened = false;

    bool operator==(const ProjectItem&) const = default;
};

inline constexpr std::string_view kProjectClass = "TIDEProject";
inline constexpr std::string_view kProjectName = "Project";

// The items of a project object; throws ArchiveError when ProjectItems is not a collection.
std::vector<ProjectItem> projectItemsFromStream(const stream::StreamObject& project);
stream::StreamObject projectToStream(const std::vector<ProjectItem>& items);

} // namespace vorlan::archive
