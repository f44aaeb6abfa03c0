#include "script/js/js_engine.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/direct_call_args.h"
#include "script/js/js_messages.h"
#include "script/js/js_names.h"
#include "script/js/js_position.h"
#include "script/js/js_prelude.h"
#include "script/js/js_routine_locals.h"
#include "script/registry.h"
#include "script/script_runner.h"

#include <duktape.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace vorlan::script::js {

namespace {

// Arrays rather than pointers: the engine caches the interned form of literal keys it is given
// by address and length, which keeps the lookup on every native call cheap.
constexpr char kBindingKey[] = "\xFF"
                               "b";
constexpr char kHostKey[] = "\xFF"
                            "h";
constexpr char kMethodsKey[] = "\xFF"
                               "m";
constexpr const char* kSourceName = "module";
// Arguments of native calls up to this count need no allocation.
constexpr duk_idx_t kInlineArgs = 8;
// Larger script arrays do not cross to the system.
constexpr std::size_t kMaxArrayItems = std::size_t{1} << 24;

// ---- heap with a size limit: each block carries its size in front of it

constexpr std::size_t kBlockHeader = 16;

void* limitedAlloc(void* udata, duk_size_t size) {
    auto* engine = static_cast<JsEngine*>(udata);
    if (engine->heapUsed + size > engine->heapLimit) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(size + kBlockHeader));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    engine->heapUsed += size;
    return block + kBlockHeader;
}

void limitedFree(void* udata, void* ptr) {
    if (!ptr) return;
    auto* engine = static_cast<JsEngine*>(udata);
    unsigned char* block = static_cast<unsigned char*>(ptr) - kBlockHeader;
    duk_size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    engine->heapUsed -= size;
    std::free(block);
}

void* limitedRealloc(void* udata, void* ptr, duk_size_t size) {
    if (!ptr) return limitedAlloc(udata, size);
    if (size == 0) {
        limitedFree(udata, ptr);
        return nullptr;
    }
    auto* engine = static_cast<JsEngine*>(udata);
    unsigned char* block = static_cast<unsigned char*>(ptr) - kBlockHeader;
    duk_size_t old = 0;
    std::memcpy(&old, block, sizeof old);
    if (size > old && engine->heapUsed + (size - old) > engine->heapLimit) return nullptr;
    auto* grown = static_cast<unsigned char*>(std::realloc(block, size + kBlockHeader));
    if (!grown) return nullptr;
    std::memcpy(grown, &size, sizeof size);
    engine->heapUsed = engine->heapUsed - old + size;
    return grown + kBlockHeader;
}

// An engine failure outside every protected call. Every entry into the heap is guarded, so this
// only ends the entry that was running; the heap is not touched again.
void fatalHandler(void* udata, const char* message) {
    auto* engine = static_cast<JsEngine*>(udata);
    if (engine && engine->fatalJump) std::longjmp(*engine->fatalJump, 1);
    std::fprintf(stderr, "JavaScript engine failure: %s\n", message ? message : "");
    std::abort();
}

template <class F> duk_ret_t trampoline(duk_context* ctx, void* udata) {
    try {
        (*static_cast<F*>(udata))(ctx);
    } catch (...) {
        return DUK_RET_ERROR; // fails the protected call without crossing the engine's frames
    }
    return 0;
}

std::string jsName(const std::string& cp1250) {
    return cp1250ToUtf8(cp1250);
}

// Plain ASCII reads the same in UTF-8 and Windows-1250: it crosses without a conversion.
bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::string stringAt(duk_context* ctx, duk_idx_t index) {
    duk_size_t len = 0;
    const char* s = duk_get_lstring(ctx, index, &len);
    if (!s) return {};
    const std::string_view text(s, len);
    return isAscii(text) ? std::string(text) : utf8ToCp1250(text);
}

void pushText(duk_context* ctx, const std::string& cp1250) {
    if (isAscii(cp1250)) {
        duk_push_lstring(ctx, cp1250.data(), cp1250.size());
        return;
    }
    const std::string utf8 = cp1250ToUtf8(cp1250);
    duk_push_lstring(ctx, utf8.data(), utf8.size());
}

// The error names the script line that made the failing call, not a place in this file.
void pushError(duk_context* ctx, const std::string& cp1250) {
    const std::string utf8 = cp1250ToUtf8(cp1250);
    duk_push_error_object_raw(ctx, DUK_ERR_ERROR, nullptr, 0, "%s", utf8.c_str());
}

