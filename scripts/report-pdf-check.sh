#!/usr/bin/env bash
# Makes the sample grouped report (tests/integration/reports: GROUPED.PTS over SALES.CSV) into
# a PDF with the batch mode of the runtime, turns its first page into a PNG and keeps both
# under build/review/ for a look by eye.
#
#   scripts/report-pdf-check.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
vorlan="$build/src/app/vorlan/vorlan"
samples=tests/integration/reports
out=build/review
if [ ! -x "$vorlan" ]; then
    echo "report-pdf-check: $vorlan is not built (ninja -C $build vorlan)" >&2
    exit 1
fi
command -v pdftoppm >/dev/null || { echo "report-pdf-check: pdftoppm missing (scripts/install-deps.sh)" >&2; exit 1; }
mkdir -p "$out"
rm -f "$out/grouped-report.pdf" "$out"/grouped-report-page1*.png
"$vorlan" --headless --report "$samples/GROUPED.PTS" --data "$samples/SALES.CSV" \
    --print-to "$out/grouped-report.pdf"
pages=$(pdfinfo "$out/grouped-report.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$out/grouped-report.pdf" "$out/grouped-report-page1"
echo "report-pdf-check: $out/grouped-report.pdf (${pages:-?} pages), page 1 in $out/grouped-report-page1.png"
