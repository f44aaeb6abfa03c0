// The server engine's tables as the data layer sees them. Orders of the table's own compound
// file open with the table; orders that belong to an index file of their own open when a
// program opens that file, as they would from files. The server keeps every order's keys
// current whether it is open or not.

#include "pgsql/server_engine.h"

#include "core/cp1250.h"
#include "dbf/settings.h"
#include "dbf/xbase_text.h"
#include "pgsql/record_codec.h"
#include "pgsql/table.h"
#include "tables/engine_registry.h"

#include <algorithm>
#include <fstream>

namespace vorlan::pgsql {

namespace {

namespace fs = std::filesystem;

tables::ExprValue fromDbf(const dbf::XValue& v) {
    tables::ExprValue out;
    out.kind = static_cast<tables::ValueKind>(v.type);
    out.text = v.str;
    out.number = v.num;
    out.date = v.date;
    out.logical = v.type == dbf::ValueType::Logical && v.log;
    return out;
}

std::string fileNameOf(const fs::path& path) {
    return upperCase(utf8ToCp1250(path.filename().string()));
}

std::string stemOf(const fs::path& path) {
    return upperCase(utf8ToCp1250(path.stem().string()));
}

bool isMemoType(char type) {
    return type == 'M' || type == 'G' || type == 'P';
}

// Copies the current record of `from` into the current record of `to`, field by field where
// the names match, converting through text where the types differ.
void copyFields(tables::EngineTable& from, tables::EngineTable& to) {
    for (int i = 0; i < from.fieldCount(); ++i) {
        const tables::FieldDesc& f = from.field(i);
        const int j = to.fieldIndex(f.name);
        if (j < 0) continue;
        const char type = to.field(j).type;
        if (isMemoType(f.type) || isMemoType(type)) {
            const std::string data = from.getMemo(i);
            if (!data.empty()) to.setMemo(j, data, f.type != 'M');
            continue;
        }
        if (from.fieldEmpty(i) && f.type != 'C') {
            to.setBlank(j);
        } else if (f.type == type) {
            switch (type) {
            case 'N':
            case 'F':
            case 'I':
            case 'B':
            case 'Y':
                to.setNumber(j, from.getNumber(i));
                break;
            case 'D':
            case 'T':
                to.setDate(j, from.getDate(i));
                break;
            case 'L':
                to.setLogical(j, from.getLogical(i));
                break;
            default:
                to.setString(j, from.getString(i));
            }
        } else if (f.type == 'D' || f.type == 'T') {
            to.setFromText(j, dbf::dateToText(from.getDate(i)));
        } else {
            to.setFromText(j, dbf::trimLeft(dbf::trimRight(from.getString(i))));
        }
    }
}

class MappedTable final : public tables::EngineTable {
public:
    MappedTable(std::unique_ptr<Table> table, fs::path path, bool readOnly)
        : t_(std::move(table)), path_(std::move(path)), readOnly_(readOnly) {
        for (int i = 0; i < t_->fieldCount(); ++i) {
            const dbf::FieldInfo& f = t_->field(i);
            fields_.push_back({f.name, f.type, f.width, f.decimals, f.offset});
            // Copies into table files need the file family that holds such fields.
            if (isBinary(f.type)) flavor_ = tables::Flavor::VisualFoxPro;
        }
        for (int o = 1; o <= t_->orderCount(); ++o)
            if (t_->orderSpec(o).file.empty()) open_.push_back(o);
        t_->setOrder(0);
        t_->setWriteListener([this](std::uint32_t recno, bool) {
            notifyChange({tables::TableChange::Kind::Record, recno});
        });
    }

    void close() override { t_->close(); }

    const fs::path& path() const override { return path_; }
    const std::string& alias() const override { return t_->alias(); }
    void setAlias(std::string alias) override { t_->setAlias(std::move(alias)); }
    int fieldCount() const override { return static_cast<int>(fields_.size()); }
    const tables::FieldDesc& field(int index) const override {
        return fields_.at(static_cast<std::size_t>(index));
    }
    int fieldIndex(std::string_view name) const override { return t_->fieldIndex(name); }
    bool readOnly() const override { return readOnly_; }
    tables::Flavor flavor() const override { return flavor_; }
    int recordSize() const override { return t_->recordSize(); }
    std::int32_t lastUpdate() const override { return dbf::today(); }

