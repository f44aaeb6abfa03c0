#include "ui/qt/forms/property_table.h"

#include "core/cp1250.h"

#include <algorithm>
#include <stdexcept>

namespace vorlan::forms {

namespace {

// Names are identifiers: their ASCII letters fold to upper case here, and a hit is confirmed by
// the engine's own case-insensitive comparison.
std::uint32_t hashOf(std::string_view name) {
    std::uint32_t h = 2166136261u;
    for (char ch : name) {
        auto c = static_cast<unsigned char>(ch);
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
        h = (h ^ c) * 16777619u;
    }
    return h;
}

// equalsNoCase, with the common cases (same bytes, ASCII letters in another case) done here.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        const auto lower = static_cast<unsigned char>(x | 0x20);
        if (lower == (y | 0x20) && lower >= 'a' && lower <= 'z') continue;
        return equalsNoCase(a, b);
    }
    return true;
}

} // namespace

PropertyTable::PropertyTable(const PropertyTable* parent, std::vector<Entry> entries)
    : parent_(parent), entries_(std::move(entries)) {
    // Looked up by the hash of the name: one pass over the name serves every table of a chain.
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return hashOf(a.name) < hashOf(b.name); });
    hashes_.reserve(entries_.size());
    for (const Entry& e : entries_)
        hashes_.push_back(hashOf(e.name));
    for (std::size_t i = 0; i < entries_.size(); ++i)
        for (std::size_t j = i + 1; j < entries_.size() && hashes_[j] == hashes_[i]; ++j)
            if (equalsNoCase(entries_[i].name, entries_[j].name))
                throw std::logic_error("Property " + entries_[i].name + " is listed twice");
}

const PropertyTable::Entry* PropertyTable::find(std::string_view name) const {
    return find(name, hashOf(name));
}

const PropertyTable::Entry* PropertyTable::find(std::string_view name, std::uint32_t hash) const {
    auto it = std::lower_bound(hashes_.begin(), hashes_.end(), hash);
    for (; it != hashes_.end() && *it == hash; ++it) {
        const Entry& e = entries_[static_cast<std::size_t>(it - hashes_.begin())];
        if (sameName(e.name, name)) return &e;
    }
    return nullptr;
}

const PropertyTable::Entry* PropertyTable::findObject(std::string_view name) const {
    const std::uint32_t hash = hashOf(name);
    for (const PropertyTable* t = this; t; t = t->parent_)
        if (const Entry* e = t->find(name, hash); e && e->object) return e;
    return nullptr;
}

bool PropertyTable::isObjectPath(std::string_view name) const {
    const std::size_t dot = name.find('.');
    return dot != std::string_view::npos && findObject(name.substr(0, dot));
}

bool PropertyTable::lists(std::string_view name) const {
    const std::uint32_t hash = hashOf(name);
    for (const PropertyTable* t = this; t; t = t->parent_)
        if (t->find(name, hash)) return true;
    return false;
}

bool PropertyTable::get(const script::NativeObject& self, std::string_view name,
                        script::Value& out) const {
    const std::uint32_t hash = hashOf(name);
    for (const PropertyTable* t = this; t; t = t->parent_)
        if (const Entry* e = t->find(name, hash); e && e->get && e->get(self, out)) return true;
    // "Font.Size": the object property answers for its own properties.
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) return false;
    const Entry* e = findObject(name.substr(0, dot));
    if (!e) return false;
    const script::NativeObject* object = e->object(self);
    return object && e->objectTable().get(*object, name.substr(dot + 1), out);
}

bool PropertyTable::set(script::NativeObject& self, std::string_view name,
                        const script::Value& value) const {
    const std::uint32_t hash = hashOf(name);
    for (const PropertyTable* t = this; t; t = t->parent_)
        if (const Entry* e = t->find(name, hash); e && e->set && e->set(self, value)) return true;
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) return false;
    const Entry* e = findObject(name.substr(0, dot));
    if (!e) return false;
    script::NativeObject* object = e->object(self);
    return object && e->objectTable().set(*object, name.substr(dot + 1), value);
}

} // namespace vorlan::forms
