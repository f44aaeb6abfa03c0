#include "app/vorlan/program_check.h"

#include "app/vorlan/basic_check.h"
#include "app/vorlan/member_check.h"

#include "core/cp1250.h"
#include "script/archive/program_archive.h"
#include "script/basic/basic_parser.h"
#include "script/comp_wrapper.h"
#include "script/form_loader.h"
#include "script/js/js_names.h"
#include "script/pascal/compiler.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"
#include "script/stream/component_stream.h"
#include "ui/qt/forms/control.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <regex>
#include <set>
#include <stdexcept>

namespace vorlan::app {

namespace fs = std::filesystem;

namespace {

enum class Dialect { Pascal, Basic, JavaScript, Other };

std::string upper(std::string_view text) {
    return upperCase(text);
}

std::string extensionOf(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : upper(name.substr(dot));
}

std::string stemOf(std::string_view name) {
    const auto dot = name.rfind('.');
    return upper(name.substr(0, dot));
}

Dialect dialectOf(std::string_view moduleName) {
    const std::string ext = extensionOf(moduleName);
    if (ext == ".ZLM") return Dialect::Pascal;
    if (ext == ".PMB" || ext == ".BAS" || ext == ".VBE") return Dialect::Basic;
    if (ext == ".TRX" || ext == ".JSE") return Dialect::JavaScript;
    return Dialect::Other;
}

// Names of the ECMAScript global object and of the helpers every module gets: a JavaScript
// module may use them without anybody registering them.
bool isJavaScriptGlobal(std::string_view name) {
    static const std::set<std::string, std::less<>> names = {"Array",
                                                             "ArrayBuffer",
                                                             "Boolean",
                                                             "DataView",
                                                             "Date",
                                                             "Duktape",
                                                             "Enumerator",
                                                             "Error",
                                                             "EvalError",
                                                             "Float32Array",
                                                             "Float64Array",
                                                             "Function",
                                                             "Infinity",
                                                             "Int16Array",
                                                             "Int32Array",
                                                             "Int8Array",
                                                             "JSON",
                                                             "Math",
                                                             "NaN",
                                                             "Number",
                                                             "Object",
                                                             "Proxy",
                                                             "RangeError",
                                                             "ReferenceError",
                                                             "Reflect",
                                                             "RegExp",
                                                             "String",
                                                             "Symbol",
                                                             "SyntaxError",
                                                             "TypeError",
                                                             "URIError",
                                                             "Uint16Array",
                                                             "Uint32Array",
                                                             "Uint8Array",
                                                             "Uint8ClampedArray",
                                                             "VBArray",
                                                             "arguments",
                                                             "decodeURI",
                                                             "decodeURIComponent",
                                                             "encodeURI",
                                                             "encodeURIComponent",
                                                             "escape",
                                                             "eval",
                                                             "globalThis",
                                                             "isFinite",
                                                             "isNaN",
                                                             "parseFloat",
                                                             "parseInt",
                                                             "undefined",
                                                             "unescape"};
    return names.count(name) != 0;
}

// What a string literal names when it is a bare file name of a report template or a table.
std::optional<FindingKind> namedFile(std::string_view literal) {
    if (literal.find_first_of("\\/:") != std::string_view::npos) return std::nullopt;
    const std::string ext = extensionOf(literal);
    if (ext == ".PTS") return FindingKind::Template;
    if (ext == ".DBF" || ext == ".CDX" || ext == ".NTX" || ext == ".IDX") return FindingKind::Table;
    return std::nullopt;
}

// Names a JavaScript module gives values of its own anywhere, not only at its top level:
// variables, parameters, caught exceptions, names assigned to (which the dialect makes global)
// and the keys of object literals. None of them needs the runtime.
std::set<std::string> javaScriptOwnNames(const std::string& text) {
    static const std::regex declared(R"(\b(?:var|let|const)\s+([A-Za-z_$][\w$]*))");
    static const std::regex assigned(R"(([A-Za-z_$][\w$]*)\s*(?:[-+*/%&|^]|<<|>>>?)?=(?!=))");
    static const std::regex keyed(R"(([A-Za-z_$][\w$]*)\s*:)");
    static const std::regex parameters(R"(\b(?:function\s*[\w$]*|catch)\s*\(([^)]*)\))");
    static const std::regex name(R"([A-Za-z_$][\w$]*)");
    std::set<std::string> out;
    for (const std::regex* re : {&declared, &assigned, &keyed})
        for (auto it = std::sregex_iterator(text.begin(), text.end(), *re);
             it != std::sregex_iterator(); ++it)
            out.insert((*it)[1].str());
    for (auto it = std::sregex_iterator(text.begin(), text.end(), parameters);
         it != std::sregex_iterator(); ++it) {
        const std::string list = (*it)[1].str();
        for (auto n = std::sregex_iterator(list.begin(), list.end(), name);
             n != std::sregex_iterator(); ++n)
            out.insert(n->str());
    }
    return out;
}

// The text of a JavaScript module with its comments, strings and regular expressions blanked
// out (line breaks kept), so that what looks like a member access in them is not taken for one.
std::string javaScriptCode(const std::string& text) {
    std::string out = text;
    std::size_t i = 0;
    const auto blank = [&](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to && k < out.size(); ++k)
            if (out[k] != '\n') out[k] = ' ';
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            const std::size_t end = text.find('\n', i);
            blank(i, end == std::string::npos ? text.size() : end);
            i = end == std::string::npos ? text.size() : end;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const std::size_t end = text.find("*/", i + 2);
            const std::size_t stop = end == std::string::npos ? text.size() : end + 2;
            blank(i, stop);
            i = stop;
        } else if (c == '"' || c == '\'' || c == '`') {
            std::size_t k = i + 1;
            while (k < text.size() && text[k] != c && (c == '`' || text[k] != '\n'))
                k += text[k] == '\\' ? 2 : 1;
            blank(i + 1, k);
            i = k + 1;
        } else {
            ++i;
        }
    }
    return out;
}

