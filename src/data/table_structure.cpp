#include "data/table_structure.h"

#include "core/cp1250.h"
#include "core/field_name.h"
#include "data/engine.h"
#include "tables/engine_registry.h"

#include <cctype>
#include <cstdlib>
#include <memory>
#include <system_error>

namespace vorlan::data {

namespace fs = std::filesystem;
using tables::EngineError;
using tables::EngineTable;
using tables::FieldSpec;

namespace {

std::string inQuotes(std::string_view name) {
    return czech("„") + std::string(name) + czech("“");
}

std::string shownName(const fs::path& path) {
    return utf8ToCp1250(path.filename().string());
}

} // namespace

bool isValidFieldName(std::string_view name) {
    if (name.empty() || name.size() > 10) return false;
    if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 || !(std::isalnum(b) || c == '_')) return false;
    }
    return true;
}

namespace {

std::string_view typesOf(tables::Flavor flavor) {
    switch (flavor) {
    case tables::Flavor::DBase3:
        return "CNFLDM";
    case tables::Flavor::FoxPro:
        return "CNFLDMG";
    case tables::Flavor::VisualFoxPro:
        return "CNFLDMGIBYT";
    }
    return "CNFLDM";
}

std::string fieldFault(const FieldSpec& f, tables::Flavor flavor) {
    if (!isValidFieldName(f.name))
        return czech("Jméno položky ") + inQuotes(f.name) +
               czech(" není platné: začíná písmenem, dál jen písmena bez diakritiky, číslice a "
                     "„_“, nejvýše 10 znaků.");
    const char type = static_cast<char>(std::toupper(static_cast<unsigned char>(f.type)));
    if (type == 0 || typesOf(flavor).find(type) == std::string_view::npos)
        return czech("Položka ") + inQuotes(f.name) + czech(" má typ ") + std::string(1, f.type) +
               czech(", který tabulka tohoto formátu nemůže mít.");
    if (type == 'C' && (f.width < 1 || f.width > 254))
        return czech("Znaková položka ") + inQuotes(f.name) + czech(" musí mít šířku 1 až 254.");
    if (type == 'N' || type == 'F') {
        if (f.width < 1 || f.width > 20)
            return czech("Číselná položka ") + inQuotes(f.name) + czech(" musí mít šířku 1 až 20.");
        if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.width - 2))
            return czech("Číselná položka ") + inQuotes(f.name) + czech(" šířky ") +
                   std::to_string(f.width) + czech(" může mít nejvýše ") +
                   std::to_string(std::max(0, f.width - 2)) + czech(" desetinných míst.");
    }
    return {};
}

bool isMemo(char type) {
    return type == 'M' || type == 'G' || type == 'P';
}

bool isNumeric(char type) {
    return type == 'N' || type == 'F' || type == 'I' || type == 'B' || type == 'Y';
}

std::string trimmed(std::string text) {
    const auto last = text.find_last_not_of(' ');
    text.erase(last == std::string::npos ? 0 : last + 1);
    const auto first = text.find_first_not_of(' ');
    text.erase(0, first == std::string::npos ? text.size() : first);
    return text;
}

// The value of a field as a user would type it: numbers and character fields without their
// padding, dates in the engine's date format, logicals as T or F, memos whole.
std::string textOf(const EngineTable& t, int field) {
    const char type = t.field(field).type;
    if (isMemo(type)) return t.getMemo(field);
    if (type == 'D') return engine_ops::dateString(t, field);
    if (type == 'L') return t.getLogical(field) ? "T" : "F";
    return trimmed(t.getString(field));
}

bool parseNumber(std::string text, double& out) {
    text = trimmed(std::move(text));
    for (char& c : text)
        if (c == ',') c = '.';
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0';
}

// Whether a number written into a field fits it: the engine fills a field it does not fit with
// asterisks.
bool numberFits(const EngineTable& t, int field) {
    const char type = t.field(field).type;
    return (type != 'N' && type != 'F') || t.getString(field).find('*') == std::string::npos;
}

