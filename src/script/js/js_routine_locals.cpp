#include "script/js/js_routine_locals.h"

#include "script/js/js_tokens.h"

#include <map>
#include <vector>

namespace vorlan::script::js {

namespace {

using Kind = JsToken::Kind;

// Names through which a script reaches the global object or its scope chain under names that
// the text does not show.
bool reachesGlobalsByComputedName(std::string_view word) {
    return word == "eval" || word == "with" || word == "Function" || word == "globalThis";
}

bool isLoopKeyword(std::string_view word) {
    return word == "for" || word == "while" || word == "do";
}

bool opens(const JsToken& t) {
    return t.is('{') || t.is('(') || t.is('[');
}
bool closes(const JsToken& t) {
    return t.is('}') || t.is(')') || t.is(']');
}

// The indexes of the names of the module's top-level function declarations: `function name(`
// where a statement starts outside every bracket.
std::set<std::size_t> topLevelDeclarations(const std::vector<JsToken>& tokens) {
    std::set<std::size_t> out;
    int depth = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const JsToken& t = tokens[i];
        if (opens(t)) ++depth;
        if (closes(t)) --depth;
        if (depth != 0 || !t.isWord("function") || i + 2 >= tokens.size()) continue;
        const bool statement = i == 0 || tokens[i - 1].is(';') || tokens[i - 1].is('}');
        if (statement && tokens[i + 1].kind == Kind::Identifier && tokens[i + 2].is('('))
            out.insert(i + 1);
    }
    return out;
}

// The candidates the module only ever calls (or declares, for its own functions); empty when
// it may reach globals by computed names.
std::set<std::string> onlyCalled(const std::vector<JsToken>& tokens,
                                 const std::set<std::string>& candidates,
                                 const std::set<std::size_t>& declarations) {
    std::set<std::string> unsafe;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const JsToken& t = tokens[i];
        const JsToken* prev = i > 0 ? &tokens[i - 1] : nullptr;
        const JsToken* next = i + 1 < tokens.size() ? &tokens[i + 1] : nullptr;
        if (t.is('=') && next && next->is('>') && next->begin == t.end) return {}; // arrows
        if (t.kind != Kind::Identifier || (prev && prev->is('.'))) continue;
        if (reachesGlobalsByComputedName(t.text)) return {};
        if (t.text == "this") {
            if (!next || !next->is('.')) return {};
            if (i + 2 < tokens.size()) unsafe.emplace(tokens[i + 2].text);
            continue;
        }
        if (!candidates.count(std::string(t.text)) || declarations.count(i)) continue;
        if (!next || !next->is('(') || (prev && prev->isWord("function"))) unsafe.emplace(t.text);
    }
    std::set<std::string> out;
    for (const std::string& name : candidates)
        if (!unsafe.count(name)) out.insert(name);
    return out;
}

// Where a body's own statements start: after its directive prologue ("use strict"), which must
// stay first. npos when a directive ends without ";".
std::size_t afterDirectives(const std::vector<JsToken>& tokens, std::size_t first,
                            std::size_t offset) {
    while (first < tokens.size() && tokens[first].kind == Kind::String) {
        if (first + 1 >= tokens.size() || !tokens[first + 1].is(';')) return std::string::npos;
        offset = tokens[first + 1].end;
        first += 2;
    }
    return offset;
}

// A function body: where its copies go, whether it loops, which candidates it calls itself.
struct Body {
    int depth = 0;         // brace depth inside it
    std::size_t first = 0; // index of its first token
    std::size_t open = 0;  // offset just after its "{"
    bool loops = false;
    std::set<std::string> calls;
};

std::string unusedName(const std::vector<JsToken>& tokens, std::string_view base) {
    std::set<std::string_view> words;
    for (const JsToken& t : tokens)
        if (t.kind == Kind::Identifier) words.insert(t.text);
    std::string name(base);
    for (int k = 1; words.count(name); ++k)
        name = std::string(base) + std::to_string(k);
    return name;
}

// Whether the token at i starts a function's parameters: a name, if any, then "(" (not a
// property called "function", as in `{function: 1}`).
bool startsFunction(const std::vector<JsToken>& tokens, std::size_t i) {
    const std::size_t paren =
        i + 1 < tokens.size() && tokens[i + 1].kind == Kind::Identifier ? i + 2 : i + 1;
    return paren < tokens.size() && tokens[paren].is('(');
}

} // namespace

RoutineLocals addRoutineLocals(std::string_view source, const std::set<std::string>& routines) {
    RoutineLocals out;
    out.text = source;
    const std::vector<JsToken> tokens = tokenizeJs(source);
    const std::set<std::size_t> declarations = topLevelDeclarations(tokens);
    std::set<std::string> candidates = routines;
    // The module's own functions are filled in by its first statement, which needs a place.
    const std::size_t moduleStart = afterDirectives(tokens, 0, 0);
    if (moduleStart != std::string::npos)
        for (const std::size_t at : declarations)
            candidates.emplace(tokens[at].text);
    if (candidates.empty()) return out;
    const std::set<std::string> callable = onlyCalled(tokens, candidates, declarations);
    if (callable.empty()) return out;

    std::map<std::size_t, std::set<std::string>> copies; // by offset
    std::vector<Body> open;
    int depth = 0;
    bool awaitingBody = false;
    auto close = [&](const Body& body) {
        // Copies cost the body's every run a lookup of the holder; in a loop they pay for it.
        if (body.calls.empty() || !body.loops) return;
        const std::size_t at = afterDirectives(tokens, body.first, body.open);
        if (at != std::string::npos) copies[at].insert(body.calls.begin(), body.calls.end());
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const JsToken& t = tokens[i];
        if (t.is('{')) {
            ++depth;
            if (awaitingBody && i + 1 < tokens.size())
                open.push_back({depth, i + 1, t.end, false, {}});
            awaitingBody = false;
        } else if (t.is('}')) {
            if (!open.empty() && open.back().depth == depth) {
                close(open.back());
                open.pop_back();
            }
            --depth;
        } else if (t.kind == Kind::Identifier && !(i > 0 && tokens[i - 1].is('.'))) {
            if (t.text == "function") {
                awaitingBody = startsFunction(tokens, i);
            } else if (!open.empty() && isLoopKeyword(t.text)) {
                open.back().loops = true;
            } else if (!open.empty() && callable.count(std::string(t.text)) &&
                       !declarations.count(i)) {
                open.back().calls.emplace(t.text);
            }
        }
    }
    if (copies.empty()) return out;

    out.holder = unusedName(tokens, "$vorlanRoutines");
    const std::string local = unusedName(tokens, "$vorlanRoutine");
    std::map<std::size_t, std::string> inserts;
    for (const auto& [at, names] : copies) {
        std::string& text = inserts[at];
        text += "var " + local + "=" + out.holder;
        for (const std::string& name : names) {
            text += "," + name + "=" + local + "." + name;
            (routines.count(name) ? out.routines : out.functions).insert(name);
        }
        text += ";";
    }
    if (!out.functions.empty()) {
        std::string fill;
        for (const std::string& name : out.functions)
            fill += out.holder + "." + name + "=" + name + ";";
        inserts[moduleStart].insert(0, fill);
    }
    std::string text;
    text.reserve(source.size() + inserts.size() * 64);
    std::size_t from = 0;
    for (const auto& [at, insert] : inserts) {
        text.append(source.substr(from, at - from));
        text += insert;
        from = at;
    }
    text.append(source.substr(from));
    out.text = std::move(text);
    return out;
}

} // namespace vorlan::script::js
