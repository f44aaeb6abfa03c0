#include "ui/qt/designer/undo_list.h"

#include "core/cp1250.h"

#include <utility>

namespace vorlan::qt {

namespace {

std::string caption(const char* verb, const std::vector<TemplateSnapshot>& steps) {
    const std::string name =
        steps.empty() || steps.back().name.empty() ? czech("změny") : steps.back().name;
    return czech(verb) + name;
}

} // namespace

void UndoList::setLimit(int limit) {
    limit_ = limit < 0 ? 0 : limit;
    while (undo_.size() > static_cast<std::size_t>(limit_))
        undo_.erase(undo_.begin());
    while (redo_.size() > static_cast<std::size_t>(limit_))
        redo_.erase(redo_.begin());
}

void UndoList::push(TemplateSnapshot before) {
    redo_.clear();
    if (limit_ <= 0) return;
    undo_.push_back(std::move(before));
    if (undo_.size() > static_cast<std::size_t>(limit_)) undo_.erase(undo_.begin());
}

TemplateSnapshot UndoList::undo(TemplateSnapshot current) {
    TemplateSnapshot step = std::move(undo_.back());
    undo_.pop_back();
    current.name = step.name;
    redo_.push_back(std::move(current));
    return step;
}

TemplateSnapshot UndoList::redo(TemplateSnapshot current) {
    TemplateSnapshot step = std::move(redo_.back());
    redo_.pop_back();
    current.name = step.name;
    undo_.push_back(std::move(current));
    return step;
}

void UndoList::clear() {
    undo_.clear();
    redo_.clear();
}

std::string UndoList::undoCaption() const {
    return caption("Zrušit ", undo_);
}

std::string UndoList::redoCaption() const {
    return caption("Znovu ", redo_);
}

} // namespace vorlan::qt
