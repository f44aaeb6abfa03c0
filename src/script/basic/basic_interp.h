#pragma once
// The tree-walking interpreter of the Basic dialect: runs a parsed module's main body, calls its
// procedures by name, and reaches registered names and named objects through dispatch.

#include "script/basic/basic_ast.h"
#include "script/basic/call_args.h"
#include "script/dispatch.h"
#include "script/registry.h"
#include "script/script_runner.h"

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace vorlan::script {
class CompWrapper;
}

namespace vorlan::script::basic {

// A run-time error of a script: the number and text it shows as Err.Number / Err.Description.
struct BasicError {
    std::int32_t number = 0;
    std::string description;
    std::string source;
    int line = -1;
    int column = -1;
};

[[noreturn]] void raise(std::int32_t number, std::string description = {});
// The standard text of a run-time error number.
std::string errorText(std::int32_t number);

// Built-in functions by name: an index, or -1.
int findBuiltin(std::string_view name);
Value callBuiltin(int index, std::span<Value> args);
// Built-in constants (vbCrLf, vbTextCompare ...); null when the name is none.
const Value* findBuiltinConst(std::string_view name);
// Strings longer than this fail as out of memory instead of exhausting it.
constexpr std::size_t kMaxStringLength = 16u << 20;

class ErrObject;
class ScriptObject;

// Where the integer fast path reads an operand from.
enum class OperandFrom : std::uint8_t {
    Fixed, // a literal or a module variable, by its pointer
    Local, // a slot of the running procedure
    Any    // anything else, the general way (a nested operation, a field)
};

class Interpreter {
public:
    // Reports a run-time error; true to continue with the next statement, false to stop.
    using ErrorSink = std::function<bool(const BasicError&)>;

    Interpreter(std::unique_ptr<Module> module, ErrorSink sink);
    ~Interpreter();

    // Runs the main body the first time it is asked; later calls do nothing.
    void runMain();
    bool hasProcedure(std::string_view name) const;
    // Calls a procedure with arguments from outside (missing ones are empty); ByRef parameters
    // write back into `args`. An unknown name answers empty.
    Value call(std::string_view name, std::span<Value> args);
    // The module's routines as the module dispatch finds and calls them.
    std::string findFunction(std::string_view name) const {
        return hasProcedure(name) ? std::string(name) : std::string();
    }
    Value callFunction(const std::string& name, std::span<Value> args) { return call(name, args); }
    std::vector<RoutineInfo> routines() const;
    void addNamedObject(const std::string& name, ObjectRef object, bool global);
    // Statements to run before a call stops as if the user had cancelled (0: no limit).
    void setStatementBudget(std::uint64_t budget) {
        budget_ = budget;
        attention_ = budget_ != 0 || !pendingTerminates_.empty();
    }

private:
    friend class ErrObject;
    friend class ScriptObject;
    friend class ProcRef;
    // Calls procedure `index` for a GetRef reference: inside a running call its errors reach the
    // caller's handling; from outside it is a call by name.
    Value callReference(int index, std::span<Value> args);
    // Arrays with more elements fail as out of memory instead of exhausting it.
    static constexpr std::size_t kMaxElements = 1u << 22;
    struct Frame;
    struct ProcInfo {
        Procedure* proc = nullptr;
        std::map<std::string, int, NoCaseLess> slots;
        std::size_t params = 0;    // the procedure's parameter count, at hand for every call
        std::size_t slotCount = 0; // slots a call needs: locals, and names learned since
    };
    // A member name of a script class: a field, or the routines that go by that name.
    struct ClassMember {
        std::string name;
        int field = -1;
        const ProcInfo* method = nullptr; // Sub or Function
        const ProcInfo* get = nullptr;
        const ProcInfo* let = nullptr;
        const ProcInfo* set = nullptr;
    };
    struct ClassRuntime {
        ClassDef* def = nullptr;
        std::deque<ProcInfo> procs;
        std::vector<ClassMember> members;
        std::map<std::string, int, NoCaseLess> memberIndex;
        const ProcInfo* initialize = nullptr;
        const ProcInfo* terminate = nullptr;
    };
    // Class_Terminate of objects released since; runs between statements, never inside one.
    void runTerminates();
    std::vector<std::shared_ptr<ScriptObject>> pendingTerminates_;
    bool closing_ = false;
    Value invokeObject(ScriptObject& object, int member, unsigned flags, std::span<Value> args);
    Value newObject(Expr& e);
    Value evalText(const std::string& text);
    Value procedureReference(const std::string& name);
    void executeText(const std::string& text, bool global);
    enum class Flow : std::uint8_t { Normal, ExitDo, ExitFor, ExitProc };
    struct Abort {};

