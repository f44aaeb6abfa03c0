#pragma once
// A UiServices for tests: records every dialog and print job and answers as told. Installed
// with the scope below, which puts the previous services back.

#include "core/ui_services.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlan::test_support {

struct RecordedPrint {
    std::string title;
    std::string fontName;
    int pointSize = 0;
    std::vector<std::string> lines;
    bool finished = false;
};

class RecordingUi : public UiServices {
public:
    std::vector<MessageBoxRequest> messages;
    std::vector<FileDialogRequest> fileDialogs;
    std::vector<RecordedPrint> prints;
    std::function<MessageResult(const MessageBoxRequest&)> answer;
    std::optional<std::string> fileAnswer;
    bool isHeadless = true;

    MessageResult messageBox(const MessageBoxRequest& request) override {
        messages.push_back(request);
        return answer ? answer(request) : MessageResult::Ok;
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string& d) override {
        return d;
    }
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override {
        fileDialogs.push_back(request);
        return fileAnswer;
    }
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override {
        fileDialogs.push_back(request);
        return fileAnswer;
    }
    std::unique_ptr<TextPrintJob>
    startTextPrint(const std::string& title, const std::string& fontName, int pointSize) override {
        prints.push_back({title, fontName, pointSize, {}, false});
        return std::make_unique<Job>(*this, prints.size() - 1);
    }
    bool waitAndProcessEvent() override { return false; }
    void processPendingEvents() override {}
    bool headless() const override { return isHeadless; }

private:
    struct Job : TextPrintJob {
        Job(RecordingUi& owner, std::size_t index) : owner_(owner), index_(index) {}
        void writeLine(const std::string& line) override {
            owner_.prints[index_].lines.push_back(line);
        }
        void finish() override { owner_.prints[index_].finished = true; }
        RecordingUi& owner_;
        std::size_t index_;
    };
};

// Installs a RecordingUi for the life of the scope.
class RecordingUiScope {
public:
    RecordingUiScope() {
        auto recording = std::make_unique<RecordingUi>();
        ui_ = recording.get();
        previous_ = setUi(std::move(recording));
    }
    ~RecordingUiScope() { setUi(std::move(previous_)); }
    RecordingUi& operator*() const { return *ui_; }
    RecordingUi* operator->() const { return ui_; }

private:
    RecordingUi* ui_;
    std::unique_ptr<UiServices> previous_;
};

} // namespace vorlan::test_support
