#include "pascal_fixture.h"

#include "core/cp1250.h"
#include "script/builtins.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"

#include <iostream>

namespace vorlan::testing {

using namespace vorlan::script;

namespace {

std::vector<std::string> printed;

void registerOnce() {
    static const bool done = [] {
        Registry& reg = registry();
        if (!reg.findClass("TComponent")) registerEngineBuiltins(reg);
        registerScriptRunners(reg);
        pascal::registerPascalRunner(reg);
        reg.registerProc("TestOut", "procedure(V: Variant)",
                         [](NativeObject*, std::span<Value> args, Value&) {
                             printed.push_back(args[0].toString());
                         });
        return true;
    }();
    (void)done;
}

} // namespace

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines)
        out += (out.empty() ? "" : " ") + l;
    return out;
}

void PascalTest::SetUp() {
    registerOnce();
    printed.clear();
    auto ui = std::make_unique<HeadlessUi>(&uiLog_);
    ui->setAnswer([this](const MessageBoxRequest& r) {
        boxes.push_back(r);
        return MessageResult::Cancel;
    });
    previousUi_ = setUi(std::move(ui));
}

void PascalTest::TearDown() {
    setUi(std::move(previousUi_));
    if (HasFailure())
        for (const auto& e : errors)
            std::cerr << "reported: " << cp1250ToUtf8(e.source) << " | "
                      << cp1250ToUtf8(e.description) << " at " << e.line << ":" << e.position
                      << "\n";
}

std::vector<std::string>& PascalTest::output() {
    return printed;
}

std::unique_ptr<Scripter> PascalTest::scripter(std::vector<std::string> lines) {
    auto s = std::make_unique<Scripter>();
    s->language = "ZelmoranScript";
    s->script = std::move(lines);
    s->onError = [this](Scripter&, const ExceptionInfo& info, int position, int line, bool& cont) {
        errors.push_back({info.source, info.description, line, position});
        cont = resume;
    };
    return s;
}

std::vector<std::string> PascalTest::run(std::vector<std::string> lines) {
    auto s = scripter(std::move(lines));
    s->run();
    return printed;
}

std::string PascalTest::runText(std::vector<std::string> lines) {
    return joined(run(std::move(lines)));
}

} // namespace vorlan::testing
