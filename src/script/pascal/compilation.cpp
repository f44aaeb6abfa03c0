// The compilation's start and end, and the module's top-level structure.

#include "script/pascal/compilation.h"

#include "core/cp1250.h"
#include "script/pascal/linker.h"
#include "script/pascal/messages.h"

#include <algorithm>

namespace vorlan::script::pascal::detail {

std::unique_ptr<BinProg> Compilation::run() {
    try {
        next();
        module();
        return link();
    } catch (const ScannerError& e) {
        throw Failure{e.what(), e.line(), e.column()};
    }
}

std::unique_ptr<BinProg> Compilation::link() {
    return detail::link({code_, slots_, symbols_.routines(), globals_, units_});
}

Ident& Compilation::declare(const std::string& k, Ident item) {
    if (symbols_.contains(k)) {
        if (item.kind == IdentKind::Label) fail(msg::labelAlreadyDefined(item.name));
        if (item.kind == IdentKind::Routine || item.kind == IdentKind::Class)
            fail(msg::badDeclaration(item.name));
        fail(msg::variableAlreadyDefined(item.name));
    }
    return *symbols_.add(k, std::move(item));
}

// ---- module structure

void Compilation::module() {
    at(tok());
    mainLabel_ = code_.newLabel();
    code_.emit(OpJump, mainLabel_);
    if (is(KwProgram) || is(KwUnit) || is(KwLibrary)) {
        isUnit_ = is(KwUnit);
        next();
        if (!isName()) fail(msg::expected(msg::programName()));
        next();
        if (is('(')) {
            next();
            while (isName() || is(','))
                next();
            expectChar(')');
        }
        expectChar(';');
    }
    for (;;) {
        switch (tok().code) {
        case KwUses:
            usesClause();
            break;
        case KwInterface:
            inInterface_ = true;
            next();
            break;
        case KwImplementation:
            inInterface_ = false;
            next();
            break;
        case KwLabel:
            labelSection();
            break;
        case KwConst:
        case KwResourcestring:
            constSection();
            break;
        case KwType:
            typeSection();
            break;
        case KwVar:
        case KwThreadvar:
            varSection();
            break;
        case KwProcedure:
        case KwFunction:
        case KwConstructor:
        case KwDestructor:
            routine();
            break;
        case KwBegin:
        case KwInitialization:
            mainBlock();
            return;
        case KwEnd:
            if (!isUnit_) fail(msg::expected(msg::keyword("begin")));
            code_.place(mainLabel_);
            at(tok());
            code_.emit(OpEndProgram);
            next();
            if (!is('.')) fail(msg::expectedChar(".", found()));
            finishScope();
            return;
        case kTokEnd:
            fail(msg::expected(msg::keyword("begin")));
        default:
            fail(msg::badBlock());
        }
    }
}

void Compilation::usesClause() {
    next();
    for (;;) {
        if (!isName()) fail(msg::expected(msg::sourceName()));
        const std::string unit = tok().text;
        if (std::none_of(units_.begin(), units_.end(),
                         [&](const std::string& u) { return equalsNoCase(u, unit); }))
            units_.push_back(unit);
        next();
        if (is(KwIn)) {
            next();
            if (!is(kTokString)) fail(msg::badString());
            next();
        }
        if (is(',')) {
            next();
            continue;
        }
        break;
    }
    if (!is(';')) fail(msg::expectedOneOf(",", ";"));
    next();
    hasUses_ = true;
}

void Compilation::mainBlock() {
    slots_.startTemporaries();
    code_.place(mainLabel_);
    next();
    statementList(KwEnd, "End");
    at(tok());
    code_.emit(OpEndProgram);
    next();
    if (!is('.')) fail(msg::expectedChar(".", found()));
    finishScope();
}

void Compilation::finishScope() {
    for (const PendingGoto& g : gotos_) {
        Ident* label = symbols_.find(g.key);
        if (!label || !label->placed) failAt(msg::labelNotDefined(g.name), g.line, g.column);
        code_.place(g.trampoline);
        at(g.line, g.column);
        leaveBlocks(g.path, commonPrefix(g.path, label->tryPath));
        code_.emit(OpJump, label->label);
    }
    gotos_.clear();
}

std::size_t Compilation::commonPrefix(const std::vector<int>& a, const std::vector<int>& b) {
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

} // namespace vorlan::script::pascal::detail
