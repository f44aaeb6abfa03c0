#include "dbf/workareas.h"

#include "core/cp1250.h"

namespace vorlan::dbf {

int WorkAreas::select(int area) {
    const int previous = current_;
    if (area == 0) area = freeArea();
    if (area >= 1 && area <= kMaxAreas) current_ = area;
    return previous;
}

Table* WorkAreas::table(int area) const {
    const auto it = tables_.find(area == 0 ? current_ : area);
    return it == tables_.end() ? nullptr : it->second.get();
}

int WorkAreas::areaOf(std::string_view alias) const {
    for (const auto& [area, t] : tables_)
        if (equalsNoCase(t->alias(), alias)) return area;
    return 0;
}

int WorkAreas::freeArea() const {
    for (int a = 1; a <= kMaxAreas; ++a)
        if (!tables_.count(a)) return a;
    return 0;
}

int WorkAreas::use(const std::filesystem::path& path, std::string alias,
                   const OpenOptions& options) {
    close(current_);
    if (alias.empty()) alias = aliasFromPath(path);
    if (areaOf(alias) != 0) throw DbfError(czech("alias se už používá: ") + alias);
    auto t = Table::open(path, options);
    t->setAlias(alias);
    tables_[current_] = std::move(t);
    return current_;
}

int WorkAreas::adopt(std::unique_ptr<Table> table, std::string alias) {
    close(current_);
    if (!alias.empty()) table->setAlias(alias);
    if (areaOf(table->alias()) != 0)
        throw DbfError(czech("alias se už používá: ") + table->alias());
    tables_[current_] = std::move(table);
    return current_;
}

void WorkAreas::close(int area) {
    const auto it = tables_.find(area == 0 ? current_ : area);
    if (it == tables_.end()) return;
    std::unique_ptr<Table> t = std::move(it->second);
    tables_.erase(it);
    t->close();
}

void WorkAreas::closeAll() {
    while (!tables_.empty())
        close(tables_.begin()->first);
}

} // namespace vorlan::dbf
