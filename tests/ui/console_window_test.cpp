#include "core/cp1250.h"
#include "ui/qt/console_window.h"
#include "ui/qt/qt_text.h"
#include "window_models/recording_ui.h"

#include <QApplication>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QToolButton>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace vorlan;
using qt::ConsoleWindow;
using windows::Console;
using Lines = std::vector<std::string>;

TEST(ConsoleWindow, StartsHiddenWithItsPlacementAndAFixedPitchMemo) {
    Console console;
    ConsoleWindow window(console);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Výstup - text"));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(357, 162));
    EXPECT_EQ(window.size(), QSize(594, 315));
    EXPECT_TRUE(window.memo()->isReadOnly());
    EXPECT_EQ(window.memo()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(QFontInfo(window.memo()->font()).fixedPitch());
    EXPECT_FALSE(window.toolBar()->isVisibleTo(&window));

    console.show();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(console.visible());
    console.setGeometry(0, 0, 200, 100);
    EXPECT_EQ(window.pos(), QPoint(0, 0));
    EXPECT_EQ(window.size(), QSize(200, 100));
    console.hide();
    EXPECT_FALSE(window.isVisible());
}

TEST(ConsoleWindow, ShowsTheLinesOfTheConsoleOnePerBlock) {
    Console console;
    console.writeln(czech("před oknem"));
    ConsoleWindow window(console);
    EXPECT_EQ(window.memo()->toPlainText(), QStringLiteral("před oknem\n"));
    // A line feed inside a line is kept by the console but not drawn.
    console.write("a\r\nb");
    console.write("c");
    EXPECT_EQ(window.memo()->toPlainText(), QStringLiteral("před oknem\na\nbc"));
    EXPECT_EQ(window.memo()->blockCount(), int(console.model().lines().size()));
}

TEST(ConsoleWindow, ToolbarBelongsToTheActiveWindow) {
    Console console;
    ConsoleWindow window(console);
    QWidget other;
    window.show();
    other.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(window.toolBar()->isVisible());
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(window.toolBar()->isVisible());
}

TEST(ConsoleWindow, ClearButtonEmptiesTextAndRestartsAtLineZero) {
    Console console;
    ConsoleWindow window(console);
    console.writeln("one");
    console.write("two");
    window.clearButton()->click();
    EXPECT_EQ(window.memo()->toPlainText(), QString());
    EXPECT_EQ(console.model().currentLine(), 0);
    console.write("x");
    EXPECT_EQ(console.model().lines(), Lines{"x"});
    EXPECT_EQ(window.memo()->toPlainText(), QStringLiteral("x"));
}

TEST(ConsoleWindow, PrintButtonAsksFirstAndPrintsInTheMemoFont) {
    test_support::RecordingUiScope recording;
    Console console;
    ConsoleWindow window(console);
    console.writeln("line");
    recording->answer = [](const MessageBoxRequest&) { return MessageResult::No; };
    window.printButton()->click();
    ASSERT_EQ(recording->messages.size(), 1u);
    EXPECT_EQ(recording->messages[0].text, czech("Opravdu vytisknout obsah textového výstupu ?"));
    EXPECT_EQ(recording->messages[0].buttons, unsigned{ButtonYes | ButtonNo});
    EXPECT_TRUE(recording->prints.empty());

    recording->answer = [](const MessageBoxRequest&) { return MessageResult::Yes; };
    window.printButton()->click();
    ASSERT_EQ(recording->prints.size(), 1u);
    EXPECT_EQ(recording->prints[0].lines, Lines{"line"});
    EXPECT_EQ(recording->prints[0].fontName, qt::toEngine(window.memo()->font().family()));
    EXPECT_EQ(recording->prints[0].pointSize, 9);

    // Scripts print with the runtime's print font, the memo's when none is set.
    console.printWithConfiguredFont();
    EXPECT_EQ(recording->prints[1].fontName, recording->prints[0].fontName);
}

TEST(ConsoleWindow, SaveButtonWritesTheChosenFile) {
    test_support::RecordingUiScope recording;
    Console console;
    ConsoleWindow window(console);
    console.write(czech("čeština"));
    window.saveButton()->click(); // cancelled
    ASSERT_EQ(recording->fileDialogs.size(), 1u);
    EXPECT_EQ(recording->fileDialogs[0].title, czech("Uložit textový výstup do souboru ..."));
    EXPECT_EQ(recording->fileDialogs[0].filter,
              czech("Textové soubory (*.TXT)|*.TXT|Všechny soubory (*.*)|*.*"));

    const auto file = std::filesystem::temp_directory_path() /
                      ("vorlan_save_" + std::to_string(::getpid()) + ".txt");
    recording->fileAnswer = file.string();
    window.saveButton()->click();
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), czech("čeština\r\n"));
    std::filesystem::remove(file);
}