// Property keys as text: the engine hands array indexes over as numbers.
bool keyAsText(duk_context* ctx, duk_idx_t index) {
    if (duk_is_number(ctx, index)) duk_to_string(ctx, index);
    return duk_is_string(ctx, index) && !duk_is_symbol(ctx, index);
}

// ---- dates: the variant's local day count against the script's UTC milliseconds

constexpr double kDaysTo1970 = 25569.0;
constexpr double kMsPerDay = 86400000.0;

// Beyond this the script's dates are invalid.
constexpr double kMaxDateMs = 8.64e15;

double localDaysToUtcMs(double days) {
    const double wallMs = (days - kDaysTo1970) * kMsPerDay;
    if (!(std::fabs(wallMs) <= kMaxDateMs)) return NAN;
    const double wallSec = std::floor(wallMs / 1000.0);
    const double rest = wallMs - wallSec * 1000.0;
    const auto t = static_cast<std::time_t>(wallSec);
    std::tm parts{};
    if (!gmtime_r(&t, &parts)) return wallMs;
    parts.tm_isdst = -1;
    const std::time_t utc = std::mktime(&parts);
    if (utc == static_cast<std::time_t>(-1)) return wallMs;
    return static_cast<double>(utc) * 1000.0 + rest;
}

double utcMsToLocalDays(double ms) {
    const double sec = std::floor(ms / 1000.0);
    const double rest = ms - sec * 1000.0;
    const auto t = static_cast<std::time_t>(sec);
    std::tm parts{};
    if (!localtime_r(&t, &parts)) return ms / kMsPerDay + kDaysTo1970;
    const std::time_t wall = timegm(&parts);
    return (static_cast<double>(wall) * 1000.0 + rest) / kMsPerDay + kDaysTo1970;
}

bool isArrayIndex(const std::string& key, std::int32_t& out) {
    if (key.empty() || key.size() > 9) return false;
    std::int32_t v = 0;
    for (char c : key) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (key.size() > 1 && key[0] == '0') return false;
    out = v;
    return true;
}

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

// The engine a callback runs in: the heap's user data.
JsEngine& engineOf(duk_context* ctx) {
    duk_memory_functions functions;
    duk_get_memory_functions(ctx, &functions);
    return *static_cast<JsEngine*>(functions.udata);
}

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

duk_ret_t hostTarget(duk_context*) {
    return 0;
}

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
    if (!host || !keyAsText(ctx, 1)) {
        duk_push_undefined(ctx);
        return true;
    }
    if (pushErrorWhenFreed(ctx, *host)) return false;
    JsEngine* engine = host->engine;
    // Methods already asked for come back as the same function. The key is an interned string
    // that the target's method table keeps alive, so its address names it.
    if (auto it = host->methods.find(duk_get_heapptr(ctx, 1)); it != host->methods.end()) {
        duk_push_heapptr(ctx, it->second);
        return true;
    }
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

// ---- indexed properties: a proxy over the function that reads them

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

// ---- engine

template <class F> bool JsEngine::guarded(F& body) {
    if (!usable()) return false;
    std::jmp_buf jump;
    std::jmp_buf* const saved = fatalJump;
    fatalJump = &jump;
    if (setjmp(jump) != 0) {
        fatalJump = saved;
        dead_ = true;
        return false;
    }
    const duk_int_t rc = duk_safe_call(ctx_, &trampoline<F>, &body, 0, 1);
    duk_pop(ctx_);
    fatalJump = saved;
    return rc == DUK_EXEC_SUCCESS;
}

JsEngine::JsEngine(Reporter reporter, std::size_t limit)
    : heapLimit(limit), reporter_(std::move(reporter)) {
    ctx_ = limit ? duk_create_heap(limitedAlloc, limitedRealloc, limitedFree, this, fatalHandler)
                 : duk_create_heap(nullptr, nullptr, nullptr, this, fatalHandler);
    if (!ctx_) throw ScriptEngineError("#Scripting engine can't be started");
    definePrelude();
    if (!handler_ || !dateCtor_) {
        if (!dead_) duk_destroy_heap(ctx_);
        ctx_ = nullptr;
        throw ScriptEngineError("#Scripting engine can't be started");
    }
}

JsEngine::~JsEngine() {
    // A heap that failed is left alone: touching it again could fail once more.
    if (ctx_ && !dead_) duk_destroy_heap(ctx_);
}