// One value of the old record into a field of the new one; false when it did not fit there and
// the field was left blank.
bool copyValue(const EngineTable& from, int source, EngineTable& to, int target) {
    if (from.fieldEmpty(source)) return true;
    const char s = from.field(source).type;
    const tables::FieldDesc& desc = to.field(target);
    const char t = desc.type;
    try {
        if (isMemo(t)) {
            to.setMemo(target, textOf(from, source), isMemo(s) && s != 'M');
            return true;
        }
        if (t == 'C') {
            std::string text = s == 'C' ? from.getString(source) : textOf(from, source);
            const auto used = text.find_last_not_of(' ');
            const bool fits =
                used == std::string::npos || used < static_cast<std::size_t>(desc.width);
            to.setString(target, text);
            return fits;
        }
        if (isNumeric(t)) {
            double value = 0;
            if (isNumeric(s))
                value = from.getNumber(source);
            else if (s == 'L')
                value = from.getLogical(source) ? 1 : 0;
            else if (!parseNumber(textOf(from, source), value))
                return false;
            to.setNumber(target, value);
            if (numberFits(to, target)) return true;
            to.setBlank(target);
            return false;
        }
        if (t == 'L') {
            if (s == 'L') {
                to.setLogical(target, from.getLogical(source));
                return true;
            }
            if (isNumeric(s)) {
                to.setLogical(target, from.getNumber(source) != 0);
                return true;
            }
            const std::string text = upperCase(textOf(from, source));
            const char first = text.empty() ? ' ' : text[0];
            if (first == 'T' || first == 'Y' || first == 'A' || first == '1') {
                to.setLogical(target, true);
                return true;
            }
            if (first == 'F' || first == 'N' || first == '0') {
                to.setLogical(target, false);
                return true;
            }
            return false;
        }
        if (t == 'D' || t == 'T') {
            if (s == 'D' || s == 'T')
                to.setDate(target, from.getDate(source));
            else
                to.setFromText(target, textOf(from, source));
            if (to.getDate(target) != 0) return true;
            to.setBlank(target);
            return false;
        }
        to.setFromText(target, textOf(from, source));
        return true;
    } catch (const EngineError&) {
        to.setBlank(target);
        return false;
    }
}

bool sameNoCase(std::string_view a, std::string_view b) {
    return compareNoCase(a, b) == 0;
}

// A file beside `path` with the same stem and another extension, whatever its letter case;
// empty when there is none.
fs::path companion(const fs::path& path, std::string_view extension) {
    std::error_code ec;
    const std::string stem = path.stem().string();
    for (const auto& entry : fs::directory_iterator(path.parent_path(), ec)) {
        const fs::path& p = entry.path();
        if (sameNoCase(p.stem().string(), stem) && sameNoCase(p.extension().string(), extension))
            return p;
    }
    return {};
}

// A name beside the table's, in the letter case of its extension.
fs::path sibling(const fs::path& path, const std::string& stem, std::string_view extension) {
    const std::string ext = path.extension().string();
    const bool lower = !ext.empty() && std::islower(static_cast<unsigned char>(ext.back()));
    std::string tail(extension);
    if (lower)
        for (char& c : tail)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path.parent_path() / (stem + tail);
}

fs::path memoOf(const fs::path& table) {
    fs::path memo = companion(table, ".FPT");
    return memo.empty() ? companion(table, ".DBT") : memo;
}

// The table files of a stem: the table, its memo file and its structural index.
struct TableFiles {
    fs::path table, memo, index;
};

TableFiles filesOf(const fs::path& table) {
    return {table, memoOf(table), companion(table, ".CDX")};
}

