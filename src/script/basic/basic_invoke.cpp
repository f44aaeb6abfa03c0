#include "script/basic/basic_interp.h"

#include "core/cp1250.h"
#include "script/basic/basic_frame.h"
#include "script/basic/basic_library.h"
#include "script/comp_wrapper.h"
#include "script/direct_call_args.h"

#include <array>
#include <memory>
#include <new>

namespace vorlan::script::basic {

namespace {

// Where element `index` of a one-dimensional array is, without building an index list.
std::size_t oneDimensionOffset(const VarArray& a, const Value& index) {
    const std::int32_t i = index.toInt();
    const VarArray::Bound& b = a.bound(0);
    if (i < b.low || i > b.high) raise(9);
    return static_cast<std::size_t>(static_cast<std::int64_t>(i) - b.low);
}

// The element at the given indexes, for reading (const array) or for changing it.
template <class Array> auto& elementAt(Array& a, std::span<Value> idx) {
    if (idx.size() != a.dimensions()) raise(9);
    if (idx.size() == 1) return a.items()[oneDimensionOffset(a, idx[0])];
    std::vector<std::int32_t> at;
    for (const Value& v : idx)
        at.push_back(v.toInt());
    try {
        return a.at(at);
    } catch (const ValueError&) {
        raise(9);
    } catch (const std::out_of_range&) {
        raise(9);
    }
}

} // namespace

Value Interpreter::invokeHost(Dispatch& host, DispId id, unsigned flags, std::span<Value> args,
                              const std::string& name) {
    // Arguments after a form's control name index the control's default property: List1(0).
    const bool putting = flags & InvokePut;
    if (args.size() > (putting ? 1u : 0u) && id >= kPartIdBase &&
        dynamic_cast<CompWrapper*>(&host)) {
        const Value part = invokeHost(host, id, InvokeGet, {}, name);
        if (part.isObject() && part.asObject()) {
            if (!putting) return invokeDefault(part, args, nullptr);
            const Value value = args.back();
            return invokeDefault(part, args.first(args.size() - 1), &value);
        }
    }
    // The registered routines answer through the global scope, never one of the dialect's own
    // objects.
    if (&host != globalScope_.get())
        if (auto* own = dynamic_cast<OwnObject*>(&host))
            return own->callFromScript(id, flags, args);
    Value result;
    ExceptionInfo error;
    DispStatus status = DispStatus::Ok;
    try {
        status = host.invoke(id, flags, args, result, error);
    } catch (const BasicError&) {
        throw;
    } catch (const std::exception& ex) {
        status = DispStatus::Exception;
        error.description = ex.what();
    }
    if (status == DispStatus::Ok) return result;
    throwCallFailure(status, error, name);
}

bool Interpreter::callRegistered(const MethodInfo& method, CallArgs& args, const std::string& name,
                                 Value& result) {
    const Signature& sig = method.signature;
    constexpr std::size_t kScratch = 4;
    if (args.size() < sig.required || args.size() > sig.params.size() ||
        sig.params.size() > kScratch)
        return false;
    std::array<Value*, kScratch> pointers;
    for (std::size_t i = 0; i < args.size(); ++i)
        pointers[i] = &args[i];
    std::array<Value, kScratch> scratch;
    ExceptionInfo error;
    const DispStatus status = registry().callDirect(method, nullptr, pointers.data(), args.size(),
                                                    scratch.data(), result, error);
    if (status != DispStatus::Ok) throwCallFailure(status, error, name);
    return true;
}

namespace {

// Arguments read in place at most: their conversions' scratch values live on the stack.
constexpr std::size_t kInPlaceArgs = 4;

// An argument that only reads literals and variables: evaluating it cannot change a variable
// that an argument before it is read from.
bool readsOnly(const Expr& e) {
    switch (e.kind) {
    case ExprKind::Literal:
        return true;
    case ExprKind::Name:
        return e.leaf != Leaf::None;
    case ExprKind::Binary:
        return e.op != Op::Is && readsOnly(*e.left) && readsOnly(*e.right);
    case ExprKind::Unary:
        return readsOnly(*e.left);
    default:
        return false;
    }
}

bool sameObject(const std::weak_ptr<Dispatch>& seen, const ObjectRef& object) {
    return !seen.owner_before(object) && !object.owner_before(seen);
}

} // namespace

bool Interpreter::argumentsInPlace(const Expr& e, const MethodInfo& method) {
    const Signature& sig = method.signature;
    const std::size_t argc = e.args.size();
    if (!method.direct || sig.variadic || argc < sig.required || argc > sig.params.size() ||
        argc > kInPlaceArgs)
        return false;
    // ByRef results go back through the general way.
    for (const ParamSpec& p : sig.params)
        if (p.mode == ParamMode::Var) return false;
    return argumentsReadInPlace(e);
}

bool Interpreter::argumentsReadInPlace(const Expr& e) {
    // A variable read in place shows what the arguments after it leave in it: only arguments
    // that merely read may follow one.
    bool variableBefore = false;
    for (const auto& a : e.args) {
        if (a->leaf == Leaf::None) {
            if (variableBefore && !readsOnly(*a)) return false;
        } else if (a->leaf != Leaf::Literal) {
            variableBefore = true;
        }
    }
    return true;
}

namespace {

// The registry, without a call to find it on every call through it.
const Registry& theRegistry() {
    static const Registry& found = registry();
    return found;
}

} // namespace

Value Interpreter::callInPlace(Expr& e, CompWrapper* object) {
    const MethodInfo& method = *e.direct;
    const std::size_t argc = e.args.size();
    std::array<Value*, kInPlaceArgs> at;
    DirectCallArgs<kInPlaceArgs> computed;
    bool typed = true; // every argument of its declared type already
    for (std::size_t i = 0; i < argc; ++i) {
        Expr& a = *e.args[i];
        const Value* v = plainValue(a);
        if (!v) v = computed.add([&] { return eval(a); });
        at[i] = const_cast<Value*>(v); // by-value parameters are only read
        typed = typed && hasDeclaredType(*v, method.signature.params[i].type);
    }
    NativeObject* self = nullptr;
    if (object && !(self = object->object())) { // freed while the arguments were evaluated
        ExceptionInfo gone;
        gone.description = czech("Objekt už byl uvolněn");
        throwCallFailure(DispStatus::Exception, gone, e.name);
    }
    Value result;
    ExceptionInfo error;
    // Nothing to convert: the scratch values are never touched.
    const DispStatus status =
        typed ? theRegistry().callDirect(method, self, at.data(), argc, nullptr, result, error)
              : callConverting<kInPlaceArgs>(method, self, at.data(), argc, result, error);
    if (status != DispStatus::Ok) [[unlikely]]
        throwCallFailure(status, error, e.name);
    return result;
}

void Interpreter::rememberMember(Expr& e, const ObjectRef& object, std::size_t argc) {
    if (sameObject(e.cachedTarget, object)) return;
    e.cachedTarget = object;
    e.direct = nullptr;
    e.property = nullptr;
    e.argsInPlace = 0;
    if (e.cachedId < 0 || e.cachedId >= kPartIdBase || !dynamic_cast<CompWrapper*>(object.get()))
        return;
    const MemberRef member = registry().memberById(e.cachedId);
    if (member.method && argumentsInPlace(e, *member.method)) {
        e.direct = member.method;
        e.argsInPlace = 1;
    } else if (const PropertyInfo* p = member.property;
               p && p->read && (p->indexCount != 0 || argc == 0)) {
        // Index arguments given to a property that takes none go elsewhere (the wrapper's
        // default-property rule): such a call keeps the general way.
        e.property = p;
        // Exactly its indexes, read where they lie: the getter's direct entry.
        if (p->directRead && argc == static_cast<std::size_t>(p->indexCount) &&
            argc <= kInPlaceArgs && argumentsReadInPlace(e))
            e.argsInPlace = 1;
    }
}

Value Interpreter::readInPlace(Expr& e, CompWrapper& object) {
    const std::size_t argc = e.args.size();
    std::array<Value*, kInPlaceArgs> at;
    DirectCallArgs<kInPlaceArgs> computed;
    for (std::size_t i = 0; i < argc; ++i) {
        Expr& a = *e.args[i];
        const Value* v = plainValue(a);
        if (!v) v = computed.add([&] { return eval(a); });
        at[i] = const_cast<Value*>(v); // a getter only reads its indexes
    }
    Value result;
    ExceptionInfo error;
    DispStatus status = DispStatus::Exception;
    if (NativeObject* self = object.object()) // not freed while the indexes were evaluated
        status = theRegistry().getPropertyDirect(*e.property, self, at.data(), result, error);
    else
        error.description = czech("Objekt už byl uvolněn");
    if (status != DispStatus::Ok) [[unlikely]]
        throwCallFailure(status, error, e.name);
    return result;
}

void Interpreter::rememberPut(Expr& e, const ObjectRef& object, std::size_t argc) {
    if (sameObject(e.cachedTarget, object)) return;
    e.cachedTarget = object;
    e.direct = nullptr;
    e.property = nullptr;
    e.argsInPlace = 0;
    if (e.cachedId < 0 || e.cachedId >= kPartIdBase || !dynamic_cast<CompWrapper*>(object.get()))
        return;
    // Exactly its indexes and the new value: the setter's direct entry. Anything else keeps the
    // general way (a default property, or the error it reports).
    const PropertyInfo* p = registry().memberById(e.cachedId).property;
    if (p && p->directWrite && p->indexCount >= 0 &&
        argc == static_cast<std::size_t>(p->indexCount) + 1 && argc - 1 <= kInPlaceArgs &&
        argumentsReadInPlace(e)) {
        e.property = p;
        e.argsInPlace = 1;
    }
}

void Interpreter::writeInPlace(Expr& e, CompWrapper& object, const Value& value) {
    const std::size_t argc = e.args.size();
    std::array<Value*, kInPlaceArgs> at;
    DirectCallArgs<kInPlaceArgs> computed;
    for (std::size_t i = 0; i < argc; ++i) {
        Expr& a = *e.args[i];
        const Value* v = plainValue(a);
        if (!v) v = computed.add([&] { return eval(a); });
        at[i] = const_cast<Value*>(v); // a setter only reads its indexes
    }
    ExceptionInfo error;
    DispStatus status = DispStatus::Exception;
    if (NativeObject* self = object.object()) // not freed while the indexes were evaluated
        status = theRegistry().setPropertyDirect(*e.property, self, at.data(), value, error);
    else
        error.description = czech("Objekt už byl uvolněn");
    if (status != DispStatus::Ok) [[unlikely]]
        throwCallFailure(status, error, e.name);
}

Value Interpreter::callMember(Expr& e, const ObjectRef& object) {
    auto& wrapper = static_cast<CompWrapper&>(*object);
    if (e.direct) return callInPlace(e, &wrapper);
    if (e.argsInPlace > 0) return readInPlace(e, wrapper);
    CallArgs args;
    for (auto& a : e.args)
        args.emplace([&] { return eval(*a); }, nullptr);
    NativeObject* self = wrapper.object();
    Value result;
    ExceptionInfo error;
    DispStatus status = DispStatus::Exception;
    if (self)
        status = registry().getProperty(*e.property, self, args, result, error);
    else
        error.description = czech("Objekt už byl uvolněn");
    if (status != DispStatus::Ok) throwCallFailure(status, error, e.name);
    return result;
}

void Interpreter::throwCallFailure(DispStatus status, const ExceptionInfo& error,
                                   const std::string& name) {
    BasicError e;
    if (status == DispStatus::Exception) {
        e.number = 440;
        e.description = error.description;
        e.source = error.source;
    } else {
        e.number = status == DispStatus::BadParamCount    ? 450
                   : status == DispStatus::TypeMismatch   ? 13
                   : status == DispStatus::MemberNotFound ? 438
                                                          : 5;
        e.description = dispatchStatusMessage(status, name);
    }
    throw e;
}

Value Interpreter::invokeMember(Dispatch& host, Expr& e, unsigned flags, std::span<Value> args) {
    if (e.cachedHost != &host) {
        e.cachedId = host.idOfName(e.name);
        e.cachedHost = &host;
    }
    if (e.cachedId == kUnknownDispId) {
        e.cachedHost = nullptr;
        raise(438, errorText(438) + ": '" + e.name + "'");
    }
    return invokeHost(host, e.cachedId, flags, args, e.name);
}

Value Interpreter::invokeDefault(const Value& object, std::span<Value> args, const Value* put) {
    NativeObject* native = nativeObjectOf(object);
    if (!native && object.isObject() && object.asObject()) {
        // The dialect's own objects (a dictionary, a procedure reference) name their default
        // member by the empty name.
        Dispatch& own = *object.asObject();
        const DispId id = own.idOfName("");
        if (id == kUnknownDispId) raise(438);
        if (!put) return invokeHost(own, id, InvokeMethod | InvokeGet, args, "");
        std::vector<Value> all(args.begin(), args.end());
        all.push_back(*put);
        return invokeHost(own, id, InvokePut, all, "");
    }
    const ClassInfo* cls = native ? registry().findClass(native->className()) : nullptr;
    while (cls && !cls->defaultProperty)
        cls = cls->parent;
    if (!cls) raise(438);
    Value result;
    ExceptionInfo error;
    DispStatus status =
        put ? registry().setProperty(*cls->defaultProperty, native, args, *put, error)
            : registry().getProperty(*cls->defaultProperty, native, args, result, error);
    if (status != DispStatus::Ok)
        raise(status == DispStatus::Exception ? 440 : 5,
              status == DispStatus::Exception ? error.description : dispatchStatusMessage(status));
    return result;
}

Value& Interpreter::elementOf(Value& array, std::span<Value> idx) {
    return elementAt(array.mutableArray(), idx);
}

Value Interpreter::indexArray(const Value& array, std::span<Value> idx) {
    return elementAt(*array.asArray(), idx);
}

} // namespace vorlan::script::basic
