// CreateObject and the one class it offers itself: a dictionary of keys and items.
#include "core/cp1250.h"
#include "script/basic/basic_interp.h"
#include "script/basic/basic_library.h"
#include "script/registry.h"

#include <unordered_map>

namespace vorlan::script::basic {

namespace {

// Keys keep their insertion order. A key is found by its subtype and text: 1 and "1" are
// different keys; with CompareMode 1 (text) "a" and "A" are the same one.
class Dictionary : public OwnObject, public Enumerable {
public:
    DispId idOfName(std::string_view name) override {
        static const char* const names[] = {"Item",   "Add",       "Exists", "Keys", "Items",
                                            "Remove", "RemoveAll", "Count",  "Key",  "CompareMode"};
        if (name.empty()) return 0; // the default member is Item
        for (std::size_t i = 0; i < std::size(names); ++i)
            if (equalsNoCase(name, names[i])) return static_cast<DispId>(i);
        return kUnknownDispId;
    }

    Value callFromScript(DispId id, unsigned flags, std::span<Value> args) override {
        const bool put = flags & InvokePut;
        Value result;
        auto need = [&](std::size_t n) {
            if (args.size() != n) raise(450);
        };
        switch (id) {
        case 0: // Item
            if (put) {
                need(2);
                itemFor(args[0]) = args[1];
            } else {
                need(1);
                result = itemFor(args[0]); // a missing key is added with an empty item
            }
            return result;
        case 1: // Add
            need(2);
            if (find(args[0]) >= 0) raise(457, czech("Tento klíč už v kolekci je"));
            add(args[0], args[1]);
            return result;
        case 2:
            need(1);
            result = Value(find(args[0]) >= 0);
            return result;
        case 3:
        case 4: {
            need(0);
            auto a = VarArray::create(0, static_cast<std::int32_t>(entries_.size()) - 1);
            for (std::size_t i = 0; i < entries_.size(); ++i)
                a->items()[i] = id == 3 ? entries_[i].first : entries_[i].second;
            result = Value(a);
            return result;
        }
        case 5: {
            need(1);
            const int at = find(args[0]);
            if (at < 0) raise(32811, czech("Prvek nebyl nalezen"));
            entries_.erase(entries_.begin() + at);
            reindex();
            return result;
        }
        case 6:
            need(0);
            entries_.clear();
            index_.clear();
            return result;
        case 7:
            need(0);
            result = Value(static_cast<std::int32_t>(entries_.size()));
            return result;
        case 8: { // Key(old) = new
            if (!put) raise(450);
            need(2);
            const int at = find(args[0]);
            if (at < 0) raise(32811, czech("Prvek nebyl nalezen"));
            if (find(args[1]) >= 0) raise(457, czech("Tento klíč už v kolekci je"));
            entries_[static_cast<std::size_t>(at)].first = keyValue(args[1]);
            reindex();
            return result;
        }
        case 9:
            if (!put) {
                result = Value(textCompare_ ? 1 : 0);
                return result;
            }
            need(1);
            if (!entries_.empty()) raise(5); // only an empty dictionary changes its mode
            textCompare_ = args[0].toInt() == 1;
            return result;
        default:
            raise(438);
        }
    }

    std::string dispatchClassName() const override { return "Dictionary"; }

    std::vector<Value> enumerate() const override {
        std::vector<Value> keys;
        keys.reserve(entries_.size());
        for (const auto& e : entries_)
            keys.push_back(e.first);
        return keys;
    }

private:
    static Value keyValue(const Value& key) {
        if (key.isArray()) raise(13);
        return key;
    }
    std::string keyText(const Value& key) const {
        if (key.isArray()) raise(13);
        if (key.isObject()) // objects are keys by identity
            return "o" + std::to_string(reinterpret_cast<std::uintptr_t>(key.asObject().get()));
        if (key.isString())
            return "s" + (textCompare_ ? upperCase(key.asString()) : key.asString());
        if (key.isNumeric()) return "n" + formatDouble(key.toDouble()); // 1 and 1.0 are one key
        return std::string(1, static_cast<char>('a' + static_cast<int>(key.type()))) +
               key.toString();
    }
    int find(const Value& key) const {
        auto it = index_.find(keyText(key));
        return it == index_.end() ? -1 : static_cast<int>(it->second);
    }
    void add(const Value& key, const Value& item) {
        if (entries_.size() >= (4u << 20)) raise(7);
        index_.emplace(keyText(key), entries_.size());
        entries_.emplace_back(keyValue(key), item);
    }
    Value& itemFor(const Value& key) {
        int at = find(key);
        if (at < 0) {
            add(key, Value());
            at = static_cast<int>(entries_.size()) - 1;
        }
        return entries_[static_cast<std::size_t>(at)].second;
    }
    void reindex() {
        index_.clear();
        for (std::size_t i = 0; i < entries_.size(); ++i)
            index_.emplace(keyText(entries_[i].first), i);
    }

    std::vector<std::pair<Value, Value>> entries_;
    std::unordered_map<std::string, std::size_t> index_;
    bool textCompare_ = false;
};

} // namespace

Value createObject(std::span<Value> args) {
    const std::string name = args[0].isString() ? args[0].asString() : std::string();
    if (equalsNoCase(name, "Scripting.Dictionary"))
        return Value(ObjectRef(std::make_shared<Dictionary>()));
    // Other objects come from the standard library's automation unit when it is registered.
    if (const MethodInfo* make = registry().findProc("CreateOleObject")) {
        std::vector<Value> request{args[0]};
        Value made;
        ExceptionInfo error;
        if (registry().call(*make, nullptr, request, made, error) == DispStatus::Ok) return made;
        raise(429, error.description);
    }
    raise(429, czech("Objekt nelze vytvořit: '") + name + "'");
}

} // namespace vorlan::script::basic
