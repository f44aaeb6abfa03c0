#!/usr/bin/env python3
"""Checks links and includes against the table of layers in docs/architecture.md.

The table (section "Layers") gives each library its folder and the libraries it may link, by
their short names ("data" is vorlan_data); names that are not project libraries (Qt, Duktape) are
ignored, and "everything they wire" lets executables link any library. Checked:
  - every library of the project has a row, and CMake links exactly what its row lists, no more
    (a link the table does not allow, such as one that skips a layer) and no less;
  - a link is PUBLIC only when a public header of the library needs it (includes a header of the
    linked library or of one it passes on publicly), and a header that needs a library has it
    linked PUBLIC (headers named *_internal.h are private to their library);
  - includes, with quotes or angle brackets, as below.

Ownership of a file under src/:
  - a library that lists headers among its sources owns exactly the files it lists (vorlan_value:
    value.h and dispatch.h live in script/ beside the rest of the script library);
  - every other library or executable owns the folder of its CMakeLists.txt and the folders below
    it that have no target of their own.
A file may include (with quotes) a header of its own target or of a library the target links:
directly with any visibility, then through the public links of those libraries. Targets outside
src/ (tests, benchmarks, fuzzers) are checked too: their sources and the helper headers those
include are held to the target's links.

The map of targets comes from CMake (tests/layers/CMakeLists.txt): one line per target with its
name, type, folder, sources, links and public links.
"""

import argparse
import os
import re
import sys
import tempfile

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*(?:"([^"]+)"|<([^>]+)>)', re.M)
CODE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
HEADER_SUFFIXES = (".h", ".hpp")


class Target:
    def __init__(self, name, kind, folder, sources, links, public):
        self.name = name
        self.kind = kind
        self.folder = os.path.realpath(folder)
        self.sources = [os.path.realpath(os.path.join(folder, s)) for s in sources]
        self.links = links
        self.public = public


def split_list(text):
    return [item for item in text.split(";") if item]


def link_name(item, public):
    """The target named by one link item; None for a private link seen in the public links."""
    if item.startswith("$<LINK_ONLY:"):
        return None if public else item[len("$<LINK_ONLY:") : -1]
    if item.startswith("$<BUILD_INTERFACE:"):
        return item[len("$<BUILD_INTERFACE:") : -1]
    if item.startswith("$<"):
        return None
    return item


def read_map(path):
    targets = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line:
                continue
            fields = line.split("\t")
            if len(fields) != 6:
                raise SystemExit(f"{path}:{number}: expected 6 fields, found {len(fields)}")
            name, kind, folder, sources, links, public = fields
            targets[name] = Target(
                name,
                kind,
                folder,
                split_list(sources),
                [n for n in (link_name(i, False) for i in split_list(links)) if n],
                [n for n in (link_name(i, True) for i in split_list(public)) if n],
            )
    return targets


EVERYTHING = "*"


def read_table(text):
    """Library name -> set of short names it may link (or EVERYTHING), from the Layers table."""
    rows = {}
    section = re.search(r"^## Layers\n(.*?)(?=^## |\Z)", text, re.M | re.S)
    if not section:
        raise SystemExit("docs/architecture.md has no \"## Layers\" section")
    for line in section.group(1).splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if not line.startswith("|") or len(cells) < 3 or set(cells[0]) <= set("- "):
            continue
        libraries = re.findall(r"`([^`]+)`", cells[1])
        if not libraries:
            continue  # the heading
        links = cells[2]
        if "everything" in links:
            allowed = EVERYTHING
        elif links == "nothing":
            allowed = set()
        else:
            allowed = {w for w in re.split(r"[\s,()]+", links) if w}
        for library in libraries:
            rows[library] = allowed
    if not rows:
        raise SystemExit("the Layers table of docs/architecture.md has no rows")
    return rows


def under(path, folder):
    return path == folder or path.startswith(folder + os.sep)


