#include "ui/qt/main_form.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "ui/qt/about_box.h"
#include "ui/qt/app_exception.h"
#include "ui/qt/glyphs.h"
#include "ui/qt/qt_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace vorlan::qt {

namespace fs = std::filesystem;

namespace {

constexpr int kButtonSize = 25;
constexpr int kButtonTop = 2;
constexpr int kComboLeft = 30;
constexpr int kComboWidth = 255;
constexpr int kPanelHeight = 30;
constexpr int kBevelHeight = 3;

// Left edges of SpeedButton1, 14, 12, 9, 18, 16 in the compact and the wide layout.
struct ButtonLefts {
    int run, text, canvas, database, about, exit;
};
constexpr ButtonLefts kCompact{34, 72, 97, 122, 147, 172};
constexpr ButtonLefts kWide{288, 326, 351, 376, 401, 426};

bool fileExists(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

} // namespace

std::string changeFileExt(const std::string& path, const std::string& extension) {
    const auto separator = path.find_last_of("\\/:");
    const auto dot = path.rfind('.');
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
        return path.substr(0, dot) + extension;
    return path + extension;
}

MainForm::MainForm(MainFormOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window), options_(std::move(options)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("FENWAR VORLAN (RunTime)"));

    bevel1_ = new QFrame(this);
    bevel1_->setObjectName(QStringLiteral("Bevel1"));
    bevel1_->setFrameShape(QFrame::HLine);
    bevel1_->setFrameShadow(QFrame::Sunken);

    panel2_ = new QWidget(this);
    panel2_->setObjectName(QStringLiteral("Panel2"));

    runButton_ =
        addButton("RunButton", glyphs::openProgram(), QStringLiteral("Načte a spustí program"), 2);
    speedButton9_ = addButton("SpeedButton9", glyphs::databaseWindow(),
                              QStringLiteral("Ukryje/zobrazí databázové okno"), 0);
    speedButton12_ = addButton("SpeedButton12", glyphs::canvasWindow(),
                               QStringLiteral("Ukryje/zobrazí grafické výstupní okno"), 0);
    speedButton14_ = addButton("SpeedButton14", glyphs::textWindow(),
                               QStringLiteral("Ukryje/zobrazí textové výstupní okno"), 0);
    speedButton16_ = addButton("SpeedButton16", glyphs::exitRuntime(),
                               QStringLiteral("Ukončí činnost systému"), 0);
    speedButton18_ = addButton("SpeedButton18", glyphs::about(),
                               QStringLiteral("Zobrazí informace o programu"), 0);

    comboBox_ = new QComboBox(panel2_);
    comboBox_->setObjectName(QStringLiteral("ComboBox"));
    comboBox_->setEditable(true);
    comboBox_->setInsertPolicy(QComboBox::NoInsert);
    comboBox_->setGeometry(kComboLeft, kButtonTop, kComboWidth, kButtonSize);
    comboBox_->hide();

    speedButton1_ =
        addButton("SpeedButton1", glyphs::runProgram(), QStringLiteral("Spustí program"), 0);
    speedButton1_->hide();

    image_ = new QLabel(this);
    image_->setObjectName(QStringLiteral("Image"));
    image_->hide();

    connect(runButton_, &QToolButton::clicked, this,
            [this] { guarded([this] { runKlxClick(); }); });
    connect(speedButton1_, &QToolButton::clicked, this,
            [this] { guarded([this] { runSelectedClick(); }); });
    connect(speedButton9_, &QToolButton::clicked, this, [this] { toggleWindow(database_); });
    connect(speedButton12_, &QToolButton::clicked, this, [this] { toggleWindow(canvas_); });
    connect(speedButton14_, &QToolButton::clicked, this, [this] { toggleWindow(console_); });
    connect(speedButton16_, &QToolButton::clicked, this, &QWidget::close);
    connect(speedButton18_, &QToolButton::clicked, this,
            [this] { guarded([this] { aboutClick(); }); });

    // Start state: compact, near the top-left corner (the first showing centres it).
    resizeClient(kCompactWidth, kBarHeight);
    move(0, 20);
    applyLayout(false);