// Members a JavaScript module names on a name it does not declare (a form, a component,
// Application, a registered class), and on variables it gives objects of one registered class
// only (`var t = TStringList.Create();`).
std::vector<MemberUse> javaScriptMemberUses(const std::string& text,
                                            const std::set<std::string>& ownNames,
                                            const std::function<bool(std::string_view)>& outside) {
    const std::string code = javaScriptCode(text);
    static const std::regex made(R"(([A-Za-z_$][\w$]*)\s*=\s*(T\w+)\s*\.\s*Create\s*\()");
    static const std::regex assigned(R"(([A-Za-z_$][\w$]*)\s*=(?!=))");
    std::map<std::string, std::string> classOf;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), made);
         it != std::sregex_iterator(); ++it)
        if (const auto* info = script::registry().findClass((*it)[2].str())) {
            auto [at, fresh] = classOf.emplace((*it)[1].str(), info->name);
            if (!fresh && at->second != info->name) at->second.clear();
        }
    // A variable given anything else as well is left alone.
    std::map<std::string, int> assignments, creations;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), assigned);
         it != std::sregex_iterator(); ++it)
        ++assignments[(*it)[1].str()];
    for (auto it = std::sregex_iterator(code.begin(), code.end(), made);
         it != std::sregex_iterator(); ++it)
        ++creations[(*it)[1].str()];
    static const std::regex access(R"(([A-Za-z_$][\w$]*)\s*\.\s*([A-Za-z_$][\w$]*))");
    std::vector<MemberUse> out;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), access);
         it != std::sregex_iterator(); ++it) {
        const auto at = static_cast<std::size_t>(it->position(0));
        // Only the first link of a chain: what comes after it has a class the check cannot tell.
        std::size_t before = at;
        while (before > 0 && (code[before - 1] == ' ' || code[before - 1] == '\t'))
            --before;
        if (before > 0 && code[before - 1] == '.') continue;
        const std::string owner = (*it)[1].str();
        const std::size_t memberAt = static_cast<std::size_t>(it->position(2));
        const int line =
            static_cast<int>(std::count(
                code.begin(), code.begin() + static_cast<std::ptrdiff_t>(memberAt), '\n')) +
            1;
        const std::size_t lineStart = code.rfind('\n', memberAt == 0 ? 0 : memberAt - 1);
        const int column =
            static_cast<int>(memberAt - (lineStart == std::string::npos ? 0 : lineStart + 1)) + 1;
        if (auto c = classOf.find(owner); c != classOf.end()) {
            if (!c->second.empty() && assignments[owner] == creations[owner])
                out.push_back({{c->second}, true, (*it)[2].str(), line, column});
        } else if (!ownNames.count(owner) && outside(owner)) {
            out.push_back({{owner}, false, (*it)[2].str(), line, column});
        }
    }
    return out;
}

