#include "script/registry.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/component.h"
#include "script/object_store.h"
#include "script/raised_exception.h"
#include "script/registry_miss.h"

#include <array>
#include <cmath>
#include <stdexcept>

namespace vorlan::script {

bool NoCaseLess::operator()(std::string_view a, std::string_view b) const {
    return compareNoCase(a, b) < 0;
}

// ---- declared-type conversion

double passThroughReal48(double d) {
    if (d == 0 || std::isnan(d)) return d == 0 ? 0.0 : d;
    if (std::isinf(d)) throw ValueError(czech("Přetečení reálného čísla"));
    int exponent = 0;
    const double mantissa = std::frexp(std::fabs(d), &exponent); // d = m * 2^e, 0.5 <= m < 1
    // 39 stored mantissa bits plus the hidden one: 40 significant bits.
    double rounded = std::nearbyint(std::ldexp(mantissa, 40));
    if (rounded >= std::ldexp(1.0, 40)) {
        rounded /= 2;
        ++exponent;
    }
    // The biased exponent (bias 129) spans 1..255: values from 2^-129 (about 2.9E-39) up to
    // just below 2^127 (about 1.7E38).
    const int biased = exponent + 128;
    if (biased > 255) throw ValueError(czech("Přetečení reálného čísla"));
    if (biased < 1) return 0;
    const double result = std::ldexp(rounded, exponent - 40);
    return d < 0 ? -result : result;
}

Value convertToDeclared(const Value& value, DeclaredType type) {
    switch (type) {
    case DeclaredType::Variant:
    case DeclaredType::None:
    case DeclaredType::Pointer:
        return value;
    case DeclaredType::Integer:
    case DeclaredType::Enum:
    case DeclaredType::Set:
        return value.isInteger() ? value : Value(value.toInt());
    case DeclaredType::Smallint:
        return Value(static_cast<std::int32_t>(static_cast<std::int16_t>(value.toInt64())));
    case DeclaredType::Shortint:
        return Value(static_cast<std::int32_t>(static_cast<std::int8_t>(value.toInt64())));
    case DeclaredType::Word:
        return Value(static_cast<std::int32_t>(static_cast<std::uint16_t>(value.toInt64())));
    case DeclaredType::Byte:
        return Value(static_cast<std::int32_t>(static_cast<std::uint8_t>(value.toInt64())));
    case DeclaredType::Cardinal:
        return Value::fromInt64(static_cast<std::uint32_t>(value.toInt64()));
    case DeclaredType::Int64:
        return Value::fromInt64(value.toInt64());
    case DeclaredType::Boolean:
        return Value(value.toBool());
    case DeclaredType::Char: {
        if (value.isString()) return Value(value.asString().substr(0, 1));
        return Value(std::string(1, static_cast<char>(value.toInt() & 0xFF)));
    }
    case DeclaredType::String:
        return value.isString() ? value : Value(value.toString());
    case DeclaredType::Double:
    case DeclaredType::Extended:
        return value.isDouble() ? value : Value(value.toDouble());
    case DeclaredType::Single:
        return Value(static_cast<double>(static_cast<float>(value.toDouble())));
    case DeclaredType::Real:
        return Value(passThroughReal48(value.toDouble()));
    case DeclaredType::Currency:
        return Value(value.toCurrency());
    case DeclaredType::DateTime:
        return Value(value.toDate());
    case DeclaredType::Object:
        return Value(value.toObject());
    }
    return value;
}

// ---- the global scope and class references

namespace {

// A registered class used as a value: `TDataTable.Create(nil)`.
class ClassRef : public Dispatch {
public:
    ClassRef(Registry& registry, ClassInfo& info) : registry_(registry), info_(info) {}

