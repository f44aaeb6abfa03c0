#pragma once
// The process-wide registry of everything scripts may call: global procedures, classes with
// their methods and properties, global variables, constants and script runners.
// Units register once at start-up (registerXxx(Registry&) called from the application); nothing
// is ever unregistered. Names are case-insensitive.

#include "script/dispatch.h"
#include "script/native_object.h"
#include "script/value.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::script {

class Component;
class Scripter;
class ScriptRunner;

// Declared types of parameters and results; the registry converts script values to them.
enum class DeclaredType : std::uint8_t {
    Variant,
    Integer,  // 32-bit signed
    Smallint, // 16-bit signed
    Shortint, // 8-bit signed
    Word,     // 16-bit unsigned
    Byte,     // 8-bit unsigned: keeps the low 8 bits
    Cardinal, // 32-bit unsigned
    Int64,
    Boolean,
    Char,
    String,
    Double,
    Extended,
    Single,
    Real, // 6-byte real: about 12 digits, 2.9E-39 .. 1.7E38
    Currency,
    DateTime,
    Object, // a class
    Pointer,
    Enum,
    Set,
    None, // no result: a procedure
};

enum class ParamMode : std::uint8_t { Value, Var, Const };

struct ParamSpec {
    std::string name;
    ParamMode mode = ParamMode::Value;
    DeclaredType type = DeclaredType::Variant;
    std::string typeName;
    // `Digits: Integer = 2`: a call may leave the parameter out; it then gets this value (of
    // the declared type). Only by-value parameters at the end of the list may have one.
    std::optional<Value> defaultValue;
};

// A declared procedure type such as "function(x: Real; var s: string): Integer".
struct Signature {
    bool isFunction = false;
    std::vector<ParamSpec> params;
    DeclaredType result = DeclaredType::None;
    std::string resultTypeName;
    // Takes any number of arguments (kind byte 5): they pass unconverted.
    bool variadic = false;
    // The arguments a call must give: the parameters before the first one with a default.
    std::size_t required = 0;

    // Parses the declared text; throws std::invalid_argument on a malformed declaration.
    static Signature parse(std::string_view declaration);
};

constexpr std::size_t kMaxParams = 32;
// Kind byte of a routine that takes a variable number of arguments.
constexpr std::uint8_t kKindVariadic = 5;

// A native routine: `self` is null for global procedures. Arguments arrive converted to their
// declared types; a `var` argument written by the routine goes back to the caller.
using NativeProc = std::function<void(NativeObject* self, std::span<Value> args, Value& result)>;
// The same routine over the caller's own storage (built by the binder for every checked binding):
// `args[i]` points at argument i where the caller keeps it, already of its declared type.
// By-value arguments are only read (texts as views where the C++ side takes a view); `var` ones
// are changed in place. No argument vector is built and nothing is written back afterwards.
using DirectProc = std::function<void(NativeObject* self, Value* const* args, Value& result)>;

struct MethodInfo {
    std::string name;
    std::string ownerClass; // empty for global procedures
    bool isMethod = false;
    std::uint8_t kind = 0;
    std::uint8_t callingConvention = 0;
    Signature signature;
    NativeProc entry;
    DirectProc direct; // empty for raw and variadic routines
    // A method that needs no object (an engine-wide setting): callable on the class name itself,
    // `TDataTable.SetCentury(True)`, with a null self.
    bool classLevel = false;
};

// Property accessors; `index` holds the arguments of an indexed property (Items[i]).
using PropertyGetter = std::function<Value(NativeObject* self, std::span<const Value> index)>;
using PropertySetter =
    std::function<void(NativeObject* self, std::span<const Value> index, const Value& value)>;

// The same accessors over the caller's storage (built by the binder): `index[i]` points at index
// argument i where the caller keeps it (of any type; it is only read), the getter stores into
// `result`, the setter's new value is of the property's type already. No index vector is built.
using DirectGetter = std::function<void(NativeObject* self, Value* const* index, Value& result)>;
using DirectSetter =
    std::function<void(NativeObject* self, Value* const* index, const Value& value)>;

struct PropertyInfo {
    std::string name;
    PropertyGetter read;
    PropertySetter write;
    // Set for bound accessors (then `read` and `write` go through them); empty for raw ones.
    DirectGetter directRead;
    DirectSetter directWrite;
    DeclaredType type = DeclaredType::Variant;
    // How many index arguments the accessors take; -1 when not known (raw accessors take what
    // they are given). Index arguments given to a property known to take none go to the default
    // property of its value: `Grid.Columns[0]` is `Grid.Columns.Items[0]`.
    int indexCount = -1;
};

struct VarInfo {
    std::string name;
    Value* address = nullptr;
    DeclaredType type = DeclaredType::Variant;
};

using ClassFactory = std::function<std::unique_ptr<NativeObject>(Component* owner)>;

struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

struct ClassInfo {
    std::string name;
    std::string parentName;
    ClassInfo* parent = nullptr;
    ClassFactory factory; // empty: scripts cannot create it
    std::map<std::string, MethodInfo*, NoCaseLess> methods;
    std::map<std::string, PropertyInfo*, NoCaseLess> properties;
    PropertyInfo* defaultProperty = nullptr;
};

using RunnerFactory = std::function<std::unique_ptr<ScriptRunner>(Scripter& scripter)>;

struct RunnerClassInfo {
    std::string className;   // "TPascalRunner"
    std::string extension;   // "zlm"
    std::string description; // "ZelmoranScript"
    RunnerFactory factory;
};

// A member found by name: what the dispatch identifiers of registered members stand for.
struct MemberRef {
    MethodInfo* method = nullptr;
    PropertyInfo* property = nullptr;
};

