#include "script/basic/basic_parser.h"

#include "core/civil_date.h"
#include "core/cp1250.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vorlan::script::basic {

namespace {

enum class Tok : std::uint8_t { Ident, Number, String, Date, Symbol, Colon, Newline, End };

struct Token {
    Tok kind = Tok::End;
    std::string text; // identifier or symbol as written; string contents
    Value value;      // numbers and dates
    int line = 0;
    int column = 0;
    bool spaceBefore = false;
};

bool isIdentStart(unsigned char c) {
    return std::isalpha(c) || c >= 0x80;
}
bool isIdentChar(unsigned char c) {
    return std::isalnum(c) || c == '_' || c >= 0x80;
}

} // namespace

// A date, a time or both: m/d/y, y-m-d (or m-d-y), d.m.y (the runtime's own way of writing
// dates), then h:mm[:ss] with an optional AM or PM. Two-digit years below 30 are 20xx, the
// others 19xx.
bool parseDateText(std::string_view s, double& out) {
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < s.size() && s[i] == ' ')
            ++i;
    };
    const auto number = [&](int& n) {
        if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return false;
        long v = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && v < 100000)
            v = v * 10 + (s[i++] - '0');
        n = static_cast<int>(v);
        return true;
    };
    int part[3] = {0, 0, 0};
    char sep = 0;
    skipBlanks();
    const std::size_t start = i;
    int n = 0;
    if (number(n) && i < s.size() && (s[i] == '/' || s[i] == '-' || s[i] == '.')) {
        sep = s[i];
        part[0] = n;
        for (int k = 1; k < 3; ++k) {
            if (i >= s.size() || s[i] != sep) return false;
            ++i;
            if (!number(part[k])) return false;
        }
    } else {
        i = start;
    }
    skipBlanks();
    int t[3] = {0, 0, 0};
    int times = 0;
    if (i < s.size()) {
        if (!number(t[0])) return false;
        times = 1;
        while (times < 3 && i < s.size() && s[i] == ':') {
            ++i;
            if (!number(t[times++])) return false;
        }
        if (times < 2) return false;
        skipBlanks();
        if (i < s.size()) {
            const std::string rest = upperCase(s.substr(i));
            if (rest != "AM" && rest != "PM") return false;
            if (t[0] < 1 || t[0] > 12) return false;
            if (rest == "AM" && t[0] == 12) t[0] = 0;
            if (rest == "PM" && t[0] < 12) t[0] += 12;
        }
    }
    if (!sep && times == 0) return false;
    if (t[0] > 23 || t[1] > 59 || t[2] > 59) return false;
    double days = 0;
    if (sep) {
        int y = part[2], m = part[0], d = part[1];
        if (sep == '.') y = part[2], m = part[1], d = part[0];
        if (sep == '-' && part[0] > 31) y = part[0], m = part[1], d = part[2];
        if (y < 100) y += y < 30 ? 2000 : 1900;
        if (!isValidDate(y, m, d)) return false;
        days = static_cast<double>(serialFromCivil(y, m, d));
    }
    out = days + (t[0] * 3600.0 + t[1] * 60.0 + t[2]) / 86400.0;
    return true;
}

