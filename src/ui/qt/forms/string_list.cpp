#include "ui/qt/forms/string_list.h"

#include "core/cp1250.h"
#include "script/dispatch.h"
#include "ui/qt/forms/form_values.h"

namespace vorlan::forms {

void StringList::checkIndex(int index, int count) const {
    if (index < 0 || index >= count)
        throw script::ScriptException("List index out of bounds (" + std::to_string(index) + ")");
}

int StringList::add(const std::string& line) {
    auto all = lines();
    all.push_back(line);
    setLines(all);
    return static_cast<int>(all.size()) - 1;
}

void StringList::insert(int index, const std::string& line) {
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()) + 1);
    all.insert(all.begin() + index, line);
    setLines(all);
}

void StringList::remove(int index) {
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()));
    all.erase(all.begin() + index);
    setLines(all);
}

void StringList::set(int index, const std::string& line) {
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()));
    all[static_cast<std::size_t>(index)] = line;
    setLines(all);
}

std::string StringList::at(int index) const {
    const auto all = lines();
    checkIndex(index, static_cast<int>(all.size()));
    return all[static_cast<std::size_t>(index)];
}

int StringList::indexOf(std::string_view line) const {
    const auto all = lines();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (equalsNoCase(all[i], line)) return static_cast<int>(i);
    return -1;
}

std::string StringList::text() const {
    std::string out;
    for (const auto& line : lines())
        out += line + "\r\n";
    return out;
}

void StringList::setText(std::string_view text) {
    setLines(linesOfValue(script::Value(text)));
}

} // namespace vorlan::forms
