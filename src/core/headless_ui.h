#pragma once
// Answers every dialog by its default without asking anyone, and says so on standard error:
// the mode of batch runs, servers and tests.

#include "core/ui_services.h"

#include <filesystem>
#include <functional>
#include <ostream>

namespace vorlan {

class HeadlessUi : public UiServices {
public:
    // `log` receives one UTF-8 line per dialog; standard error when none is given.
    explicit HeadlessUi(std::ostream* log = nullptr);

    MessageResult messageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override;
    std::unique_ptr<TextPrintJob>
    startTextPrint(const std::string& title, const std::string& fontName, int pointSize) override;
    bool waitAndProcessEvent() override { return false; }
    void processPendingEvents() override {}
    bool headless() const override { return true; }
    // "[font] Písmo: zrušeno".
    void noteUnshownDialog(const std::string& kind, const std::string& title) override;

    // Lets a test answer message boxes its own way instead of by the default.
    void setAnswer(std::function<MessageResult(const MessageBoxRequest&)> answer) {
        answer_ = std::move(answer);
    }
    // Where text printing goes without a printer: a folder of numbered .txt files or nothing.
    void setPrintFolder(std::filesystem::path folder) { printFolder_ = std::move(folder); }

private:
    void log(const std::string& kind, const std::string& caption, const std::string& text);

    std::ostream* log_;
    std::function<MessageResult(const MessageBoxRequest&)> answer_;
    std::filesystem::path printFolder_;
    int printJobs_ = 0;
};

// The default answer of a message box: the default button, else the first in dialog order.
MessageResult defaultAnswer(const MessageBoxRequest& request);

} // namespace vorlan