    std::uint32_t recordCount() const override { return t_->recordCount(); }
    std::uint32_t refreshCount() override {
        const std::uint32_t before = t_->recordCount();
        const std::uint32_t now = t_->refreshCount();
        if (now != before) notifyChange({tables::TableChange::Kind::Records, 0});
        return now;
    }
    std::uint32_t recNo() const override { return t_->recNo(); }
    bool bof() const override { return t_->bof(); }
    bool eof() const override { return t_->eof(); }
    void goTo(std::uint32_t recno) override { t_->goTo(recno); }
    void goTop() override { t_->goTop(); }
    void goBottom() override { t_->goBottom(); }
    void skip(long long count) override { t_->skip(count); }
    std::uint32_t count() override { return t_->count(); }

    std::string getString(int field) const override { return t_->getString(field); }
    double getNumber(int field) const override { return t_->getNumber(field); }
    bool getLogical(int field) const override { return t_->getLogical(field); }
    std::int32_t getDate(int field) const override { return t_->getDate(field); }
    std::string getMemo(int field) const override { return t_->getMemo(field); }
    std::uint32_t memoLength(int field) const override { return t_->memoLength(field); }
    bool fieldEmpty(int field) const override { return t_->fieldEmpty(field); }
    bool deleted() const override { return t_->deleted(); }

    // Changes are reported when the record reaches the server (the write listener), as the
    // DBF engine reports them when they reach the file.
    void setString(int field, std::string_view text) override {
        writable();
        t_->setString(field, text);
    }
    void setNumber(int field, double value) override {
        writable();
        t_->setNumber(field, value);
    }
    void setLogical(int field, bool value) override {
        writable();
        t_->setLogical(field, value);
    }
    void setDate(int field, std::int32_t jd) override {
        writable();
        t_->setDate(field, jd);
    }
    void setMemo(int field, std::string_view data, bool /*binary*/) override {
        writable();
        t_->setMemo(field, data);
    }
    void setFromText(int field, std::string_view text) override {
        writable();
        t_->setFromText(field, text);
    }
    void setBlank(int field) override {
        writable();
        const dbf::FieldInfo& f = t_->field(field);
        if (isMemoType(f.type))
            t_->setMemo(field, {});
        else
            t_->setRaw(field, std::string(static_cast<std::size_t>(f.width),
                                          isBinary(f.type) ? '\0' : ' '));
    }

    void append() override {
        writable();
        t_->append();
        notifyChange({tables::TableChange::Kind::Record, t_->recNo()});
    }
    void deleteRecord() override {
        writable();
        t_->deleteRecord();
    }
    void recall() override {
        writable();
        t_->recall();
    }
    void flush() override { t_->flush(); }
    void commit() override { t_->commit(); }
    void pack() override {
        writable();
        t_->pack();
        notifyChange({tables::TableChange::Kind::Records, 0});
    }
    void zap() override {
        writable();
        t_->zap();
        notifyChange({tables::TableChange::Kind::Records, 0});
    }