void JsEngine::definePrelude() {
    auto body = [this](duk_context* ctx) {
        duk_push_global_stash(ctx);
        duk_push_array(ctx);
        duk_put_prop_string(ctx, -2, "hosts");
        duk_push_array(ctx); // what the bridge refers to by address stays reachable from here
        duk_idx_t keep = duk_get_top_index(ctx);
        duk_uarridx_t kept = 0;

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
        handler_ = duk_get_heapptr(ctx, -1);
        duk_put_prop_index(ctx, keep, kept++);

        duk_push_object(ctx);
        duk_push_c_function(ctx, nativeEntry<trapIndexedGet>, 3);
        duk_put_prop_string(ctx, -2, "get");
        duk_push_c_function(ctx, nativeEntry<trapIndexedSet>, 4);
        duk_put_prop_string(ctx, -2, "set");
        duk_push_c_function(ctx, nativeEntry<trapIndexedApply>, 3);
        duk_put_prop_string(ctx, -2, "apply");
        indexedHandler_ = duk_get_heapptr(ctx, -1);
        duk_put_prop_index(ctx, keep, kept++);

        duk_eval_string(ctx, kPrelude);
        duk_push_global_object(ctx);
        duk_call(ctx, 1);
        duk_get_prop_string(ctx, -1, "SafeArray");
        duk_get_prop_string(ctx, -1, "prototype");
        safeArrayProto_ = duk_get_heapptr(ctx, -1);
        duk_put_prop_index(ctx, keep, kept++);
        duk_pop(ctx);
        duk_get_prop_string(ctx, -1, "VBArray");
        duk_get_prop_string(ctx, -1, "prototype");
        vbArrayProto_ = duk_get_heapptr(ctx, -1);
        duk_put_prop_index(ctx, keep, kept++);
        duk_pop(ctx);
        duk_get_prop_string(ctx, -1, "Date");
        duk_get_prop_string(ctx, -1, "prototype");
        dateProto_ = duk_get_heapptr(ctx, -1);
        duk_get_prop_string(ctx, -1, "getTime");
        getTime_ = duk_get_heapptr(ctx, -1);
        duk_put_prop_index(ctx, keep, kept++);
        duk_put_prop_index(ctx, keep, kept++);
        dateCtor_ = duk_get_heapptr(ctx, -1);
        duk_put_prop_index(ctx, keep, kept++);
        duk_pop(ctx);
        duk_put_prop_string(ctx, -2, "keep");
        duk_pop(ctx);
    };
    if (!guarded(body)) handler_ = nullptr;
}

HostObject* JsEngine::hostOfProxy(void* heapPtr) const {
    auto it = hostByProxy_.find(heapPtr);
    return it == hostByProxy_.end() ? nullptr : it->second;
}

void JsEngine::pushHost(duk_context* ctx, const ObjectRef& object) {
    if (!object) {
        duk_push_null(ctx);
        return;
    }
    if (auto it = hosts_.find(object.get()); it != hosts_.end()) {
        duk_push_heapptr(ctx, it->second->proxy);
        return;
    }
    auto host = std::make_unique<HostObject>();
    host->engine = this;
    host->dispatch = object;
    if (dynamic_cast<CompWrapper*>(object.get()))
        host->kind = HostObject::Kind::Wrapper;
    else if (object == registry().globalScope())
        host->kind = HostObject::Kind::GlobalScope;
    // A function as the target lets the object be called: obj(i) reads its default property.
    duk_push_c_function(ctx, hostTarget, DUK_VARARGS);
    duk_push_pointer(ctx, host.get());
    duk_put_prop_literal(ctx, -2, kHostKey);
    if (hostList_.size() < kMaxMagic) {
        hostList_.push_back(host.get());
        duk_set_magic(ctx, -1, static_cast<duk_int_t>(hostList_.size()));
    }
    duk_push_object(ctx);
    duk_put_prop_literal(ctx, -2, kMethodsKey);
    duk_push_heapptr(ctx, handler_);
    duk_push_proxy(ctx, 0);
    host->proxy = duk_get_heapptr(ctx, -1);
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, "hosts");
    duk_dup(ctx, -3);
    duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(hostCount_++));
    duk_pop_2(ctx);
    hostByProxy_[host->proxy] = host.get();
    hosts_.emplace(object.get(), std::move(host));
}

