#!/bin/sh
# Runs every program of the crosscheck folder with fpc and with the Pascal-dialect runner and
# compares their output; the programs use only what both understand the same way.
# usage: fpc_crosscheck.sh ZLM_RUN FOLDER
run="$1"
folder="$2"
. "$(dirname "$0")/../../needs_tool.sh"
command -v fpc >/dev/null 2>&1 || needs_tool_missing "fpc not found"
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
status=0
for source in "$folder"/*.pas; do
    name=$(basename "$source" .pas)
    cp "$source" "$work/$name.pas"
    if ! fpc -Mobjfpc -Sh -v0 -FE"$work" "$work/$name.pas" >"$work/$name.fpc.log" 2>&1; then
        echo "FAIL $name: fpc cannot compile it"; cat "$work/$name.fpc.log"; status=1; continue
    fi
    "$work/$name" >"$work/$name.expected" 2>&1
    if ! "$run" "$source" >"$work/$name.actual" 2>"$work/$name.errors"; then
        echo "FAIL $name: the runner reported errors"; cat "$work/$name.errors"; status=1; continue
    fi
    if diff -u "$work/$name.expected" "$work/$name.actual" >"$work/$name.diff"; then
        echo "ok   $name"
    else
        echo "FAIL $name: output differs"; cat "$work/$name.diff"; status=1
    fi
done
exit $status