struct Literal {
    std::string text;
    int line = 0;
    int column = 0;
};

// String literals of a module's lines: quoted with ' in the Pascal dialect, with " in Basic,
// with either in JavaScript. Comments are not told apart; a file named in one is listed too.
std::vector<Literal> stringLiterals(const std::vector<std::string>& lines, Dialect dialect) {
    std::vector<Literal> out;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const std::string& line = lines[l];
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char q = line[i];
            const bool quote = dialect == Dialect::Pascal  ? q == '\''
                               : dialect == Dialect::Basic ? q == '"'
                                                           : (q == '\'' || q == '"');
            if (dialect == Dialect::Basic && q == '\'') break; // the rest is a comment
            if (dialect == Dialect::Pascal && q == '/' && i + 1 < line.size() && line[i + 1] == '/')
                break;
            if (!quote) continue;
            const std::size_t end = line.find(q, i + 1);
            if (end == std::string::npos) break;
            out.push_back({line.substr(i + 1, end - i - 1), static_cast<int>(l + 1),
                           static_cast<int>(i + 1)});
            i = end;
        }
    }
    return out;
}

// The file names of a folder in upper case, to find files as the runtime does on a case-blind
// file system.
std::set<std::string> filesBeside(const fs::path& archive) {
    std::set<std::string> names;
    std::error_code ec;
    fs::path folder = archive.parent_path();
    if (folder.empty()) folder = ".";
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.insert(upper(utf8ToCp1250(entry.path().filename().string())));
    return names;
}

// Records the names the Pascal compiler cannot resolve while it is installed.
class NameRecorder : public script::pascal::UnknownNameObserver {
public:
    struct Use {
        std::string name;
        int line = 0;
        int column = 0;
    };
    NameRecorder() { script::pascal::setUnknownNameObserver(this); }
    ~NameRecorder() override { script::pascal::setUnknownNameObserver(nullptr); }
    NameRecorder(const NameRecorder&) = delete;
    NameRecorder& operator=(const NameRecorder&) = delete;

    void unknownName(std::string_view name, int line, int column) override {
        uses.push_back({std::string(name), line + 1, column + 1});
    }
    void memberUse(std::string_view owner, bool ownerIsClass, std::string_view member, int line,
                   int column) override {
        members.push_back(
            {{std::string(owner)}, ownerIsClass, std::string(member), line + 1, column + 1});
    }
    std::vector<Use> uses;
    std::vector<MemberUse> members;
};

struct ModuleCheck {
    std::string name; // Windows-1250, as in the archive
    Dialect dialect = Dialect::Other;
    std::vector<std::string> lines;
    std::unique_ptr<script::Component> form;
    std::unique_ptr<script::Scripter> scripter;
    std::vector<NameRecorder::Use> unknown;
    std::vector<MemberUse> members;
    std::vector<NameAt> unchecked;
    std::vector<std::string> units;
    std::set<std::string> declared; // upper case
};

class ArchiveCheck {
public:
    explicit ArchiveCheck(const fs::path& archive) : path_(archive) {}

    CheckReport run() {
        auto file = archive::ArchiveFile::open(path_);
        if (!file) throw std::runtime_error("Nelze otevřít " + path_.string());
        if (!file->hasMagic()) throw std::runtime_error(path_.string() + " není archiv programu");
        for (const auto& entry : file->directory()) {
            auto m = std::make_unique<ModuleCheck>();
            m->name = entry.name;
            m->dialect = dialectOf(entry.name);
            m->lines = file->source(entry).lines;
            if (const std::string form = file->form(entry); !form.empty()) loadForm(*m, form);
            modules_.push_back(std::move(m));
        }
        for (auto& m : modules_)
            compile(*m);
        for (auto& m : modules_) {
            reportNames(*m);
            reportFiles(*m);
        }
        return std::move(report_);
    }

private:
    void add(FindingKind kind, const ModuleCheck& m, int line, int column, std::string_view name,
             std::string detail = {}) {
        report_.findings.push_back(
            {kind, cp1250ToUtf8(m.name), line, column, cp1250ToUtf8(name), std::move(detail)});
    }

