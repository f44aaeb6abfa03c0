#pragma once
// The graphics canvas window: the picture, and while the window is active a tool bar to start a
// new picture, open, save and print it, choose the shape the mouse draws and the font, and two
// bars that open below it for the brush (styles, colours) and the pen (styles, colours, width).

#include "window_models/canvas/canvas.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QSpinBox;
class QToolButton;

namespace vorlan::qt {

class ImagePicture;
class SettingsStore;

// The picture area: paints the picture at its top-left corner and hands the mouse to the canvas.
class PictureView : public QWidget {
    Q_OBJECT
public:
    PictureView(windows::Canvas& canvas, const ImagePicture& picture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    windows::Canvas& canvas_;
    const ImagePicture& picture_;
};

class CanvasWindow : public QWidget, public windows::CanvasView {
    Q_OBJECT
public:
    CanvasWindow(windows::Canvas& canvas, ImagePicture& picture, QWidget* parent = nullptr);
    ~CanvasWindow() override;

    // Placement and visibility as stored under "Forms\ImageForm"; `mayShow` is false in
    // headless runs, where windows never appear.
    void applySettings(const SettingsStore& settings, bool mayShow);

    QWidget* toolBar() const { return toolBar_; }
    QWidget* brushBar() const { return brushBar_; }
    QWidget* penBar() const { return penBar_; }
    PictureView* pictureView() const { return image_; }
    QToolButton* brushButton() const { return brushButton_; }
    QToolButton* penButton() const { return penButton_; }
    QToolButton* toolButton(windows::DrawingTool tool) const;
    QSpinBox* penWidthEdit() const { return spinEdit1_; }

    // Tool bar actions.
    void newClicked();
    void openClicked();
    void saveClicked();
    void printClicked();
    void fontClicked();
    void brushButtonClicked();
    void penButtonClicked();
    void brushStyleClicked(windows::BrushStyle style);
    void penStyleClicked(windows::PenStyle style);
    void brushColorClicked(std::int32_t color);
    void penColorClicked(std::int32_t color);
    void penWidthChanged(int width);

    // What activation and deactivation do to the bars.
    void activated();
    void deactivated();

    // CanvasView
    void showCanvas() override;
    void hideCanvas() override;
    bool canvasVisible() const override { return isVisible(); }
    void setCanvasGeometry(int left, int top, int width, int height) override;
    void pictureChanged() override;
    void repaintCanvas() override;
    windows::CanvasSize imageAreaSize() const override;

protected:
    void changeEvent(QEvent* event) override;
    // The window draws with the mouse as the picture does, wherever the picture does not cover
    // it; its points are taken in picture coordinates, so a shape stays under the pointer.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* makeToolBar();
    QWidget* makeBrushBar();
    QWidget* makePenBar();
    QWidget* makeColorGrid(const char* name, void (CanvasWindow::*picked)(std::int32_t));
    windows::CanvasPoint picturePoint(const QMouseEvent& event) const;

    windows::Canvas& canvas_;
    ImagePicture& picture_;
    QWidget* toolBar_ = nullptr;
    QWidget* brushBar_ = nullptr;
    QWidget* penBar_ = nullptr;
    PictureView* image_ = nullptr;
    QToolButton* brushButton_ = nullptr;
    QToolButton* penButton_ = nullptr;
    std::array<QToolButton*, 4> toolButtons_{};
    QSpinBox* spinEdit1_ = nullptr;
};

} // namespace vorlan::qt
