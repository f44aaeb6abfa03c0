#pragma once
// Files and folders of the standard library. Names are program paths (C:\DATA\FIRMA.DBF) and go
// through the host path mapper; a missing path, an unmapped drive or an empty name makes a
// routine answer False (or -1), never stop the program. The name-splitting routines work on the
// text alone and take "\" and "/" as separators.

#include "script/value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan::stdlib {

// File attributes as FileGetAttr gives them.
constexpr std::int32_t kFaReadOnly = 0x01;
constexpr std::int32_t kFaHidden = 0x02;
constexpr std::int32_t kFaSysFile = 0x04;
constexpr std::int32_t kFaVolumeId = 0x08;
constexpr std::int32_t kFaDirectory = 0x10;
constexpr std::int32_t kFaArchive = 0x20;
constexpr std::int32_t kFaAnyFile = 0x3F;

bool directoryExists(std::string_view name);
bool deleteFile(std::string_view name);
// False when the new name exists already, as on the platform the programs were written for.
bool renameFile(std::string_view oldName, std::string_view newName);
bool forceDirectories(std::string_view name);

std::string extractFileName(std::string_view name);
std::string extractFilePath(std::string_view name);
std::string extractFileDir(std::string_view name);
std::string extractFileDrive(std::string_view name);
std::string extractFileExt(std::string_view name);
std::string changeFileExt(std::string_view name, std::string_view extension);
std::string includeTrailingBackslash(std::string_view name);
std::string excludeTrailingBackslash(std::string_view name);
// The full program path of a name relative to the current folder, "." and ".." resolved.
std::string expandFileName(std::string_view name);
// The first folder of a ";"-separated list (the current folder first) that holds the file; its
// full name, or the empty text.
std::string fileSearch(std::string_view name, std::string_view folders);

// The time of the last change as a packed DOS date and time; -1 for a missing file.
std::int32_t fileAge(std::string_view name);
std::int32_t fileGetAttr(std::string_view name);
// 0 when done, else the platform's error number.
std::int32_t fileSetAttr(std::string_view name, std::int32_t attributes);
script::DateTime fileDateToDateTime(std::int32_t fileDate);
std::int32_t dateTimeToFileDate(script::DateTime value);

} // namespace vorlan::stdlib
