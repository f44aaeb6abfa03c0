#include "window_models/console/console_model.h"

#include <gtest/gtest.h>

#include <random>

using vorlan::windows::ConsoleModel;
using Lines = std::vector<std::string>;

TEST(ConsoleModel, CarriageReturnsBreakLinesAndNothingElseDoes) {
    ConsoleModel m;
    EXPECT_EQ(m.lines(), Lines{""});
    EXPECT_EQ(m.currentLine(), 0);

    m.write("Hello");
    m.write(", world");
    EXPECT_EQ(m.lines(), Lines{"Hello, world"});

    // A text ending with CR finishes the line and leaves an empty current line.
    m.write("!\r");
    EXPECT_EQ(m.lines(), (Lines{"Hello, world!", ""}));
    EXPECT_EQ(m.currentLine(), 1);

    // CR LF keeps the LF as the first character of the next line; a lone LF breaks nothing.
    m.write("a\r\nb\nc");
    EXPECT_EQ(m.lines(), (Lines{"Hello, world!", "a", "\nb\nc"}));
    EXPECT_EQ(m.currentLine(), 2);

    m.write("\r\r");
    EXPECT_EQ(m.lines(), (Lines{"Hello, world!", "a", "\nb\nc", "", ""}));
    EXPECT_EQ(m.currentLine(), 4);
}

TEST(ConsoleModel, KeepsAllTheTextAfterABreak) {
    // A memo of CR LF lines written at once keeps every line, however long.
    ConsoleModel m;
    m.write("a\r" + std::string(300, 'b') + "\r\n" + std::string(1000, 'c') + "\r\nd");
    EXPECT_EQ(m.lines(), (Lines{"a", std::string(300, 'b'), "\n" + std::string(1000, 'c'), "\nd"}));
    EXPECT_FALSE(m.beganAtCarriageReturn(0));
    EXPECT_TRUE(m.beganAtCarriageReturn(1));
    EXPECT_TRUE(m.beganAtCarriageReturn(3));
    m.writeln("");
    EXPECT_FALSE(m.beganAtCarriageReturn(4));
}

TEST(ConsoleModel, WritelnAndClear) {
    ConsoleModel m;
    m.writeln("");
    EXPECT_EQ(m.lines(), (Lines{"", ""}));
    EXPECT_EQ(m.currentLine(), 1);
    m.writeln("one");
    m.write("two");
    EXPECT_EQ(m.lines(), (Lines{"", "one", "two"}));

    m.clear();
    EXPECT_EQ(m.lines(), Lines{""});
    EXPECT_EQ(m.currentLine(), 0);
    m.write("again");
    EXPECT_EQ(m.lines(), Lines{"again"});
    EXPECT_EQ(m.currentLine(), 0);
}

TEST(ConsoleModel, ContentLeavesOutOnlyAnEmptyCurrentLine) {
    ConsoleModel m;
    EXPECT_TRUE(m.contentLines().empty());
    m.writeln("a");
    m.writeln("b");
    EXPECT_EQ(m.contentLines(), (Lines{"a", "b"}));
    m.write("c");
    EXPECT_EQ(m.contentLines(), (Lines{"a", "b", "c"}));
    ConsoleModel blank;
    blank.writeln("");
    EXPECT_EQ(blank.contentLines(), Lines{""});
}

namespace {
// Rebuilds the lines from the change notifications alone, as a window does.
struct Mirror : vorlan::windows::ConsoleModelListener {
    Lines lines{""};
    void textAppended(std::int32_t line, std::string_view text) override {
        ASSERT_EQ(static_cast<std::size_t>(line), lines.size() - 1);
        lines.back().append(text);
    }
    void lineAdded() override { lines.emplace_back(); }
    void cleared() override { lines.assign(1, ""); }
};
} // namespace

TEST(ConsoleModel, NotificationsAloneReproduceTheLines) {
    std::mt19937 random(1234);
    const std::string alphabet = "ab\r\n\t";
    ConsoleModel m;
    Mirror mirror;
    m.setListener(&mirror);
    for (int step = 0; step < 2000; ++step) {
        std::string text(random() % 400, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        switch (random() % 20) {
        case 0:
            m.clear();
            break;
        case 1:
        case 2:
            m.writeln(text);
            break;
        default:
            m.write(text);
            break;
        }
        ASSERT_EQ(mirror.lines, m.lines()) << "step " << step;
    }
}
