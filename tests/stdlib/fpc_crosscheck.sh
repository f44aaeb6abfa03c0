#!/bin/sh
# Compiles every program of the folder that has a file fpc.crosscheck with fpc, runs it in a
# copy of its folder and compares what it prints with the expected.txt that the runtime's own
# run is checked against; so the runtime and a standard Pascal compiler agree on them.
# usage: fpc_crosscheck.sh PROGRAMS_FOLDER
. "$(dirname "$0")/../needs_tool.sh"
folder="$1"
command -v fpc >/dev/null 2>&1 || needs_tool_missing "fpc not found"
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
status=0
for marker in "$folder"/*/fpc.crosscheck; do
    [ -e "$marker" ] || continue
    program=$(dirname "$marker")
    name=$(basename "$program")
    mkdir -p "$work/$name/run"
    cp "$program/MAIN.ZLM" "$work/$name/$name.pas"
    cp -r "$program"/. "$work/$name/run/"
    if ! fpc -Mobjfpc -Sh -v0 -FE"$work/$name" "$work/$name/$name.pas" >"$work/$name.log" 2>&1; then
        echo "FAIL $name: fpc cannot compile it"; cat "$work/$name.log"; status=1; continue
    fi
    (cd "$work/$name/run" && "$work/$name/$name") >"$work/$name.out" 2>&1
    # Messages of the runtime library are the compiler's own (English) texts: a program that
    # prints them keeps what fpc prints in fpc.expected.txt.
    expected="$program/expected.txt"
    [ -e "$program/fpc.expected.txt" ] && expected="$program/fpc.expected.txt"
    if diff -u "$expected" "$work/$name.out" >"$work/$name.diff"; then
        echo "ok   $name"
    else
        echo "FAIL $name: fpc prints otherwise"; cat "$work/$name.diff"; status=1
    fi
done
exit $status
