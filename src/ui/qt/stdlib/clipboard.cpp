#include "ui/qt/stdlib/clipboard.h"

#include "ui/qt/qt_text.h"
#include "ui/qt/stdlib/bitmap.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace vorlan::stdlib {

std::string ClipboardObject::asText() const {
    return qt::toEngine(QApplication::clipboard()->text());
}

void ClipboardObject::setAsText(const std::string& text) {
    QApplication::clipboard()->setText(qt::fromEngine(text));
}

bool ClipboardObject::hasFormat(std::int32_t format) const {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data) return false;
    switch (format) {
    case kCfText:
    case kCfOemText:
    case kCfUnicodeText:
        return data->hasText();
    case kCfBitmap:
    case kCfDib:
    case kCfPicture:
        return data->hasImage();
    default:
        return false;
    }
}

std::vector<std::int32_t> ClipboardObject::formats() const {
    std::vector<std::int32_t> out;
    for (std::int32_t format : {kCfText, kCfUnicodeText, kCfOemText, kCfBitmap, kCfDib, kCfPicture})
        if (hasFormat(format)) out.push_back(format);
    return out;
}

void ClipboardObject::clear() {
    QApplication::clipboard()->clear();
}

void ClipboardObject::assign(const script::Value& source) {
    QApplication::clipboard()->setImage(imageOfGraphic(source));
}

ClipboardObject& clipboard() {
    static ClipboardObject object;
    return object;
}

} // namespace vorlan::stdlib
