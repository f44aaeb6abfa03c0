#include "script/js/js_position.h"

#include <string>

namespace vorlan::script::js {

namespace {

bool isWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '_' ||
           c == '$' || u >= 0x80;
}

// The first quoted identifier of the description, or empty.
std::string_view quotedName(std::string_view description) {
    std::size_t from = 0;
    while (true) {
        const auto open = description.find('\'', from);
        if (open == std::string_view::npos) return {};
        const auto close = description.find('\'', open + 1);
        if (close == std::string_view::npos) return {};
        const std::string_view name = description.substr(open + 1, close - open - 1);
        bool identifier = !name.empty();
        for (char c : name)
            identifier = identifier && isWordChar(c);
        if (identifier) return name;
        from = close + 1;
    }
}

} // namespace

int errorColumn(std::string_view line, std::string_view description) {
    if (const std::string_view name = quotedName(description); !name.empty()) {
        for (auto at = line.find(name); at != std::string_view::npos;
             at = line.find(name, at + 1)) {
            const bool startsWord = at == 0 || !isWordChar(line[at - 1]);
            const bool endsWord =
                at + name.size() >= line.size() || !isWordChar(line[at + name.size()]);
            if (startsWord && endsWord) return static_cast<int>(at);
        }
    }
    const auto first = line.find_first_not_of(" \t");
    return first == std::string_view::npos ? 0 : static_cast<int>(first);
}

} // namespace vorlan::script::js