    DispId idOfName(std::string_view name) override {
        const MemberRef member = registry_.findMember(info_.name, name);
        // A class may bring its own constructor as a class-level Create (Exception.Create(Msg));
        // otherwise Create makes an instance through the factory with an optional owner.
        const bool classLevel = member.method && member.method->classLevel;
        if (!classLevel && equalsNoCase(name, "Create")) return 1;
        if (equalsNoCase(name, "ClassName")) return 2;
        if (!classLevel) return kUnknownDispId;
        for (std::size_t i = 0; i < classMethods_.size(); ++i)
            if (classMethods_[i] == member.method)
                return kFirstClassMethod + static_cast<DispId>(i);
        classMethods_.push_back(member.method);
        return kFirstClassMethod + static_cast<DispId>(classMethods_.size() - 1);
    }
    DispStatus invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                      ExceptionInfo& error) override;
    std::string dispatchClassName() const override { return info_.name; }

private:
    static constexpr DispId kFirstClassMethod = 100;
    Registry& registry_;
    ClassInfo& info_;
    std::vector<const MethodInfo*> classMethods_;
};

DispStatus ClassRef::invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                            ExceptionInfo& error) {
    if (id >= kFirstClassMethod &&
        static_cast<std::size_t>(id - kFirstClassMethod) < classMethods_.size())
        return registry_.call(*classMethods_[static_cast<std::size_t>(id - kFirstClassMethod)],
                              nullptr, args, result, error);
    if (id == 2) {
        result = Value(info_.name);
        return DispStatus::Ok;
    }
    if (id != 1) return DispStatus::UnknownName;
    missedFactory(registry_, info_.name);
    const ClassInfo* withFactory = &info_;
    while (withFactory && !withFactory->factory)
        withFactory = withFactory->parent;
    if (!withFactory) {
        error.description = czech("Třídu ") + info_.name + czech(" nelze ve skriptu vytvořit");
        return DispStatus::Exception;
    }
    if (args.size() > 1) return DispStatus::BadParamCount;
    Component* owner = nullptr;
    if (!args.empty() && !args[0].isEmpty() && !args[0].isNull() &&
        !(args[0].isInteger() && args[0].asInt() == 0) &&
        !(args[0].isObject() && !args[0].asObject())) {
        owner = dynamic_cast<Component*>(nativeObjectOf(args[0]));
        if (!owner) return DispStatus::TypeMismatch;
    }
    try {
        std::unique_ptr<NativeObject> made = withFactory->factory(owner);
        if (!made)
            throw std::runtime_error(czech("Třídu ") + info_.name +
                                     czech(" se nepodařilo vytvořit"));
        NativeObject* object = made.get();
        auto* component = dynamic_cast<Component*>(object);
        if (owner && component) {
            made.release();
            owner->adopt(std::unique_ptr<Component>(component));
        } else {
            keepUnownedObject(std::move(made));
        }
        result = Value(wrapObject(registry_, object));
        return DispStatus::Ok;
    } catch (const std::exception& e) {
        error.description = e.what();
        return DispStatus::Exception;
    }
}

class GlobalScope : public Dispatch {
public:
    explicit GlobalScope(Registry& registry) : registry_(registry) {}

    DispId idOfName(std::string_view name) override;
    DispStatus invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                      ExceptionInfo& error) override;
    std::string dispatchClassName() const override { return "Global"; }

private:
    enum Kind { Proc, Var, Const, Class };
    struct Entry {
        Kind kind;
        const void* target;
    };
    Registry& registry_;
    std::vector<Entry> entries_;
    std::map<std::string, DispId, NoCaseLess> ids_;
    std::map<const ClassInfo*, ObjectRef> classRefs_;
};

DispId GlobalScope::idOfName(std::string_view name) {
    if (auto it = ids_.find(name); it != ids_.end()) return it->second;
    Entry entry{};
    if (const MethodInfo* m = registry_.findProc(name))
        entry = {Proc, m};
    else if (const VarInfo* v = registry_.findVar(name))
        entry = {Var, v};
    else if (const Value* c = registry_.findConst(name))
        entry = {Const, c};
    else if (const ClassInfo* k = registry_.findClass(name))
        entry = {Class, k};
    else
        return kUnknownDispId;
    entries_.push_back(entry);
    const auto id = static_cast<DispId>(entries_.size() - 1);
    ids_.emplace(std::string(name), id);
    return id;
}

