#!/usr/bin/env bash
# Builds the package, unpacks it into a temporary root and checks what it installs: the file
# list, the desktop entry, the MIME definitions, the manual pages, and the packaged runtime
# running the bundled demo.
set -euo pipefail
cd "$(dirname "$0")/.."
rm -f dist/vorlan_*.deb
deb=$(bash scripts/package.sh | tail -n 1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
fail() { echo "check-package: $*" >&2; exit 1; }

for f in usr/bin/vorlan usr/bin/vrltool \
         usr/share/vorlan/examples/DEMO.VRL usr/share/vorlan/examples/FORMDEMO.VRL \
         usr/share/applications/vorlan.desktop usr/share/mime/packages/vorlan.xml \
         usr/share/icons/hicolor/scalable/apps/vorlan.svg \
         usr/share/man/man1/vorlan.1.gz usr/share/man/man1/vrltool.1.gz \
         usr/share/doc/vorlan/README.md usr/share/doc/vorlan/prirucka.md \
         usr/share/doc/vorlan/copyright; do
    [ -s "$root/$f" ] || fail "missing $f"
done
front_end=$(cd "$root" && find usr/lib -name vorlan-desktop.so -path '*/vorlan/*' | head -n 1)
[ -n "$front_end" ] || fail "missing the front end library vorlan-desktop.so under usr/lib"
extra=$(cd "$root" && find . -type f | grep -v -E '^\./usr/(bin|lib/([^/]+/)?vorlan|share/(vorlan|applications|mime|icons|man|doc))/' || true)
[ -z "$extra" ] || fail "files outside the hierarchy: $extra"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6printsupport6 libduktape fonts-liberation2; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

desktop-file-validate "$root/usr/share/applications/vorlan.desktop"
xmllint --noout "$root/usr/share/mime/packages/vorlan.xml"
xmllint --noout "$root/usr/share/icons/hicolor/scalable/apps/vorlan.svg"
for page in vorlan vrltool; do
    warnings=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -k -ww -man -Tutf8 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
done

out=$("$root/usr/bin/vorlan" --headless "$root/usr/share/vorlan/examples/DEMO.VRL")
[ -n "$out" ] || fail "the packaged runtime printed nothing for DEMO.VRL"
# A program with a form needs the front end library: the packaged runtime finds it where the
# package put it.
"$root/usr/bin/vorlan" --headless "$root/usr/share/vorlan/examples/FORMDEMO.VRL" >/dev/null ||
    fail "the packaged runtime did not run FORMDEMO.VRL"
echo "check-package: $(basename "$deb") is sound ($(find "$root" -type f | wc -l) files)"
