#include "stdlib/delimited_text.h"

namespace vorlan::stdlib {

namespace {

bool isBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= ' ';
}

bool needsQuotes(std::string_view s, char delimiter, char quote) {
    for (char c : s)
        if (static_cast<unsigned char>(c) <= ' ' || c == quote || c == delimiter) return true;
    return false;
}

} // namespace

std::string joinDelimited(const std::vector<std::string>& items, char delimiter, char quote) {
    if (items.size() == 1 && items[0].empty()) return std::string(2, quote);
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += delimiter;
        const std::string& s = items[i];
        if (!needsQuotes(s, delimiter, quote)) {
            out += s;
            continue;
        }
        out += quote;
        for (char c : s) {
            if (c == quote) out += quote;
            out += c;
        }
        out += quote;
    }
    return out;
}

std::vector<std::string> splitDelimited(std::string_view text, char delimiter, char quote) {
    std::vector<std::string> items;
    // The text ends at a NUL character, as it always has for these lists.
    text = text.substr(0, text.find('\0'));
    std::size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < text.size() && isBlank(text[at]))
            ++at;
    };
    skipBlanks();
    while (at < text.size()) {
        std::string item;
        if (text[at] == quote) {
            // To the quote that is not doubled; an unterminated string runs to the end.
            for (++at; at < text.size(); ++at) {
                if (text[at] == quote) {
                    if (at + 1 < text.size() && text[at + 1] == quote) {
                        item += quote;
                        ++at;
                        continue;
                    }
                    ++at;
                    break;
                }
                item += text[at];
            }
        } else {
            const std::size_t start = at;
            while (at < text.size() && static_cast<unsigned char>(text[at]) > ' ' &&
                   text[at] != delimiter)
                ++at;
            item.assign(text.substr(start, at - start));
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (at < text.size() && text[at] == delimiter) {
            ++at;
            skipBlanks();
        }
    }
    return items;
}

} // namespace vorlan::stdlib
