#pragma once
// Text measurement and the small text formatting a report run needs: word wrap of memo texts,
// plain text of an RTF memo, the formats of variables. No graphics toolkit: the front end plugs
// real font metrics in through TextMeasurer.

#include "report/model.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

// Widths and heights in hundredths of an inch.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual std::int32_t textWidth(std::string_view text, const ReportFont& font) const = 0;
    virtual std::int32_t lineHeight(const ReportFont& font) const = 0;
};

// Every character half an em wide, lines 1.2 em high: a stable layout for headless runs and
// tests. A 10-point font gives characters 7 wide and lines 17 high.
class FixedWidthMeasurer : public TextMeasurer {
public:
    std::int32_t textWidth(std::string_view text, const ReportFont& font) const override;
    std::int32_t lineHeight(const ReportFont& font) const override;
    static std::int32_t charWidth(const ReportFont& font);
};

// The lines of `text` in `width`: line breaks (CR LF, LF or CR) always end a line; with
// `wordWrap` a line also breaks before the word that would not fit, and a word wider than the
// whole width is cut where it must be. Trailing blanks of wrapped lines are dropped.
std::vector<std::string> layoutLines(std::string_view text, std::int32_t width,
                                     const ReportFont& font, bool wordWrap,
                                     const TextMeasurer& measurer);

// The readable text of an RTF document: paragraphs become line breaks, hexadecimal character
// escapes their byte, destinations such as font and colour tables disappear. Text that is not
// RTF comes back unchanged.
std::string plainTextOfRtf(std::string_view rtf);
bool looksLikeRtf(std::string_view text);

// `pattern` used as a format with one integer argument: the first %d, %i, %u or %s (with an
// optional width and a leading zero or minus) takes the number, %% is a percent sign. Without
// a placeholder the pattern comes back as it is.
std::string formatWithInteger(std::string_view pattern, std::int64_t value);

// A date and time formatted with day, month, year, hour, minute and second letters (d dd m mm
// yy yyyy h hh n nn s ss); text between quotes is copied. The short date is "d.m.yyyy", the
// time "h:nn:ss".
std::string formatDateTime(std::string_view pattern, const std::tm& when);
constexpr std::string_view kShortDateFormat = "d.m.yyyy";
constexpr std::string_view kShortTimeFormat = "h:nn:ss";

} // namespace vorlan::report
