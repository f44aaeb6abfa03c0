// Expression trees: the parser of expressions, names and selectors, with constant folding.

#include "script/pascal/compilation.h"

#include "core/cp1250.h"
#include "script/pascal/folding.h"
#include "script/pascal/messages.h"

#include <algorithm>

namespace vorlan::script::pascal::detail {

NodePtr Compilation::makeNode(Node::Kind kind, int line, int column) {
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->line = line;
    n->column = column;
    return n;
}
NodePtr Compilation::literal(Value v, int line, int column) {
    NodePtr n = makeNode(Node::Literal, line, column);
    n->value = std::move(v);
    return n;
}
int Compilation::deeper(int depth) const {
    if (depth + 1 > kMaxTreeDepth) fail(msg::nestedTooDeeply());
    return depth + 1;
}
bool Compilation::isBoolean(std::string_view name) {
    return equalsNoCase(name, "True") || equalsNoCase(name, "False");
}

NodePtr Compilation::binary(int op, NodePtr a, NodePtr b, const Token& t) {
    Value folded;
    if (a->kind == Node::Literal && b->kind == Node::Literal && foldable(a->value) &&
        foldable(b->value) && foldBinary(op, a->value, b->value, folded))
        return literal(std::move(folded), t.line, t.column);
    NodePtr n = makeNode(Node::Binary, t.line, t.column);
    n->op = op;
    n->hasCall = a->hasCall || b->hasCall;
    n->depth = deeper(std::max(a->depth, b->depth));
    n->a = std::move(a);
    n->b = std::move(b);
    return n;
}

NodePtr Compilation::expression() {
    const Nesting guard(*this);
    NodePtr left = simpleExpression();
    const Token t = tok();
    int op = -1;
    if (is('=')) {
        op = OpEqual;
        next();
    } else if (is('<')) {
        next();
        if (is('=')) {
            op = OpLessEqual;
            next();
        } else if (is('>')) {
            op = OpNotEqual;
            next();
        } else {
            op = OpLess;
        }
    } else if (is('>')) {
        next();
        if (is('=')) {
            op = OpGreaterEqual;
            next();
        } else {
            op = OpGreater;
        }
    }
    if (op < 0) return left;
    NodePtr right = simpleExpression();
    return binary(op, std::move(left), std::move(right), t);
}

NodePtr Compilation::simpleExpression() {
    NodePtr left = term();
    for (;;) {
        const Token t = tok();
        int op = -1;
        switch (t.code) {
        case '+':
            op = OpAdd;
            break;
        case '-':
            op = OpSubtract;
            break;
        case KwOr:
            op = OpOr;
            break;
        case KwXor:
            op = OpXor;
            break;
        default:
            return left;
        }
        next();
        left = binary(op, std::move(left), term(), t);
    }
}

NodePtr Compilation::term() {
    NodePtr left = factor();
    for (;;) {
        const Token t = tok();
        int op = -1;
        switch (t.code) {
        case '*':
            op = OpMultiply;
            break;
        case '/':
            op = OpDivide;
            break;
        case KwDiv:
            op = OpIntDivide;
            break;
        case KwMod:
            op = OpModulo;
            break;
        case KwAnd:
            op = OpAnd;
            break;
        case KwShl:
            op = OpShl;
            break;
        case KwShr:
            op = OpShr;
            break;
        default:
            return left;
        }
        next();
        left = binary(op, std::move(left), factor(), t);
    }
}

NodePtr Compilation::unary(int op, NodePtr a, const Token& t) {
    Value folded;
    if (a->kind == Node::Literal && foldable(a->value) && foldUnary(op, a->value, folded))
        return literal(std::move(folded), t.line, t.column);
    NodePtr n = makeNode(Node::Unary, t.line, t.column);
    n->op = op;
    n->hasCall = a->hasCall;
    n->depth = deeper(a->depth);
    n->a = std::move(a);
    return n;
}

NodePtr Compilation::factor() {
    const Nesting guard(*this);
    const Token t = tok();
    switch (t.code) {
    case kTokNumber: {
        next();
        return selectors(literal(t.value, t.line, t.column));
    }
    case kTokString: {
        std::string text = t.value.asString();
        next();
        // Adjacent literals are one text: 'Line'#13#10.
        while (is(kTokString)) {
            text += tok().value.asString();
            next();
        }
        return selectors(literal(Value(std::move(text)), t.line, t.column));
    }
    case KwNil:
        next();
        return literal(Value(ObjectRef()), t.line, t.column);
    case '(': {
        next();
        NodePtr inner = expression();
        expectChar(')');
        return selectors(std::move(inner));
    }
    case KwNot:
        next();
        return unary(OpNot, factor(), t);
    case '-':
        next();
        return unary(OpNegate, factor(), t);
    case '+':
        next();
        return factor();
    case '[': {
        next();
        NodePtr n = makeNode(Node::ArrayLit, t.line, t.column);
        if (!is(']')) {
            for (;;) {
                n->items.push_back(expression());
                if (!is(',')) break;
                next();
            }
        }
        if (!is(']')) fail(msg::expectedOneOf(",", "]"));
        next();
        for (const NodePtr& item : n->items) {
            n->hasCall = n->hasCall || item->hasCall;
            n->depth = std::max(n->depth, deeper(item->depth));
        }
        return n;
    }
    case kTokIdent: {
        NodePtr d = designator();
        if (d->procedure) failAt(msg::invalidProcedureUse(), t.line, t.column);
        return d;
    }
    default:
        fail(msg::expected(msg::identifier()));
    }
}

std::vector<NodePtr> Compilation::arguments(char close) {
    std::vector<NodePtr> args;
    next();
    if (!is(static_cast<unsigned char>(close))) {
        for (;;) {
            args.push_back(expression());
            if (!is(',')) break;
            next();
        }
    }
    if (!is(static_cast<unsigned char>(close)))
        fail(msg::expectedOneOf(",", std::string(1, close)));
    if (args.size() > static_cast<std::size_t>(kMaxCallArguments)) fail(msg::badArgumentCount());
    next();
    return args;
}

NodePtr Compilation::nameCall(std::string name, std::vector<NodePtr> args, const Token& t) {
    NodePtr n = makeNode(Node::Chain, t.line, t.column);
    n->startsWithName = true;
    n->hasCall = true;
    for (const NodePtr& arg : args)
        n->depth = std::max(n->depth, deeper(arg->depth));
    Link l;
    l.name = std::move(name);
    l.args = std::move(args);
    l.line = t.line;
    l.column = t.column;
    n->links.push_back(std::move(l));
    return n;
}

NodePtr Compilation::designator() {
    const Token t = tok();
    next();
    NodePtr node;
    if (Ident* id = symbols_.lookup(t.text)) {
        switch (id->kind) {
        case IdentKind::Variable:
        case IdentKind::Parameter:
        case IdentKind::Result:
            if (id->kind == IdentKind::Result) symbols_.currentRoutine()->resultUsed = true;
            node = makeNode(Node::Var, t.line, t.column);
            node->slot = id->slot;
            node->className = id->className;
            break;
        case IdentKind::Constant:
            node = literal(id->value, t.line, t.column);
            break;
        case IdentKind::Routine: {
            const RoutineDecl& r = symbols_.routine(id->routine);
            std::vector<NodePtr> args;
            if (is('(')) args = arguments(')');
            if (args.size() != r.params.size()) failAt(msg::badArgumentCount(), t.line, t.column);
            node = nameCall(r.name, std::move(args), t);
            node->routineCall = true;
            node->procedure = !r.isFunction;
            node->resolvedAsFunction = r.isFunction;
            break;
        }
        case IdentKind::Label:
        case IdentKind::Class:
            failAt(msg::unknownIdentifier(t.text), t.line, t.column);
        }
    } else if (isBoolean(t.text)) {
        node = literal(Value(equalsNoCase(t.text, "True")), t.line, t.column);
    } else {
        node = externalName(t);
    }
    return selectors(std::move(node));
}

NodePtr Compilation::externalName(const Token& t) {
    const NameResolver::Answer answer = resolver_.resolve(t.text);
    using Kind = NameResolver::Kind;
    switch (answer.kind) {
    case Kind::Constant:
        return literal(answer.value, t.line, t.column);
    case Kind::Class:
        if (is('(')) {
            // A cast to a class: the value itself.
            std::vector<NodePtr> args = arguments(')');
            if (args.size() != 1) failAt(msg::badArgumentCount(), t.line, t.column);
            return std::move(args[0]);
        }
        return nameCall(t.text, {}, t);
    case Kind::Unknown:
        if (UnknownNameObserver* observer = unknownNameObserver())
            observer->unknownName(t.text, t.line, t.column);
        else if (!hasUses_)
            failAt(is('(') ? msg::procedureNotFound(t.text) : msg::unknownIdentifier(t.text),
                   t.line, t.column);
        break; // perhaps a name of a used module: resolved when the program runs
    default:
        break;
    }
    std::vector<NodePtr> args;
    if (is('('))
        args = arguments(')');
    else if (is('['))
        args = arguments(']');
    NodePtr n = nameCall(t.text, std::move(args), t);
    n->procedure = answer.kind == Kind::Procedure;
    n->resolvedAsFunction = answer.kind == Kind::Function;
    if (answer.kind == Kind::Member || answer.kind == Kind::Variable ||
        answer.kind == Kind::Unknown) {
        n->assignableName = true;
        n->owner = answer.kind == Kind::Member ? answer.owner : std::string(kScopeObjectName);
    }
    return n;
}

NodePtr Compilation::appendLink(NodePtr node, Link link) {
    if (node->kind == Node::Chain) {
        if (node->procedure) failAt(msg::invalidProcedureUse(), node->line, node->column);
    } else {
        NodePtr chain = makeNode(Node::Chain, node->line, node->column);
        chain->depth = deeper(node->depth);
        if (node->kind == Node::Var)
            chain->startSlot = node->slot;
        else
            chain->startExpr = std::move(node);
        node = std::move(chain);
    }
    for (const NodePtr& arg : link.args)
        node->depth = std::max(node->depth, deeper(arg->depth));
    node->links.push_back(std::move(link));
    node->hasCall = true;
    node->procedure = false;
    node->assignableName = false;
    node->resolvedAsFunction = false;
    return node;
}

void Compilation::tellMemberUse(const Node& base, const Link& member) {
    UnknownNameObserver* observer = unknownNameObserver();
    if (!observer) return;
    if (base.kind == Node::Var && !base.className.empty())
        observer->memberUse(base.className, true, member.name, member.line, member.column);
    else if (base.kind == Node::Chain && base.startsWithName && !base.routineCall &&
             base.links.size() == 1 && base.links[0].args.empty())
        observer->memberUse(base.links[0].name, false, member.name, member.line, member.column);
}

NodePtr Compilation::selectors(NodePtr node) {
    for (;;) {
        if (is('.')) {
            next();
            if (!isName() && tok().code < kKeywordBase) fail(msg::expected(msg::identifier()));
            Link l;
            l.name = tok().text;
            l.line = tok().line;
            l.column = tok().column;
            next();
            tellMemberUse(*node, l);
            if (is('('))
                l.args = arguments(')');
            else if (is('['))
                l.args = arguments(']');
            node = appendLink(std::move(node), std::move(l));
            continue;
        }
        if (is('[')) {
            // A character of a string, or an element of a variant array.
            if (node->procedure) fail(msg::invalidProcedureUse());
            const Token b = tok();
            next();
            NodePtr index = expression();
            expectChar(']');
            NodePtr n = makeNode(Node::CharAt, b.line, b.column);
            n->hasCall = index->hasCall || node->hasCall;
            n->depth = deeper(std::max(index->depth, node->depth));
            n->a = std::move(index);
            n->b = std::move(node);
            node = std::move(n);
            continue;
        }
        return node;
    }
}

} // namespace vorlan::script::pascal::detail
