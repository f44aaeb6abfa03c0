#include "core/cp1250.h"
#include "ui/qt/canvas/canvas_window.h"
#include "ui/qt/canvas/image_picture.h"
#include "ui/qt/settings_store.h"
#include "window_models/recording_ui.h"

#include <QApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace vorlan;
using windows::DrawingTool;

namespace {

class CanvasWindowTest : public ::testing::Test {
protected:
    QToolButton* button(const char* name) const {
        return window.findChild<QToolButton*>(QLatin1String(name));
    }
    void mouse(QEvent::Type type, int x, int y) { mouseOn(window.pictureView(), type, x, y); }
    // A mouse event as the widget itself would get it (in its own coordinates).
    static void mouseOn(QWidget* widget, QEvent::Type type, int x, int y) {
        const QPointF at(x, y);
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
    QRgb pixel(int x, int y) const { return picture.image().pixel(x, y) & 0xFFFFFF; }

    qt::ImagePicture picture;
    windows::Canvas canvas{picture};
    qt::CanvasWindow window{canvas, picture};
};

} // namespace

TEST_F(CanvasWindowTest, StartsHiddenWithItsCaptionPlacementAndBarsPutAway) {
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.objectName(), QStringLiteral("ImageForm"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Výstup - grafika"));
    EXPECT_EQ(window.pos(), QPoint(337, 127));
    EXPECT_EQ(window.size(), QSize(323, 277));
    EXPECT_FALSE(window.toolBar()->isVisibleTo(&window));
    EXPECT_FALSE(window.brushBar()->isVisibleTo(&window));
    EXPECT_FALSE(window.penBar()->isVisibleTo(&window));
    EXPECT_TRUE(window.toolButton(DrawingTool::Line)->isChecked());
    EXPECT_EQ(button("FontButtonClick")->toolTip(), QStringLiteral("Nastavení fontu"));
    EXPECT_TRUE(button("SolidBrush")->isChecked());
    EXPECT_TRUE(button("SolidPen")->isChecked());
}

TEST_F(CanvasWindowTest, FirstDrawingTakesTheSizeOfThePictureArea) {
    canvas.line({0, 0}, {3, 3});
    EXPECT_EQ(canvas.pictureSize().width, 323);
    EXPECT_EQ(canvas.pictureSize().height, 277);
}

TEST_F(CanvasWindowTest, BarsFollowActivationAndTheirButtons) {
    window.activated();
    EXPECT_TRUE(window.toolBar()->isVisibleTo(&window));
    window.brushButton()->click();
    EXPECT_TRUE(window.brushBar()->isVisibleTo(&window));
    window.penButton()->click();
    EXPECT_TRUE(window.penBar()->isVisibleTo(&window));
    window.brushButton()->click();
    EXPECT_FALSE(window.brushBar()->isVisibleTo(&window));
    window.brushButton()->click();

    window.deactivated();
    EXPECT_FALSE(window.toolBar()->isVisibleTo(&window));
    EXPECT_FALSE(window.brushBar()->isVisibleTo(&window));
    EXPECT_FALSE(window.penBar()->isVisibleTo(&window));
    EXPECT_FALSE(window.brushButton()->isChecked());
    EXPECT_FALSE(window.penButton()->isChecked());
    window.activated();
    EXPECT_FALSE(window.brushBar()->isVisibleTo(&window));
}

TEST_F(CanvasWindowTest, ToolStyleColourAndWidthButtonsSetTheCanvas) {
    window.toolButton(DrawingTool::Ellipse)->click();
    EXPECT_EQ(canvas.drawingTool(), DrawingTool::Ellipse);
    EXPECT_FALSE(window.toolButton(DrawingTool::Line)->isChecked()) << "one tool at a time";
    window.toolButton(DrawingTool::RoundRect)->click();
    EXPECT_EQ(canvas.drawingTool(), DrawingTool::RoundRect);

    button("DiagCroshBrush")->click();
    EXPECT_EQ(canvas.brush().style, windows::BrushStyle::DiagCross);
    EXPECT_FALSE(button("SolidBrush")->isChecked());
    button("DashDotPen")->click();
    EXPECT_EQ(canvas.pen().style, windows::PenStyle::DashDot);

    // The grids: two rows of eight; the second cell of the second row is red.
    auto cells =
        window.findChild<QWidget*>(QStringLiteral("BrushColor"))->findChildren<QToolButton*>();
    ASSERT_EQ(cells.size(), 16);
    cells[9]->click();
    EXPECT_EQ(canvas.brush().color, 0x0000FF);
    window.findChild<QWidget*>(QStringLiteral("PenColor"))
        ->findChildren<QToolButton*>()[4]
        ->click();
    EXPECT_EQ(canvas.pen().color, 0x800000);

    window.penWidthEdit()->setValue(7);
    EXPECT_EQ(canvas.pen().width, 7);
    window.penWidthEdit()->setValue(30);
    EXPECT_EQ(canvas.pen().width, 10);
}

TEST_F(CanvasWindowTest, MouseDragDrawsTheShapeAndLeavesNoRubberBand) {
    canvas.init(30, 20);
    window.toolButton(DrawingTool::Rectangle)->click();
    canvas.brush().color = 0x0000FF;
    mouse(QEvent::MouseButtonPress, 2, 2);
    mouse(QEvent::MouseMove, 25, 15);
    EXPECT_EQ(pixel(24, 2), 0u) << "the band shows while dragging";
    mouse(QEvent::MouseMove, 10, 8);
    EXPECT_EQ(pixel(24, 2), 0xFFFFFFu) << "the old band is wiped";
    mouse(QEvent::MouseButtonRelease, 12, 9);
    // The finished rectangle 2,2 - 12,9 filled with the brush, and nothing of the bands.
    EXPECT_EQ(pixel(2, 2), 0u);
    EXPECT_EQ(pixel(11, 8), 0u);
    EXPECT_EQ(pixel(5, 5), 0xFF0000u);
    EXPECT_EQ(pixel(9, 7), 0xFF0000u);
    EXPECT_EQ(pixel(24, 2), 0xFFFFFFu);
    EXPECT_EQ(pixel(12, 5), 0xFFFFFFu);
    EXPECT_EQ(pixel(10, 10), 0xFFFFFFu);
    EXPECT_FALSE(canvas.dragging());
}

TEST_F(CanvasWindowTest, TheWindowDrawsWhereThePointerIsAndItsBarsDoNot) {
    canvas.init(30, 20);
    window.activated();
    window.layout()->activate();
    const int top = window.pictureView()->y();
    ASSERT_GT(top, 0) << "the tool bar sits above the picture";

    // A drag the window itself gets lands on the picture under the pointer.
    window.toolButton(DrawingTool::Line)->click();
    mouseOn(&window, QEvent::MouseButtonPress, 3, top + 4);
    EXPECT_TRUE(canvas.dragging());
    mouseOn(&window, QEvent::MouseMove, 20, top + 4);
    mouseOn(&window, QEvent::MouseMove, 10, top + 4);
    mouseOn(&window, QEvent::MouseButtonRelease, 12, top + 4);
    EXPECT_FALSE(canvas.dragging());
    EXPECT_EQ(pixel(3, 4), 0u);
    EXPECT_EQ(pixel(11, 4), 0u);
    EXPECT_EQ(pixel(15, 4), 0xFFFFFFu) << "no trace of the rubber band";
    EXPECT_EQ(pixel(3, 0), 0xFFFFFFu);

    // A release the window gets after a drag that began on the picture ends that drag.
    mouse(QEvent::MouseButtonPress, 3, 10);
    mouseOn(&window, QEvent::MouseButtonRelease, 8, top + 10);
    EXPECT_FALSE(canvas.dragging());
    EXPECT_EQ(pixel(7, 10), 0u);

    // The tool bar's background keeps its clicks.
    mouseOn(window.toolBar(), QEvent::MouseButtonPress, window.toolBar()->width() - 3, 2);
    EXPECT_FALSE(canvas.dragging());
    mouseOn(window.toolBar(), QEvent::MouseButtonRelease, window.toolBar()->width() - 3, 2);
}

TEST_F(CanvasWindowTest, PlacementAndVisibilityComeFromTheSettings) {
    QTemporaryDir dir;
    qt::SettingsStore settings(dir.filePath(QStringLiteral("vorlan.ini")));
    window.applySettings(settings, true);
    EXPECT_FALSE(window.isVisible()) << "hidden when nothing is stored";

    settings.setPlacement(QStringLiteral("ImageForm"), {40, 50, 400, 300, 0});
    settings.setFormSwitch(QStringLiteral("ImageForm"), QStringLiteral("Visible"), true);
    window.applySettings(settings, false);
    EXPECT_EQ(window.pos(), QPoint(40, 50));
    EXPECT_FALSE(window.isVisible()) << "headless runs never show it";
    window.applySettings(settings, true);
    EXPECT_TRUE(window.isVisible());
    window.hide();
}

TEST_F(CanvasWindowTest, NewAndOpenButtons) {
    test_support::RecordingUiScope recording;
    canvas.init(20, 10);
    canvas.rectangle({0, 0, 20, 10});
    window.newClicked();
    EXPECT_EQ(canvas.pictureSize().width, 20);
    EXPECT_EQ(pixel(0, 0), 0xFFFFFFu);

    recording->fileAnswer = "/nonexistent/obr.bmp";
    window.openClicked();
    ASSERT_EQ(recording->fileDialogs.size(), 1u);
    EXPECT_EQ(recording->fileDialogs[0].title, czech("Načíst obrázek ..."));
    EXPECT_EQ(recording->fileDialogs[0].filter,
              czech("Bitmapové soubory(*.BMP)|*.BMP|Všechny soubory (*.*)|*.*"));
    ASSERT_EQ(recording->messages.size(), 1u);
    EXPECT_EQ(recording->messages[0].text,
              czech("nelze načíst obrázek ze souboru /nonexistent/obr.bmp"));

    recording->fileAnswer.reset();
    window.saveClicked();
    EXPECT_EQ(recording->fileDialogs.back().title, czech("Uložit grafiku pod názvem ..."));
}
