#pragma once
// What a control asks of the form it sits on. Controls reach their form only through this, so
// the control classes need not know the form class (which is itself a control).

#include <cstdint>
#include <string>

namespace vorlan::script {
class Component;
}

namespace vorlan::forms {

class FormHost {
public:
    // Lays out the aligned controls inside `container` (the form or one of its controls).
    virtual void realign(const script::Component* container) = 0;
    // With KeyPreview the form sees every key before the control that has the focus.
    virtual bool keyPreview() const = 0;
    // The form's OnKeyPress, and OnKeyDown/OnKeyUp: what its handlers leave of the key.
    virtual std::string previewKeyPress(const std::string& key) = 0;
    virtual std::int32_t previewKeyCode(const char* event, std::int32_t code,
                                        std::int32_t shift) = 0;
    // A button's modal result, and the close a button of kind bkClose asks for.
    virtual void setModalResult(int result) = 0;
    virtual bool close() = 0;

protected:
    ~FormHost() = default;
};

// The form `component` is, or null.
FormHost* formHostOf(script::Component* component);

} // namespace vorlan::forms
