#pragma once
// What the designer's dialog tests share: a table of fields without records, message boxes and
// input boxes answered by the test and remembered, and a way to act inside a modal dialog.

#include "core/headless_ui.h"
#include "ui/designer/fake_records.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vorlan::qt::testing {

// Answers message boxes with `answer` (the default button when unset) and input boxes with
// `input`, and keeps every message box asked.
class RecordingUi : public HeadlessUi {
public:
    RecordingUi() : HeadlessUi(&log_) {
        setAnswer([this](const MessageBoxRequest& request) {
            asked.push_back(request);
            return answer ? *answer : defaultAnswer(request);
        });
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return input;
    }

    std::vector<MessageBoxRequest> asked;
    std::optional<MessageResult> answer;
    std::optional<std::string> input;

private:
    std::ostringstream log_;
};

// Installs a RecordingUi for the test's lifetime.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto recording = std::make_unique<RecordingUi>();
        ui_ = recording.get();
        previous_ = setUi(std::move(recording));
    }
    void TearDown() override { setUi(std::move(previous_)); }

    RecordingUi& answers() { return *ui_; }

private:
    RecordingUi* ui_ = nullptr;
    std::unique_ptr<UiServices> previous_;
};

// Runs `act` on the modal dialog once it is open (the caller then calls the function that
// shows it). `act` must close the dialog.
inline void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

// The child named `name` of type T; fails the test when there is none.
template <class T> T* child(QWidget* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace vorlan::qt::testing