namespace {

class Lexer {
public:
    explicit Lexer(std::string_view text) : s_(text) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        bool space = false;
        while (pos_ < s_.size()) {
            const auto c = static_cast<unsigned char>(s_[pos_]);
            if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
                space = true;
                continue;
            }
            Token t;
            t.line = line_;
            t.column = static_cast<int>(pos_ - lineStart_);
            t.spaceBefore = space;
            space = false;
            if (c == '\n') {
                t.kind = Tok::Newline;
                ++pos_;
                ++line_;
                lineStart_ = pos_;
            } else if (c == '\'') {
                skipToLineEnd();
                continue;
            } else if (c == '_' && isContinuation()) {
                skipToLineEnd();
                if (pos_ < s_.size()) {
                    ++pos_;
                    ++line_;
                    lineStart_ = pos_;
                }
                space = true;
                continue;
            } else if (c == ':') {
                t.kind = Tok::Colon;
                ++pos_;
            } else if (c == '"') {
                t.kind = Tok::String;
                ++pos_;
                for (;;) {
                    if (pos_ >= s_.size() || s_[pos_] == '\n')
                        throw SyntaxError(czech("Neukončená řetězcová konstanta"), t.line,
                                          t.column);
                    if (s_[pos_] == '"') {
                        if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '"') {
                            t.text += '"';
                            pos_ += 2;
                            continue;
                        }
                        ++pos_;
                        break;
                    }
                    t.text += s_[pos_++];
                }
            } else if (std::isdigit(c) ||
                       (c == '.' && pos_ + 1 < s_.size() &&
                        std::isdigit(static_cast<unsigned char>(s_[pos_ + 1])))) {
                number(t);
            } else if (c == '&' && pos_ + 1 < s_.size() &&
                       (s_[pos_ + 1] == 'H' || s_[pos_ + 1] == 'h')) {
                pos_ += 2;
                std::int64_t n = 0;
                int digits = 0;
                while (pos_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[pos_]))) {
                    const char h = s_[pos_++];
                    n = n * 16 + (std::isdigit(static_cast<unsigned char>(h))
                                      ? h - '0'
                                      : (h | 0x20) - 'a' + 10);
                    if (++digits > 8) throw SyntaxError(czech("Přetečení"), t.line, t.column);
                }
                if (digits == 0)
                    throw SyntaxError(czech("Očekávány šestnáctkové číslice"), t.line, t.column);
                if (pos_ < s_.size() && s_[pos_] == '&') ++pos_;
                t.kind = Tok::Number;
                // Four hex digits or fewer are a 16-bit value, eight a 32-bit one.
                if (digits <= 4 && n >= 0x8000) n -= 0x10000;
                t.value = Value(static_cast<std::int32_t>(static_cast<std::uint32_t>(n)));
            } else if (c == '#' && tryDate(t)) {
                // done
            } else if (isIdentStart(c) || (c == '[')) {
                t.kind = Tok::Ident;
                if (c == '[') {
                    ++pos_;
                    while (pos_ < s_.size() && s_[pos_] != ']' && s_[pos_] != '\n')
                        t.text += s_[pos_++];
                    if (pos_ >= s_.size() || s_[pos_] != ']')
                        throw SyntaxError(czech("Očekávána ']'"), t.line, t.column);
                    ++pos_;
                } else {
                    while (pos_ < s_.size() && isIdentChar(static_cast<unsigned char>(s_[pos_])))
                        t.text += s_[pos_++];
                }
                if (equalsNoCase(t.text, "Rem")) {
                    skipToLineEnd();
                    continue;
                }
            } else {
                t.kind = Tok::Symbol;
                static const char* const twoChar[] = {"<>", "<=", ">=", "=<", "=>"};
                for (const char* op : twoChar)
                    if (s_.substr(pos_, 2) == op) t.text = op;
                if (t.text == "=<") t.text = "<=";
                if (t.text == "=>") t.text = ">=";
                if (t.text.empty()) {
                    static const std::string_view singles = "+-*/\\^&=<>(),.";
                    if (singles.find(static_cast<char>(c)) == std::string_view::npos)
                        throw SyntaxError(czech("Neplatný znak"), t.line, t.column);
                    t.text = std::string(1, static_cast<char>(c));
                    ++pos_;
                } else {
                    pos_ += 2;
                }
            }
            out.push_back(std::move(t));
        }
        Token end;
        end.kind = Tok::End;
        end.line = line_;
        end.column = static_cast<int>(pos_ - lineStart_);
        out.push_back(std::move(end));
        return out;
    }

private:
    void skipToLineEnd() {
        while (pos_ < s_.size() && s_[pos_] != '\n')
            ++pos_;
    }
    bool isContinuation() const {
        if (pos_ > 0 && s_[pos_ - 1] != ' ' && s_[pos_ - 1] != '\t') return false;
        std::size_t i = pos_ + 1;
        while (i < s_.size() && (s_[i] == ' ' || s_[i] == '\t' || s_[i] == '\r'))
            ++i;
        return i >= s_.size() || s_[i] == '\n';
    }
    void number(Token& t) {
        const std::size_t start = pos_;
        bool isReal = false;
        while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
            ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '.') {
            isReal = true;
            ++pos_;
            while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
                ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            std::size_t j = pos_ + 1;
            if (j < s_.size() && (s_[j] == '+' || s_[j] == '-')) ++j;
            if (j < s_.size() && std::isdigit(static_cast<unsigned char>(s_[j]))) {
                isReal = true;
                pos_ = j;
                while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
                    ++pos_;
            }
        }
        const std::string text(s_.substr(start, pos_ - start));
        const double d = std::strtod(text.c_str(), nullptr);
        t.kind = Tok::Number;
        if (!isReal && d <= 2147483647.0)
            t.value = Value(static_cast<std::int32_t>(d));
        else
            t.value = Value(d);
        if (pos_ < s_.size() && isIdentChar(static_cast<unsigned char>(s_[pos_])))
            throw SyntaxError(czech("Očekáván konec příkazu"), t.line,
                              static_cast<int>(pos_ - lineStart_));
    }
    bool tryDate(Token& t) {
        const std::size_t close = s_.find_first_of("#\n", pos_ + 1);
        if (close == std::string_view::npos || s_[close] != '#') return false;
        double days = 0;
        if (!parseDateText(s_.substr(pos_ + 1, close - pos_ - 1), days))
            throw SyntaxError(czech("Neplatný zápis data"), t.line, t.column);
        t.kind = Tok::Date;
        t.value = Value(DateTime{days});
        pos_ = close + 1;
        return true;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    int line_ = 0;
};

