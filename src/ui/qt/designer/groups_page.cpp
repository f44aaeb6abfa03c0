#include "ui/qt/designer/groups_page.h"

#include "core/cp1250.h"
#include "ui/qt/designer/dialog_support.h"
#include "ui/qt/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlan::qt {

namespace {

// Moves a kept section's elements and layout into the section a group got anew; the new
// section keeps its own index.
void takeOver(report::TOddilSestavy& into, report::TOddilSestavy* from) {
    if (!from) return;
    const std::int32_t index = into.index;
    into = std::move(*from);
    into.index = index;
}

} // namespace

GroupsPage::GroupsPage(const report::TSestavaTyp& report, const std::vector<std::string>& names,
                       QWidget* parent)
    : QWidget(parent) {
    int fields = static_cast<int>(names.size());
    for (int i = 0; i < report.groups().count(); ++i) {
        const report::TPolSkup& g = *report.groups().item(i);
        EditedGroup e;
        e.origin = i;
        e.field = std::max(0, g.field);
        e.startVisible = g.start && g.start->visible;
        e.startHeight = g.start ? g.start->height : 24;
        e.endVisible = g.end && g.end->visible;
        e.endHeight = g.end ? g.end->height : 24;
        e.newPage = g.newPage;
        fields = std::max(fields, e.field + 1);
        groups_.push_back(e);
    }

    auto* layout = new QHBoxLayout(this);
    auto* listSide = new QVBoxLayout;
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("Groups"));
    listSide->addWidget(list_);
    auto* buttons = new QHBoxLayout;
    auto* insert = new QPushButton(QStringLiteral("Ins"), this);
    insert->setObjectName(QStringLiteral("InsertGroup"));
    auto* remove = new QPushButton(QStringLiteral("Del"), this);
    remove->setObjectName(QStringLiteral("DeleteGroup"));
    buttons->addWidget(insert);
    buttons->addWidget(remove);
    listSide->addLayout(buttons);
    layout->addLayout(listSide, 1);

    details_ = new QWidget(this);
    auto* form = new QFormLayout(details_);
    field_ = new QComboBox(details_);
    field_->setObjectName(QStringLiteral("GroupField"));
    for (int i = 0; i < std::max(fields, 1); ++i) {
        field_->addItem(referenceText(
            '#', i, i < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(i)] : ""));
    }
    form->addRow(cz("Položka skupiny:"), field_);
    startVisible_ = new QCheckBox(cz("Tisknout začátek skupiny"), details_);
    startVisible_->setObjectName(QStringLiteral("GroupStartVisible"));
    startHeight_ = numberBox(details_, "GroupStartHeight", 0, kMaxSectionHeight, 24);
    form->addRow(startVisible_);
    form->addRow(cz("Výška začátku:"), startHeight_);
    endVisible_ = new QCheckBox(cz("Tisknout konec skupiny"), details_);
    endVisible_->setObjectName(QStringLiteral("GroupEndVisible"));
    endHeight_ = numberBox(details_, "GroupEndHeight", 0, kMaxSectionHeight, 24);
    form->addRow(endVisible_);
    form->addRow(cz("Výška konce:"), endHeight_);
    newPage_ = new QCheckBox(cz("Novou skupinu na novou stránku"), details_);
    newPage_->setObjectName(QStringLiteral("GroupNewPage"));
    form->addRow(newPage_);
    layout->addWidget(details_, 1);

    connect(list_, &QListWidget::currentRowChanged, this, &GroupsPage::showGroup);
    connect(insert, &QPushButton::clicked, this, &GroupsPage::insertGroup);
    connect(remove, &QPushButton::clicked, this, &GroupsPage::deleteGroup);
    connect(field_, &QComboBox::currentIndexChanged, this, &GroupsPage::storeGroup);
    connect(startVisible_, &QCheckBox::toggled, this, &GroupsPage::storeGroup);
    connect(endVisible_, &QCheckBox::toggled, this, &GroupsPage::storeGroup);
    connect(newPage_, &QCheckBox::toggled, this, &GroupsPage::storeGroup);
    connect(startHeight_, &QSpinBox::valueChanged, this, &GroupsPage::storeGroup);
    connect(endHeight_, &QSpinBox::valueChanged, this, &GroupsPage::storeGroup);
    fillList(groups_.empty() ? -1 : 0);
}

