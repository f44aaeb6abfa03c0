#include "window_models/dbf/work_areas.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "data/engine.h"
#include "data/script/file_names.h"

namespace vorlan::windows {

std::shared_ptr<data::TDbfEnv> startUpEnvironment() {
    auto env = data::TDbfEnv::acquire();
    env->setCentury(true);
    env->setDateFormat(data::TDbfDateFormat::dfGerman);
    env->setSoftSeek(true);
    return env;
}

DbfWorkAreas::DbfWorkAreas() : env_(startUpEnvironment()) {
    for (Area& a : areas_) {
        a.table = std::make_unique<data::TDataTable>();
        // The engine's network switch, on for every area from the start.
        a.table->access().sysProp(1009, script::Value(1));
    }
}

DbfWorkAreas::~DbfWorkAreas() = default;

void DbfWorkAreas::setView(DbfAreaView* view) {
    view_ = view;
}

bool DbfWorkAreas::isOpen(int n) const {
    return n >= 1 && n <= kAreas && area(n).open;
}

void DbfWorkAreas::select(int n) {
    if (n < 1 || n > kAreas) return;
    selected_ = n;
    view().areaSelected(n);
}

data::TDataTable& DbfWorkAreas::table(int n) {
    return *area(n).table;
}

data::TDataTable* DbfWorkAreas::current() {
    Area& a = area(selected_);
    // A table closed behind the area's back (a failed reopen) counts as closed.
    if (!a.open || !a.table->active()) return nullptr;
    return a.table.get();
}

void DbfWorkAreas::closeSelected() {
    Area& a = area(selected_);
    try {
        a.table->table().close();
    } catch (const std::exception&) {
        // Closing errors are not the script's concern, as long as the table did close.
    }
    a.open = false;
    view().areaClosed(selected_);
}

bool DbfWorkAreas::use(std::string_view file) {
    return open(file, false);
}

bool DbfWorkAreas::useReadOnly(std::string_view file) {
    return open(file, true);
}

bool DbfWorkAreas::open(std::string_view file, bool readOnly) {
    closeSelected();
    const std::string name = data::completeFileName(file, ".DBF");
    if (name.empty()) return true;
    Area& a = area(selected_);
    data::TableDataSet& set = a.table->table();
    if (set.active()) return false;
    const data::SplitName split = data::splitFileName(name);
    set.setDatabaseName(split.directory);
    set.setTableName(split.file);
    set.setReadOnly(readOnly);
    set.setExclusive(false);
    a.table->setFilter({});
    env_->errorLevel(0);
    bool opened = false;
    // A table that another program is just rewriting may fail once: one more try.
    for (int attempt = 0; attempt < 2 && !opened; ++attempt) {
        try {
            set.open();
            opened = true;
        } catch (const std::exception&) {
        }
    }
    env_->errorLevel(1);
    if (!opened) {
        a.open = false;
        view().areaClosed(selected_);
        return false;
    }
    std::string base = split.directory;
    if (!base.empty() && base.back() != '\\') base += '\\';
    base += split.file.substr(0, split.file.find('.'));
    a.reportName = base + ".PTS";
    a.filter.clear();
    a.locate.clear();
    a.open = true;
    view().areaOpened(selected_);
    return true;
}

const std::string& DbfWorkAreas::reportName(int n) const {
    return area(n).reportName;
}

void DbfWorkAreas::setReportName(int n, std::string name) {
    area(n).reportName = std::move(name);
}

const std::string& DbfWorkAreas::filter(int n) const {
    return area(n).filter;
}

void DbfWorkAreas::moveToEnd(data::TDataTable& t) {
    t.access().goBottom();
    t.access().skip(1);
}

std::uint32_t DbfWorkAreas::locate(std::string_view condition) {
    data::TDataTable* t = current();
    if (!t || condition.empty()) return 0;
    area(selected_).locate.assign(condition);
    const std::uint32_t found = t->access().locate(condition, false, false);
    if (found == 0) moveToEnd(*t);
    return found;
}

std::uint32_t DbfWorkAreas::continueLocate() {
    data::TDataTable* t = current();
    if (!t) return 0;
    const std::string& condition = area(selected_).locate;
    if (condition.empty()) return 0;
    const std::uint32_t found = t->access().locate(condition, false, true);
    if (found == 0) moveToEnd(*t);
    return found;
}

std::int32_t DbfWorkAreas::indexTag(std::string_view tag, std::string_view key) {
    if (!current()) return 0;
    std::string fault;
    const std::int32_t order = buildTag(tag, key, {}, fault);
    if (!fault.empty())
        ui().messageBox({"Chyba", czech("Nelze, databáze je používaná"), MessageIcon::Error});
    return order;
}

std::int32_t DbfWorkAreas::buildTag(std::string_view tag, std::string_view key,
                                    std::string_view condition, std::string& fault) {
    data::TDataTable* t = current();
    const std::uint32_t recno = t->access().recNo();
    const std::string filter = t->access().dbFilter();
    view().busy(true, czech("Indexuji databázi ..."));
    std::int32_t order = 0;
    if (!t->setExclusive(true)) {
        fault = czech("Tabulku má otevřenou ještě někdo jiný; index lze přidat, jen když ji "
                      "nikdo jiný nepoužívá.");
    } else {
        order = t->access().indexTag({}, tag, key, 0, false, condition);
        if (order <= 0) {
            order = 0;
            fault = czech("Index nelze vytvořit: ") + data::engine().lastError();
        } else {
            t->table().setIndexName(std::string(tag));
        }
    }
    // Back to shared use in every case; the table may have closed when it could not reopen.
    t->setExclusive(false);
    if (!t->active()) {
        try {
            t->table().setExclusive(false);
            t->table().open();
        } catch (const std::exception&) {
        }
    }
    view().busy(false, {});
    if (t->active()) {
        // Reopening forgets the filter the window shows.
        if (!filter.empty()) t->access().query(filter);
        t->access().go(recno);
        t->table().resync();
    } else {
        area(selected_).open = false;
        view().areaClosed(selected_);
    }
    view().ordersChanged(selected_);
    return order;
}

std::int32_t DbfWorkAreas::setOrder(std::string_view tag) {
    data::TDataTable* t = current();
    if (!t) return 0;
    const std::int32_t order = t->setOrder(tag);
    view().ordersChanged(selected_);
    return order;
}

void DbfWorkAreas::setFilter(std::string_view expression) {
    data::TDataTable* t = current();
    if (!t) return;
    if (expression.empty()) {
        t->access().query({});
        t->table().resync();
        view().filterShown(selected_, false);
        return;
    }
    if (t->access().evalTest(expression) <= 0) return;
    area(selected_).filter.assign(expression);
    t->access().query(expression);
    t->table().resync();
    view().filterShown(selected_, true);
}

void DbfWorkAreas::setShowDeleted(bool show) {
    env_->setDeleted(!show);
    for (Area& a : areas_)
        if (a.open && a.table->active()) a.table->table().resync();
    view().showDeletedChanged(show);
}

// ---- the window's table tool

namespace {

std::string noTable() {
    return czech("V datové oblasti není otevřena žádná tabulka.");
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Why an expression does not compile over the table, in the engine's words.
std::string compileFault(data::TDataTable& t, std::string_view expression) {
    tables::EngineTable* table = data::engine().table(t.table().workArea());
    if (!table) return {};
    try {
        table->evaluate(expression);
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

std::string inQuotes(std::string_view text) {
    return czech("„") + std::string(text) + czech("“");
}

} // namespace

std::string DbfWorkAreas::filterFault(std::string_view expression) {
    data::TDataTable* t = current();
    if (!t) return noTable();
    switch (t->access().queryTest(expression)) {
    case 1:
        return {};
    case 0:
        return czech("Podmínka filtru musí být logický výraz, například CENA > 100: ") +
               inQuotes(expression);
    default:
        return czech("Výraz filtru ") + inQuotes(expression) + czech(" je chybný: ") +
               compileFault(*t, expression);
    }
}

std::string DbfWorkAreas::seekKey(std::string_view key) {
    data::TDataTable* t = current();
    if (!t) return noTable();
    data::TDbfAccess& a = t->access();
    if (a.indexOrd() <= 0) return czech("Podle klíče lze hledat jen v pořadí některého indexu.");
    const std::uint32_t before = a.recNo();
    // A key over upper-cased text finds what the user typed in any letter case.
    const std::string expression = upperCase(a.indexKey(0));
    const std::string wanted =
        expression.rfind("UPPER(", 0) == 0 ? upperCase(key) : std::string(key);
    if (a.seek(wanted)) return {};
    a.go(before);
    return czech("Záznam s klíčem ") + inQuotes(key) + czech(" nebyl nalezen.");
}

std::string DbfWorkAreas::addIndex(std::string_view tag, std::string_view key,
                                   std::string_view condition) {
    data::TDataTable* t = current();
    if (!t) return noTable();
    const std::string name = upperCase(trimmed(tag));
    if (!data::isValidFieldName(name))
        return czech("Jméno indexu ") + inQuotes(name) +
               czech(" není platné: začíná písmenem, dál jen písmena bez diakritiky, číslice a "
                     "„_“, nejvýše 10 znaků.");
    data::TDbfAccess& a = t->access();
    if (a.tagArea(name) > 0) return czech("Tabulka už má index ") + inQuotes(name) + ".";
    switch (a.evalTest(key)) {
    case 0:
        return czech("Klíčový výraz ") + inQuotes(key) + czech(" je chybný: ") +
               compileFault(*t, key);
    case static_cast<int>(tables::ValueKind::Logical):
        return czech("Klíčem indexu nemůže být logický výraz: ") + inQuotes(key);
    default:
        break;
    }
    if (!trimmed(condition).empty()) {
        const int type = a.queryTest(condition);
        if (type < 0)
            return czech("Podmínka FOR ") + inQuotes(condition) + czech(" je chybná: ") +
                   compileFault(*t, condition);
        if (type == 0) return czech("Podmínka FOR musí být logický výraz: ") + inQuotes(condition);
    }
    if (std::string fault = makeWritable(); !fault.empty()) return fault;
    std::string fault;
    buildTag(name, key, trimmed(condition), fault);
    return fault;
}

std::string DbfWorkAreas::createTable(std::string_view file,
                                      const std::vector<tables::FieldSpec>& fields) {
    const std::string name = data::completeFileName(file, ".DBF");
    if (name.empty()) return czech("Zadejte jméno nové tabulky.");
    const std::filesystem::path host = data::hostFileName(name);
    if (host.empty()) return czech("Cesta ") + name + czech(" nevede na žádnou složku.");
    try {
        data::createTable(host, fields, tables::Flavor::FoxPro);
    } catch (const std::exception& e) {
        return czech("Tabulku nelze vytvořit: ") + e.what();
    }
    if (!use(name)) return czech("Tabulka je vytvořená, ale nelze ji otevřít: ") + name;
    return {};
}

std::vector<data::StructureField> DbfWorkAreas::currentStructure() {
    data::TDataTable* t = current();
    tables::EngineTable* table = t ? data::engine().table(t->table().workArea()) : nullptr;
    return table ? data::structureOf(*table) : std::vector<data::StructureField>{};
}

std::string DbfWorkAreas::changeStructure(const std::vector<data::StructureField>& fields,
                                          data::StructureChange* change) {
    data::TDataTable* t = current();
    if (!t) return noTable();
    data::TableDataSet& set = t->table();
    const std::filesystem::path host = set.hostPath();
    const std::uint32_t recno = t->access().recNo();
    const std::string filter = t->access().dbFilter();
    set.close();
    std::string fault;
    view().busy(true, czech("Měním strukturu databáze ..."));
    try {
        data::StructureChange done = data::changeStructure(host, fields);
        if (change) *change = std::move(done);
    } catch (const std::exception& e) {
        fault = czech("Strukturu tabulky nelze změnit: ") + e.what();
    }
    if (!fault.empty()) {
        const bool reopened = reopenSelected(recno, filter).empty();
        view().busy(false, {});
        if (reopened) return fault;
    } else {
        // The new table starts in natural order without a filter: tags and fields may be gone.
        set.setReadOnly(false);
        set.setIndexName({});
        area(selected_).filter.clear();
        if (const std::string failed = reopenSelected(0, {}); !failed.empty())
            fault = czech("Struktura je změněna, ale tabulku nelze otevřít: ") + failed;
        view().busy(false, {});
    }
    if (!set.active()) {
        area(selected_).open = false;
        view().areaClosed(selected_);
        return fault;
    }
    view().areaOpened(selected_);
    view().filterShown(selected_, !t->access().dbFilter().empty());
    return fault;
}

std::string DbfWorkAreas::writeCell(std::uint32_t recno, int field, std::string_view text) {
    data::TDataTable* t = current();
    if (!t) return noTable();
    data::TableDataSet& set = t->table();
    data::Field* f = field >= 0 && field < set.fieldCount() ? set.field(field) : nullptr;
    if (!f) return {};
    const char type = set.fieldTypeLetter(f->name());
    if (type == 'M' || type == 'G' || type == 'P' || type == 'B')
        return czech("Memopoložku lze měnit jen v okně memopoložky (Enter).");
    if (type == 'C' && text.find_last_not_of(' ') != std::string_view::npos &&
        text.find_last_not_of(' ') >= static_cast<std::size_t>(f->size()))
        return czech("Text je delší než položka ") + f->name() + czech(" (") +
               std::to_string(f->size()) + czech(" znaků).");
    try {
        if (set.recNo() != recno) t->access().go(recno);
        set.edit();
        f->setAsString(text);
        set.post();
    } catch (const std::exception& e) {
        if (set.state() != data::DataSetState::Browse) set.cancel();
        return e.what();
    }
    return {};
}

std::string DbfWorkAreas::toggleDeleted() {
    data::TDataTable* t = current();
    if (!t) return noTable();
    try {
        if (t->access().evalLogical("DELETED()"))
            t->access().recall();
        else
            t->access().deleteRecord();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

std::string DbfWorkAreas::makeWritable() {
    data::TDataTable* t = current();
    if (!t) return noTable();
    data::TableDataSet& set = t->table();
    if (!set.readOnly()) return {};
    const std::uint32_t recno = t->access().recNo();
    const std::string filter = t->access().dbFilter();
    set.close();
    set.setReadOnly(false);
    std::string fault = reopenSelected(recno, filter);
    if (fault.empty()) return {};
    fault = czech("Tabulku nelze otevřít pro zápis: ") + fault;
    set.setReadOnly(true);
    if (!reopenSelected(recno, filter).empty()) {
        area(selected_).open = false;
        view().areaClosed(selected_);
    }
    return fault;
}

std::string DbfWorkAreas::reopenSelected(std::uint32_t recno, const std::string& filter) {
    Area& a = area(selected_);
    data::TableDataSet& set = a.table->table();
    std::string fault;
    env_->errorLevel(0);
    try {
        set.open();
    } catch (const std::exception& e) {
        fault = e.what();
    }
    env_->errorLevel(1);
    if (!set.active()) return fault.empty() ? czech("neznámá chyba") : fault;
    if (!filter.empty()) a.table->access().query(filter);
    if (recno != 0) a.table->access().go(recno);
    set.resync();
    return {};
}

} // namespace vorlan::windows
