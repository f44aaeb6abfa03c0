#include "stdlib/sysutils_files.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "stdlib/sysutils_dates.h"

#include <cerrno>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace vorlan::stdlib {

namespace fs = std::filesystem;
using script::DateTime;

namespace {

// The host path of a program path; empty for an empty name or an unmapped drive.
fs::path hostOf(std::string_view name) {
    if (name.empty()) return {};
    return pathMapper().toHostOrEmpty(name);
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// The position after the last "\", "/" or ":"; 0 when there is none.
std::size_t nameStart(std::string_view name) {
    const std::size_t at = name.find_last_of("\\/:");
    return at == std::string_view::npos ? 0 : at + 1;
}

} // namespace

bool directoryExists(std::string_view name) {
    const fs::path host = hostOf(name);
    std::error_code ec;
    return !host.empty() && fs::is_directory(host, ec);
}

bool deleteFile(std::string_view name) {
    const fs::path host = hostOf(name);
    std::error_code ec;
    return !host.empty() && fs::is_regular_file(host, ec) && fs::remove(host, ec) && !ec;
}

bool renameFile(std::string_view oldName, std::string_view newName) {
    const fs::path from = hostOf(oldName);
    fs::path to = hostOf(newName);
    std::error_code ec;
    if (from.empty() || to.empty() || !fs::exists(from, ec) || fs::exists(to, ec)) return false;
    fs::rename(from, to, ec);
    return !ec;
}

bool forceDirectories(std::string_view name) {
    const std::string trimmed = excludeTrailingBackslash(name);
    const fs::path host = hostOf(trimmed);
    if (host.empty()) return false;
    std::error_code ec;
    fs::create_directories(host, ec);
    return fs::is_directory(host, ec);
}

std::string extractFileName(std::string_view name) {
    return std::string(name.substr(nameStart(name)));
}

std::string extractFilePath(std::string_view name) {
    return std::string(name.substr(0, nameStart(name)));
}

std::string extractFileDir(std::string_view name) {
    std::size_t end = nameStart(name);
    // The folder without its closing separator, except for a root ("C:\", "\").
    if (end > 1 && isSeparator(name[end - 1]) && !isSeparator(name[end - 2]) &&
        name[end - 2] != ':')
        --end;
    return std::string(name.substr(0, end));
}

std::string extractFileDrive(std::string_view name) {
    if (name.size() >= 2 && name[1] == ':') return std::string(name.substr(0, 2));
    if (name.size() >= 2 && isSeparator(name[0]) && isSeparator(name[1])) {
        // \\server\share
        std::size_t at = 2;
        int parts = 0;
        while (at < name.size()) {
            if (isSeparator(name[at]) && ++parts == 2) break;
            ++at;
        }
        return std::string(name.substr(0, at));
    }
    return {};
}

std::string extractFileExt(std::string_view name) {
    const std::size_t at = name.find_last_of(".\\/:");
    if (at == std::string_view::npos || name[at] != '.') return {};
    return std::string(name.substr(at));
}

std::string changeFileExt(std::string_view name, std::string_view extension) {
    const std::size_t at = name.find_last_of(".\\/:");
    const std::size_t end = at != std::string_view::npos && name[at] == '.' ? at : name.size();
    return std::string(name.substr(0, end)) + std::string(extension);
}

std::string includeTrailingBackslash(std::string_view name) {
    std::string out(name);
    if (out.empty() || !isSeparator(out.back())) out += '\\';
    return out;
}

std::string excludeTrailingBackslash(std::string_view name) {
    std::string out(name);
    if (!out.empty() && isSeparator(out.back())) out.pop_back();
    return out;
}

std::string expandFileName(std::string_view name) {
    std::string path(name);
    for (char& c : path)
        if (c == '/') c = '\\';
    std::string prefix;
    std::error_code ec;
    const std::string current = pathMapper().toProgram(fs::current_path(ec));
    if (path.size() >= 2 && path[1] == ':') {
        prefix = path.substr(0, 2);
        path = path.substr(2);
        // "C:NAME" is relative to the current folder of that drive: the current one, when it
        // is on C:, else the drive's root.
        if (path.empty() || path[0] != '\\') {
            if (equalsNoCase(current.substr(0, 2), prefix))
                path = current.substr(2) + "\\" + path;
            else
                path = "\\" + path;
        }
    } else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        prefix = "\\";
        path = path.substr(1);
    } else if (!path.empty() && path[0] == '\\') {
        prefix = current.size() >= 2 && current[1] == ':' ? current.substr(0, 2) : "";
    } else {
        path = current + "\\" + path;
        if (path.size() >= 2 && path[1] == ':') {
            prefix = path.substr(0, 2);
            path = path.substr(2);
        }
    }
    // Resolve "." and ".." part by part; a trailing separator stays.
    std::vector<std::string> parts;
    std::size_t start = 0;
    const bool trailing = !path.empty() && path.back() == '\\';
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out = prefix;
    for (const std::string& part : parts)
        out += "\\" + part;
    if (parts.empty() || trailing) out += "\\";
    return out;
}

