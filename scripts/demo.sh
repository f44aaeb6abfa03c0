#!/usr/bin/env bash
# Sets up a fresh machine, builds the runtime and runs the bundled demo program. Without a
# display it runs headless and prints the program's console output.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DVORLAN_BUILD_TESTS=OFF -DVORLAN_BUILD_BENCH=OFF
args=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then args+=(--headless); fi
exec build/src/app/vorlan/vorlan "${args[@]}" build/examples/DEMO.VRL
