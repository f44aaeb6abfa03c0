// Statements: each emits its code as it is parsed.

#include "script/pascal/compilation.h"

#include "core/cp1250.h"
#include "script/pascal/messages.h"

namespace vorlan::script::pascal::detail {

void Compilation::statementList(int terminator, const char* terminatorName, int alternative) {
    for (;;) {
        statement();
        if (is(';')) {
            next();
            continue;
        }
        if (is(terminator) || (alternative >= 0 && is(alternative))) return;
        // A word that closes some block, or the end of the text: the closing word of this
        // block is what is missing.
        if (is(kTokEnd) || is(KwEnd) || is(KwUntil) || is(KwExcept) || is(KwFinally) ||
            is(KwFinalization) || is(KwElse))
            fail(msg::expected(msg::keyword(terminatorName)));
        fail(msg::expected(msg::separator()));
    }
}

void Compilation::expectKeyword(int code, const char* name) {
    if (!is(code)) fail(msg::expected(msg::keyword(name)));
    next();
}

void Compilation::statement() {
    const Nesting guard(*this);
    const int m = slots_.mark();
    at(tok());
    switch (tok().code) {
    case KwBegin:
        next();
        statementList(KwEnd, "End");
        expectKeyword(KwEnd, "End");
        break;
    case KwIf:
        ifStatement();
        break;
    case KwWhile:
        whileStatement();
        break;
    case KwRepeat:
        repeatStatement();
        break;
    case KwFor:
        forStatement();
        break;
    case KwTry:
        tryStatement();
        break;
    case KwRaise: {
        next();
        if (is(';') || is(KwEnd) || is(KwElse) || is(KwUntil) || is(KwExcept) || is(KwFinally) ||
            is(kTokEnd)) {
            code_.emit(OpRaise, -1);
        } else {
            NodePtr e = expression();
            const int s = operand(*e);
            code_.emit(OpRaise, s);
        }
        break;
    }
    case KwExit:
        next();
        leaveBlocks(tryPath_, 0);
        code_.emit(OpReturn);
        break;
    case KwBreak:
    case KwContinue: {
        const bool isBreak = is(KwBreak);
        if (loops_.empty()) fail(isBreak ? msg::breakOutsideLoop() : msg::continueOutsideLoop());
        const Loop& loop = loops_.back();
        leaveBlocks(tryPath_, loop.tryDepth);
        code_.emit(OpJump, isBreak ? loop.breakLabel : loop.continueLabel);
        next();
        break;
    }
    case KwGoto:
        gotoStatement();
        break;
    case kTokIdent:
    case kTokNumber:
        if (reader_.peek().code == ':' && labelStatement()) break;
        if (is(kTokNumber)) fail(msg::expected(msg::identifier()));
        identStatement();
        break;
    default:
        break; // the empty statement
    }
    slots_.release(m);
}

bool Compilation::labelStatement() {
    Ident* label = symbols_.find(symbols_.scopePrefix() + SymbolTable::key(tok().text));
    if (!label || label->kind != IdentKind::Label) return false;
    if (label->placed) fail(msg::labelAlreadyDefined(label->name));
    label->placed = true;
    label->tryPath = tryPath_;
    code_.place(label->label);
    next();
    next();
    statement();
    return true;
}

void Compilation::gotoStatement() {
    next();
    if (!isName() && !is(kTokNumber)) fail(msg::expected(msg::labelName()));
    const std::string k = symbols_.scopePrefix() + SymbolTable::key(tok().text);
    Ident* label = symbols_.find(k);
    if (!label || label->kind != IdentKind::Label) fail(msg::labelNotDefined(tok().text));
    if (label->placed) {
        leaveBlocks(tryPath_, commonPrefix(tryPath_, label->tryPath));
        code_.emit(OpJump, label->label);
    } else {
        // The way out of the protected blocks between here and the label is known once the
        // label is placed: jump through a trampoline made at the end of the scope.
        const int trampoline = code_.newLabel();
        code_.emit(OpJump, trampoline);
        gotos_.push_back({trampoline, k, tok().text, tryPath_, tok().line, tok().column});
    }
    next();
}

void Compilation::ifStatement() {
    next();
    NodePtr cond = expression();
    if (!is(KwThen)) fail(msg::expected(msg::keyword("Then")));
    const int elseLabel = code_.newLabel();
    at(*cond);
    const int s = conditionSlot(*cond);
    code_.emit(OpJumpIfFalse, s, elseLabel);
    next();
    statement();
    if (is(KwElse)) {
        const int endLabel = code_.newLabel();
        code_.emit(OpJump, endLabel);
        code_.place(elseLabel);
        next();
        statement();
        code_.place(endLabel);
    } else {
        code_.place(elseLabel);
    }
}

void Compilation::whileStatement() {
    next();
    const int top = code_.newLabel(), end = code_.newLabel();
    code_.place(top);
    NodePtr cond = expression();
    if (!is(KwDo)) fail(msg::expected(msg::keyword("Do")));
    at(*cond);
    {
        const int m = slots_.mark();
        code_.emit(OpJumpIfFalse, conditionSlot(*cond), end);
        slots_.release(m);
    }
    next();
    loops_.push_back({end, top, tryPath_.size()});
    statement();
    loops_.pop_back();
    code_.emit(OpJump, top);
    code_.place(end);
}

void Compilation::repeatStatement() {
    next();
    const int top = code_.newLabel(), test = code_.newLabel(), end = code_.newLabel();
    code_.place(top);
    loops_.push_back({end, test, tryPath_.size()});
    statementList(KwUntil, "Until");
    loops_.pop_back();
    expectKeyword(KwUntil, "Until");
    code_.place(test);
    NodePtr cond = expression();
    at(*cond);
    code_.emit(OpJumpIfFalse, conditionSlot(*cond), top);
    code_.place(end);
}

void Compilation::forStatement() {
    next();
    if (!isName()) fail(msg::expected(msg::variableName()));
    Ident* counter = symbols_.lookup(tok().text);
    if (!counter) fail(msg::variableNotDefined(tok().text));
    if (counter->kind != IdentKind::Variable && counter->kind != IdentKind::Parameter &&
        counter->kind != IdentKind::Result)
        fail(msg::expected(msg::variableName()));
    if (counter->kind == IdentKind::Result) symbols_.currentRoutine()->resultUsed = true;
    const int slot = counter->slot;
    next();
    if (!atAssignment()) fail(msg::expectedChar(":=", found()));
    next();
    next();
    NodePtr start = expression();
    assign(slot, std::move(start));
    bool down = false;
    if (is(KwDownto))
        down = true;
    else if (!is(KwTo))
        fail(msg::expectedOneOf("to", "downto"));
    next();
    // The limit is taken once, before the first pass.
    NodePtr limitExpr = expression();
    int limit = -1;
    if (limitExpr->kind == Node::Literal) limit = slots_.constantSlot(limitExpr->value);
    if (limit < 0) {
        limit = slots_.allocTemp();
        emitInto(*limitExpr, limit);
    }
    const int test = code_.newLabel(), step = code_.newLabel(), end = code_.newLabel();
    code_.place(test);
    {
        const int m = slots_.mark();
        const int t = slots_.allocTemp();
        code_.emit(OpMove, t, slot);
        code_.emit(down ? OpGreaterEqual : OpLessEqual, t, limit);
        code_.emit(OpJumpIfFalse, t, end);
        slots_.release(m);
    }
    if (!is(KwDo)) fail(msg::expected(msg::keyword("Do")));
    next();
    loops_.push_back({end, step, tryPath_.size()});
    statement();
    loops_.pop_back();
    code_.place(step);
    code_.emit(down ? OpDecrement : OpIncrement, slot);
    code_.emit(OpJump, test);
    code_.place(end);
}

int Compilation::openBlock(BlockKind kind, int exitLabel) {
    blocks_.push_back(Block{kind, exitLabel, false, false, false});
    tryPath_.push_back(static_cast<int>(blocks_.size()));
    return static_cast<int>(blocks_.size());
}

void Compilation::leaveBlocks(const std::vector<int>& path, std::size_t from) {
    for (std::size_t i = path.size(); i-- > from;) {
        Block& b = blocks_[static_cast<std::size_t>(path[i] - 1)];
        switch (b.kind) {
        case BlockKind::Protected:
            code_.emit(OpPopHandler);
            // Inside the block it is not known yet whether a finally part follows: the way out
            // calls the block's exit code, which is the finally part or a bare return.
            if (b.decided && !b.hasFinally) break;
            code_.emit(OpCallLabel, b.exitLabel);
            b.exitUsed = true;
            break;
        case BlockKind::ExceptPart:
            code_.emit(OpEndExcept);
            break;
        case BlockKind::FinallyPart:
            code_.emit(OpLeaveFinally);
            break;
        }
    }
}

// try S1 except H end:               try S1 finally F end:
//     push handler                       push handler (finally)
//     S1                                 S1
//     pop handler                        pop handler
//     jump end                           call F
//   handler:                             jump end
//     H                                handler:
//   end:                                 call F
//                                        raise again
//                                      F: F
//                                        return
//                                      end:
void Compilation::tryStatement() {
    next();
    const int handler = code_.newLabel(), end = code_.newLabel(), exit = code_.newLabel();
    const std::size_t push = code_.code().size();
    code_.emit(OpPushHandler, handler);
    const int id = openBlock(BlockKind::Protected, exit);
    statementList(KwExcept, "Except", KwFinally);
    closeBlock();
    if (!is(KwExcept) && !is(KwFinally)) fail(msg::expected(msg::keyword("Except")));
    Block& block = blocks_[static_cast<std::size_t>(id - 1)];
    block.decided = true;
    block.hasFinally = is(KwFinally);
    at(tok());
    code_.emit(OpPopHandler);
    if (is(KwFinally)) {
        code_.code()[push].b = 1;
        code_.emit(OpCallLabel, exit);
        code_.emit(OpJump, end);
        code_.place(handler);
        code_.emit(OpCallLabel, exit);
        code_.emit(OpRaise, -1);
        code_.place(exit);
        next();
        openBlock(BlockKind::FinallyPart);
        statementList(KwEnd, "End");
        closeBlock();
        at(tok());
        code_.emit(OpReturn);
        expectKeyword(KwEnd, "End");
        code_.place(end);
        return;
    }
    code_.emit(OpJump, end);
    if (blocks_[static_cast<std::size_t>(id - 1)].exitUsed) {
        code_.place(exit);
        code_.emit(OpReturn);
    }
    code_.place(handler);
    next();
    openBlock(BlockKind::ExceptPart);
    exceptPart();
    closeBlock();
    expectKeyword(KwEnd, "End");
    code_.place(end);
}

bool Compilation::atOnClause() {
    return isName() && equalsNoCase(tok().text, "on") && reader_.peek().code == kTokIdent;
}

void Compilation::exceptPart() {
    if (!atOnClause()) {
        statementList(KwEnd, "End");
        code_.emit(OpEndExcept);
        return;
    }
    const int end = code_.newLabel();
    while (atOnClause()) {
        onClause(end);
        if (is(';')) next();
    }
    if (is(KwElse)) {
        next();
        statementList(KwEnd, "End");
        code_.emit(OpEndExcept);
    } else {
        // No clause takes the exception: it goes on to the next handler.
        at(tok());
        code_.emit(OpRaise, -1);
    }
    if (!is(KwEnd)) fail(msg::expected(msg::keyword("End")));
    code_.place(end);
}

// on [E:] EClass do Statement
void Compilation::onClause(int endLabel) {
    next();
    Token name = tok();
    next();
    Token cls = name;
    bool named = false;
    if (is(':')) {
        next();
        if (!isName()) fail(msg::expected(msg::identifier()));
        cls = tok();
        named = true;
        next();
    }
    const std::string& className = cls.text;
    if (!equalsNoCase(className, "Exception") && !symbols_.lookup(className) &&
        !resolver_.isClass(className)) {
        if (UnknownNameObserver* observer = unknownNameObserver())
            observer->unknownName(className, cls.line, cls.column);
        else
            failAt(msg::unknownIdentifier(className), cls.line, cls.column);
    }
    if (!is(KwDo)) fail(msg::expected(msg::keyword("Do")));
    next();
    const int m = slots_.mark();
    const int test = slots_.allocTemp();
    const int skip = code_.newLabel();
    at(name);
    code_.emit(OpExceptionIs, test, code_.constant(Value(className)));
    code_.emit(OpJumpIfFalse, test, skip);
    if (named) {
        Ident e;
        e.kind = IdentKind::Variable;
        e.name = name.text;
        e.slot = slots_.allocTemp();
        code_.emit(OpExceptionObject, e.slot);
        symbols_.pushStatementName(name.text, std::move(e));
        statement();
        symbols_.popStatementName();
    } else {
        statement();
    }
    code_.emit(OpEndExcept);
    code_.emit(OpJump, endLabel);
    code_.place(skip);
    slots_.release(m);
}

// Write(A, B:W, C:W:D): the arguments with a width go to the call as their padded text.
void Compilation::writeStatement(const Token& name) {
    next();
    expectChar('(');
    struct Item {
        NodePtr value, width, decimals;
    };
    std::vector<Item> items;
    if (!is(')')) {
        for (;;) {
            Item item;
            item.value = expression();
            if (is(':') && reader_.peek().code != '=') {
                next();
                item.width = expression();
                if (is(':') && reader_.peek().code != '=') {
                    next();
                    item.decimals = expression();
                }
            }
            items.push_back(std::move(item));
            if (is(',')) {
                next();
                continue;
            }
            break;
        }
    }
    if (!is(')')) fail(msg::expectedChar(")", found()));
    next();
    std::vector<int> operands{code_.constant(Value(name.text))};
    for (const Item& item : items) {
        if (!item.width) {
            operands.push_back(argument(*item.value));
            continue;
        }
        const int t = slots_.allocTemp();
        emitInto(*item.value, t);
        at(*item.value);
        if (item.decimals) code_.emit(OpWriteFixed, t, operand(*item.decimals));
        code_.emit(OpWriteWidth, t, operand(*item.width));
        operands.push_back(t);
    }
    if (operands.size() > static_cast<std::size_t>(kMaxCallArguments) + 1)
        fail(msg::badArgumentCount());
    at(name);
    code_.emitCall(OpCallName, static_cast<int>(operands.size() - 1), slots_.allocTemp(), operands);
    code_.emit(OpPopObject);
}

void Compilation::identStatement() {
    const Token first = tok();
    RoutineDecl* r = symbols_.currentRoutine();
    if (r && r->isFunction && equalsNoCase(first.text, r->name) && reader_.peek().code == ':') {
        // Assigning to the function's own name sets its result.
        next();
        if (!atAssignment()) fail(msg::expectedChar(":=", found()));
        next();
        next();
        r->resultUsed = true;
        assign(r->resultSlot, expression());
        return;
    }
    // (With an observer the name is reported when the designator below resolves it.)
    if (!symbols_.lookup(first.text) && reader_.peek().code == ':' && !hasUses_ &&
        !unknownNameObserver() && !isBoolean(first.text) &&
        resolver_.resolve(first.text).kind == NameResolver::Kind::Unknown)
        fail(msg::variableNotDefined(first.text));
    if ((equalsNoCase(first.text, "Write") || equalsNoCase(first.text, "Writeln")) &&
        !symbols_.lookup(first.text) && reader_.peek().code == '(') {
        writeStatement(first);
        return;
    }
    NodePtr d = designator();
    if (atAssignment()) {
        next();
        next();
        NodePtr value = expression();
        assignTo(*d, std::move(value), first);
        return;
    }
    if (d->kind != Node::Chain) fail(msg::expectedChar(":=", found()));
    at(first);
    const int scratch = slots_.allocTemp();
    emitChain(*d, scratch);
    // Halt ends the program here: the call only records the exit code and closes the program.
    if (equalsNoCase(first.text, "Halt") && d->startsWithName && d->links.size() == 1 &&
        !symbols_.lookup(first.text))
        code_.emit(OpEndProgram);
}

void Compilation::assignTo(Node& target, NodePtr value, const Token& first) {
    switch (target.kind) {
    case Node::Var:
        assign(target.slot, std::move(value));
        return;
    case Node::Chain:
        break;
    case Node::CharAt:
        failAt(msg::expectedChar(":=", "["), target.line, target.column);
    default:
        failAt(msg::expected(msg::variableName()), first.line, first.column);
    }
    Link last = std::move(target.links.back());
    target.links.pop_back();
    at(first);
    if (target.links.empty()) {
        if (target.startsWithName) {
            // A lone name: a property of the object that owns it, or a variable of the scope.
            if (target.routineCall || target.procedure || target.resolvedAsFunction)
                fail(msg::invalidProcedureUse());
            if (!target.assignableName)
                failAt(msg::expected(msg::variableName()), first.line, first.column);
            code_.emitCall(OpCallName, 0, slots_.allocTemp(),
                           {code_.constant(Value(target.owner))});
        } else {
            const int s = target.startSlot >= 0 ? target.startSlot : operand(*target.startExpr);
            code_.emit(OpPushObject, s);
        }
    } else {
        emitReceiver(target);
    }
    std::vector<int> operands{code_.constant(Value(last.name))};
    for (const NodePtr& arg : last.args)
        operands.push_back(operand(*arg));
    operands.push_back(operand(*value));
    if (operands.size() > static_cast<std::size_t>(kMaxCallArguments) + 1)
        fail(msg::badArgumentCount());
    at(last.line, last.column);
    code_.emitCall(OpPutMember, 0, static_cast<int>(operands.size() - 1), operands);
}

// Leaves the object that a chain's calls end with on the object stack.
void Compilation::emitReceiver(const Node& chain) {
    std::size_t i = 0;
    if (chain.startsWithName) {
        emitLink(OpCallName, chain.links[0], slots_.allocTemp());
        i = 1;
    } else {
        const int s = chain.startSlot >= 0 ? chain.startSlot : operand(*chain.startExpr);
        at(chain);
        code_.emit(OpPushObject, s);
    }
    for (; i < chain.links.size(); ++i)
        emitLink(OpCallMember, chain.links[i], slots_.allocTemp());
}

void Compilation::assign(int slot, NodePtr value) {
    if (RoutineDecl* r = symbols_.currentRoutine(); r && slot == r->resultSlot)
        r->resultUsed = true;
    const int m = slots_.mark();
    at(*value);
    if (value->kind == Node::Binary && (value->op == OpAdd || value->op == OpSubtract) &&
        value->a->kind == Node::Var && value->a->slot == slot && value->b->kind == Node::Literal &&
        value->b->value.isInteger() && value->b->value.asInt() == 1) {
        code_.emit(value->op == OpAdd ? OpIncrement : OpDecrement, slot);
    } else if (safeInto(*value, slot)) {
        emitInto(*value, slot);
    } else {
        const int t = slots_.allocTemp();
        emitInto(*value, t);
        at(*value);
        code_.emit(OpMove, slot, t);
    }
    slots_.release(m);
}

} // namespace vorlan::script::pascal::detail
