// Copying tables between a folder and a database.

#include "pgsql/transfer.h"

#include "core/cp1250.h"
#include "dbf/settings.h"
#include "dbf/table.h"
#include "pgsql/record_codec.h"
#include "pgsql/table.h"

#include <algorithm>
#include <map>

namespace vorlan::pgsql {

namespace fs = std::filesystem;
using dbf::DbfError;

namespace {

std::string upperExt(const fs::path& p) {
    return upperCase(p.extension().string());
}

// Settings that would hide records or change text while copying.
class PlainSettings {
public:
    PlainSettings() : saved_(dbf::settings()) {
        dbf::settings().hideDeleted = false;
        dbf::settings().exact = false;
    }
    ~PlainSettings() { dbf::settings() = saved_; }
    PlainSettings(const PlainSettings&) = delete;
    PlainSettings& operator=(const PlainSettings&) = delete;

private:
    dbf::Settings saved_;
};

std::size_t commonPrefix(const std::string& a, const std::string& b) {
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

std::string lineFor(const std::string& name, long long records,
                    const std::vector<std::string>& tags) {
    std::string line = name + ": " + std::to_string(records) + " záznamů";
    if (!tags.empty()) {
        line += ", pořadí";
        for (const auto& t : tags)
            line += " " + cp1250ToUtf8(t);
    }
    return line;
}

} // namespace

TransferReport importFolder(const fs::path& folder, const std::string& url, bool overwrite) {
    PlainSettings plain;
    std::vector<fs::path> tables, indexFiles;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (!e.is_regular_file()) continue;
        const std::string ext = upperExt(e.path());
        if (ext == ".DBF") tables.push_back(e.path());
        if (ext == ".NTX" || ext == ".IDX" || ext == ".CDX") indexFiles.push_back(e.path());
    }
    std::sort(tables.begin(), tables.end());
    std::sort(indexFiles.begin(), indexFiles.end());
    auto conn = connectionFor(url);
    std::map<std::string, fs::path> names;
    for (const auto& p : tables) {
        const std::string name = cp1250ToUtf8(lowerCase(utf8ToCp1250(p.stem().string())));
        names[name] = p;
        if (!overwrite && tableExists(*conn, name))
            throw DbfError(czech("Tabulka ") + utf8ToCp1250(name) +
                           czech(" v databázi už je (přepsat: --prepsat)"));
    }
    // Index files that are not a table's structural one go to the table whose fields their keys
    // name, the one with the most similar name first.
    std::map<fs::path, std::vector<fs::path>> extraIndexes;
    for (const auto& ix : indexFiles) {
        std::vector<fs::path> candidates = tables;
        const std::string stem = upperCase(ix.stem().string());
        bool structural = false;
        for (const auto& t : tables)
            if (upperExt(ix) == ".CDX" && upperCase(t.stem().string()) == stem) structural = true;
        if (structural) continue;
        std::stable_sort(candidates.begin(), candidates.end(),
                         [&](const fs::path& a, const fs::path& b) {
                             return commonPrefix(upperCase(a.stem().string()), stem) >
                                    commonPrefix(upperCase(b.stem().string()), stem);
                         });
        for (const auto& t : candidates) {
            try {
                auto probe = dbf::Table::open(t, {true, false});
                probe->openIndex(ix);
                extraIndexes[t].push_back(ix);
                break;
            } catch (const DbfError&) {
                // Its keys name fields this table lacks.
            }
        }
    }
    TransferReport report;
    for (const auto& [name, path] : names) {
        auto source = dbf::Table::open(path, {true, false});
        for (const auto& ix : extraIndexes[path])
            source->openIndex(ix);
        std::vector<dbf::FieldSpec> fields;
        for (int i = 0; i < source->fieldCount(); ++i) {
            const auto& f = source->field(i);
            fields.push_back({f.name, f.type, f.width, f.decimals});
        }
        Transaction t(*conn);
        if (tableExists(*conn, name)) dropTable(*conn, name);
        auto target = Table::create(conn, name, fields);
        std::vector<std::string> tags;
        for (int o = 1; o <= source->indexCount(); ++o) {
            const dbf::Index& ix = source->index(o);
            // Orders of the table's own compound file open with it; the others keep the name
            // of their file, which programs open by name.
            const bool own = equalsNoCase(utf8ToCp1250(ix.path().extension().string()), ".CDX") &&
                             equalsNoCase(utf8ToCp1250(ix.path().stem().string()),
                                          utf8ToCp1250(path.stem().string()));
            target->createOrder(
                {ix.tagName(), ix.keyExpr(), ix.forExpr(), ix.unique(), ix.descending(),
                 own ? std::string() : utf8ToCp1250(ix.path().filename().string())});
            tags.push_back(ix.tagName());
        }
        target->setOrder(0);
        const std::uint32_t n = source->recordCount();
        for (std::uint32_t r = 1; r <= n; ++r) {
            source->goTo(r);
            target->append();
            for (int i = 0; i < source->fieldCount(); ++i) {
                const char type = source->field(i).type;
                if (type == 'M' || type == 'G' || type == 'P') {
                    if (source->memoLength(i) > 0) target->setMemo(i, source->getMemo(i));
                } else {
                    target->setRaw(i, source->raw(i));
                }
            }
            if (source->deleted()) target->deleteRecord();
        }
        target->flush();
        target->close();
        t.commit();
        report.lines.push_back(lineFor(name, n, tags));
        ++report.tables;
        report.records += n;
    }
    return report;
}

TransferReport exportDatabase(const std::string& url, const fs::path& folder, bool overwrite) {
    PlainSettings plain;
    auto conn = connectionFor(url);
    const std::vector<std::string> names = tableNames(*conn);
    fs::create_directories(folder);
    auto fileOf = [&](const std::string& name, const char* ext) {
        return folder / (upperCase(name) + ext);
    };
    for (const auto& name : names)
        for (const char* ext : {".DBF", ".FPT", ".CDX"})
            if (!overwrite && fs::exists(fileOf(name, ext)))
                throw DbfError(czech("Soubor ") + utf8ToCp1250(fileOf(name, ext).string()) +
                               czech(" už existuje (přepsat: --prepsat)"));
    TransferReport report;
    for (const auto& name : names) {
        auto source = Table::open(conn, name);
        std::vector<dbf::FieldSpec> fields;
        dbf::CreateOptions options;
        for (int i = 0; i < source->fieldCount(); ++i) {
            const auto& f = source->field(i);
            fields.push_back({f.name, f.type, f.width, f.decimals});
            // Integer, double, currency and date-time fields live in the 0x30 family of files.
            if (isBinary(f.type)) options.flavor = dbf::TableFlavor::VisualFoxPro;
        }
        for (const char* ext : {".FPT", ".CDX"}) {
            std::error_code ec;
            fs::remove(fileOf(name, ext), ec);
        }
        auto target = dbf::Table::create(fileOf(name, ".DBF"), fields, options);
        std::uint32_t n = 0;
        for (source->goTop(); !source->eof(); source->skip()) {
            target->append();
            for (int i = 0; i < source->fieldCount(); ++i) {
                const char type = source->field(i).type;
                if (type == 'M' || type == 'G' || type == 'P') {
                    if (source->memoLength(i) > 0)
                        target->setMemo(i, source->getMemo(i), type != 'M');
                } else {
                    target->setRaw(i, source->raw(i));
                }
            }
            if (source->deleted()) target->deleteRecord();
            ++n;
        }
        std::vector<std::string> tags;
        for (int o = 1; o <= source->orderCount(); ++o) {
            const OrderSpec& s = source->orderSpec(o);
            target->createTag(s.tag, s.keyExpr, {s.unique, s.descending, s.forExpr});
            tags.push_back(s.tag);
        }
        target->close();
        report.lines.push_back(lineFor(name, n, tags));
        ++report.tables;
        report.records += n;
    }
    return report;
}

} // namespace vorlan::pgsql
