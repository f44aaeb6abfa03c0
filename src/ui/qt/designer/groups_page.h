#pragma once
// The page "Skupiny" of the report settings: the report's groups while they are edited. Groups
// can be inserted and deleted; the report changes only when apply() is called, and then the
// elements of every kept group go with it to its new number.

#include "report/model.h"

#include <QWidget>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QListWidget;
class QSpinBox;

namespace vorlan::qt {

// TPolSkupE: one group while the dialog edits it.
struct EditedGroup {
    int origin = -1; // the group's position in the report, -1 for a new one
    int field = 0;
    bool startVisible = true;
    int startHeight = 24;
    bool endVisible = true;
    int endHeight = 24;
    bool newPage = false;
};

class GroupsPage : public QWidget {
public:
    // `fieldNames` are the report's table fields (Windows-1250; may be empty without data).
    GroupsPage(const report::TSestavaTyp& report, const std::vector<std::string>& fieldNames,
               QWidget* parent = nullptr);

    const std::vector<EditedGroup>& groups() const { return groups_; }
    // Rebuilds the report's groups from the edited list.
    void apply(report::TSestavaTyp& report) const;

    // "Ins": a new group after the selected one (at the end when none is selected).
    void insertGroup();
    // "Del": removes the selected group after asking.
    void deleteGroup();

private:
    void fillList(int select);
    void showGroup(int row);
    void storeGroup();

    std::vector<EditedGroup> groups_;
    QListWidget* list_ = nullptr;
    QComboBox* field_ = nullptr;
    QCheckBox* startVisible_ = nullptr;
    QSpinBox* startHeight_ = nullptr;
    QCheckBox* endVisible_ = nullptr;
    QSpinBox* endHeight_ = nullptr;
    QCheckBox* newPage_ = nullptr;
    QWidget* details_ = nullptr;
    bool loading_ = false;
};

} // namespace vorlan::qt
