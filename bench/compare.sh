#!/usr/bin/env bash
# Runs the same small programs through `vorlan --headless` in each script dialect and through
# lua5.4 and python3, and prints the median wall time of each (whole processes, start-up
# included) with the ratios that matter. The machine may be shared: compare the ratios of one
# run rather than absolute times across runs.
#
#   bench/compare.sh [--quick] [--runs N] [--build DIR] [--install] [--only NAME] [--wall]
#     --quick    smaller sizes, for a fast look while working
#     --runs N   runs per cell (default 5); the median is shown
#     --build    the build folder with vorlan and vrltool (default build/)
#     --install  install lua5.4 through apt-get when it is missing (otherwise its column is
#                skipped)
#     --only     run one program (empty, loop, fib, calls, strings, registered, library)
#
# `library` mixes the calls business programs make (Copy, Pos, IntToStr, Format, UpperCase, a
# string list's Add and Values[]); its Lua and CPython counterparts use their own idioms (a
# table or dict for the name=value lookup).
#     --wall     wall time instead of processor time
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
programs="$root/bench/compare"
build="$root/build"
runs=5
quick=0
install=0
only=""
wall=0
while [ $# -gt 0 ]; do
    case "$1" in
    --quick) quick=1 ;;
    --runs) runs="$2"; shift ;;
    --build) build="$2"; shift ;;
    --install) install=1 ;;
    --only) only="$2"; shift ;;
    --wall) wall=1 ;;
    *) echo "unknown option $1" >&2; exit 1 ;;
    esac
    shift
done

vorlan="$build/src/app/vorlan/vorlan"
vrltool="$build/src/app/vrltool/vrltool"
for tool in "$vorlan" "$vrltool"; do
    [ -x "$tool" ] || { echo "missing $tool: build first (scripts/build.sh)" >&2; exit 1; }
done
if ! command -v lua5.4 >/dev/null && [ "$install" = 1 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq lua5.4 >/dev/null
fi
have_lua=0
command -v lua5.4 >/dev/null && have_lua=1
have_python=0
python=""
if command -v python3 >/dev/null; then
    # The interpreter itself, not a wrapper script in front of it that would add its own start.
    python="$(python3 -c 'import sys; print(sys.executable)')"
    have_python=1
fi

# Program sizes: name and the number the sources' @N@ becomes.
if [ "$quick" = 1 ]; then
    sizes=("empty 0" "loop 3000000" "fib 30" "calls 1000000" "strings 1000000" "registered 1000000"
        "library 200000")
else
    sizes=("empty 0" "loop 30000000" "fib 32" "calls 3000000" "strings 3000000" "registered 3000000"
        "library 1000000")
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

# One run of a command: its processor time (user + system, seconds), or with --wall its wall
# time; "-" when it fails. Its output goes to $work/out. Processor time is the default because a
# loaded machine stretches wall times by whatever else runs.
time_once() {
    local t
    if ! t=$( { TIMEFORMAT='%3R %3U %3S'; time "$@" >"$work/out" 2>"$work/run.err"; } 2>&1 ); then
        echo "failed: $*" >&2
        cat "$work/run.err" >&2
        echo "-"
        return
    fi
    if [ "$wall" = 1 ]; then
        awk '{ print $1 }' <<<"$t"
    else
        awk '{ printf "%.3f", $2 + $3 }' <<<"$t"
    fi
}

# The median of the times given, "-" when any run failed.
median() {
    local x
    for x in "$@"; do [ "$x" = "-" ] && { echo "-"; return; }; done
    printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 } END { printf "%.3f", t[int((NR + 1) / 2)] }'
}

ratio() {
    if [ "$1" = "-" ] || [ "$2" = "-" ]; then echo "-"; else awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; fi
}

kind="processor time (user + system)"
[ "$wall" = 1 ] && kind="wall time"
echo "median $kind in seconds of $runs runs, whole processes; 'empty' is the start-up alone"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
printf '%-20s %9s %9s %9s %9s %9s | %7s %7s %7s %7s %7s\n' program pascal basic js lua5.4 python3 \
    pas/lua pas/py bas/py js/py pas/js
for entry in "${sizes[@]}"; do
    read -r name n <<<"$entry"
    [ -n "$only" ] && [ "$only" != "$name" ] && continue
    # The command of each column; a column whose interpreter is missing stays empty.
    declare -A cmd=() t=() outs=()
    for ext in ZLM PMB TRX; do
        dir="$work/$name-$ext"
        mkdir -p "$dir"
        sed "s/@N@/$n/g" "$programs/$name.$ext" >"$dir/MAIN.$ext"
        "$vrltool" pack "$dir/MAIN.VRL" "$dir/MAIN.$ext" >/dev/null
        cmd[$ext]="$vorlan --headless $dir/MAIN.VRL"
    done
    if [ "$have_lua" = 1 ]; then
        sed "s/@N@/$n/g" "$programs/$name.lua" >"$work/$name.lua"
        cmd[lua]="lua5.4 $work/$name.lua"
    fi
    if [ "$have_python" = 1 ]; then
        sed "s/@N@/$n/g" "$programs/$name.py" >"$work/$name.py"
        cmd[py]="$python $work/$name.py"
    fi
    # The runs go round the columns, so that a burst of load from elsewhere on a shared machine
    # falls on all of them alike instead of on one column's runs.
    declare -A runs_of=()
    for ((i = 0; i < runs; i++)); do
        for col in ZLM PMB TRX lua py; do
            [ -n "${cmd[$col]:-}" ] || continue
            # shellcheck disable=SC2086 # the paths come from mktemp and the build folder
            runs_of[$col]+=" $(time_once ${cmd[$col]})"
            [ "$i" = 0 ] && outs[$col]="$(tr -d '\r' <"$work/out" | tail -1)"
        done
    done
    outputs=()
    for col in ZLM PMB TRX lua py; do
        t[$col]="-"
        [ -n "${cmd[$col]:-}" ] || continue
        # shellcheck disable=SC2086
        t[$col]=$(median ${runs_of[$col]})
        outputs+=("$col=${outs[$col]}")
    done
    printf '%-20s %9s %9s %9s %9s %9s | %7s %7s %7s %7s %7s\n' "$name($n)" "${t[ZLM]}" "${t[PMB]}" \
        "${t[TRX]}" "${t[lua]}" "${t[py]}" "$(ratio "${t[ZLM]}" "${t[lua]}")" \
        "$(ratio "${t[ZLM]}" "${t[py]}")" "$(ratio "${t[PMB]}" "${t[py]}")" \
        "$(ratio "${t[TRX]}" "${t[py]}")" "$(ratio "${t[ZLM]}" "${t[TRX]}")"
    # Every implementation must print the same result.
    first="${outputs[0]#*=}"
    for o in "${outputs[@]}"; do
        [ "${o#*=}" = "$first" ] || echo "  results differ: ${outputs[*]}" >&2
    done
    unset t cmd outs runs_of
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
