#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR). Extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
# Compiler cache keys relative to the checkout, so every clone and work tree shares one cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
# -Werror does not change the object code, so it must not change the cache key either: builds
# with and without it share their cached objects.
export CCACHE_IGNOREOPTIONS=-Werror
BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
