#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "line_runner.h"
#include "script/builtins.h"
#include "script/comp_wrapper.h"
#include "script/form_loader.h"
#include "script/registry.h"
#include "script/run_cycle.h"
#include "script/scripter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vorlan;
using namespace vorlan::script;
using vorlan::testing::lineRunnerLog;

namespace {

// Records message boxes and answers them as told.
struct Dialogs {
    std::vector<MessageBoxRequest> shown;
    MessageResult answer = MessageResult::Ok;
    std::ostringstream log;
    std::unique_ptr<UiServices> previous;

    Dialogs() {
        auto ui = std::make_unique<HeadlessUi>(&log);
        ui->setAnswer([this](const MessageBoxRequest& r) {
            shown.push_back(r);
            return answer;
        });
        previous = setUi(std::move(ui));
    }
    ~Dialogs() { setUi(std::move(previous)); }
};

class ScripterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!registry().findClass("TComponent")) {
            registerEngineBuiltins(registry());
            registerScriptRunners(registry());
        }
        vorlan::testing::registerLineRunner();
        lineRunnerLog().clear();
        runFromArchive() = false;
    }
    std::unique_ptr<Scripter> scripterWith(std::vector<std::string> lines) {
        auto s = std::make_unique<Scripter>();
        s->language = "LineScript";
        s->script = std::move(lines);
        return s;
    }
};

} // namespace

TEST_F(ScripterTest, RunsMainBodyThenMain) {
    auto s = scripterWith({"echo body", "proc main", "echo in main", "end"});
    s->run();
    EXPECT_EQ(lineRunnerLog(), (std::vector<std::string>{"body", "in main"}));
    EXPECT_FALSE(s->errorFlag());
}

TEST_F(ScripterTest, UndefinedProcedureIsSilentlyNothing) {
    Dialogs dialogs;
    auto s = scripterWith({"proc known", "echo k", "end"});
    const Value r = s->callByName("Unknown");
    EXPECT_TRUE(r.isEmpty());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(s->errorFlag());
}

TEST_F(ScripterTest, ErrorBoxOkContinuesCancelStops) {
    Dialogs dialogs;
    // File mode: the module comes from a file beside which no form lies.
    const auto file = std::filesystem::temp_directory_path() / "vorlan_scripter_TEST.TST";
    std::ofstream(file, std::ios::binary) << "proc main\r\nfail Boom\r\necho after\r\nend\r\n";
    auto s = std::make_unique<Scripter>();
    s->scriptFile = file.string();
    s->run();
    std::filesystem::remove(file);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const std::string& text = dialogs.shown[0].text;
    EXPECT_EQ(text, "Runner Boom \r\n\r\nProgram: " + file.string() + "\r\n" +
                        czech("řádek:2, sloupec:3. ") + "\r\n\r\n" +
                        czech("Pokračovat v programu?"));
    EXPECT_EQ(dialogs.shown[0].caption, "VORLAN");
    EXPECT_EQ(dialogs.shown[0].buttons, static_cast<unsigned>(ButtonOk | ButtonCancel));
    EXPECT_EQ(lineRunnerLog(), std::vector<std::string>{"after"});
    EXPECT_FALSE(s->errorFlag());

    lineRunnerLog().clear();
    dialogs.answer = MessageResult::Cancel;
    s->callByName("main");
    EXPECT_TRUE(lineRunnerLog().empty());
    EXPECT_TRUE(s->errorFlag());
}

TEST_F(ScripterTest, ArchiveModeNamesTheModuleAndTheHandlerOverridesTheBox) {
    Dialogs dialogs;
    auto s = scripterWith({"proc main", "fail Boom", "end"});
    int seenLine = 0, seenPos = 0;
    s->onError = [&](Scripter&, const ExceptionInfo& info, int position, int line, bool& resume) {
        seenLine = line;
        seenPos = position;
        EXPECT_EQ(info.description, "Boom");
        resume = true;
    };
    s->run();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(seenLine, 2);
    EXPECT_EQ(seenPos, 3);
}

TEST_F(ScripterTest, CompileFailureLeavesErrorFlag) {
    Dialogs dialogs;
    auto s = scripterWith({"syntax"});
    s->run();
    EXPECT_TRUE(s->errorFlag());
    EXPECT_EQ(s->runner(), nullptr);
}

