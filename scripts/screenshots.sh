#!/usr/bin/env bash
# Pictures of the runtime's windows for reviewing the user interface: runs the runtime in its
# desktop mode on a virtual screen, once per program, and keeps a PNG of the window each shows.
#
#   scripts/screenshots.sh [BUILD_DIR]      (default: build; needs vorlan, vrltool, examples)
#
# Writes BUILD_DIR/review/formdemo.png (the bundled form example), controls.png (a form of the
# common controls: tree, list view, check list, bars, pages, rich text), canvas.png (the graphics
# canvas with a drawing), message.png (a Czech message dialog), database.png (the database
# window on a Czech table), preview.png and printdialog.png (the report preview at 100 % and
# the print dialog over the grouped sample), designer.png (the report designer on the grouped
# sample), designer_wizard.png, designer_function.png, designer_expression.png,
# designer_paper.png and designer_element.png (the designer's dialogs), and the sample
# applications: faktury.png and faktura.png (the invoicing example's main window and its
# invoice in the preview), sklad.png (the database window after the stock example's automatic
# run, filtered to one group), sklad-console.png (its console with the stock report),
# adresy.png (the address-label form over the imported addresses) and adresy-stitky.png (page 1
# of the labels it printed). Those are Qt's pictures of its windows; screen/ holds pictures of
# the screen itself (xwd -root) under a window manager at 1280x1024: the samples, the database
# window, the designer and each kind of window a program opens over its form.
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
        timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$runtime" "${@:3}" \
        >"$work/$name.out" 2>&1 || true
    if [ -s "$out/$name.png" ]; then
        echo "$out/$name.png"
    else
        echo "screenshots: no picture of $name" >&2
        cat "$work/$name.out" >&2
        return 1
    fi
}

# The sample applications run from folders of their own, with the files they read beside them.
# The address form shows what an earlier automatic run imported.
example() {
    local name="$1" archive="$2"
    mkdir -p "$work/$name"
    cp "$build/examples/$archive" "$work/$name/"
    cp -r "$build/examples/$name/." "$work/$name/"
}
example sklad SKLAD.VRL
example adresy ADRESY.VRL
(cd "$work/adresy" && "$runtime" --headless --print-to STITKY.pdf ADRESY.VRL /AUTO >/dev/null 2>&1) || true
# The labels that run printed: page 1 as a picture.
if [ -s "$work/adresy/STITKY.pdf" ] && command -v pdftoppm >/dev/null; then
    cp "$work/adresy/STITKY.pdf" "$out/adresy-stitky.pdf"
    pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$out/adresy-stitky.pdf" "$out/adresy-stitky"
    echo "$out/adresy-stitky.png"
else
    echo "screenshots: no labels from the address example" >&2
fi

status=0
shot formdemo "" "$build/examples/FORMDEMO.VRL" || status=1
(cd "$work/sklad" && shot sklad DbfForm SKLAD.VRL /AUTO) || status=1
(cd "$work/sklad" && shot sklad-console ConsoleForm SKLAD.VRL /AUTO) || status=1
(cd "$work/adresy" && shot adresy "" ADRESY.VRL) || status=1
shot controls "" "$work/CONTROLS.VRL" || status=1
shot canvas ImageForm "$work/CANVAS.VRL" || status=1
shot message "" "$work/MESSAGE.VRL" || status=1
shot database DbfForm --browse "$work/ZBOZI.DBF" || status=1
# The invoicing example from a folder of its own, where it makes its tables on the first start.
if [ -f "$build/examples/FAKTURY.VRL" ]; then
    mkdir -p "$work/faktury"
    cp "$build/examples/FAKTURY.VRL" "$build/examples/faktury/"* "$work/faktury/"
    (cd "$work/faktury" && vorlan="$runtime" && shot faktury "" FAKTURY.VRL) || status=1
    (cd "$work/faktury" && vorlan="$runtime" && DELAY_MS=3000 shot faktura TFormSestP FAKTURY.VRL /NAHLED) ||
        status=1
else
    echo "screenshots: $build/examples/FAKTURY.VRL is not built" >&2
    status=1
fi
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
designer="$build/tests/ui/designer/designer_review_shot"
if [ -x "$designer" ]; then
    timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$designer" \
        tests/integration/reports/GROUPED.PTS tests/integration/reports/SALES.CSV "$out" \
        2>"$work/designer.out" || {
        echo "screenshots: no picture of the designer" >&2
        cat "$work/designer.out" >&2
        status=1
    }
else
    echo "screenshots: $designer is not built (tests on)" >&2
    status=1
fi
designerShots="$build/tests/ui/designer/designer_review_shots"
if [ -x "$designerShots" ]; then
    timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$designerShots" "$out" \
        2>"$work/designer.out" || {
        echo "screenshots: no pictures of the designer's dialogs" >&2
        cat "$work/designer.out" >&2
        status=1
    }
else
    echo "screenshots: $designerShots is not built (tests on)" >&2
    status=1
fi
# Pictures of the X screen itself (xwd -root), as a person in front of it sees the windows,
# under openbox at 1280x1024: each sample's main window, and every kind of window a program
# opens over its form (BUILD_DIR/review/screen/).
mkdir -p "$out/screen"
# The samples are shot from their own folders: the converter is named from here.
capture_script="$PWD/tests/ui/screen/screen_capture.py"
# screen_shot NAME SECONDS PROGRAM [ARGS]: runs PROGRAM on a screen of its own and keeps the
# whole screen as screen/NAME.png after SECONDS.
screen_shot() {
    local name="$1" wait="$2"
    shift 2
    timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
        wait="$0" capture="$1" png="$2"
        shift 2
        openbox >/dev/null 2>&1 &
        manager=$!
        sleep 1
        "$@" >/dev/null 2>&1 &
        program=$!
        sleep "$wait"
        xwd -root -silent | python3 "$capture" "$png"
        kill "$program" "$manager" 2>/dev/null' "$wait" "$capture_script" \
        "$out/screen/$name.png" "$@" || true
    if [ -s "$out/screen/$name.png" ]; then echo "$out/screen/$name.png"; else
        echo "screenshots: no screen picture of $name" >&2
        status=1
    fi
}
if command -v xwd >/dev/null && command -v openbox >/dev/null; then
    (cd "$work/faktury" && screen_shot faktury 4 "$runtime" FAKTURY.VRL)
    (cd "$work/sklad" && screen_shot sklad 6 "$runtime" SKLAD.VRL)
    (cd "$work/adresy" && screen_shot adresy 4 "$runtime" ADRESY.VRL)
    screen_shot database 3 "$runtime" --browse "$work/ZBOZI.DBF"
    screen_shot designer 4 "$runtime" --design "$PWD/tests/integration/reports/GROUPED.PTS" \
        --data "$PWD/tests/integration/reports/SALES.CSV"
    for manager in bare openbox; do
        python3 tests/ui/screen/secondary_windows_test.py "$runtime" "$(realpath "$vrltool")" \
            "$manager" "$out/screen" >"$work/screen-$manager.out" 2>&1 || {
            echo "screenshots: windows over a program ($manager) are not all drawn" >&2
            cat "$work/screen-$manager.out" >&2
            status=1
        }
    done
    ls "$out/screen"/*.png
else
    echo "screenshots: xwd or openbox is missing (scripts/install-deps.sh)" >&2
    status=1
fi
exit $status
