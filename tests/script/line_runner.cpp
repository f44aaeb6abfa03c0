#include "line_runner.h"

#include "core/cp1250.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <map>

namespace vorlan::testing {
using namespace vorlan::script;

std::vector<std::string>& lineRunnerLog() {
    static std::vector<std::string> log;
    return log;
}

namespace {

class LineRunner;

class LineModule : public Dispatch {
public:
    explicit LineModule(LineRunner& runner) : runner_(runner) {}
    DispId idOfName(std::string_view name) override;
    DispStatus invoke(DispId id, unsigned, std::span<Value> args, Value& result,
                      ExceptionInfo&) override;

private:
    LineRunner& runner_;
};

class LineRunner : public ScriptRunner {
public:
    using ScriptRunner::ScriptRunner;

    bool compileModule(const std::vector<std::string>& script) override {
        std::string current;
        for (std::size_t i = 0; i < script.size(); ++i) {
            const std::string& line = script[i];
            if (line.rfind("proc ", 0) == 0)
                current = upperCase(line.substr(5));
            else if (line == "end")
                current.clear();
            else if (line.rfind("syntax", 0) == 0) {
                reportError(static_cast<int>(i), 0, {"Compiler", "Syntax error"});
                return false;
            } else
                (current.empty() ? main_ : routines_[current])
                    .push_back({static_cast<int>(i), line});
        }
        module_ = std::make_shared<LineModule>(*this);
        return true;
    }
    void runMainBody() override { execute(main_, {}); }
    ObjectRef moduleDispatch() override { return module_; }

    bool has(std::string_view name) const { return routines_.count(upperCase(name)) != 0; }
    void call(std::string_view name, std::span<Value> args) {
        execute(routines_[upperCase(name)], args);
    }

private:
    struct Line {
        int number;
        std::string text;
    };
    void execute(const std::vector<Line>& lines, std::span<Value> args) {
        for (const auto& line : lines) {
            if (line.text.rfind("echo ", 0) == 0) {
                std::string text = line.text.substr(5);
                if (text == "$1" && !args.empty()) text = args[0].toString();
                lineRunnerLog().push_back(text);
            } else if (line.text.rfind("fail ", 0) == 0) {
                if (!reportError(line.number, 2, {"Runner", line.text.substr(5)})) return;
            } else if (line.text == "finish") {
                scripter().finish();
            }
        }
    }
    std::vector<Line> main_;
    std::map<std::string, std::vector<Line>> routines_;
    ObjectRef module_;
};

DispId LineModule::idOfName(std::string_view name) {
    return runner_.has(name) ? 1 : kUnknownDispId;
}

DispStatus LineModule::invoke(DispId, unsigned, std::span<Value> args, Value& result,
                              ExceptionInfo&) {
    (void)result;
    // The routine name is not carried by the id here; tests call through the runner instead.
    (void)args;
    return DispStatus::Ok;
}

class NamedLineRunner : public LineRunner {
public:
    using LineRunner::LineRunner;
    Value callByName(std::string_view name, std::span<Value> args) override {
        if (has(name)) call(name, args);
        return {};
    }
};

} // namespace

void registerLineRunner() {
    registry().registerScriptRunner("TLineRunner", "tst", "LineScript", [](Scripter& scripter) {
        return std::make_unique<NamedLineRunner>(scripter);
    });
}

} // namespace vorlan::testing
