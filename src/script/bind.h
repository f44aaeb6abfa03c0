#pragma once
// One line per script-facing member. A routine, method or property is declared with its script
// declaration and a plain C++ callable; the adapter between the two is built here:
//
//   Binder global(reg);
//   global.bind("IntToStr", "function(Value: Integer): string", &intToStr);
//
//   ClassBinder<TDataTable> table(reg, "TDataTable");
//   table.guard([](const TDataTable& t) { return t.active(); });
//   table.bind("Seek", "function(Key: string): Boolean", &TDataTable::seek);
//   table.property("Filter", "string", &TDataTable::filter, &TDataTable::setFilter);
//
// Callables may be free functions, lambdas or member functions. In a class binder a callable
// whose first parameter is `C&` (or a member function) receives the object; `C*` receives it or
// null (class-level calls such as TDataTable.SetCentury, or an object of another class); any
// other first parameter makes a class-level routine. Parameters convert from the declared types
// (std::string, string_view, integers, double, bool, Value, ObjectRef, Currency, DateTime, pointers
// to native objects); a `var` parameter is a non-const reference and is written back. Texts move in
// and out without being copied. Results convert the same way (a NativeObject pointer is wrapped).
//
// Calls reach a bound routine over the caller's own storage: a `std::string_view` or
// `const std::string&` parameter reads the caller's text where it lies, so a routine that runs
// script code (an event, a callback) before it is done with a text takes it as `std::string`.
//
// Registration compares the declaration with the C++ signature: parameter count, `var` modes and
// types must agree. Mismatches are collected in bindingMismatches(); debug builds also stop at
// start-up with std::logic_error so a wrong line cannot slip through.
//
// Escape hatch: a callable of the raw shape `void(NativeObject*, std::span<Value>, Value&)` (or
// `void(C&, std::span<Value>, Value&)` in a class binder) is registered as it is, for routines
// that take a variable number of arguments or inspect them themselves.

#include "script/comp_wrapper.h"
#include "script/native_object.h"
#include "script/registry.h"
#include "script/value.h"

#include <array>
#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