bool JsEngine::resolveMember(HostObject& host, const std::string& name, HostObject::Member& out) {
    if (auto it = host.members.find(name); it != host.members.end()) {
        out = it->second;
        return true;
    }
    DispId id = kUnknownDispId;
    try {
        id = host.dispatch->idOfName(name);
    } catch (const std::exception&) {
        id = kUnknownDispId;
    }
    if (id == kUnknownDispId) return false;
    HostObject::Member member{id, MemberKind::Method};
    switch (host.kind) {
    case HostObject::Kind::Wrapper:
        if (id >= kPartIdBase || !registry().memberById(id).method)
            member.kind = MemberKind::Property;
        break;
    case HostObject::Kind::GlobalScope:
        if (!registry().findProc(name)) member.kind = MemberKind::Property;
        break;
    case HostObject::Kind::Other:
        break;
    }
    host.members.emplace(name, member);
    out = member;
    return true;
}

bool JsEngine::invokeMember(duk_context* ctx, HostObject& host, DispId id, unsigned flags,
                            std::span<Value> args, const std::string& name, bool pushResult) {
    Value result;
    ExceptionInfo error;
    DispStatus status = DispStatus::Ok;
    try {
        status = host.dispatch->invoke(id, flags, args, result, error);
    } catch (const std::exception& e) {
        status = DispStatus::Exception;
        error.description = e.what();
    } catch (...) {
        status = DispStatus::Exception;
        error.description = czech("Volání funkce systému selhalo");
    }
    if (status != DispStatus::Ok) {
        pushError(ctx, status == DispStatus::Exception ? error.description
                                                       : dispatchStatusMessage(status, name));
        return false;
    }
    if (pushResult) pushValue(ctx, result);
    return true;
}

bool JsEngine::invokeDefault(duk_context* ctx, HostObject& host, std::span<Value> args, bool put) {
    NativeObject* object =
        host.kind == HostObject::Kind::Wrapper ? nativeObjectOf(Value(host.dispatch)) : nullptr;
    const ClassInfo* cls = object ? registry().findClass(object->className()) : nullptr;
    while (cls && !cls->defaultProperty)
        cls = cls->parent;
    if (!cls) {
        pushError(ctx, czech("Objekt ") + host.dispatch->dispatchClassName() +
                           czech(" nemá výchozí vlastnost"));
        return false;
    }
    Value result;
    ExceptionInfo error;
    DispStatus status = DispStatus::Ok;
    if (put) {
        if (args.empty()) return true;
        status = registry().setProperty(*cls->defaultProperty, object, args.first(args.size() - 1),
                                        args.back(), error);
    } else {
        status = registry().getProperty(*cls->defaultProperty, object, args, result, error);
    }
    if (status != DispStatus::Ok) {
        pushError(ctx, status == DispStatus::Exception ? error.description
                                                       : dispatchStatusMessage(status));
        return false;
    }
    if (!put) pushValue(ctx, result);
    return true;
}

