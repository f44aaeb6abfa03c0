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

// The routines the module only ever calls; empty when it may reach globals by computed names.
std::set<std::string> onlyCalled(const std::vector<JsToken>& tokens,
                                 const std::set<std::string>& routines) {
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
            if (i + 2 < tokens.size() && routines.count(std::string(tokens[i + 2].text)))
                unsafe.emplace(tokens[i + 2].text);
            continue;
        }
        if (!routines.count(std::string(t.text))) continue;
        if (!next || !next->is('(') || (prev && prev->isWord("function"))) unsafe.emplace(t.text);
    }
    std::set<std::string> out;
    for (const std::string& name : routines)
        if (!unsafe.count(name)) out.insert(name);
    return out;
}

// A function body: where its copies go, whether it loops, which routines it calls itself.
struct Body {
    int depth = 0;          // brace depth inside it
    std::size_t first = 0;  // index of its first token
    std::size_t insert = 0; // offset just after its "{"
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

} // namespace

RoutineLocals addRoutineLocals(std::string_view source, const std::set<std::string>& routines) {
    RoutineLocals out;
    out.text = source;
    if (routines.empty()) return out;
    const std::vector<JsToken> tokens = tokenizeJs(source);
    const std::set<std::string> callable = onlyCalled(tokens, routines);
    if (callable.empty()) return out;

    std::map<std::size_t, std::set<std::string>> inserts; // by offset
    std::vector<Body> open;
    int depth = 0;
    bool awaitingBody = false;
    auto close = [&](const Body& body) {
        if (!body.loops || body.calls.empty()) return;
        // A directive prologue ("use strict") must stay first: the copies go after it.
        std::size_t at = body.insert;
        if (tokens[body.first].kind == Kind::String) {
            if (body.first + 1 >= tokens.size() || !tokens[body.first + 1].is(';')) return;
            at = tokens[body.first + 1].end;
        }
        inserts[at].insert(body.calls.begin(), body.calls.end());
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
                // Not a property called "function" (`{function: 1}`): a name, if any, then "(".
                const std::size_t paren =
                    i + 1 < tokens.size() && tokens[i + 1].kind == Kind::Identifier ? i + 2 : i + 1;
                awaitingBody = paren < tokens.size() && tokens[paren].is('(');
            } else if (!open.empty() && isLoopKeyword(t.text)) {
                open.back().loops = true;
            } else if (!open.empty() && callable.count(std::string(t.text))) {
                open.back().calls.emplace(t.text);
            }
        }
    }
    if (inserts.empty()) return out;

    out.holder = unusedName(tokens, "$vorlanRoutines");
    const std::string local = unusedName(tokens, "$vorlanRoutine");
    std::string text;
    text.reserve(source.size() + inserts.size() * 64);
    std::size_t from = 0;
    for (const auto& [at, names] : inserts) {
        text.append(source.substr(from, at - from));
        text += "var " + local + "=" + out.holder;
        for (const std::string& name : names) {
            text += "," + name + "=" + local + "." + name;
            out.names.insert(name);
        }
        text += ";";
        from = at;
    }
    text.append(source.substr(from));
    out.text = std::move(text);
    return out;
}

} // namespace vorlan::script::js