constexpr int kMaxNesting = 200;

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

    ExprPtr lone() {
        Module m;
        module_ = &m;
        ExprPtr e = expression();
        if (!at(Tok::End)) fail(czech("Očekáván konec příkazu"));
        return e;
    }

    std::unique_ptr<Module> module() {
        auto m = std::make_unique<Module>();
        module_ = m.get();
        skipSeparators();
        while (!at(Tok::End)) {
            if (isWord("Option")) {
                next();
                expectWord("Explicit");
                m->optionExplicit = true;
            } else if (startsProcedure()) {
                auto p = procedure();
                for (const auto& other : module_->procedures)
                    if (equalsNoCase(other->name, p->name))
                        throw SyntaxError(czech("Jméno je definováno znovu"), p->line, p->column);
                module_->procedures.push_back(std::move(p));
            } else if (isWord("Class")) {
                classDef();
            } else {
                if (auto s = statement()) m->body.push_back(std::move(s));
            }
            endOfStatement();
            skipSeparators();
        }
        return m;
    }

private:
    // ---- tokens
    const Token& peek(std::size_t ahead = 0) const {
        return t_[std::min(i_ + ahead, t_.size() - 1)];
    }
    bool at(Tok kind) const { return peek().kind == kind; }
    void next() {
        if (i_ < t_.size() - 1) ++i_;
    }
    bool isWord(std::string_view w, std::size_t ahead = 0) const {
        return peek(ahead).kind == Tok::Ident && equalsNoCase(peek(ahead).text, w);
    }
    bool isSym(std::string_view s) const { return at(Tok::Symbol) && peek().text == s; }
    bool acceptWord(std::string_view w) {
        if (!isWord(w)) return false;
        next();
        return true;
    }
    bool acceptSym(std::string_view s) {
        if (!isSym(s)) return false;
        next();
        return true;
    }
    [[noreturn]] void fail(const std::string& message) const {
        throw SyntaxError(message, peek().line, peek().column);
    }
    void expectWord(std::string_view w) {
        if (!acceptWord(w)) fail(czech("Očekáváno '") + std::string(w) + "'");
    }
    void expectSym(std::string_view s) {
        if (!acceptSym(s)) fail(czech("Očekáváno '") + std::string(s) + "'");
    }
    bool atStatementEnd() const { return at(Tok::Newline) || at(Tok::Colon) || at(Tok::End); }
    void endOfStatement() {
        if (!atStatementEnd()) fail(czech("Očekáván konec příkazu"));
    }
    void skipSeparators() {
        while (at(Tok::Newline) || at(Tok::Colon))
            next();
    }
    static bool isReserved(std::string_view w) {
        static const char* const words[] = {
            "And",      "Call",    "Case",    "Class",  "Const", "Dim",   "Do",     "Each",
            "Else",     "ElseIf",  "Empty",   "End",    "Eqv",   "Exit",  "False",  "For",
            "Function", "If",      "Imp",     "In",     "Is",    "Loop",  "Mod",    "Next",
            "Not",      "Nothing", "Null",    "On",     "Or",    "ReDim", "Select", "Set",
            "Step",     "Sub",     "Then",    "To",     "True",  "Until", "Wend",   "While",
            "Xor",      "Option",  "Private", "Public", "Me",    "New"};
        for (const char* r : words)
            if (equalsNoCase(w, r)) return true;
        return false;
    }
    std::string identifier() {
        if (!at(Tok::Ident) || isReserved(peek().text)) fail(czech("Očekáván identifikátor"));
        std::string name = peek().text;
        next();
        return name;
    }
    struct DepthGuard {
        explicit DepthGuard(Parser& p) : parser(p) {
            if (++parser.depth_ > kMaxNesting) parser.fail(czech("Příliš hluboké vnoření"));
        }
        ~DepthGuard() { --parser.depth_; }
        Parser& parser;
    };

    // ---- procedures
    bool startsProcedure() const {
        std::size_t k = 0;
        if (isWord("Public") || isWord("Private")) k = 1;
        if (isWord("Default", k)) ++k;
        return isWord("Sub", k) || isWord("Function", k) || isWord("Property", k);
    }
    void classDef() {
        const Token start = peek();
        next();
        auto c = std::make_unique<ClassDef>();
        c->name = identifier();
        for (const auto& other : module_->classes)
            if (equalsNoCase(other->name, c->name)) fail(czech("Jméno je definováno znovu"));
        const int index = static_cast<int>(module_->classes.size());
        for (;;) {
            endOfStatement();
            skipSeparators();
            if (at(Tok::End))
                throw SyntaxError(czech("Očekáváno 'End Class'"), start.line, start.column);
            if (isWord("End") && isWord("Class", 1)) break;
            if (startsProcedure()) {
                auto p = procedure();
                p->ownerClass = index;
                for (const auto& other : c->methods)
                    if (equalsNoCase(other->name, p->name) &&
                        (other->kind == p->kind || (other->kind != ProcKind::PropertyGet &&
                                                    other->kind != ProcKind::PropertyLet &&
                                                    other->kind != ProcKind::PropertySet)))
                        throw SyntaxError(czech("Jméno je definováno znovu"), p->line, p->column);
                c->methods.push_back(std::move(p));
                continue;
            }
            if (!(acceptWord("Dim") || acceptWord("Public") || acceptWord("Private")))
                fail(czech(
                    "Očekáváno 'Dim', 'Public', 'Private', 'Sub', 'Function' nebo 'Property'"));
            do {
                DimItem item;
                item.name = identifier();
                if (acceptSym("(")) {
                    item.isArray = true;
                    if (!isSym(")")) {
                        do
                            item.bounds.push_back(expression());
                        while (acceptSym(","));
                    }
                    expectSym(")");
                }
                c->fields.push_back(std::move(item));
            } while (acceptSym(","));
        }
        next();
        next();
        module_->classes.push_back(std::move(c));
    }
    std::unique_ptr<Procedure> procedure() {
        if (isWord("Public") || isWord("Private")) next();
        acceptWord("Default");
        auto p = std::make_unique<Procedure>();
        p->line = peek().line;
        const char* endWord = "Sub";
        if (acceptWord("Property")) {
            endWord = "Property";
            if (acceptWord("Get"))
                p->kind = ProcKind::PropertyGet;
            else if (acceptWord("Let"))
                p->kind = ProcKind::PropertyLet;
            else if (acceptWord("Set"))
                p->kind = ProcKind::PropertySet;
            else
                fail(czech("Očekáváno 'Get', 'Let' nebo 'Set'"));
        } else {
            if (isWord("Function")) p->kind = ProcKind::Function, endWord = "Function";
            next();
        }
        p->isFunction = p->kind == ProcKind::Function || p->kind == ProcKind::PropertyGet;
        p->line = peek().line;
        p->column = peek().column;
        p->name = identifier();
        if (p->isFunction) p->locals.push_back(p->name);
        if (acceptSym("(")) {
            if (!isSym(")")) {
                do {
                    Param param;
                    if (acceptWord("ByVal"))
                        param.byVal = true;
                    else
                        acceptWord("ByRef");
                    param.name = identifier();
                    if (acceptSym("(")) expectSym(")");
                    p->params.push_back(param);
                    p->locals.push_back(param.name);
                } while (acceptSym(","));
            }
            expectSym(")");
        }
        current_ = p.get();
        p->body = block({endWord});
        expectWord("End");
        expectWord(endWord);
        current_ = nullptr;
        return p;
    }
    void declareLocal(const std::string& name) {
        if (!current_) return;
        for (const auto& l : current_->locals)
            if (equalsNoCase(l, name)) return;
        current_->locals.push_back(name);
    }

    // Statements up to one of the terminating words (End X, Loop, Next, Wend, Else, ElseIf, Case).
    Block block(std::initializer_list<std::string_view> endWords) {
        DepthGuard guard(*this);
        Block out;
        for (;;) {
            skipSeparators();
            if (at(Tok::End)) fail(czech("Očekáváno 'End'"));
            if (isWord("End")) {
                for (auto w : endWords)
                    if (isWord(w, 1)) return out;
            }
            for (auto w : endWords)
                if (isWord(w) && (w == "Loop" || w == "Next" || w == "Wend" || w == "Else" ||
                                  w == "ElseIf" || w == "Case"))
                    return out;
            if (startsProcedure()) fail(czech("Procedury nelze vnořovat"));
            if (auto s = statement()) out.push_back(std::move(s));
            endOfStatement();
        }
    }

    // ---- statements
    StmtPtr make(StmtKind kind, const Token& at) {
        auto s = std::make_unique<Stmt>();
        s->kind = kind;
        s->line = at.line;
        s->column = at.column;
        return s;
    }

    StmtPtr statement() {
        DepthGuard guard(*this);
        const Token start = peek();
        if (isWord("Dim") || isWord("Private") || isWord("Public")) {
            next();
            if (isWord("Const")) return constStatement(start);
            auto s = make(StmtKind::Dim, start);
            do {
                DimItem item;
                item.name = identifier();
                if (acceptSym("(")) {
                    item.isArray = true;
                    if (!isSym(")")) {
                        do
                            item.bounds.push_back(expression());
                        while (acceptSym(","));
                    }
                    expectSym(")");
                }
                declareLocal(item.name);
                s->dims.push_back(std::move(item));
            } while (acceptSym(","));
            return s;
        }
        if (acceptWord("ReDim")) {
            auto s = make(StmtKind::ReDim, start);
            s->preserve = acceptWord("Preserve");
            do {
                DimItem item;
                item.name = identifier();
                item.isArray = true;
                expectSym("(");
                do
                    item.bounds.push_back(expression());
                while (acceptSym(","));
                expectSym(")");
                s->dims.push_back(std::move(item));
            } while (acceptSym(","));
            return s;
        }
        if (isWord("Const")) return constStatement(start);
        if (acceptWord("Erase")) {
            auto s = make(StmtKind::Erase, start);
            do {
                DimItem item;
                item.name = identifier();
                s->dims.push_back(std::move(item));
            } while (acceptSym(","));
            return s;
        }
        if (acceptWord("Set")) {
            auto s = make(StmtKind::Set, start);
            s->target = postfix();
            expectSym("=");
            s->expr = expression();
            return s;
        }
        if (acceptWord("Call")) {
            auto s = make(StmtKind::Call, start);
            s->target = postfix();
            return s;
        }
        if (acceptWord("If")) return ifStatement(start);
        if (acceptWord("Select")) return selectStatement(start);
        if (acceptWord("For")) return forStatement(start);
        if (acceptWord("Do")) return doStatement(start);
        if (acceptWord("While")) {
            auto s = make(StmtKind::Do, start);
            s->expr = expression();
            s->body = block({"Wend"});
            expectWord("Wend");
            return s;
        }
        if (acceptWord("Exit")) {
            auto s = make(StmtKind::Exit, start);
            if (acceptWord("Do"))
                s->exitKind = ExitKind::Do;
            else if (acceptWord("For"))
                s->exitKind = ExitKind::For;
            else if (acceptWord("Sub"))
                s->exitKind = ExitKind::Sub;
            else if (acceptWord("Function"))
                s->exitKind = ExitKind::Function;
            else if (acceptWord("Property"))
                s->exitKind = ExitKind::Property;
            else
                fail(czech("Očekáváno 'Do', 'For', 'Sub', 'Function' nebo 'Property'"));
            const bool property = current_ && (current_->kind == ProcKind::PropertyGet ||
                                               current_->kind == ProcKind::PropertyLet ||
                                               current_->kind == ProcKind::PropertySet);
            const bool valid = s->exitKind == ExitKind::Sub
                                   ? current_ && current_->kind == ProcKind::Sub
                               : s->exitKind == ExitKind::Function
                                   ? current_ && current_->kind == ProcKind::Function
                               : s->exitKind == ExitKind::Property ? property
                                                                   : true;
            if (!valid)
                throw SyntaxError(czech("Neplatný příkaz 'exit'"), start.line, start.column);
            return s;
        }
        if (acceptWord("On")) {
            expectWord("Error");
            if (acceptWord("Resume")) {
                expectWord("Next");
                return make(StmtKind::OnErrorResume, start);
            }
            expectWord("GoTo");
            if (!at(Tok::Number) || !peek().value.isInteger() || peek().value.asInt() != 0)
                fail(czech("Očekávána '0'"));
            next();
            return make(StmtKind::OnErrorGoto0, start);
        }
        if (acceptWord("With")) {
            auto s = make(StmtKind::With, start);
            s->expr = expression();
            ++withDepth_;
            s->body = block({"With"});
            --withDepth_;
            expectWord("End");
            expectWord("With");
            return s;
        }
        if (isSym(".") && withDepth_ > 0) return assignmentOrCall(start);
        if (isWord("Class") || isWord("Property"))
            fail("'" + peek().text + czech("' není podporováno"));
        if (isWord("Me")) return assignmentOrCall(start);
        if (at(Tok::Ident) && isReserved(peek().text)) fail(czech("Očekáván příkaz"));
        if (!at(Tok::Ident)) fail(czech("Očekáván příkaz"));
        return assignmentOrCall(start);
    }

    StmtPtr constStatement(const Token& start) {
        expectWord("Const");
        auto s = make(StmtKind::Const, start);
        do {
            DimItem item;
            item.name = identifier();
            expectSym("=");
            item.bounds.push_back(expression());
            declareLocal(item.name);
            s->dims.push_back(std::move(item));
        } while (acceptSym(","));
        return s;
    }

    StmtPtr assignmentOrCall(const Token& start) {
        std::size_t parenStart = 0;
        ExprPtr target = postfix(&parenStart);
        if (acceptSym("=")) {
            auto s = make(StmtKind::Assign, start);
            s->target = std::move(target);
            s->expr = expression();
            return s;
        }
        auto s = make(StmtKind::Call, start);
        if (atStatementEnd() && parenStart && target->args.size() == 1) {
            // `f (a)` passes the value of a, not the variable.
            const int line = target->args[0]->line, column = target->args[0]->column;
            target->args[0] = unary(Op::Paren, std::move(target->args[0]), peek());
            target->args[0]->line = line;
            target->args[0]->column = column;
        } else if (!atStatementEnd()) {
            // `f (a), b` or `f (a) + 1`: the parentheses belong to the first argument.
            if (parenStart) {
                i_ = parenStart;
                target->args.clear();
                target->hasParens = false;
            }
            do
                target->args.push_back(argument());
            while (acceptSym(","));
        }
        s->target = std::move(target);
        return s;
    }

    StmtPtr ifStatement(const Token& start) {
        auto s = make(StmtKind::If, start);
        s->expr = expression();
        expectWord("Then");
        if (!at(Tok::Newline) && !at(Tok::End)) {
            // Single-line form: statements up to the end of the line, optionally an Else part.
            s->body = lineStatements();
            if (acceptWord("Else")) s->elseBody = lineStatements();
            if (isWord("End") && isWord("If", 1)) {
                next();
                next();
            }
            return s;
        }
        s->body = block({"If", "Else", "ElseIf"});
        while (acceptWord("ElseIf")) {
            ExprPtr cond = expression();
            expectWord("Then");
            Block b = block({"If", "Else", "ElseIf"});
            s->elseIfs.emplace_back(std::move(cond), std::move(b));
        }
        if (acceptWord("Else")) s->elseBody = block({"If"});
        expectWord("End");
        expectWord("If");
        return s;
    }
    Block lineStatements() {
        Block out;
        for (;;) {
            while (at(Tok::Colon))
                next();
            if (at(Tok::Newline) || at(Tok::End) || isWord("Else") ||
                (isWord("End") && isWord("If", 1)))
                return out;
            if (auto st = statement()) out.push_back(std::move(st));
            if (!at(Tok::Colon) && !at(Tok::Newline) && !at(Tok::End) && !isWord("Else") &&
                !isWord("End"))
                fail(czech("Očekáván konec příkazu"));
        }
    }

    StmtPtr selectStatement(const Token& start) {
        expectWord("Case");
        auto s = make(StmtKind::Select, start);
        s->expr = expression();
        endOfStatement();
        skipSeparators();
        while (acceptWord("Case")) {
            CaseClause clause;
            if (!acceptWord("Else")) {
                do {
                    CaseItem item;
                    if (acceptWord("Is")) {
                        item.isOp = comparisonOp();
                        item.low = concat();
                    } else {
                        item.low = expression();
                        if (acceptWord("To")) item.high = expression();
                    }
                    clause.items.push_back(std::move(item));
                } while (acceptSym(","));
            }
            clause.body = block({"Select", "Case"});
            s->cases.push_back(std::move(clause));
        }
        expectWord("End");
        expectWord("Select");
        return s;
    }
    Op comparisonOp() {
        static const std::pair<const char*, Op> ops[] = {
            {"=", Op::Equal},   {"<>", Op::NotEqual},  {"<", Op::Less},
            {">", Op::Greater}, {"<=", Op::LessEqual}, {">=", Op::GreaterEqual}};
        for (const auto& [text, op] : ops)
            if (acceptSym(text)) return op;
        fail(czech("Očekáván operátor porovnání"));
    }

    StmtPtr forStatement(const Token& start) {
        if (acceptWord("Each")) {
            auto s = make(StmtKind::ForEach, start);
            s->target = nameExpr(identifier());
            expectWord("In");
            s->expr = expression();
            s->body = block({"Next"});
            expectWord("Next");
            if (at(Tok::Ident) && !isReserved(peek().text)) next();
            return s;
        }
        auto s = make(StmtKind::For, start);
        s->target = nameExpr(identifier());
        expectSym("=");
        s->expr = expression();
        expectWord("To");
        s->limit = expression();
        if (acceptWord("Step")) s->step = expression();
        s->body = block({"Next"});
        expectWord("Next");
        if (at(Tok::Ident) && !isReserved(peek().text)) next();
        return s;
    }

    StmtPtr doStatement(const Token& start) {
        auto s = make(StmtKind::Do, start);
        if (isWord("While") || isWord("Until")) {
            s->until = isWord("Until");
            next();
            s->expr = expression();
        }
        s->body = block({"Loop"});
        expectWord("Loop");
        if (isWord("While") || isWord("Until")) {
            if (s->expr) fail(czech("Očekáván konec příkazu"));
            s->until = isWord("Until");
            next();
            s->expr = expression();
            s->testAtEnd = true;
        }
        return s;
    }

    // ---- expressions
    ExprPtr node(ExprKind kind, const Token& at) {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        if (kind == ExprKind::Literal) {
            e->leaf = Leaf::Literal;
            e->fixed = &e->value;
        }
        e->line = at.line;
        e->column = at.column;
        return e;
    }
    ExprPtr nameExpr(std::string name) {
        auto e = node(ExprKind::Name, t_[i_ > 0 ? i_ - 1 : 0]);
        e->name = std::move(name);
        return e;
    }
    void setDepth(Expr& e, int childDepth) {
        e.depth = childDepth + 1;
        if (e.depth > kMaxNesting)
            throw SyntaxError(czech("Výraz je příliš složitý"), e.line, e.column);
    }
    ExprPtr binary(Op op, ExprPtr l, ExprPtr r, const Token& at) {
        auto e = node(ExprKind::Binary, at);
        setDepth(*e, std::max(l->depth, r->depth));
        e->op = op;
        const auto simple = [](const Expr& x) {
            return x.kind == ExprKind::Literal || (x.kind == ExprKind::Name && !x.hasParens) ||
                   (x.kind == ExprKind::Binary && x.pure);
        };
        const bool integerOp = (op >= Op::Multiply && op <= Op::Subtract && op != Op::Divide) ||
                               (op >= Op::Equal && op <= Op::GreaterEqual);
        e->pure = integerOp && simple(*l) && simple(*r);
        e->left = std::move(l);
        e->right = std::move(r);
        return e;
    }
    ExprPtr unary(Op op, ExprPtr operand, const Token& at) {
        auto e = node(ExprKind::Unary, at);
        setDepth(*e, operand->depth);
        e->op = op;
        e->left = std::move(operand);
        return e;
    }

    // An argument may be left out (f a, , c): it arrives empty.
    ExprPtr argument() {
        if (isSym(",") || isSym(")") || atStatementEnd()) return node(ExprKind::Literal, peek());
        return expression();
    }

    ExprPtr expression() {
        DepthGuard guard(*this);
        return logical(0);
    }
    // Imp, Eqv, Xor, Or, And from the loosest up.
    ExprPtr logical(int level) {
        static const std::pair<const char*, Op> ops[] = {
            {"Imp", Op::Imp}, {"Eqv", Op::Eqv}, {"Xor", Op::Xor}, {"Or", Op::Or}, {"And", Op::And}};
        if (level == 5) return notExpr();
        ExprPtr e = logical(level + 1);
        while (isWord(ops[level].first)) {
            const Token at = peek();
            next();
            e = binary(ops[level].second, std::move(e), logical(level + 1), at);
        }
        return e;
    }
    ExprPtr notExpr() {
        if (isWord("Not")) {
            DepthGuard guard(*this);
            const Token at = peek();
            next();
            return unary(Op::Not, notExpr(), at);
        }
        return comparison();
    }
    ExprPtr comparison() {
        ExprPtr e = concat();
        for (;;) {
            const Token at = peek();
            Op op;
            if (acceptWord("Is"))
                op = Op::Is;
            else if (at.kind == Tok::Symbol &&
                     (at.text == "=" || at.text == "<>" || at.text == "<" || at.text == ">" ||
                      at.text == "<=" || at.text == ">="))
                op = comparisonOp();
            else
                return e;
            e = binary(op, std::move(e), concat(), at);
        }
    }
    ExprPtr concat() {
        ExprPtr e = additive();
        while (isSym("&")) {
            const Token at = peek();
            next();
            e = binary(Op::Concat, std::move(e), additive(), at);
        }
        return e;
    }
    ExprPtr additive() {
        ExprPtr e = modulo();
        while (isSym("+") || isSym("-")) {
            const Token at = peek();
            next();
            e = binary(at.text == "+" ? Op::Add : Op::Subtract, std::move(e), modulo(), at);
        }
        return e;
    }
    ExprPtr modulo() {
        ExprPtr e = intDivide();
        while (isWord("Mod")) {
            const Token at = peek();
            next();
            e = binary(Op::Modulo, std::move(e), intDivide(), at);
        }
        return e;
    }
    ExprPtr intDivide() {
        ExprPtr e = multiplicative();
        while (isSym("\\")) {
            const Token at = peek();
            next();
            e = binary(Op::IntDivide, std::move(e), multiplicative(), at);
        }
        return e;
    }
    ExprPtr multiplicative() {
        ExprPtr e = unaryExpr();
        while (isSym("*") || isSym("/")) {
            const Token at = peek();
            next();
            e = binary(at.text == "*" ? Op::Multiply : Op::Divide, std::move(e), unaryExpr(), at);
        }
        return e;
    }
    ExprPtr unaryExpr() {
        if (isSym("-") || isSym("+")) {
            DepthGuard guard(*this);
            const Token at = peek();
            next();
            return unary(at.text == "-" ? Op::Negate : Op::Plus, unaryExpr(), at);
        }
        return power();
    }
    ExprPtr power() {
        ExprPtr e = primary();
        while (isSym("^")) {
            const Token at = peek();
            next();
            // The exponent may carry its own sign: 2 ^ -1.
            ExprPtr rhs;
            if (isSym("-") || isSym("+")) {
                DepthGuard guard(*this);
                const Token signAt = peek();
                next();
                rhs = unary(signAt.text == "-" ? Op::Negate : Op::Plus, power(), signAt);
            } else {
                rhs = primary();
            }
            e = binary(Op::Power, std::move(e), std::move(rhs), at);
        }
        return e;
    }
    ExprPtr primary() {
        const Token at = peek();
        switch (at.kind) {
        case Tok::Number:
        case Tok::Date: {
            next();
            auto e = node(ExprKind::Literal, at);
            e->value = at.value;
            return e;
        }
        case Tok::String: {
            next();
            auto e = node(ExprKind::Literal, at);
            e->value = Value(at.text);
            return e;
        }
        case Tok::Symbol:
            if (at.text == "(") {
                next();
                ExprPtr e = unary(Op::Paren, expression(), at);
                expectSym(")");
                return e;
            }
            if (at.text == "." && withDepth_ > 0) return postfix();
            break;
        case Tok::Ident: {
            auto literal = [&](Value v) {
                next();
                auto e = node(ExprKind::Literal, at);
                e->value = std::move(v);
                return e;
            };
            if (isWord("True")) return literal(Value(true));
            if (isWord("False")) return literal(Value(false));
            if (isWord("Empty")) return literal(Value());
            if (isWord("Null")) return literal(Value::null());
            if (isWord("Nothing")) {
                next();
                return node(ExprKind::Nothing, at);
            }
            if (acceptWord("New")) {
                auto e = node(ExprKind::New, at);
                e->name = identifier();
                return e;
            }
            return postfix();
        }
        default:
            break;
        }
        fail(czech("Očekáván výraz"));
    }
    // A name followed by member accesses and argument lists: a.b(1).c
    ExprPtr postfix(std::size_t* lastParenStart = nullptr) {
        DepthGuard guard(*this);
        const Token at = peek();
        ExprPtr e;
        if (isSym(".") && withDepth_ > 0) {
            e = node(ExprKind::WithObject, at); // `.name` is read as a member below
        } else if (isWord("Me")) {
            next();
            e = node(ExprKind::Me, at);
        } else {
            e = node(ExprKind::Name, at);
            e->name = identifier();
        }
        for (;;) {
            if (isSym("(")) {
                if (lastParenStart) *lastParenStart = i_;
                next();
                if (e->hasParens) {
                    // a(1)(2): call the result; kept as a member with no name.
                    auto m = node(ExprKind::Member, peek());
                    setDepth(*m, e->depth);
                    m->left = std::move(e);
                    e = std::move(m);
                }
                e->hasParens = true;
                if (!isSym(")")) {
                    do {
                        e->args.push_back(argument());
                        setDepth(*e, std::max(e->depth - 1, e->args.back()->depth));
                    } while (acceptSym(","));
                }
                expectSym(")");
            } else if (isSym(".") && (!peek().spaceBefore || e->kind == ExprKind::WithObject)) {
                const Token dot = peek();
                next();
                if (!at_ident_member()) fail(czech("Očekáván identifikátor"));
                auto m = node(ExprKind::Member, dot);
                m->name = peek().text;
                next();
                setDepth(*m, e->depth);
                m->left = std::move(e);
                e = std::move(m);
                if (lastParenStart) *lastParenStart = 0;
            } else {
                return e;
            }
        }
    }
    bool at_ident_member() const { return at(Tok::Ident); } // reserved words are fine after a dot

    std::vector<Token> t_;
    std::size_t i_ = 0;
    int depth_ = 0;
    int withDepth_ = 0;
    Module* module_ = nullptr;
    Procedure* current_ = nullptr;
};

} // namespace

std::unique_ptr<Module> parseModule(std::string_view text) {
    Lexer lexer(text);
    Parser parser(lexer.run());
    return parser.module();
}

ExprPtr parseExpression(std::string_view text) {
    Lexer lexer(text);
    Parser parser(lexer.run());
    return parser.lone();
}

} // namespace vorlan::script::basic
