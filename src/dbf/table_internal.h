#pragma once
// What the files of the table class share: the lock bytes above the record locks, field type
// groups and small file helpers.

#include "dbf/table.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace vorlan::dbf::detail {

// Held shared by every writable open and exclusively by an exclusive open.
constexpr std::uint64_t kOpenLockByte = kLockBase + 1;
// Held while a process merges its key changes into the index files of the table.
constexpr std::uint64_t kIndexLockByte = kLockBase + 2;
// Held shared by every read-only open, so writers know someone else reads the table.
constexpr std::uint64_t kReaderLockByte = kLockBase + 3;

inline bool isMemoType(char t) {
    return t == 'M' || t == 'G' || t == 'P';
}

inline bool isBinaryType(char t) {
    return t == 'I' || t == 'B' || t == 'Y' || t == 'T';
}

// The bytes of an index file as a table last read or wrote them, compared with single pages
// other writers changed later. Kept per table and file until the table closes its indexes.
std::string& indexImage(const Table* table, const std::filesystem::path& path);
std::string* findIndexImage(const Table* table, const std::filesystem::path& path);
// Forgets the images of one file of the table, or (path null) of all its files.
void forgetIndexImages(const Table* table, const std::filesystem::path* path = nullptr);

// The file beside `path` with extension `ext`, in whatever letter case it exists; the name with
// `ext` as given when there is none.
std::filesystem::path siblingWithExtension(const std::filesystem::path& path, const char* ext);

} // namespace vorlan::dbf::detail
