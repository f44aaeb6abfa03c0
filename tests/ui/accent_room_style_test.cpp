// Czech capitals in list and tree rows drawn whole: the caron of "Č" reaches above the font's
// ascent, and a row only as high as ascent and descent cut it off.

#include "ui/qt/accent_room_style.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTreeWidget>

#include <utility>

#include <gtest/gtest.h>

namespace {

// The rows of `area` that hold ink: first and last, or an empty range.
std::pair<int, int> inkRows(const QImage& image, const QRect& area) {
    int first = -1, last = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}

// How many rows of pixels `text` in `font` inks with room all around.
int inkHeight(const QString& text, const QFont& font) {
    QImage image(300, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(20, 50, text);
    painter.end();
    const auto [first, last] = inkRows(image, image.rect());
    return last - first + 1;
}

struct TreeRow {
    int top;      // the row's first line of pixels
    int firstInk; // the first line with ink in it
    int height;   // lines from the first with ink to the last
};

// Where the first row of a tree showing `text` in `font` has its ink.
TreeRow treeRow(const QString& text, const QFont& font) {
    QTreeWidget tree;
    tree.setHeaderHidden(true);
    tree.setRootIsDecorated(false);
    tree.setFont(font);
    tree.resize(300, 100);
    tree.addTopLevelItem(new QTreeWidgetItem(QStringList{text}));
    tree.show();
    QApplication::processEvents();
    const QRect row = tree.visualItemRect(tree.topLevelItem(0));
    const QImage image = tree.viewport()->grab().toImage();
    const auto [first, last] = inkRows(image, row.intersected(image.rect()));
    return {row.top(), first, last - first + 1};
}

} // namespace

TEST(AccentRoomStyle, TreeRowsShowTheCaronOfCzechCapitalsWhole) {
    const QString text = QString::fromUtf8("Čechy Řím Šumava");
    vorlan::qt::installAccentRoomStyle(*qApp);
    // Sizes where a plain row cuts the caron in one font or another; each is whole now.
    for (const char* family : {"DejaVu Sans", "Liberation Sans"})
        for (int points : {7, 8, 9, 10, 12}) {
            QFont font(QString::fromLatin1(family));
            font.setPointSize(points);
            const TreeRow row = treeRow(text, font);
            // The caron stands clear of the row's top edge and nothing of the text is cut.
            EXPECT_GT(row.firstInk, row.top) << family << " " << points;
            EXPECT_GE(row.height, inkHeight(text, font)) << family << " " << points;
        }
}
