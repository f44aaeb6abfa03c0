#include "ui/qt/accent_room_style.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QProxyStyle>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <cmath>

namespace vorlan::qt {

namespace {

// Lines of pixels the highest Czech capital of `font` needs above its ascent: the ink's own
// overhang, and one more line where it comes within a pixel of the ascent, which its smoothed
// edge then reaches.
int accentRoom(const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal reach =
        -metrics.tightBoundingRect(QString::fromUtf8("ČŘŠŽŤĎŇÁÉÍÓÚÝŮ")).top() - metrics.ascent();
    return reach > -1.0 ? static_cast<int>(std::ceil(std::max<qreal>(reach, 0.0))) + 1 : 0;
}

class AccentRoomStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type != CT_ItemViewItem) return result;
        const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        if (!item || !(item->features & QStyleOptionViewItem::HasDisplay)) return result;
        // The text stands in the middle of its row: room above it needs as much below.
        result.rheight() += 2 * accentRoom(item->font);
        return result;
    }
};

} // namespace

void installAccentRoomStyle(QApplication& application) {
    // The application owns its style.
    application.setStyle(new AccentRoomStyle);
}

} // namespace vorlan::qt