DispStatus GlobalScope::invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                               ExceptionInfo& error) {
    result = Value();
    if (id < 0 || static_cast<std::size_t>(id) >= entries_.size()) return DispStatus::UnknownName;
    const Entry& e = entries_[static_cast<std::size_t>(id)];
    switch (e.kind) {
    case Proc:
        if (flags & InvokePut) return DispStatus::MemberNotFound;
        return registry_.call(*static_cast<const MethodInfo*>(e.target), nullptr, args, result,
                              error);
    case Var: {
        const auto* v = static_cast<const VarInfo*>(e.target);
        try {
            // An array variable with indexes reads or writes one element (LongMonthNames[3]).
            const std::size_t indexCount = (flags & InvokePut) ? args.size() - 1 : args.size();
            std::vector<std::int32_t> indexes;
            if (!args.empty() && indexCount > 0 && v->address->isArray())
                for (std::size_t i = 0; i < indexCount; ++i)
                    indexes.push_back(args[i].toInt());
            if (flags & InvokePut) {
                if (args.empty()) return DispStatus::BadParamCount;
                if (indexes.empty())
                    *v->address = convertToDeclared(args.back(), v->type);
                else
                    v->address->mutableArray().at(indexes) = args.back();
            } else {
                result = indexes.empty() ? *v->address : v->address->asArray()->at(indexes);
            }
        } catch (const std::exception& ex) {
            error.description = ex.what();
            return DispStatus::Exception;
        }
        return DispStatus::Ok;
    }
    case Const:
        if (flags & InvokePut) return DispStatus::MemberNotFound;
        result = *static_cast<const Value*>(e.target);
        return DispStatus::Ok;
    case Class: {
        if (flags & InvokePut) return DispStatus::MemberNotFound;
        auto* info = const_cast<ClassInfo*>(static_cast<const ClassInfo*>(e.target));
        auto& ref = classRefs_[info];
        if (!ref) ref = std::make_shared<ClassRef>(registry_, *info);
        result = Value(ref);
        return DispStatus::Ok;
    }
    }
    return DispStatus::UnknownName;
}

std::string extensionKey(std::string_view ext) {
    if (!ext.empty() && ext[0] == '.') ext.remove_prefix(1);
    return lowerCase(ext);
}

} // namespace

// ---- registry

Registry::Registry() = default;
Registry::~Registry() = default;

ClassInfo& Registry::registerClass(std::string_view name, std::string_view parentName,
                                   ClassFactory factory) {
    auto it = classes_.find(name);
    if (it == classes_.end()) {
        auto info = std::make_unique<ClassInfo>();
        info->name = std::string(name);
        it = classes_.emplace(info->name, std::move(info)).first;
    }
    ClassInfo& info = *it->second;
    if (!parentName.empty()) {
        info.parentName = std::string(parentName);
        info.parent = findClass(parentName);
        if (!info.parent)
            throw std::invalid_argument("Parent class " + std::string(parentName) +
                                        " is not registered");
    }
    if (factory) info.factory = std::move(factory);
    lastClass_ = nullptr;
    return info;
}

MethodInfo& Registry::registerProc(std::string_view owner, std::string_view name, std::uint8_t kind,
                                   std::string_view declaration, NativeProc entry,
                                   std::uint8_t callingConvention) {
    ClassInfo* cls = &global_;
    if (!owner.empty()) {
        cls = findClass(owner);
        if (!cls) throw std::invalid_argument("Class " + std::string(owner) + " is not registered");
    }
    auto method = std::make_unique<MethodInfo>();
    method->name = std::string(name);
    method->ownerClass = std::string(owner);
    method->isMethod = !owner.empty();
    method->kind = kind;
    method->callingConvention = callingConvention;
    method->signature = Signature::parse(declaration);
    method->signature.variadic = kind == kKindVariadic;
    method->entry = std::move(entry);
    MethodInfo* raw = method.get();
    methods_.push_back(std::move(method));
    cls->methods[raw->name] = raw; // a later registration of the same name replaces the earlier
    return *raw;
}

MethodInfo& Registry::registerProc(std::string_view name, std::string_view declaration,
                                   NativeProc entry) {
    return registerProc({}, name, 0, declaration, std::move(entry));
}

MethodInfo& Registry::registerMethod(std::string_view className, std::string_view name,
                                     std::string_view declaration, NativeProc entry) {
    return registerProc(className, name, 0, declaration, std::move(entry));
}

PropertyInfo& Registry::registerProperty(std::string_view className, std::string_view name,
                                         PropertyGetter read, PropertySetter write,
                                         DeclaredType type, bool isDefault) {
    ClassInfo* cls = findClass(className);
    if (!cls) throw std::invalid_argument("Class " + std::string(className) + " is not registered");
    auto property = std::make_unique<PropertyInfo>();
    property->name = std::string(name);
    property->read = std::move(read);
    property->write = std::move(write);
    property->type = type;
    PropertyInfo* raw = property.get();
    properties_.push_back(std::move(property));
    cls->properties[raw->name] = raw;
    if (isDefault) cls->defaultProperty = raw;
    return *raw;
}

