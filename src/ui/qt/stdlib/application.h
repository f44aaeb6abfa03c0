#pragma once
// Application and Screen: the program's view of the runtime and of the desktop. Both are single
// objects for the life of the process. Application is a component, so TForm.Create(Application)
// works: it owns such forms (releaseOwnedComponents frees them before the application ends)
// and passes their events on to the running program.

#include "script/component.h"
#include "script/dispatch.h"
#include "script/native_object.h"
#include "script/value.h"
#include "ui/qt/stdlib/constant_table.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vorlan::forms {
class StringList;
}

namespace vorlan::script {
class Scripter;
}

namespace vorlan::stdlib {

// Application.MessageBox's flags and answers.
constexpr std::int32_t kMbTypeMask = 0x0F;
constexpr std::int32_t kMbIconMask = 0xF0;
constexpr std::int32_t kMbDefaultMask = 0xF00;

class ApplicationObject : public script::Component, public script::EventSink {
public:
    ApplicationObject();
    ~ApplicationObject() override;

    // Handlers of the forms it owns are the running program's procedures.
    script::Value callHandler(const std::string& procedureName,
                              std::span<script::Value> args) override;
    // Frees the components it owns (at the end of the process, while the windows exist).
    void releaseOwnedComponents();

    // The program's title; until the program sets one, the runtime's.
    std::string title() const;
    void setTitle(std::string title) {
        title_ = std::move(title);
        titleSet_ = true;
    }
    // The running program's file as programs name files (C:\...\PROGRAM.VRL), so that
    // ExtractFilePath(Application.ExeName) is the program's folder.
    std::string exeName() const;
    void processMessages();
    // Ends the program as soon as the current handler returns: its module form's scripter
    // finishes, without OnCloseQuery.
    void terminate();
    // True from Terminate until the program has ended.
    bool terminated() const;
    // Text, Caption and the MB_ flags (buttons, icon, default button); the ID of the answer.
    std::int32_t messageBox(const std::string& text, const std::string& caption,
                            std::int32_t flags);
    script::Value mainForm() const;
    bool active() const;

    const std::string& hint() const { return hint_; }
    // Fires OnHint when the text changes.
    void setHint(std::string hint);
    bool showHint() const { return showHint_; }
    void setShowHint(bool on) { showHint_ = on; }
    std::int32_t hintColor() const { return hintColor_; }
    // Tool tips of every window take the colour.
    void setHintColor(const script::Value& color);
    std::int32_t hintPause() const { return hintPause_; }
    void setHintPause(std::int32_t ms) { hintPause_ = ms; }

    // OnException (Sender, E) gets the run-time errors no handler caught instead of the error
    // box; OnIdle (Sender, var Done) runs whenever the desktop's event loop is about to wait,
    // again at once while it sets Done to False. Both are assigned by the procedure's name.
    const std::string& onException() const { return onException_; }
    void setOnException(std::string name);
    const std::string& onIdle() const { return onIdle_; }
    void setOnIdle(std::string name);
    // Calls OnException with an exception object for the error; false when none is assigned.
    bool callOnException(script::Scripter& failed, const script::ExceptionInfo& error);
    void callOnIdle();

    // Handlers named by procedure, as OnIdle: OnActivate and OnDeactivate when the program's
    // windows get or lose the desktop's focus, OnHint when Hint changes, OnMinimize and
    // OnRestore with Minimize and Restore.
    std::string& handler(const char* event);
    // Shows the program's windows minimized, or as they were.
    void minimize();
    void restore();
    // The main form's window comes to the front.
    void bringToFront();
    // The error box of an exception object (its Message), as an unhandled error shows it.
    void showException(const script::Value& exception);

    std::string helpFile;
    std::int32_t hintHidePause = 2500;

private:
    void fireHandler(const char* event);
    void watchActivation();

    std::string title_;
    bool titleSet_ = false;
    const void* terminatedRun_ = nullptr; // the scripter of the program that was terminated
    bool terminated_ = false;
    std::string hint_;
    bool showHint_ = true;
    std::int32_t hintColor_ = static_cast<std::int32_t>(0x80000018u); // clInfoBk
    std::int32_t hintPause_ = 500;
    std::string onException_;
    std::string onIdle_;
    bool idleConnected_ = false;
    bool activationWatched_ = false;
    std::array<std::string, 5> handlers_;
    bool inIdle_ = false;
};

class ScreenObject : public script::NativeObject {
public:
    ScreenObject();
    ~ScreenObject() override;

    std::int32_t width() const;
    std::int32_t height() const;
    std::int32_t workAreaWidth() const;
    std::int32_t workAreaHeight() const;
    std::int32_t pixelsPerInch() const;
    std::int32_t cursor() const { return cursor_; }
    // crDefault gives the windows their own cursors back; any other cursor is shown over all of
    // them (the desktop's override cursor) until the next change.
    void setCursor(const script::Value& cursor);
    std::int32_t formCount() const;
    script::Value form(std::int32_t index) const;
    script::Value activeForm() const;
    forms::StringList& fonts() { return *fonts_; }
    // The control that has the focus; nil when none of the program's has.
    script::Value activeControl() const;
    // OnActiveControlChange and OnActiveFormChange, named by procedure: the focus moved to
    // another control, or into another window.
    std::string& handler(bool formChange);

private:
    void watchFocus();
    std::int32_t cursor_ = 0;
    bool overridden_ = false;
    std::unique_ptr<forms::StringList> fonts_;
    std::string onControlChange_;
    std::string onFormChange_;
    bool focusWatched_ = false;
};

ApplicationObject& application();
ScreenObject& screen();

// The cursors by name (crDefault = 0, crHourGlass = -11 ...).
std::span<const IntConstant> cursorConstants();

} // namespace vorlan::stdlib
