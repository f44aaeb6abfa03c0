#pragma once
// The table engines of the process. The application registers the engines it is built with at
// start-up; the data layer asks engineFor(path) whenever it opens or creates a table. Engines
// registered as the fallback (the data layer's DBF engine) answer for every path the others
// do not claim. Also the engine-wide settings, handed to every engine, and the progress of long
// engine work (packs, index builds, copies) that a front end shows.

#include "tables/table_engine.h"

#include <functional>
#include <memory>

namespace vorlan::tables {

// Engines registered later are asked first; fallbacks after every other engine. Registering
// hands the engine the current settings.
void registerEngine(std::shared_ptr<TableEngine> engine, bool fallback = false);
void unregisterEngine(const TableEngine& engine);
// The engine of a table path; throws EngineError when no engine takes it.
TableEngine& engineFor(const std::filesystem::path& path);

// Engines whose tables are not files (tables in a database) also implement this, to say
// whether a table is there; for the other engines a table is there when its file is.
class TableDirectory {
public:
    virtual ~TableDirectory() = default;
    // Throws EngineError when that cannot be told (a server out of reach).
    virtual bool exists(const std::filesystem::path& path) = 0;
};
// Whether the table of a path is there, asked of the engine that opens it.
bool tableExists(const std::filesystem::path& path);

// The current settings, and a change handed to every registered engine.
const EngineSettings& settings();
void applySettings(const EngineSettings& settings);

// Called with 0..100 while long work runs and with -1 when it is over (also after an error).
using ProgressListener = std::function<void(int percent)>;
// Installs the listener and answers the previous one; an empty function removes it.
ProgressListener setProgressListener(ProgressListener listener);
// What engines call; whole percentages only when they change.
void reportProgress(int percent);

} // namespace vorlan::tables