class Registry {
public:
    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Registration. A class named in `owner` must be registered first (registerClass).
    MethodInfo& registerProc(std::string_view owner, std::string_view name, std::uint8_t kind,
                             std::string_view declaration, NativeProc entry,
                             std::uint8_t callingConvention = 0);
    // Global procedure shorthand.
    MethodInfo& registerProc(std::string_view name, std::string_view declaration, NativeProc entry);
    MethodInfo& registerMethod(std::string_view className, std::string_view name,
                               std::string_view declaration, NativeProc entry);
    PropertyInfo& registerProperty(std::string_view className, std::string_view name,
                                   PropertyGetter read, PropertySetter write,
                                   DeclaredType type = DeclaredType::Variant,
                                   bool isDefault = false);
    VarInfo& registerVar(std::string_view name, Value* address,
                         DeclaredType type = DeclaredType::Variant);
    void registerConst(std::string_view name, Value value);
    ClassInfo& registerClass(std::string_view name, std::string_view parentName = {},
                             ClassFactory factory = {});
    void registerScriptRunner(std::string_view className, std::string_view extension,
                              std::string_view description, RunnerFactory factory);

    // Lookups (case-insensitive).
    ClassInfo* findClass(std::string_view name) const;
    MethodInfo* findProc(std::string_view name) const; // global procedures
    // A member of a class or of its ancestors.
    MemberRef findMember(std::string_view className, std::string_view name) const;
    const VarInfo* findVar(std::string_view name) const;
    const Value* findConst(std::string_view name) const;
    const RunnerClassInfo* runnerForLanguage(std::string_view language) const;
    const RunnerClassInfo* runnerForExtension(std::string_view extension) const;
    const std::vector<std::unique_ptr<RunnerClassInfo>>& runners() const { return runners_; }
    bool isClassOrDescendant(std::string_view className, std::string_view ancestor) const;
    // Every global name: procedures, variables, constants and classes (for listings and checks).
    std::vector<std::string> globalNames() const;

    // Calls a registered routine: converts the arguments to their declared types, calls, writes
    // `var` arguments back and converts the result. Native exceptions become DispStatus::Exception.
    DispStatus call(const MethodInfo& method, NativeObject* self, std::span<Value> args,
                    Value& result, ExceptionInfo& error) const;
    // The quick call over the caller's storage: `argc` arguments, checked by the caller to lie
    // between signature.required and the parameter count; the method has a direct entry. A
    // by-value argument not of its declared type is converted into scratch[i], a `var` one is
    // converted where it lies. The caller makes sure that no storage is passed twice when the
    // routine has `var` parameters. Same results and errors as call().
    DispStatus callDirect(const MethodInfo& method, NativeObject* self, Value* const* args,
                          std::size_t argc, Value* scratch, Value& result,
                          ExceptionInfo& error) const;
    DispStatus getProperty(const PropertyInfo& property, NativeObject* self, std::span<Value> index,
                           Value& result, ExceptionInfo& error) const;
    DispStatus setProperty(const PropertyInfo& property, NativeObject* self, std::span<Value> index,
                           const Value& value, ExceptionInfo& error) const;
    // The quick property access over the caller's storage: the accessor is a direct one and
    // the caller has checked that it passes exactly `property.indexCount` index arguments. The
    // getter writes into `result` only once it has read the value. Same results and errors as
    // getProperty() and setProperty().
    DispStatus getPropertyDirect(const PropertyInfo& property, NativeObject* self,
                                 Value* const* index, Value& result, ExceptionInfo& error) const;
    DispStatus setPropertyDirect(const PropertyInfo& property, NativeObject* self,
                                 Value* const* index, const Value& value,
                                 ExceptionInfo& error) const;

    // The global scope as a dispatch object: procedures, variables, constants and class names
    // (a class name answers a class reference whose Create makes an instance).
    ObjectRef globalScope();

    // Member identifiers shared by every dispatch wrapper: stable for the life of the process.
    DispId memberId(const MemberRef& member);
    MemberRef memberById(DispId id) const;

private:
    std::map<std::string, std::unique_ptr<ClassInfo>, NoCaseLess> classes_;
    ClassInfo global_;
    std::vector<std::unique_ptr<MethodInfo>> methods_;
    std::vector<std::unique_ptr<PropertyInfo>> properties_;
    std::map<std::string, std::unique_ptr<VarInfo>, NoCaseLess> vars_;
    std::map<std::string, Value, NoCaseLess> consts_;
    std::vector<std::unique_ptr<RunnerClassInfo>> runners_;
    std::vector<MemberRef> memberIds_;
    std::map<const void*, DispId> memberIdIndex_;
    mutable const ClassInfo* lastClass_ = nullptr; // one-entry cache of the last class asked for
    ObjectRef globalScope_;
};

// The process-wide registry.
Registry& registry();

// Converts a value to a declared type (the per-parameter conversion of registered calls).
Value convertToDeclared(const Value& value, DeclaredType type);
// True when a value passes as the declared type without a conversion.
inline bool hasDeclaredType(const Value& v, DeclaredType type) {
    switch (type) {
    case DeclaredType::Variant:
    case DeclaredType::None:
    case DeclaredType::Pointer:
        return true;
    case DeclaredType::Integer:
    case DeclaredType::Enum:
    case DeclaredType::Set:
        return v.isInteger();
    case DeclaredType::String:
        return v.isString();
    case DeclaredType::Double:
    case DeclaredType::Extended:
        return v.isDouble();
    case DeclaredType::Boolean:
        return v.isBoolean();
    default:
        return false;
    }
}
// The 6-byte real's precision and range applied to a double; throws ValueError on overflow.
double passThroughReal48(double d);
// Declared type of a type name ("Integer", "string", "TObject" -> Object ...).
DeclaredType declaredTypeOf(std::string_view typeName);

} // namespace vorlan::script