// The scratch table the new structure is built in, beside the old one; its files are removed
// unless kept.
class ScratchTable {
public:
    explicit ScratchTable(const fs::path& table) {
        for (int n = 1;; ++n) {
            const std::string stem = "~" + table.stem().string() + std::to_string(n);
            path_ = sibling(table, stem, table.extension().string());
            if (!fs::exists(path_) && memoOf(path_).empty() && companion(path_, ".CDX").empty())
                break;
        }
    }
    ~ScratchTable() {
        if (kept_) return;
        const TableFiles files = filesOf(path_);
        std::error_code ec;
        for (const fs::path& p : {files.table, files.memo, files.index})
            if (!p.empty()) fs::remove(p, ec);
    }
    ScratchTable(const ScratchTable&) = delete;
    ScratchTable& operator=(const ScratchTable&) = delete;
    const fs::path& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    fs::path path_;
    bool kept_ = false;
};

void renameOrThrow(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec)
        throw EngineError(czech("Soubor ") + shownName(from) + czech(" nelze přejmenovat na ") +
                          shownName(to) + ": " + utf8ToCp1250(ec.message()));
}

std::vector<FieldSpec> specsOf(const std::vector<StructureField>& fields) {
    std::vector<FieldSpec> specs;
    specs.reserve(fields.size());
    for (const StructureField& f : fields)
        specs.push_back(f.spec);
    return specs;
}

// Hides the progress gauge however the work ends.
class ProgressShown {
public:
    ProgressShown() = default;
    ~ProgressShown() { tables::reportProgress(-1); }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;
};

// The records of `from` appended to `to` with the values of their source fields.
void copyRecords(EngineTable& from, EngineTable& to, const std::vector<StructureField>& fields,
                 StructureChange& change) {
    std::vector<std::pair<int, int>> pairs; // (source, target)
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (!fields[i].source.empty())
            pairs.emplace_back(from.fieldIndex(fields[i].source), static_cast<int>(i));
    const std::uint32_t count = from.recordCount();
    for (std::uint32_t recno = 1; recno <= count; ++recno) {
        from.goTo(recno);
        to.append();
        for (const auto& [source, target] : pairs)
            if (!copyValue(from, source, to, target)) ++change.valuesLost;
        if (from.deleted()) to.deleteRecord();
        ++change.records;
        if (count >= 100 && recno % (count / 100) == 0)
            tables::reportProgress(static_cast<int>(recno * 100ull / count));
    }
    to.flush();
}

// The tags of the old table's structural index made again on the new one; a tag whose key or
// condition the new fields cannot give is left out and named.
void copyTags(EngineTable& from, EngineTable& to, const fs::path& structuralIndex,
              StructureChange& change) {
    for (int order = 1; order <= from.indexCount(); ++order) {
        const tables::OrderInfo info = from.orderInfo(order);
        if (structuralIndex.empty() || info.path != structuralIndex) continue;
        const bool keyFits = to.expressionType(info.keyExpr) != 0;
        const bool conditionFits =
            info.forExpr.empty() ||
            to.expressionType(info.forExpr) == static_cast<int>(tables::ValueKind::Logical);
        if (!keyFits || !conditionFits) {
            change.droppedTags.push_back(info.tag);
            continue;
        }
        tables::IndexOptions options;
        options.unique = info.unique;
        options.descending = info.descending;
        options.forExpr = info.forExpr;
        try {
            to.createTag(info.tag, info.keyExpr, options);
        } catch (const EngineError&) {
            change.droppedTags.push_back(info.tag);
        }
    }
}

// A scratch table's companion file under the table's stem.
fs::path besideTable(const fs::path& table, const fs::path& scratchFile) {
    return table.parent_path() / (table.stem().string() + scratchFile.extension().string());
}

