#include "ui/qt/forms/string_list.h"

namespace vorlan::forms {

std::vector<std::string> StringList::lines() const {
    return pending_ ? *pending_ : access_.read();
}

void StringList::setLines(const std::vector<std::string>& lines) {
    if (pending_)
        *pending_ = lines;
    else
        access_.write(lines);
}

int StringList::count() const {
    return static_cast<int>(lines().size());
}

std::string StringList::get(int index) const {
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()));
    return std::move(all[static_cast<std::size_t>(index)]);
}

void StringList::insertItem(int index, std::string text, script::Value) {
    // A control keeps texts only: the object beside an item is not stored.
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()) + 1);
    all.insert(all.begin() + index, std::move(text));
    setLines(all);
}

void StringList::remove(int index) {
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()));
    all.erase(all.begin() + index);
    setLines(all);
}

void StringList::put(int index, std::string text) {
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()));
    all[static_cast<std::size_t>(index)] = std::move(text);
    setLines(all);
}

void StringList::clear() {
    setLines({});
}

void StringList::setTexts(std::vector<std::string> texts) {
    setLines(texts);
}

void StringList::setUpdateState(bool updating) {
    if (updating) {
        pending_ = access_.read();
        return;
    }
    std::vector<std::string> done = std::move(*pending_);
    pending_.reset();
    access_.write(done);
}

} // namespace vorlan::forms
