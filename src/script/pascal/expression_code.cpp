// Code for expression trees: operands in place where they can be, results straight into
// their destination where that is safe.

#include "script/pascal/compilation.h"

#include "script/pascal/messages.h"

#include <algorithm>

namespace vorlan::script::pascal::detail {

bool Compilation::reads(const Node& n, int slot) {
    switch (n.kind) {
    case Node::Literal:
        return false;
    case Node::Var:
        return n.slot == slot;
    case Node::Unary:
        return reads(*n.a, slot);
    case Node::Binary:
    case Node::CharAt:
        return reads(*n.a, slot) || reads(*n.b, slot);
    case Node::Chain:
        if (n.startSlot == slot || (n.startExpr && reads(*n.startExpr, slot))) return true;
        for (const Link& l : n.links)
            for (const NodePtr& a : l.args)
                if (reads(*a, slot)) return true;
        return false;
    case Node::ArrayLit:
        return std::any_of(n.items.begin(), n.items.end(),
                           [&](const NodePtr& i) { return reads(*i, slot); });
    }
    return false;
}

// Whether the expression may be computed in `dest` itself: only its first operand lands
// there before the end, so nothing read later may be `dest` and no call may run after it.
bool Compilation::safeInto(const Node& n, int dest) {
    switch (n.kind) {
    case Node::Unary:
        return safeInto(*n.a, dest);
    case Node::Binary:
    case Node::CharAt:
        return safeInto(*n.a, dest) && !n.b->hasCall && !reads(*n.b, dest);
    default:
        return true;
    }
}

int Compilation::operand(const Node& n) {
    if (n.kind == Node::Var) return n.slot;
    if (n.kind == Node::Literal) {
        const int s = slots_.constantSlot(n.value);
        if (s >= 0) return s;
    }
    return toTemp(n);
}
// Variables go to calls as themselves so that `var` parameters reach them; anything else
// (literals too) goes as a temporary that the callee may overwrite.
int Compilation::argument(const Node& n) {
    return n.kind == Node::Var ? n.slot : toTemp(n);
}
int Compilation::toTemp(const Node& n) {
    const int t = slots_.allocTemp();
    emitInto(n, t);
    return t;
}
int Compilation::conditionSlot(const Node& n) {
    return n.kind == Node::Var ? n.slot : toTemp(n);
}

void Compilation::emitInto(const Node& n, int dest) {
    switch (n.kind) {
    case Node::Literal:
        at(n);
        code_.emit(OpLoadConst, dest, code_.constant(n.value));
        break;
    case Node::Var:
        if (n.slot != dest) {
            at(n);
            code_.emit(OpMove, dest, n.slot);
        }
        break;
    case Node::Unary:
        emitInto(*n.a, dest);
        at(n);
        code_.emit(n.op, dest);
        break;
    case Node::Binary:
    case Node::CharAt: {
        emitInto(*n.a, dest);
        const int m = slots_.mark();
        const int r = operand(*n.b);
        at(n);
        code_.emit(n.kind == Node::Binary ? n.op : OpCharAt, dest, r);
        slots_.release(m);
        break;
    }
    case Node::Chain:
        emitChain(n, dest);
        break;
    case Node::ArrayLit: {
        const int m = slots_.mark();
        std::vector<int> items;
        for (const NodePtr& item : n.items)
            items.push_back(item->kind == Node::Var && item->slot == dest ? toTemp(*item)
                                                                          : operand(*item));
        at(n);
        // Bounds 0 .. n: one element more than written, as the message dialogs expect.
        code_.emit(OpNewArray, dest, static_cast<int>(items.size()));
        for (std::size_t i = 0; i < items.size(); ++i) {
            code_.emit(OpSetElement, static_cast<int>(i), items[i]);
            code_.emit(0, dest); // the operand word: the array's slot in A
        }
        slots_.release(m);
        break;
    }
    }
}

void Compilation::emitLink(int op, const Link& link, int resultSlot) {
    const int m = slots_.mark();
    std::vector<int> operands{code_.constant(Value(link.name))};
    for (const NodePtr& arg : link.args)
        operands.push_back(argument(*arg));
    at(link.line, link.column);
    code_.emitCall(op, static_cast<int>(link.args.size()), resultSlot, operands);
    slots_.release(m);
}

void Compilation::emitChain(const Node& n, int dest) {
    const int m = slots_.mark();
    std::size_t i = 0;
    if (n.startsWithName) {
        emitLink(OpCallName, n.links[0], n.links.size() == 1 ? dest : slots_.allocTemp());
        i = 1;
    } else {
        const int s = n.startSlot >= 0 ? n.startSlot : operand(*n.startExpr);
        at(n);
        code_.emit(OpPushObject, s);
    }
    for (; i < n.links.size(); ++i)
        emitLink(OpCallMember, n.links[i], i + 1 == n.links.size() ? dest : slots_.allocTemp());
    at(n);
    code_.emit(OpPopObject);
    slots_.release(m);
}

} // namespace vorlan::script::pascal::detail
