#!/usr/bin/env bash
# Builds the benchmarks (in build-bench/, a release build) and runs them; the test command leaves
# them out, so a first test run is not kept waiting for programs it does not run.
#   scripts/bench.sh                 build and run every benchmark
#   scripts/bench.sh dbf             only the programs whose name holds "dbf"
#   scripts/bench.sh --build-only    build them, run nothing (CI: they must keep compiling)
# BUILD_DIR and BUILD_TYPE choose another folder and build type.
set -euo pipefail
cd "$(dirname "$0")/.."
build_only=0
if [ "${1:-}" = "--build-only" ]; then
    build_only=1
    shift
fi
filter="${1:-}"
export BUILD_DIR=${BUILD_DIR:-build-bench}
BUILD_TYPE=${BUILD_TYPE:-Release}
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_IGNOREOPTIONS=-Werror
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DVORLAN_SANITIZE=OFF \
    -DVORLAN_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)" --target benchmarks
[ "$build_only" = 1 ] && exit 0
for program in "$BUILD_DIR"/bench/*_bench; do
    case "$(basename "$program")" in *"$filter"*) ;; *) continue ;; esac
    echo "== $(basename "$program")"
    QT_QPA_PLATFORM=offscreen "$program"
done
