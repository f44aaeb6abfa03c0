#pragma once
// One Duktape heap and the bridge between it and the system: values, wrapped native objects,
// registered names, and calls in both directions. Every entry into the heap from outside runs
// under a protected call, so no script error and no engine failure can end the process.

#include "script/dispatch.h"
#include "script/value.h"

#include <csetjmp>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

struct duk_hthread;

namespace vorlan::script {
struct MethodInfo;
}

namespace vorlan::script::js {

class JsEngine;
struct RoutineLocals;

// How a member of a native object reads from the script.
enum class MemberKind : std::uint8_t {
    Method,   // a function value; calling it invokes the method
    Property, // read and written as a value
    Indexed,  // a property that needs arguments: a function value that reads it with them
};

// A native object as the script sees it: one per dispatch interface, kept for the heap's life so
// that the same object always has the same script identity.
struct HostObject {
    JsEngine* engine = nullptr;
    ObjectRef dispatch;
    enum class Kind : std::uint8_t { Wrapper, GlobalScope, Other } kind = Kind::Other;
    struct Member {
        DispId id = kUnknownDispId;
        MemberKind kind = MemberKind::Method;
    };
    std::unordered_map<std::string, Member> members; // by Windows-1250 name as written
    // The functions the get trap answered for method names, by the address of the name's
    // interned string; the target's method table keeps both alive.
    std::unordered_map<void*, void*> methods;
    void* proxy = nullptr;
};

// What a native function made by the bridge stands for.
struct Binding {
    HostObject* host = nullptr;
    DispId id = kUnknownDispId;
    MemberKind kind = MemberKind::Method;
    std::string name;
    // A registered routine or method called through its direct entry over the converted
    // arguments; null when calls go through the dispatch interface.
    const MethodInfo* direct = nullptr;
    int magic = 0; // what the bridge's native functions for it carry (see bindingByMagic)
};

class JsEngine {
public:
    // Hands an error to the module's handler; true when the user chose to continue.
    using Reporter = std::function<bool(int line, int position, const ExceptionInfo& info)>;

    explicit JsEngine(Reporter reporter, std::size_t heapLimit = 0);
    ~JsEngine();
    JsEngine(const JsEngine&) = delete;
    JsEngine& operator=(const JsEngine&) = delete;

    bool usable() const { return ctx_ != nullptr && !dead_; }
    // Set when the user cancelled after an error of the main body: no further script runs.
    bool stopped() const { return stopped_; }

    // Compiles the module text (Windows-1250) after binding the outside names it uses; a syntax
    // error is reported and gives false.
    bool compile(const std::string& text);
    // Runs the compiled top-level code once.
    void runMain();
    // The exact name of a global script function matching `name` (exactly, else ignoring case);
    // empty when there is none.
    std::string findFunction(std::string_view name);
    // Calls a global script function; errors are reported, the result then stays empty.
    Value callFunction(const std::string& exactName, std::span<Value> args);
    void addNamedObject(const std::string& name, const ObjectRef& object, bool global);
    std::vector<std::string> scriptFunctions();

    // ---- used by the native callbacks
    void pushValue(duk_hthread* ctx, const Value& value);
    Value toValue(duk_hthread* ctx, int index, int depth = 0);
    void pushHost(duk_hthread* ctx, const ObjectRef& object);
    HostObject* hostOfProxy(void* heapPtr) const;
    // Resolves a member of a native object by name (cached); false when it has none.
    bool resolveMember(HostObject& host, const std::string& name, HostObject::Member& out);
    // Invokes a member; on failure pushes an Error for the script and answers false, otherwise
    // pushes the result (when `pushResult`) and answers true.
    bool invokeMember(duk_hthread* ctx, HostObject& host, DispId id, unsigned flags,
                      std::span<Value> args, const std::string& name, bool pushResult);
    Binding* makeBinding(HostObject* host, DispId id, MemberKind kind, const std::string& name);
    // A call of a binding with a direct entry over the `count` arguments on the engine's stack:
    // pushes its result (true) or an Error (false); empty when the call must take the general
    // way (an argument count the routine does not take, a freed object).
    std::optional<bool> callDirect(duk_hthread* ctx, const Binding& binding, int count);
    // Native functions made by the bridge carry their binding (or a proxy target its host) as a
    // magic number: one more than its place in the engine's lists, 0 for none.
    Binding* bindingByMagic(int magic) const;
    HostObject* hostByMagic(int magic) const;
    void tagBinding(duk_hthread* ctx, Binding* binding);
    void pushBoundFunction(duk_hthread* ctx, Binding* binding);
    // An indexed property (`Values`, `Strings`): a function that reads it (`s.Values("a")`),
    // wrapped so that `s.Values["a"]` reads and `s.Values["a"] = v` writes it too.
    void pushIndexedProperty(duk_hthread* ctx, Binding* binding);
    // Reads the default property of a native object with the given index arguments.
    bool invokeDefault(duk_hthread* ctx, HostObject& host, std::span<Value> args, bool put);

    std::jmp_buf* fatalJump = nullptr;
    std::size_t heapUsed = 0;
    std::size_t heapLimit = 0;

private:
    struct ErrorDetails {
        std::string description; // Windows-1250
        int line = 0;            // from 1; 0 when unknown
    };
    template <class F> bool guarded(F& body);
    void takeError(duk_hthread* ctx, ErrorDetails& out);
    bool reportScriptError(const ErrorDetails& details, bool compilation);
    // Binds a free name of the module; true when it became a function of the system.
    bool bindName(duk_hthread* ctx, const std::string& name);
    bool bindFromObject(duk_hthread* ctx, HostObject& host, const std::string& name,
                        const std::string& jsName, bool* routine);
    void defineRoutineHolder(duk_hthread* ctx, const RoutineLocals& locals);
    void definePrelude();

    Reporter reporter_;
    duk_hthread* ctx_ = nullptr;
    bool dead_ = false;
    bool stopped_ = false;
    std::vector<std::string> sourceLines_; // of the module, to place errors on their line
    bool mainPending_ = false;
    std::unordered_map<const Dispatch*, std::unique_ptr<HostObject>> hosts_;
    std::unordered_map<void*, HostObject*> hostByProxy_;
    std::vector<std::unique_ptr<Binding>> bindings_;
    std::vector<HostObject*> hostList_; // by magic number
    static constexpr std::size_t kMaxMagic = 32767;
    std::vector<HostObject*> globalObjects_;
    // Names the module uses that nothing answered yet: a global object added later may.
    std::set<std::string> unbound_;
    // Where functions of the module read their local copies of routines, and which those are.
    void* routineHolder_ = nullptr;
    std::set<std::string> routineCopies_;
    void* handler_ = nullptr;
    void* indexedHandler_ = nullptr;
    void* safeArrayProto_ = nullptr;
    void* vbArrayProto_ = nullptr;
    void* dateCtor_ = nullptr;
    void* dateProto_ = nullptr;
    void* getTime_ = nullptr;
    int hostCount_ = 0;
};

} // namespace vorlan::script::js
