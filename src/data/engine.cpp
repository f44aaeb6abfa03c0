#include "data/engine.h"

#include "core/cp1250.h"
#include "core/field_name.h"
#include "data/dbf_engine.h"
#include "dbf/xbase_text.h"
#include "tables/engine_registry.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vorlan::data {

tables::Flavor flavorOfDriver(int driver) {
    switch (driver) {
    case 1:
        return tables::Flavor::DBase3;
    case 3:
        return tables::Flavor::VisualFoxPro;
    default:
        return tables::Flavor::FoxPro;
    }
}

Engine& engine() {
    static Engine instance;
    return instance;
}

Engine::Engine() {
    tables::registerEngine(dbfEngine(), true);
}

int Engine::select(int area) {
    const int previous = current_;
    if (area >= 1 && area <= kMaxAreas) {
        current_ = area;
    }
    return previous;
}

tables::EngineTable* Engine::table(int area) const {
    const auto it = areas_.find(area == 0 ? current_ : area);
    return it == areas_.end() ? nullptr : it->second.get();
}

int Engine::areaOf(std::string_view alias) const {
    for (const auto& [area, t] : areas_) {
        if (equalsNoCase(t->alias(), alias)) {
            return area;
        }
    }
    return 0;
}

int Engine::freeArea() const {
    for (int a = 1; a <= kMaxAreas; ++a) {
        if (table(a) == nullptr && pending_.count(a) == 0) {
            return a;
        }
    }
    return 0;
}

int Engine::openTable(const std::filesystem::path& path, std::string alias,
                      const tables::OpenOptions& options, int area) {
    if (area == 0) {
        area = freeArea();
        if (area == 0) {
            throw tables::EngineError(czech("není volná pracovní oblast"));
        }
    } else if (area < 1 || area > kMaxAreas || table(area) != nullptr ||
               pending_.count(area) != 0) {
        throw tables::EngineError(czech("pracovní oblast ") + std::to_string(area) +
                                  czech(" není volná"));
    }
    if (alias.empty()) {
        // Programs see aliases in their own code page, not in the host's UTF-8.
        alias = utf8ToCp1250(path.stem().string());
    }
    // Two programs may well open tables of one name from two folders: the second one gets a
    // distinct alias instead of a failure.
    if (areaOf(alias) != 0) {
        alias += "_" + std::to_string(area);
    }
    auto table = tables::engineFor(path).open(path, options);
    table->setAlias(std::move(alias));
    areas_[area] = std::move(table);
    return area;
}

void Engine::closeArea(int area) {
    if (area < 1 || area > kMaxAreas) {
        return;
    }
    turbo_.erase(area);
    relations_.erase(area);
    for (auto it = relations_.begin(); it != relations_.end();) {
        it = it->second.child == area ? relations_.erase(it) : std::next(it);
    }
    const auto it = areas_.find(area);
    if (it == areas_.end()) {
        return;
    }
    std::unique_ptr<tables::EngineTable> table = std::move(it->second);
    areas_.erase(it);
    table->close();
}

void Engine::closeAll() {
    while (!areas_.empty()) {
        closeArea(areas_.begin()->first);
    }
    pending_.clear();
}

int Engine::errorLevel(int level) {
    const int previous = errorLevel_;
    errorLevel_ = level;
    return previous;
}

void Engine::setTurboRead(int area, bool on) {
    if (on) {
        turbo_.insert(area);
    } else {
        turbo_.erase(area);
    }
}

bool Engine::turboRead(int area) const {
    return turbo_.count(area) > 0;
}

std::string Engine::version() {
    return "VORLAN DBF engine 1.0";
}

// ---- New tables -----------------------------------------------------------------------------

int Engine::createNew(const std::filesystem::path& path, std::string alias, int driver,
                      int fieldCount) {
    const int area = freeArea();
    if (area == 0 || path.empty()) {
        return 0;
    }
    PendingTable pending;
    pending.path = path;
    pending.alias = std::move(alias);
    pending.flavor = flavorOfDriver(driver);
    if (fieldCount > 0) {
        pending.fields.reserve(static_cast<std::size_t>(fieldCount));
    }
    pending_[area] = std::move(pending);
    return area;
}

bool Engine::createField(std::string_view name, char type, int width, int decimals) {
    const auto it = pending_.find(current());
    if (it == pending_.end() || name.empty() || name.size() > 10) {
        return false;
    }
    type = static_cast<char>(cp1250Upper(static_cast<unsigned char>(type)));
    for (const auto& f : it->second.fields) {
        if (sameFieldName(f.name, name)) {
            return false;
        }
    }
    const bool modern = it->second.flavor == tables::Flavor::VisualFoxPro;
    switch (type) {
    case 'C':
        if (width < 1 || width > 254) return false;
        decimals = 0;
        break;
    case 'N':
    case 'F':
        if (width < 1 || width > 20 || decimals < 0 || (decimals > 0 && decimals > width - 2))
            return false;
        break;
    case 'D':
    case 'L':
    case 'M':
    case 'G':
    case 'P':
        // Fixed widths: whatever the caller passed, the type decides.
        width = 0;
        decimals = 0;
        break;
    case 'I':
    case 'B':
    case 'Y':
    case 'T':
        if (!modern) return false;
        width = 0;
        decimals = type == 'B' ? std::clamp(decimals, 0, 18) : 0;
        break;
    default:
        return false;
    }
    it->second.fields.push_back(tables::FieldSpec{std::string(name), type, width, decimals});
    return true;
}

