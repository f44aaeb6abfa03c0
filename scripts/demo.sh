#!/usr/bin/env bash
# Sets up a fresh machine, builds the runtime and runs a bundled program: the demo by default,
# or the example NAME (see README); further arguments go to the program (`demo.sh faktury /AUTO`). The program
# runs from its own folder under build/examples/run/NAME, so tables it creates stay there.
# Without a display it runs headless and prints the program's console output.
set -euo pipefail
cd "$(dirname "$0")/.."
name="${1:-demo}"
archive="$(echo "$name" | tr '[:lower:]' '[:upper:]').VRL"
bash scripts/install-deps.sh
bash scripts/build.sh -DVORLAN_BUILD_TESTS=OFF -DVORLAN_BUILD_BENCH=OFF
if [ ! -f "build/examples/$archive" ]; then
    echo "Neznámý příklad: $name (archiv build/examples/$archive neexistuje)" >&2
    exit 1
fi
run="build/examples/run/$name"
mkdir -p "$run"
cp "build/examples/$archive" "$run/"
# What the program reads at run time (templates, data to import) lies in a folder of its name.
if [ -d "build/examples/$name" ]; then cp -r "build/examples/$name/." "$run/"; fi
args=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then args+=(--headless); fi
cd "$run"
exec ../../../src/app/vorlan/vorlan "${args[@]}" "$archive" "${@:2}"