std::string fileSearch(std::string_view name, std::string_view folders) {
    std::error_code ec;
    if (fs::is_regular_file(hostOf(name), ec)) return expandFileName(name);
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(';', start), folders.size());
        const std::string_view folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = includeTrailingBackslash(folder) + std::string(name);
            if (fs::is_regular_file(hostOf(candidate), ec)) return candidate;
        }
        start = end + 1;
    }
    return {};
}

std::int32_t dateTimeToFileDate(DateTime value) {
    const CivilDate d = decodeDate(value);
    const ClockTime t = decodeTime(value);
    if (d.year < 1980 || d.year > 2107) return 0;
    return ((d.year - 1980) << 25) | (d.month << 21) | (d.day << 16) | (t.hour << 11) |
           (t.minute << 5) | (t.second / 2);
}

DateTime fileDateToDateTime(std::int32_t fileDate) {
    const auto u = static_cast<std::uint32_t>(fileDate);
    DateTime date, time;
    if (!tryEncodeDate(static_cast<std::int32_t>(u >> 25) + 1980,
                       static_cast<std::int32_t>((u >> 21) & 15),
                       static_cast<std::int32_t>((u >> 16) & 31), date) ||
        !tryEncodeTime(static_cast<std::int32_t>((u >> 11) & 31),
                       static_cast<std::int32_t>((u >> 5) & 63),
                       static_cast<std::int32_t>((u & 31) * 2), 0, time))
        return DateTime{0};
    return DateTime{date.days + time.days};
}

std::int32_t fileAge(std::string_view name) {
    const fs::path host = hostOf(name);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    DateTime date, time;
    if (!tryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date) ||
        !tryEncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), 0, time))
        return -1;
    return dateTimeToFileDate(DateTime{date.days + time.days});
}

std::int32_t fileGetAttr(std::string_view name) {
    const fs::path host = hostOf(name);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0) return -1;
    std::int32_t attributes = S_ISDIR(st.st_mode) ? kFaDirectory : kFaArchive;
    if (!(st.st_mode & S_IWUSR)) attributes |= kFaReadOnly;
    const std::string file = host.filename().string();
    if (!file.empty() && file[0] == '.' && file != "." && file != "..") attributes |= kFaHidden;
    return attributes;
}

std::int32_t fileSetAttr(std::string_view name, std::int32_t attributes) {
    const fs::path host = hostOf(name);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0) return ENOENT;
    // Only the read-only switch has a counterpart here: the owner's write permission.
    mode_t mode = st.st_mode & 07777;
    if (attributes & kFaReadOnly)
        mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
    else
        mode |= S_IWUSR;
    return ::chmod(host.c_str(), mode) == 0 ? 0 : errno;
}

} // namespace vorlan::stdlib