    Flow execBlock(const Block& block);
    Flow step(Stmt& s); // one statement, its errors handled
    template <class Run> Flow guarded(Stmt& s, Run&& run);
    Flow branch(const Block& block); // a block that is mostly one statement: a branch, a loop body
    Flow exec(Stmt& s);
    void execAssign(Stmt& s);
    bool appendInPlace(Stmt& s); // s = s & x: true when done
    Flow execDo(Stmt& s);
    Flow execFor(Stmt& s);
    Flow execSelect(Stmt& s);
    Flow execForEach(Stmt& s);
    Flow execOther(Stmt& s);
    Value eval(Expr& e);
    Value evalName(Expr& e);
    Value evalMember(Expr& e);
    Value binary(Expr& e);
    Value binaryNotInteger(Expr& e); // after integerValue() has said no
    Value operand(Expr& e);          // an operand that is not read in place
    // The general operation, for anything but two integers.
    Value binaryValues(Op op, const Value& left, const Value& right);
    bool truth(Expr& e);
    bool truthOf(Expr& e); // after the integer comparison has said no
    // A literal's value or the variable a resolved plain name stands for; null for anything else.
    const Value* plainValue(const Expr& e);
    // Integer arithmetic and comparisons without building values (basic_integer.cpp).
    bool integerValue(const Expr& e, std::int32_t& out);
    bool integerLeaf(const Expr& e, std::int32_t& out);
    bool integerComparison(const Expr& e, bool& out);
    bool integerValueFirst(const Expr& e, std::int32_t& out); // before it has its routine
    bool integerComparisonFirst(const Expr& e, bool& out);
    bool integerFirst(const Expr& e, std::int32_t& out);
    template <OperandFrom kind> bool integerOperand(const Expr& e, std::int32_t& out);
    template <Op op, OperandFrom left, OperandFrom right>
    static bool integerNode(Interpreter& in, const Expr& e, std::int32_t& out);
    template <Op op>
    static Expr::IntegerRoutine integerRoutine(OperandFrom left, OperandFrom right);
    static Expr::IntegerRoutine integerRoutineFor(const Expr& e);

