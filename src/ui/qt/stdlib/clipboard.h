#pragma once
// The Clipboard object over the desktop's clipboard: text (Windows-1250 in scripts) and
// pictures.

#include "script/native_object.h"
#include "script/value.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlan::stdlib {

// The clipboard formats programs ask for.
constexpr std::int32_t kCfText = 1;
constexpr std::int32_t kCfBitmap = 2;
constexpr std::int32_t kCfOemText = 7;
constexpr std::int32_t kCfDib = 8;
constexpr std::int32_t kCfUnicodeText = 13;
constexpr std::int32_t kCfPicture = 0xC000; // the picture format of the graphics unit

class ClipboardObject : public script::NativeObject {
public:
    ClipboardObject() : script::NativeObject("TClipboard") {}

    std::string asText() const;
    void setAsText(const std::string& text);
    bool hasFormat(std::int32_t format) const;
    // The formats the clipboard holds now (Formats[i], FormatCount).
    std::vector<std::int32_t> formats() const;
    void clear();
    // A TBitmap, TPicture or image control puts its picture on the clipboard.
    void assign(const script::Value& source);
};

ClipboardObject& clipboard();

} // namespace vorlan::stdlib
