// The Clipboard object and ShellExecute.
#include "desktop_fixture.h"

#include "ui/qt/qt_ui.h"
#include "ui/qt/stdlib/shell_execute.h"

#include <QApplication>
#include <QClipboard>

#include <sstream>

using namespace vorlan;
using namespace vorlan::stdlib;
using namespace vorlan::stdlib::testing;
using script::Value;
namespace fs = std::filesystem;

TEST(Clipboard, TextRoundTripsInWindows1250AndFormatsAreTold) {
    desktopRegistry();
    script::ObjectRef clip = object("Clipboard");
    const std::string text = czech("Žluťoučký kůň");
    put(*clip, "AsText", Value(text));
    EXPECT_EQ(call(*clip, "AsText").toString(), text);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("Žluťoučký kůň"));
    EXPECT_TRUE(call(*clip, "HasFormat", {global("CF_TEXT")}).toBool());
    EXPECT_FALSE(call(*clip, "HasFormat", {global("CF_BITMAP")}).toBool());
    call(*clip, "Clear");
    EXPECT_FALSE(call(*clip, "HasFormat", {global("CF_TEXT")}).toBool());
    EXPECT_EQ(call(*clip, "AsText").toString(), "");

    // Pictures go both ways through Assign.
    script::ObjectRef bitmap = call(*object("TBitmap"), "Create").toObject();
    call(*bitmap, "SetSize", {Value(5), Value(3)});
    call(*clip, "Assign", {Value(bitmap)});
    EXPECT_TRUE(call(*clip, "HasFormat", {global("CF_BITMAP")}).toBool());
    script::ObjectRef pasted = call(*object("TBitmap"), "Create").toObject();
    call(*pasted, "Assign", {Value(clip)});
    EXPECT_EQ(call(*pasted, "Width").toInt(), 5);
    call(*clip, "Clear");
    EXPECT_EQ(tryCall(*pasted, "Assign", {Value(clip)}).status, script::DispStatus::Exception);
    call(*bitmap, "Free");
    call(*pasted, "Free");
}

namespace {

struct Launch {
    std::string kind;
    std::string target;
    std::vector<std::string> arguments;
    std::string folder;
};

class RecordingLauncher : public ShellLauncher {
public:
    explicit RecordingLauncher(std::vector<Launch>& log) : log_(log) {}
    bool openUrl(const QUrl& url) override {
        log_.push_back({"open", url.toString().toStdString(), {}, {}});
        return true;
    }
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& directory) override {
        Launch l{"run", program.toStdString(), {}, directory.toStdString()};
        for (const QString& a : arguments)
            l.arguments.push_back(a.toStdString());
        log_.push_back(l);
        return true;
    }
    bool printFile(const QString& file) override {
        log_.push_back({"print", file.toStdString(), {}, {}});
        return true;
    }

private:
    std::vector<Launch>& log_;
};

class ShellExecuteTest : public ::testing::Test {
protected:
    void SetUp() override {
        desktopRegistry();
        folder = scratch("shell");
        previousLauncher = setShellLauncher(std::make_unique<RecordingLauncher>(launches));
        setShellLog(&log);
        std::ofstream(folder / "Dopis.txt") << "text";
        std::ofstream(folder / "uloha.sh") << "#!/bin/sh\nexit 0\n";
        fs::permissions(folder / "uloha.sh", fs::perms::owner_all);
        // A document copied from a Windows disk may carry the executable bit.
        std::ofstream(folder / "Cenik.pdf") << "%PDF-1.4";
        fs::permissions(folder / "Cenik.pdf", fs::perms::owner_all);
    }
    void TearDown() override {
        setShellLauncher(std::move(previousLauncher));
        setShellLog(nullptr);
        if (previousUi) setUi(std::move(previousUi));
        fs::remove_all(folder);
    }
    void useFrontEnd(bool headless) {
        previousUi = setUi(std::make_unique<qt::QtUi>(headless, fs::path(), &log));
    }
    std::int32_t shell(const std::string& operation, const std::string& file,
                       const std::string& parameters = "", const std::string& directory = "") {
        return global("ShellExecute", {Value(0), Value(operation), Value(file), Value(parameters),
                                       Value(directory), global("SW_SHOWNORMAL")})
            .toInt();
    }
    std::string url(const std::string& name) const { return "file://" + (folder / name).string(); }

    fs::path folder;
    std::vector<Launch> launches;
    std::unique_ptr<ShellLauncher> previousLauncher;
    std::unique_ptr<UiServices> previousUi;
    std::ostringstream log;
};

} // namespace

TEST_F(ShellExecuteTest, DocumentsOpenProgramsStartAndFailuresAnswerTheirNumbers) {
    useFrontEnd(false);
    const std::string dir = folder.string();
    EXPECT_EQ(shell("open", "dopis.TXT", "", dir), 42); // found whatever the letter case
    EXPECT_EQ(shell("", (folder / "Cenik.pdf").string()), 42);
    EXPECT_EQ(shell("open", "http://www.example.cz/cenik"), 42);
    EXPECT_EQ(shell("open", "uloha.sh", "-a \"dva slova\"", dir), 42);
    EXPECT_EQ(shell("explore", dir), 42);
    EXPECT_EQ(shell("print", "Dopis.txt", "", dir), 42);
    ASSERT_EQ(launches.size(), 6u);
    EXPECT_EQ(launches[0].kind, "open");
    EXPECT_EQ(launches[0].target, url("Dopis.txt"));
    EXPECT_EQ(launches[1].kind, "open"); // not run although executable
    EXPECT_EQ(launches[2].target, "http://www.example.cz/cenik");
    EXPECT_EQ(launches[3].kind, "run");
    EXPECT_EQ(launches[3].target, (folder / "uloha.sh").string());
    EXPECT_EQ(launches[3].arguments, (std::vector<std::string>{"-a", "dva slova"}));
    EXPECT_EQ(launches[3].folder, dir);
    EXPECT_EQ(launches[4].target, "file://" + dir);
    EXPECT_EQ(launches[5].kind, "print");

    launches.clear();
    EXPECT_EQ(shell("open", "chybi.doc", "", dir), global("ERROR_FILE_NOT_FOUND").toInt());
    EXPECT_EQ(shell("open", "Dopis.txt", "", dir + "/chybi"),
              global("ERROR_PATH_NOT_FOUND").toInt());
    EXPECT_EQ(shell("smaz", "Dopis.txt", "", dir), global("SE_ERR_NOASSOC").toInt());
    EXPECT_EQ(shell("open", ""), 2);
    EXPECT_TRUE(launches.empty());
    // A bare program name is looked up on the PATH, a Windows extension left off.
    EXPECT_EQ(shell("open", "sh.exe", "-c true"), 42);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(fs::path(launches[0].target).filename(), "sh");
}

TEST_F(ShellExecuteTest, HeadlessRunsLogWhatWouldHaveOpenedAndSucceed) {
    useFrontEnd(true);
    EXPECT_EQ(shell("open", "Dopis.txt", "", folder.string()), 42);
    EXPECT_EQ(shell("open", "uloha.sh", "x", folder.string()), 42);
    EXPECT_EQ(shell("open", "mailto:info@example.cz"), 42);
    EXPECT_TRUE(launches.empty());
    EXPECT_EQ(log.str(), "[shell] open: " + (folder / "Dopis.txt").string() + "\n" +
                             "[shell] run: " + (folder / "uloha.sh").string() + " x\n" +
                             "[shell] open: mailto:info@example.cz\n");
    // What cannot be found is still an error.
    EXPECT_EQ(shell("open", "chybi.txt", "", folder.string()), 2);
}
