#pragma once
// TBinProg: a compiled module (code array, constants, label table and a fixed bank of variant
// slots) and the small machine that runs it. Operands are slot numbers; every call out of the
// program goes by name through the dispatch interface. The slots a routine owns are addressed
// relative to its running activation: the first activation uses the routine's own slots in the
// bank, a recursive one gets a frame of its own above the bank.

#include "script/dispatch.h"
#include "script/value.h"

namespace vorlan::script {
struct MethodInfo;
struct PropertyInfo;
class NativeObject;
} // namespace vorlan::script

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
    // The routine's code [codeStart, codeEnd): the instructions whose operands may name its
    // slots. -1: from the entry label up to the next routine's code (hand-made programs).
    std::int32_t codeStart = -1;
    std::int32_t codeEnd = -1;
    // The first temporary: slots from here on are written before they are read. -1: none known.
    std::int32_t tempSlot = -1;
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
    // The registered routine that `id` of the scope stands for, when calls may go to its direct
    // entry over the machine's slots; null otherwise.
    virtual const MethodInfo* registeredRoutine(DispId id) {
        (void)id;
        return nullptr;
    }
};

// A slot operand as the machine reads it: slot numbers of the routine whose code holds the
// operand have mask -1 and are offset by the running activation's frame offset.
struct SlotRef {
    std::int32_t slot = 0;
    std::int32_t mask = 0;
};

// The size of a slot: operands of decoded words that name slots hold the slot's number times this.
constexpr std::int32_t kSlotBytes = static_cast<std::int32_t>(sizeof(Value));

