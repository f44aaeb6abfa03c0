#include "ui/qt/forms/comma_text.h"

namespace vorlan::forms {

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool needsQuotes(std::string_view s) {
    if (s.empty()) return true;
    for (char c : s)
        if (isBlank(c) || c == ',' || c == '"') return true;
    return false;
}

} // namespace

std::string commaTextOf(const std::vector<std::string>& lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += ',';
        const std::string& s = lines[i];
        if (!needsQuotes(s)) {
            out += s;
            continue;
        }
        out += '"';
        for (char c : s) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

std::vector<std::string> linesOfCommaText(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < text.size() && isBlank(text[at]))
            ++at;
    };
    skipBlanks();
    while (at < text.size()) {
        std::string item;
        if (text[at] == '"') {
            // A quoted string runs to the quote that is not doubled (or to the end).
            for (++at; at < text.size(); ++at) {
                if (text[at] == '"') {
                    if (at + 1 < text.size() && text[at + 1] == '"') {
                        item += '"';
                        ++at;
                        continue;
                    }
                    ++at;
                    break;
                }
                item += text[at];
            }
        } else {
            while (at < text.size() && text[at] != ',' && !isBlank(text[at]))
                item += text[at++];
        }
        lines.push_back(std::move(item));
        skipBlanks();
        if (at < text.size() && text[at] == ',') {
            ++at;
            skipBlanks();
        }
    }
    return lines;
}

} // namespace vorlan::forms
