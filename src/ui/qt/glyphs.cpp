#include "ui/qt/glyphs.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include <functional>

namespace vorlan::qt::glyphs {

namespace {

QIcon drawn(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

QIcon standard(QStyle::StandardPixmap which) {
    return QApplication::style()->standardIcon(which);
}

} // namespace

QIcon openProgram() {
    return standard(QStyle::SP_DialogOpenButton);
}

QIcon runProgram() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(0, 90, 0), 1));
        p.setBrush(QColor(40, 170, 40));
        p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(13, 8), QPointF(4, 14)}));
    });
}

QIcon databaseWindow() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(30, 60, 120), 1));
        p.setBrush(QColor(120, 160, 220));
        p.drawRect(QRectF(2.5, 4, 11, 9));
        p.drawEllipse(QRectF(2.5, 10, 11, 5));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(3, 4, 10, 9));
        p.setPen(QPen(QColor(30, 60, 120), 1));
        p.drawLine(QPointF(2.5, 4), QPointF(2.5, 12.5));
        p.drawLine(QPointF(13.5, 4), QPointF(13.5, 12.5));
        p.setBrush(QColor(170, 200, 240));
        p.drawEllipse(QRectF(2.5, 1.5, 11, 5));
    });
}

QIcon canvasWindow() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setBrush(QColor(220, 60, 40));
        p.drawEllipse(QRectF(3.5, 4.5, 5, 5));
        p.setPen(QPen(QColor(40, 80, 200), 1.5));
        p.drawLine(QPointF(7, 12), QPointF(13, 5));
    });
}

QIcon textWindow() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::darkGray, 1));
        for (int y = 4; y <= 12; y += 2)
            p.drawLine(QPointF(3.5, y + 0.5), QPointF(y % 4 ? 12.5 : 9.5, y + 0.5));
    });
}

QIcon exitRuntime() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(170, 20, 20), 2));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

QIcon about() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(20, 60, 150), 1));
        p.setBrush(QColor(60, 110, 210));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::white, 2));
        p.drawPoint(QPointF(8, 4.5));
        p.drawLine(QPointF(8, 7), QPointF(8, 12));
    });
}

QIcon clearText() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        p.setPen(QPen(QColor(200, 30, 30), 2));
        p.drawLine(QPointF(5, 5), QPointF(11, 11));
        p.drawLine(QPointF(11, 5), QPointF(5, 11));
    });
}

QIcon saveText() {
    return standard(QStyle::SP_DialogSaveButton);
}

QIcon printText() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
    });
}

} // namespace vorlan::qt::glyphs