    int indexCount() const override { return static_cast<int>(open_.size()); }
    int order() const override {
        const auto it = std::find(open_.begin(), open_.end(), t_->order());
        return it == open_.end() ? 0 : static_cast<int>(it - open_.begin()) + 1;
    }
    void setOrder(int order) override {
        if (order < 0 || order > indexCount()) return;
        t_->setOrder(order == 0 ? 0 : open_[static_cast<std::size_t>(order - 1)]);
    }
    int orderOf(std::string_view tag) const override {
        const int own = t_->orderOf(tag);
        const auto it = std::find(open_.begin(), open_.end(), own);
        return own == 0 || it == open_.end() ? 0 : static_cast<int>(it - open_.begin()) + 1;
    }
    tables::OrderInfo orderInfo(int order) const override {
        if (order < 1 || order > indexCount()) return {};
        const OrderSpec& s = t_->orderSpec(open_[static_cast<std::size_t>(order - 1)]);
        fs::path file = path_;
        file.replace_extension(".CDX");
        int typeCode = 7;
        if (!s.file.empty()) {
            file = path_.parent_path() / cp1250ToUtf8(s.file);
            const std::string ext = upperCase(utf8ToCp1250(file.extension().string()));
            typeCode = ext == ".NTX" ? 4 : ext == ".IDX" ? 5 : 7;
        }
        return {s.tag, file, s.keyExpr, s.forExpr, typeCode, s.unique, s.descending};
    }
    void createIndex(const fs::path& path, const std::string& keyExpr,
                     const tables::IndexOptions& options) override {
        makeOrder(stemOf(path), keyExpr, options, fileNameOf(path));
    }
    void createTag(const std::string& tag, const std::string& keyExpr,
                   const tables::IndexOptions& options, fs::path file) override {
        std::string name;
        if (!file.empty() && !equalsNoCase(stemOf(file), stemOf(path_))) name = fileNameOf(file);
        if (!name.empty() && name.find('.') == std::string::npos) name += ".CDX";
        makeOrder(tag, keyExpr, options, name);
    }
    void openIndex(const fs::path& path) override {
        const std::string name = fileNameOf(path);
        const bool hasExtension = name.find('.') != std::string::npos;
        const bool ownFile = equalsNoCase(stemOf(path), stemOf(path_)) &&
                             (!hasExtension || equalsNoCase(name.substr(name.find('.')), ".CDX"));
        bool any = false;
        for (int o = 1; o <= t_->orderCount(); ++o) {
            const std::string& file = t_->orderSpec(o).file;
            const bool matches =
                file.empty()
                    ? ownFile
                    : equalsNoCase(file, name) ||
                          (!hasExtension && equalsNoCase(file.substr(0, file.find('.')), name));
            if (!matches) continue;
            any = true;
            if (std::find(open_.begin(), open_.end(), o) == open_.end()) open_.push_back(o);
        }
        if (!any) throw tables::EngineError(czech("index ") + name + czech(" v databázi není"));
        ordersChanged();
    }
    void closeIndexes() override {
        t_->setOrder(0);
        open_.clear();
        ordersChanged();
    }
    void closeIndex(int order) override {
        if (order < 1 || order > indexCount()) return;
        if (this->order() == order) t_->setOrder(0);
        open_.erase(open_.begin() + (order - 1));
        ordersChanged();
    }
    // The server keeps keys current as records are written: nothing to rebuild (keys added or
    // dropped by hand stay as they are).
    void reindex() override {
        t_->flush();
        ordersChanged();
    }
    bool addCurrentKey(int order) override { return changeKey(order, true); }
    bool dropCurrentKey(int order) override { return changeKey(order, false); }

    bool seek(std::string_view key) override { return t_->seek(key); }
    bool seek(std::string_view key, bool softSeek) override { return t_->seek(key, softSeek); }
    bool found() const override { return t_->found(); }
    std::string currentKey() override { return t_->currentKey(); }
    std::size_t keyPosition() override { return t_->keyPosition(); }
    void setScope(std::string_view top, std::string_view bottom) override {
        t_->setScope(top, bottom);
    }
    std::pair<std::string, std::string> scope() const override { return t_->scope(); }
    bool flipOrder() override { return t_->flipOrder(); }
    bool orderReversed() const override { return t_->orderReversed(); }

    void setFilter(std::string_view expr) override { t_->setFilter(expr); }
    const std::string& filter() const override { return t_->filter(); }
    bool markRecord(std::uint32_t recno, bool shown) override {
        return t_->markRecord(recno, shown);
    }
    bool passesQuery(std::uint32_t recno) override { return t_->passesQuery(recno); }
    std::uint32_t locate(std::string_view condition, bool continuing, bool backward) override {
        return t_->locate(condition, continuing, backward);
    }
    tables::ExprValue evaluate(std::string_view expr) override {
        return fromDbf(t_->evaluate(expr));
    }
    int expressionType(std::string_view expr) override {
        try {
            return static_cast<int>(dbf::Expression::compile(expr, t_.get()).type());
        } catch (const dbf::DbfError&) {
            return 0;
        }
    }

    void pollChanges() override {
        const std::vector<std::uint32_t> records = t_->pollChanges();
        if (records.empty()) return;
        if (records.front() == 0 || records.size() > 32) {
            notifyChange({tables::TableChange::Kind::Records, 0});
            return;
        }
        for (const std::uint32_t r : records)
            notifyChange({tables::TableChange::Kind::Record, r});
    }

    bool lockRecord(std::uint32_t recno) override { return t_->lockRecord(recno); }
    bool lockFile() override { return t_->lockFile(); }
    void unlock(std::uint32_t recno) override { t_->unlock(recno); }
    bool isLocked(std::uint32_t recno) const override { return t_->isLocked(recno); }
    bool fileLocked() const override { return t_->fileLocked(); }

