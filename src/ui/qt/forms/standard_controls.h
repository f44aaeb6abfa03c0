#pragma once
// The standard controls: labels, buttons, check boxes and radio buttons, edits, memos, panels,
// group boxes, radio groups, list and combo boxes. Their classes and default sizes are in
// standardControlClasses(); the button is here for the form, which presses it.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"

#include <span>

class QPushButton;

namespace vorlan::forms {

class Button : public Control {
public:
    explicit Button(std::string cls);
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

    bool handleWidgetEvent(QObject* watched, QEvent* event) override;
    // As a click does: the form gets the modal result first, then OnClick.
    void click();
    bool isCancel() const { return cancel_; }
    int modalResult() const { return modalResult_; }
    bool isDefault() const;

private:
    QPushButton* button() const;
    void setCaption(const std::string& caption);
    // A bitmap button's kind brings its caption, result and key, unless the form stores others
    // after it.
    void applyKind(const std::string& kind);

    std::string caption_;
    int modalResult_ = 0;
    bool cancel_ = false;
    bool closes_ = false;
};

// TLabel, TButton, TEdit, TCheckBox ... with their ancestors, TStrings and TFont.
std::span<const FormClass> standardControlClasses();

} // namespace vorlan::forms
