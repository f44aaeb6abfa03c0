#pragma once
// The page "Papír" of the report settings: the paper formats (the user's own can be added and
// removed; they live in the settings file at once), the paper's size and orientation, the
// margins, the label columns with the resulting label size, and a drawing of the sheet.

#include "report/model.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace vorlan::qt {

// The sheet as it lies, with its printable area inside the margins.
class PaperDrawing : public QWidget {
public:
    explicit PaperDrawing(QWidget* parent = nullptr);
    void setPaper(const report::PaperSettings& paper);
    QSize sizeHint() const override { return {160, 180}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    report::PaperSettings paper_;
};

class PaperPage : public QWidget {
public:
    PaperPage(const report::TSestavaTyp& report, QWidget* parent = nullptr);

    // The paper as the page shows it.
    report::PaperSettings paper() const;
    // The shared paper settings (not from a detail report, which prints on its master's
    // paper), and the report's label columns.
    void apply(report::TSestavaTyp& report) const;
    // The label height is the body's height, which another page edits.
    void setBodyHeight(int height);

    // Takes the selected format's size.
    void showSelected();
    // Asks for a name and adds the paper's size as a user format.
    void addFormat();
    // Removes the selected user format after asking.
    void deleteSelected();

private:
    void fillFormats();
    void paperChanged();

    QListWidget* formats_ = nullptr;
    QPushButton* delete_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QRadioButton* portrait_ = nullptr;
    QRadioButton* landscape_ = nullptr;
    QSpinBox* left_ = nullptr;
    QSpinBox* right_ = nullptr;
    QSpinBox* top_ = nullptr;
    QSpinBox* bottom_ = nullptr;
    QSpinBox* columns_ = nullptr;
    QSpinBox* gap_ = nullptr;
    QLabel* labelSize_ = nullptr;
    PaperDrawing* drawing_ = nullptr;
    int bodyHeight_ = 0;
};

} // namespace vorlan::qt
