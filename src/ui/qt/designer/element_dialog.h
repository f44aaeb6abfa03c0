#pragma once
// "Nastavení vlastností prvku": one element's position and size, alignment, character spacing,
// kind and index (by number or by name), the properties its field type allows, its frame and
// its font. apply() (what OK does) writes the dialog into the element.

#include "report/model.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace vorlan::qt {

class FontPage;

class ElementDialog : public QDialog {
public:
    ElementDialog(report::TSestavaTyp& report, const report::TPrvekSestavy& element,
                  QWidget* parent = nullptr);

    void apply(report::TPrvekSestavy& element) const;

private:
    int currentKind() const;
    void kindChanged();
    void fillIndexes(int kind, int select);
    void showProperties();
    void editFunction();

    report::TSestavaTyp& report_;
    std::vector<std::string> fieldNames_;
    int originalKind_ = 0;
    QSpinBox* left_ = nullptr;
    QSpinBox* top_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QComboBox* alignment_ = nullptr;
    QSpinBox* charSpacing_ = nullptr;
    QComboBox* kind_ = nullptr;
    QComboBox* index_ = nullptr;
    QRadioButton* byNumber_ = nullptr;
    QRadioButton* byName_ = nullptr;
    QLineEdit* text_ = nullptr;
    QCheckBox* wordWrap_ = nullptr;
    QCheckBox* justify_ = nullptr;
    QCheckBox* variableHeight_ = nullptr;
    QCheckBox* rtf_ = nullptr;
    QCheckBox* stretch_ = nullptr;
    QCheckBox* keepAspect_ = nullptr;
    QPushButton* function_ = nullptr;
    std::vector<QCheckBox*> frame_;
    QGroupBox* lines_ = nullptr;
    QSpinBox* lineWidth_ = nullptr;
    QComboBox* lineStyle_ = nullptr;
    QComboBox* lineColour_ = nullptr;
    QComboBox* fillColour_ = nullptr;
    QComboBox* fillStyle_ = nullptr;
    std::vector<QCheckBox*> lineShapes_;
    FontPage* font_ = nullptr;
};

} // namespace vorlan::qt