    void loadForm(ModuleCheck& m, const std::string& bytes) {
        stream::StreamObject tree;
        try {
            tree = stream::readComponentStream(bytes);
        } catch (const std::exception& e) {
            add(FindingKind::CompileError, m, 0, 0, "", e.what());
            return;
        }
        checkStoredClasses(m, tree, true);
        try {
            m.form = script::instantiateComponents(tree, script::registry(), true);
        } catch (const std::exception& e) {
            add(FindingKind::CompileError, m, 0, 0, "", e.what());
            return;
        }
        checkStoredProperties(m, tree, *m.form);
    }

    void checkStoredClasses(ModuleCheck& m, const stream::StreamObject& object, bool root) {
        if (!root && !script::registry().findClass(object.className))
            add(FindingKind::FormClass, m, 0, 0, object.className + " (" + object.name + ")");
        for (const auto& child : object.children)
            checkStoredClasses(m, child, false);
    }

    // A property a control's class does not list lands in the component's bag, where nothing
    // reads it again.
    void checkStoredProperties(ModuleCheck& m, const stream::StreamObject& object,
                               script::Component& root) {
        script::Component* component =
            object.name.empty() ? nullptr : findByName(root, object.name);
        if (component == &root) component = nullptr;
        if (auto* control = dynamic_cast<forms::Control*>(component)) {
            for (const auto& p : object.properties) {
                if (script::isEventPropertyName(p.name) || equalsNoCase(p.name, "Name")) continue;
                const auto& table = control->properties();
                if (table.lists(p.name) || table.isObjectPath(p.name)) continue;
                if (forms::Control::propertyTable().lists(p.name)) continue;
                if (ignoredOnPurpose(p.name)) continue;
                add(FindingKind::Property, m, 0, 0, object.name + "." + p.name);
            }
        }
        for (const auto& child : object.children)
            checkStoredProperties(m, child, root);
    }

    // What the design environment stores about the form it was drawn in, with no meaning for
    // a running program.
    static bool ignoredOnPurpose(std::string_view name) {
        static const char* const names[] = {
            "TabOrder",       "TabStop",       "ParentFont",    "ParentColor", "ParentShowHint",
            "ShowHint",       "DesignSize",    "ExplicitLeft",  "ExplicitTop", "ExplicitWidth",
            "ExplicitHeight", "Tag",           "HelpContext",   "Ctl3D",       "ParentCtl3D",
            "TextHeight",     "PixelsPerInch", "OldCreateOrder"};
        return std::any_of(std::begin(names), std::end(names),
                           [&](const char* n) { return equalsNoCase(n, name); });
    }

    static script::Component* findByName(script::Component& in, std::string_view name) {
        if (equalsNoCase(in.name(), name)) return &in;
        for (const auto& c : in.components())
            if (script::Component* found = findByName(*c, name)) return found;
        return nullptr;
    }

    void compile(ModuleCheck& m) {
        if (m.dialect == Dialect::Other) return;
        m.scripter = std::make_unique<script::Scripter>();
        script::Scripter& s = *m.scripter;
        s.scriptFile = m.name;
        s.onError = [this, &m](script::Scripter&, const script::ExceptionInfo& info, int position,
                               int line, bool& resume) {
            add(FindingKind::CompileError, m, line, position, "", cp1250ToUtf8(info.description));
            resume = false;
        };
        std::unique_ptr<script::ScriptRunner> runner;
        try {
            runner = script::createRunner(s);
        } catch (const std::exception& e) {
            add(FindingKind::CompileError, m, 0, 0, "", e.what());
            return;
        }
        if (m.form) runner->addNamedObject(m.form->name(), script::wrapObject(m.form.get()), true);
        bool compiled = false;
        {
            NameRecorder recorder;
            compiled = runner->compileModule(m.lines);
            m.unknown = std::move(recorder.uses);
            m.members = std::move(recorder.members);
        }
        if (!compiled) return;
        m.units = runner->usedUnits();
        for (const auto& r : runner->listRoutines())
            m.declared.insert(upper(r.name));
        if (auto* pascal = dynamic_cast<script::pascal::PascalRunner*>(runner.get()))
            if (const auto* program = pascal->program())
                for (const auto& g : program->globals)
                    m.declared.insert(upper(g.name));
        if (m.dialect == Dialect::Basic && extensionOf(m.name) != ".VBE") scanBasic(m);
        if (m.dialect == Dialect::JavaScript) {
            std::string text;
            for (const auto& line : m.lines)
                text += line + "\n";
            const auto names = script::js::scanModuleNames(text);
            for (const auto& n : names.declared)
                m.declared.insert(upper(n));
            const std::set<std::string> own = javaScriptOwnNames(text);
            for (const auto& n : names.used)
                if (!names.declared.count(n) && !own.count(n) && !isJavaScriptGlobal(n) &&
                    !known(m, n))
                    m.unchecked.push_back({n, 0, 0});
            std::set<std::string> ownAll = own;
            ownAll.insert(names.declared.begin(), names.declared.end());
            m.members = javaScriptMemberUses(text, ownAll, [&](std::string_view name) {
                return !isJavaScriptGlobal(name) && known(m, name);
            });
        }
    }

