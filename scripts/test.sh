#!/usr/bin/env bash
# Sets up a fresh machine, builds and runs every test. With --sanitize the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer (in build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ "${1:-}" = "--sanitize" ]; then
    export BUILD_DIR=build-asan BUILD_TYPE=Debug
    bash scripts/build.sh -DVORLAN_SANITIZE=ON -DVORLAN_BUILD_BENCH=OFF
else
    bash scripts/build.sh
fi
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
