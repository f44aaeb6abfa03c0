#pragma once
// Low-level file access for the engine: positioned reads and writes, atomic replacement, and the
// byte-range locks that let several processes share a table.

#include "tables/table_engine.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace vorlan::dbf {

// Every engine failure (bad file, bad expression, I/O error, lock conflict) is a DbfError.
// It is the table engine boundary's error, so callers above the engine catch one class.
class DbfError : public tables::EngineError {
public:
    using tables::EngineError::EngineError;
};

class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    // Opens an existing file; throws DbfError when it cannot.
    void open(const std::filesystem::path& path, bool readOnly);
    // Creates (or truncates) a file for writing.
    void create(const std::filesystem::path& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool readOnly() const { return readOnly_; }
    const std::filesystem::path& path() const { return path_; }

    std::uint64_t size() const;
    // Reads up to `len` bytes at `offset`; answers how many were read (short at end of file).
    std::size_t readAt(std::uint64_t offset, void* buf, std::size_t len) const;
    // Reads exactly `len` bytes or throws.
    void readExact(std::uint64_t offset, void* buf, std::size_t len) const;
    void writeAt(std::uint64_t offset, const void* buf, std::size_t len);
    // Writes a whole new file's contents in pieces of one memory page. The page cache keeps the
    // pieces of one write together, and a later small write into such a piece costs the kernel
    // work over all of it: megabytes for a file written in one go. Index files changed a page at
    // a time are written so.
    void writeInPages(std::uint64_t offset, const void* buf, std::size_t len);
    // Tells the kernel that the file is read at scattered places: no read-ahead, and the pages
    // it brings in stay small pieces of the cache (see writeInPages).
    void adviseRandomAccess();
    void sync();

    // Byte-range locks (exclusive for writable files, shared for read-only ones). Locks belong to
    // this open file, not to the whole process, so two tables of one process exclude each other
    // just as two processes do. `timeoutMs` 0 tries once. A shared lock only excludes
    // exclusive ones.
    bool lockRange(std::uint64_t offset, std::uint64_t len, int timeoutMs, bool shared = false);
    void unlockRange(std::uint64_t offset, std::uint64_t len);
    // Whether some other open file holds a lock over the range.
    bool rangeLockedByOther(std::uint64_t offset, std::uint64_t len) const;

private:
    int fd_ = -1;
    bool readOnly_ = false;
    std::filesystem::path path_;
};

// What identifies one version of a file on disk. Index files are replaced by renaming a new
// file into place, so a changed inode, size or change time means another process wrote it.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t changeNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of `path` now; all zero when it does not exist.
FileStamp stampOf(const std::filesystem::path& path);

// Writes `tmp` fully, syncs it and renames it over `target`, so a crash leaves either the old or
// the new file, never a half-written one.
// `sync` false skips waiting for the disk: the rename is still atomic for other processes.
void replaceFile(const std::filesystem::path& tmp, const std::filesystem::path& target,
                 bool sync = true);
// A temporary name beside `target` (same folder, so the rename stays on one file system).
std::filesystem::path tempNameBeside(const std::filesystem::path& target);

// Little- and big-endian helpers for the on-disk structures.
inline std::uint16_t getLe16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t getLe32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint32_t getBe32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
inline std::uint16_t getBe16(const unsigned char* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline void putLe16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void putLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void putBe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}
inline void putBe16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}

} // namespace vorlan::dbf