    // Copies go through the engine of their target, so a server table copies into files and
    // into other server tables alike.
    void copyStructure(const fs::path& target) override {
        tables::engineFor(target).create(target, fieldSpecs(), flavor());
    }
    void copyStructureExtended(const fs::path& target) override {
        tables::TableEngine& engine = tables::engineFor(target);
        engine.createStructureTable(target, flavor());
        auto out = engine.open(target, {});
        for (const tables::FieldDesc& f : fields_) {
            out->append();
            out->setString(0, f.name);
            out->setString(1, std::string(1, f.type));
            out->setNumber(2, f.width);
            out->setNumber(3, f.decimals);
        }
        out->close();
    }
    std::uint32_t copyRecords(const fs::path& target) override {
        tables::TableEngine& engine = tables::engineFor(target);
        engine.create(target, fieldSpecs(), flavor());
        auto out = engine.open(target, {});
        std::uint32_t n = 0;
        for (t_->goTop(); !t_->eof(); t_->skip(1)) {
            out->append();
            copyFields(*this, *out);
            if (t_->deleted()) out->deleteRecord();
            ++n;
        }
        out->close();
        return n;
    }
    std::uint32_t appendFrom(const fs::path& from, std::string_view condition) override {
        writable();
        auto source = tables::engineFor(from).open(from, {true, false});
        const bool hide = dbf::settings().hideDeleted;
        // A table appended to itself stops at the records it had.
        const std::uint32_t last = source->recordCount();
        std::uint32_t n = 0;
        for (source->goTop(); !source->eof() && source->recNo() <= last; source->skip(1)) {
            if (hide && source->deleted()) continue;
            if (!condition.empty() && !source->evaluate(condition).logical) continue;
            t_->append();
            copyFields(*source, *this);
            ++n;
        }
        t_->flush();
        source->close();
        if (n > 0) notifyChange({tables::TableChange::Kind::Records, 0});
        return n;
    }
    std::uint32_t copyToText(const fs::path& target, tables::TextFormat format) override {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        if (!out) throw tables::EngineError(czech("nelze zapsat ") + utf8ToCp1250(target.string()));
        std::uint32_t n = 0;
        for (t_->goTop(); !t_->eof(); t_->skip(1)) {
            std::string line;
            bool first = true;
            for (int i = 0; i < t_->fieldCount(); ++i) {
                const dbf::FieldInfo& f = t_->field(i);
                if (isMemoType(f.type)) continue;
                std::string value;
                switch (f.type) {
                case 'T':
                    value = dbf::dateToDtos(t_->getDate(i));
                    break;
                case 'L':
                    value.assign(1, t_->fieldEmpty(i)
                                        ? (format == tables::TextFormat::Sdf ? ' ' : 'F')
                                        : (t_->getLogical(i) ? 'T' : 'F'));
                    break;
                case 'I':
                case 'B':
                case 'Y':
                    value = t_->getString(i);
                    break;
                default:
                    value = std::string(t_->raw(i));
                }
                if (format == tables::TextFormat::Sdf) {
                    line += value;
                    continue;
                }
                if (!first) line += ',';
                first = false;
                if (f.type == 'C')
                    line += '"' + std::string(dbf::trimRight(value)) + '"';
                else
                    line += dbf::trimLeft(dbf::trimRight(value));
            }
            out << line << "\r\n";
            ++n;
        }
        return n;
    }

private:
    void writable() const {
        if (readOnly_)
            throw tables::EngineError(czech("tabulka je otevřena jen pro čtení: ") +
                                      utf8ToCp1250(path_.string()));
    }
    bool changeKey(int order, bool add) {
        if (order < 1 || order > indexCount()) return false;
        return t_->changeCurrentKey(open_[static_cast<std::size_t>(order - 1)], add);
    }
    void ordersChanged() const { notifyChange({tables::TableChange::Kind::Orders, 0}); }
    std::vector<tables::FieldSpec> fieldSpecs() const {
        std::vector<tables::FieldSpec> specs;
        for (const tables::FieldDesc& f : fields_)
            specs.push_back({f.name, f.type, f.width, f.decimals});
        return specs;
    }
    void makeOrder(const std::string& tag, const std::string& keyExpr,
                   const tables::IndexOptions& options, const std::string& file) {
        OrderSpec spec{tag, keyExpr, options.forExpr, options.unique, options.descending, file};
        // A new order of a name in use replaces it (and its place among the open orders).
        const int old = t_->orderOf(tag);
        if (old > 0) {
            open_.erase(std::remove(open_.begin(), open_.end(), old), open_.end());
            for (int& o : open_)
                if (o > old) --o;
        }
        t_->createOrder(spec);
        open_.push_back(t_->orderCount());
        t_->setOrder(t_->orderCount());
        ordersChanged();
    }

