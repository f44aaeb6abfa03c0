#!/usr/bin/env python3
"""Finds dead code in the libraries under src/.

Two kinds of fault, both reported with the file that holds them:
  - a function declared in a header of src/ that nothing defines (a leftover of a removed
    function, or a promise never kept);
  - a function defined with external linkage in a source of src/ that nothing uses: no other
    object file refers to it and its name appears nowhere but in its declarations and its
    definition.
A free function that only its own file uses is noted (it could live in the file's anonymous
namespace) without failing the check.

Definitions and references come from the object files of the build (as compile_commands.json
lists them), read with nm and readelf: an object file "refers to" a symbol it needs from
elsewhere, and a table of pointers (a vtable, a table of bound routines) that holds a function's
address counts as a use even in the function's own file. Tests, benchmarks and fuzz targets
count as users. Declarations are read from the headers' text, at namespace and class scope.

Run with --self-test to check the checker on a planted tree.
"""

import argparse
from collections import Counter
import json
import os
import re
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile

KEYWORDS = {
    "if", "for", "while", "switch", "return", "sizeof", "alignof", "decltype", "static_assert",
    "void", "int", "char", "bool", "double", "float", "long", "short", "unsigned", "signed",
    "auto", "const", "noexcept", "throw", "new", "delete", "typeid", "alignas", "explicit",
    "requires", "operator", "Q_PROPERTY", "Q_OBJECT", "Q_INVOKABLE", "Q_ENUM", "Q_DECLARE_METATYPE",
}


