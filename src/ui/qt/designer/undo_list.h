#pragma once
// TListVariant: the designer's undo and redo, as snapshots of the whole template text. A step
// remembers the text before a change and the change's name; undoing puts that text back and
// keeps the text it replaced for redoing. The number of steps kept is limited.

#include <cstddef>
#include <string>
#include <vector>

namespace vorlan::qt {

struct TemplateSnapshot {
    std::vector<std::string> lines;
    std::string name; // Windows-1250; empty for an unnamed change
};

class UndoList {
public:
    explicit UndoList(int limit = 10) : limit_(limit) {}

    void setLimit(int limit);
    int limit() const { return limit_; }

    // Remembers the text before a change; forgets whatever could be redone.
    void push(TemplateSnapshot before);
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // The text to put back; `current` becomes the step to redo.
    TemplateSnapshot undo(TemplateSnapshot current);
    TemplateSnapshot redo(TemplateSnapshot current);
    void clear();

    // "Zrušit <name>" / "Znovu <name>" ("změny" for an unnamed step), Windows-1250.
    std::string undoCaption() const;
    std::string redoCaption() const;
    std::size_t undoCount() const { return undo_.size(); }

private:
    int limit_;
    std::vector<TemplateSnapshot> undo_;
    std::vector<TemplateSnapshot> redo_;
};

} // namespace vorlan::qt
