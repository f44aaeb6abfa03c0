#include "data/script/file_names.h"

#include "core/path_mapper.h"

namespace vorlan::data {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

std::size_t fileStart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1]) || (i == 2 && path[1] == ':')) return i;
    return 0;
}

} // namespace

std::string currentProgramDirectory() {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    return ec ? std::string() : pathMapper().toProgram(cwd);
}

std::string completeFileName(std::string_view name, std::string_view defaultExtension,
                             std::string_view directory) {
    name = trimmed(name);
    if (name.empty()) return {};
    std::string full;
    const bool hasFolder =
        name.find_first_of("\\/") != std::string_view::npos || (name.size() >= 2 && name[1] == ':');
    if (!hasFolder) {
        full.assign(directory);
        if (!full.empty() && !isSeparator(full.back())) full += '\\';
    }
    full += name;
    // Only the file part decides: a dot in a folder name ("C:\DATA.OLD\FIRMA") is no extension.
    if (full.find('.', fileStart(full)) == std::string::npos) full += defaultExtension;
    return full;
}

std::string completeFileName(std::string_view name, std::string_view defaultExtension) {
    return completeFileName(name, defaultExtension, currentProgramDirectory());
}

SplitName splitFileName(std::string_view programPath) {
    const std::size_t start = fileStart(programPath);
    SplitName split;
    split.file.assign(programPath.substr(start));
    std::string_view dir = programPath.substr(0, start);
    if (dir.size() > 1 && isSeparator(dir.back()) && !(dir.size() == 3 && dir[1] == ':'))
        dir.remove_suffix(1);
    split.directory.assign(dir);
    return split;
}

std::filesystem::path hostFileName(std::string_view programPath) {
    return pathMapper().toHostOrEmpty(programPath);
}

} // namespace vorlan::data
