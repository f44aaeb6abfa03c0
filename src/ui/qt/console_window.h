#pragma once
// The text console's window: a read-only text box in a fixed-pitch font and, while the window
// is active, a bar with three buttons to clear, save and print the text.

#include "window_models/console/console.h"

#include <QWidget>

class QPlainTextEdit;
class QToolButton;

namespace vorlan::qt {

class ConsoleWindow : public QWidget, public windows::ConsoleView {
    Q_OBJECT
public:
    explicit ConsoleWindow(windows::Console& console, QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    QPlainTextEdit* memo() const { return memo_; }
    QWidget* toolBar() const { return toolBar_; }
    QToolButton* clearButton() const { return clearButton_; }
    QToolButton* saveButton() const { return saveButton_; }
    QToolButton* printButton() const { return printButton_; }

    // Toolbar actions.
    void clearClicked();
    void saveClicked();
    void printClicked();

    // ConsoleView
    void showConsole() override;
    void hideConsole() override;
    bool consoleVisible() const override { return isVisible(); }
    void setConsoleGeometry(int left, int top, int width, int height) override;
    std::string consoleFontName() const override;
    int consoleFontSize() const override;
    void textAppended(std::int32_t line, std::string_view text) override;
    void lineAdded() override;
    void cleared() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    // Keeps the newest text in sight when the user was already looking at the end.
    template <typename Change> void follow(Change change);

    windows::Console& console_;
    QWidget* toolBar_ = nullptr;
    QToolButton* clearButton_ = nullptr;
    QToolButton* saveButton_ = nullptr;
    QToolButton* printButton_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
};

} // namespace vorlan::qt