def strip_code(text):
    """The text with comments, string and character literals blanked out (lines kept)."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not text[i - 1].isalnum()):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append('""' + "\n" * text.count("\n", i, j))
            i = j
        elif c == "'" and re.search(r"\b\d[\w']*$", text[max(0, i - 32) : i]):
            # A digit separator (3'600'000), not the start of a character literal.
            out.append(c)
            i += 1
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        elif c == "#":
            # Preprocessor lines (with their continuations) declare nothing.
            j = i
            while True:
                k = text.find("\n", j)
                if k < 0:
                    j = n
                    break
                if text[k - 1] != "\\":
                    j = k
                    break
                j = k + 1
            out.append("\n" * text.count("\n", i, j))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


SCOPE_HEAD = re.compile(
    r"(?:\bnamespace\b[\w:\s]*|\b(?:class|struct|union)\s+(?:\w+\s+)*?(\w+)\s*(?:final\s*)?"
    r"(?::[^{]*)?|\benum\b[^{]*|\bextern\s*\"\"\s*)$"
)
DECLARED = re.compile(r"(~?[A-Za-z_]\w*)\s*\($")


def declarations(text):
    """(line, class or None, name) of every function declared without a body at namespace or
    class scope; pure, defaulted and deleted functions, friends and aliases left out."""
    code = strip_code(text)
    found = []
    scopes = []  # class name, "" for a namespace, None for a body to skip
    statement_start = 0
    i = 0
    while i < len(code):
        c = code[i]
        if c == "{":
            head = code[statement_start:i].strip()
            in_body = scopes and scopes[-1] is None
            m = None if in_body else SCOPE_HEAD.search(head)
            if m and not head.startswith("enum") and "enum " not in head:
                scopes.append(m.group(1) or "")
            else:
                scopes.append(None)
            statement_start = i + 1
        elif c == "}":
            if scopes:
                scopes.pop()
            statement_start = i + 1
        elif c == ";" and not (scopes and scopes[-1] is None):
            statement = code[statement_start:i]
            statement_start = i + 1
            entry = declared_function(statement)
            if entry:
                owner = next((s for s in reversed(scopes) if s), None) if scopes else None
                line = code.count("\n", 0, statement_start - len(statement) - 1) + 1
                line += len(statement) - len(statement.lstrip("\n"))
                found.append((line, owner if scopes and scopes[-1] else None, entry))
        elif c == ":" and code.startswith(("public:", "private:", "protected:", "signals:",
                                           "slots:"), max(statement_start, i - 9)):
            statement_start = i + 1
        i += 1
    return found


def declared_function(statement):
    s = " ".join(statement.split())
    s = re.sub(r"^(public|private|protected)\s*(slots)?\s*:\s*", "", s)
    if not s or "(" not in s:
        return None
    first = s.split()[0]
    if first in ("using", "typedef", "friend", "return", "static_assert", "template<>"):
        return None
    if re.search(r"=\s*(0|default|delete)\s*$", s) or re.search(r"\)\s*=", s):
        return None
    if re.search(r"\(\s*\*", s):  # a pointer to a function
        return None
    # The name before the first parameter list, outside template arguments.
    depth = 0
    for k, ch in enumerate(s):
        if ch == "<":
            depth += 1
        elif ch == ">":
            depth = max(0, depth - 1)
        elif ch == "(" and depth == 0:
            before = s[:k].rstrip()
            if "=" in before or before.endswith(("operator", ">")):
                return None
            m = DECLARED.search(before + "(")
            if not m or m.group(1) in KEYWORDS or m.group(1).isupper():
                return None
            # A variable initialised by parentheses has no type words before an argument list
            # of values; a declaration's list holds types (or is empty).
            return m.group(1)
    return None


def symbol_name(demangled):
    """(class, name) of a demangled function symbol: 'a::B::f(int) const' -> ('B', 'f')."""
    depth = 0
    end = len(demangled)
    for k, ch in enumerate(demangled):
        if ch in "<":
            depth += 1
        elif ch == ">":
            depth -= 1
        elif ch == "(" and depth == 0 and k > 0 and not demangled.startswith("operator", k - 8):
            end = k
            break
    head = re.sub(r"\[abi:[^\]]*\]", "", demangled[:end])
    parts, depth, cur = [], 0, ""
    for ch in head:
        if ch == "<":
            depth += 1
        elif ch == ">":
            depth -= 1
        if ch == ":" and depth == 0:
            if cur:
                parts.append(cur)
            cur = ""
            continue
        cur += ch
    parts.append(cur)
    parts = [re.sub(r"<.*>$", "", p).strip() for p in parts if p]
    name = parts[-1] if parts else ""
    name = name.split(" ")[-1] if " " in name and not name.startswith("operator") else name
    owner = parts[-2] if len(parts) > 1 else None
    return owner, name


ELF_HEADER = struct.Struct("<16sHHIQQQIHHHHHH")
SECTION = struct.Struct("<IIQQQQIIQQ")
SYMBOL = struct.Struct("<IBBHQQ")
RELA = struct.Struct("<QQq")
SHT_SYMTAB, SHT_RELA, SHT_SYMTAB_SHNDX, SHF_EXECINSTR = 2, 4, 18, 0x4
SHN_LORESERVE, SHN_XINDEX = 0xFF00, 0xFFFF
STB_GLOBAL, STB_WEAK, STT_OBJECT = 1, 2, 1


def c_string(data, offset):
    return data[offset : data.index(b"\0", offset)].decode("latin-1")


def read_elf(path):
    """(defined, needed, held) of one relocatable ELF64 object: global functions it defines as
    {mangled: kind} with nm's letters (T in an executable section, W weak), global symbols it
    needs, and symbols whose address a relocation outside code, debug information and unwind
    tables stores (a vtable or a table of bound routines)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"\x7fELF" or data[4] != 2 or data[5] != 1:
        raise ValueError(f"{path}: not a little-endian ELF64 object")
    header = ELF_HEADER.unpack_from(data)
    shoff, shentsize, shnum, shstrndx = header[6], header[11], header[12], header[13]
    # Objects with very many sections (one per template instance) keep the real counts in the
    # first section header.
    first = SECTION.unpack_from(data, shoff)
    shnum = shnum or first[5]
    shstrndx = first[6] if shstrndx == SHN_XINDEX else shstrndx
    sections = [SECTION.unpack_from(data, shoff + k * shentsize) for k in range(shnum)]
    extended = {}  # symbol table section -> its table of section indexes above 0xFEFF
    for sec in sections:
        if sec[1] == SHT_SYMTAB_SHNDX:
            extended[sec[6]] = sec
    names_offset = sections[shstrndx][4]
    names = [c_string(data, names_offset + sec[0]) for sec in sections]
    defined, needed, held = {}, set(), set()
    symbols = []
    for number, sec in enumerate(sections):
        if sec[1] != SHT_SYMTAB:
            continue
        strings = sections[sec[6]][4]
        indexes = extended.get(number)
        for k in range(sec[5] // SYMBOL.size):
            st_name, st_info, _, st_shndx, _, _ = SYMBOL.unpack_from(data, sec[4] + k * SYMBOL.size)
            if st_shndx == SHN_XINDEX and indexes:
                st_shndx = struct.unpack_from("<I", data, indexes[4] + 4 * k)[0]
            name = c_string(data, strings + st_name) if st_name else ""
            symbols.append(name)
            bind, kind = st_info >> 4, st_info & 0xF
            if not name:
                continue
            if st_shndx == 0:
                if bind == STB_GLOBAL:
                    needed.add(name)
            elif st_shndx < SHN_LORESERVE or (st_shndx > SHN_XINDEX and st_shndx < len(sections)):
                if bind == STB_WEAK and kind != STT_OBJECT:
                    defined[name] = "W"
                elif bind == STB_GLOBAL and sections[st_shndx][2] & SHF_EXECINSTR:
                    defined[name] = "T"
    for sec, name in zip(sections, names):
        if sec[1] != SHT_RELA or name.startswith((".rela.text", ".rela.debug", ".rela.eh_frame")):
            continue
        for k in range(sec[5] // RELA.size):
            _, info, _ = RELA.unpack_from(data, sec[4] + k * RELA.size)
            index = info >> 32
            if 0 < index < len(symbols) and symbols[index]:
                held.add(symbols[index])
    return defined, needed, held


def read_objects(objects):
    """Per object: defined global functions {mangled: (kind, demangled)}, needed symbols, and
    symbols whose address a data section holds. The objects are read directly: listing their
    relocations with binutils produced tens of millions of lines of debug relocations to skip."""
    info = {}
    for obj in objects:
        defined, needed, held = read_elf(obj)
        info[obj] = ({}, needed, held, defined)
    names = sorted({name for entry in info.values() for name in entry[3]})
    pretty = subprocess.run(["c++filt"], input="\n".join(names) + "\n", capture_output=True,
                            text=True, check=True).stdout.splitlines()
    demangled = dict(zip(names, pretty))
    result = {}
    for obj, (functions, needed, held, defined) in info.items():
        for name, kind in defined.items():
            functions[name] = (kind, demangled.get(name, name))
        result[obj] = (functions, needed, held)
    return result


def unity_members(unity_file):
    """The source files a unity build's batch file includes."""
    with open(unity_file, encoding="utf-8", errors="replace") as f:
        return [os.path.realpath(m) for m in re.findall(r'^#include\s+"([^"]+)"', f.read(), re.M)]


def defining_file(sources, owner, short):
    """Of the files compiled together, the one that defines the function (the first if none
    seems to)."""
    if len(sources) > 1:
        qualified = (re.escape(owner) + r"\s*::\s*") if owner else r"\b"
        pattern = re.compile(qualified + re.escape(short) + r"\s*\(")
        for path in sources:
            with open(path, encoding="utf-8", errors="replace") as f:
                if pattern.search(f.read()):
                    return path
    return sources[0]


def run(root, compile_db):
    root = os.path.realpath(root)
    src = os.path.join(root, "src") + os.sep
    with open(compile_db, encoding="utf-8") as f:
        entries = json.load(f)
    objects, source_of = [], {}
    for e in entries:
        obj = e.get("output")
        if not obj:
            words = shlex.split(e.get("command", ""))
            obj = words[words.index("-o") + 1] if "-o" in words[:-1] else None
        obj = os.path.join(e["directory"], obj) if obj else None
        if not obj or not os.path.exists(obj):
            continue
        objects.append(obj)
        source = os.path.realpath(os.path.join(e["directory"], e["file"]))
        # A batch of files compiled as one (a unity build) names its files in #include lines.
        source_of[obj] = unity_members(source) if source.endswith(".cxx") else [source]
    if not objects:
        print("no object files: build first")
        return 1
    info = read_objects(objects)

    # Every identifier of the code, counted: a member function inlined into all its callers
    # leaves no reference in the object files, but its name still appears where it is called.
    words = Counter()
    namespaces = set()
    for top in ("src", "tests", "bench", "fuzz"):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if name.endswith((".h", ".cpp")):
                    with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                        code = strip_code(f.read())
                    words.update(re.findall(r"[A-Za-z_]\w*", code))
                    namespaces.update(re.findall(r"\bnamespace\s+([\w:]+)", code))
    namespaces = {part for n in namespaces for part in n.split("::")}

    texts = {}
    for folder, _, files in os.walk(os.path.join(root, "src")):
        for name in sorted(files):
            if name.endswith((".h", ".cpp")):
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    texts[path] = f.read()
    declared = {p: declarations(t) for p, t in texts.items() if p.endswith(".h")}
    declared_count = Counter(function for found in declared.values() for _, _, function in found)

    needed_anywhere = {}
    for obj, (_, needed, _) in info.items():
        for name in needed:
            needed_anywhere.setdefault(name, set()).add(obj)
    defined_names = set()
    problems = []
    advice = []
    # Benchmarks are users too, but a test build may leave them out: their text stands in.
    bench_text = ""
    bench = os.path.join(root, "bench")
    if os.path.isdir(bench):
        for name in sorted(os.listdir(bench)):
            if name.endswith((".cpp", ".h")):
                with open(os.path.join(bench, name), encoding="utf-8", errors="replace") as f:
                    bench_text += strip_code(f.read())
    for obj, (defined, _, held) in info.items():
        for mangled, (kind, pretty) in defined.items():
            defined_names.add(symbol_name(pretty))
            defined_names.add((None, symbol_name(pretty)[1]))
            sources = [p for p in source_of[obj] if p.startswith(src)]
            if kind != "T" or not sources or mangled == "main":
                continue
            users = needed_anywhere.get(mangled, set()) - {obj}
            if users or mangled in held:
                continue
            owner, short = symbol_name(pretty)
            if not short or short.startswith("operator") or short.lstrip("~") == owner:
                continue
            if re.search(r"\b" + re.escape(short) + r"\s*\(", bench_text):
                continue
            where = os.path.relpath(defining_file(sources, owner, short), root)
            # Any mention beyond its declarations and its definition is a use.
            if words[short] - declared_count[short] - 1 <= 0:
                problems.append(f"{where}: {pretty} is never used")
            elif len(sources) == 1 and (owner is None or owner in namespaces):
                # In a batch the other files' calls leave no trace in the object: no advice.
                advice.append(f"{where}: {pretty} is used only in its own file")

    all_code = None
    for path, found in sorted(declared.items()):
        text = texts[path]
        if True:
            for line, owner, function in found:
                if (owner, function) in defined_names or (None, function) in defined_names:
                    continue
                # A definition the compiler left no symbol for (an inline function, a template
                # inlined wherever it is used, one nobody instantiated yet) is found in the text.
                if all_code is None:
                    all_code = "\n".join(strip_code(t) for t in texts.values())
                qualified = (re.escape(owner) + r"\s*::\s*") if owner else r"\b"
                body = r"\s*\([^;{}]*\)[^;{}]*\{"
                if re.search(qualified + re.escape(function) + body, all_code) or (
                    owner and re.search(r"\b" + re.escape(function) + body, strip_code(text))
                ):
                    continue
                where = os.path.relpath(path, root)
                what = f"{owner}::{function}" if owner else function
                problems.append(f"{where}:{line}: {what} is declared but defined nowhere")

    # Advice only: such a function could move into its file's anonymous namespace.
    for a in sorted(advice):
        print("note: " + a)
    for p in sorted(problems):
        print(p)
    print(f"{len(problems)} dead functions" if problems else "no dead functions")
    return 1 if problems else 0


PLANTED = {
    "src/lib/used.h": "#pragma once\nnamespace n {\nint used(int x);\nint lonely();\nint paced(int x);\n"
                      "struct S {\n    void m();\n    virtual void v() = 0;\n    S() = default;\n};\n}\n",
    "src/lib/used.cpp": '#include "lib/used.h"\nnamespace n {\nint used(int x) { return x + 1; }\n'
                        "int unused(int x) { return x * 2; }\nint selfish(int x) { return x - 1; }\n"
                        "int caller(int x) { return selfish(x); }\n"
                        # A call after a digit separator is still a call.
                        "int spaced(int x) { return x + 1; }\n"
                        "int paced(int x) { return x / 60'000 + spaced(x) + 'a'; }\n"
                        "void S::m() {}\n}\n",
    "tests/user.cpp": '#include "lib/used.h"\nint main() { n::S* s = nullptr; if (s) s->m();'
                      " extern int caller_ref(); return n::used(1) + n::paced(2); }\n",
}


def self_test():
    compiler = shutil.which("c++") or shutil.which("g++")
    if not compiler:
        print("self test: no C++ compiler")
        return 1
    ok = True
    # Once with a file per object, once with the library's files compiled as one batch.
    for unity in (False, True):
        with tempfile.TemporaryDirectory() as tmp:
            ok = planted_tree_reports(compiler, tmp, unity) and ok
    if not ok:
        return 1
    print("self test ok")
    return 0


def planted_tree_reports(compiler, tmp, unity):
    entries = []
    for rel, text in PLANTED.items():
        path = os.path.join(tmp, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
    library = "src/lib/used.cpp"
    if unity:
        library = "build/unity_0_cxx.cxx"
        os.makedirs(os.path.join(tmp, "build"))
        with open(os.path.join(tmp, library), "w", encoding="utf-8") as f:
            f.write(f'#include "{os.path.join(tmp, "src/lib/used.cpp")}"\n')
    for rel in (library, "tests/user.cpp"):
        obj = rel.replace("/", "_") + ".o"
        subprocess.run([compiler, "-std=c++20", "-O0", "-c", "-I", os.path.join(tmp, "src"),
                        os.path.join(tmp, rel), "-o", os.path.join(tmp, obj)], check=True)
        entries.append({"directory": tmp, "file": rel, "output": obj})
    with open(os.path.join(tmp, "compile_commands.json"), "w", encoding="utf-8") as f:
        json.dump(entries, f)
    import io
    import contextlib
    buf = io.StringIO()
    with contextlib.redirect_stdout(buf):
        status = run(tmp, os.path.join(tmp, "compile_commands.json"))
    report = buf.getvalue()
    expected = [
        "src/lib/used.cpp: n::unused(int) is never used",
        "n::caller(int) is never used",
        "lonely is declared but defined nowhere",
    ]
    if not unity:
        expected.append("note: src/lib/used.cpp: n::selfish(int) is used only in its own file")
    absent = ["n::used(int)", "n::spaced(int) is never used", "S::m", "n::S::m()", "v is declared", "S is declared"]
    ok = status == 1
    kind = "batch" if unity else "file by file"
    for e in expected:
        if e not in report:
            print(f"self test ({kind}): the report misses: {e}")
            ok = False
    for a in absent:
        if a in report:
            print(f"self test ({kind}): the report wrongly names: {a}")
            ok = False
    if not ok:
        print(report)
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root")
    parser.add_argument("--compile-commands")
    parser.add_argument("--self-test", action="store_true")
    args = parser.parse_args()
    if args.self_test:
        return self_test()
    if not args.root or not args.compile_commands:
        parser.error("--root and --compile-commands are needed")
    return run(args.root, args.compile_commands)


if __name__ == "__main__":
    sys.exit(main())