VarInfo& Registry::registerVar(std::string_view name, Value* address, DeclaredType type) {
    auto var = std::make_unique<VarInfo>();
    var->name = std::string(name);
    var->address = address;
    var->type = type;
    VarInfo* raw = var.get();
    vars_[raw->name] = std::move(var);
    return *raw;
}

void Registry::registerConst(std::string_view name, Value value) {
    consts_[std::string(name)] = std::move(value);
}

void Registry::registerScriptRunner(std::string_view className, std::string_view extension,
                                    std::string_view description, RunnerFactory factory) {
    for (auto& r : runners_)
        if (equalsNoCase(r->className, className)) {
            r->extension = extensionKey(extension);
            r->description = std::string(description);
            r->factory = std::move(factory);
            return;
        }
    auto info = std::make_unique<RunnerClassInfo>();
    info->className = std::string(className);
    info->extension = extensionKey(extension);
    info->description = std::string(description);
    info->factory = std::move(factory);
    runners_.push_back(std::move(info));
}

namespace {

struct Miss {
    const Registry* registry = nullptr;
    MissHandler handler;
    bool asking = false;
};

Miss& miss() {
    static Miss instance;
    return instance;
}

// Whether the handler of `registry` registered more after a lookup found nothing.
bool missed(const Registry* registry, std::string_view className, std::string_view name) {
    Miss& m = miss();
    if (m.registry != registry || !m.handler || m.asking) return false;
    m.asking = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m.asking};
    return m.handler(className, name);
}

} // namespace

bool missedFactory(const Registry& registry, std::string_view className) {
    return missed(&registry, className, {});
}

void setMissHandler(const Registry& registry, MissHandler handler) {
    miss().registry = handler ? &registry : nullptr;
    miss().handler = std::move(handler);
}

ClassInfo* Registry::findClass(std::string_view name) const {
    if (lastClass_ && equalsNoCase(lastClass_->name, name))
        return const_cast<ClassInfo*>(lastClass_);
    auto it = classes_.find(name);
    if (it == classes_.end()) {
        if (!missed(this, {}, name)) return nullptr;
        it = classes_.find(name);
        if (it == classes_.end()) return nullptr;
    }
    lastClass_ = it->second.get();
    return it->second.get();
}

MethodInfo* Registry::findProc(std::string_view name) const {
    auto it = global_.methods.find(name);
    if (it == global_.methods.end() && missed(this, {}, name)) it = global_.methods.find(name);
    return it == global_.methods.end() ? nullptr : it->second;
}

std::vector<std::string> Registry::globalNames() const {
    std::vector<std::string> names;
    for (const auto& entry : global_.methods)
        names.push_back(entry.first);
    for (const auto& entry : vars_)
        names.push_back(entry.first);
    for (const auto& entry : consts_)
        names.push_back(entry.first);
    for (const auto& entry : classes_)
        names.push_back(entry.first);
    return names;
}

MemberRef Registry::findMember(std::string_view className, std::string_view name) const {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const ClassInfo* first = findClass(className);
        for (const ClassInfo* cls = first; cls; cls = cls->parent) {
            if (auto m = cls->methods.find(name); m != cls->methods.end())
                return {m->second, nullptr};
            if (auto p = cls->properties.find(name); p != cls->properties.end())
                return {nullptr, p->second};
        }
        if (!first || !missed(this, className, name)) break;
    }
    return {};
}

const VarInfo* Registry::findVar(std::string_view name) const {
    auto it = vars_.find(name);
    if (it == vars_.end() && missed(this, {}, name)) it = vars_.find(name);
    return it == vars_.end() ? nullptr : it->second.get();
}

const Value* Registry::findConst(std::string_view name) const {
    auto it = consts_.find(name);
    if (it == consts_.end() && missed(this, {}, name)) it = consts_.find(name);
    return it == consts_.end() ? nullptr : &it->second;
}

const RunnerClassInfo* Registry::runnerForLanguage(std::string_view language) const {
    for (const auto& r : runners_)
        if (equalsNoCase(r->description, language)) return r.get();
    return nullptr;
}

const RunnerClassInfo* Registry::runnerForExtension(std::string_view extension) const {
    const std::string key = extensionKey(extension);
    for (const auto& r : runners_)
        if (r->extension == key) return r.get();
    return nullptr;
}

