#include "script/js/js_bridge.h"

#include <string>

namespace vorlan::script::js {

namespace {

Binding* indexedBinding(duk_context* ctx) {
    if (const duk_int_t magic = duk_get_magic(ctx, 0); magic > 0)
        return engineOf(ctx).bindingByMagic(magic);
    duk_get_prop_literal(ctx, 0, kBindingKey);
    auto* binding = static_cast<Binding*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    return binding;
}

// A key of the proxy as the index the property wants: "3" is the number 3, other keys text.
Value indexOfKey(JsEngine& engine, duk_context* ctx, duk_idx_t at) {
    const char* key = duk_get_string(ctx, at);
    const std::string_view text = key ? key : "";
    const bool number = !text.empty() && text.size() <= 9 && (text == "0" || text[0] != '0') &&
                        text.find_first_not_of("0123456789") == std::string_view::npos;
    if (number) return Value(static_cast<std::int32_t>(std::stol(std::string(text))));
    return engine.toValue(ctx, at);
}

bool trapIndexedGet(duk_context* ctx) {
    // What functions have (call, length, name ...) stays the function's.
    bool own = duk_is_symbol(ctx, 1);
    if (!own) {
        duk_dup(ctx, 1);
        own = duk_has_prop(ctx, 0);
    }
    if (own) {
        duk_dup(ctx, 1);
        duk_get_prop(ctx, 0);
        return true;
    }
    Binding* b = indexedBinding(ctx);
    if (!b || !keyAsText(ctx, 1)) {
        duk_push_undefined(ctx);
        return true;
    }
    JsEngine& engine = *b->host->engine;
    Value index = indexOfKey(engine, ctx, 1);
    return engine.invokeMember(ctx, *b->host, b->id, InvokeGet, std::span<Value>(&index, 1),
                               b->name, true);
}

bool trapIndexedSet(duk_context* ctx) {
    Binding* b = indexedBinding(ctx);
    if (!b || !keyAsText(ctx, 1)) {
        duk_push_false(ctx);
        return true;
    }
    JsEngine& engine = *b->host->engine;
    Value args[2] = {indexOfKey(engine, ctx, 1), engine.toValue(ctx, 2)};
    if (!engine.invokeMember(ctx, *b->host, b->id, InvokePut, std::span<Value>(args, 2), b->name,
                             false))
        return false;
    duk_push_true(ctx);
    return true;
}

bool trapIndexedApply(duk_context* ctx) {
    const auto count = static_cast<duk_idx_t>(duk_get_length(ctx, 2));
    duk_dup(ctx, 0);
    for (duk_idx_t i = 0; i < count; ++i)
        duk_get_prop_index(ctx, 2, static_cast<duk_uarridx_t>(i));
    duk_call(ctx, count);
    return true;
}

} // namespace

void pushIndexedHandler(duk_context* ctx) {
    duk_push_object(ctx);
    duk_push_c_function(ctx, nativeEntry<trapIndexedGet>, 3);
    duk_put_prop_string(ctx, -2, "get");
    duk_push_c_function(ctx, nativeEntry<trapIndexedSet>, 4);
    duk_put_prop_string(ctx, -2, "set");
    duk_push_c_function(ctx, nativeEntry<trapIndexedApply>, 3);
    duk_put_prop_string(ctx, -2, "apply");
}

} // namespace vorlan::script::js
