#!/usr/bin/env bash
# Sets everything up, builds, creates two small demo SQLite databases from examples/ and
# compares them through the SQLite3 ODBC driver, printing the report.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" -DZENTAB_TESTS=OFF

demo=$root/build/demo
mkdir -p "$demo"
for n in 1 2; do
    rm -f "$demo/demo$n.db"
    sqlite3 "$demo/demo$n.db" <"$root/examples/demo$n.sql"
done

status=0
colour=()
[ -t 1 ] && colour=(--color)
"$root/build/zentab-batch" "${colour[@]}" \
    --db1 "Driver=SQLite3;Database=$demo/demo1.db;StepAPI=1;" \
    --db2 "Driver=SQLite3;Database=$demo/demo2.db;StepAPI=1;" || status=$?
echo
case $status in
0) echo "Zentab found no difference." ;;
1) echo "Zentab found differences (exit status 1)." ;;
*) echo "zentab-batch ended with status $status." >&2; exit "$status" ;;
esac
