#!/bin/sh
# Runs the invoicing example's automatic session from a fresh copy of its files and checks what
# it left behind (faktury_test.py). Skipped (77) without python3-dbf or pdftotext,
# failed then under CI.
. "$(dirname "$0")/../needs_tool.sh"
py=""
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c "import dbf" 2>/dev/null; then
        py="$candidate"
        break
    fi
done
[ -n "$py" ] || needs_tool_missing "python3-dbf is not installed"
command -v pdftotext >/dev/null || needs_tool_missing "pdftotext is not installed"
exec "$py" "$(dirname "$0")/faktury_test.py" "$@"
