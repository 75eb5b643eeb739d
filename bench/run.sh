#!/usr/bin/env bash
# The data-comparison benchmark. Builds in Release (build-bench), generates the benchmark
# databases at each size in SQLite and in a throwaway PostgreSQL server, and times
#   (a) the table data comparison through zentab-batch, and
#   (b) zentab-bench-fetch: the same run with the same statements fetched and nothing compared,
# each as a whole process (connecting, object lists and columns included, the same in both).
# Prints one line per database system and size: the mean of BENCH_REPEAT runs of each program,
# the rows per second of (a) (rows of one side over (a)'s time), the ratio a/b and the peak
# resident memory of (a).
#
#   bench/run.sh [ROWS ...]          default: 100000 1000000
#
# Environment: BENCH_DBMS="sqlite postgres" (either or both), BENCH_REPEAT=5, BENCH_FETCH=1000
# (psqlODBC rows per cursor fetch), BENCH_BATCH (another zentab-batch to time as (a), e.g. an
# older build).
#
# Needs, and installs nothing: cmake, ninja, a C++20 compiler, unixODBC with the SQLite3 ODBC
# driver and psqlODBC, the sqlite3 and psql command-line programs, a PostgreSQL server
# (/usr/lib/postgresql/*/bin) and GNU time as /usr/bin/time. On Debian: the packages that
# scripts/setup.sh installs, plus the package "time".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
dbms_list=${BENCH_DBMS:-sqlite postgres}
repeat=${BENCH_REPEAT:-5}
fetch=${BENCH_FETCH:-1000}

missing=()
for tool in cmake ninja sqlite3 psql; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -x /usr/bin/time ] || missing+=("/usr/bin/time (package time)")
case " $dbms_list " in
*" postgres "*)
    ls -d /usr/lib/postgresql/*/bin >/dev/null 2>&1 || missing+=("PostgreSQL server (package postgresql)")
    ;;
esac
if [ ${#missing[@]} -gt 0 ]; then
    echo "bench/run.sh: missing: ${missing[*]}" >&2
    exit 2
fi

build=$root/build-bench
echo "== Building (Release) in $build" >&2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENTAB_WITH_QT=OFF \
    -DZENTAB_TESTS=OFF >/dev/null
cmake --build "$build" --target zentab-batch zentab-bench-fetch >/dev/null
batch=${BENCH_BATCH:-$build/zentab-batch}

# The databases, the server and the reports live in a new folder, removed at the end. The
# server (running as user postgres when we are root) must be able to enter it.
work=$(mktemp -d /tmp/zentab-bench.XXXXXX)
chmod 755 "$work"
pg_started=0
cleanup() {
    if [ "$pg_started" -eq 1 ]; then
        "$root/scripts/pg_server.sh" stop "$work/pg" || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Only the table rows are compared: every other phase is off, in both programs.
settings=(--set b_DoTabStruct=0 --set b_DoIndex=0 --set b_DoViewStruct=0 --set b_DoViewData=0
    --set b_DoProcStruct=0)

# The report of (a) goes straight to a file (b_OnlyToFile): zentab-batch --report keeps the whole
# report in memory as well, which would measure the size of the report, not of the comparison.
to_file=(--set b_OnlyToFile=1 --set "s_AutoSaveFile=$work/report.txt")

# Runs a command under GNU time; leaves "seconds peak-KiB" in $work/measured. The wall time is
# taken here, to the millisecond (GNU time gives hundredths).
timed() {
    local status=0 start end
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$work/time" "$@" >"$work/out" 2>"$work/err" || status=$?
    end=$(date +%s%N)
    # zentab-batch exits with 1 when it found differences, which it must here.
    if [ "$status" -gt 1 ]; then
        echo "bench/run.sh: $1 failed with status $status:" >&2
        cat "$work/err" >&2
        exit 1
    fi
    local ns=$((end - start))
    echo "$((ns / 1000000000)).$(printf %03d $((ns / 1000000 % 1000)))" \
        "$(tail -n 1 "$work/time")" >"$work/measured"
}

# Mean times of (a) and of (b), highest peak memory of (a): one line added to $work/results.
# The mean, not the best: both programs notice the end of their run by polling every 50 ms, so
# single times come in steps of 50 ms, which only an average smooths out at small sizes.
measure() {
    local dbms=$1 rows=$2 db1=$3 db2=$4
    local total_a=0 total_b=0 rss_a=0 lines
    for _ in $(seq "$repeat"); do
        timed "$build/bench/zentab-bench-fetch" --db1 "$db1" --db2 "$db2" "${settings[@]}"
        read -r seconds kib <"$work/measured"
        total_b=$(awk -v a="$seconds" -v b="$total_b" 'BEGIN { print a + b }')
        timed "$batch" --db1 "$db1" --db2 "$db2" "${settings[@]}" "${to_file[@]}"
        read -r seconds kib <"$work/measured"
        total_a=$(awk -v a="$seconds" -v b="$total_a" 'BEGIN { print a + b }')
        [ "$kib" -gt "$rss_a" ] && rss_a=$kib
    done
    # Rows written to the report: two per changed row, one per deleted or inserted row.
    lines=$(grep -a -E $'^[<>] ' "$work/report.txt" | grep -c -v -E '^. DATABASE [12]:  ' || true)
    awk -v d="$dbms" -v r="$rows" -v a="$total_a" -v b="$total_b" -v n="$repeat" -v m="$rss_a" \
        -v l="$lines" 'BEGIN { a /= n; b /= n
            printf "%-10s %9d %8.3f %8.3f %10.0f %6.3f %8.1f %9d\n", d, r, a, b, r / a, a / b, m / 1024, l }' |
        tee -a "$work/results" >&2
}

header() {
    printf "%-10s %9s %8s %8s %10s %6s %8s %9s\n" DBMS rows "(a) s" "(b) s" "rows/s(a)" "a/b" \
        "RSS MiB" "reported"
}

for dbms in $dbms_list; do
    case "$dbms" in
    sqlite)
        for rows in "${sizes[@]}"; do
            echo "== SQLite, $rows rows: generating" >&2
            "$root/bench/generate.sh" sqlite "$rows" "$work/sqlite"
            echo "== SQLite, $rows rows: measuring" >&2
            measure SQLite "$rows" \
                "Driver=SQLite3;Database=$work/sqlite/one.db;StepAPI=1;" \
                "Driver=SQLite3;Database=$work/sqlite/two.db;StepAPI=1;"
            rm -rf "$work/sqlite"
        done
        ;;
    postgres)
        echo "== Starting PostgreSQL in $work/pg" >&2
        connect=$("$root/scripts/pg_server.sh" start "$work/pg")
        pg_started=1
        # psqlODBC reads the whole result set into memory unless it fetches through a cursor.
        stream="UseDeclareFetch=1;Fetch=$fetch;"
        for rows in "${sizes[@]}"; do
            echo "== PostgreSQL, $rows rows: generating" >&2
            "$root/bench/generate.sh" postgres "$rows" "$work/pg"
            echo "== PostgreSQL, $rows rows: measuring" >&2
            measure PostgreSQL "$rows" \
                "${connect/Database=zentab;/Database=bench_one;}$stream" \
                "${connect/Database=zentab;/Database=bench_two;}$stream"
        done
        "$root/scripts/pg_server.sh" stop "$work/pg"
        pg_started=0
        ;;
    *)
        echo "bench/run.sh: unknown database system '$dbms' (sqlite or postgres)" >&2
        exit 2
        ;;
    esac
done

header
cat "$work/results"
