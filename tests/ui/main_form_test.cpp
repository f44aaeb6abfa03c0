#include "core/cp1250.h"
#include "ui/qt/main_form.h"
#include "window_models/recording_ui.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QToolButton>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

using namespace vorlan;
using qt::MainForm;
namespace fs = std::filesystem;

namespace {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("vorlan_mainform_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        savedCwd = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(savedCwd);
        fs::remove_all(folder);
    }

    qt::MainFormOptions options() {
        qt::MainFormOptions o;
        o.runProgram = [this](const std::string& name) {
            runs.push_back(name);
            if (onRun) onRun();
        };
        return o;
    }
    fs::path touch(const std::string& name, const std::string& text = "x") {
        std::ofstream(folder / name, std::ios::binary) << text;
        return folder / name;
    }
    static int left(const MainForm& form, const char* button) {
        return form.findChild<QToolButton*>(QLatin1String(button))->x();
    }
    static bool shown(const MainForm& form, const char* child) {
        return form.findChild<QWidget*>(QLatin1String(child))->isVisibleTo(&form);
    }

    fs::path folder;
    fs::path savedCwd;
    std::vector<std::string> runs;
    std::function<void()> onRun;
};

} // namespace

TEST_F(MainFormTest, StartsCompactWithTheButtonsOfTheCompactLayout) {
    MainForm form(options());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("FENWAR VORLAN (RunTime)"));
    EXPECT_EQ(form.width(), MainForm::kCompactWidth);
    EXPECT_EQ(form.height(), MainForm::kBarHeight);
    EXPECT_EQ(form.pos(), QPoint(0, 20));
    EXPECT_FALSE(form.wideLayout());
    EXPECT_EQ(left(form, "RunButton"), 2);
    EXPECT_EQ(left(form, "SpeedButton1"), 34);
    EXPECT_EQ(left(form, "SpeedButton14"), 72);
    EXPECT_EQ(left(form, "SpeedButton12"), 97);
    EXPECT_EQ(left(form, "SpeedButton9"), 122);
    EXPECT_EQ(left(form, "SpeedButton18"), 147);
    EXPECT_EQ(left(form, "SpeedButton16"), 172);
    EXPECT_FALSE(shown(form, "ComboBox"));
    EXPECT_FALSE(shown(form, "SpeedButton1"));
    EXPECT_TRUE(shown(form, "Panel2"));
    EXPECT_EQ(form.findChild<QToolButton*>("RunButton")->toolTip(),
              QStringLiteral("Načte a spustí program"));
    EXPECT_EQ(form.findChild<QToolButton*>("SpeedButton9")->toolTip(),
              QStringLiteral("Ukryje/zobrazí databázové okno"));
    // Only the width may change.
    EXPECT_EQ(form.maximumHeight(), form.height());
    EXPECT_EQ(form.minimumWidth(), MainForm::kCompactWidth);
}

TEST_F(MainFormTest, AProgramMenuOpensTheWideLayoutSortedWithTheFirstLineChosen) {
    auto o = options();
    o.menuFile = touch("vorlan.MNU", "C:\\B.VRL\r\nc:\\a.vrl\r\n\r\nD:\\Z.VRL\r\n");
    MainForm form(o);
    EXPECT_TRUE(form.wideLayout());
    EXPECT_EQ(form.width(), MainForm::kWideWidth);
    EXPECT_EQ(form.x(), -MainForm::kWideMove);
    EXPECT_EQ(form.menuPaths(), (std::vector<std::string>{"c:\\a.vrl", "C:\\B.VRL", "D:\\Z.VRL"}));
    EXPECT_EQ(form.comboText(), "c:\\a.vrl");
    EXPECT_TRUE(shown(form, "ComboBox"));
    EXPECT_TRUE(shown(form, "SpeedButton1"));
    EXPECT_EQ(left(form, "SpeedButton1"), 288);
    EXPECT_EQ(left(form, "SpeedButton14"), 326);
    EXPECT_EQ(left(form, "SpeedButton16"), 426);
    EXPECT_EQ(form.findChild<QComboBox*>("ComboBox")->geometry(), QRect(30, 2, 255, 25));
    EXPECT_EQ(form.minimumWidth(), 460);

    form.runSelectedClick();
    EXPECT_EQ(runs, std::vector<std::string>{"c:\\a.vrl"});
    EXPECT_FALSE(form.singleRun());

    // With a program on the command line the menu is not read.
    o.argument = "X.VRL";
    MainForm withArgument(o);
    EXPECT_FALSE(withArgument.wideLayout());
    EXPECT_TRUE(withArgument.menuPaths().empty());
}

TEST_F(MainFormTest, TheProgramOfTheCommandLineRunsOnceAndEnds) {
    auto o = options();
    o.argument = cp1250ToUtf8(touch("PROG.VRL").string());
    o.argumentIsFile = true;
    MainForm form(o);
    EXPECT_TRUE(shown(form, "SpeedButton1"));
    form.show();
    EXPECT_TRUE(form.runFile(*o.argument));
    EXPECT_EQ(runs, std::vector<std::string>{*o.argument});
    EXPECT_TRUE(form.singleRun());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.wideLayout());
    EXPECT_EQ(form.menuPaths(), std::vector<std::string>{*o.argument});
    // No size limits while the runtime is on its way out.
    EXPECT_EQ(form.maximumHeight(), QWIDGETSIZE_MAX);
}