    std::unique_ptr<Table> t_;
    fs::path path_;
    bool readOnly_ = false;
    tables::Flavor flavor_ = tables::Flavor::FoxPro;
    std::vector<tables::FieldDesc> fields_;
    std::vector<int> open_; // the table's orders open here, in the order they were opened
};

std::vector<dbf::FieldSpec> toDbf(const std::vector<tables::FieldSpec>& fields) {
    std::vector<dbf::FieldSpec> specs;
    specs.reserve(fields.size());
    for (const auto& f : fields)
        specs.push_back({f.name, f.type, f.width, f.decimals});
    return specs;
}

} // namespace

bool ServerEngine::handles(const fs::path& path) const {
    return map_.findHost(path).has_value();
}

ServerTable ServerEngine::locate(const fs::path& path) const {
    auto found = map_.findHost(path);
    if (!found)
        throw tables::EngineError(czech("tabulka ") + utf8ToCp1250(path.string()) +
                                  czech(" neleží ve složce na databázovém serveru"));
    return *found;
}

std::shared_ptr<Connection> ServerEngine::connection(const std::string& url) {
    auto& kept = connections_[url];
    if (!kept) kept = connectionFor(url);
    return kept;
}

bool ServerEngine::exists(const fs::path& path) {
    const ServerTable where = locate(path);
    return tableExists(*connection(where.url), where.table);
}

std::unique_ptr<tables::EngineTable> ServerEngine::open(const fs::path& path,
                                                        const tables::OpenOptions& options) {
    const ServerTable where = locate(path);
    auto table = Table::open(connection(where.url), where.table);
    if (options.exclusive && !options.readOnly && !table->lockFile())
        throw tables::EngineError(czech("tabulku používá jiný proces: ") +
                                  utf8ToCp1250(path.string()));
    return std::make_unique<MappedTable>(std::move(table), path, options.readOnly);
}

void ServerEngine::create(const fs::path& path, const std::vector<tables::FieldSpec>& fields,
                          tables::Flavor /*flavor*/) {
    const ServerTable where = locate(path);
    auto conn = connection(where.url);
    if (tableExists(*conn, where.table)) dropTable(*conn, where.table);
    Table::create(conn, where.table, toDbf(fields))->close();
}

void ServerEngine::createStructureTable(const fs::path& target, tables::Flavor flavor) {
    create(target,
           {{"FIELD_NAME", 'C', 10, 0},
            {"FIELD_TYPE", 'C', 1, 0},
            {"FIELD_LEN", 'N', 5, 0},
            {"FIELD_DEC", 'N', 3, 0}},
           flavor);
}

void ServerEngine::createFromStructure(const fs::path& structure, const fs::path& target,
                                       tables::Flavor flavor) {
    auto source = tables::engineFor(structure).open(structure, {true, false});
    std::vector<tables::FieldSpec> fields;
    for (source->goTo(1); !source->eof(); source->skip(1)) {
        fields.push_back({std::string(dbf::trimRight(source->getString(0))),
                          source->getString(1).empty() ? 'C' : source->getString(1)[0],
                          static_cast<int>(source->getNumber(2)),
                          static_cast<int>(source->getNumber(3))});
    }
    source->close();
    create(target, fields, flavor);
}

void ServerEngine::applySettings(const tables::EngineSettings& s) {
    // Server tables read the DBF engine's settings: they walk, seek and lock by the same rules.
    dbf::Settings& d = dbf::settings();
    d.exact = s.exact;
    d.century = s.century;
    d.epoch = s.epoch;
    d.dateFormat = static_cast<dbf::DateFormat>(s.dateFormat);
    d.softSeek = s.softSeek;
    d.hideDeleted = s.hideDeleted;
    d.lockTimeoutMs = s.lockTimeoutMs;
    d.memoBlockSize = s.memoBlockSize;
}

int registerServerTables(const fs::path& iniFile) {
    ServerMap map;
    const int n = map.load(iniFile);
    if (n > 0) tables::registerEngine(std::make_shared<ServerEngine>(std::move(map)));
    return n;
}

} // namespace vorlan::pgsql
