#pragma once
// Which program folders live on a database server: the [Server] group of the settings file maps
// a folder as programs name it (F:\UCTO) to a connection URL (postgresql://ucto@server/ucto).
// Tables under such a folder are tables of that database; their name is the file name without
// its extension, in lower case.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::pgsql {

struct ServerTable {
    std::string url;
    std::string table; // UTF-8, lower case: the table's name in the database
};

class ServerMap {
public:
    // `folder` is a program path (Windows-1250, either separator, any case).
    void add(std::string_view folder, std::string url);
    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }
    // The table a program path stands for when it lies under a mapped folder (the longest
    // match wins).
    std::optional<ServerTable> find(std::string_view programPath) const;
    // The same for a host path: each mapped folder is taken through the path mapper first.
    std::optional<ServerTable> findHost(const std::filesystem::path& hostPath) const;
    // Reads the [Server] group of an INI file (UTF-8 text); answers how many folders it mapped.
    // A missing file maps nothing.
    int load(const std::filesystem::path& iniFile);

private:
    struct Entry {
        std::string folder; // upper case, backslashes, no trailing separator
        std::string url;
    };
    std::vector<Entry> entries_;
};

// A table name as the database knows it: the file name of `path` without folder and extension,
// lower case, UTF-8.
std::string tableNameOf(std::string_view programPath);

} // namespace vorlan::pgsql
