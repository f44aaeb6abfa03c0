#pragma once
// The Font of a control (TFont): Name, Size, Height, Color and Style as scripts and stored
// forms give them. The control is told of each change and applies the font to its widget.

#include "script/native_object.h"
#include "script/value.h"
#include "ui/qt/forms/property_table.h"

#include <QFont>

#include <functional>
#include <string>

namespace vorlan::forms {

class FontObject : public script::NativeObject {
public:
    explicit FontObject(std::function<void()> changed)
        : script::NativeObject("TFont"), changed_(std::move(changed)) {}
    static const PropertyTable& propertyTable();

    // Family, pixel size and styles applied to `font` (what is not set stays as it is).
    void applyTo(QFont& font) const;
    // The text colour; false for the platform's own.
    bool textColor(unsigned& rgb) const;

private:
    std::string name_;
    int pixels_ = 0; // Height: negative for the character height in pixels
    std::string style_ = "[]";
    script::Value color_;
    // The character set and pitch a program asks for; fonts here are Unicode and chosen by name.
    script::Value charset_{1}; // DEFAULT_CHARSET
    std::string pitch_ = "fpDefault";
    std::function<void()> changed_;
};

} // namespace vorlan::forms
