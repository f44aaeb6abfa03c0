#pragma once
// Published properties as tables: each class lists its properties once, one line each, with a
// getter and a setter (member functions, data members or lambdas), and names its parent class's
// table. Reading or writing a property by name looks in the object's own table first, then in
// its ancestors' tables; a name no table has is left to the caller (the component's property
// bag). Names are matched without regard to case.
//
//   const PropertyTable& Edit::propertyTable() {
//       static const auto table = PropertyTable::of<Edit>(&Control::propertyTable(), {
//           {"Text", &Edit::text, &Edit::setText},
//           {"MaxLength", &Edit::maxLength_, [](Edit& e, std::int32_t n) { e.setMaxLength(n); }},
//           {"PasswordChar", nullptr, &Edit::setPasswordChar}, // written only
//       });
//       return table;
//   }
//
// Getters take the object (const) and return a value, a Boolean, an integer, a text, a pointer
// to a native object (handed to scripts wrapped) or std::optional<Value> (empty: "not here",
// the parent tables are asked). Setters take the object and the new value as Value, bool,
// integer, double or text; a setter that returns false passes the value on to the parent
// tables as well. A data member pointer reads or writes that member.
//
// An object property ({"Font", subObject, getter}) answers the object itself, and a dotted name
// ("Font.Size", as stored forms write it) goes to the object's own table: its class has a static
// propertyTable().

#include "script/comp_wrapper.h"
#include "script/native_object.h"
#include "script/value.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

namespace vorlan::forms {

class PropertyTable {
public:
    // False: the entry does not answer for this object (the parent tables are asked).
    using Getter = std::function<bool(const script::NativeObject&, script::Value&)>;
    using Setter = std::function<bool(script::NativeObject&, const script::Value&)>;

    struct Entry {
        std::string name;
        Getter get; // empty: the property cannot be read here
        Setter set; // empty: the property cannot be written here
        // For object properties: the object, and the table its own properties are in.
        std::function<script::NativeObject*(const script::NativeObject&)> object;
        const PropertyTable& (*objectTable)() = nullptr;
    };

    // Throws std::logic_error when a name is listed twice.
    PropertyTable(const PropertyTable* parent, std::vector<Entry> entries);

    template <class T> class Property;
    template <class T>
    static PropertyTable of(const PropertyTable* parent, std::initializer_list<Property<T>> list);

    const PropertyTable* parent() const { return parent_; }
    // In the order lookups search them.
    const std::vector<Entry>& entries() const { return entries_; }
    // This table's entry of the name; null when it has none.
    const Entry* find(std::string_view name) const;