Binding* JsEngine::makeBinding(HostObject* host, DispId id, MemberKind kind,
                               const std::string& name) {
    const MethodInfo* direct = nullptr;
    if (kind == MemberKind::Method) {
        if (host->kind == HostObject::Kind::GlobalScope)
            direct = registry().findProc(name);
        else if (host->kind == HostObject::Kind::Wrapper && id < kPartIdBase)
            direct = registry().memberById(id).method;
        if (direct && (!direct->direct || direct->signature.variadic)) direct = nullptr;
    }
    bindings_.push_back(std::make_unique<Binding>(Binding{host, id, kind, name, direct}));
    // Magic numbers are 16 bits: bindings past that are found by their hidden property alone.
    if (bindings_.size() <= kMaxMagic) bindings_.back()->magic = static_cast<int>(bindings_.size());
    return bindings_.back().get();
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

Binding* JsEngine::bindingByMagic(int magic) const {
    return bindings_[static_cast<std::size_t>(magic - 1)].get();
}

HostObject* JsEngine::hostByMagic(int magic) const {
    return hostList_[static_cast<std::size_t>(magic - 1)];
}

void JsEngine::tagBinding(duk_context* ctx, Binding* binding) {
    duk_push_pointer(ctx, binding);
    duk_put_prop_literal(ctx, -2, kBindingKey);
    if (binding->magic) duk_set_magic(ctx, -1, binding->magic);
}

void JsEngine::pushBoundFunction(duk_context* ctx, Binding* binding) {
    duk_push_c_function(ctx, nativeEntry<callBinding>, DUK_VARARGS);
    tagBinding(ctx, binding);
    // Keep the object alive as long as one of its methods is.
    duk_push_heapptr(ctx, binding->host->proxy);
    duk_put_prop_literal(ctx, -2, kHostKey);
}

void JsEngine::pushIndexedProperty(duk_context* ctx, Binding* binding) {
    pushBoundFunction(ctx, binding);
    duk_push_heapptr(ctx, indexedHandler_);
    duk_push_proxy(ctx, 0);
}

// ---- values

void JsEngine::pushValue(duk_context* ctx, const Value& value) {
    switch (value.type()) {
    case ValueType::Empty:
        duk_push_undefined(ctx);
        return;
    case ValueType::Null:
        duk_push_null(ctx);
        return;
    case ValueType::Integer:
        duk_push_int(ctx, value.asInt());
        return;
    case ValueType::Double:
        duk_push_number(ctx, value.asDouble());
        return;
    case ValueType::Currency:
        duk_push_number(ctx, static_cast<double>(value.asCurrency().scaled) / 10000.0);
        return;
    case ValueType::Date:
        duk_push_heapptr(ctx, dateCtor_);
        duk_push_number(ctx, localDaysToUtcMs(value.asDate().days));
        duk_new(ctx, 1);
        return;
    case ValueType::String:
        pushText(ctx, value.asString());
        return;
    case ValueType::Boolean:
        duk_push_boolean(ctx, value.asBool());
        return;
    case ValueType::Object:
        pushHost(ctx, value.asObject());
        return;
    case ValueType::Array: {
        const VarArray& array = *value.asArray();
        if (array.dimensions() == 1 && array.bound(0).low == 0) {
            duk_push_array(ctx);
            for (std::size_t i = 0; i < array.size(); ++i) {
                pushValue(ctx, array.items()[i]);
                duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
            }
            return;
        }
        duk_push_object(ctx);
        duk_push_heapptr(ctx, safeArrayProto_);
        duk_set_prototype(ctx, -2);
        duk_push_array(ctx);
        for (std::size_t d = 0; d < array.dimensions(); ++d) {
            duk_push_array(ctx);
            duk_push_int(ctx, array.bound(d).low);
            duk_put_prop_index(ctx, -2, 0);
            duk_push_int(ctx, array.bound(d).high);
            duk_put_prop_index(ctx, -2, 1);
            duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(d));
        }
        duk_put_prop_string(ctx, -2, "_b");
        duk_push_array(ctx);
        for (std::size_t i = 0; i < array.size(); ++i) {
            pushValue(ctx, array.items()[i]);
            duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
        }
        duk_put_prop_string(ctx, -2, "_i");
        return;
    }
    }
    duk_push_undefined(ctx);
}

