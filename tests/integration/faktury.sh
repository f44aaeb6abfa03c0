#!/bin/sh
# Runs the invoicing example's automatic session from a fresh copy of its files and checks what
# it left behind (faktury_test.py). Skipped (77) without python3-dbf or pdftotext.
py=""
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c "import dbf" 2>/dev/null; then
        py="$candidate"
        break
    fi
done
[ -n "$py" ] || exit 77
command -v pdftotext >/dev/null || exit 77
exec "$py" "$(dirname "$0")/faktury_test.py" "$@"
