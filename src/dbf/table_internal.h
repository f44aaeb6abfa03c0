#pragma once
// What the files of the table class share: the lock bytes above the record locks, field type
// groups and small file helpers.

#include "dbf/table.h"

#include <cstdint>
#include <filesystem>

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

// The file beside `path` with extension `ext`, in whatever letter case it exists; the name with
// `ext` as given when there is none.
std::filesystem::path siblingWithExtension(const std::filesystem::path& path, const char* ext);

} // namespace vorlan::dbf::detail
