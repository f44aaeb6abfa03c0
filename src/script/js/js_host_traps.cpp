#include "script/js/js_bridge.h"

#include "script/comp_wrapper.h"
#include "script/registry.h"

#include <vector>

namespace vorlan::script::js {

namespace {

// Keeps the function at the top as what the get trap's key (at 1) answers from now on: in the
// target's method table (at 3), which keeps both alive, and by address in the host.
void rememberMethod(duk_context* ctx, HostObject& host) {
    duk_dup(ctx, 1);
    duk_dup(ctx, -2);
    duk_put_prop(ctx, 3);
    host.methods.emplace(duk_get_heapptr(ctx, 1), duk_get_heapptr(ctx, -1));
}

// Reads a property member for the get trap; a registered property that wants index arguments
// comes back as a function that reads it with them (`Items(2)`), kept like a method from then on.
bool getPropertyMember(duk_context* ctx, HostObject& host, const HostObject::Member& member,
                       const std::string& name) {
    JsEngine& engine = *host.engine;
    if (engine.invokeMember(ctx, host, member.id, InvokeGet, {}, name, true)) return true;
    if (host.kind != HostObject::Kind::Wrapper || member.id >= kPartIdBase) return false;
    duk_pop(ctx);
    engine.pushIndexedProperty(ctx,
                               engine.makeBinding(&host, member.id, MemberKind::Indexed, name));
    rememberMethod(ctx, host);
    return true;
}

// `String(obj)`, `obj + ""`: the default property when the object has one, else its class.
bool hostText(duk_context* ctx) {
    duk_push_this(ctx);
    void* proxy = duk_get_heapptr(ctx, -1);
    duk_pop(ctx);
    duk_push_current_function(ctx);
    duk_get_prop_literal(ctx, -1, kHostKey);
    auto* engine = static_cast<JsEngine*>(duk_get_pointer(ctx, -1));
    duk_pop_2(ctx);
    HostObject* host = engine ? engine->hostOfProxy(proxy) : nullptr;
    if (!host) {
        duk_push_string(ctx, "[object]");
        return true;
    }
    if (engine->invokeDefault(ctx, *host, {}, false)) return true;
    duk_pop(ctx);
    pushText(ctx, "[object " + host->dispatch->dispatchClassName() + "]");
    return true;
}

// The native object behind a proxy trap's target (the first argument).
HostObject* targetHost(duk_context* ctx) {
    if (const duk_int_t magic = duk_get_magic(ctx, 0); magic > 0)
        return engineOf(ctx).hostByMagic(magic);
    duk_get_prop_literal(ctx, 0, kHostKey);
    auto* host = static_cast<HostObject*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    return host;
}

// A script may keep an object after the system freed it: using it then is an error.
bool pushErrorWhenFreed(duk_context* ctx, const HostObject& host) {
    if (host.kind != HostObject::Kind::Wrapper ||
        static_cast<CompWrapper&>(*host.dispatch).object())
        return false;
    pushError(ctx, czech("Objekt už byl uvolněn"));
    return true;
}

bool trapGet(duk_context* ctx) {
    HostObject* host = targetHost(ctx);
    if (!host) {
        duk_push_undefined(ctx);
        return true;
    }
    // Methods already asked for come back as the same function. The key is an interned string
    // that the target's method table keeps alive, so its address names it (numbers and symbols
    // have no place there).
    if (auto it = host->methods.find(duk_get_heapptr(ctx, 1)); it != host->methods.end()) {
        if (pushErrorWhenFreed(ctx, *host)) return false;
        duk_push_heapptr(ctx, it->second);
        return true;
    }
    if (!keyAsText(ctx, 1)) {
        duk_push_undefined(ctx);
        return true;
    }
    if (pushErrorWhenFreed(ctx, *host)) return false;
    JsEngine* engine = host->engine;
    duk_get_prop_literal(ctx, 0, kMethodsKey); // at 3: the method table

    const std::string name = stringAt(ctx, 1);
    HostObject::Member member;
    if (engine->resolveMember(*host, name, member)) {
        if (member.kind == MemberKind::Method) {
            engine->pushBoundFunction(
                ctx, engine->makeBinding(host, member.id, MemberKind::Method, name));
            rememberMethod(ctx, *host);
            return true;
        }
        return getPropertyMember(ctx, *host, member, name);
    }
    std::int32_t index = 0;
    if (isArrayIndex(name, index)) {
        Value arg(index);
        return engine->invokeDefault(ctx, *host, std::span<Value>(&arg, 1), false);
    }
    if (name == "toString" || name == "valueOf") {
        duk_push_c_function(ctx, nativeEntry<hostText>, 0);
        duk_push_pointer(ctx, engine);
        duk_put_prop_literal(ctx, -2, kHostKey);
        return true;
    }
    duk_push_undefined(ctx);
    return true;
}

// Answers true to the engine when the write went through.
bool trapSet(duk_context* ctx) {
    HostObject* host = targetHost(ctx);
    bool written = true;
    if (host && keyAsText(ctx, 1)) {
        if (pushErrorWhenFreed(ctx, *host)) return false;
        JsEngine& engine = *host->engine;
        const std::string name = stringAt(ctx, 1);
        HostObject::Member member;
        std::int32_t index = 0;
        if (engine.resolveMember(*host, name, member)) {
            Value value = engine.toValue(ctx, 2);
            written = engine.invokeMember(ctx, *host, member.id, InvokePut,
                                          std::span<Value>(&value, 1), name, false);
        } else if (isArrayIndex(name, index)) {
            Value args[2] = {Value(index), engine.toValue(ctx, 2)};
            written = engine.invokeDefault(ctx, *host, args, true);
        } else {
            pushError(ctx, dispatchStatusMessage(DispStatus::UnknownName) + " " + name);
            written = false;
        }
    }
    if (written) duk_push_true(ctx);
    return written;
}

duk_ret_t nativeTrapHas(duk_context* ctx) {
    HostObject* host = targetHost(ctx);
    bool found = false;
    if (host && keyAsText(ctx, 1)) {
        HostObject::Member member;
        found = host->engine->resolveMember(*host, stringAt(ctx, 1), member);
    }
    duk_push_boolean(ctx, found);
    return 1;
}

duk_ret_t nativeTrapDelete(duk_context* ctx) {
    duk_push_false(ctx);
    return 1;
}

bool trapApply(duk_context* ctx) {
    HostObject* host = targetHost(ctx);
    if (!host) {
        duk_push_undefined(ctx);
        return true;
    }
    JsEngine& engine = *host->engine;
    const auto count = static_cast<duk_idx_t>(duk_get_length(ctx, 2));
    std::vector<Value> args;
    args.reserve(static_cast<std::size_t>(count));
    for (duk_idx_t i = 0; i < count; ++i) {
        duk_get_prop_index(ctx, 2, static_cast<duk_uarridx_t>(i));
        args.push_back(engine.toValue(ctx, -1));
        duk_pop(ctx);
    }
    return engine.invokeDefault(ctx, *host, args, false);
}

} // namespace

duk_ret_t hostTarget(duk_context*) {
    return 0;
}

void pushHostHandler(duk_context* ctx) {
    duk_push_object(ctx);
    duk_push_c_function(ctx, nativeEntry<trapGet>, 3);
    duk_put_prop_string(ctx, -2, "get");
    duk_push_c_function(ctx, nativeEntry<trapSet>, 4);
    duk_put_prop_string(ctx, -2, "set");
    duk_push_c_function(ctx, nativeTrapHas, 2);
    duk_put_prop_string(ctx, -2, "has");
    duk_push_c_function(ctx, nativeTrapDelete, 2);
    duk_put_prop_string(ctx, -2, "deleteProperty");
    duk_push_c_function(ctx, nativeEntry<trapApply>, 3);
    duk_put_prop_string(ctx, -2, "apply");
}

} // namespace vorlan::script::js
