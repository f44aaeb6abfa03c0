// Filters, query marks, locating records and evaluating expressions over a table.

#include "dbf/table.h"

#include "core/cp1250.h"
#include "dbf/settings.h"
#include "dbf/xbase_text.h"

namespace vorlan::dbf {

// Filters and expressions

void Table::setFilter(std::string_view expr) {
    flush();
    marks_.clear();
    if (trimLeft(trimRight(expr)).empty()) {
        filter_ = Expression();
        filterText_.clear();
        return;
    }
    Expression e = Expression::compile(expr, this);
    if (e.type() != ValueType::Logical) throw DbfError("a filter must be a logical expression");
    filter_ = std::move(e);
    filterText_ = std::string(expr);
}

bool Table::markRecord(std::uint32_t recno, bool shown) {
    if (!filter_.valid() || recno < 1 || recno > count_) return false;
    marks_[recno] = shown;
    return true;
}

bool Table::passesQuery(std::uint32_t recno) {
    if (recno < 1 || recno > count_) return false;
    if (!filter_.valid()) return true;
    const auto mark = marks_.find(recno);
    if (mark != marks_.end()) return mark->second;
    const std::uint32_t saved = recno_;
    goTo(recno);
    const bool passes = filter_.test(this);
    goTo(saved);
    return passes;
}

std::uint32_t Table::locate(std::string_view condition, bool continuing, bool backward) {
    flush();
    if (!continuing || !locate_.valid()) {
        Expression e = Expression::compile(condition, this);
        if (e.type() != ValueType::Logical)
            throw DbfError("a condition must be a logical expression");
        // A new condition is tried from the current record on: a caller that wants the whole
        // table goes to its top (or bottom) first.
        locate_ = std::move(e);
    } else {
        skip(backward ? -1 : 1);
    }
    for (; !eof_ && !(backward && bof_); skip(backward ? -1 : 1)) {
        if (visible() && locate_.test(this)) {
            found_ = true;
            return recno_;
        }
    }
    found_ = false;
    if (backward) {
        goTop();
        bof_ = true;
    }
    return 0;
}

XValue Table::evaluate(std::string_view expr) {
    return Expression::compile(expr, this).evaluate(this);
}

} // namespace vorlan::dbf