Value JsEngine::toValue(duk_context* ctx, int index, int depth) {
    const duk_idx_t idx = duk_normalize_index(ctx, index);
    switch (duk_get_type(ctx, idx)) {
    case DUK_TYPE_NULL:
        return Value::null();
    case DUK_TYPE_BOOLEAN:
        return Value(static_cast<bool>(duk_get_boolean(ctx, idx)));
    case DUK_TYPE_NUMBER: {
        const double d = duk_get_number(ctx, idx);
        if (d >= -2147483648.0 && d <= 2147483647.0 && d == std::floor(d) &&
            !(d == 0 && std::signbit(d)))
            return Value(static_cast<std::int32_t>(d));
        return Value(d);
    }
    case DUK_TYPE_STRING: {
        duk_size_t len = 0;
        const char* s = duk_get_lstring(ctx, idx, &len);
        // A symbol's inner form starts with a byte that is not ASCII.
        if (s && isAscii(std::string_view(s, len))) return Value(std::string(s, len));
        if (duk_is_symbol(ctx, idx)) return {};
        return Value(stringAt(ctx, idx));
    }
    case DUK_TYPE_OBJECT:
        break;
    default:
        return {};
    }
    if (HostObject* host = hostOfProxy(duk_get_heapptr(ctx, idx))) return Value(host->dispatch);
    if (depth > 16) return {};
    if (duk_is_array(ctx, idx)) {
        const duk_size_t length = duk_get_length(ctx, idx);
        if (length > kMaxArrayItems) throw ValueError(czech("Pole je příliš velké"));
        const auto count = static_cast<std::int32_t>(length);
        auto array = VarArray::create(0, count - 1);
        for (std::int32_t i = 0; i < count; ++i) {
            duk_get_prop_index(ctx, idx, static_cast<duk_uarridx_t>(i));
            array->items()[static_cast<std::size_t>(i)] = toValue(ctx, -1, depth + 1);
            duk_pop(ctx);
        }
        return Value(array);
    }
    duk_get_prototype(ctx, idx);
    void* proto = duk_get_heapptr(ctx, -1);
    duk_pop(ctx);
    if (proto && (proto == safeArrayProto_ || proto == vbArrayProto_)) {
        std::vector<VarArray::Bound> bounds;
        duk_get_prop_string(ctx, idx, "_b");
        const auto dims = static_cast<duk_uarridx_t>(duk_get_length(ctx, -1));
        for (duk_uarridx_t d = 0; d < dims && d < 60; ++d) {
            duk_get_prop_index(ctx, -1, d);
            duk_get_prop_index(ctx, -1, 0);
            duk_get_prop_index(ctx, -2, 1);
            bounds.push_back({duk_get_int(ctx, -2), duk_get_int(ctx, -1)});
            duk_pop_3(ctx);
        }
        duk_pop(ctx);
        if (bounds.empty()) return {};
        std::size_t total = 1;
        for (const auto& b : bounds)
            total *= static_cast<std::size_t>(b.count());
        if (total > kMaxArrayItems) throw ValueError(czech("Pole je příliš velké"));
        auto array = std::make_shared<VarArray>(bounds);
        duk_get_prop_string(ctx, idx, "_i");
        for (std::size_t i = 0; i < array->size(); ++i) {
            duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(i));
            array->items()[i] = toValue(ctx, -1, depth + 1);
            duk_pop(ctx);
        }
        duk_pop(ctx);
        return Value(array);
    }
    if (proto && proto == dateProto_) {
        duk_push_heapptr(ctx, getTime_);
        duk_dup(ctx, idx);
        double ms = NAN;
        if (duk_pcall_method(ctx, 0) == DUK_EXEC_SUCCESS) ms = duk_get_number(ctx, -1);
        duk_pop(ctx);
        if (std::isnan(ms)) return Value::null();
        return Value(DateTime{utcMsToLocalDays(ms)});
    }
    // Any other object crosses as its text.
    duk_dup(ctx, idx);
    const char* text = duk_safe_to_string(ctx, -1);
    Value out(utf8ToCp1250(text ? text : ""));
    duk_pop(ctx);
    return out;
}

// ---- module

void JsEngine::takeError(duk_context* ctx, ErrorDetails& out) {
    std::string text;
    if (duk_is_error(ctx, -1)) {
        duk_get_prop_string(ctx, -1, "lineNumber");
        if (duk_is_number(ctx, -1)) out.line = duk_get_int(ctx, -1);
        duk_pop(ctx);
        duk_get_prop_string(ctx, -1, "name");
        const std::string name = duk_safe_to_string(ctx, -1);
        duk_pop(ctx);
        duk_get_prop_string(ctx, -1, "message");
        const std::string message =
            duk_is_undefined(ctx, -1) ? std::string() : duk_safe_to_string(ctx, -1);
        duk_pop(ctx);
        // Native failures arrive as plain errors: their description stands alone.
        text = name == "Error" ? message : message.empty() ? name : name + ": " + message;
    } else {
        duk_dup(ctx, -1);
        text = duk_safe_to_string(ctx, -1);
        duk_pop(ctx);
    }
    // The engine appends the line to syntax errors; the handler shows it by itself.
    if (const auto at = text.rfind(" (line "); at != std::string::npos && text.back() == ')')
        text.erase(at);
    out.description = utf8ToCp1250(czechEngineMessage(text));
}

bool JsEngine::reportScriptError(const ErrorDetails& details, bool compilation) {
    ExceptionInfo info{compilation ? czech("Chyba překladu JavaScriptu")
                                   : czech("Chyba JavaScriptu za běhu"),
                       details.description};
    const int line = details.line > 0 ? details.line - 1 : 0;
    const int column =
        static_cast<std::size_t>(line) < sourceLines_.size()
            ? errorColumn(sourceLines_[static_cast<std::size_t>(line)], details.description)
            : 0;
    const bool resume = reporter_ ? reporter_(line, column, info) : false;
    if (!resume) stopped_ = true;
    return resume;
}

