#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes of it with the
# project's .clang-format. Fix with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
patterns=('src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h'
          'fuzz/*.cpp' 'fuzz/*.h')
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # Tracked files and new ones not yet added, without what .gitignore leaves out.
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- "${patterns[@]}")
else
    mapfile -t files < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
fi
existing=()
for f in "${files[@]}"; do
    [ -f "$f" ] && existing+=("$f")
done
files=("${existing[@]}")
if [ ${#files[@]} -eq 0 ]; then
    echo "check-format: no C++ files found" >&2
    exit 1
fi
if ! printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc)" -n 40 clang-format --dry-run --Werror; then
    echo "check-format: the files above are not formatted (clang-format -i FILE...)" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