class Layers:
    def __init__(self, targets, root, table=None):
        self.targets = targets
        self.table = table
        root = os.path.realpath(root)
        self.src = os.path.join(root, "src")
        self.include_roots = [self.src, os.path.join(root, "tests")]
        self.problems = []
        self.listed = {}  # file -> targets that list it
        self.folder_owner = {}  # folder -> the one target that owns it
        for t in targets.values():
            if not under(t.folder, self.src):
                continue
            for s in t.sources:
                self.listed.setdefault(s, set()).add(t.name)
            if any(s.endswith(HEADER_SUFFIXES) for s in t.sources):
                continue
            other = self.folder_owner.get(t.folder)
            if other:
                self.problems.append(
                    f"{os.path.relpath(t.folder, self.src)}: both {other} and {t.name} own "
                    "this folder; let one of them list its files, headers included"
                )
            self.folder_owner[t.folder] = t.name
        self._reach = {}
        self._files = {}
        for folder, _, names in os.walk(self.src):
            for name in sorted(names):
                path = os.path.join(folder, name)
                if name.endswith(CODE_SUFFIXES):
                    for owner in self.owners(path):
                        self.files_of(owner).append(path)

    def owners(self, path):
        if path in self.listed:
            return self.listed[path]
        folder = os.path.dirname(path)
        while under(folder, self.src):
            if folder in self.folder_owner:
                return {self.folder_owner[folder]}
            folder = os.path.dirname(folder)
        return set()

    def reach(self, name):
        """The target itself and every library whose headers it may include."""
        if name in self._reach:
            return self._reach[name]
        seen = {name}
        pending = list(self.targets[name].links)
        while pending:
            dep = pending.pop()
            if dep in seen or dep not in self.targets:
                continue
            seen.add(dep)
            pending.extend(self.targets[dep].public)
        self._reach[name] = seen
        return seen

    def public_reach(self, name):
        """The library and every library it passes on through public links."""
        seen = set()
        pending = [name]
        while pending:
            dep = pending.pop()
            if dep in seen or dep not in self.targets:
                continue
            seen.add(dep)
            pending.extend(self.targets[dep].public)
        return seen

    def documented_links(self, target):
        """The project libraries the table lets `target` link; EVERYTHING; None without a row."""
        allowed = self.table.get(target.name)
        if allowed is None or allowed == EVERYTHING:
            return allowed
        return {f"vorlan_{short}" for short in allowed if f"vorlan_{short}" in self.targets}

    def headers_of(self, name):
        return [
            path
            for path in self.files_of(name)
            if path.endswith(HEADER_SUFFIXES) and not path.endswith("_internal.h")
        ]

    def files_of(self, name):
        if name not in self._files:
            self._files[name] = []
        return self._files[name]

    def check_links(self):
        for t in sorted(self.targets.values(), key=lambda t: t.name):
            if not under(t.folder, self.src):
                continue
            allowed = self.documented_links(t)
            if allowed is None:
                self.problems.append(f"{t.name} has no row in the table of docs/architecture.md")
                continue
            direct = {link for link in t.links if link in self.targets}
            if allowed != EVERYTHING:
                for link in sorted(direct - allowed):
                    self.problems.append(
                        f"{t.name} links {link}, which the table of docs/architecture.md does "
                        "not allow"
                    )
                for link in sorted(allowed - direct):
                    self.problems.append(
                        f"the table of docs/architecture.md lets {t.name} link {link}, "
                        "which CMake does not link"
                    )
                for link in sorted(direct):
                    # A public link is not redundant beside a private one that passes it on.
                    through = sorted(
                        other
                        for other in direct
                        if other != link
                        and link in self.public_reach(other)
                        and (link not in t.public or other in t.public)
                    )
                    if through:
                        self.problems.append(
                            f"{t.name} links {link}, which it reaches through {through[0]} "
                            "already: the link skips a layer"
                        )
            if t.kind == "EXECUTABLE":
                continue
            self.check_public_links(t)

    def check_public_links(self, t):
        needed = set()  # libraries some public header includes
        for path in self.headers_of(t.name):
            for line, header, resolved in self.includes(path):
                if not under(resolved, self.src):
                    continue
                owners = self.owners(resolved) - {t.name}
                if not owners or t.name in self.owners(resolved):
                    continue
                needed |= owners
                if not owners & self.public_reach(t.name):
                    where = os.path.relpath(path, os.path.dirname(self.src))
                    owner = ", ".join(sorted(owners))
                    self.problems.append(
                        f"{where}:{line}: the public header includes {header} of {owner}, "
                        f"which {t.name} does not link PUBLIC"
                    )
        for link in sorted(set(t.public) & set(self.targets)):
            if not needed & self.public_reach(link):
                self.problems.append(
                    f"{t.name} links {link} PUBLIC, but none of its public headers needs it: "
                    "link it PRIVATE"
                )

    def resolve(self, includer, header):
        bases = ([os.path.dirname(includer)] if includer else []) + self.include_roots
        for base in bases:
            candidate = os.path.realpath(os.path.join(base, header))
            if os.path.isfile(candidate):
                return candidate
        return None

    def includes(self, path):
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for match in INCLUDE.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            quoted = match.group(1) is not None
            header = match.group(1) if quoted else match.group(2)
            # Angle brackets are looked up in the include roots only, never beside the includer.
            resolved = self.resolve(path if quoted else None, header)
            if resolved:
                yield line, header, resolved

    def check_include(self, target, path, line, header, resolved):
        owners = self.owners(resolved)
        allowed = self.reach(target)
        if owners & allowed:
            return
        where = os.path.relpath(path, os.path.dirname(self.src))
        if not owners:
            self.problems.append(f"{where}:{line}: {header} belongs to no library")
        else:
            owner = ", ".join(sorted(owners))
            self.problems.append(
                f"{where}:{line}: includes {header} of {owner}, which {target} does not link"
            )

    def check(self):
        if self.table is not None:
            self.check_links()
        checked = 0
        # Every file of a library or executable under src/.
        for folder, _, names in os.walk(self.src):
            for name in sorted(names):
                path = os.path.join(folder, name)
                if not name.endswith(CODE_SUFFIXES):
                    continue
                for owner in sorted(self.owners(path)):
                    checked += 1
                    for line, header, resolved in self.includes(path):
                        if under(resolved, self.src):
                            self.check_include(owner, path, line, header, resolved)
        # Targets outside src/: their own files and the helpers they include.
        for t in sorted(self.targets.values(), key=lambda t: t.name):
            if under(t.folder, self.src):
                continue
            pending = [s for s in t.sources if s.endswith(CODE_SUFFIXES) and os.path.isfile(s)]
            seen = set(pending)
            while pending:
                path = pending.pop()
                checked += 1
                for line, header, resolved in self.includes(path):
                    if under(resolved, self.src):
                        self.check_include(t.name, path, line, header, resolved)
                    elif resolved not in seen:
                        seen.add(resolved)
                        pending.append(resolved)
        return checked