bool Registry::isClassOrDescendant(std::string_view className, std::string_view ancestor) const {
    for (const ClassInfo* cls = findClass(className); cls; cls = cls->parent)
        if (equalsNoCase(cls->name, ancestor)) return true;
    return false;
}

DispStatus Registry::call(const MethodInfo& method, NativeObject* self, std::span<Value> args,
                          Value& result, ExceptionInfo& error) const {
    const Signature& sig = method.signature;
    result = Value();
    if (!sig.variadic && (args.size() < sig.required || args.size() > sig.params.size()))
        return DispStatus::BadParamCount;
    if (args.size() > (sig.variadic ? 255u : kMaxParams)) return DispStatus::BadParamCount;
    if (method.direct && !sig.variadic) {
        // Over the arguments where they lie: `var` ones are changed in place, by-value ones of
        // another type convert into a scratch value.
        std::array<Value*, kMaxParams> pointers;
        for (std::size_t i = 0; i < args.size(); ++i)
            pointers[i] = &args[i];
        std::array<Value, 4> small;
        std::vector<Value> large;
        Value* scratch = small.data();
        if (args.size() > small.size()) {
            large.resize(args.size());
            scratch = large.data();
        }
        return callDirect(method, self, pointers.data(), args.size(), scratch, result, error);
    }
    try {
        if (sig.variadic) {
            method.entry(self, args, result);
        } else {
            // By-value arguments are converted copies, so the callee never changes the caller's
            // values; `var` ones are written back after the call.
            // Most routines take few arguments: those convert into a buffer on the stack.
            std::array<Value, 4> small;
            std::vector<Value> large;
            const std::size_t count = sig.params.size();
            std::span<Value> local(small.data(), count);
            if (count > small.size()) {
                large.resize(count);
                local = std::span<Value>(large);
            }
            for (std::size_t i = args.size(); i < count; ++i)
                local[i] = *sig.params[i].defaultValue;
            // A `var` argument moves in and back out rather than being copied twice, so a
            // routine that grows a long string in place stays linear.
            std::size_t converted = 0;
            std::uint32_t moved = 0; // bit i: args[i] was moved into local[i]
            try {
                for (; converted < args.size(); ++converted) {
                    const ParamSpec& param = sig.params[converted];
                    Value& arg = args[converted];
                    if (param.mode == ParamMode::Var && hasDeclaredType(arg, param.type)) {
                        local[converted] = std::move(arg);
                        moved |= 1u << converted;
                    } else if (hasDeclaredType(arg, param.type)) {
                        // Already the declared type: a plain copy, without a converted
                        // temporary in between.
                        local[converted] = arg;
                    } else {
                        local[converted] = convertToDeclared(arg, param.type);
                    }
                }
                method.entry(self, local, result);
            } catch (...) {
                // The caller's variables must survive a failed call.
                for (std::size_t i = 0; i < converted; ++i)
                    if (moved & (1u << i)) args[i] = std::move(local[i]);
                throw;
            }
            for (std::size_t i = 0; i < args.size(); ++i)
                if (sig.params[i].mode == ParamMode::Var) args[i] = std::move(local[i]);
        }
        // A result of the declared type already needs no converted copy.
        if (!sig.isFunction)
            result = Value();
        else if (!hasDeclaredType(result, sig.result))
            result = convertToDeclared(result, sig.result);
        return DispStatus::Ok;
    } catch (const ScriptException& e) {
        error.source = e.source();
        error.description = e.what();
        setRaisedException(exceptionClassOf(e), error.description);
    } catch (const std::exception& e) {
        error.description = e.what();
        setRaisedException(exceptionClassOf(e), error.description);
    }
    return DispStatus::Exception;
}

