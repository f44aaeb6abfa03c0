// CLIPBRD: the Clipboard object and the clipboard formats.
#include "core/cp1250.h"
#include "script/bind.h"
#include "ui/qt/stdlib/clipboard.h"
#include "ui/qt/stdlib/constant_table.h"
#include "ui/qt/stdlib/units.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vorlan::stdlib {

namespace {

using script::ClassBinder;
using C = ClipboardObject;

constexpr IntConstant kClipbrdConstants[] = {
    {"CF_TEXT", kCfText}, {"CF_BITMAP", kCfBitmap},           {"CF_OEMTEXT", kCfOemText},
    {"CF_DIB", kCfDib},   {"CF_UNICODETEXT", kCfUnicodeText}, {"CF_PICTURE", kCfPicture},
};

} // namespace

void registerClipbrdUnit(script::Registry& reg) {
    ClassBinder<C> clip(reg, "TClipboard", "TPersistent");
    clip.property("AsText", "string", &C::asText, &C::setAsText);
    clip.bind("HasFormat", "function(Format: Integer): Boolean", &C::hasFormat);
    clip.bind("Clear", "procedure", &C::clear);
    clip.property("FormatCount", "Integer",
                  [](C& c) { return static_cast<std::int32_t>(c.formats().size()); });
    clip.property("Formats", "Integer", [](C& c, std::int32_t i) {
        const std::vector<std::int32_t> all = c.formats();
        if (i < 0 || static_cast<std::size_t>(i) >= all.size())
            throw script::ScriptException(czech("Index formátu schránky je mimo rozsah (") +
                                          std::to_string(i) + ")");
        return all[static_cast<std::size_t>(i)];
    });
    // The text as a buffer of at most BufSize - 1 characters (the last is the end mark); the
    // number of characters copied.
    clip.bind("GetTextBuf", "function(var Buffer: string; BufSize: Integer): Integer",
              [](C& c, std::string& buffer, std::int32_t size) {
                  const std::string text = c.asText();
                  buffer = text.substr(0, static_cast<std::size_t>(std::max(size - 1, 0)));
                  return static_cast<std::int32_t>(buffer.size());
              });
    clip.bind("SetTextBuf", "procedure(Buffer: string)", &C::setAsText);
    clip.bind("Assign", "procedure(Source: Variant)", &C::assign);
    // The desktop's clipboard needs no opening; programs that open it around several
    // operations keep working.
    clip.bind("Open", "procedure", [](C&) {});
    clip.bind("Close", "procedure", [](C&) {});

    registerIntConstants(reg, kClipbrdConstants);
    reg.registerConst("Clipboard", script::Value(script::wrapObject(reg, &clipboard())));
}

} // namespace vorlan::stdlib
