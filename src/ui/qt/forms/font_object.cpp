#include "ui/qt/forms/font_object.h"

#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

constexpr const char* kStyles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

} // namespace

const PropertyTable& FontObject::propertyTable() {
    const auto changed = [](FontObject& f) {
        if (f.changed_) f.changed_();
    };
    static const auto table = PropertyTable::of<FontObject>(
        nullptr, {
                     {"Charset", &FontObject::charset_, &FontObject::charset_},
                     {"Pitch", &FontObject::pitch_, &FontObject::pitch_},
                     {"Name", &FontObject::name_,
                      [=](FontObject& f, const std::string& v) {
                          f.name_ = v;
                          changed(f);
                      }},
                     {"Height", &FontObject::pixels_,
                      [=](FontObject& f, std::int32_t v) {
                          f.pixels_ = v;
                          changed(f);
                      }},
                     {"Size",
                      [](const FontObject& f) {
                          return f.pixels_ < 0 ? (-f.pixels_ * 72 + 48) / 96 : f.pixels_ * 72 / 96;
                      },
                      [=](FontObject& f, std::int32_t points) {
                          f.pixels_ = -((points * 96 + 36) / 72);
                          changed(f);
                      }},
                     {"Style", &FontObject::style_,
                      [=](FontObject& f, const Value& v) {
                          std::string text = "[";
                          for (const auto& s : setNames(v, kStyles))
                              text += (text.size() > 1 ? "," : "") + s;
                          f.style_ = text + "]";
                          changed(f);
                      }},
                     {"Color",
                      [](const FontObject& f) {
                          return f.color_.isEmpty() ? Value("clWindowText") : f.color_;
                      },
                      [=](FontObject& f, const Value& v) {
                          f.color_ = v;
                          changed(f);
                      }},
                 });
    return table;
}

void FontObject::applyTo(QFont& font) const {
    if (!name_.empty()) font.setFamily(qt::fromEngine(name_));
    if (pixels_ < 0)
        font.setPixelSize(-pixels_);
    else if (pixels_ > 0)
        font.setPixelSize(std::max(1, pixels_ * 4 / 5));
    const auto styles = setNames(Value(style_), kStyles);
    font.setBold(hasName(styles, "fsBold"));
    font.setItalic(hasName(styles, "fsItalic"));
    font.setUnderline(hasName(styles, "fsUnderline"));
    font.setStrikeOut(hasName(styles, "fsStrikeOut"));
}

bool FontObject::textColor(unsigned& rgb) const {
    return !color_.isEmpty() && !isSystemColor(color_) && colorOf(color_, rgb);
}

} // namespace vorlan::forms