TEST_F(ScripterTest, MissingRunnersGiveTheirMessages) {
    Scripter byLanguage;
    byLanguage.language = "Cobol";
    EXPECT_THROW(
        {
            try {
                byLanguage.run();
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "#No Script Runner registered for Cobol language");
                throw;
            }
        },
        std::runtime_error);
    Scripter byExtension;
    byExtension.scriptFile = "X.QQQ";
    byExtension.script = {"x"};
    runFromArchive() = false;
    // The file cannot be read, so the load fails quietly before a runner is needed.
    byExtension.run();
    EXPECT_TRUE(byExtension.errorFlag());
    Scripter engineless;
    engineless.language = "VBScript";
    EXPECT_THROW(engineless.run(), ScriptEngineError);
}

TEST_F(ScripterTest, FormEventsCallTheNamedProcedures) {
    Dialogs dialogs;
    stream::StreamObject form;
    form.className = "TForm1";
    form.name = "Form1";
    stream::StreamProperty click{"OnClick", {}};
    click.value.kind = stream::ValueKind::Ident;
    click.value.text = "Form1Click";
    form.properties.push_back(click);
    stream::StreamObject button;
    button.className = "TButton";
    button.name = "Button1";
    stream::StreamProperty buttonClick{"OnClick", {}};
    buttonClick.value.kind = stream::ValueKind::Ident;
    buttonClick.value.text = "Missing";
    button.properties.push_back(buttonClick);
    form.children.push_back(button);

    auto s = scripterWith({"proc Form1Click", "echo clicked", "end"});
    auto module = instantiateComponents(form, registry(), true);
    EXPECT_TRUE(module->isForm());
    s->setModule(module.get());
    s->run();
    module->fireNotify("OnClick");
    EXPECT_EQ(lineRunnerLog(), std::vector<std::string>{"clicked"});
    // Events are published properties holding the handler's name; assigning one binds it.
    Value handler;
    ASSERT_TRUE(module->getPublished("onclick", handler));
    EXPECT_EQ(handler.toString(), "Form1Click");
    module->setPublished("OnDblClick", Value("Form1Click"));
    module->fireNotify("OnDblClick");
    EXPECT_EQ(lineRunnerLog().size(), 2u);
    // A handler the module does not define does nothing.
    Component* b = module->findComponent("Button1");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->owner(), module.get());
    EXPECT_TRUE(b->fireNotify("OnClick").isEmpty());
    EXPECT_TRUE(dialogs.shown.empty());
    s.reset();
    EXPECT_TRUE(module->fireNotify("OnClick").isEmpty()); // no scripter, nothing happens
}

// Objects a script makes without an owner have no form to send their events to: a handler the
// running script names goes back to that script, for as long as it lives.
TEST_F(ScripterTest, HandlersNamedByARunningScriptReachItWithoutAnOwner) {
    auto s = scripterWith({"proc Tick", "echo tick", "end"});
    s->run();
    Component loose("TTimer", "T");
    Component outside("TTimer", "U");
    outside.setPublished("OnTimer", Value("Tick")); // no script running: no sink
    {
        const RunningEventSink running(s.get(), s->aliveToken());
        {
            const RunningEventSink nested(nullptr, {});
            loose.setPublished("OnTimer", Value("Tick"));
        }
        EXPECT_TRUE(loose.fireNotify("OnTimer").isEmpty());
        loose.setPublished("OnTimer", Value("Tick")); // the outer scope is back
    }
    loose.fireNotify("OnTimer");
    outside.fireNotify("OnTimer");
    EXPECT_EQ(lineRunnerLog(), std::vector<std::string>{"tick"});
    Value handler;
    ASSERT_TRUE(loose.getPublished("OnTimer", handler));
    EXPECT_EQ(handler.toString(), "Tick");

    // nil, Null and Empty unbind the event.
    for (const Value& none : {Value(), Value::null(), Value(ObjectRef())}) {
        loose.setPublished("OnTimer", Value("Tick"));
        loose.setPublished("OnTimer", none);
        EXPECT_EQ(loose.handlerOf("OnTimer"), nullptr);
    }
    loose.setPublished("OnTimer", Value("Tick"));
    s.reset();
    EXPECT_TRUE(loose.fireNotify("OnTimer").isEmpty()); // the script is gone
    EXPECT_EQ(lineRunnerLog().size(), 1u);
}

TEST_F(ScripterTest, LiveListFollowsTheScripter) {
    auto s = scripterWith({"proc main", "end"});
    s->run();
    EXPECT_TRUE(scripterIsLive(s.get()));
    s->finish();
    EXPECT_FALSE(scripterIsLive(s.get()));
}
