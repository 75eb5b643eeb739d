#!/usr/bin/env bash
# The long run of the data-comparison oracle: random tables in SQLite, PostgreSQL (C and a
# linguistic collation) and MariaDB, every pair compared with the rows sorted by the program and
# the reported rows checked against the multiset difference computed from the generated data.
# The test command runs it once on 200 tables; this runs ROUNDS rounds of TABLES tables, each
# round with a fresh seed, and prints the total count of mismatches, which must be zero.
#
#   bench/oracle.sh [ROUNDS] [TABLES]      default: 10 rounds of 500 tables
#
# Builds the test programs in build-test when needed and starts throwaway PostgreSQL and MariaDB
# servers of its own. Needs what scripts/setup.sh installs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-10}
tables=${2:-500}
build=${ORACLE_BUILD:-$root/build-test}

BUILD_TARGETS="test_batch zentab-batch" "$root/scripts/build.sh" "$build" >/dev/null

work=$(mktemp -d /tmp/zentab-oracle.XXXXXX)
chmod 755 "$work"
cleanup() {
    "$root/scripts/pg_server.sh" stop "$work/pg" || true
    "$root/scripts/mariadb_server.sh" stop "$work/mariadb" || true
    rm -rf "$work"
}
trap cleanup EXIT
ZENTAB_TEST_PG=$("$root/scripts/pg_server.sh" start "$work/pg")
ZENTAB_TEST_MARIADB=$("$root/scripts/mariadb_server.sh" start "$work/mariadb")
export ZENTAB_TEST_PG ZENTAB_TEST_MARIADB

total=0
failed_rounds=0
for round in $(seq 1 "$rounds"); do
    seed=$(( $(date +%s%N) % 1000000007 + round ))
    log="$work/round-$round.log"
    status=0
    ZENTAB_ORACLE_TABLES=$tables ZENTAB_ORACLE_SEED=$seed \
        "$build/tests/test_batch" --gtest_filter='OracleTest.*' >"$log" 2>&1 || status=$?
    line=$(grep '^oracle: ' "$log" || true)
    if [ -z "$line" ]; then
        echo "round $round (seed $seed): the test did not finish (status $status); its output:"
        tail -n 40 "$log"
        failed_rounds=$((failed_rounds + 1))
        continue
    fi
    echo "round $round: $line"
    count=$(echo "$line" | sed -E 's/.*, ([0-9]+) mismatches/\1/')
    total=$((total + count))
    if [ "$count" -ne 0 ]; then
        cp "$log" "/tmp/zentab-oracle-seed-$seed.log"
        echo "  the failures are in /tmp/zentab-oracle-seed-$seed.log"
    fi
done
echo "mismatches: $total in $rounds rounds of $tables tables"
[ "$total" -eq 0 ] && [ "$failed_rounds" -eq 0 ]
