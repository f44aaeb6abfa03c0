#!/usr/bin/env bash
# Sets up a fresh machine, checks the formatting, builds (warnings are errors) and runs every
# test. With --sanitize the build uses AddressSanitizer and UndefinedBehaviorSanitizer (in
# build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Formatting first: it takes seconds, the build takes minutes.
bash scripts/check-format.sh
if [ "${1:-}" = "--sanitize" ]; then
    export BUILD_DIR=build-asan BUILD_TYPE=Debug
    # Quiet about suppressions: tests compare what programs write to stderr.
    export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
    bash scripts/build.sh -DVORLAN_SANITIZE=ON -DVORLAN_BUILD_TESTS=ON -DVORLAN_BUILD_BENCH=OFF
else
    # Options are named explicitly: the demo may have configured the same folder without tests.
    # The benchmarks have their own command (scripts/bench.sh): no test runs them.
    bash scripts/build.sh -DVORLAN_SANITIZE=OFF -DVORLAN_BUILD_TESTS=ON -DVORLAN_BUILD_BENCH=OFF
fi
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
# The Debian package is made from the same build and checked as installed files.
if [ "${1:-}" != "--sanitize" ]; then bash scripts/check-package.sh; fi
