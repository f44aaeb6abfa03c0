// Qt's own dialogs as users of the runtime meet them: in Czech, and opening where their files are.

#include "ui/qt/dialog_folder.h"
#include "ui/qt/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QObject>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vorlan;
namespace fs = std::filesystem;

TEST(QtDialogTexts, QtsOwnDialogTextsAreCzechWhileTheTranslationsAreInstalled) {
    const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    {
        QObject owner;
        const auto languages = qt::installQtTranslations(owner);
        ASSERT_FALSE(languages.empty()) << "qtbase_cs.qm is missing (qt6-translations-l10n)";
        EXPECT_EQ(languages.front(), QStringLiteral("cs"));
        EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                  QStringLiteral("Zrušit"));
    }
    // Gone with their owner: nothing stays behind for other windows of the process.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);

    QObject owner;
    EXPECT_TRUE(qt::installQtTranslations(owner, QStringLiteral("/nonexistent")).empty());
}

TEST(QtDialogTexts, FileDialogsOpenInTheProgramsFolderNotInTheRuntimesOrTheRoot) {
    const fs::path before = fs::current_path();
    const fs::path folder = fs::temp_directory_path() / "vorlan_dialog_folder";
    fs::create_directories(folder);
    fs::current_path(folder);
    EXPECT_EQ(fs::path(qt::defaultDialogFolder().toStdString()), fs::canonical(folder));
    fs::current_path("/");
    EXPECT_EQ(qt::defaultDialogFolder(), QDir::homePath());
    fs::current_path(QCoreApplication::applicationDirPath().toStdString());
    EXPECT_EQ(qt::defaultDialogFolder(), QDir::homePath());
    fs::current_path(before);
    fs::remove_all(folder);
}
