#pragma once
// Server tables behind the table engine interface: every table whose path lies under a folder
// mapped in the [Server] group of the settings file opens in that folder's database, so that
// the data layer, scripts and windows reach it as they reach a table file.

#include "pgsql/server_map.h"
#include "tables/engine_registry.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace vorlan::pgsql {

class Connection;

class ServerEngine final : public tables::TableEngine, public tables::TableDirectory {
public:
    explicit ServerEngine(ServerMap map) : map_(std::move(map)) {}

    std::string name() const override { return "pgsql"; }
    bool handles(const std::filesystem::path& path) const override;
    bool exists(const std::filesystem::path& path) override;
    std::unique_ptr<tables::EngineTable> open(const std::filesystem::path& path,
                                              const tables::OpenOptions& options) override;
    void create(const std::filesystem::path& path, const std::vector<tables::FieldSpec>& fields,
                tables::Flavor flavor) override;
    void createStructureTable(const std::filesystem::path& target, tables::Flavor flavor) override;
    void createFromStructure(const std::filesystem::path& structure,
                             const std::filesystem::path& target, tables::Flavor flavor) override;
    void applySettings(const tables::EngineSettings& settings) override;

private:
    // The database and table name of a path this engine handles.
    ServerTable locate(const std::filesystem::path& path) const;
    std::shared_ptr<Connection> connection(const std::string& url);

    ServerMap map_;
    // Kept for the life of the engine, so that asking whether a table exists does not connect
    // anew each time.
    std::map<std::string, std::shared_ptr<Connection>> connections_;
};

// Registers a server engine for the [Server] group of an INI file when it maps any folder;
// answers how many folders it maps.
int registerServerTables(const std::filesystem::path& iniFile);

} // namespace vorlan::pgsql
