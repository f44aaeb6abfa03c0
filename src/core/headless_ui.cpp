#include "core/headless_ui.h"

#include "core/cp1250.h"

#include <fstream>
#include <iostream>
#include <stdexcept>

namespace vorlan {

namespace {

// Keeps what would have been printed when there is no printer: a text file per job.
class FileTextPrintJob : public TextPrintJob {
public:
    explicit FileTextPrintJob(const std::filesystem::path& path) : out_(path, std::ios::binary) {
        if (!out_)
            throw std::runtime_error(czech("Tiskový výstup nelze zapsat do ") +
                                     utf8ToCp1250(path.string()));
    }
    void writeLine(const std::string& line) override { out_ << cp1250ToUtf8(line) << '\n'; }
    void finish() override {
        out_.flush();
        if (!out_) throw std::runtime_error(czech("Tiskový výstup se nepodařilo zapsat"));
    }

private:
    std::ofstream out_;
};

class DiscardTextPrintJob : public TextPrintJob {
public:
    void writeLine(const std::string&) override {}
    void finish() override {}
};

} // namespace

MessageResult resultOfButton(MessageButton button) {
    switch (button) {
    case ButtonOk:
        return MessageResult::Ok;
    case ButtonCancel:
        return MessageResult::Cancel;
    case ButtonYes:
        return MessageResult::Yes;
    case ButtonNo:
        return MessageResult::No;
    case ButtonAbort:
        return MessageResult::Abort;
    case ButtonRetry:
        return MessageResult::Retry;
    case ButtonIgnore:
        return MessageResult::Ignore;
    case ButtonAll:
        return MessageResult::All;
    case ButtonNoToAll:
        return MessageResult::NoToAll;
    case ButtonYesToAll:
        return MessageResult::YesToAll;
    case ButtonHelp:
        return MessageResult::None;
    }
    return MessageResult::None;
}

std::vector<MessageButton> buttonsInOrder(unsigned buttons) {
    static constexpr MessageButton order[] = {
        ButtonYes,    ButtonNo,  ButtonOk,      ButtonCancel,   ButtonAbort, ButtonRetry,
        ButtonIgnore, ButtonAll, ButtonNoToAll, ButtonYesToAll, ButtonHelp};
    std::vector<MessageButton> out;
    for (MessageButton b : order)
        if (buttons & b) out.push_back(b);
    return out;
}

MessageResult defaultAnswer(const MessageBoxRequest& request) {
    if (request.defaultButton && (request.buttons & request.defaultButton))
        return resultOfButton(static_cast<MessageButton>(request.defaultButton));
    const auto order = buttonsInOrder(request.buttons);
    return order.empty() ? MessageResult::Ok : resultOfButton(order.front());
}

HeadlessUi::HeadlessUi(std::ostream* log) : log_(log ? log : &std::cerr) {}

void HeadlessUi::log(const std::string& kind, const std::string& caption, const std::string& text) {
    // Message texts end their lines the Windows way; a terminal or a log file wants plain ones.
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
    *log_ << "[" << kind << "] " << cp1250ToUtf8(caption) << ": " << cp1250ToUtf8(lines)
          << std::endl;
}

void HeadlessUi::noteUnshownDialog(const std::string& kind, const std::string& title) {
    log(kind, title, czech("zrušeno"));
}

MessageResult HeadlessUi::messageBox(const MessageBoxRequest& request) {
    log("message", request.caption, request.text);
    return answer_ ? answer_(request) : defaultAnswer(request);
}

std::optional<std::string> HeadlessUi::inputBox(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& defaultText) {
    log("input", caption, prompt);
    return defaultText;
}

std::optional<std::string> HeadlessUi::openFileDialog(const FileDialogRequest& request) {
    log("open", request.title, request.initialPath);
    return std::nullopt;
}

std::optional<std::string> HeadlessUi::saveFileDialog(const FileDialogRequest& request) {
    log("save", request.title, request.initialPath);
    return std::nullopt;
}

std::unique_ptr<TextPrintJob> HeadlessUi::startTextPrint(const std::string& title,
                                                         const std::string&, int) {
    // Every job says where it went, so a batch run never loses one without a word.
    if (printFolder_.empty()) {
        log("print", title, czech("zahozeno"));
        return std::make_unique<DiscardTextPrintJob>();
    }
    const auto file = printFolder_ / ("print" + std::to_string(++printJobs_) + ".txt");
    log("print", title, utf8ToCp1250(file.string()));
    return std::make_unique<FileTextPrintJob>(file);
}

namespace {
std::unique_ptr<UiServices>& services() {
    static std::unique_ptr<UiServices> instance = std::make_unique<HeadlessUi>();
    return instance;
}
std::string& title() {
    static std::string instance = "VORLAN";
    return instance;
}
} // namespace

UiServices& ui() {
    return *services();
}

std::unique_ptr<UiServices> setUi(std::unique_ptr<UiServices> next) {
    auto previous = std::move(services());
    services() = next ? std::move(next) : std::make_unique<HeadlessUi>();
    return previous;
}

const std::string& applicationTitle() {
    return title();
}
void setApplicationTitle(std::string t) {
    title() = std::move(t);
}

} // namespace vorlan