bool JsEngine::bindFromObject(duk_context* ctx, HostObject& host, const std::string& name,
                              const std::string& js, bool* routine) {
    HostObject::Member member;
    if (!resolveMember(host, name, member)) return false;
    duk_push_lstring(ctx, js.data(), js.size());
    if (member.kind == MemberKind::Method) {
        pushBoundFunction(ctx, makeBinding(&host, member.id, MemberKind::Method, name));
        duk_def_prop(ctx, -3,
                     DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_SET_WRITABLE |
                         DUK_DEFPROP_SET_CONFIGURABLE);
        if (routine) *routine = true;
        return true;
    }
    if (host.kind == HostObject::Kind::GlobalScope && !registry().findVar(name)) {
        // Constants and class references do not change: bind their value.
        if (invokeMember(ctx, host, member.id, InvokeGet, {}, name, true)) {
            duk_def_prop(ctx, -3,
                         DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_SET_WRITABLE |
                             DUK_DEFPROP_SET_CONFIGURABLE);
            return true;
        }
        duk_pop(ctx);
    }
    Binding* binding = makeBinding(&host, member.id, MemberKind::Property, name);
    duk_push_c_function(ctx, nativeEntry<getBinding>, 0);
    tagBinding(ctx, binding);
    duk_push_c_function(ctx, nativeEntry<setBinding>, 1);
    tagBinding(ctx, binding);
    duk_def_prop(ctx, -4,
                 DUK_DEFPROP_HAVE_GETTER | DUK_DEFPROP_HAVE_SETTER | DUK_DEFPROP_SET_CONFIGURABLE);
    return true;
}

bool JsEngine::bindName(duk_context* ctx, const std::string& name) {
    const std::string js = jsName(name);
    bool routine = false;
    for (HostObject* object : globalObjects_)
        if (bindFromObject(ctx, *object, name, js, &routine)) return routine;
    pushHost(ctx, registry().globalScope());
    duk_pop(ctx);
    if (bindFromObject(ctx, *hosts_.at(registry().globalScope().get()), name, js, &routine))
        return routine;
    unbound_.insert(name);
    return false;
}

void JsEngine::defineRoutineHolder(duk_context* ctx, const RoutineLocals& locals) {
    routineCopies_ = locals.names;
    duk_push_global_object(ctx);
    duk_push_object(ctx);
    for (const std::string& name : locals.names) {
        const std::string js = jsName(name);
        duk_get_prop_lstring(ctx, -2, js.data(), js.size());
        duk_put_prop_lstring(ctx, -2, js.data(), js.size());
    }
    routineHolder_ = duk_get_heapptr(ctx, -1);
    duk_push_lstring(ctx, locals.holder.data(), locals.holder.size());
    duk_swap_top(ctx, -2);
    duk_def_prop(ctx, -3, DUK_DEFPROP_HAVE_VALUE); // not writable, enumerable nor deletable
    duk_pop(ctx);
}

bool JsEngine::compile(const std::string& text) {
    sourceLines_.assign(1, std::string());
    for (char c : text) {
        if (c == '\n')
            sourceLines_.emplace_back();
        else if (c != '\r')
            sourceLines_.back() += c;
    }
    const ModuleNames names = scanModuleNames(text);
    ErrorDetails error;
    bool failed = false;
    auto body = [&](duk_context* ctx) {
        duk_push_global_object(ctx);
        std::set<std::string> routines;
        for (const std::string& name : names.used) {
            if (names.declared.count(name)) continue;
            const std::string js = jsName(name);
            if (duk_has_prop_lstring(ctx, -1, js.data(), js.size())) continue;
            if (bindName(ctx, name)) routines.insert(name);
        }
        duk_pop(ctx);
        const RoutineLocals locals = addRoutineLocals(text, routines);
        if (!locals.names.empty()) defineRoutineHolder(ctx, locals);
        const std::string utf8 = cp1250ToUtf8(locals.text);
        duk_push_string(ctx, kSourceName);
        if (duk_pcompile_lstring_filename(ctx, 0, utf8.data(), utf8.size()) != 0) {
            takeError(ctx, error);
            failed = true;
            duk_pop(ctx);
            return;
        }
        duk_push_global_stash(ctx);
        duk_swap_top(ctx, -2);
        duk_put_prop_string(ctx, -2, "main");
        duk_pop(ctx);
    };
    if (!guarded(body)) {
        if (!failed) error.description = czech("Modul nelze přeložit");
        failed = true;
    }
    if (failed) {
        reportScriptError(error, true);
        return false;
    }
    mainPending_ = true;
    return true;
}

