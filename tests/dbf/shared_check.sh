#!/usr/bin/env bash
# Four writers and a reader on one table (the shared-table benchmark at a small size), then rounds
# that move every key of a tag (emptied pages are reused), then an independent check of the
# result: Perl's XBase module walks every tag, python3-dbf reads every record. The same once
# with the tags of a structural .CDX and once with three .NTX files. Without those tools the test is skipped (exit 77), under CI=true it fails.
set -euo pipefail
bench=$1
here=$(cd "$(dirname "$0")" && pwd)
missing=""
perl -MXBase -e 1 2>/dev/null || missing="libdbd-xbase-perl"
/usr/bin/python3 -c "import dbf" 2>/dev/null || missing="$missing python3-dbf"
if [ -n "$missing" ]; then
    echo "missing: $missing (scripts/install-deps.sh installs them)"
    [ "${CI:-}" = "true" ] && exit 1
    exit 77
fi
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
for kind in cdx ntx; do
dir="$top/$kind"
if [ "$kind" = ntx ]; then
    "$bench" --dir "$dir" --records 5000 --ops 150 --saves 5 --churn 3 --ntx
    perl "$here/xbase_check.pl" "$dir/T5000.DBF" "$dir/T5000_NTX" NAZEV CISLO DATUM
else
    "$bench" --dir "$dir" --records 5000 --ops 150 --saves 5 --churn 3
    perl "$here/xbase_check.pl" "$dir/T5000.DBF" "$dir/T5000.CDX" NAZEV CISLO DATUM
fi
/usr/bin/python3 - "$dir/T5000.DBF" <<'PY'
import sys
import dbf
table = dbf.Table(sys.argv[1])
table.open(dbf.READ_ONLY)
names = set()
for record in table:
    names.add(record.nazev.strip())
expected = 5000 + 4 * 150
assert len(table) == expected, (len(table), expected)
print("python3-dbf: %d records read" % len(table))
table.close()
PY
done
