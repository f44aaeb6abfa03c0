// CLIPBRD: the Clipboard object and the clipboard formats.
#include "script/bind.h"
#include "ui/qt/stdlib/clipboard.h"
#include "ui/qt/stdlib/constant_table.h"
#include "ui/qt/stdlib/units.h"

namespace vorlan::stdlib {

namespace {

using script::ClassBinder;
using C = ClipboardObject;

constexpr IntConstant kConstants[] = {
    {"CF_TEXT", kCfText}, {"CF_BITMAP", kCfBitmap},           {"CF_OEMTEXT", kCfOemText},
    {"CF_DIB", kCfDib},   {"CF_UNICODETEXT", kCfUnicodeText}, {"CF_PICTURE", kCfPicture},
};

} // namespace

void registerClipbrdUnit(script::Registry& reg) {
    ClassBinder<C> clip(reg, "TClipboard", "TPersistent");
    clip.property("AsText", "string", &C::asText, &C::setAsText);
    clip.bind("HasFormat", "function(Format: Integer): Boolean", &C::hasFormat);
    clip.bind("Clear", "procedure", &C::clear);
    clip.bind("Assign", "procedure(Source: Variant)", &C::assign);
    // The desktop's clipboard needs no opening; programs that open it around several
    // operations keep working.
    clip.bind("Open", "procedure", [](C&) {});
    clip.bind("Close", "procedure", [](C&) {});

    registerIntConstants(reg, kConstants);
    reg.registerConst("Clipboard", script::Value(script::wrapObject(reg, &clipboard())));
}

} // namespace vorlan::stdlib