void JsEngine::runMain() {
    if (!mainPending_ || stopped_) return;
    mainPending_ = false;
    ErrorDetails error;
    bool failed = false;
    auto body = [&](duk_context* ctx) {
        duk_push_global_stash(ctx);
        duk_get_prop_string(ctx, -1, "main");
        duk_del_prop_string(ctx, -2, "main");
        if (duk_pcall(ctx, 0) != DUK_EXEC_SUCCESS) {
            takeError(ctx, error);
            failed = true;
        }
        duk_pop_2(ctx);
    };
    if (!guarded(body) && !failed) {
        error.description = czech("Chyba skriptu");
        failed = true;
    }
    if (failed) reportScriptError(error, false);
}

std::string JsEngine::findFunction(std::string_view name) {
    std::string found;
    const std::string js = cp1250ToUtf8(name);
    auto body = [&](duk_context* ctx) {
        duk_push_global_object(ctx);
        duk_get_prop_lstring(ctx, -1, js.data(), js.size());
        const bool exact = duk_is_function(ctx, -1);
        duk_pop(ctx);
        if (exact) {
            found = js;
        } else {
            duk_enum(ctx, -1, DUK_ENUM_OWN_PROPERTIES_ONLY);
            while (found.empty() && duk_next(ctx, -1, 1)) {
                if (duk_is_function(ctx, -1) && equalsNoCase(stringAt(ctx, -2), name))
                    found = duk_get_string(ctx, -2);
                duk_pop_2(ctx);
            }
            duk_pop(ctx);
        }
        duk_pop(ctx);
    };
    guarded(body);
    return found;
}

Value JsEngine::callFunction(const std::string& exactName, std::span<Value> args) {
    Value result;
    if (stopped_) return result;
    ErrorDetails error;
    bool failed = false;
    auto body = [&](duk_context* ctx) {
        duk_push_global_object(ctx);
        duk_get_prop_lstring(ctx, -1, exactName.data(), exactName.size());
        if (!duk_is_function(ctx, -1)) {
            duk_pop_2(ctx);
            return;
        }
        duk_dup(ctx, -2); // `this` is the global object
        for (const Value& arg : args)
            pushValue(ctx, arg);
        if (duk_pcall_method(ctx, static_cast<duk_idx_t>(args.size())) != DUK_EXEC_SUCCESS) {
            takeError(ctx, error);
            failed = true;
        } else {
            result = toValue(ctx, -1);
        }
        duk_pop_2(ctx);
    };
    if (!guarded(body) && !failed) {
        error.description = czech("Chyba skriptu");
        failed = true;
    }
    if (failed) {
        result = Value();
        reportScriptError(error, false);
    }
    return result;
}

void JsEngine::addNamedObject(const std::string& name, const ObjectRef& object, bool global) {
    auto body = [&](duk_context* ctx) {
        const std::string js = jsName(name);
        pushHost(ctx, object);
        if (routineHolder_ && routineCopies_.count(name)) {
            // Local copies of a routine of that name read the object from now on.
            duk_push_heapptr(ctx, routineHolder_);
            duk_dup(ctx, -2);
            duk_put_prop_lstring(ctx, -2, js.data(), js.size());
            duk_pop(ctx);
        }
        duk_put_global_lstring(ctx, js.data(), js.size());
        if (!global || !object) return;
        HostObject* host = hosts_.at(object.get()).get();
        globalObjects_.push_back(host);
        duk_push_global_object(ctx);
        for (auto it = unbound_.begin(); it != unbound_.end();) {
            if (bindFromObject(ctx, *host, *it, jsName(*it), nullptr))
                it = unbound_.erase(it);
            else
                ++it;
        }
        duk_pop(ctx);
    };
    guarded(body);
}

std::vector<std::string> JsEngine::scriptFunctions() {
    std::vector<std::string> out;
    auto body = [&](duk_context* ctx) {
        duk_push_global_object(ctx);
        duk_enum(ctx, -1, DUK_ENUM_OWN_PROPERTIES_ONLY);
        while (duk_next(ctx, -1, 1)) {
            if (duk_is_ecmascript_function(ctx, -1)) out.push_back(stringAt(ctx, -2));
            duk_pop_2(ctx);
        }
        duk_pop_2(ctx);
    };
    guarded(body);
    return out;
}

} // namespace vorlan::script::js
