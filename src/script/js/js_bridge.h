#pragma once
// What the parts of the bridge between the engine and the system share: the hidden keys the
// bridge's functions and objects carry, text crossing in both directions, and the entry every
// native callback goes through.

#include "core/cp1250.h"
#include "script/js/js_engine.h"

#include <duktape.h>

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace vorlan::script::js {

// Arrays rather than pointers: the engine caches the interned form of literal keys it is given
// by address and length, which keeps the lookup on every native call cheap.
constexpr char kBindingKey[] = "\xFF"
                               "b";
constexpr char kHostKey[] = "\xFF"
                            "h";
constexpr char kMethodsKey[] = "\xFF"
                               "m";
// Arguments of native calls up to this count need no allocation.
constexpr duk_idx_t kInlineArgs = 8;
// Larger script arrays do not cross to the system.
constexpr std::size_t kMaxArrayItems = std::size_t{1} << 24;

std::string jsName(const std::string& cp1250);
// Plain ASCII reads the same in UTF-8 and Windows-1250: it crosses without a conversion.
bool isAscii(std::string_view text);
std::string stringAt(duk_context* ctx, duk_idx_t index);
void pushText(duk_context* ctx, const std::string& cp1250);
// The error names the script line that made the failing call, not a place in this file.
void pushError(duk_context* ctx, const std::string& cp1250);
// Property keys as text: the engine hands array indexes over as numbers.
bool keyAsText(duk_context* ctx, duk_idx_t index);
bool isArrayIndex(const std::string& key, std::int32_t& out);
// The engine a callback runs in: the heap's user data.
JsEngine& engineOf(duk_context* ctx);

// ---- native callbacks. Each does its work in a helper that leaves either the result or an
// Error on the stack; the entry throws only after the helper's locals are gone, and no native
// exception may cross the engine's frames.

template <bool (*Impl)(duk_context*)> duk_ret_t nativeEntry(duk_context* ctx) {
    bool ok = false;
    try {
        ok = Impl(ctx);
    } catch (const std::exception& e) {
        pushError(ctx, e.what());
    } catch (...) {
        pushError(ctx, czech("Volání funkce systému selhalo"));
    }
    if (!ok) return duk_throw(ctx);
    return 1;
}

// The functions that stand for a binding: a call of a method, a property's getter and setter.
duk_ret_t nativeCallBinding(duk_context* ctx);
duk_ret_t nativeGetBinding(duk_context* ctx);
duk_ret_t nativeSetBinding(duk_context* ctx);

// Proxy handlers: of native objects (over a target made by hostTarget) and of indexed properties.
duk_ret_t hostTarget(duk_context* ctx);
void pushHostHandler(duk_context* ctx);
void pushIndexedHandler(duk_context* ctx);

} // namespace vorlan::script::js
