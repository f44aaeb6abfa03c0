#!/usr/bin/env bash
# Pictures of the runtime's windows for reviewing the user interface: runs the runtime in its
# desktop mode on a virtual screen, once per program, and keeps a PNG of the window each shows.
#
#   scripts/screenshots.sh [BUILD_DIR]      (default: build; needs vorlan, vrltool, examples)
#
# Writes BUILD_DIR/review/formdemo.png (the bundled form example), controls.png (a form of the
# common controls: tree, list view, check list, bars, pages, rich text), canvas.png (the graphics
# canvas with a drawing), message.png (a Czech message dialog), database.png (the database
# window on a Czech table), and preview.png and printdialog.png (the report preview at 100 %
# and the print dialog over the grouped sample).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
vorlan="$build/src/app/vorlan/vorlan"
vrltool="$build/src/app/vrltool/vrltool"
out="$(realpath -m "$build/review")"
for tool in "$vorlan" "$vrltool"; do
    [ -x "$tool" ] || { echo "screenshots: $tool is not built" >&2; exit 1; }
done
[ -f "$build/examples/FORMDEMO.VRL" ] || { echo "screenshots: $build/examples/FORMDEMO.VRL is not built" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "screenshots: xvfb-run is missing (scripts/install-deps.sh)" >&2; exit 1; }

mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Settings of the person running this stay out of the pictures.
export XDG_CONFIG_HOME="$work/config"

"$vrltool" pack "$work/CANVAS.VRL" tests/programs/canvas_show/MAIN.ZLM >/dev/null
"$vrltool" pack "$work/MESSAGE.VRL" tests/programs/canvas_message/MAIN.ZLM >/dev/null
"$vrltool" pack "$work/CONTROLS.VRL" tests/programs/common_controls/MAIN.ZLM >/dev/null

# The database window looks at the Czech sample table that the Dbf functions' test program makes.
"$vrltool" pack "$work/TABLE.VRL" tests/programs/dbf_functions/MAIN.ZLM >/dev/null
runtime="$(realpath "$vorlan")"
(cd "$work" && "$runtime" --headless TABLE.VRL >/dev/null 2>&1) || true

# shot NAME WINDOW PROGRAM [ARGS]: runs PROGRAM and keeps WINDOW (by object name; empty for the
# active window) as NAME.png once the program has had time to draw.
shot() {
    local name="$1" window="$2"
    rm -f "$out/$name.png"
    VORLAN_SCREENSHOT="$out/$name.png" VORLAN_SCREENSHOT_DELAY_MS="${DELAY_MS:-1500}" \
        VORLAN_SCREENSHOT_WINDOW="$window" \
        timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$vorlan" "${@:3}" \
        >"$work/$name.out" 2>&1 || true
    if [ -s "$out/$name.png" ]; then
        echo "$out/$name.png"
    else
        echo "screenshots: no picture of $name" >&2
        cat "$work/$name.out" >&2
        return 1
    fi
}

status=0
shot formdemo "" "$build/examples/FORMDEMO.VRL" || status=1
shot controls "" "$work/CONTROLS.VRL" || status=1
shot canvas ImageForm "$work/CANVAS.VRL" || status=1
shot message "" "$work/MESSAGE.VRL" || status=1
shot database DbfForm --browse "$work/ZBOZI.DBF" || status=1
shots="$build/tests/ui/report_review_shots"
if [ -x "$shots" ]; then
    timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$shots" tests/integration/reports/GROUPED.PTS \
        tests/integration/reports/SALES.CSV "$out" 2>"$work/report.out" || {
        echo "screenshots: no pictures of the report preview" >&2
        cat "$work/report.out" >&2
        status=1
    }
else
    echo "screenshots: $shots is not built (tests on)" >&2
    status=1
fi
exit $status