void GroupsPage::fillList(int select) {
    loading_ = true;
    list_->clear();
    for (std::size_t i = 0; i < groups_.size(); ++i)
        list_->addItem(cz("Skupina ") + QString::number(i + 1));
    loading_ = false;
    list_->setCurrentRow(select);
    showGroup(select);
}

void GroupsPage::showGroup(int row) {
    const bool valid = row >= 0 && row < static_cast<int>(groups_.size());
    details_->setEnabled(valid);
    if (!valid) return;
    const EditedGroup& g = groups_[static_cast<std::size_t>(row)];
    loading_ = true;
    field_->setCurrentIndex(std::min(g.field, field_->count() - 1));
    startVisible_->setChecked(g.startVisible);
    startHeight_->setValue(g.startHeight);
    endVisible_->setChecked(g.endVisible);
    endHeight_->setValue(g.endHeight);
    newPage_->setChecked(g.newPage);
    loading_ = false;
}

void GroupsPage::storeGroup() {
    const int row = list_->currentRow();
    if (loading_ || row < 0 || row >= static_cast<int>(groups_.size())) return;
    EditedGroup& g = groups_[static_cast<std::size_t>(row)];
    g.field = std::max(0, field_->currentIndex());
    g.startVisible = startVisible_->isChecked();
    g.startHeight = startHeight_->value();
    g.endVisible = endVisible_->isChecked();
    g.endHeight = endHeight_->value();
    g.newPage = newPage_->isChecked();
}

void GroupsPage::insertGroup() {
    const int row = list_->currentRow();
    const int at = row >= 0 ? row + 1 : static_cast<int>(groups_.size());
    groups_.insert(groups_.begin() + at, EditedGroup{});
    fillList(at);
}

void GroupsPage::deleteGroup() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(groups_.size())) return;
    if (!askYesNo(
            czech("Opravdu smazat vybranou skupinu včetně případných vložených prvků sestavy?")))
        return;
    groups_.erase(groups_.begin() + row);
    fillList(std::min(row, static_cast<int>(groups_.size()) - 1));
}

void GroupsPage::apply(report::TSestavaTyp& report) const {
    // The old groups' sections leave the section list; kept groups take theirs back below.
    const int oldCount = report.groups().count();
    std::vector<std::unique_ptr<report::TOddilSestavy>> oldStart(oldCount), oldEnd(oldCount);
    auto& sections = report.sections();
    for (auto it = sections.begin(); it != sections.end();) {
        if ((*it)->index < 5) {
            ++it;
            continue;
        }
        for (int g = 0; g < oldCount; ++g) {
            const report::TPolSkup* group = report.groups().item(g);
            if (group->start == it->get()) oldStart[static_cast<std::size_t>(g)] = std::move(*it);
            if (group->end == it->get()) oldEnd[static_cast<std::size_t>(g)] = std::move(*it);
        }
        it = sections.erase(it);
    }
    report.groups().clear();

    std::vector<int> newPosition(static_cast<std::size_t>(oldCount), -1);
    for (std::size_t n = 0; n < groups_.size(); ++n) {
        const EditedGroup& e = groups_[n];
        report::TPolSkup& group = report.addGroup(static_cast<std::int32_t>(n));
        if (e.origin >= 0 && e.origin < oldCount) {
            takeOver(*group.start, oldStart[static_cast<std::size_t>(e.origin)].get());
            takeOver(*group.end, oldEnd[static_cast<std::size_t>(e.origin)].get());
            newPosition[static_cast<std::size_t>(e.origin)] = static_cast<int>(n);
        }
        group.field = e.field;
        group.newPage = e.newPage;
        group.start->visible = e.startVisible;
        group.start->height = e.startHeight;
        group.end->visible = e.endVisible;
        group.end->height = e.endHeight;
    }

    // Functions reset at a group follow it to its new number; those of a deleted group are
    // reset with the report.
    for (int i = 0; i < report.functions().count(); ++i) {
        report::TRadekFunkce& f = *report.functions().item(i);
        report::FunctionDefinition d = f.definition();
        const int old = d.reset - report::resetAtGroup(0);
        if (old < 0) continue;
        const int now = old < oldCount ? newPosition[static_cast<std::size_t>(old)] : old;
        const std::int32_t reset = now >= 0 ? report::resetAtGroup(now) : report::kResetReport;
        if (reset == d.reset) continue;
        d.reset = reset;
        f.setDefinition(d);
    }
}

} // namespace vorlan::qt
