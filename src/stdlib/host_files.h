#pragma once
// Whole files named by programs (Windows paths through the path mapper), read and written as
// the bytes the engine keeps: Windows-1250 text. A text file that begins with the UTF-8 byte
// order mark, or that holds non-ASCII bytes and is valid UTF-8, is taken as UTF-8 and converted,
// so files written by today's editors read as well.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vorlan::stdlib {

// The host path of a program path; empty when its drive is not mapped.
std::filesystem::path hostPathOf(std::string_view programPath);

// The file's bytes; nothing when it cannot be read.
std::optional<std::string> readFileBytes(std::string_view programPath);
// Replaces the file's contents; false when it cannot be written.
bool writeFileBytes(std::string_view programPath, std::string_view bytes);

// Text as read from a file: UTF-8 (with or without a byte order mark) becomes Windows-1250.
std::string textFromFileBytes(std::string bytes);

} // namespace vorlan::stdlib