// The old files under their backup names and the new ones under the table's; put back as they
// were when a step fails.
void swapFiles(const TableFiles& old, const TableFiles& fresh, const fs::path& backupTable,
               const fs::path& backupMemo) {
    std::error_code ec;
    fs::remove(backupTable, ec);
    fs::remove(backupMemo, ec);
    std::vector<std::pair<fs::path, fs::path>> done; // renames to undo, last first
    try {
        renameOrThrow(old.table, backupTable);
        done.emplace_back(old.table, backupTable);
        if (!old.memo.empty()) {
            renameOrThrow(old.memo, backupMemo);
            done.emplace_back(old.memo, backupMemo);
        }
        renameOrThrow(fresh.table, old.table);
        done.emplace_back(fresh.table, old.table);
        if (!fresh.memo.empty()) {
            const fs::path memo = besideTable(old.table, fresh.memo);
            renameOrThrow(fresh.memo, memo);
            done.emplace_back(fresh.memo, memo);
        }
    } catch (const EngineError&) {
        for (auto it = done.rbegin(); it != done.rend(); ++it)
            fs::rename(it->second, it->first, ec);
        throw;
    }
    // The old structural index describes records that are gone: the new one replaces it, or
    // there is none when no tag was left.
    if (!fresh.index.empty()) {
        const fs::path index = besideTable(old.table, fresh.index);
        if (!old.index.empty() && old.index != index) fs::remove(old.index, ec);
        fs::rename(fresh.index, index, ec);
    } else if (!old.index.empty()) {
        fs::remove(old.index, ec);
    }
}

} // namespace

std::vector<StructureField> structureOf(const EngineTable& table) {
    std::vector<StructureField> out;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const tables::FieldDesc& f = table.field(i);
        out.push_back({{f.name, f.type, f.width, f.decimals}, f.name});
    }
    return out;
}

std::string fieldListFault(const std::vector<FieldSpec>& fields, tables::Flavor flavor) {
    if (fields.empty()) return czech("Tabulka potřebuje aspoň jednu položku.");
    if (fields.size() > 255) return czech("Tabulka může mít nejvýše 255 položek.");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (std::string fault = fieldFault(fields[i], flavor); !fault.empty()) return fault;
        for (std::size_t j = 0; j < i; ++j)
            if (sameFieldName(fields[j].name, fields[i].name))
                return czech("Položka ") + inQuotes(fields[i].name) +
                       czech(" je v seznamu dvakrát.");
    }
    return {};
}

void createTable(const fs::path& path, const std::vector<FieldSpec>& fields,
                 tables::Flavor flavor) {
    if (const std::string fault = fieldListFault(fields, flavor); !fault.empty())
        throw EngineError(fault);
    if (tables::tableExists(path))
        throw EngineError(czech("Tabulka ") + shownName(path) +
                          czech(" už existuje; zvolte jiné jméno."));
    tables::engineFor(path).create(path, fields, flavor);
}

StructureChange changeStructure(const fs::path& path, const std::vector<StructureField>& fields) {
    if (!fs::is_regular_file(path))
        throw EngineError(czech("Strukturu lze změnit jen u tabulky uložené v souboru: ") +
                          shownName(path));
    tables::TableEngine& engine = tables::engineFor(path);
    tables::OpenOptions exclusive;
    exclusive.exclusive = true;
    std::unique_ptr<EngineTable> old;
    try {
        old = engine.open(path, exclusive);
    } catch (const EngineError& e) {
        throw EngineError(czech("Tabulku ") + shownName(path) +
                          czech(" nelze otevřít výhradně (používá ji někdo jiný?): ") + e.what());
    }
    const std::vector<FieldSpec> specs = specsOf(fields);
    if (const std::string fault = fieldListFault(specs, old->flavor()); !fault.empty())
        throw EngineError(fault);
    for (const StructureField& f : fields)
        if (!f.source.empty() && old->fieldIndex(f.source) < 0)
            throw EngineError(czech("Tabulka nemá položku ") + inQuotes(f.source) + ".");

    const TableFiles oldFiles = filesOf(path);
    StructureChange change;
    ScratchTable scratch(path);
    {
        const ProgressShown progress;
        engine.create(scratch.path(), specs, old->flavor());
        std::unique_ptr<EngineTable> fresh = engine.open(scratch.path(), exclusive);
        copyRecords(*old, *fresh, fields, change);
        copyTags(*old, *fresh, oldFiles.index, change);
        fresh->close();
    }
    change.backup = sibling(path, path.stem().string(), ".BAK");
    swapFiles(oldFiles, filesOf(scratch.path()), change.backup,
              sibling(path, path.stem().string(), ".TBK"));
    scratch.keep();
    old->close();
    return change;
}

} // namespace vorlan::data
