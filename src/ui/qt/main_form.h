#pragma once
// The runtime's small main window: a bar of buttons to open and run a program, to show and
// hide the output windows, to leave and to read about the runtime, and the program menu (a
// list of program paths, shown once there is something in it).

#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QToolButton;

namespace vorlan::qt {

struct MainFormOptions {
    // The first command-line argument as a program path (Windows-1250), when there is one.
    std::optional<std::string> argument;
    // The argument names an existing file: the runtime runs it and ends.
    bool argumentIsFile = false;
    // The program menu, one program path per line; read only when there is no argument.
    std::filesystem::path menuFile;
    // A picture shown instead of the window while the program of the argument runs.
    std::filesystem::path splashPicture;
    // Runs one program file to its end (the run cycle); throws what the run throws.
    std::function<void(const std::string&)> runProgram;
    // False in headless mode: the window changes state but never appears.
    bool showWindows = true;
};

class MainForm : public QWidget {
    Q_OBJECT
public:
    // Client widths of the two button layouts and the height of bevel and bar.
    static constexpr int kCompactWidth = 270;
    static constexpr int kWideWidth = 462;
    static constexpr int kBarHeight = 33;
    static constexpr int kWideMove = 100;

    explicit MainForm(MainFormOptions options, QWidget* parent = nullptr);

    // The windows the three toggle buttons show and hide.
    void setOutputWindows(QWidget* console, QWidget* canvas, QWidget* database);

    // Runs one program file with this window out of the way; true when the run returned
    // normally. Exceptions of the run pass through after the window state is restored.
    bool runFile(const std::string& fileName);

    // Button handlers.
    void runKlxClick();      // open a program through the dialog and run it
    void runSelectedClick(); // run the path in the program menu
    void toggleWindow(QWidget* window);
    void aboutClick();

    bool singleRun() const { return singleRun_; }
    bool wideLayout() const { return wide_; }
    bool splashShown() const;
    QComboBox* comboBox() const { return comboBox_; }
    // The menu's program paths in their order (Windows-1250).
    std::vector<std::string> menuPaths() const;
    std::string comboText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* addButton(const char* name, const QIcon& icon, const QString& hint, int left);
    void applyLayout(bool wide);
    void switchToWide();
    void placeChildren();
    void updateSizeLimits();
    void resizeClient(int width, int height);
    void showWindow();
    void loadMenu();
    void showSplash();
    void restoreFromSplash();
    // Adds a path unless the menu already holds exactly that text; shows it as the combo text.
    void addToMenu(const std::string& path);
    void setComboText(const std::string& path);

    MainFormOptions options_;
    bool singleRun_ = false;
    bool wide_ = false;
    bool shownOnce_ = false;
    QWidget* console_ = nullptr;
    QWidget* canvas_ = nullptr;
    QWidget* database_ = nullptr;

    QWidget* panel2_ = nullptr;
    QFrame* bevel1_ = nullptr;
    QToolButton* runButton_ = nullptr;
    QToolButton* speedButton9_ = nullptr;
    QToolButton* speedButton12_ = nullptr;
    QToolButton* speedButton14_ = nullptr;
    QToolButton* speedButton16_ = nullptr;
    QToolButton* speedButton18_ = nullptr;
    QComboBox* comboBox_ = nullptr;
    QToolButton* speedButton1_ = nullptr;
    QLabel* image_ = nullptr;
};

// "NAME.EXT" with another extension (given with its dot); a name without one gets it appended.
std::string changeFileExt(const std::string& path, const std::string& extension);

} // namespace vorlan::qt
