#!/bin/sh
# Most runs never open a server table, so the runtime loads the PostgreSQL client library only
# when a folder is mapped to a server: a start never loads or relocates it. Most headless runs
# never show or print anything either, so Qt comes with the front end library, loaded only by
# runs that need it.
needed=$(readelf -dW "$1") || exit 2
if printf '%s\n' "$needed" | grep NEEDED | grep -q libpq; then
    echo "$1 links the PostgreSQL client library" >&2
    exit 1
fi
if printf '%s\n' "$needed" | grep NEEDED | grep -q libQt; then
    echo "$1 links Qt" >&2
    exit 1
fi
