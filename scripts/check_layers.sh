#!/usr/bin/env bash
# Fails when a file includes a layer above its own, or when ODBC's headers appear outside db/.
# The layers, bottom up, and what each may include: the one table of the program's layering.
#   scripts/check_layers.sh
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [base]="base"
    [settings]="base settings"
    [db]="base settings db"
    [engine]="base settings db engine"
    [compare]="base settings db engine compare"
    [batch]="base settings db engine compare batch"
    [ui]="base settings db engine compare ui"
)
# Only db/ talks to the driver manager. (Tests, benchmarks and fuzz targets are tools around the
# program and may include what they need.)
odbc_headers='<(sql|sqlext|sqltypes|sqlucode)\.h>'

status=0
for layer in "${!allowed[@]}"; do
    [ -d "$layer" ] || continue
    while IFS= read -r file; do
        while IFS= read -r line; do
            included=${line#*\"}
            included=${included%%/*}
            if [[ " ${allowed[$layer]} " != *" $included "* ]]; then
                echo "$file includes $included/, above $layer/: $line"
                status=1
            fi
        done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$file" || true)
        if [ "$layer" != db ] && grep -qE "^[[:space:]]*#[[:space:]]*include[[:space:]]*$odbc_headers" "$file"; then
            echo "$file includes an ODBC header outside db/"
            status=1
        fi
    done < <(find "$layer" -name '*.cpp' -o -name '*.h' | sort)
done
if [ $status -eq 0 ]; then
    echo "Layers: every include points down."
fi
exit $status
