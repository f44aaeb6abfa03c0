#include "data/dbf_engine.h"

#include "dbf/progress.h"
#include "dbf/settings.h"
#include "dbf/table.h"
#include "dbf/table_ops.h"
#include "tables/engine_registry.h"

namespace vorlan::data {

namespace {

dbf::TableFlavor toDbf(tables::Flavor flavor) {
    switch (flavor) {
    case tables::Flavor::DBase3:
        return dbf::TableFlavor::DBase3;
    case tables::Flavor::VisualFoxPro:
        return dbf::TableFlavor::VisualFoxPro;
    case tables::Flavor::FoxPro:
        break;
    }
    return dbf::TableFlavor::FoxPro;
}

dbf::IndexOptions toDbf(const tables::IndexOptions& o) {
    dbf::IndexOptions out;
    out.unique = o.unique;
    out.descending = o.descending;
    out.forExpr = o.forExpr;
    return out;
}

int typeCode(dbf::IndexKind kind) {
    switch (kind) {
    case dbf::IndexKind::Ntx:
        return 4;
    case dbf::IndexKind::Idx:
        return 5;
    case dbf::IndexKind::Cdx:
        return 7;
    }
    return 0;
}

tables::ExprValue fromDbf(const dbf::XValue& v) {
    tables::ExprValue out;
    out.kind = static_cast<tables::ValueKind>(v.type);
    out.text = v.str;
    out.number = v.num;
    out.date = v.date;
    out.logical = v.type == dbf::ValueType::Logical && v.log;
    return out;
}

class DbfTable final : public tables::EngineTable {
public:
    explicit DbfTable(std::unique_ptr<dbf::Table> table) : t_(std::move(table)) {
        for (int i = 0; i < t_->fieldCount(); ++i) {
            const dbf::FieldInfo& f = t_->field(i);
            fields_.push_back({f.name, f.type, f.width, f.decimals, f.offset});
        }
    }

    void close() override { t_->close(); }

    const std::filesystem::path& path() const override { return t_->path(); }
    const std::string& alias() const override { return t_->alias(); }
    void setAlias(std::string alias) override { t_->setAlias(std::move(alias)); }
    int fieldCount() const override { return static_cast<int>(fields_.size()); }
    const tables::FieldDesc& field(int index) const override {
        return fields_.at(static_cast<std::size_t>(index));
    }
    int fieldIndex(std::string_view name) const override { return t_->fieldIndex(name); }
    bool readOnly() const override { return t_->readOnly(); }
    tables::Flavor flavor() const override {
        switch (dbf::flavorOf(*t_)) {
        case dbf::TableFlavor::DBase3:
            return tables::Flavor::DBase3;
        case dbf::TableFlavor::VisualFoxPro:
            return tables::Flavor::VisualFoxPro;
        case dbf::TableFlavor::FoxPro:
            break;
        }
        return tables::Flavor::FoxPro;
    }
    int recordSize() const override { return t_->recordSize(); }
    std::int32_t lastUpdate() const override { return t_->lastUpdate(); }

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

    void setString(int field, std::string_view text) override {
        t_->setString(field, text);
        written();
    }
    void setNumber(int field, double value) override {
        t_->setNumber(field, value);
        written();
    }
    void setLogical(int field, bool value) override {
        t_->setLogical(field, value);
        written();
    }
    void setDate(int field, std::int32_t jd) override {
        t_->setDate(field, jd);
        written();
    }
    void setMemo(int field, std::string_view data, bool binary) override {
        t_->setMemo(field, data, binary);
        written();
    }
    void setFromText(int field, std::string_view text) override {
        t_->setFromText(field, text);
        written();
    }
    void setBlank(int field) override {
        t_->setRaw(field, std::string(static_cast<std::size_t>(t_->field(field).width), ' '));
        written();
    }

    void append() override {
        t_->append();
        written();
    }
    void deleteRecord() override {
        t_->deleteRecord();
        written();
    }
    void recall() override {
        t_->recall();
        written();
    }
    void flush() override { t_->flush(); }
    void commit() override { t_->commit(); }
    void pack() override {
        t_->pack();
        notifyChange({tables::TableChange::Kind::Records, 0});
    }
    void zap() override {
        t_->zap();
        notifyChange({tables::TableChange::Kind::Records, 0});
    }

