#!/usr/bin/env bash
# Generates the two databases of the data-comparison benchmark: one table BENCH_ROWS of ROWS rows
# and eight columns of mixed types (integers, text, a decimal, a timestamp, nullable columns, a
# long text). The second database differs in about 0.1% of the rows, spread evenly over the
# table: for every 4000 rows one changed decimal, one changed long text, one deleted row and one
# inserted row. The content is a function of the row number only, so every run builds the same
# data.
#
#   bench/generate.sh sqlite ROWS DIR      writes DIR/one.db and DIR/two.db (sqlite3 CLI)
#   bench/generate.sh postgres ROWS PGDIR  creates the databases bench_one and bench_two on the
#                                          server that scripts/pg_server.sh started in PGDIR (psql)
#
# Existing files or databases of those names are replaced.
set -euo pipefail

kind=${1:?sqlite or postgres}
rows=${2:?number of rows}
where=${3:?folder}
case "$rows" in
'' | *[!0-9]*)
    echo "generate.sh: ROWS must be a number" >&2
    exit 2
    ;;
esac

# The values of row x on side $1 (1 or 2), as SQL over a relation v(x, id) that already holds
# the row numbers of that side. Written once for both database systems: only the functions
# that differ between them are passed in.
#   $2 code text   $3 timestamp   $4 long text   $5 double division
select_rows() {
    local side=$1 code=$2 created=$3 body=$4 ratio=$5
    cat <<SQL
SELECT id,
       $code,
       CASE WHEN x % 7 = 0 THEN NULL ELSE (x * 37) % 1000 END,
       ((x * 7919) % 100000) / 100.0 + CASE WHEN $side = 2 AND x % 4000 = 1 THEN 1 ELSE 0 END,
       $created,
       CASE WHEN x % 11 = 0 THEN NULL ELSE 'note ' || (x % 997) END,
       $ratio,
       $body || CASE WHEN $side = 2 AND x % 4000 = 1001 THEN ' (changed)' ELSE '' END
FROM v
SQL
}

# Row numbers of side $1 with their keys: every tenth key, less the deleted rows on side 2, plus
# the inserted rows on side 2 between two existing keys.
row_ids() {
    local side=$1
    cat <<SQL
SELECT x, x * 10 AS id FROM c WHERE NOT ($side = 2 AND x % 4000 = 2001)
UNION ALL
SELECT x, x * 10 + 5 FROM c WHERE $side = 2 AND x % 4000 = 3001
SQL
}

sqlite_side() {
    local side=$1 file=$2
    rm -f "$file"
    sqlite3 "$file" >/dev/null <<SQL
PRAGMA journal_mode = OFF;
PRAGMA synchronous = OFF;
CREATE TABLE BENCH_ROWS (
    id integer PRIMARY KEY,
    code varchar(12) NOT NULL,
    qty integer,
    price decimal(12, 2),
    created timestamp,
    note varchar(60),
    ratio double,
    body text
);
INSERT INTO BENCH_ROWS
WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < $rows),
     v(x, id) AS ($(row_ids "$side"))
$(select_rows "$side" "printf('C%07d', x)" "datetime(1600000000 + x * 60, 'unixepoch')" \
        "'row ' || x || ': ' || substr(replace(hex(zeroblob(60)), '00', 'lorem ipsum dolor '), 1 + x % 97, 100 + x % 150)" \
        "x / 7.0")
ORDER BY id;
SQL
}

postgres_side() {
    local side=$1 database=$2 pgdir=$3
    local port
    port=$(cat "$pgdir/port")
    local psql=(env PGOPTIONS="-c client_min_messages=warning" psql -X -q -v ON_ERROR_STOP=1 -h "$pgdir" -p "$port" -U zentab)
    "${psql[@]}" -d zentab -c "DROP DATABASE IF EXISTS $database" -c "CREATE DATABASE $database"
    "${psql[@]}" -d "$database" <<SQL
CREATE TABLE BENCH_ROWS (
    id integer PRIMARY KEY,
    code varchar(12) NOT NULL,
    qty integer,
    price numeric(12, 2),
    created timestamp,
    note varchar(60),
    ratio double precision,
    body text
);
INSERT INTO BENCH_ROWS
WITH c(x) AS (SELECT generate_series(1, $rows)::bigint),
     v(x, id) AS ($(row_ids "$side"))
$(select_rows "$side" "'C' || lpad(x::text, 7, '0')" "timestamp '2020-09-13 12:26:40' + x * interval '1 minute'" \
        "'row ' || x || ': ' || substr(repeat('lorem ipsum dolor ', 60), (1 + x % 97)::int, (100 + x % 150)::int)" \
        "x / 7.0::double precision")
ORDER BY id;
VACUUM ANALYZE BENCH_ROWS;
SQL
}

case "$kind" in
sqlite)
    mkdir -p "$where"
    sqlite_side 1 "$where/one.db"
    sqlite_side 2 "$where/two.db"
    ;;
postgres)
    postgres_side 1 bench_one "$where"
    postgres_side 2 bench_two "$where"
    ;;
*)
    echo "usage: $0 sqlite|postgres ROWS DIR" >&2
    exit 2
    ;;
esac