// One decoded word as the machine runs it: what it dispatches on (see BinProg::decode()) and
// its A and B fields, with the masks of those that name the running routine's own slots. A field
// that names a slot holds its byte offset (number × kSlotBytes); other fields (labels, constants,
// counts) are as the program has them.
struct Step {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t op = 0;
    std::int8_t maskA = 0; // 16 bytes a word: the machine's index arithmetic stays a shift
    std::int8_t maskB = 0;
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
        std::int32_t callerLo = 0;  // the caller's frame offset, back in force on return
        std::uint32_t stackTop = 0; // the frame stack's top before this call
        bool external = false;
        bool pushResult = true; // false: the caller drops the result at once (op 55 skipped)
        // Calls of the module's routines: the byte offset in slots_ of the caller's slot that
        // receives the result.
        std::int32_t resultAt = 0;
        std::int32_t unused = 0; // 32 bytes: the stack's index arithmetic stays a shift
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
        // The result is dropped by the op 55 right after the call: the call goes on past it
        // without pushing the result.
        bool dropsResult = false;
        bool own = false; // resolved to a routine of the module (id is its index)
        // A registered routine called over the slots (op 53), or a registered method of the
        // wrapped native object the target is (op 54).
        const MethodInfo* direct = nullptr;
        // A bound property of the wrapped native object the target is, read (op 54) or written
        // (op 56) through its direct accessor.
        const PropertyInfo* property = nullptr;
        // The call's operands read once at load: where its name and argument slots start in
        // callOperands_ (-1: not read), and the code index after them.
        std::int32_t operands = -1;
        std::int32_t next = 0;
    };
    // The return stack: a fixed array as deep as calls may nest. Every push is preceded by the
    // check of the nesting limit.
    class FrameStack {
    public:
        std::size_t size() const { return size_; }
        bool empty() const { return size_ == 0; }
        Frame& back() { return items_[size_ - 1]; }
        const Frame& back() const { return items_[size_ - 1]; }
        void push_back(const Frame& f) { items_[size_++] = f; }
        void pop_back() { --size_; }

    private:
        std::array<Frame, kReturnStackSize> items_{};
        std::size_t size_ = 0;
    };
    // What calls of a routine need, in one place: where it starts, how many activations of it
    // are running, its slots [first, first + count) and the part of them that a new frame
    // starts from the initial values [first + initFrom, first + initTo): result and locals.
    struct FrameShape {
        std::int32_t entry = 0;                   // the code index it starts at
        std::int32_t active = 0;                  // activations running
        const std::int32_t* params = nullptr;     // the parameters' slots (initFrom of them)
        const std::int32_t* paramBytes = nullptr; // the same as byte offsets (× kSlotBytes)
        std::int32_t first = 0;
        std::int32_t count = 0;
        std::int32_t initFrom = 0;
        std::int32_t initTo = 0;
        std::int32_t result = -1; // the result's slot; -1: a procedure
        bool varParams = false;   // `var` parameters go back to the caller on return
    };
    // A call site of op 53 that calls one of the module's own routines, prepared on its first
    // run: the machine then goes straight in with the arguments' byte offsets at hand.
    struct OwnCall {
        std::int32_t routine = 0;
        std::int32_t result = 0; // the caller's result slot (byte offset, with its mask)
        std::int32_t resultMask = 0;
        std::int32_t returnPc = 0; // past the op 55 that drops the result, when there is one
        std::int32_t argc = 0;     // the arguments given, never more than the parameters
        std::int32_t args = 0;     // the first argument in ownArgs_
        bool pushResult = true;
        bool missing = false; // fewer arguments than parameters: the rest start anew
    };
    // A call site of op 53 that calls a registered routine through its direct entry, prepared
    // on its first run.
    struct RegisteredCall {
        const MethodInfo* method = nullptr;
        std::int32_t argc = 0;
        std::int32_t args = 0;     // the first argument in ownArgs_
        std::int32_t returnPc = 0; // past the op 55 that drops the result, when there is one
        bool pushResult = true;
    };
    // An operand as a byte offset with its mask (-1: in the running activation's frame).
    struct ByteRef {
        std::int32_t offset = 0;
        std::int32_t mask = 0;
    };
    enum class RunEnd { Returned, Ended, Failed };
    using ArgBuffer = std::array<Value, kMaxCallArguments>;

    // The slot an operand names for the running activation.
    Value& slotAt(SlotRef r) { return slots_[static_cast<std::size_t>((lo_ & r.mask) + r.slot)]; }
    // The slot a decoded field (a byte offset, with its mask) names for the activation at frame
    // offset `lo`.
    Value& stepSlot(std::int32_t lo, std::int32_t offset, std::int8_t mask) {
        const std::intptr_t frame = static_cast<std::intptr_t>(lo) * kSlotBytes;
        return *reinterpret_cast<Value*>(reinterpret_cast<char*>(slots_.data()) + (frame & mask) +
                                         offset);
    }
    // The slot that receives a call's result (the B field of op 53 and 54) in the running
    // activation.
    Value& resultSlot(const Step& call) { return stepSlot(lo_, call.b, call.maskB); }

    // Fills `slot` with an empty open array of bounds 0..high, reusing one nobody holds.
    void newArray(Value& slot, std::int32_t high);
    // Runs from `pc` until the program ends or the frame above `baseFrames` returns.
    RunEnd execute(MachineHost& host, std::int32_t pc, std::size_t baseFrames);
    // Enters a routine from outside or from op 53 of a routine that is not the module's own:
    // fills its parameters and pushes a frame.
    void enterRoutine(std::size_t routine, std::span<Value> args, bool moveArgs,
                      std::int32_t returnPc, std::int32_t callPc, bool external);
    // Turns the call at `at`, resolved to the registered routine `method`, into a
    // kCallRegistered step.
    void prepareRegisteredCall(std::int32_t at, const MethodInfo& method, const CallCache& cache);
    // Runs a kCallRegistered step; the code index the run goes on at, or kStopRun.
    std::int32_t callRegisteredStep(MachineHost& host, const Step& in, std::int32_t at,
                                    Value* scratch);
    // Turns the call at `at`, resolved to the module's routine `routine`, into a kCallOwn step.
    void prepareOwnCall(std::int32_t at, std::size_t routine, const CallCache& cache);
    // Enters a routine of the module from a kCallOwn step: each argument is copied from the
    // caller's slots (the caller's frame at byte offset `callerBytes`) straight into its
    // parameter of the new activation. Gives the code index the routine starts at.
    std::int32_t enterOwn(const OwnCall& call, std::int32_t at, std::intptr_t callerBytes);
    // The same for a call whose one argument was just computed as `value` (a fused step): it
    // goes into the parameter without being read back from the caller's slot.
    std::int32_t enterOwnWith(const OwnCall& call, std::int32_t at, std::int32_t value);
    // The parts of both: the new activation's frame offset, and the frame that records the
    // call (the caller's frame offset and stack top taken before the activation).
    std::int32_t openOwn(const OwnCall& call);
    std::int32_t pushOwn(const OwnCall& call, std::int32_t at, std::int32_t lo,
                         std::int32_t callerLo, std::uint32_t top);
    // The frame offset of a new activation of `r`: 0 (its own slots in the bank) when it is not
    // running, otherwise a new frame above the bank holding the slots' initial values.
    std::int32_t activate(std::size_t routine) { return activate(shapes_[routine]); }
    std::int32_t activate(const FrameShape& shape);
    // Ends the activation whose frame is `f`: its frame goes, the caller's offset is back.
    void deactivate(const Frame& f);
    // Parameters a call gave no argument for start a new frame from their initial values (the
    // routine's own slots keep theirs from the last call).
    void startMissingParameters(std::size_t routine, std::int32_t lo, std::size_t given);
    // Lets go of what the frames above the bank hold, once no recursive activation is left.
    void releaseFrames();
    // Whether the top frame is a routine's own call with nothing to tidy on its return, and
    // that return: result and `var` parameters straight into the caller's slots.
    bool returnsPlainly() const;
    std::int32_t returnFromOwn();
    // Leaves the routine of the top frame: its result and `var` parameters go to returned_.
    Frame leaveRoutine();
    void unwindTo(std::size_t frames);
    std::int32_t opCallName(MachineHost& host, const Step& in, std::int32_t at, ArgBuffer& buffer);
    std::int32_t opCallMember(MachineHost& host, const Step& in, std::int32_t at,
                              ArgBuffer& buffer);
    // The call of a registered routine through its direct entry: the arguments are read where
    // they lie in the slots.
    std::int32_t callRegistered(MachineHost& host, const Step& in, std::int32_t at,
                                const SlotRef* ops, const MethodInfo& method, NativeObject* self,
                                ArgBuffer& buffer);
    // A bound property read or written through its direct accessor: the indexes are read where
    // they lie in the slots.
    std::int32_t accessProperty(MachineHost& host, const Step& in, std::int32_t at,
                                const SlotRef* ops, std::size_t argc, const PropertyInfo& property,
                                NativeObject* self);
    // Whether a read (or a write) with `argc` operands may use the property's direct accessor.
    static bool directPropertyFits(const PropertyInfo* property, bool put, std::size_t argc);
    // Where the run goes on after a call whose result is in `result`: the result goes onto the
    // object stack for the member calls after it, unless the next instruction drops it at once,
    // which is then skipped.
    std::int32_t afterCall(const CallCache& cache, const Value& result) {
        if (cache.dropsResult) return cache.next + 1;
        objects_.push_back(result.isObject() ? result.asObject() : nullptr);
        return cache.next;
    }
    // Whether the call at `at` with `argc` arguments may use the direct entry of `method`.
    bool directCallFits(const MethodInfo* method, const SlotRef* args, std::size_t argc) const;
    std::int32_t opReturn(std::size_t baseFrames);
    void readCallOperands(const std::vector<std::int32_t>& owner);
    void findRoutineCode(std::vector<std::int32_t>& owner) const;
    void decode();
    // Reports a call that failed: raised as a script exception when a handler is active,
    // otherwise handed to the host's error handler.
    void failedCall(MachineHost& host, std::int32_t at, DispStatus status,
                    const ExceptionInfo& error, std::string_view name);
    // `raise X` (the value in `raised`) and `raise;` (null): fill pending_ and throw.
    [[noreturn]] void raise(std::int32_t at, const Value* raised);
    // The handler `h` takes over the exception `e`, thrown by the instruction at `at`.
    void takeOver(const Handler& h, const std::exception& e, std::int32_t at);
    // Ends the handling of the exceptions above `depth`; an object that is `keep` stays alive.
    void dropHandling(std::size_t depth, const ObjectRef& keep = nullptr);
    void opLeaveFinally();

    // The bank of kSlotCount slots, then the frames of recursive activations. Its capacity is
    // reserved at load for the deepest nesting, so references into it stay valid.
    std::vector<Value> slots_;
    std::size_t slotsInUse_ = kSlotCount; // slots_.size(), kept at hand for the calls' check
    std::vector<Value> initial_;          // the slots' values at load: a new frame starts with them
    std::uint32_t stackTop_ = kSlotCount;
    std::uint32_t highWater_ = kSlotCount; // the highest stack top since the last release
    std::int32_t lo_ = 0;                  // frame offset of the running activation
    bool stop_ = false;
    std::vector<ObjectRef> objects_;
    std::vector<Handler> handlers_;
    FrameStack frames_;
    std::vector<FrameShape> shapes_;       // per routine
    std::vector<std::int32_t> paramBytes_; // every routine's parameter offsets, one after another
    std::vector<OwnCall> ownCalls_;
    std::vector<RegisteredCall> registeredCalls_;
    // Filled by a registered routine that fails; emptied once its failure is dealt with.
    ExceptionInfo callError_;
    // The array of the last open-array literal built anew, kept to be used again (newArray).
    std::shared_ptr<VarArray> spareArray_;
    std::vector<ByteRef> ownArgs_;
    std::vector<CallCache> callCache_;
    std::vector<SlotRef> callOperands_;
    // What the machine runs: each word decoded, with its operation or a fused form that does
    // the work of a short run of instructions at once.
    std::vector<Step> steps_;
    std::vector<Value> returned_; // result, then the values of var parameters
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