    void scanBasic(ModuleCheck& m) {
        std::string text;
        for (std::size_t i = 0; i < m.lines.size(); ++i)
            text += (i ? "\n" : "") + m.lines[i];
        std::unique_ptr<script::basic::Module> module;
        try {
            module = script::basic::parseModule(text);
        } catch (const std::exception&) {
            return; // the compilation has told it already
        }
        BasicModuleNames names =
            scanBasicModule(*module, [&](std::string_view name) { return known(m, name); });
        for (const NameAt& n : names.missing)
            m.unknown.push_back({n.name, n.line, n.column});
        m.unchecked = std::move(names.unchecked);
        m.members = std::move(names.members);
        m.declared.insert(names.declared.begin(), names.declared.end());
    }

    // Whether the runtime answers the name: the registry, the module's form and its components.
    bool known(const ModuleCheck& m, std::string_view name) const {
        script::Registry& reg = script::registry();
        if (reg.findProc(name) || reg.findVar(name) || reg.findConst(name) || reg.findClass(name))
            return true;
        if (m.form) {
            if (equalsNoCase(m.form->name(), name)) return true;
            if (script::wrapObject(m.form.get())->idOfName(name) != script::kUnknownDispId)
                return true;
        }
        return false;
    }

    bool declaredByAnotherModule(std::string_view name) const {
        const std::string key = upper(name);
        return std::any_of(modules_.begin(), modules_.end(),
                           [&](const auto& m) { return m->declared.count(key) != 0; });
    }

    bool isModuleName(std::string_view unit) const {
        const std::string key = upper(unit);
        return std::any_of(modules_.begin(), modules_.end(),
                           [&](const auto& m) { return stemOf(m->name) == key; });
    }

    void reportNames(const ModuleCheck& m) {
        for (const auto& use : m.unknown) {
            if (declaredByAnotherModule(use.name)) continue;
            add(FindingKind::Name, m, use.line, use.column, use.name);
        }
        for (const auto& unit : m.units)
            if (!script::isStandardUnit(unit) && !isModuleName(unit))
                add(FindingKind::Unit, m, 0, 0, unit);
        std::set<std::string> told;
        for (const NameAt& n : m.unchecked)
            if (told.insert(upper(n.name)).second && !declaredByAnotherModule(n.name))
                add(FindingKind::Unchecked, m, n.line, n.column, n.name);
        for (const MemberUse& use : m.members) {
            const MemberVerdict verdict = members_.judge(use, m.form.get());
            if (!verdict.checked || verdict.exists) continue;
            std::string owner = use.ownerIsClass ? std::string() : use.path[0];
            for (std::size_t i = 1; i < use.path.size(); ++i)
                owner += "." + use.path[i];
            add(FindingKind::Member, m, use.line, use.column,
                owner.empty() ? use.member : owner + "." + use.member,
                cp1250ToUtf8(verdict.className));
        }
    }

    void reportFiles(const ModuleCheck& m) {
        if (m.dialect == Dialect::Other) return;
        if (!beside_) beside_ = filesBeside(path_);
        std::set<std::string> told;
        for (const Literal& l : stringLiterals(m.lines, m.dialect)) {
            const auto kind = namedFile(l.text);
            if (!kind) continue;
            const std::string key = upper(l.text);
            if (beside_->count(key) || !told.insert(key).second) continue;
            add(*kind, m, l.line, l.column, l.text);
        }
    }