TEST_F(MainFormTest, ASplashPictureStandsInForTheWindowWhileTheProgramRuns) {
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(QString::fromStdString((folder / "PROG.BMP").string()), "BMP"));
    auto o = options();
    o.argument = touch("PROG.VRL").string();
    o.argumentIsFile = true;
    o.splashPicture = folder / "PROG.BMP";
    MainForm form(o);
    EXPECT_TRUE(form.splashShown());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.size(), QSize(120, 80));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form.x(), screen.x() + (screen.width() - 120) / 2);
    EXPECT_TRUE(shown(form, "Image"));

    bool visibleDuringRun = false;
    onRun = [&] { visibleDuringRun = form.isVisible(); };
    form.runFile(*o.argument);
    EXPECT_TRUE(visibleDuringRun);
    EXPECT_FALSE(form.splashShown());
    EXPECT_FALSE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.pos(), QPoint(230, 100));
    EXPECT_EQ(form.height(), MainForm::kBarHeight);
    EXPECT_FALSE(shown(form, "Image"));
}

TEST_F(MainFormTest, ProgramsPickedInTheDialogJoinTheMenuOnce) {
    test_support::RecordingUiScope recording;
    touch("DEMO.VRL");
    MainForm form(options());
    form.show();
    const int leftBefore = form.x();

    recording->fileAnswer = (folder / "demo.dat").string();
    form.runKlxClick();
    ASSERT_EQ(recording->fileDialogs.size(), 1u);
    EXPECT_EQ(recording->fileDialogs[0].title, czech("Spustit kompilovaný program ..."));
    EXPECT_EQ(recording->fileDialogs[0].filter,
              czech("Komilované programy (*.VRL)|*.VRL|Všechny soubory (*.*)|*.*"));
    const std::string name = upperCase((folder / "demo.VRL").string());
    ASSERT_EQ(runs, std::vector<std::string>{name});
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.wideLayout());
    EXPECT_EQ(form.x(), leftBefore - MainForm::kWideMove);
    EXPECT_TRUE(shown(form, "ComboBox"));
    EXPECT_EQ(form.comboText(), name);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), folder));

    form.runKlxClick();
    EXPECT_EQ(runs.size(), 2u);
    EXPECT_EQ(form.menuPaths(), std::vector<std::string>{name});

    recording->fileAnswer = (folder / "missing.vrl").string();
    form.runKlxClick();
    EXPECT_EQ(runs.size(), 2u);
    ASSERT_EQ(recording->messages.size(), 1u);
    EXPECT_EQ(recording->messages[0].text,
              "Program " + upperCase((folder / "missing.VRL").string()) + " nebyl nalezen !");

    recording->fileAnswer.reset();
    form.runKlxClick();
    EXPECT_EQ(runs.size(), 2u);
}

TEST_F(MainFormTest, AFailedRunStillBringsTheWindowBack) {
    MainForm form(options());
    form.show();
    onRun = [] { throw std::runtime_error("Nelze spustit"); };
    EXPECT_THROW(form.runFile("C:\\X.VRL"), std::runtime_error);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.wideLayout());
    EXPECT_TRUE(form.menuPaths().empty());
}

TEST_F(MainFormTest, ToggleButtonsShowAndHideTheirWindows) {
    MainForm form(options());
    QWidget console, canvas, database;
    form.setOutputWindows(&console, &canvas, &database);
    const std::pair<const char*, QWidget*> buttons[] = {
        {"SpeedButton14", &console}, {"SpeedButton12", &canvas}, {"SpeedButton9", &database}};
    for (const auto& [name, window] : buttons) {
        auto* button = form.findChild<QToolButton*>(QLatin1String(name));
        button->click();
        EXPECT_TRUE(window->isVisible()) << name;
        button->click();
        EXPECT_FALSE(window->isVisible()) << name;
    }
}

TEST_F(MainFormTest, TheCanvasAProgramOpenedClosesWhenItEndsAndTheUsersStaysOpen) {
    MainForm form(options());
    QWidget console, canvas, database;
    form.setOutputWindows(&console, &canvas, &database);
    onRun = [&] {
        canvas.show();
        console.show();
    };
    form.runFile("C:\\KRESBA.VRL");
    EXPECT_FALSE(canvas.isVisible());
    EXPECT_TRUE(console.isVisible()); // its text is there to be read
    // Also when the program ends with an error.
    onRun = [&] {
        canvas.show();
        throw std::runtime_error("Chyba");
    };
    EXPECT_THROW(form.runFile("C:\\KRESBA.VRL"), std::runtime_error);
    EXPECT_FALSE(canvas.isVisible());
    // A canvas the user opened before the run is left to the user.
    canvas.show();
    onRun = [] {};
    form.runFile("C:\\KRESBA.VRL");
    EXPECT_TRUE(canvas.isVisible());
}

TEST(ChangeFileExt, ReplacesOnlyTheExtensionOfTheLastName) {
    EXPECT_EQ(qt::changeFileExt("C:\\DIR.X\\PROG.DAT", ".VRL"), "C:\\DIR.X\\PROG.VRL");
    EXPECT_EQ(qt::changeFileExt("C:\\DIR.X\\PROG", ".VRL"), "C:\\DIR.X\\PROG.VRL");
    EXPECT_EQ(qt::changeFileExt("/home/a.b/prog", ".VRL"), "/home/a.b/prog.VRL");
}
