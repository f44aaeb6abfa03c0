#pragma once
// The one text console of the runtime: its lines, the window that shows them (when there is
// one), saving and printing, and the echo of its text to standard output in headless runs.

#include "window_models/console/console_model.h"

#include <ostream>
#include <string>
#include <vector>

namespace vorlan::windows {

// What the console asks of its window. The window also follows every change of the lines.
class ConsoleView : public ConsoleModelListener {
public:
    virtual void showConsole() = 0;
    virtual void hideConsole() = 0;
    virtual bool consoleVisible() const = 0;
    // Outer position and size in pixels.
    virtual void setConsoleGeometry(int left, int top, int width, int height) = 0;
    // The font the text is shown in; printing without a configured font uses it.
    virtual std::string consoleFontName() const = 0;
    virtual int consoleFontSize() const = 0;
};

struct ConsoleGeometry {
    int left = 357;
    int top = 162;
    int width = 594;
    int height = 315;
};

class Console : private ConsoleModelListener {
public:
    Console();
    ~Console() override;
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // Window caption and print job title (Windows-1250).
    static std::string caption();

    const ConsoleModel& model() const { return model_; }
    // Whether anything is there to read (a program wrote text or empty lines).
    bool hasText() const;
    void write(std::string_view text);
    void writeln(std::string_view text);
    void clear();

    // The window, once it exists; it is brought up to date with the text at once. Null detaches.
    void attachView(ConsoleView* view);
    ConsoleView* view() const { return view_; }

    void show();
    void hide();
    bool visible() const;
    void setGeometry(int left, int top, int width, int height);
    // Last placement asked for (the window's own placement is not read back).
    const ConsoleGeometry& geometry() const { return geometry_; }

    // Writes the text to a program path (mapped to the host), Windows-1250 with CR LF line ends.
    // Any failure is reported in a message box naming the file and gives false; the text is
    // left as it was.
    bool save(const std::string& fileName);

    // Prints the text on the current printer without asking. An empty name or size 0 leaves the
    // printer's default. Device errors propagate.
    void print(const std::string& fontName, int pointSize);
    // The print of scripts: the runtime-wide print font, or the window's font where that is
    // not set, so columns of text stay aligned on paper.
    void printWithConfiguredFont();
    std::string printFontName;
    int printFontSize = 0;

    // Headless runs: every completed line goes to `out` as UTF-8 with a line feed, exactly as
    // save() would write it. A line left unfinished is written when the console is cleared and
    // by finishEcho(), which the runtime calls at exit.
    void setEcho(std::ostream* out) { echo_ = out; }
    void finishEcho();

private:
    void textAppended(std::int32_t line, std::string_view text) override;
    void lineAdded() override;
    void cleared() override;
    void echoLine(std::int32_t line);

    ConsoleModel model_;
    ConsoleView* view_ = nullptr;
    bool visible_ = false;
    ConsoleGeometry geometry_;
    std::ostream* echo_ = nullptr;
};

} // namespace vorlan::windows
