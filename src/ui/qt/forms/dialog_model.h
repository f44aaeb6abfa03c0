#pragma once
// The rules of the Czech message dialogs, without any widget: which buttons a script asked
// for, their captions and modal results, the title and icon of each message type, and which
// button Enter and Esc press. The Qt dialogs and the headless answer are both built from this.

#include "core/ui_services.h"
#include "script/value.h"

#include <optional>
#include <string>
#include <vector>

namespace vorlan::forms {

enum class DialogType { Warning = 0, Error = 1, Information = 2, Confirmation = 3, Custom = 4 };

// In the order scripts number them (mbYes = 0 ... mbHelp = 10) and the dialog shows them.
enum class DialogButton { Yes, No, Ok, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help };
constexpr int kDialogButtonCount = 11;

// Modal results of forms and dialogs.
constexpr int kResultNone = 0;
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;

struct ButtonInfo {
    const char* componentName;
    const char* caption; // UTF-8, with the accelerator mark
    int modalResult;
};
const ButtonInfo& buttonInfo(DialogButton button);

// Windows-1250; the custom type carries the application title.
std::string dialogTitle(DialogType type);
MessageIcon dialogIcon(DialogType type);
// A type number from a script; numbers outside the table are taken as the custom type.
DialogType dialogTypeOf(std::int32_t number);

// One bit per DialogButton.
using ButtonSet = unsigned;
constexpr ButtonSet bit(DialogButton b) {
    return 1u << static_cast<unsigned>(b);
}

// The buttons a script passed: an array of button numbers read as an open array
// (script/open_array.h), or a set as a bit mask (MkSet). NoToAll, YesToAll and unknown numbers
// add nothing.
ButtonSet buttonsOfScript(const script::Value& buttons);

struct MessageDialogInfo {
    std::string title; // Windows-1250
    std::string text;  // Windows-1250
    DialogType type = DialogType::Custom;
    MessageIcon icon = MessageIcon::None;
    std::vector<DialogButton> buttons; // in dialog order
    std::optional<DialogButton> defaultButton;
    std::optional<DialogButton> cancelButton;
    int helpContext = 0;
};
MessageDialogInfo describeMessageDialog(std::string text, DialogType type, ButtonSet buttons);

// What a dialog answers when nobody is there to click: the default button, else the first one;
// 0 for a dialog without buttons.
int unattendedResult(const MessageDialogInfo& dialog);
// The same dialog as a request to the engine's message box service (headless runs).
MessageBoxRequest messageBoxRequest(const MessageDialogInfo& dialog);

// A message with its arguments, as ShowMessageFmt formats it: %s, %d, %u, %x, %f, %g, %e, %n,
// %m and %% with optional width and precision; a missing argument leaves the directive as is.
std::string formatMessage(std::string_view pattern, const script::Value& args);

} // namespace vorlan::forms
