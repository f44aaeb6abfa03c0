#include "window_models/dbf/work_areas.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
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
    data::TDataTable* t = current();
    if (!t) return 0;
    const std::uint32_t recno = t->access().recNo();
    view().busy(true, czech("Indexuji databázi ..."));
    std::int32_t order = 0;
    bool failed = false;
    if (!t->setExclusive(true)) {
        failed = true;
    } else {
        order = t->access().indexTag({}, tag, key, 0, false, {});
        if (order <= 0) {
            failed = true;
            order = 0;
        } else {
            t->table().setIndexName(std::string(tag));
        }
    }
    if (failed)
        ui().messageBox({"Chyba", czech("Nelze, databáze je používaná"), MessageIcon::Error});
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

} // namespace vorlan::windows
