// Declarations: labels, constants, variables, types, classes (read so that the module's form
// class reads as written) and routine headings with their bodies' frames.

#include "script/pascal/compilation.h"

#include "core/cp1250.h"
#include "script/pascal/messages.h"

namespace vorlan::script::pascal::detail {

namespace {

const TypeInfo* standardType(std::string_view name) {
    static const std::vector<TypeInfo> types = [] {
        std::vector<TypeInfo> t;
        for (const char* n : {"Integer", "Longint", "Cardinal", "Longword", "DWORD", "Smallint",
                              "Shortint", "Byte", "Word", "Int64"})
            t.push_back({n, Value(0)});
        for (const char* n : {"Boolean", "ByteBool", "WordBool", "LongBool"})
            t.push_back({n, Value(false)});
        for (const char* n :
             {"Char", "AnsiChar", "WideChar", "AnsiString", "ShortString", "WideString", "PChar"})
            t.push_back({n, Value(std::string())});
        for (const char* n : {"Real", "Real48", "Single", "Double", "Extended", "Comp"})
            t.push_back({n, Value(0.0)});
        t.push_back({"Currency", Value(Currency{})});
        for (const char* n : {"TDateTime", "TDate", "TTime"})
            t.push_back({n, Value(DateTime{})});
        for (const char* n : {"Variant", "OleVariant"})
            t.push_back({n, Value()});
        for (const char* n : {"Pointer", "TObject"})
            t.push_back({n, Value(ObjectRef())});
        return t;
    }();
    for (const auto& t : types)
        if (equalsNoCase(t.name, name)) return &t;
    return nullptr;
}

bool isDirectiveKeyword(int code) {
    switch (code) {
    case KwVirtual:
    case KwOverride:
    case KwAbstract:
    case KwDynamic:
    case KwOverload:
    case KwReintroduce:
    case KwStdcall:
    case KwRegister:
    case KwCdecl:
    case KwPascal:
    case KwSafecall:
    case KwExport:
    case KwFar:
    case KwNear:
    case KwAssembler:
    case KwInline:
    case KwForward:
    case KwExternal:
    case KwMessage:
        return true;
    default:
        return false;
    }
}

} // namespace

void Compilation::labelSection() {
    next();
    for (;;) {
        if (!isName() && !is(kTokNumber)) fail(msg::expected(msg::labelName()));
        Ident item;
        item.kind = IdentKind::Label;
        item.name = tok().text;
        item.label = code_.newLabel();
        const std::string k = symbols_.scopePrefix() + SymbolTable::key(item.name);
        declare(k, std::move(item));
        next();
        if (is(',')) {
            next();
            continue;
        }
        break;
    }
    if (!is(';')) fail(msg::expected(msg::separator()));
    next();
}

Value Compilation::constExpression(const std::string& name) {
    NodePtr n = expression();
    if (n->kind != Node::Literal) fail(msg::badDeclaration(name));
    return n->value;
}

void Compilation::constSection() {
    next();
    while (isName()) {
        const Token nameTok = tok();
        next();
        if (is(':')) {
            // A typed constant is a variable with a starting value.
            next();
            typeName();
            if (!is('=')) fail(msg::expectedChar("=", found()));
            next();
            declareVariable(nameTok, constExpression(nameTok.text));
        } else {
            if (!is('=')) fail(msg::expectedChar("=", found()));
            next();
            Ident item;
            item.kind = IdentKind::Constant;
            item.name = nameTok.text;
            item.value = constExpression(nameTok.text);
            declare(symbols_.scopePrefix() + SymbolTable::key(nameTok.text), std::move(item));
        }
        if (!is(';')) fail(msg::expected(msg::separator()));
        next();
    }
}

void Compilation::varSection() {
    next();
    while (isName()) {
        std::vector<Token> names{tok()};
        next();
        while (is(',')) {
            next();
            if (!isName()) fail(msg::expected(msg::variableName()));
            names.push_back(tok());
            next();
        }
        if (!is(':')) fail(msg::expectedOneOf(",", ":"));
        next();
        const TypeInfo type = typeName();
        Value initial = type.zero;
        if (is('=')) {
            if (names.size() != 1) fail(msg::badDeclaration(names[0].text));
            next();
            initial = constExpression(names[0].text);
        }
        if (!is(';')) fail(msg::expected(msg::separator()));
        next();
        for (const Token& n : names)
            declareVariable(n, initial, type.registeredClass ? type.name : std::string());
    }
}

void Compilation::declareVariable(const Token& name, const Value& initial, std::string className) {
    const std::string k = symbols_.scopePrefix() + SymbolTable::key(name.text);
    if (symbols_.contains(k))
        failAt(msg::variableAlreadyDefined(name.text), name.line, name.column);
    Ident item;
    item.kind = IdentKind::Variable;
    item.name = name.text;
    item.slot = slots_.allocSlot();
    item.className = std::move(className);
    slots_.setInitial(item.slot, initial);
    if (!symbols_.inRoutine()) globals_.push_back({name.text, item.slot});
    declare(k, std::move(item));
}

TypeInfo Compilation::typeName() {
    if (is(KwString)) {
        next();
        if (is('[')) {
            next();
            expression();
            expectChar(']');
        }
        return {"string", Value(std::string())};
    }
    if (isName()) {
        const std::string name = tok().text;
        if (const TypeInfo* t = standardType(name)) {
            next();
            return *t;
        }
        const Ident* declared = symbols_.find(SymbolTable::key(name));
        const bool ownClass = declared && declared->kind == IdentKind::Class;
        if (ownClass || resolver_.isClass(name)) {
            next();
            return {name, Value(ObjectRef()), !ownClass};
        }
        if (UnknownNameObserver* observer = unknownNameObserver();
            observer && name.size() > 1 && (name[0] == 'T' || name[0] == 't')) {
            // A class the runtime does not have: reported, then read as an object type.
            observer->unknownName(name, tok().line, tok().column);
            next();
            return {name, Value(ObjectRef())};
        }
    }
    fail(msg::unknownType());
}

void Compilation::typeSection() {
    next();
    while (isName()) {
        const Token nameTok = tok();
        next();
        if (!is('=')) fail(msg::expectedChar("=", found()));
        next();
        if (!is(KwClass)) fail(msg::onlyClassTypes());
        classDeclaration(nameTok);
        if (!is(';')) fail(msg::expected(msg::separator()));
        next();
    }
}

// Classes are declared so that the module's form class and its handlers read as written;
// only methods of a class derived from a component class can run (with the module object
// as self).
void Compilation::classDeclaration(const Token& nameTok) {
    next();
    if (is(KwOf)) fail(msg::onlyClassTypes());
    Ident item;
    item.kind = IdentKind::Class;
    item.name = nameTok.text;
    if (is('(')) {
        next();
        if (!isName()) fail(msg::badDeclaration(nameTok.text));
        item.parent = tok().text;
        next();
        while (is(',')) {
            next();
            if (!isName()) fail(msg::badDeclaration(nameTok.text));
            next();
        }
        expectChar(')');
    }
    if (symbols_.inRoutine()) fail(msg::badBlock());
    Ident* existing = symbols_.find(SymbolTable::key(nameTok.text));
    if (existing && existing->kind == IdentKind::Class)
        existing->parent = item.parent.empty() ? existing->parent : item.parent;
    else
        declare(SymbolTable::key(nameTok.text), std::move(item));
    if (is(';')) return; // forward declaration, or a class without members
    for (;;) {
        switch (tok().code) {
        case KwEnd:
            next();
            return;
        case KwPrivate:
        case KwProtected:
        case KwPublic:
        case KwPublished:
        case KwAutomated:
            next();
            break;
        case KwClass:
        case KwProcedure:
        case KwFunction:
        case KwConstructor:
        case KwDestructor:
            methodHeading();
            break;
        case KwProperty:
            propertyDeclaration();
            break;
        case kTokIdent:
            fieldDeclaration(nameTok.text);
            break;
        case kTokEnd:
            fail(msg::expected(msg::keyword("End")));
        default:
            fail(msg::badDeclaration(nameTok.text));
        }
    }
}

void Compilation::fieldDeclaration(const std::string& className) {
    next();
    while (is(',')) {
        next();
        if (!isName()) fail(msg::badDeclaration(className));
        next();
    }
    if (!is(':')) fail(msg::expectedOneOf(",", ":"));
    next();
    // Field types are not checked: the machine never makes instances of module classes.
    if (!isName() && !is(KwString)) fail(msg::unknownType());
    next();
    if (!is(';')) fail(msg::expected(msg::separator()));
    next();
}

void Compilation::methodHeading() {
    if (is(KwClass)) next();
    const bool isFunction = is(KwFunction);
    if (!(is(KwProcedure) || is(KwFunction) || is(KwConstructor) || is(KwDestructor)))
        fail(msg::badMethod());
    next();
    if (!isName()) fail(msg::badMethod());
    next();
    if (is('(')) parameters();
    if (isFunction) {
        if (!is(':')) fail(msg::badMethod());
        next();
        if (!isName() && !is(KwString)) fail(msg::badMethod());
        next();
    }
    if (!is(';')) fail(msg::badMethod());
    next();
    while (isDirectiveKeyword(tok().code)) {
        const bool message = is(KwMessage);
        next();
        if (message) {
            if (!isName() && !is(kTokNumber)) fail(msg::badMethod());
            next();
        }
        if (!is(';')) fail(msg::badMethod());
        next();
    }
}

void Compilation::propertyDeclaration() {
    next();
    if (!isName()) fail(msg::badDeclaration("property"));
    const std::string name = tok().text;
    next();
    if (is('[')) {
        while (!is(']') && !is(kTokEnd))
            next();
        expectChar(']');
    }
    if (is(':')) {
        next();
        if (!isName() && !is(KwString)) fail(msg::unknownType());
        next();
    }
    bool implemented = false;
    for (;;) {
        if (is(KwIndex)) {
            next();
            expression();
        } else if (is(KwRead) || is(KwWriteonly) ||
                   (isName() && equalsNoCase(tok().text, "write"))) {
            next();
            if (!isName()) fail(msg::propertyNotImplemented());
            next();
            implemented = true;
        } else if (is(KwStored)) {
            next();
            expression();
        } else if (isName() && equalsNoCase(tok().text, "default")) {
            next();
            if (!is(';')) expression();
        } else if (is(KwNodefault)) {
            next();
        } else {
            break;
        }
    }
    if (!implemented) fail(msg::propertyNotImplemented());
    if (!is(';')) fail(msg::badDeclaration(name));
    next();
    if (isName() && equalsNoCase(tok().text, "default")) {
        next();
        if (!is(';')) fail(msg::badDeclaration(name));
        next();
    }
}

std::vector<Param> Compilation::parameters() {
    next();
    std::vector<Param> params;
    if (is(')')) {
        next();
        return params;
    }
    for (;;) {
        bool isVar = false, isConst = false;
        if (is(KwVar) || is(KwOut)) {
            isVar = true;
            next();
        } else if (is(KwConst)) {
            isConst = true;
            next();
        }
        std::vector<std::string> names;
        if (!isName()) fail(msg::badParameterList());
        names.push_back(tok().text);
        next();
        while (is(',')) {
            next();
            if (!isName()) fail(msg::badParameterList());
            names.push_back(tok().text);
            next();
        }
        Value zero;
        std::string className;
        if (is(':')) {
            next();
            if (is(KwArray)) {
                next();
                if (!is(KwOf)) fail(msg::badParameterList());
                next();
                if (is(KwConst))
                    next();
                else
                    typeName();
            } else {
                const TypeInfo type = typeName();
                zero = type.zero;
                if (type.registeredClass) className = type.name;
            }
        } else if (!isVar && !isConst) {
            fail(msg::badParameterList());
        }
        if (is('=')) fail(msg::badParameterList());
        for (auto& n : names)
            params.push_back({n, isVar, zero, className});
        if (is(')')) {
            next();
            break;
        }
        if (!is(';')) fail(msg::expectedOneOf(";", ")"));
        next();
    }
    if (params.size() > static_cast<std::size_t>(kMaxCallArguments)) fail(msg::badParameterList());
    return params;
}

void Compilation::routine() {
    if (is(KwConstructor) || is(KwDestructor)) fail(msg::badMethod());
    const bool isFunction = is(KwFunction);
    next();
    if (!isName()) fail(msg::expected(msg::identifier()));
    Token nameTok = tok();
    std::string name = nameTok.text;
    std::string className;
    next();
    if (is('.')) {
        next();
        if (!isName()) fail(msg::badMethod());
        const Ident* cls = symbols_.find(SymbolTable::key(name));
        if (!cls || cls->kind != IdentKind::Class || cls->parent.empty() ||
            !resolver_.isComponentClass(cls->parent))
            fail(msg::badMethod());
        className = name;
        name = tok().text;
        nameTok = tok();
        next();
    }
    std::vector<Param> params;
    if (is('(')) params = parameters();
    Value resultZero;
    if (isFunction) {
        if (!is(':')) fail(msg::expectedChar(":", found()));
        next();
        resultZero = typeName().zero;
    }
    if (!is(';')) fail(msg::expectedChar(";", found()));
    next();
    bool forward = inInterface_;
    while (isDirectiveKeyword(tok().code)) {
        if (is(KwExternal)) fail(msg::badDeclaration(name));
        if (is(KwForward)) forward = true;
        const bool message = is(KwMessage);
        next();
        if (message) next();
        if (!is(';')) fail(msg::expectedChar(";", found()));
        next();
    }

    int index = -1;
    if (Ident* existing = symbols_.find(SymbolTable::key(name))) {
        if (existing->kind != IdentKind::Routine)
            failAt(msg::badDeclaration(name), nameTok.line, nameTok.column);
        RoutineDecl& r = symbols_.routine(existing->routine);
        if (r.defined || forward || r.isFunction != isFunction || r.params.size() != params.size())
            failAt(msg::badDeclaration(name), nameTok.line, nameTok.column);
        index = existing->routine;
    } else {
        RoutineDecl r;
        r.name = name;
        r.isFunction = isFunction;
        r.entryLabel = code_.newLabel();
        r.line = nameTok.line;
        r.column = nameTok.column;
        index = symbols_.addRoutine(std::move(r));
        Ident item;
        item.kind = IdentKind::Routine;
        item.name = name;
        item.routine = index;
        declare(SymbolTable::key(name), std::move(item));
    }
    RoutineDecl& r = symbols_.routine(index);
    r.params = std::move(params);
    if (!className.empty()) r.aliases.push_back(className + "." + name);
    if (forward) {
        r.forward = true;
        return;
    }
    routineBody(index, resultZero);
}

void Compilation::routineBody(int index, const Value& resultZero) {
    symbols_.enterRoutine(index);
    RoutineDecl* r = symbols_.currentRoutine();
    r->defined = true;
    r->firstSlot = slots_.nextSlot();
    const std::string prefix = symbols_.scopePrefix();
    for (const Param& p : r->params) {
        Ident item;
        item.kind = IdentKind::Parameter;
        item.name = p.name;
        item.className = p.className;
        item.slot = slots_.allocSlot();
        slots_.setInitial(item.slot, p.zero);
        r->paramSlots.push_back(item.slot);
        declare(prefix + SymbolTable::key(p.name), std::move(item));
    }
    if (r->isFunction) {
        Ident item;
        item.kind = IdentKind::Result;
        item.name = "Result";
        item.slot = slots_.allocSlot();
        slots_.setInitial(item.slot, resultZero);
        r->resultSlot = item.slot;
        declare(prefix + "RESULT", std::move(item));
    }
    for (;;) {
        switch (tok().code) {
        case KwVar:
            varSection();
            continue;
        case KwConst:
            constSection();
            continue;
        case KwLabel:
            labelSection();
            continue;
        case KwBegin:
            break;
        case KwProcedure:
        case KwFunction:
        case KwType:
            fail(msg::badBlock());
        default:
            fail(msg::expected(msg::keyword("begin")));
        }
        break;
    }
    symbols_.currentRoutine()->tempSlot = slots_.nextSlot();
    slots_.startTemporaries();
    code_.place(symbols_.currentRoutine()->entryLabel);
    next();
    statementList(KwEnd, "End");
    r = symbols_.currentRoutine();
    if (r->isFunction && !r->resultUsed) fail(msg::resultNotUsed(r->name));
    at(tok());
    code_.emit(OpReturn);
    next();
    if (!is(';')) fail(msg::expectedChar(";", found()));
    next();
    finishScope();
    slots_.keepTemporaries();
    r = symbols_.currentRoutine();
    r->endSlot = slots_.nextSlot();
    // Goto trampolines follow the return: they belong to the body too.
    r->codeEnd = static_cast<int>(code_.code().size());
    symbols_.leaveRoutine();
}

} // namespace vorlan::script::pascal::detail
