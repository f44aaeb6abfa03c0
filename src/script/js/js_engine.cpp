#include "script/js/js_engine.h"

#include "script/comp_wrapper.h"
#include "script/js/js_bridge.h"
#include "script/js/js_heap.h"
#include "script/js/js_messages.h"
#include "script/js/js_names.h"
#include "script/js/js_position.h"
#include "script/js/js_prelude.h"
#include "script/js/js_routine_locals.h"
#include "script/registry.h"
#include "script/script_runner.h"

#include <duktape.h>

#include <csetjmp>

namespace vorlan::script::js {

namespace {

constexpr const char* kSourceName = "module";

template <class F> duk_ret_t trampoline(duk_context* ctx, void* udata) {
    try {
        (*static_cast<F*>(udata))(ctx);
    } catch (...) {
        return DUK_RET_ERROR; // fails the protected call without crossing the engine's frames
    }
    return 0;
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
    ctx_ = createHeap(*this, limit);
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

        pushHostHandler(ctx);
        handler_ = duk_get_heapptr(ctx, -1);
        duk_put_prop_index(ctx, keep, kept++);

        pushIndexedHandler(ctx);
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
    duk_push_c_function(ctx, nativeCallBinding, DUK_VARARGS);
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
    duk_push_c_function(ctx, nativeGetBinding, 0);
    tagBinding(ctx, binding);
    duk_push_c_function(ctx, nativeSetBinding, 1);
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
    routineCopies_ = locals.routines;
    routineCopies_.insert(locals.functions.begin(), locals.functions.end());
    duk_push_global_object(ctx);
    duk_push_object(ctx);
    // The module's own functions do not exist yet: its first statement fills them in.
    for (const std::string& name : locals.routines) {
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
        // One holder per heap: a module compiled again into the same heap keeps its text.
        const RoutineLocals locals =
            routineHolder_ ? RoutineLocals{text, {}, {}, {}} : addRoutineLocals(text, routines);
        if (!locals.holder.empty()) defineRoutineHolder(ctx, locals);
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