def run(map_path, root):
    if not os.path.isfile(map_path):
        print(f"no target map at {map_path}: configure the build first")
        return 1
    with open(os.path.join(root, "docs", "architecture.md"), encoding="utf-8") as f:
        table = read_table(f.read())
    layers = Layers(read_map(map_path), root, table)
    checked = layers.check()
    for problem in layers.problems:
        print(problem)
    if checked == 0:
        print("no file was checked: the target map names no sources")
        return 1
    print(f"{checked} files checked, {len(layers.problems)} layer violations")
    return 1 if layers.problems else 0


# ---- self test: a small tree with one of each kind of violation -------------------------------

SELF_TEST_FILES = {
    "src/low/low.h": "",
    "src/low/low.cpp": '#include "low/low.h"\n',
    "src/mid/mid.h": '#include "low/low.h"\n',
    "src/mid/mid.cpp": '#include "mid/mid.h"\n#include "mid/value.h"\n',
    "src/mid/value.h": "",
    "src/mid/value.cpp": '#include "mid/value.h"\n',
    "src/mid/hidden/hidden.h": "",
    "src/priv/priv.h": '#include "low/low.h"\n',
    "src/priv/priv_internal.h": '#include "low/low.h"\n',
    "src/priv/priv.cpp": '#include "low/low.h"\n',
    "src/top/top.cpp": (
        '#include "mid/mid.h"\n#include "low/low.h"\n#include "mid/value.h"\n'
        "#include <priv/priv.h>\n#include <string>\n"
    ),
    "src/top/other.cpp": '#include "priv/priv.h"\n#include "low/low.h"\n#include "loose/x.h"\n',
    "src/loose/x.h": "",
    "src/wide/wide.cpp": "",
    "src/deep/deep.cpp": '#include "mid/mid.h"\n',
    "src/pub/pub.h": "",
    "src/pub/pub.cpp": '#include "low/low.h"\n',
    "src/rowless/rowless.cpp": "",
    "tests/t/helper.h": '#include "low/low.h"\n',
    "tests/t/t.cpp": '#include "helper.h"\n#include "mid/hidden/hidden.h"\n',
}

