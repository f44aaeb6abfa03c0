#pragma once
// The property strip over the sheet: the selected element's text (at most 132 characters) and
// alignment, its font, frame sides and text flags; the line, frame and picture pages of graphic
// elements; and its position and size, applied by Enter. Every edit is one undoable change of
// every selected element it applies to.

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QToolButton;

namespace vorlan::report {
class TPrvekSestavy;
}

namespace vorlan::qt {

class DesignerDocument;

class PropertyStrip : public QWidget {
public:
    static constexpr int kMaxText = 132;

    PropertyStrip(DesignerDocument& document, QWidget* parent = nullptr);

    // Shows the properties of the selection (the first selected element).
    void refresh();

    QLineEdit* textEdit() const { return text_; }
    QLineEdit* positionEdit(int which) const { return position_[which]; }

private:
    void change(const char* stepName, const std::function<void(report::TPrvekSestavy&)>& apply);
    void applyPosition();
    void chooseFont();
    QToolButton* toggle(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint);

    DesignerDocument& document_;
    QLineEdit* text_ = nullptr;
    QToolButton* align_[3] = {};
    QPushButton* font_ = nullptr;
    QToolButton* frame_[4] = {};
    QCheckBox* rtf_ = nullptr;
    QCheckBox* justify_ = nullptr;
    QCheckBox* variableHeight_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QSpinBox* lineWidth_ = nullptr;
    QComboBox* lineStyle_ = nullptr;
    QComboBox* lineColour_ = nullptr;
    QToolButton* lineFlags_[7] = {};
    QComboBox* fillColour_ = nullptr;
    QComboBox* fillStyle_ = nullptr;
    QLineEdit* pictureFile_ = nullptr;
    QCheckBox* stretch_ = nullptr;
    QCheckBox* keepAspect_ = nullptr;
    QLineEdit* position_[4] = {};
    bool loading_ = false;
};

} // namespace vorlan::qt