    // Finds what a name means the first time it is evaluated and caches it in the node.
    void resolve(Expr& e, bool forWrite);
    void lookUp(Expr& e, bool forWrite);
    Value* variable(Expr& e, bool create);   // the slot of a plain variable name, or null
    Value* variableOf(Expr& e, bool create); // the same once the quick ways have said no
    void assign(Expr& target, Value value, bool isSet);
    Value* declare(const std::string& name);
    void dim(const DimItem& item, bool redim, bool preserve);
    // From the script the arguments are expressions, from outside values.
    Value callProcedure(const ProcInfo& info, const std::vector<ExprPtr>* argExprs,
                        std::span<Value> outside, ScriptObject* self = nullptr);
    static void growFrame(Frame& frame, std::size_t count);
    static void bindOutside(Frame& frame, const Procedure& p, std::span<Value> outside);
    Value scalar(const Value& v); // an object's default value where a plain value is needed
    void checkStack() {
        // Deeply nested blocks in deep recursion: stop well before the thread's stack ends.
        constexpr std::ptrdiff_t kStackLimit = 2 << 20;
        const auto* here = static_cast<const char*>(__builtin_frame_address(0));
        if (stackBase_ && std::abs(stackBase_ - here) > kStackLimit) raise(28);
    }
    void evalArgs(Expr& e, CallArgs& args);
    // ByRef arguments that were variables take what the callee left in the arguments.
    void writeBack(CallArgs& args);
    Value invokeHost(Dispatch& host, DispId id, unsigned flags, std::span<Value> args,
                     const std::string& name);
    // A registered routine through its direct entry over the arguments; false when the call
    // must take the general way (an argument count it does not take).
    bool callRegistered(const MethodInfo& method, CallArgs& args, const std::string& name,
                        Value& result);
    // A registered routine or method whose call site reads its arguments in place (see
    // Expr::argsInPlace); `object` is the wrapper of a method's object, null for a routine.
    Value callInPlace(Expr& e, CompWrapper* object);
    // Whether a call site of `method` may read its arguments in place, once they are resolved.
    static bool argumentsInPlace(const Expr& e, const MethodInfo& method);
    // Remembers the registered method or property a member call reached on a native object, for
    // the quick ways of the next call on that object.
    static void rememberMember(Expr& e, const ObjectRef& object, std::size_t argc);
    // Whether a call's arguments may be read where they lie (see argumentsInPlace).
    static bool argumentsReadInPlace(const Expr& e);
    // A remembered property read through its direct getter, the indexes read in place.
    Value readInPlace(Expr& e, CompWrapper& object);
    // The same for a property written (`o.P(i) = v`): what the put at `e` reached, and the
    // remembered setter's direct entry.
    static void rememberPut(Expr& e, const ObjectRef& object, std::size_t argc);
    void writeInPlace(Expr& e, CompWrapper& object, const Value& value);
    // A member call on the object rememberMember saw last, by the way it found.
    Value callMember(Expr& e, const ObjectRef& object);
    static bool remembered(const Expr& e, const ObjectRef& object) {
        return (e.direct || e.property) && !e.cachedTarget.owner_before(object) &&
               !object.owner_before(e.cachedTarget);
    }
    // The Basic error of a failed call.
    [[noreturn]] void throwCallFailure(DispStatus status, const ExceptionInfo& error,
                                       const std::string& name);
    Value invokeMember(Dispatch& host, Expr& e, unsigned flags, std::span<Value> args);
    Value invokeDefault(const Value& object, std::span<Value> args, const Value* put);
    Value indexArray(const Value& array, std::span<Value> idx);
    Value& elementOf(Value& array, std::span<Value> idx);
    void tick() {
        if (budget_ && ++steps_ > budget_) throw Abort{};
    }
    void charge(std::size_t units);
    bool callerResumes() const;
    Flow handleError(BasicError& e, Stmt& s);

    std::unique_ptr<Module> module_;
    ErrorSink sink_;
    std::vector<ProcInfo> procs_;
    std::map<std::string, int, NoCaseLess> procIndex_;
    std::deque<Value> globals_;
    std::map<std::string, int, NoCaseLess> globalIndex_;
    std::vector<ObjectRef> globalHosts_; // named objects whose members are global names
    ObjectRef globalScope_;
    std::shared_ptr<ErrObject> err_;
    // The running procedure's frame, null at module level; each frame knows its caller's.
    Frame* top_ = nullptr;
    std::size_t depth_ = 0; // frames in that chain
    // While it lives, code runs at module level, outside every running procedure: ExecuteGlobal
    // and the field sizes of New.
    class ModuleLevel {
    public:
        ModuleLevel(Interpreter& in, bool active);
        ModuleLevel(const ModuleLevel&) = delete;
        ModuleLevel& operator=(const ModuleLevel&) = delete;
        ~ModuleLevel();

    private:
        Interpreter& in_;
        Frame* savedTop_ = nullptr;
        std::size_t savedDepth_ = 0;
        bool active_;
    };
    // Frames by call depth, kept for the next call at that depth. `framesInUse_` also counts
    // the frames a module-level run (New, ExecuteGlobal) has set aside.
    std::vector<std::unique_ptr<Frame>> framePool_;
    std::size_t framesInUse_ = 0;
    static constexpr std::size_t kMaxFrames = 4096;
    std::vector<Value> withObjects_;
    std::vector<ClassRuntime> classes_;
    // Objects the script made; their fields are cleared at the end so that objects referring to
    // each other do not outlive the module.
    std::vector<std::weak_ptr<ScriptObject>> objects_;
    std::shared_ptr<char> alive_ = std::make_shared<char>(0); // watched by script objects
    bool topResumeNext_ = false;
    bool mainDone_ = false;
    bool inMain_ = false; // the main body is running
    // Script code is running: a member of a script object called now is called by the script.
    bool running() const { return inMain_ || top_; }
    std::uint64_t budget_ = 0;
    // Work between statements besides running them: a budget to count, Class_Terminate due.
    // Statements test this one flag when there is none.
    bool attention_ = false;
    std::uint64_t steps_ = 0;
    const char* stackBase_ = nullptr;
};

} // namespace vorlan::script::basic
