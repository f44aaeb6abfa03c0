#pragma once
// Moving a folder of tables to a database and back: records with their deleted marks and memos,
// and the orders of their index files (the structural .CDX tags and the .NTX, .IDX and .CDX files
// beside the table whose fields their keys name).

#include <filesystem>
#include <string>
#include <vector>

namespace vorlan::pgsql {

struct TransferReport {
    // One line per table (UTF-8): its name, records and orders.
    std::vector<std::string> lines;
    int tables = 0;
    long long records = 0;
};

// Copies every table of `folder` into the database. A table the database has already is
// refused (dbf::DbfError, nothing copied) unless `overwrite`.
TransferReport importFolder(const std::filesystem::path& folder, const std::string& url,
                            bool overwrite);
// Writes every table of the database as NAME.DBF with its memo file and the orders as tags of
// its structural .CDX. Existing files are refused unless `overwrite`.
TransferReport exportDatabase(const std::string& url, const std::filesystem::path& folder,
                              bool overwrite);

} // namespace vorlan::pgsql
