#pragma once
// What the form and dialog tests share: the registry filled once, a sink that records the
// handlers a form calls, and a way to answer a modal window from inside its loop.

#include "core/headless_ui.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "script/value.h"
#include "stdlib/stdlib.h"
#include "stdlib/units.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/form_classes.h"
#include "ui/qt/qt_ui.h"

#include <QApplication>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vorlan::forms::testing {

inline void ensureRegistered() {
    auto& reg = script::registry();
    if (!reg.findClass("TComponent")) {
        script::registerEngineBuiltins(reg);
        script::registerScriptRunners(reg);
    }
    registerFormClasses(reg);
    registerDialogs(reg);
    // The members of Items and Lines are the standard library's string list API.
    if (!reg.findMember("TStrings", "Add").method) {
        if (!reg.findClass("Exception")) stdlib::registerSysUtilsUnit(reg);
        stdlib::registerClassesUnit(reg);
    }
}

// An array of Integers, as a program passes one to a dialog.
inline script::Value numbers(std::initializer_list<std::int32_t> list) {
    auto array = script::VarArray::create(0, static_cast<std::int32_t>(list.size()) - 1);
    std::size_t i = 0;
    for (std::int32_t n : list)
        array->items()[i++] = script::Value(n);
    return script::Value(array);
}

struct Call {
    std::string procedure;
    std::vector<script::Value> args;
};

// Records every handler call; a test may answer a handler by changing its arguments.
class RecordingSink : public script::EventSink {
public:
    std::vector<Call> calls;
    std::map<std::string, std::function<void(std::span<script::Value>)>> answers;

    script::Value callHandler(const std::string& procedure,
                              std::span<script::Value> args) override {
        calls.push_back({procedure, {args.begin(), args.end()}});
        if (auto it = answers.find(procedure); it != answers.end()) it->second(args);
        return {};
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            out.push_back(c.procedure);
        return out;
    }
};

// Puts the given services in place for one test and the previous ones back after it.
class UiScope {
public:
    explicit UiScope(std::unique_ptr<UiServices> services)
        : previous_(setUi(std::move(services))) {}
    ~UiScope() { setUi(std::move(previous_)); }

private:
    std::unique_ptr<UiServices> previous_;
};

// A screen: windows are shown (on the offscreen platform) and dialogs wait for a user.
inline std::unique_ptr<UiServices> screenUi() {
    return std::make_unique<qt::QtUi>(false);
}

// Runs `act` on the modal window once its loop is running.
inline void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        if (QWidget* modal = QApplication::activeModalWidget()) act(modal);
    });
}

} // namespace vorlan::forms::testing
