#pragma once
// The lines of the text console and the rules by which written text lands in them. No window
// here: the console window shows what this model holds, and headless runs echo it to stdout.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::windows {

// Told about every change, in order, so a view can follow without copying all the text.
class ConsoleModelListener {
public:
    virtual ~ConsoleModelListener() = default;
    // `text` was appended to line `line` (always the last line).
    virtual void textAppended(std::int32_t line, std::string_view text) = 0;
    // A new empty line was appended at the end and became the current line.
    virtual void lineAdded() = 0;
    // Everything was removed; line 0 is empty and current.
    virtual void cleared() = 0;
};

class ConsoleModel {
public:
    ConsoleModel();

    // Every line, Windows-1250. There is always at least one: the current line, which new text
    // is appended to, may be empty.
    const std::vector<std::string>& lines() const { return lines_; }
    std::int32_t currentLine() const { return current_; }
    // Whether line `line` was begun by a carriage return inside written text (its first
    // character is then often the line feed of a CR LF pair).
    bool beganAtCarriageReturn(std::int32_t line) const;

    // Appends text to the current line. Only a carriage return breaks the line; a line feed or
    // any other control character stays in the line's text.
    void write(std::string_view text);
    // write(), then a new empty current line.
    void writeln(std::string_view text);
    void clear();

    // The lines a user means by "the text": all of them, except that the current line counts
    // only when something was written to it. Saving and printing use these, so a text ended
    // with Writeln is saved without a trailing empty line and an empty console saves nothing.
    std::vector<std::string> contentLines() const;

    void setListener(ConsoleModelListener* listener) { listener_ = listener; }

private:
    void appendToCurrent(std::string_view text);
    void newLine(bool atCarriageReturn = false);

    std::vector<std::string> lines_;
    std::vector<bool> beganAtCarriageReturn_;
    std::int32_t current_ = 0;
    ConsoleModelListener* listener_ = nullptr;
};

} // namespace vorlan::windows