    fs::path path_;
    std::vector<std::unique_ptr<ModuleCheck>> modules_;
    MemberJudge members_;
    std::optional<std::set<std::string>> beside_;
    CheckReport report_;
};

const char* kindKey(FindingKind kind) {
    switch (kind) {
    case FindingKind::CompileError:
        return "compile";
    case FindingKind::Name:
        return "name";
    case FindingKind::Member:
        return "member";
    case FindingKind::Unit:
        return "unit";
    case FindingKind::FormClass:
        return "formClass";
    case FindingKind::Template:
        return "template";
    case FindingKind::Table:
        return "table";
    case FindingKind::Property:
        return "property";
    case FindingKind::Unchecked:
        return "unchecked";
    }
    return "";
}

std::string czechText(const Finding& f) {
    switch (f.kind) {
    case FindingKind::CompileError:
        return "chyba překladu: " + f.detail;
    case FindingKind::Name:
        return "běhový systém nezná název '" + f.name + "'";
    case FindingKind::Member:
        if (const auto dot = f.name.rfind('.'); dot != std::string::npos)
            return "'" + f.name.substr(0, dot) + "' (" + f.detail +
                   ") nemá vlastnost ani metodu '" + f.name.substr(dot + 1) + "'";
        return "třída " + f.detail + " nemá vlastnost ani metodu '" + f.name + "'";
    case FindingKind::Unit:
        return "jednotka '" + f.name + "' není standardní ani modulem programu";
    case FindingKind::FormClass:
        return "formulář obsahuje komponentu neznámé třídy " + f.name;
    case FindingKind::Template:
        return "předloha '" + f.name + "' neleží vedle archivu";
    case FindingKind::Table:
        return "tabulka '" + f.name + "' neleží vedle archivu (program ji možná vytvoří)";
    case FindingKind::Property:
        return "uložená vlastnost '" + f.name + "' se nepoužije";
    case FindingKind::Unchecked:
        return "název '" + f.name + "' nelze ověřit";
    }
    return {};
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned char>(c));
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

} // namespace

bool isMissing(const Finding& finding) {
    return finding.kind != FindingKind::Property && finding.kind != FindingKind::Unchecked &&
           finding.kind != FindingKind::Table;
}

int CheckReport::missingCount() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(), isMissing));
}

CheckReport checkProgramArchive(const fs::path& archive) {
    return ArchiveCheck(archive).run();
}

void printCheckReport(const CheckReport& report, bool json, std::ostream& out) {
    if (json) {
        out << "{\"missing\": " << report.missingCount() << ", \"findings\": [";
        bool first = true;
        for (const Finding& f : report.findings) {
            out << (first ? "\n  " : ",\n  ") << "{\"kind\": " << jsonString(kindKey(f.kind))
                << ", \"missing\": " << (isMissing(f) ? "true" : "false")
                << ", \"module\": " << jsonString(f.module) << ", \"line\": " << f.line
                << ", \"column\": " << f.column << ", \"name\": " << jsonString(f.name)
                << ", \"message\": " << jsonString(czechText(f)) << "}";
            first = false;
        }
        out << (first ? "]}\n" : "\n]}\n");
        return;
    }
    for (const Finding& f : report.findings) {
        out << f.module;
        if (f.line > 0) out << ':' << f.line << ':' << f.column;
        out << ": " << czechText(f) << '\n';
    }
    const int missing = report.missingCount();
    if (missing == 0)
        out << "Programu nic nechybí.\n";
    else
        out << "Programu chybí " << missing
            << (missing == 1  ? " položka"
                : missing < 5 ? " položky"
                              : " položek")
            << ".\n";
}

int runProgramCheck(const std::string& archiveUtf8, bool json, std::ostream& out,
                    std::ostream& err) {
    try {
        const CheckReport report = checkProgramArchive(fs::path(archiveUtf8));
        printCheckReport(report, json, out);
        return report.missingCount() == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        err << "vorlan: " << e.what() << '\n';
        return 1;
    }
}

} // namespace vorlan::app
