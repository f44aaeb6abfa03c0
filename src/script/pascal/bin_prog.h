#pragma once
// TBinProg: a compiled module (code array, constants, label table and a fixed bank of variant
// slots) and the small machine that runs it. Operands are slot numbers; every call out of the
// program goes by name through the dispatch interface.

#include "script/dispatch.h"
#include "script/value.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vorlan::script::pascal {

enum Op : std::int32_t {
    OpAdd = 0,
    OpSubtract = 1,
    OpMultiply = 2,
    OpIntDivide = 3,
    OpModulo = 4,
    OpDivide = 5,
    OpShl = 6,
    OpShr = 7,
    OpNot = 8,
    OpOr = 9,
    OpXor = 10,
    OpAnd = 11,
    OpGreaterEqual = 12,
    OpEqual = 13,
    OpLessEqual = 14,
    OpNotEqual = 15,
    OpGreater = 16,
    OpLess = 17,
    OpNegate = 18,
    OpJump = 19,
    OpJumpIfFalse = 20,
    OpLoadConst = 23,
    OpEndProgram = 26,
    OpIncrement = 29,
    OpDecrement = 30,
    OpMove = 48,
    OpCallLabel = 49,
    OpReturn = 50,
    OpNewArray = 51,
    OpSetElement = 52,
    OpCallName = 53,
    OpCallMember = 54,
    OpPopObject = 55,
    OpPutMember = 56,
    OpPushObject = 57,
    OpPushHandler = 58,
    OpRaise = 59,
    OpCharAt = 60,
    OpPopHandler = 61,
    // The exception a handler deals with (its handler was pushed by op 58 and has taken over).
    OpExceptionObject = 62, // slot A := the exception's object (made on first use)
    OpExceptionIs = 63,     // slot A := the exception is of the class named by constant B
    OpEndExcept = 64,       // the handler has finished: its exception is done with
    // try … finally: op 58 with B = 1 pushes the handler of the exceptional way through the
    // finally part, which every way out of the protected part calls with op 49.
    OpLeaveFinally = 65, // leaves the finally part called last (Exit, Break out of it)
    // The X:W:D and X:W arguments of Write and Writeln.
    OpWriteFixed = 66, // slot A := its number as text with slot B decimals
    OpWriteWidth = 67, // slot A := its text padded to slot B characters
};

// One word of code: an instruction, or three operands of the call before it (in A, B, Op).
struct Instruction {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t op = 0;
    std::int32_t line = 0;   // from 0; for error reports only
    std::int32_t column = 0; // from 0
};

constexpr int kSlotCount = 2049;
constexpr int kReturnStackSize = 1001;
constexpr int kMaxCallArguments = 101;

// A routine of the module as the runner and the machine see it.
struct Routine {
    std::string name;
    std::vector<std::string> aliases; // further names it answers to ("TForm1.Button1Click")
    std::int32_t entryLabel = -1;
    std::vector<std::int32_t> paramSlots;
    std::vector<bool> varParams;
    std::int32_t resultSlot = -1; // -1: a procedure
    // Every slot the routine owns (parameters, result, locals and temporaries) lies in
    // [firstSlot, endSlot): what is saved when the routine is entered while it is active.
    std::int32_t firstSlot = 0;
    std::int32_t endSlot = 0;
};

// A variable of the module's main level, reachable by name from other modules.
struct GlobalVariable {
    std::string name;
    std::int32_t slot = 0;
};

// What the machine needs from the runner that owns it.
class MachineHost {
public:
    virtual ~MachineHost() = default;
    // The scope in which op 53 resolves names. Its identifiers 0 .. routines().size()-1 must be
    // the module's own routines, in order: those calls run inside the machine.
    virtual Dispatch& scope() = 0;
    // A run error with the position of the failing instruction; true when the user chose to
    // continue.
    virtual bool runError(int line, int column, const ExceptionInfo& info) = 0;
    // Whether a call of `id` on `target` may hand values back through its arguments (`var`
    // parameters). Arguments of calls that cannot are not copied back into their slots, so a
    // variable changed by a callback during the call keeps that change.
    virtual bool writesArguments(Dispatch& target, DispId id) {
        (void)target;
        (void)id;
        return true;
    }
};

class BinProg {
public:
    BinProg();
    ~BinProg();
    BinProg(const BinProg&) = delete;
    BinProg& operator=(const BinProg&) = delete;

    // ---- the program (filled by the compiler's linker)
    std::vector<Instruction> code;
    std::vector<Value> constants;
    std::vector<std::int32_t> labels; // label number -> code index
    std::vector<Routine> routines;
    std::vector<GlobalVariable> globals;
    std::vector<std::string> usedUnits;
    // Prepares the machine for this program: the slots take their initial values.
    void load(std::vector<Value> initialSlots);
    // The code as text, one word per line (for looking at what the compiler made).
    std::string listing() const;

    // ---- running
    // Runs the main program (code index 0).
    void runMain(MachineHost& host);
    // Calls a routine from outside: the arguments go into its parameter slots, `var` parameters
    // come back into `args` and the result into `result`. False when the run ended with an
    // error (already reported) or was stopped.
    bool callRoutine(MachineHost& host, std::size_t routine, std::span<Value> args, Value& result);
    // Ends the current run after the instruction being executed.
    void stop() { stop_ = true; }
    bool stopped() const { return stop_; }
    // Limits the work of later runs: every jump and call spends one step; when the steps are
    // spent the run stops as if stop() had been called. Negative: no limit.
    void setStepBudget(std::int64_t steps) {
        budget_ = steps < 0 ? std::numeric_limits<std::int64_t>::max() : steps;
    }
    bool budgetExhausted() const { return budget_ <= 0; }