    // Through this table and its ancestors; false when none of them answers the name.
    bool get(const script::NativeObject& self, std::string_view name, script::Value& out) const;
    bool set(script::NativeObject& self, std::string_view name, const script::Value& value) const;
    // "Font.Charset": a dotted name under an object property. Such names belong to the object,
    // even those it does not know; they are not kept anywhere else.
    bool isObjectPath(std::string_view name) const;
    // Whether this table or a parent's lists the name (readable or not).
    bool lists(std::string_view name) const;

private:
    const Entry* find(std::string_view name, std::uint32_t hash) const;
    const Entry* findObject(std::string_view name) const;
    const PropertyTable* parent_;
    std::vector<Entry> entries_;
    std::vector<std::uint32_t> hashes_; // of the entries' names, in their order
};

// Marks an object property in a table line: {"Font", subObject, &Control::font}.
struct SubObjectTag {};
inline constexpr SubObjectTag subObject{};

namespace property_detail {

// The result and the last parameter (the new value) of a setter: a lambda or a member function.
template <class F> struct Callable : Callable<decltype(&F::operator())> {};
template <class R, class C, class... A> struct Callable<R (C::*)(A...) const> {
    using Result = R;
    using Last = std::tuple_element_t<sizeof...(A) - 1, std::tuple<A...>>;
};
template <class R, class C, class... A> struct Callable<R (C::*)(A...)> {
    using Result = R;
    using Last = std::tuple_element_t<sizeof...(A) - 1, std::tuple<A...>>;
};
template <class R, class C, class... A>
struct Callable<R (C::*)(A...) const noexcept> : Callable<R (C::*)(A...) const> {};
template <class R, class C, class... A>
struct Callable<R (C::*)(A...) noexcept> : Callable<R (C::*)(A...)> {};

template <class T> using Bare = std::remove_cvref_t<T>;

// A getter's result as a script value.
template <class R> script::Value toValue(R&& r) {
    using B = Bare<R>;
    if constexpr (std::is_same_v<B, script::Value>)
        return std::forward<R>(r);
    else if constexpr (std::is_same_v<B, bool>)
        return script::Value(r);
    else if constexpr (std::is_integral_v<B> || std::is_enum_v<B>)
        return script::Value(static_cast<std::int32_t>(r));
    else if constexpr (std::is_floating_point_v<B>)
        return script::Value(static_cast<double>(r));
    else if constexpr (std::is_same_v<B, const char*> || std::is_same_v<B, char*>)
        return script::Value(std::string(r));
    else if constexpr (std::is_pointer_v<B>)
        return script::Value(
            script::wrapObject(const_cast<std::remove_cv_t<std::remove_pointer_t<B>>*>(r)));
    else
        return script::Value(std::forward<R>(r));
}

// A script value as a setter's parameter.
template <class A> decltype(auto) fromValue(const script::Value& v) {
    using B = Bare<A>;
    if constexpr (std::is_same_v<B, script::Value>)
        return (v);
    else if constexpr (std::is_same_v<B, bool>)
        return v.toBool();
    else if constexpr (std::is_integral_v<B>)
        return static_cast<B>(v.toInt());
    else if constexpr (std::is_floating_point_v<B>)
        return static_cast<B>(v.toDouble());
    else
        return v.toString();
}

} // namespace property_detail

template <class T> class PropertyTable::Property {
public:
    template <class G, class S = std::nullptr_t>
    Property(std::string_view name, G get, S set = nullptr) {
        entry.name = std::string(name);
        if constexpr (!std::is_null_pointer_v<G>) entry.get = getter(std::move(get));
        if constexpr (!std::is_null_pointer_v<S>) entry.set = setter(std::move(set));
    }
    template <class F> Property(std::string_view name, SubObjectTag, F object) {
        using Sub = std::remove_cv_t<std::remove_pointer_t<std::invoke_result_t<F, const T&>>>;
        entry.name = std::string(name);
        entry.get = getter(object);
        entry.object = [object](const script::NativeObject& self) -> script::NativeObject* {
            return const_cast<Sub*>(std::invoke(object, static_cast<const T&>(self)));
        };
        entry.objectTable = &Sub::propertyTable;
    }

    Entry entry;

private:
    template <class G> static Getter getter(G get) {
        using namespace property_detail;
        return [get = std::move(get)](const script::NativeObject& self, script::Value& out) {
            const T& object = static_cast<const T&>(self);
            if constexpr (std::is_member_object_pointer_v<G>) {
                out = toValue(object.*get);
            } else {
                using R = std::invoke_result_t<const G&, const T&>;
                if constexpr (std::is_same_v<Bare<R>, std::optional<script::Value>>) {
                    std::optional<script::Value> answer = std::invoke(get, object);
                    if (!answer) return false;
                    out = std::move(*answer);
                } else {
                    out = toValue(std::invoke(get, object));
                }
            }
            return true;
        };
    }
    template <class S> static Setter setter(S set) {
        using namespace property_detail;
        return [set = std::move(set)](script::NativeObject& self, const script::Value& value) {
            T& object = static_cast<T&>(self);
            if constexpr (std::is_member_object_pointer_v<S>) {
                using M = Bare<decltype(object.*set)>;
                object.*set = fromValue<M>(value);
                return true;
            } else {
                using A = typename Callable<std::decay_t<S>>::Last;
                using R = typename Callable<std::decay_t<S>>::Result;
                if constexpr (std::is_same_v<R, bool>) {
                    return std::invoke(set, object, fromValue<A>(value));
                } else {
                    std::invoke(set, object, fromValue<A>(value));
                    return true;
                }
            }
        };
    }
};

template <class T>
PropertyTable PropertyTable::of(const PropertyTable* parent,
                                std::initializer_list<Property<T>> list) {
    std::vector<Entry> entries;
    entries.reserve(list.size());
    for (const Property<T>& p : list)
        entries.push_back(p.entry);
    return PropertyTable(parent, std::move(entries));
}

} // namespace vorlan::forms
