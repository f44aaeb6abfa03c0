#include "script/pascal/linker.h"

#include "script/pascal/compile_failure.h"
#include "script/pascal/messages.h"

#include <algorithm>

namespace vorlan::script::pascal::detail {

namespace {

// The words an instruction takes: itself and the operand words of a call.
std::size_t wordsOf(const Instruction& in) {
    std::size_t words = 1;
    if (in.op == OpCallName || in.op == OpCallMember)
        words += (static_cast<std::size_t>(in.a) + 3) / 3;
    else if (in.op == OpPutMember)
        words += (static_cast<std::size_t>(in.b) + 3) / 3;
    else if (in.op == OpSetElement)
        words = 2;
    return words;
}

void checkJumps(const std::vector<Instruction>& code, const std::vector<int>& labels) {
    for (std::size_t i = 0; i < code.size();) {
        const Instruction& in = code[i];
        int label = -1;
        switch (in.op) {
        case OpJump:
        case OpCallLabel:
        case OpPushHandler:
            label = in.a;
            break;
        case OpJumpIfFalse:
            label = in.b;
            break;
        default:
            break;
        }
        if (label >= 0 && (static_cast<std::size_t>(label) >= labels.size() ||
                           labels[static_cast<std::size_t>(label)] < 0))
            throw Failure{msg::linkerError(), in.line, in.column};
        i += wordsOf(in);
    }
}

} // namespace

std::unique_ptr<BinProg> link(LinkInput in) {
    for (const RoutineDecl& r : in.routines)
        if (!r.defined) throw Failure{msg::badDeclaration(r.name), r.line, r.column};
    checkJumps(in.code.code(), in.code.labels());
    auto prog = std::make_unique<BinProg>();
    prog->code = std::move(in.code.code());
    prog->constants = std::move(in.code.constants());
    prog->labels.reserve(in.code.labels().size());
    for (int l : in.code.labels())
        prog->labels.push_back(std::max(l, 0));
    for (const RoutineDecl& d : in.routines) {
        Routine r;
        r.name = d.name;
        r.aliases = d.aliases;
        r.entryLabel = d.entryLabel;
        r.paramSlots = d.paramSlots;
        for (const Param& p : d.params)
            r.varParams.push_back(p.isVar);
        r.resultSlot = d.resultSlot;
        r.firstSlot = d.firstSlot;
        r.endSlot = d.endSlot;
        r.codeStart = prog->labels[static_cast<std::size_t>(d.entryLabel)];
        r.codeEnd = d.codeEnd;
        r.tempSlot = d.tempSlot;
        prog->routines.push_back(std::move(r));
    }
    prog->globals = std::move(in.globals);
    prog->usedUnits = std::move(in.units);
    prog->load(in.slots.takeInitial());
    return prog;
}

} // namespace vorlan::script::pascal::detail