    Value& slot(int n) { return slots_[static_cast<std::size_t>(n)]; }
    const Value& slot(int n) const { return slots_[static_cast<std::size_t>(n)]; }
    std::size_t returnDepth() const { return frames_.size(); }
    const std::string& exceptionMessage() const { return exceptionMessage_; }

private:
    struct Frame {
        std::int32_t returnPc = -1;
        std::int32_t callPc = -1;   // the op 53 that made the call; -1 for op 49 and outside calls
        std::int32_t routine = -1;  // -1 for op 49
        std::int32_t saveBase = -1; // where the routine's saved slots start in saved_; -1: none
        bool external = false;
    };
    struct Handler {
        std::int32_t pc;
        std::uint32_t frames;
        std::uint32_t objects;
        std::uint32_t handling; // exceptions being handled when it was pushed
        bool finallyPart;
    };
    // An exception on its way to a handler, or being dealt with by one.
    struct Handling {
        std::string className;
        std::string message;
        std::string source;
        ObjectRef object;       // the raised object; made on first use otherwise
        std::int32_t line = -1; // where it was raised, for the error box when nothing catches it
        std::int32_t column = 0;
        std::uint32_t frames = 0; // call depth of the handler
        bool finallyPart = false; // taken over by the exceptional way through a finally part
    };
    struct CallCache {
        std::weak_ptr<Dispatch> target; // op 54 and 56: the receiver the id belongs to
        DispId id = kUnknownDispId;
        bool resolved = false;
        bool writeBack = true;
        // The call's operands read once at load: where its name and argument slots start in
        // callOperands_ (-1: not read), and the code index after them.
        std::int32_t operands = -1;
        std::int32_t next = 0;
    };
    enum class RunEnd { Returned, Ended, Failed };
    using ArgBuffer = std::array<Value, kMaxCallArguments>;

    // Runs from `pc` until the program ends or the frame above `baseFrames` returns.
    RunEnd execute(MachineHost& host, std::int32_t pc, std::size_t baseFrames);
    // Enters a routine: saves its slots when it is active, fills its parameters, pushes a frame.
    void enterRoutine(std::size_t routine, std::span<Value> args, bool moveArgs,
                      std::int32_t returnPc, std::int32_t callPc, bool external);
    // Enters a routine of the module from op 53: the arguments are copied from their slots
    // into the parameters (from the kept-aside slots when the routine is running already).
    void callOwnRoutine(std::size_t routine, const std::int32_t* argSlots, std::size_t argc,
                        std::int32_t returnPc, std::int32_t callPc);
    // Leaves the routine of the top frame: its result and `var` parameters go to returned_,
    // its saved slots come back.
    Frame leaveRoutine();
    // Moves the routine's slots onto the saved stack (the slots keep moved-from values), and
    // back from the saved stack entry at `base`.
    std::int32_t saveSlots(const Routine& r);
    void restoreSlots(const Routine& r, std::int32_t base);
    void unwindTo(std::size_t frames);
    std::int32_t opCallName(MachineHost& host, const Instruction& in, std::int32_t at,
                            std::int32_t pc, ArgBuffer& buffer);
    std::int32_t opCallMember(MachineHost& host, const Instruction& in, std::int32_t at,
                              std::int32_t pc, ArgBuffer& buffer);
    std::int32_t opReturn(std::size_t baseFrames);
    void decode();
    // Reports a call that failed: raised as a script exception when a handler is active,
    // otherwise handed to the host's error handler.
    void failedCall(MachineHost& host, const Instruction& call, DispStatus status,
                    const ExceptionInfo& error, std::string_view name);
    // `raise X` and `raise;`: fill pending_ and throw.
    [[noreturn]] void raise(const Instruction& in, std::int32_t slot);
    // The handler `h` takes over the exception `e`, thrown by the instruction at `at`.
    void takeOver(const Handler& h, const std::exception& e, std::int32_t at);
    // Ends the handling of the exceptions above `depth`; an object that is `keep` stays alive.
    void dropHandling(std::size_t depth, const ObjectRef& keep = nullptr);
    void opLeaveFinally();

    std::array<Value, kSlotCount> slots_;
    bool stop_ = false;
    std::vector<ObjectRef> objects_;
    std::vector<Handler> handlers_;
    std::vector<Frame> frames_;
    // The slots of the outer activations of routines that are running more than once, as a
    // stack: entries below savedTop_ are in use; those above keep moved-from values so that
    // a recursive call neither allocates nor destroys.
    std::vector<Value> saved_;
    std::size_t savedTop_ = 0;
    std::vector<bool> hasVarParams_; // per routine
    std::vector<std::int32_t> active_;
    std::vector<CallCache> callCache_;
    std::vector<std::int32_t> callOperands_;
    // What the machine dispatches on: the operation of each instruction, or a fused form that
    // does the work of a short run of instructions at once (see decode()).
    std::vector<std::int32_t> dispatch_;
    std::vector<Value> returned_; // result, then the values of var parameters
    Value returning_;             // the result of a recursive call while its slots come back
    std::string exceptionMessage_;
    Handling pending_;               // what the last ScriptRaise carries
    std::vector<Handling> handling_; // innermost last
    std::size_t handlingBase_ = 0;   // entries below this belong to an outer run
    std::int64_t budget_ = std::numeric_limits<std::int64_t>::max();
    std::size_t handlerBase_ = 0; // handlers below this belong to an outer run
    // One argument buffer per nested run: a call made from inside a call's callee must not
    // overwrite the arguments of the call still in progress.
    std::vector<std::unique_ptr<ArgBuffer>> argBuffers_;
    std::size_t nesting_ = 0;
};

} // namespace vorlan::script::pascal