    if (!options_.argument && fileExists(options_.menuFile)) {
        loadMenu();
        if (comboBox_->count() > 0) {
            comboBox_->setCurrentIndex(0);
            comboBox_->lineEdit()->deselect();
        }
        comboBox_->show();
        speedButton1_->show();
        switchToWide();
    }
    if (options_.argument && options_.argumentIsFile) {
        speedButton1_->show();
        if (fileExists(options_.splashPicture)) showSplash();
    }
    updateSizeLimits();
}

QToolButton* MainForm::addButton(const char* name, const QIcon& icon, const QString& hint,
                                 int left) {
    auto* button = new QToolButton(panel2_);
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setGeometry(left, kButtonTop, kButtonSize, kButtonSize);
    return button;
}

void MainForm::setOutputWindows(QWidget* console, QWidget* canvas, QWidget* database) {
    console_ = console;
    canvas_ = canvas;
    database_ = database;
}

void MainForm::applyLayout(bool wide) {
    const ButtonLefts& l = wide ? kWide : kCompact;
    speedButton1_->move(l.run, kButtonTop);
    speedButton14_->move(l.text, kButtonTop);
    speedButton12_->move(l.canvas, kButtonTop);
    speedButton9_->move(l.database, kButtonTop);
    speedButton18_->move(l.about, kButtonTop);
    speedButton16_->move(l.exit, kButtonTop);
    wide_ = wide;
}

void MainForm::switchToWide() {
    if (!wide_) move(x() - kWideMove, y());
    applyLayout(true);
    resizeClient(kWideWidth, height());
}

void MainForm::resizeClient(int width, int height) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(width, height);
    updateSizeLimits();
}

void MainForm::updateSizeLimits() {
    if (singleRun_) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        return;
    }
    // The bar never grows taller than it is; only the width may change.
    const int minimumWidth = comboBox_->isVisibleTo(this) ? 460 : kCompactWidth;
    setMinimumSize(std::min(minimumWidth, width()), std::min(kBarHeight, height()));
    setMaximumSize(QWIDGETSIZE_MAX, height());
}

void MainForm::placeChildren() {
    int top = 0;
    bevel1_->setGeometry(0, top, width(), kBevelHeight);
    top += kBevelHeight;
    if (panel2_->isVisibleTo(this)) {
        panel2_->setGeometry(0, top, width(), kPanelHeight);
        top += kPanelHeight;
    }
    image_->setGeometry(0, top, width(), std::max(0, height() - top));
}

void MainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeChildren();
}

void MainForm::showWindow() {
    if (options_.showWindows) show();
}

void MainForm::loadMenu() {
    std::ifstream in(options_.menuFile, std::ios::binary);
    std::string line;
    std::vector<std::string> paths;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) paths.push_back(line);
    }
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return compareNoCase(a, b) < 0;
    });
    for (const auto& path : paths)
        comboBox_->addItem(fromEngine(path), QByteArray(path.data(), qsizetype(path.size())));
}

std::vector<std::string> MainForm::menuPaths() const {
    std::vector<std::string> out;
    for (int i = 0; i < comboBox_->count(); ++i)
        out.push_back(comboBox_->itemData(i).toByteArray().toStdString());
    return out;
}

std::string MainForm::comboText() const {
    const QString text = comboBox_->currentText();
    // A path picked from the list keeps its exact bytes; a typed one is converted.
    const int index = comboBox_->findText(text, Qt::MatchExactly);
    return index >= 0 ? comboBox_->itemData(index).toByteArray().toStdString() : toEngine(text);
}

void MainForm::setComboText(const std::string& path) {
    const int index = comboBox_->findData(QByteArray(path.data(), qsizetype(path.size())));
    if (index >= 0)
        comboBox_->setCurrentIndex(index);
    else
        comboBox_->setEditText(fromEngine(path));
    comboBox_->lineEdit()->deselect();
}

void MainForm::addToMenu(const std::string& path) {
    const QByteArray bytes(path.data(), qsizetype(path.size()));
    if (comboBox_->findData(bytes) < 0) {
        int at = 0;
        while (at < comboBox_->count() &&
               compareNoCase(comboBox_->itemData(at).toByteArray().toStdString(), path) <= 0)
            ++at;
        comboBox_->insertItem(at, fromEngine(path), bytes);
    }
    setComboText(path);
}

bool MainForm::splashShown() const {
    return !panel2_->isVisibleTo(this);
}