namespace vorlan::script {

// Problems found while binding: "Class.Member: why". Empty when every binding agrees.
const std::vector<std::string>& bindingMismatches();
// Records a mismatch (and throws std::logic_error in debug builds).
void reportBindingMismatch(std::string_view owner, std::string_view name, std::string_view why);

namespace bind_detail {

// ---- how a C++ type travels as a value ------------------------------------------------------

template <class T> using Bare = std::remove_cvref_t<T>;

template <class T>
constexpr bool isNativePointer =
    std::is_pointer_v<Bare<T>>&& std::is_base_of_v<NativeObject, std::remove_pointer_t<Bare<T>>>;

template <class T>
constexpr bool isIntegral =
    std::is_integral_v<Bare<T>> && !std::is_same_v<Bare<T>, bool> && !std::is_same_v<Bare<T>, char>;

// What a C++ type stands for, in the declared types' terms.
enum class Kind { Value, Integer, Boolean, Char, String, Float, Currency, Date, Object, Void };

template <class T> constexpr Kind kindOf() {
    using B = Bare<T>;
    if constexpr (std::is_void_v<B>)
        return Kind::Void;
    else if constexpr (std::is_same_v<B, Value>)
        return Kind::Value;
    else if constexpr (std::is_same_v<B, bool>)
        return Kind::Boolean;
    else if constexpr (std::is_same_v<B, char>)
        return Kind::Char;
    else if constexpr (isIntegral<B> || std::is_enum_v<B>)
        return Kind::Integer;
    else if constexpr (std::is_floating_point_v<B>)
        return Kind::Float;
    else if constexpr (std::is_same_v<B, std::string> || std::is_same_v<B, std::string_view> ||
                       std::is_same_v<B, const char*>)
        return Kind::String;
    else if constexpr (std::is_same_v<B, Currency>)
        return Kind::Currency;
    else if constexpr (std::is_same_v<B, DateTime>)
        return Kind::Date;
    else if constexpr (std::is_same_v<B, ObjectRef> || isNativePointer<B>)
        return Kind::Object;
    else
        static_assert(sizeof(T) == 0, "this C++ type cannot be bound to a script value");
}

// The native object as a C, or null when it is not one. A binding meets objects of one class
// over and over, and a dynamic_cast down a deep class tree costs hundreds of instructions, so
// the answer for the last dynamic type seen is kept (per thread, per C): a later object of that
// type takes the static conversion, which is exact whenever the checked cast agreed with it.
template <class C> C* nativeAs(NativeObject* object) {
    using Target = std::remove_cv_t<C>;
    if (!object) return nullptr;
    if constexpr (std::is_same_v<Target, NativeObject>) {
        return object;
    } else if constexpr (!requires { static_cast<Target*>(object); }) {
        return dynamic_cast<Target*>(object);
    } else {
        struct Seen {
            const std::type_info* type = nullptr;
            bool fits = false;
        };
        thread_local Seen seen;
        const std::type_info* type = &typeid(*object);
        if (seen.type == type) return seen.fits ? static_cast<Target*>(object) : nullptr;
        Target* checked = dynamic_cast<Target*>(object);
        // An object with NativeObject twice in it (never so far) is cast the checked way each
        // time: its static conversion may pick the other base.
        if (!checked || checked == static_cast<Target*>(object)) seen = {type, checked != nullptr};
        return checked;
    }
}

// Whether a declared type accepts a C++ kind (Variant and untyped pointers accept anything).
bool kindFits(DeclaredType declared, Kind kind);

template <class T> Value toValue(T&& v) {
    using B = Bare<T>;
    if constexpr (std::is_same_v<B, Value>)
        return std::forward<T>(v);
    else if constexpr (std::is_same_v<B, bool>)
        return Value(static_cast<bool>(v));
    else if constexpr (std::is_same_v<B, char>)
        return Value(std::string(1, v));
    else if constexpr (std::is_enum_v<B>)
        return Value::fromInt64(static_cast<std::int64_t>(v));
    else if constexpr (std::is_same_v<B, std::int32_t>)
        return Value(v);
    else if constexpr (isIntegral<B>)
        return Value::fromInt64(static_cast<std::int64_t>(v));
    else if constexpr (std::is_floating_point_v<B>)
        return Value(static_cast<double>(v));
    else if constexpr (std::is_same_v<B, std::string>)
        return Value(std::forward<T>(v));
    else if constexpr (std::is_same_v<B, std::string_view>)
        return Value(std::string(v));
    else if constexpr (std::is_same_v<B, const char*>)
        return Value(std::string(v ? v : ""));
    else if constexpr (std::is_same_v<B, Currency> || std::is_same_v<B, DateTime>)
        return Value(v);
    else if constexpr (std::is_same_v<B, ObjectRef>)
        return Value(std::forward<T>(v));
    else if constexpr (isNativePointer<B>)
        return Value(wrapObject(v));
}

// Stores a callable's result. A text, number or Boolean goes into a result of the same kind
// in place (a text keeps or takes over the buffer), without a temporary value in between.
template <class T> void storeResult(Value& result, T&& v) {
    using B = Bare<T>;
    if constexpr (std::is_same_v<B, std::string>) {
        if (result.isString()) {
            result.asString() = std::forward<T>(v);
            return;
        }
        if (result.isEmpty()) {
            // A fresh result: the text is built in it, not moved through a temporary value.
            std::destroy_at(&result);
            std::construct_at(&result, std::forward<T>(v));
            return;
        }
    } else if constexpr (std::is_same_v<B, std::int32_t>) {
        result.setInt(v);
        return;
    } else if constexpr (std::is_same_v<B, bool>) {
        result.setBool(v);
        return;
    } else if constexpr (std::is_same_v<B, double>) {
        result.setDouble(v);
        return;
    }
    result = toValue(std::forward<T>(v));
}

// Storage for one argument while the callable runs; `get` hands it over as the parameter type.
template <class P> struct ArgSlot {
    using B = Bare<P>;
    // string_view and const char* parameters borrow from a std::string kept here.
    using Stored =
        std::conditional_t<std::is_same_v<B, std::string_view> || std::is_same_v<B, const char*>,
                           std::string, B>;
    Stored stored;

    explicit ArgSlot(const Value& v) : stored(fromValue(v)) {}
    // Takes the argument over. The registry hands a bound routine converted copies of its
    // arguments, so a long text moves in (and a `var` one back out) instead of being copied:
    // a loop that grows a string through a routine stays linear.
    explicit ArgSlot(Value& v) : stored(take(v)) {}

    static Stored take(Value& v) {
        if constexpr (std::is_same_v<Stored, std::string>)
            return v.isString() ? std::move(v.asString()) : v.toString();
        else if constexpr (std::is_same_v<Stored, Value>)
            return std::move(v);
        else
            return fromValue(v);
    }

    // The registry has converted the arguments to their declared types already: the common
    // kinds are read directly, the rest by the variant rules.
    static Stored fromValue(const Value& v) {
        if constexpr (std::is_same_v<Stored, Value>)
            return v;
        else if constexpr (std::is_same_v<Stored, bool>)
            return v.isBoolean() ? v.asBool() : v.toBool();
        else if constexpr (std::is_same_v<Stored, char>) {
            const std::string s = v.toString();
            return s.empty() ? '\0' : s[0];
        } else if constexpr (std::is_enum_v<Stored>)
            return static_cast<Stored>(v.toInt64());
        else if constexpr (std::is_same_v<Stored, std::int32_t>)
            return v.isInteger() ? v.asInt() : v.toInt();
        else if constexpr (isIntegral<Stored>)
            return static_cast<Stored>(v.isInteger() ? v.asInt() : v.toInt64());
        else if constexpr (std::is_floating_point_v<Stored>)
            return static_cast<Stored>(v.isDouble() ? v.asDouble() : v.toDouble());
        else if constexpr (std::is_same_v<Stored, std::string>)
            return v.isString() ? v.asString() : v.toString();
        else if constexpr (std::is_same_v<Stored, Currency>)
            return v.toCurrency();
        else if constexpr (std::is_same_v<Stored, DateTime>)
            return v.toDate();
        else if constexpr (std::is_same_v<Stored, ObjectRef>)
            return v.toObject();
        else if constexpr (isNativePointer<Stored>)
            return nativeAs<std::remove_pointer_t<Stored>>(nativeObjectOf(v));
    }

    decltype(auto) get() {
        if constexpr (std::is_same_v<B, std::string_view>)
            return std::string_view(stored);
        else if constexpr (std::is_same_v<B, const char*>)
            return stored.c_str();
        else if constexpr (std::is_lvalue_reference_v<P>)
            return static_cast<P>(stored);
        else
            return std::move(stored);
    }
};

// A text parameter that only reads reads the argument where it lies when it is a text.
struct TextArg {
    const std::string* source = nullptr;
    std::string converted;
    explicit TextArg(const Value& v) {
        if (v.isString())
            source = &v.asString();
        else
            converted = v.toString();
    }
    const std::string& text() const { return source ? *source : converted; }
};
template <> struct ArgSlot<std::string_view> : TextArg {
    using TextArg::TextArg;
    std::string_view get() const { return text(); }
};
template <> struct ArgSlot<const std::string&> : TextArg {
    using TextArg::TextArg;
    const std::string& get() const { return text(); }
};

// A `var` text or variant is changed where it lies, as a hand-written adapter would change it:
// no copies, and what the routine did stays when it fails half-way.
template <> struct ArgSlot<std::string&> {
    static constexpr bool inPlace = true;
    std::string* text;
    explicit ArgSlot(Value& v) {
        if (!v.isString()) v = Value(v.toString());
        text = &v.asString();
    }
    std::string& get() { return *text; }
};
template <> struct ArgSlot<Value&> {
    static constexpr bool inPlace = true;
    Value* value;
    explicit ArgSlot(Value& v) : value(&v) {}
    Value& get() { return *value; }
};

template <class P>
constexpr bool isVarParam =
    std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;

// A `var` argument the callable changed through a copy, which goes back after the call.
template <class P> constexpr bool writtenBack() {
    if constexpr (!isVarParam<P>)
        return false;
    else
        return !requires {
            ArgSlot<P>::inPlace;
        };
}

// ---- what a callable looks like ---------------------------------------------------------------

template <class R, class... A> struct FnShape {
    using Result = R;
    using Params = std::tuple<A...>;
    static constexpr std::size_t arity = sizeof...(A);
};

template <class F> struct Shape : Shape<decltype(&F::operator())> {};
template <class R, class... A> struct Shape<R (*)(A...)> : FnShape<R, A...> {};
template <class R, class... A> struct Shape<R (*)(A...) noexcept> : FnShape<R, A...> {};
template <class R, class C, class... A> struct Shape<R (C::*)(A...)> : FnShape<R, A...> {};
template <class R, class C, class... A> struct Shape<R (C::*)(A...) const> : FnShape<R, A...> {};
template <class R, class C, class... A> struct Shape<R (C::*)(A...) noexcept> : FnShape<R, A...> {};
template <class R, class C, class... A>
struct Shape<R (C::*)(A...) const noexcept> : FnShape<R, A...> {};

template <class F> using Params = typename Shape<std::decay_t<F>>::Params;
template <class F> using Result = typename Shape<std::decay_t<F>>::Result;

template <class Tuple, std::size_t N> struct DropFront;
template <class First, class... Rest> struct DropFront<std::tuple<First, Rest...>, 1> {
    using type = std::tuple<Rest...>;
};
template <class Tuple> struct DropFront<Tuple, 0> { using type = Tuple; };

// How a callable meets the object of a class binder.
enum class SelfUse { None, Reference, Pointer, Member };

template <class C, class F> constexpr SelfUse selfUseOf() {
    using D = std::decay_t<F>;
    if constexpr (std::is_member_function_pointer_v<D>)
        return SelfUse::Member;
    else if constexpr (std::is_void_v<C> || std::tuple_size_v<Params<F>> == 0)
        return SelfUse::None;
    else {
        using First = std::tuple_element_t<0, Params<F>>;
        if constexpr (std::is_lvalue_reference_v<First> && std::is_base_of_v<Bare<First>, C> &&
                      std::is_base_of_v<NativeObject, Bare<First>>)
            return SelfUse::Reference;
        else if constexpr (std::is_pointer_v<First> &&
                           std::is_base_of_v<std::remove_cv_t<std::remove_pointer_t<First>>, C> &&
                           std::is_base_of_v<NativeObject,
                                             std::remove_cv_t<std::remove_pointer_t<First>>>)
            return SelfUse::Pointer;
        else
            return SelfUse::None;
    }
}

template <class C, class F>
using ScriptParams = typename DropFront<Params<F>, (selfUseOf<C, F>() == SelfUse::Reference ||
                                                    selfUseOf<C, F>() == SelfUse::Pointer)
                                                       ? 1
                                                       : 0>::type;

// The raw shape passes through unchanged.
template <class C, class F> constexpr bool isRaw() {
    using D = std::decay_t<F>;
    if constexpr (std::is_member_function_pointer_v<D>)
        return false;
    else if constexpr (std::is_same_v<C, void>)
        return std::is_invocable_r_v<void, D&, NativeObject*, std::span<Value>, Value&>;
    else
        return std::is_invocable_r_v<void, D&, NativeObject*, std::span<Value>, Value&> ||
               std::is_invocable_r_v<void, D&, C&, std::span<Value>, Value&>;
}

// Compares a declaration with the script-facing parameters and the result of a callable.
template <class Tuple, class R, std::size_t... I>
void checkShape(const Signature& sig, std::string_view owner, std::string_view name,
                std::index_sequence<I...>) {
    constexpr std::size_t arity = sizeof...(I);
    if (sig.variadic) return;
    if (sig.params.size() != arity) {
        reportBindingMismatch(owner, name,
                              "declares " + std::to_string(sig.params.size()) +
                                  " parameters, the C++ callable takes " + std::to_string(arity));
        return;
    }
    const Kind kinds[] = {kindOf<std::tuple_element_t<I, Tuple>>()..., Kind::Void};
    const bool vars[] = {isVarParam<std::tuple_element_t<I, Tuple>>..., false};
    for (std::size_t i = 0; i < arity; ++i) {
        const ParamSpec& p = sig.params[i];
        if ((p.mode == ParamMode::Var) != vars[i])
            reportBindingMismatch(owner, name,
                                  "parameter " + p.name +
                                      (vars[i] ? " is a C++ reference but not declared var"
                                               : " is declared var but the C++ parameter is not a "
                                                 "non-const reference"));
        else if (!kindFits(p.type, kinds[i]))
            reportBindingMismatch(owner, name,
                                  "parameter " + p.name +
                                      " has a C++ type that does "
                                      "not fit its declared type");
    }
    constexpr Kind resultKind = kindOf<R>();
    if (sig.isFunction != (resultKind != Kind::Void))
        reportBindingMismatch(owner, name,
                              sig.isFunction ? "declared a function but the callable returns void"
                                             : "declared a procedure but the callable returns a "
                                               "value");
    else if (sig.isFunction && !kindFits(sig.result, resultKind))
        reportBindingMismatch(owner, name, "the C++ result does not fit the declared result");
}

template <class C> C* selfAs(NativeObject* self, std::string_view className) {
    if constexpr (std::is_void_v<C>) {
        return nullptr;
    } else {
        auto* object = nativeAs<C>(self);
        if (!object) throw ScriptException("The object is not a " + std::string(className));
        return object;
    }
}

// The object a member is called on: a `C*` callable takes null for another object (or none),
// a `C&` one stops with an error.
template <class C, SelfUse use> C* objectFor(NativeObject* self, std::string_view className) {
    if constexpr (use == SelfUse::Pointer)
        return nativeAs<C>(self);
    else
        return selfAs<C>(self, className);
}

// An indexed property read or written without all of its indexes.
[[noreturn]] void throwMissingIndex(std::string_view property, std::size_t needed);

// The general accessors of a bound property, over its direct ones (indexes given as a list,
// checked against the property's index count).
PropertyGetter readThroughDirect(const PropertyInfo& property);
PropertySetter writeThroughDirect(const PropertyInfo& property);

// Calls `f` with the script arguments converted to its parameters (taking them over from
// `args`); writes `var` ones held in a copy back, also when the callable throws, so the
// caller's variables survive a failed call as they do with routines that change their
// arguments in place.
template <class Tuple, class Call, std::size_t... I>
void callWithArgs(Call&& call, std::span<Value> args, Value& result, std::index_sequence<I...>) {
    (void)args; // unused by callables without parameters
    std::tuple<ArgSlot<std::tuple_element_t<I, Tuple>>...> held{
        ArgSlot<std::tuple_element_t<I, Tuple>>(args[I])...};
    const auto writeBack = [&] {
        (
            [&] {
                if constexpr (writtenBack<std::tuple_element_t<I, Tuple>>())
                    args[I] = toValue(std::move(std::get<I>(held).stored));
            }(),
            ...);
    };
    using R = decltype(call(std::get<I>(held).get()...));
    try {
        if constexpr (std::is_void_v<R>) {
            call(std::get<I>(held).get()...);
        } else {
            storeResult(result, call(std::get<I>(held).get()...));
        }
    } catch (...) {
        writeBack();
        throw;
    }
    writeBack();
}

// A by-value argument is only read; a `var` one is changed where the caller keeps it.
template <class P> decltype(auto) inPlaceArg(Value& v) {
    if constexpr (isVarParam<P>)
        return static_cast<Value&>(v);
    else
        return static_cast<const Value&>(v);
}

// Calls `f` with the arguments where the caller keeps them (see DirectProc): nothing is moved
// in or out; `var` arguments held in a copy go back, also when the callable throws.
template <class Tuple, class Call, std::size_t... I>
void callInPlace(Call&& call, Value* const* args, Value& result, std::index_sequence<I...>) {
    (void)args; // unused by callables without parameters
    std::tuple<ArgSlot<std::tuple_element_t<I, Tuple>>...> held{
        ArgSlot<std::tuple_element_t<I, Tuple>>(
            inPlaceArg<std::tuple_element_t<I, Tuple>>(*args[I]))...};
    const auto writeBack = [&] {
        (
            [&] {
                if constexpr (writtenBack<std::tuple_element_t<I, Tuple>>())
                    *args[I] = toValue(std::move(std::get<I>(held).stored));
            }(),
            ...);
    };
    using R = decltype(call(std::get<I>(held).get()...));
    try {
        if constexpr (std::is_void_v<R>) {
            call(std::get<I>(held).get()...);
        } else {
            storeResult(result, call(std::get<I>(held).get()...));
        }
    } catch (...) {
        writeBack();
        throw;
    }
    writeBack();
}

// Runs a bound callable on the object a call names, the arguments handed over by `pass`
// (callWithArgs or callInPlace): the one place that knows how a callable meets its object.
template <class C, class F, class G> struct BoundCall {
    F f;
    std::string className;
    G guard;

    template <class Pass> void run(NativeObject* self, Value& result, Pass&& pass) {
        constexpr SelfUse use = selfUseOf<C, F>();
        static_assert(use != SelfUse::None, "a callable without an object needs no BoundCall");
        if constexpr (use == SelfUse::Pointer) {
            C* object = nativeAs<C>(self);
            if constexpr (!std::is_void_v<C>)
                if (object && guard && !guard(*object)) return; // the neutral result
            pass([&](auto&&... a) -> decltype(auto) {
                return std::invoke(f, object, std::forward<decltype(a)>(a)...);
            });
        } else {
            C* object = selfAs<C>(self, className);
            if (guard && !guard(*object)) {
                // The neutral result of the declared type: False, 0, "".
                using R = Result<F>;
                if constexpr (!std::is_void_v<R>) result = toValue(Bare<R>{});
                return;
            }
            pass([&](auto&&... a) -> decltype(auto) {
                return std::invoke(f, *object, std::forward<decltype(a)>(a)...);
            });
        }
    }
};

// The quick entry of one bound callable (see DirectProc).
template <class C, class F, class G> DirectProc makeDirect(F f, std::string className, G guard) {
    using Tuple = ScriptParams<C, F>;
    if constexpr (selfUseOf<C, F>() == SelfUse::None) {
        // The callable alone: most routines then fit in the entry without an allocation.
        return [f = std::move(f)](NativeObject*, Value* const* args, Value& result) mutable {
            constexpr auto seq = std::make_index_sequence<std::tuple_size_v<Tuple>>();
            callInPlace<Tuple>(
                [&](auto&&... a) -> decltype(auto) {
                    return std::invoke(f, std::forward<decltype(a)>(a)...);
                },
                args, result, seq);
        };
    } else {
        return [bound = BoundCall<C, F, G>{std::move(f), std::move(className), std::move(guard)}](
                   NativeObject* self, Value* const* args, Value& result) mutable {
            bound.run(self, result, [&](auto&& call) {
                callInPlace<Tuple>(call, args, result,
                                   std::make_index_sequence<std::tuple_size_v<Tuple>>());
            });
        };
    }
}

// Builds the native entry of one bound callable.
template <class C, class F, class G> NativeProc makeEntry(F f, std::string className, G guard) {
    using Tuple = ScriptParams<C, F>;
    if constexpr (selfUseOf<C, F>() == SelfUse::None) {
        // Holds the callable alone: most routines then fit in the entry itself, without an
        // allocation of their own, and calls stay as quick as hand-written adapters.
        return [f = std::move(f)](NativeObject*, std::span<Value> args, Value& result) mutable {
            constexpr auto seq = std::make_index_sequence<std::tuple_size_v<Tuple>>();
            callWithArgs<Tuple>(
                [&](auto&&... a) -> decltype(auto) {
                    return std::invoke(f, std::forward<decltype(a)>(a)...);
                },
                args, result, seq);
        };
    } else {
        return [bound = BoundCall<C, F, G>{std::move(f), std::move(className), std::move(guard)}](
                   NativeObject* self, std::span<Value> args, Value& result) mutable {
            bound.run(self, result, [&](auto&& call) {
                callWithArgs<Tuple>(call, args, result,
                                    std::make_index_sequence<std::tuple_size_v<Tuple>>());
            });
        };
    }
}

} // namespace bind_detail

// Binds routines, methods and properties of one class (or, with C = void, global routines).
template <class C = void> class ClassBinder {
public:
    // A global binder: routines land in the global scope.
    explicit ClassBinder(Registry& registry) requires std::is_void_v<C> : registry_(registry) {}
    // A class binder; registers the class (with its parent and factory) when it is not yet known.
    ClassBinder(Registry& registry, std::string_view className, std::string_view parentName = {},
                ClassFactory factory = {})
        : registry_(registry), className_(className) {
        if (!registry.findClass(className))
            registry.registerClass(className, parentName, std::move(factory));
    }

    Registry& registry() const { return registry_; }
    const std::string& className() const { return className_; }

    // One policy for the whole class: when it answers false, a member bound after it returns the
    // neutral result of its type instead of running (for example: no table open).
    template <class G> ClassBinder& guard(G g) requires(!std::is_void_v<C>) {
        guard_ = std::move(g);
        return *this;
    }
    // Members bound after this ignore the guard (they work on a closed object too).
    ClassBinder& unguarded() {
        guard_ = nullptr;
        return *this;
    }

    template <class F> MethodInfo& bind(std::string_view name, std::string_view declaration, F f) {
        MethodInfo& info = registerEntry(name, declaration, std::move(f), /*variadic=*/false);
        return info;
    }
    // The same callable under several names.
    template <class F>
    void bind(std::initializer_list<std::string_view> names, std::string_view declaration, F f) {
        for (std::string_view name : names)
            bind(name, declaration, f);
    }
    // A routine that takes any number of arguments; `f` has the raw shape.
    template <class F>
    MethodInfo& bindVariadic(std::string_view name, std::string_view declaration, F f) {
        static_assert(bind_detail::isRaw<C, F>(), "a variadic routine takes the raw shape");
        return registerEntry(name, declaration, std::move(f), /*variadic=*/true);
    }
    // A class-level member: callable on the class name (self is null there).
    template <class F>
    MethodInfo& bindClassLevel(std::string_view name, std::string_view declaration, F f) {
        MethodInfo& info = bind(name, declaration, std::move(f));
        info.classLevel = true;
        return info;
    }

    // A property: `typeName` as in declarations ("string", "Integer"). The getter takes the
    // object (or nothing) and then the index arguments of an indexed property; the setter takes
    // the object, the index arguments and the new value. Pass nullptr for a missing accessor.
    template <class Get, class Set = std::nullptr_t>
    PropertyInfo& property(std::string_view name, std::string_view typeName, Get get,
                           Set set = nullptr, bool isDefault = false) {
        const DeclaredType type = declaredTypeOf(typeName);
        PropertyInfo& info = registry_.registerProperty(
            className_.empty() ? std::string_view() : className_, name, {}, {}, type, isDefault);
        using namespace bind_detail;
        // The general accessors go through the direct ones: one adapter per accessor.
        if constexpr (!std::is_null_pointer_v<Get>) {
            info.directRead = makeGetter(name, type, std::move(get));
            info.read = readThroughDirect(info);
            info.indexCount = static_cast<int>(std::tuple_size_v<ScriptParams<C, Get>>);
        }
        if constexpr (!std::is_null_pointer_v<Set>) {
            info.directWrite = makeSetter(name, type, std::move(set));
            info.write = writeThroughDirect(info);
            constexpr int setterIndexes =
                static_cast<int>(std::tuple_size_v<ScriptParams<C, Set>>) - 1;
            if constexpr (std::is_null_pointer_v<Get>)
                info.indexCount = setterIndexes;
            else if (info.indexCount != setterIndexes)
                reportBindingMismatch(className_, name,
                                      "the getter and the setter take different indexes");
        }
        return info;
    }
    // The default property (`Obj[i]` means `Obj.Name[i]`).
    template <class Get, class Set = std::nullptr_t>
    PropertyInfo& defaultProperty(std::string_view name, std::string_view typeName, Get get,
                                  Set set = nullptr) {
        return property(name, typeName, std::move(get), std::move(set), true);
    }

private:
    template <class F>
    MethodInfo& registerEntry(std::string_view name, std::string_view declaration, F f,
                              bool variadic) {
        using namespace bind_detail;
        NativeProc entry;
        DirectProc direct;
        if constexpr (isRaw<C, F>()) {
            if constexpr (std::is_invocable_r_v<void, F&, NativeObject*, std::span<Value>, Value&>)
                entry = std::move(f);
            else
                entry = [f = std::move(f), cls = className_, g = guard_](
                            NativeObject* self, std::span<Value> args, Value& result) mutable {
                    C* object = selfAs<C>(self, cls);
                    if (g && !g(*object)) return;
                    f(*object, args, result);
                };
        } else {
            static_assert(!std::is_member_function_pointer_v<F> || !std::is_void_v<C>,
                          "a member function needs a class binder");
            direct = makeDirect<C>(f, className_, guard_);
            entry = makeEntry<C>(std::move(f), className_, guard_);
        }
        const std::string_view owner = className_;
        MethodInfo& info =
            variadic
                ? registry_.registerProc(owner, name, kKindVariadic, declaration, std::move(entry))
            : owner.empty() ? registry_.registerProc(name, declaration, std::move(entry))
                            : registry_.registerMethod(owner, name, declaration, std::move(entry));
        if (!variadic) info.direct = std::move(direct);
        // Checked against the declaration as the registry parsed it: parsing it a second time
        // here would make start-up registration noticeably slower.
        if constexpr (!isRaw<C, F>())
            checkShape<ScriptParams<C, F>, Result<F>>(
                info.signature, className_, name,
                std::make_index_sequence<std::tuple_size_v<ScriptParams<C, F>>>());
        return info;
    }

    template <class Get>
    DirectGetter makeGetter(std::string_view name, DeclaredType type, Get get) {
        using namespace bind_detail;
        constexpr SelfUse use = selfUseOf<C, Get>();
        using Tuple = ScriptParams<C, Get>;
        if (!kindFits(type, kindOf<Result<Get>>()))
            reportBindingMismatch(className_, name, "the getter's result does not fit the type");
        // The indexes are only read (a getter has no `var` parameters), where the caller keeps
        // them.
        return [get = std::move(get), cls = className_,
                g = guard_](NativeObject* self, Value* const* index, Value& result) mutable {
            constexpr auto seq = std::make_index_sequence<std::tuple_size_v<Tuple>>();
            if constexpr (use == SelfUse::None) {
                callInPlace<Tuple>(
                    [&](auto&&... a) -> decltype(auto) {
                        return std::invoke(get, std::forward<decltype(a)>(a)...);
                    },
                    index, result, seq);
            } else {
                C* object = objectFor<C, use>(self, cls);
                if (object && g && !g(*object)) {
                    result = toValue(Bare<Result<Get>>{});
                    return;
                }
                callInPlace<Tuple>(
                    [&](auto&&... a) -> decltype(auto) {
                        if constexpr (use == SelfUse::Pointer)
                            return std::invoke(get, object, std::forward<decltype(a)>(a)...);
                        else
                            return std::invoke(get, *object, std::forward<decltype(a)>(a)...);
                    },
                    index, result, seq);
            }
        };
    }

    template <class Set>
    DirectSetter makeSetter(std::string_view name, DeclaredType type, Set set) {
        using namespace bind_detail;
        constexpr SelfUse use = selfUseOf<C, Set>();
        using Tuple = ScriptParams<C, Set>;
        constexpr std::size_t count = std::tuple_size_v<Tuple>;
        static_assert(count >= 1, "a setter takes the new value last");
        using ValueParam = std::tuple_element_t<count - 1, Tuple>;
        static_assert(
            ![]<std::size_t... I>(std::index_sequence<I...>) {
                return (isVarParam<std::tuple_element_t<I, Tuple>> || ...);
            }(std::make_index_sequence<count>()),
            "a setter only reads its indexes and its value");
        if (!kindFits(type, kindOf<ValueParam>()))
            reportBindingMismatch(className_, name, "the setter's value does not fit the type");
        return [set = std::move(set), cls = className_,
                g = guard_](NativeObject* self, Value* const* index, const Value& value) mutable {
            // The indexes where the caller keeps them, then the new value: all only read.
            std::array<Value*, count> at;
            for (std::size_t i = 0; i + 1 < count; ++i)
                at[i] = index[i];
            at[count - 1] = const_cast<Value*>(&value);
            Value ignored;
            constexpr auto seq = std::make_index_sequence<count>();
            if constexpr (use == SelfUse::None) {
                callInPlace<Tuple>(
                    [&](auto&&... a) { std::invoke(set, std::forward<decltype(a)>(a)...); },
                    at.data(), ignored, seq);
            } else {
                C* object = objectFor<C, use>(self, cls);
                if (object && g && !g(*object)) return;
                callInPlace<Tuple>(
                    [&](auto&&... a) {
                        if constexpr (use == SelfUse::Pointer)
                            std::invoke(set, object, std::forward<decltype(a)>(a)...);
                        else
                            std::invoke(set, *object, std::forward<decltype(a)>(a)...);
                    },
                    at.data(), ignored, seq);
            }
        };
    }

    Registry& registry_;
    std::string className_;
    std::function<bool(const std::conditional_t<std::is_void_v<C>, NativeObject, C>&)> guard_;
};

// Global routines, variables and constants.
using Binder = ClassBinder<void>;

} // namespace vorlan::script