DispStatus Registry::callDirect(const MethodInfo& method, NativeObject* self, Value* const* args,
                                std::size_t argc, Value* scratch, Value& result,
                                ExceptionInfo& error) const {
    const Signature& sig = method.signature;
    try {
        const std::size_t count = sig.params.size();
        if (!scratch && argc == count) {
            // No scratch: the caller found every argument of its declared type already, and
            // none is left out. The pointers go to the routine as they are.
            method.direct(self, args, result);
            if (sig.isFunction && !hasDeclaredType(result, sig.result))
                result = convertToDeclared(result, sig.result);
            return DispStatus::Ok;
        }
        std::array<Value*, kMaxParams> typed;
        // Parameters left out take their defaults, which have the declared type and are only
        // read (a parameter with a default is never `var`).
        for (std::size_t i = argc; i < count; ++i)
            typed[i] = const_cast<Value*>(&*sig.params[i].defaultValue);
        for (std::size_t i = 0; i < argc; ++i) {
            const ParamSpec& param = sig.params[i];
            Value* arg = args[i];
            if (!hasDeclaredType(*arg, param.type)) [[unlikely]] {
                if (param.mode == ParamMode::Var) {
                    *arg = convertToDeclared(*arg, param.type);
                } else {
                    scratch[i] = convertToDeclared(*arg, param.type);
                    arg = &scratch[i];
                }
            }
            typed[i] = arg;
        }
        method.direct(self, typed.data(), result);
        if (sig.isFunction && !hasDeclaredType(result, sig.result))
            result = convertToDeclared(result, sig.result);
        return DispStatus::Ok;
    } catch (const ScriptException& e) {
        error.source = e.source();
        error.description = e.what();
        setRaisedException(exceptionClassOf(e), error.description);
    } catch (const std::exception& e) {
        error.description = e.what();
        setRaisedException(exceptionClassOf(e), error.description);
    }
    return DispStatus::Exception;
}

DispStatus Registry::getProperty(const PropertyInfo& property, NativeObject* self,
                                 std::span<Value> index, Value& result,
                                 ExceptionInfo& error) const {
    try {
        Value read = property.read(self, index);
        if (hasDeclaredType(read, property.type))
            result = std::move(read);
        else
            result = convertToDeclared(read, property.type);
        return DispStatus::Ok;
    } catch (const std::exception& e) {
        error.description = e.what();
        setRaisedException(exceptionClassOf(e), error.description);
        return DispStatus::Exception;
    }
}

DispStatus Registry::setProperty(const PropertyInfo& property, NativeObject* self,
                                 std::span<Value> index, const Value& value,
                                 ExceptionInfo& error) const {
    try {
        if (hasDeclaredType(value, property.type))
            property.write(self, index, value);
        else
            property.write(self, index, convertToDeclared(value, property.type));
        return DispStatus::Ok;
    } catch (const std::exception& e) {
        error.description = e.what();
        setRaisedException(exceptionClassOf(e), error.description);
        return DispStatus::Exception;
    }
}

DispStatus Registry::getPropertyDirect(const PropertyInfo& property, NativeObject* self,
                                       Value* const* index, Value& result,
                                       ExceptionInfo& error) const {
    try {
        property.directRead(self, index, result);
        if (!hasDeclaredType(result, property.type)) [[unlikely]]
            result = convertToDeclared(result, property.type);
        return DispStatus::Ok;
    } catch (const std::exception& e) {
        error.description = e.what();
        setRaisedException(exceptionClassOf(e), error.description);
        return DispStatus::Exception;
    }
}

DispStatus Registry::setPropertyDirect(const PropertyInfo& property, NativeObject* self,
                                       Value* const* index, const Value& value,
                                       ExceptionInfo& error) const {
    try {
        if (hasDeclaredType(value, property.type))
            property.directWrite(self, index, value);
        else
            property.directWrite(self, index, convertToDeclared(value, property.type));
        return DispStatus::Ok;
    } catch (const std::exception& e) {
        error.description = e.what();
        setRaisedException(exceptionClassOf(e), error.description);
        return DispStatus::Exception;
    }
}

ObjectRef Registry::globalScope() {
    if (!globalScope_) globalScope_ = std::make_shared<GlobalScope>(*this);
    return globalScope_;
}

DispId Registry::memberId(const MemberRef& member) {
    const void* key = member.method ? static_cast<const void*>(member.method) : member.property;
    if (auto it = memberIdIndex_.find(key); it != memberIdIndex_.end()) return it->second;
    memberIds_.push_back(member);
    const auto id = static_cast<DispId>(memberIds_.size() - 1);
    memberIdIndex_.emplace(key, id);
    return id;
}

MemberRef Registry::memberById(DispId id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= memberIds_.size()) return {};
    return memberIds_[static_cast<std::size_t>(id)];
}

Registry& registry() {
    // Lives to the end of the process without being taken down: freeing thousands of names one
    // by one at exit cost a short batch run a tenth of its time, and the routines it holds may
    // belong to a library that never unloads.
    static Registry* const instance = std::make_unique<Registry>().release();
    return *instance;
}

} // namespace vorlan::script