void MainForm::showSplash() {
    QPixmap picture(fromHost(options_.splashPicture.string()));
    if (picture.isNull()) return;
    setWindowFlag(Qt::FramelessWindowHint, true);
    panel2_->hide();
    image_->setPixmap(picture);
    resizeClient(picture.width(), picture.height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - picture.width()) / 2,
             area.y() + (area.height() - picture.height()) / 2);
    }
    image_->show();
    placeChildren();
    if (options_.showWindows) {
        show();
        repaint();
        QCoreApplication::processEvents();
    }
}

void MainForm::restoreFromSplash() {
    const bool wasVisible = isVisible();
    panel2_->show();
    setWindowFlag(Qt::FramelessWindowHint, false);
    move(230, 100);
    resizeClient(width(), kBarHeight);
    image_->hide();
    image_->clear();
    placeChildren();
    if (wasVisible) showWindow();
}

bool MainForm::runFile(const std::string& fileName) {
    if (options_.argumentIsFile && comboBox_->count() == 0) singleRun_ = true;
    // The start-up picture stays up while its program runs.
    if (!splashShown()) hide();
    // The drawing window a program opened goes when the program ends; one the user had open
    // stays. (What the program wrote to the console stays to be read.)
    const bool canvasOpen = canvas_ && canvas_->isVisible();
    const auto closeProgramWindows = [this, canvasOpen] {
        if (canvas_ && !canvasOpen) canvas_->hide();
    };
    try {
        options_.runProgram(fileName);
        closeProgramWindows();
        if (singleRun_) hide();
        if (!comboBox_->isVisibleTo(this)) switchToWide();
    } catch (...) {
        closeProgramWindows();
        if (!singleRun_) showWindow();
        updateSizeLimits();
        throw;
    }
    if (!singleRun_) showWindow();
    if (splashShown()) restoreFromSplash();
    if (options_.argument && comboBox_->count() == 0) {
        addToMenu(*options_.argument);
        comboBox_->show();
    }
    updateSizeLimits();
    return true;
}

void MainForm::runKlxClick() {
    singleRun_ = false;
    FileDialogRequest request;
    request.title = utf8ToCp1250("Spustit kompilovaný program ...");
    request.filter = utf8ToCp1250("Komilované programy (*.VRL)|*.VRL|Všechny soubory (*.*)|*.*");
    const auto chosen = ui().openFileDialog(request);
    if (!chosen) return;
    const std::string name = upperCase(changeFileExt(*chosen, ".VRL"));
    const fs::path host = pathMapper().toHostOrEmpty(name);
    if (!fileExists(host)) {
        MessageBoxRequest message;
        message.caption = applicationTitle();
        message.text = "Program " + name + " nebyl nalezen !";
        message.icon = MessageIcon::Warning;
        ui().messageBox(message);
        return;
    }
    // Programs open their data by relative names, beside the program they were picked with.
    if (host.has_parent_path()) fs::current_path(host.parent_path());
    if (runFile(name)) {
        addToMenu(name);
        comboBox_->show();
        speedButton1_->show();
        updateSizeLimits();
    }
}

void MainForm::runSelectedClick() {
    singleRun_ = false;
    const std::string text = comboText();
    if (!text.empty()) {
        const fs::path folder = pathMapper().toHostOrEmpty(text).parent_path();
        if (!folder.empty()) fs::current_path(folder);
        runFile(text);
        comboBox_->lineEdit()->deselect();
    }
}

void MainForm::toggleWindow(QWidget* window) {
    if (!window) return;
    if (window->isVisible()) {
        window->hide();
    } else {
        window->show();
        window->raise();
        window->activateWindow();
    }
}

void MainForm::aboutClick() {
    showAboutBox(this);
}

void MainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        if (!splashShown())
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                const QRect area = screen->availableGeometry();
                move(area.x() + (area.width() - frameGeometry().width()) / 2,
                     area.y() + (area.height() - frameGeometry().height()) / 2);
            }
    }
    // A runtime that ran the program of its command line ends as soon as it would show up.
    if (singleRun_) QTimer::singleShot(0, this, &QWidget::close);
}

void MainForm::closeEvent(QCloseEvent* event) {
    event->accept();
    QCoreApplication::quit();
}

} // namespace vorlan::qt
