#!/usr/bin/env bash
# Replays every fuzz corpus (and every crasher kept in it) through the parsers built with
# AddressSanitizer and UndefinedBehaviorSanitizer, so a read out of bounds or an undefined
# operation fails even where it would not crash. Builds only the replay programs and what they
# link, in build-asan/ (the folder `scripts/test.sh --sanitize` uses, so each shares the other's
# objects).
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=build-asan
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_IGNOREOPTIONS=-Werror
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORLAN_SANITIZE=ON \
    -DVORLAN_BUILD_TESTS=ON -DVORLAN_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)" --target fuzz_replays
ctest --test-dir "$BUILD_DIR" -R '^fuzz_replay' --output-on-failure -j "$(nproc)"
