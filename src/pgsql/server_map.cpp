// The [Server] group: program folders mapped to database connections.

#include "pgsql/server_map.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"

#include <fstream>

namespace vorlan::pgsql {

namespace {

std::string normalFolder(std::string_view path) {
    std::string s = upperCase(path);
    for (char& c : s)
        if (c == '/') c = '\\';
    while (s.size() > 1 && s.back() == '\\')
        s.pop_back();
    return s;
}

std::string trimmed(std::string_view s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

} // namespace

void ServerMap::add(std::string_view folder, std::string url) {
    entries_.push_back({normalFolder(folder), std::move(url)});
}

std::optional<ServerTable> ServerMap::find(std::string_view programPath) const {
    const std::string path = normalFolder(programPath);
    const Entry* best = nullptr;
    for (const auto& e : entries_) {
        if (path.size() <= e.folder.size() + 1) continue;
        if (path.compare(0, e.folder.size(), e.folder) != 0 || path[e.folder.size()] != '\\')
            continue;
        if (!best || e.folder.size() > best->folder.size()) best = &e;
    }
    if (!best) return std::nullopt;
    return ServerTable{best->url, tableNameOf(programPath)};
}

std::optional<ServerTable> ServerMap::findHost(const std::filesystem::path& hostPath) const {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(hostPath, ec);
    const std::string path = (ec ? hostPath : absolute).lexically_normal().generic_string();
    const Entry* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& e : entries_) {
        std::string folder =
            pathMapper().toHostOrEmpty(e.folder).lexically_normal().generic_string();
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        if (folder.empty() || path.size() <= folder.size() + 1 || path[folder.size()] != '/')
            continue;
        if (compareNoCase(utf8ToCp1250(path.substr(0, folder.size())), utf8ToCp1250(folder)) != 0)
            continue;
        if (!best || folder.size() > bestLength) {
            best = &e;
            bestLength = folder.size();
        }
    }
    if (!best) return std::nullopt;
    return ServerTable{best->url, tableNameOf(utf8ToCp1250(hostPath.filename().string()))};
}

int ServerMap::load(const std::filesystem::path& iniFile) {
    std::ifstream in(iniFile);
    std::string line;
    bool inGroup = false;
    int n = 0;
    while (std::getline(in, line)) {
        const std::string t = trimmed(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t.front() == '[') {
            inGroup = equalsNoCase(t, "[Server]");
            continue;
        }
        const auto eq = t.find('=');
        if (!inGroup || eq == std::string::npos) continue;
        const std::string folder = trimmed(std::string_view(t).substr(0, eq));
        const std::string url = trimmed(std::string_view(t).substr(eq + 1));
        if (folder.empty() || url.empty()) continue;
        add(utf8ToCp1250(folder), url);
        ++n;
    }
    return n;
}

std::string tableNameOf(std::string_view programPath) {
    std::string_view name = programPath;
    const auto slash = name.find_last_of("\\/");
    if (slash != std::string_view::npos) name = name.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return cp1250ToUtf8(lowerCase(name));
}

} // namespace vorlan::pgsql
