#!/usr/bin/env bash
# Builds the Debian package vorlan_<version>_<arch>.deb into dist/ (from build/, or $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
if [ -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake --build "$BUILD_DIR" -j "$(nproc)" --target vorlan vrltool examples manual_pages
else
    bash scripts/build.sh -DVORLAN_BUILD_TESTS=OFF -DVORLAN_BUILD_BENCH=OFF
fi
rm -rf "$BUILD_DIR/package"
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
mkdir -p dist
cp "$BUILD_DIR"/package/vorlan_*.deb dist/
ls dist/vorlan_*.deb