    int indexCount() const override { return t_->indexCount(); }
    int order() const override { return t_->order(); }
    void setOrder(int order) override { t_->setOrder(order); }
    int orderOf(std::string_view tag) const override { return t_->orderOf(tag); }
    tables::OrderInfo orderInfo(int order) const override {
        if (order < 1 || order > t_->indexCount()) return {};
        const dbf::Index& ix = t_->index(order);
        return {ix.tagName(),        ix.path(),   ix.keyExpr(),   ix.forExpr(),
                typeCode(ix.kind()), ix.unique(), ix.descending()};
    }
    void createIndex(const std::filesystem::path& path, const std::string& keyExpr,
                     const tables::IndexOptions& options) override {
        t_->createIndex(path, keyExpr, toDbf(options));
        ordersChanged();
    }
    void createTag(const std::string& tag, const std::string& keyExpr,
                   const tables::IndexOptions& options, std::filesystem::path file) override {
        t_->createTag(tag, keyExpr, toDbf(options), std::move(file));
        ordersChanged();
    }
    void openIndex(const std::filesystem::path& path) override {
        t_->openIndex(path);
        ordersChanged();
    }
    void closeIndexes() override {
        t_->closeIndexes();
        ordersChanged();
    }
    void closeIndex(int order) override {
        t_->closeIndex(order);
        ordersChanged();
    }
    void reindex() override {
        t_->reindex();
        ordersChanged();
    }
    bool addCurrentKey(int order) override { return t_->addCurrentKey(order); }
    bool dropCurrentKey(int order) override { return t_->dropCurrentKey(order); }

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

    bool lockRecord(std::uint32_t recno) override { return t_->lockRecord(recno); }
    bool lockFile() override { return t_->lockFile(); }
    void unlock(std::uint32_t recno) override { t_->unlock(recno); }
    bool isLocked(std::uint32_t recno) const override { return t_->isLocked(recno); }
    bool fileLocked() const override { return t_->fileLocked(); }

    void copyStructure(const std::filesystem::path& target) override {
        dbf::copyStructure(*t_, target);
    }
    void copyStructureExtended(const std::filesystem::path& target) override {
        dbf::copyStructureExtended(*t_, target);
    }
    std::uint32_t copyRecords(const std::filesystem::path& target) override {
        return dbf::copyRecords(*t_, target);
    }
    std::uint32_t appendFrom(const std::filesystem::path& from,
                             std::string_view condition) override {
        const std::uint32_t n = dbf::appendFrom(*t_, from, condition);
        if (n > 0) notifyChange({tables::TableChange::Kind::Records, 0});
        return n;
    }
    std::uint32_t copyToText(const std::filesystem::path& target,
                             tables::TextFormat format) override {
        return dbf::copyToText(*t_, target, static_cast<dbf::TextFormat>(format));
    }

private:
    void written() const { notifyChange({tables::TableChange::Kind::Record, t_->recNo()}); }
    void ordersChanged() const { notifyChange({tables::TableChange::Kind::Orders, 0}); }

    std::unique_ptr<dbf::Table> t_;
    std::vector<tables::FieldDesc> fields_;
};

class DbfEngine final : public tables::TableEngine {
public:
    DbfEngine() {
        // The engine's own progress reports go to whoever listens to the boundary's.
        dbf::setProgressListener([](int percent) { tables::reportProgress(percent); });
    }

    std::string name() const override { return "dbf"; }
    bool handles(const std::filesystem::path& /*path*/) const override { return true; }
    std::unique_ptr<tables::EngineTable> open(const std::filesystem::path& path,
                                              const tables::OpenOptions& options) override {
        dbf::OpenOptions o;
        o.readOnly = options.readOnly;
        o.exclusive = options.exclusive;
        return std::make_unique<DbfTable>(dbf::Table::open(path, o));
    }
    void create(const std::filesystem::path& path, const std::vector<tables::FieldSpec>& fields,
                tables::Flavor flavor) override {
        std::vector<dbf::FieldSpec> specs;
        specs.reserve(fields.size());
        for (const auto& f : fields)
            specs.push_back({f.name, f.type, f.width, f.decimals});
        dbf::CreateOptions options;
        options.flavor = toDbf(flavor);
        dbf::Table::create(path, specs, options)->close();
    }
    void createStructureTable(const std::filesystem::path& target, tables::Flavor flavor) override {
        dbf::createStructureTable(target, toDbf(flavor));
    }
    void createFromStructure(const std::filesystem::path& structure,
                             const std::filesystem::path& target, tables::Flavor flavor) override {
        dbf::createFromStructure(structure, target, toDbf(flavor));
    }
    void applySettings(const tables::EngineSettings& s) override {
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
};

} // namespace

std::shared_ptr<tables::TableEngine> dbfEngine() {
    static const std::shared_ptr<tables::TableEngine> engine = std::make_shared<DbfEngine>();
    return engine;
}

} // namespace vorlan::data
