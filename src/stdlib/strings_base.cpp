#include "stdlib/strings_base.h"

#include "core/cp1250_collate.h"
#include "core/text_lines.h"
#include "stdlib/delimited_text.h"
#include "stdlib/host_files.h"
#include "stdlib/list_errors.h"
#include "stdlib/streams.h"

#include <algorithm>

namespace vorlan::stdlib {

using script::Value;

void Strings::checkIndex(int index, int limit) {
    if (index < 0 || index >= limit) raiseStringListIndexError(index);
}

void Strings::put(int index, std::string text) {
    checkIndex(index, count());
    Value kept = object(index);
    remove(index);
    insertItem(index, std::move(text), std::move(kept));
}

Value Strings::object(int index) const {
    checkIndex(index, count());
    return {};
}

void Strings::putObject(int index, Value) {
    checkIndex(index, count());
}

void Strings::clear() {
    for (int i = count() - 1; i >= 0; --i)
        remove(i);
}

int Strings::add(std::string text, Value object) {
    const int at = count();
    insertItem(at, std::move(text), std::move(object));
    return at;
}

void Strings::exchange(int first, int second) {
    const int n = count();
    checkIndex(first, n);
    checkIndex(second, n);
    std::string firstText = get(first);
    Value firstObject = object(first);
    put(first, get(second));
    putObject(first, object(second));
    put(second, std::move(firstText));
    putObject(second, std::move(firstObject));
}

int Strings::compareStrings(std::string_view a, std::string_view b) const {
    return ansiCompareText(a, b);
}

int Strings::indexOf(std::string_view text) const {
    const int n = count();
    for (int i = 0; i < n; ++i)
        if (compareStrings(get(i), text) == 0) return i;
    return -1;
}

int Strings::indexOfName(std::string_view name) const {
    const int n = count();
    for (int i = 0; i < n; ++i) {
        const std::string line = get(i);
        const std::size_t at = line.find(separator_);
        if (at != std::string::npos &&
            compareStrings(std::string_view(line).substr(0, at), name) == 0)
            return i;
    }
    return -1;
}

int Strings::indexOfObject(const Value& object) const {
    const int n = count();
    for (int i = 0; i < n; ++i)
        if (this->object(i).identical(object)) return i;
    return -1;
}

void Strings::move(int from, int to) {
    if (from == to) return;
    const int n = count();
    checkIndex(from, n);
    checkIndex(to, n);
    std::string text = get(from);
    Value kept = object(from);
    beginUpdate();
    remove(from);
    insertItem(to, std::move(text), std::move(kept));
    endUpdate();
}

void Strings::sort() {
    const int n = count();
    std::vector<std::pair<std::string, Value>> items;
    items.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        items.emplace_back(get(i), object(i));
    std::stable_sort(items.begin(), items.end(), [this](const auto& a, const auto& b) {
        return compareStrings(a.first, b.first) < 0;
    });
    beginUpdate();
    clear();
    for (auto& [text, kept] : items)
        add(std::move(text), std::move(kept));
    endUpdate();
}

std::vector<std::string> Strings::texts() const {
    std::vector<std::string> out;
    const int n = count();
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out.push_back(get(i));
    return out;
}

void Strings::setTexts(std::vector<std::string> texts) {
    beginUpdate();
    clear();
    for (std::string& t : texts)
        add(std::move(t));
    endUpdate();
}

std::string Strings::text() const {
    std::string out;
    const int n = count();
    for (int i = 0; i < n; ++i) {
        out += get(i);
        out += "\r\n";
    }
    return out;
}

void Strings::setText(std::string_view text) {
    setTexts(splitLines(text));
}

std::string Strings::delimitedText() const {
    return joinDelimited(texts(), delimiter_, quoteChar_);
}

void Strings::setDelimitedText(std::string_view text) {
    setTexts(splitDelimited(text, delimiter_, quoteChar_));
}

std::string Strings::commaText() const {
    return joinDelimited(texts(), ',', '"');
}

void Strings::setCommaText(std::string_view text) {
    setTexts(splitDelimited(text, ',', '"'));
}

std::string Strings::name(int index) const {
    const std::string line = get(index);
    const std::size_t at = line.find(separator_);
    return at == std::string::npos ? std::string() : line.substr(0, at);
}

std::string Strings::valueFromIndex(int index) const {
    const std::string line = get(index);
    const std::size_t at = line.find(separator_);
    return at == std::string::npos ? std::string() : line.substr(at + 1);
}

void Strings::setValueFromIndex(int index, std::string_view value) {
    if (value.empty()) {
        remove(index);
        return;
    }
    put(index, name(index) + separator_ + std::string(value));
}

std::string Strings::value(std::string_view name) const {
    const int at = indexOfName(name);
    return at < 0 ? std::string() : valueFromIndex(at);
}

void Strings::setValue(std::string_view name, std::string_view value) {
    const int at = indexOfName(name);
    if (value.empty()) {
        if (at >= 0) remove(at);
        return;
    }
    std::string line = std::string(name) + separator_ + std::string(value);
    if (at < 0)
        add(std::move(line));
    else
        put(at, std::move(line));
}

void Strings::assign(const Strings& from) {
    if (&from == this) return;
    beginUpdate();
    clear();
    addStrings(from);
    endUpdate();
}

void Strings::addStrings(const Strings& from) {
    // A list may add itself: what it holds now is added once.
    const int n = from.count();
    std::vector<std::pair<std::string, Value>> items;
    items.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        items.emplace_back(from.get(i), from.object(i));
    beginUpdate();
    for (auto& [text, object] : items)
        add(std::move(text), std::move(object));
    endUpdate();
}

bool Strings::equals(const Strings& other) const {
    const int n = count();
    if (n != other.count()) return false;
    for (int i = 0; i < n; ++i)
        if (get(i) != other.get(i)) return false;
    return true;
}

void Strings::loadFromFile(std::string_view programPath) {
    std::optional<std::string> bytes = readFileBytes(programPath);
    if (!bytes) raiseFileOpenError(programPath);
    setText(textFromFileBytes(std::move(*bytes)));
}

void Strings::saveToFile(std::string_view programPath) const {
    if (!writeFileBytes(programPath, text())) raiseFileCreateError(programPath);
}

void Strings::loadFromStream(Stream& stream) {
    setText(textFromFileBytes(stream.readRest()));
}

void Strings::saveToStream(Stream& stream) const {
    stream.writeAll(text());
}

void Strings::beginUpdate() {
    if (updateCount_++ == 0) setUpdateState(true);
}

void Strings::endUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) setUpdateState(false);
}

} // namespace vorlan::stdlib
