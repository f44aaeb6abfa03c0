#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with (needs root or sudo).
# postgresql gives the tests a server of their own (initdb, pg_ctl), libpq-dev the client library.
# fp-compiler is fpc with its runtime units, all the Pascal cross-check needs; the fpc suite
# package would add its IDE and the GTK, SDL and multimedia units, some 150 packages more.
set -euo pipefail
packages=(cmake ninja-build g++ ccache pkg-config
          qt6-base-dev libgl-dev
          googletest libgtest-dev libbenchmark-dev
          duktape-dev python3 python3-dbf libdbd-xbase-perl
          clang-format fp-compiler
          poppler-utils xvfb xauth libxcb1-dev
          qt6-translations-l10n x11-apps x11-utils xdotool openbox
          dpkg-dev desktop-file-utils libxml2-utils groff-base
          fonts-liberation2 cups-daemon cups-client locales
          postgresql libpq-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
# A Czech locale, so the tests can prove that number texts ignore a host locale with a decimal
# comma (users here run with one).
if ! locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$'; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8 2>/dev/null || true
fi