# mid links low publicly, priv links low privately, value is a file-list library in mid's folder.
SELF_TEST_MAP = [
    ("vorlan_low", "src/low", "low.cpp", "", ""),
    ("vorlan_mid", "src/mid", "mid.cpp", "vorlan_low", "vorlan_low"),
    ("vorlan_value", "src/mid", "value.cpp;value.h", "", ""),
    ("vorlan_priv", "src/priv", "priv.cpp", "vorlan_low", "$<LINK_ONLY:vorlan_low>"),
    ("vorlan_top", "src/top", "top.cpp", "vorlan_mid;vorlan_wide", ""),
    ("vorlan_other", "src/top/other", "../other.cpp", "vorlan_priv", ""),
    ("vorlan_wide", "src/wide", "wide.cpp", "", ""),
    ("vorlan_deep", "src/deep", "deep.cpp", "vorlan_mid;vorlan_low", ""),
    ("vorlan_pub", "src/pub", "pub.cpp", "vorlan_low", "vorlan_low"),
    ("vorlan_rowless", "src/rowless", "rowless.cpp", "", ""),
    ("t_tests", "tests/t", "t.cpp", "vorlan_value", ""),
]

SELF_TEST_TABLE = """# Architecture

## Layers

| folder | library | links | what it holds |
| --- | --- | --- | --- |
| `top/` | `vorlan_top` | mid | the top |
| `top/other/` | `vorlan_other` | priv | the other |
| `wide/` | `vorlan_wide` | low | wide |
| `deep/` | `vorlan_deep` | mid, low | deep |
| `pub/` | `vorlan_pub` | low, Qt | pub |
| `priv/` | `vorlan_priv` | low (privately) | priv |
| `mid/` | `vorlan_mid` | low | mid |
| `mid/value.h` | `vorlan_value` | nothing | value |
| `low/` | `vorlan_low` | nothing | low |

## Next
"""

SELF_TEST_EXPECTED = [
    "src/mid/mid.cpp:2: includes mid/value.h of vorlan_value, which vorlan_mid does not link",
    "src/top/top.cpp:3: includes mid/value.h of vorlan_value, which vorlan_top does not link",
    "src/top/top.cpp:4: includes priv/priv.h of vorlan_priv, which vorlan_top does not link",
    "src/top/other.cpp:2: includes low/low.h of vorlan_low, which vorlan_other does not link",
    "src/top/other.cpp:3: loose/x.h belongs to no library",
    "tests/t/helper.h:1: includes low/low.h of vorlan_low, which t_tests does not link",
    "tests/t/t.cpp:2: includes mid/hidden/hidden.h of vorlan_mid, which t_tests does not link",
    "vorlan_top links vorlan_wide, which the table of docs/architecture.md does not allow",
    "the table of docs/architecture.md lets vorlan_wide link vorlan_low, which CMake does not "
    "link",
    "vorlan_deep links vorlan_low, which it reaches through vorlan_mid already: the link skips "
    "a layer",
    "vorlan_pub links vorlan_low PUBLIC, but none of its public headers needs it: link it PRIVATE",
    "src/priv/priv.h:1: the public header includes low/low.h of vorlan_low, which vorlan_priv "
    "does not link PUBLIC",
    "vorlan_rowless has no row in the table of docs/architecture.md",
]


def self_test():
    with tempfile.TemporaryDirectory() as root:
        for name, text in SELF_TEST_FILES.items():
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        os.makedirs(os.path.join(root, "src/top/other"), exist_ok=True)
        lines = [
            f"{name}\tSTATIC_LIBRARY\t{os.path.join(root, folder)}\t{sources}\t{links}\t{public}"
            for name, folder, sources, links, public in SELF_TEST_MAP
        ]
        layers = Layers(read_map_lines(lines), root, read_table(SELF_TEST_TABLE))
        layers.check()
        found = sorted(layers.problems)
        # other.cpp is listed by "other" whose folder is below top: listing wins over the folder.
        expected = sorted(SELF_TEST_EXPECTED)
        if found != expected:
            print("self test failed")
            print("expected:\n  " + "\n  ".join(expected))
            print("found:\n  " + "\n  ".join(found))
            return 1
        print(f"self test: {len(found)} planted violations found, none else")
        return 0


def read_map_lines(lines):
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False, encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    try:
        return read_map(f.name)
    finally:
        os.unlink(f.name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--map", help="the target map CMake writes (layer_map.txt)")
    parser.add_argument("--root", help="the project's top folder")
    parser.add_argument("--self-test", action="store_true", help="check the checker")
    args = parser.parse_args()
    if args.self_test:
        return self_test()
    if not args.map or not args.root:
        parser.error("--map and --root are needed")
    return run(args.map, args.root)


if __name__ == "__main__":
    sys.exit(main())
