#include "script/js/js_bridge.h"

#include "script/comp_wrapper.h"
#include "script/direct_call_args.h"
#include "script/registry.h"

#include <array>
#include <vector>

namespace vorlan::script::js {

namespace {

Binding* currentBinding(duk_context* ctx) {
    // The function's magic number names its binding without a property lookup; a function made
    // after the numbers ran out carries its binding as a hidden property.
    if (const duk_int_t magic = duk_get_current_magic(ctx); magic > 0)
        return engineOf(ctx).bindingByMagic(magic);
    duk_push_current_function(ctx);
    duk_get_prop_literal(ctx, -1, kBindingKey);
    auto* binding = static_cast<Binding*>(duk_get_pointer(ctx, -1));
    duk_pop_2(ctx);
    return binding;
}

bool callBinding(duk_context* ctx) {
    Binding* b = currentBinding(ctx);
    if (!b) {
        duk_push_error_object_raw(ctx, DUK_ERR_TYPE_ERROR, nullptr, 0, "not a native function");
        return false;
    }
    JsEngine& engine = *b->host->engine;
    const duk_idx_t count = duk_get_top(ctx);
    if (b->direct)
        if (const auto done = engine.callDirect(ctx, *b, count)) return *done;
    const unsigned flags = b->kind == MemberKind::Indexed ? InvokeGet : InvokeMethod;
    if (count <= kInlineArgs) {
        Value args[kInlineArgs];
        for (duk_idx_t i = 0; i < count; ++i)
            args[i] = engine.toValue(ctx, i);
        return engine.invokeMember(ctx, *b->host, b->id, flags,
                                   std::span<Value>(args, static_cast<std::size_t>(count)), b->name,
                                   true);
    }
    std::vector<Value> args;
    args.reserve(static_cast<std::size_t>(count));
    for (duk_idx_t i = 0; i < count; ++i)
        args.push_back(engine.toValue(ctx, i));
    return engine.invokeMember(ctx, *b->host, b->id, flags, args, b->name, true);
}

bool getBinding(duk_context* ctx) {
    Binding* b = currentBinding(ctx);
    return b && b->host->engine->invokeMember(ctx, *b->host, b->id, InvokeGet, {}, b->name, true);
}

bool setBinding(duk_context* ctx) {
    Binding* b = currentBinding(ctx);
    if (!b) return true;
    Value value = b->host->engine->toValue(ctx, 0);
    return b->host->engine->invokeMember(ctx, *b->host, b->id, InvokePut,
                                         std::span<Value>(&value, 1), b->name, false);
}

} // namespace

duk_ret_t nativeCallBinding(duk_context* ctx) {
    return nativeEntry<callBinding>(ctx);
}
duk_ret_t nativeGetBinding(duk_context* ctx) {
    return nativeEntry<getBinding>(ctx);
}
duk_ret_t nativeSetBinding(duk_context* ctx) {
    return nativeEntry<setBinding>(ctx);
}

namespace {

// Arguments of direct calls at most: their values and conversions live on the stack.
constexpr std::size_t kDirectArgs = 4;

} // namespace

std::optional<bool> JsEngine::callDirect(duk_context* ctx, const Binding& binding, int count) {
    const MethodInfo& method = *binding.direct;
    const Signature& sig = method.signature;
    const auto argc = static_cast<std::size_t>(count);
    if (argc < sig.required || argc > sig.params.size() || argc > kDirectArgs) return std::nullopt;
    NativeObject* self = nullptr;
    if (binding.host->kind == HostObject::Kind::Wrapper) {
        self = static_cast<CompWrapper&>(*binding.host->dispatch).object();
        if (!self) return std::nullopt; // freed: the general way reports it
    }
    // The arguments go from the engine's stack straight into the routine's parameters.
    DirectCallArgs<kDirectArgs> values;
    std::array<Value*, kDirectArgs> at;
    bool typed = true; // every argument of its declared type already
    for (std::size_t i = 0; i < argc; ++i) {
        at[i] = values.add([&] { return toValue(ctx, static_cast<duk_idx_t>(i)); });
        typed = typed && hasDeclaredType(*at[i], sig.params[i].type);
    }
    Value result;
    ExceptionInfo error;
    // Nothing to convert: the scratch values are never touched.
    const DispStatus status =
        typed ? registry().callDirect(method, self, at.data(), argc, nullptr, result, error)
              : callConverting<kDirectArgs>(method, self, at.data(), argc, result, error);
    if (status != DispStatus::Ok) [[unlikely]] {
        pushError(ctx, status == DispStatus::Exception
                           ? error.description
                           : dispatchStatusMessage(status, binding.name));
        return false;
    }
    pushValue(ctx, result);
    return true;
}

} // namespace vorlan::script::js
