#pragma once
// What the engine asks of the screen and the printer. The engine layers talk to the user only
// through this interface; the Qt front end implements it, and so does the headless answerer.
// All texts are Windows-1250.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorlan {

enum class MessageIcon { None, Information, Warning, Error, Question };

// Buttons of a message box, combinable.
enum MessageButton : unsigned {
    ButtonOk = 1u << 0,
    ButtonCancel = 1u << 1,
    ButtonYes = 1u << 2,
    ButtonNo = 1u << 3,
    ButtonAbort = 1u << 4,
    ButtonRetry = 1u << 5,
    ButtonIgnore = 1u << 6,
    ButtonAll = 1u << 7,
    ButtonNoToAll = 1u << 8,
    ButtonYesToAll = 1u << 9,
    ButtonHelp = 1u << 10,
};

// The answer of a message box; the numbers are the modal results programs compare with.
enum class MessageResult : int {
    None = 0,
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
    All = 8,
    NoToAll = 9,
    YesToAll = 10,
};

MessageResult resultOfButton(MessageButton button);
// The buttons of a set in the order they stand in a dialog.
std::vector<MessageButton> buttonsInOrder(unsigned buttons);

struct MessageBoxRequest {
    std::string caption;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    unsigned buttons = ButtonOk;
    // The button Enter presses; 0 means the first button in dialog order.
    unsigned defaultButton = 0;
};

struct FileDialogRequest {
    std::string title;
    // "Description (*.EXT)|*.EXT|..." as programs write it.
    std::string filter;
    std::string initialPath;
};

// A print job of plain lines on the current printer (or a PDF in headless mode).
class TextPrintJob {
public:
    virtual ~TextPrintJob() = default;
    virtual void writeLine(const std::string& line) = 0;
    // Finishes the job; throws std::runtime_error when the device fails.
    virtual void finish() = 0;
};

class UiServices {
public:
    virtual ~UiServices() = default;

    virtual MessageResult messageBox(const MessageBoxRequest& request) = 0;
    // nullopt when the user cancels.
    virtual std::optional<std::string> inputBox(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& defaultText) = 0;
    virtual std::optional<std::string> openFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileDialog(const FileDialogRequest& request) = 0;

    // Starts printing plain text without asking; an empty font name or size 0 leaves the
    // printer's default font. Throws std::runtime_error when no job can be started.
    virtual std::unique_ptr<TextPrintJob>
    startTextPrint(const std::string& title, const std::string& fontName, int pointSize) = 0;

    // Waits for the next event and handles it. Returns false when no event can ever arrive
    // (headless mode with nothing pending), so a waiting loop must end rather than hang.
    virtual bool waitAndProcessEvent() = 0;
    // Handles what is pending without waiting.
    virtual void processPendingEvents() = 0;

    // True when windows are not shown and dialogs answer themselves.
    virtual bool headless() const = 0;

    // A dialog of the program's own (font, colour, print, find) that a headless run does not
    // show: the services note it, and the program carries on as if the user cancelled. `kind`
    // tags the note ("font"), `title` is the dialog's caption.
    virtual void noteUnshownDialog(const std::string& kind, const std::string& title) {
        (void)kind;
        (void)title;
    }
};

// The process-wide services. Until something is installed, the headless answerer serves.
UiServices& ui();
// Installs new services and returns the previous ones (tests put theirs back).
std::unique_ptr<UiServices> setUi(std::unique_ptr<UiServices> services);

// The application title that message boxes of the engine carry ("VORLAN").
const std::string& applicationTitle();
void setApplicationTitle(std::string title);

} // namespace vorlan
