#include "app/vorlan/command_line.h"
#include "core/path_mapper.h"
#include "ui/qt/settings_store.h"

#include <QDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace vorlan;
namespace fs = std::filesystem;

TEST(SettingsStore, LivesInTheUsersConfigFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/srv/conf", 1);
    EXPECT_EQ(qt::SettingsStore::defaultFileName(), QStringLiteral("/srv/conf/vorlan/vorlan.ini"));
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(qt::SettingsStore::defaultFileName(),
              QDir::homePath() + QStringLiteral("/.config/vorlan/vorlan.ini"));
    if (saved) setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
}

TEST(SettingsStore, ReadsHandWrittenDrivesAndWindowPlacement) {
    const fs::path file =
        fs::temp_directory_path() / ("vorlan_settings_" + std::to_string(::getpid()) + ".ini");
    std::ofstream(file) << "[Drives]\nD=/srv/data\nE=~/docs\nCC=/ignored\n"
                           "[Forms]\nImageForm\\WinPos=10,20,640,480\nImageForm\\WindowState=2\n"
                           "ImageForm.Visible=true\nDbfForm\\WinPos=1,2,3\n";
    qt::SettingsStore store(QString::fromStdString(file.string()));
    PathMapper mapper;
    const fs::path home = mapper.driveRoot('C');
    store.applyDrives(mapper);
    EXPECT_EQ(mapper.driveRoot('D'), fs::path("/srv/data"));
    EXPECT_EQ(mapper.driveRoot('e'), fs::path(QDir::homePath().toStdString() + "/docs"));
    EXPECT_EQ(mapper.driveRoot('C'), home);
    EXPECT_EQ(mapper.drives().size(), 3u);

    const auto placement = store.placement(QStringLiteral("ImageForm"));
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->left, 10);
    EXPECT_EQ(placement->height, 480);
    EXPECT_EQ(placement->state, 2);
    EXPECT_TRUE(store.formSwitch(QStringLiteral("ImageForm"), QStringLiteral("Visible")));
    EXPECT_FALSE(store.placement(QStringLiteral("DbfForm")));
    EXPECT_FALSE(store.formSwitch(QStringLiteral("DbfForm"), QStringLiteral("Visible")));

    store.setPlacement(QStringLiteral("DbfForm"), {5, 6, 300, 200, 0});
    store.sync();
    qt::SettingsStore again(QString::fromStdString(file.string()));
    QWidget window;
    EXPECT_TRUE(again.restorePlacement(window, QStringLiteral("DbfForm")));
    EXPECT_EQ(window.geometry().size(), QSize(300, 200));
    EXPECT_EQ(window.pos(), QPoint(5, 6));
    fs::remove(file);
}

TEST(CommandLine, OptionsComeFirstAndTheProgramTakesTheRest) {
    auto c = app::parseCommandLine(
        {"--headless", "--print-to", "out.pdf", "prog.vrl", "--headless", "x"});
    EXPECT_TRUE(c.error.empty());
    EXPECT_TRUE(c.headless);
    EXPECT_EQ(c.printTo, std::optional<std::string>("out.pdf"));
    EXPECT_EQ(c.program, std::optional<std::string>("prog.vrl"));
    EXPECT_EQ(c.programArguments, (std::vector<std::string>{"--headless", "x"}));

    c = app::parseCommandLine({"--print-to=jobs", "--", "-odd.vrl"});
    EXPECT_EQ(c.printTo, std::optional<std::string>("jobs"));
    EXPECT_EQ(c.program, std::optional<std::string>("-odd.vrl"));

    c = app::parseCommandLine({});
    EXPECT_TRUE(c.error.empty());
    EXPECT_FALSE(c.program);
    EXPECT_TRUE(app::parseCommandLine({"--help"}).help);
    EXPECT_TRUE(app::parseCommandLine({"--headless", "--version"}).error.empty());
}

TEST(CommandLine, RejectsWhatItCannotUse) {
    EXPECT_FALSE(app::parseCommandLine({"--bogus", "p.vrl"}).error.empty());
    EXPECT_FALSE(app::parseCommandLine({"--print-to"}).error.empty());
    EXPECT_FALSE(app::parseCommandLine({"--print-to=", "p.vrl"}).error.empty());
    EXPECT_NE(app::usageText().find("--print-to SOUBOR.pdf|SLOŽKA"), std::string::npos);
}
