#!/bin/sh
# Tables written by python3-dbf must read here, and ours there. Skipped (77) without python3-dbf,
# failed then under CI.
. "$(dirname "$0")/../needs_tool.sh"
tool="$1"
script="$2"
py=""
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c "import dbf" 2>/dev/null; then
        py="$candidate"
        break
    fi
done
[ -n "$py" ] || needs_tool_missing "python3-dbf is not installed"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
set -e

# FoxPro (.FPT), dBase III (.DBT) and the 0x30 format (binary memo pointers), both ways.
for kind in write write-db3 write-vfp; do
    mkdir "$work/$kind"
    "$py" "$script" $kind "$work/$kind/theirs.dbf"
    "$py" "$script" dump "$work/$kind/theirs.dbf" > "$work/$kind/theirs_py.txt"
    "$tool" dump "$work/$kind/theirs.dbf" > "$work/$kind/theirs_ours.txt"
    diff "$work/$kind/theirs_py.txt" "$work/$kind/theirs_ours.txt"

    "$tool" $kind "$work/$kind/ours.dbf"
    "$tool" dump "$work/$kind/ours.dbf" > "$work/$kind/ours_ours.txt"
    "$py" "$script" dump "$work/$kind/ours.dbf" > "$work/$kind/ours_py.txt"
    diff "$work/$kind/ours_ours.txt" "$work/$kind/ours_py.txt"

    # Both sides saw real content, not two empty dumps.
    [ "$(wc -l < "$work/$kind/theirs_ours.txt")" -eq 4 ]
    [ "$(wc -l < "$work/$kind/ours_py.txt")" -eq 4 ]
done
echo "interop ok"
