#include "report/run/text_layout.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vorlan::report {

std::int32_t FixedWidthMeasurer::charWidth(const ReportFont& font) {
    // A point is 1/72 inch; half of an em, rounded.
    const std::int32_t size = std::max<std::int32_t>(font.size, 1);
    return std::max<std::int32_t>(1, (size * 100 + 72) / 144);
}

std::int32_t FixedWidthMeasurer::textWidth(std::string_view text, const ReportFont& font) const {
    return static_cast<std::int32_t>(text.size()) * charWidth(font);
}

std::int32_t FixedWidthMeasurer::lineHeight(const ReportFont& font) const {
    const std::int32_t size = std::max<std::int32_t>(font.size, 1);
    return std::max<std::int32_t>(1, (size * 120 + 36) / 72);
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Wraps one paragraph (no line breaks inside).
void wrapParagraph(std::string_view text, std::int32_t width, const ReportFont& font,
                   const TextMeasurer& m, std::vector<std::string>& out) {
    while (!text.empty()) {
        if (m.textWidth(text, font) <= width) {
            out.emplace_back(trimRight(text));
            return;
        }
        // The longest prefix that fits, in characters (widths grow with the prefix; real font
        // metrics are slow enough to make halving worth it).
        std::size_t fit = 0;
        std::size_t tooLong = text.size();
        while (fit + 1 < tooLong) {
            const std::size_t mid = fit + (tooLong - fit) / 2;
            if (m.textWidth(text.substr(0, mid), font) <= width)
                fit = mid;
            else
                tooLong = mid;
        }
        std::size_t cut = fit;
        // Break at the last blank within the fitting part, or just after it.
        if (fit < text.size() && isBlank(text[fit])) {
            cut = fit;
        } else {
            std::size_t blank = text.substr(0, fit).find_last_of(" \t");
            if (blank != std::string_view::npos && blank > 0) cut = blank;
        }
        if (cut == 0) cut = 1; // not even one character fits: still make progress
        out.emplace_back(trimRight(text.substr(0, cut)));
        text.remove_prefix(cut);
        while (!text.empty() && isBlank(text.front()))
            text.remove_prefix(1);
    }
}

} // namespace

std::vector<std::string> layoutLines(std::string_view text, std::int32_t width,
                                     const ReportFont& font, bool wordWrap,
                                     const TextMeasurer& measurer) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::string_view para = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!wordWrap || para.empty())
            lines.emplace_back(wordWrap ? std::string() : std::string(para));
        else
            wrapParagraph(para, std::max<std::int32_t>(width, 1), font, measurer, lines);
        if (end == std::string_view::npos) break;
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
        if (start == text.size()) break; // a final line break opens no further line
    }
    return lines;
}

bool looksLikeRtf(std::string_view text) {
    return text.substr(0, 5) == "{\\rtf";
}

std::string plainTextOfRtf(std::string_view rtf) {
    if (!looksLikeRtf(rtf)) return std::string(rtf);
    std::string out;
    // Depth at which a skipped destination began; 0 while text is kept.
    int depth = 0;
    int skipFrom = 0;
    std::size_t i = 0;
    auto skipping = [&] { return skipFrom > 0 && depth >= skipFrom; };
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            ++i;
            continue;
        }
        if (c == '}') {
            if (skipFrom > 0 && depth <= skipFrom) skipFrom = 0;
            --depth;
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            if (!skipping()) out += c;
            ++i;
            continue;
        }
        // A control symbol or word.
        ++i;
        if (i >= rtf.size()) break;
        const char s = rtf[i];
        if (s == '\\' || s == '{' || s == '}') {
            if (!skipping()) out += s;
            ++i;
            continue;
        }
        if (s == '\'') {
            if (i + 2 < rtf.size()) {
                const std::string hex(rtf.substr(i + 1, 2));
                char* endp = nullptr;
                const long v = std::strtol(hex.c_str(), &endp, 16);
                if (endp == hex.c_str() + 2 && !skipping()) out += static_cast<char>(v);
            }
            i += 3;
            continue;
        }
        if (s == '*') {
            if (skipFrom == 0) skipFrom = depth;
            ++i;
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(s))) {
            if (s == '~' && !skipping()) out += ' ';
            ++i;
            continue;
        }
        std::size_t w = i;
        while (w < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[w])))
            ++w;
        const std::string_view word = rtf.substr(i, w - i);
        if (w < rtf.size() && (rtf[w] == '-' || std::isdigit(static_cast<unsigned char>(rtf[w])))) {
            ++w;
            while (w < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[w])))
                ++w;
        }
        if (w < rtf.size() && rtf[w] == ' ') ++w;
        i = w;
        if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" ||
            word == "pict" || word == "header" || word == "footer") {
            if (skipFrom == 0) skipFrom = depth;
        } else if (!skipping()) {
            if (word == "par" || word == "line")
                out += "\r\n";
            else if (word == "tab")
                out += '\t';
        }
    }
    // The final paragraph mark of a document ends no line of its own.
    while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0)
        out.resize(out.size() - 2);
    return out;
}

std::string formatWithInteger(std::string_view pattern, std::int64_t value) {
    std::string out;
    bool used = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 >= pattern.size()) {
            out += pattern[i];
            continue;
        }
        if (pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool left = false;
        bool zero = false;
        if (j < pattern.size() && pattern[j] == '-') left = true, ++j;
        if (j < pattern.size() && pattern[j] == '0') zero = true, ++j;
        std::size_t width = 0;
        while (j < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[j])) &&
               width < 1000)
            width = width * 10 + static_cast<std::size_t>(pattern[j++] - '0');
        if (j >= pattern.size() || used ||
            std::string_view("diusDIUS").find(pattern[j]) == std::string_view::npos) {
            out += pattern[i];
            continue;
        }
        std::string digits = std::to_string(value);
        if (digits.size() < width) {
            const std::size_t pad = width - digits.size();
            if (left)
                digits.append(pad, ' ');
            else if (zero && std::tolower(static_cast<unsigned char>(pattern[j])) != 's')
                digits.insert(digits[0] == '-' ? 1 : 0, pad, '0');
            else
                digits.insert(0, pad, ' ');
        }
        out += digits;
        used = true;
        i = j;
    }
    return out;
}

std::string formatDateTime(std::string_view pattern, const std::tm& when) {
    std::string out;
    auto num = [&](int v, int width) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%0*d", width, v);
        out += buf;
    };
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {
            const std::size_t end = pattern.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? pattern.size() : end;
            out.append(pattern.substr(i + 1, stop - i - 1));
            i = stop == pattern.size() ? stop : stop + 1;
            continue;
        }
        const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::size_t run = 1;
        while (i + run < pattern.size() &&
               std::tolower(static_cast<unsigned char>(pattern[i + run])) == l)
            ++run;
        switch (l) {
        case 'd':
            num(when.tm_mday, run >= 2 ? 2 : 1);
            break;
        case 'm':
            num(when.tm_mon + 1, run >= 2 ? 2 : 1);
            break;
        case 'y':
            if (run >= 3)
                num(when.tm_year + 1900, 4);
            else
                num((when.tm_year + 1900) % 100, 2);
            break;
        case 'h':
            num(when.tm_hour, run >= 2 ? 2 : 1);
            break;
        case 'n':
            num(when.tm_min, run >= 2 ? 2 : 1);
            break;
        case 's':
            num(when.tm_sec, run >= 2 ? 2 : 1);
            break;
        default:
            out.append(pattern.substr(i, run));
            break;
        }
        i += run;
    }
    return out;
}

} // namespace vorlan::report
