#include "ui/qt/canvas/canvas_glyphs.h"

#include "ui/qt/canvas/image_picture.h"
#include "ui/qt/glyphs.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include <functional>

namespace vorlan::qt::canvas_glyphs {

namespace {

QIcon drawn(const std::function<void(QPainter&)>& draw, bool antialiased = true) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

const QColor kInk(20, 20, 20);

} // namespace

QIcon newPicture() {
    return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

QIcon openPicture() {
    return QApplication::style()->standardIcon(QStyle::SP_DialogOpenButton);
}

QIcon savePicture() {
    return glyphs::saveText();
}

QIcon printPicture() {
    return glyphs::printText();
}

QIcon font() {
    return drawn([](QPainter& p) {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(14);
        p.setFont(f);
        p.setPen(kInk);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("A"));
    });
}

QIcon tool(windows::DrawingTool tool) {
    return drawn([tool](QPainter& p) {
        p.setPen(QPen(kInk, 1.4));
        switch (tool) {
        case windows::DrawingTool::Line:
            p.drawLine(QPointF(2.5, 13.5), QPointF(13.5, 2.5));
            break;
        case windows::DrawingTool::Rectangle:
            p.drawRect(QRectF(2.5, 3.5, 11, 9));
            break;
        case windows::DrawingTool::Ellipse:
            p.drawEllipse(QRectF(1.5, 3.5, 13, 9));
            break;
        case windows::DrawingTool::RoundRect:
            p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 3.5, 3.5);
            break;
        }
    });
}

QIcon brushBar() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(110, 70, 20), 2));
        p.drawLine(QPointF(13, 2), QPointF(7, 9));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QRectF(2, 8, 7, 6));
    });
}

QIcon penBar() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(230, 200, 60));
        p.drawPolygon(QPolygonF(
            {QPointF(3, 13), QPointF(4, 10), QPointF(12, 2), QPointF(14, 4), QPointF(6, 12)}));
    });
}

QIcon brushStyle(windows::BrushStyle style) {
    return drawn(
        [style](QPainter& p) {
            p.setPen(QPen(kInk, 1));
            windows::CanvasBrush brush;
            brush.color = 0x000000;
            brush.style = style;
            p.setBrush(style == windows::BrushStyle::Solid ? QBrush(QColor(128, 128, 128))
                                                           : qtBrushOf(brush));
            p.drawRect(QRect(1, 1, 13, 13));
        },
        false);
}

QIcon penStyle(windows::PenStyle style) {
    return drawn(
        [style](QPainter& p) {
            windows::CanvasPen pen;
            pen.style = style;
            p.setPen(qtPenOf(pen));
            p.drawLine(0, 8, 16, 8);
        },
        false);
}

QIcon colorSwatch(std::int32_t color) {
    return drawn(
        [color](QPainter& p) {
            p.setPen(QColor(90, 90, 90));
            p.setBrush(qtColorOf(color));
            p.drawRect(QRect(1, 1, 13, 13));
        },
        false);
}

} // namespace vorlan::qt::canvas_glyphs
