#include "tables/engine_registry.h"
#include "core/cp1250.h"

#include <algorithm>
#include <vector>

namespace vorlan::tables {

namespace {

struct Registered {
    std::shared_ptr<TableEngine> engine;
    bool fallback = false;
};

std::vector<Registered>& registered() {
    static std::vector<Registered> engines;
    return engines;
}

EngineSettings& currentSettings() {
    static EngineSettings s;
    return s;
}

ProgressListener& progressListener() {
    static ProgressListener listener;
    return listener;
}

} // namespace

void registerEngine(std::shared_ptr<TableEngine> engine, bool fallback) {
    if (!engine) return;
    unregisterEngine(*engine);
    engine->applySettings(currentSettings());
    registered().insert(registered().begin(), Registered{std::move(engine), fallback});
}

void unregisterEngine(const TableEngine& engine) {
    auto& all = registered();
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](const Registered& r) { return r.engine.get() == &engine; }),
              all.end());
}

TableEngine& engineFor(const std::filesystem::path& path) {
    for (const bool fallback : {false, true}) {
        for (const Registered& r : registered()) {
            if (r.fallback == fallback && r.engine->handles(path)) return *r.engine;
        }
    }
    throw EngineError(czech("žádný druh tabulek neumí otevřít ") + utf8ToCp1250(path.string()));
}

bool tableExists(const std::filesystem::path& path) {
    TableEngine& engine = engineFor(path);
    if (auto* directory = dynamic_cast<TableDirectory*>(&engine)) return directory->exists(path);
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

const EngineSettings& settings() {
    return currentSettings();
}

void applySettings(const EngineSettings& settings) {
    currentSettings() = settings;
    for (const Registered& r : registered()) {
        r.engine->applySettings(settings);
    }
}

ProgressListener setProgressListener(ProgressListener listener) {
    return std::exchange(progressListener(), std::move(listener));
}

void reportProgress(int percent) {
    if (progressListener()) progressListener()(percent);
}

} // namespace vorlan::tables