bool Engine::createExec() {
    const auto it = pending_.find(current());
    if (it == pending_.end()) {
        return false;
    }
    PendingTable pending = std::move(it->second);
    pending_.erase(it);
    if (pending.fields.empty()) {
        lastError_ = czech("tabulka potřebuje aspoň jednu položku");
        return false;
    }
    try {
        tables::engineFor(pending.path).create(pending.path, pending.fields, pending.flavor);
        return true;
    } catch (const tables::EngineError& e) {
        lastError_ = e.what();
        return false;
    }
}

// ---- Relations ------------------------------------------------------------------------------

void Engine::setRelation(int parent, int child, std::string expression) {
    for (auto it = relations_.lower_bound(parent); it != relations_.upper_bound(parent);) {
        it = it->second.child == child ? relations_.erase(it) : std::next(it);
    }
    if (!expression.empty()) {
        relations_.emplace(parent, Relation{child, std::move(expression)});
    }
}

void Engine::followRelations(int parent) {
    std::set<int> visited;
    followRelations(parent, visited);
}

void Engine::followRelations(int parent, std::set<int>& visited) {
    tables::EngineTable* from = table(parent);
    // Relations may form a ring (A moves B, B moves A): each area moves once per move.
    if (from == nullptr || !visited.insert(parent).second) {
        return;
    }
    const auto range = relations_.equal_range(parent);
    std::vector<Relation> todo;
    for (auto it = range.first; it != range.second; ++it) {
        todo.push_back(it->second);
    }
    for (const Relation& r : todo) {
        tables::EngineTable* child = table(r.child);
        if (child == nullptr) {
            continue;
        }
        if (from->eof()) {
            child->goTo(child->recordCount() + 1);
        } else {
            const tables::ExprValue v = from->evaluate(r.expression);
            if (child->order() > 0) {
                std::string key;
                if (v.kind == tables::ValueKind::Char) {
                    key = v.text;
                } else if (v.kind == tables::ValueKind::Date) {
                    key = dbf::dateToDtos(v.date);
                } else if (v.kind == tables::ValueKind::Numeric) {
                    key = std::string(dbf::trimLeft(dbf::formatNumber(v.number, 20, 6)));
                }
                child->seek(key, false);
            } else {
                child->goTo(v.kind == tables::ValueKind::Numeric
                                ? static_cast<std::uint32_t>(v.number)
                                : 0);
            }
        }
        followRelations(r.child, visited);
    }
}

// ---- Operations on one table ----------------------------------------------------------------

namespace engine_ops {

std::string dateString(const tables::EngineTable& table, int field) {
    const std::int32_t jd = table.getDate(field);
    return jd == 0 ? dbf::emptyDateText() : dbf::dateToText(jd);
}

std::string baseDate(const tables::EngineTable& table) {
    return dbf::dateToText(table.lastUpdate());
}

std::string descend(std::string_view key) {
    std::string out(key);
    for (auto& c : out) {
        c = static_cast<char>(256 - static_cast<unsigned char>(c));
    }
    return out;
}

bool blobToFile(const tables::EngineTable& table, int field, const std::filesystem::path& file) {
    const std::string data = table.getMemo(field);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

bool fileToBlob(tables::EngineTable& table, int field, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    table.setMemo(field, data, true);
    return true;
}

int evalType(tables::EngineTable& table, std::string_view expr) {
    return table.expressionType(expr);
}

int indexTypeCode(tables::EngineTable& table, int order) {
    if (order < 1 || order > table.indexCount()) {
        return 0;
    }
    return table.orderInfo(order).typeCode;
}

namespace {

std::vector<std::string> splitDelimited(std::string_view line) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else {
                cur += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.push_back(std::move(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(std::move(cur));
    return out;
}

bool isMemo(char type) {
    return type == 'M' || type == 'G' || type == 'P';
}

} // namespace

std::uint32_t appendFromText(tables::EngineTable& target, const std::filesystem::path& from,
                             tables::TextFormat format) {
    std::ifstream in(from, std::ios::binary);
    if (!in) {
        throw tables::EngineError(czech("nelze otevřít ") + utf8ToCp1250(from.string()));
    }
    std::uint32_t appended = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // The end-of-file mark of old text files.
        if (line.empty() || line == "\x1A") {
            continue;
        }
        std::vector<std::string> values;
        if (format == tables::TextFormat::Sdf) {
            std::size_t pos = 0;
            for (int f = 0; f < target.fieldCount(); ++f) {
                const tables::FieldDesc& info = target.field(f);
                if (isMemo(info.type)) {
                    values.emplace_back();
                    continue;
                }
                values.push_back(pos < line.size()
                                     ? line.substr(pos, static_cast<std::size_t>(info.width))
                                     : std::string());
                pos += static_cast<std::size_t>(info.width);
            }
        } else {
            values = splitDelimited(line);
        }
        target.append();
        std::size_t v = 0;
        for (int f = 0; f < target.fieldCount() && v < values.size(); ++f) {
            const tables::FieldDesc& info = target.field(f);
            if (isMemo(info.type)) {
                if (format == tables::TextFormat::Sdf) {
                    ++v;
                }
                continue;
            }
            const std::string& text = values[v++];
            if (info.type == 'D') {
                target.setDate(f, dbf::dateFromDtos(dbf::trimLeft(text)));
            } else if (info.type == 'C') {
                target.setString(f, text);
            } else {
                target.setFromText(f, text);
            }
        }
        ++appended;
    }
    target.flush();
    return appended;
}

} // namespace engine_ops

} // namespace vorlan::data
