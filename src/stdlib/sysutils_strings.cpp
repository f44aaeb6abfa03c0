#include "stdlib/sysutils_strings.h"

#include "core/cp1250.h"
#include "core/cp1250_collate.h"
#include "script/open_array.h"

#include <algorithm>

namespace vorlan::stdlib {

namespace {

char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isControlOrBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool contains(std::string_view set, char c) {
    return set.find(c) != std::string_view::npos;
}

} // namespace

std::string upperCaseAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = asciiUpper(c);
    return out;
}

std::string lowerCaseAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

std::string ansiUpperCase(std::string_view s) {
    return upperCase(s);
}

std::string ansiLowerCase(std::string_view s) {
    return lowerCase(s);
}

std::string trim(std::string_view s) {
    return trimRight(trimLeft(s));
}

std::string trimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isControlOrBlank(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string trimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && isControlOrBlank(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::int32_t compareStr(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
    return static_cast<std::int32_t>(a.size()) - static_cast<std::int32_t>(b.size());
}

std::int32_t compareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(asciiUpper(a[i]));
        const auto y = static_cast<unsigned char>(asciiUpper(b[i]));
        if (x != y) return x - y;
    }
    return static_cast<std::int32_t>(a.size()) - static_cast<std::int32_t>(b.size());
}

std::int32_t ansiCompareStr(std::string_view a, std::string_view b) {
    return compareCollated(a, b, true);
}

std::int32_t ansiCompareText(std::string_view a, std::string_view b) {
    return compareCollated(a, b, false);
}

std::string quotedStr(std::string_view s) {
    return ansiQuotedStr(s, '\'');
}

std::string ansiQuotedStr(std::string_view s, char quote) {
    std::string out(1, quote);
    for (char c : s) {
        out += c;
        if (c == quote) out += quote;
    }
    out += quote;
    return out;
}

std::string ansiDequotedStr(std::string_view s, char quote) {
    if (s.empty() || s[0] != quote) return std::string(s);
    std::string out;
    std::size_t i = 1;
    for (; i < s.size(); ++i) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                out += quote;
                ++i;
                continue;
            }
            return out; // the closing quote; anything after it is not part of the text
        }
        out += s[i];
    }
    // No closing quote: the text as it is.
    return std::string(s);
}

std::string stringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, const script::Value& flags) {
    const std::uint32_t mask = script::setMask(flags);
    const bool all = mask & (1u << kReplaceAll);
    const bool ignoreCase = mask & (1u << kIgnoreCase);
    if (oldPattern.empty()) return std::string(s);
    // Case-blind search compares the Czech capitals of both texts; the result keeps the
    // letters of `s` outside the replaced parts.
    const std::string haystack = ignoreCase ? upperCase(s) : std::string();
    const std::string needle = ignoreCase ? upperCase(oldPattern) : std::string();
    const std::string_view searchIn = ignoreCase ? std::string_view(haystack) : s;
    const std::string_view searchFor = ignoreCase ? std::string_view(needle) : oldPattern;
    std::string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = searchIn.find(searchFor, from);
        if (at == std::string_view::npos) break;
        out.append(s.substr(from, at - from));
        out.append(newPattern);
        from = at + oldPattern.size();
        if (!all) break;
    }
    out.append(s.substr(from));
    return out;
}

std::string stringOfChar(char c, std::int32_t count) {
    return count > 0 ? std::string(static_cast<std::size_t>(count), c) : std::string();
}

char upCase(char c) {
    return asciiUpper(c);
}

std::string adjustLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            // The second half of a CR LF or LF CR pair belongs to the same break.
            if (i + 1 < s.size() && (s[i + 1] == '\r' || s[i + 1] == '\n') && s[i + 1] != c) ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::int32_t ansiPos(std::string_view sub, std::string_view s) {
    if (sub.empty()) return 0;
    const std::size_t at = s.find(sub);
    return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

std::int32_t lastDelimiter(std::string_view delimiters, std::string_view s) {
    const std::size_t at = s.find_last_of(delimiters);
    return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

bool isDelimiter(std::string_view delimiters, std::string_view s, std::int32_t index) {
    if (index < 1 || static_cast<std::size_t>(index) > s.size()) return false;
    return contains(delimiters, s[static_cast<std::size_t>(index - 1)]);
}

std::string wrapText(std::string_view line, std::string_view breakStr, std::string_view breakChars,
                     std::int32_t maxCol) {
    // Positions are 1-based as in the description of the routine: a line ends after the last
    // break character seen once the column passes maxCol; a break already in the text (breakStr)
    // starts a new line too, and nothing is broken inside quotes.
    std::string out;
    const auto length = static_cast<std::int64_t>(line.size());
    const auto breakLength = static_cast<std::int64_t>(breakStr.size());
    const auto at = [&](std::int64_t pos) { return line[static_cast<std::size_t>(pos - 1)]; };
    const auto copy = [&](std::int64_t from, std::int64_t count) {
        if (count > 0 && from <= length)
            out.append(line.substr(static_cast<std::size_t>(from - 1),
                                   static_cast<std::size_t>(std::min(count, length - from + 1))));
    };
    std::int64_t col = 1, pos = 1, linePos = 1, breakPos = 0;
    char quote = ' ';
    bool existingBreak = false;
    while (pos <= length) {
        const char c = at(pos);
        bool breakHere = false;
        if (breakLength > 0 && c == breakStr[0] && quote == ' ') {
            existingBreak = equalsNoCase(
                breakStr, line.substr(static_cast<std::size_t>(pos - 1), breakStr.size()));
            if (existingBreak) {
                pos += breakLength - 1;
                breakPos = pos;
                breakHere = true;
            }
        }
        if (!breakHere) {
            if (contains(breakChars, c)) {
                if (quote == ' ') breakPos = pos;
            } else if (c == '\'' || c == '"') {
                if (c == quote)
                    quote = ' ';
                else if (quote == ' ')
                    quote = c;
            }
        }
        ++pos;
        ++col;
        if (quote == ' ' && (existingBreak || (col > maxCol && breakPos > linePos))) {
            col = pos - breakPos;
            copy(linePos, breakPos - linePos + 1);
            if (c != '\'' && c != '"')
                while (pos <= length &&
                       (contains(breakChars, at(pos)) || at(pos) == '\r' || at(pos) == '\n'))
                    ++pos;
            if (!existingBreak && pos <= length) out.append(breakStr);
            linePos = breakPos + 1;
            existingBreak = false;
        }
    }
    copy(linePos, length - linePos + 1);
    return out;
}

std::string copyText(std::string_view s, std::int32_t index, std::int32_t count) {
    std::int64_t from = index < 1 ? 1 : index;
    const auto length = static_cast<std::int64_t>(s.size());
    if (from > length || count <= 0) return {};
    const std::int64_t n = std::min<std::int64_t>(count, length - from + 1);
    return std::string(s.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(n)));
}

} // namespace vorlan::stdlib
