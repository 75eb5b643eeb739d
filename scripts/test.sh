#!/usr/bin/env bash
# Installs what is missing, checks the formatting and the layering of the C++ files, builds,
# starts throwaway PostgreSQL and MariaDB servers and runs every test: in a normal build, in an
# AddressSanitizer + UndefinedBehaviorSanitizer build, and the run-control tests again under
# ThreadSanitizer in a build without Qt; then runs each fuzz target for 30 seconds. Every build
# treats compiler warnings as errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/scripts/setup.sh"

echo "== Checking the formatting"
"$root/scripts/check_format.sh"

echo "== Checking the layers"
"$root/scripts/check_layers.sh"

work=$(mktemp -d /tmp/zentab-tests.XXXXXX)
chmod 755 "$work"
cleanup() {
    "$root/scripts/pg_server.sh" stop "$work/pg" || true
    "$root/scripts/mariadb_server.sh" stop "$work/mariadb" || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "== Starting PostgreSQL"
ZENTAB_TEST_PG=$("$root/scripts/pg_server.sh" start "$work/pg")
# The server's log of every statement: tests check what the program sent.
ZENTAB_TEST_PG_LOG="$work/pg/server.log"
export ZENTAB_TEST_PG ZENTAB_TEST_PG_LOG

echo "== Starting MariaDB"
ZENTAB_TEST_MARIADB=$("$root/scripts/mariadb_server.sh" start "$work/mariadb")
export ZENTAB_TEST_MARIADB

run_suite() {
    local name=$1 build=$2
    shift 2
    echo "== Building ($name)"
    "$root/scripts/build.sh" "$build" -DZENTAB_WERROR=ON -DZENTAB_QUICK_TEST_CODE=ON "$@"
    echo "== Testing ($name)"
    (cd "$build" && ctest --output-on-failure -j"$jobs" --timeout 600 "${CTEST_ARGS[@]}")
}

CTEST_ARGS=()
run_suite normal "$root/build-test"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
run_suite "address,undefined" "$root/build-asan" -DZENTAB_SANITIZE=address,undefined

export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1}
CTEST_ARGS=(-L 'test_run_control|test_run_driver')
# Only the two programs it runs: the rest of the suite would be built for nothing.
BUILD_TARGETS="test_run_control test_run_driver" \
    run_suite "thread, without Qt" "$root/build-tsan" -DZENTAB_SANITIZE=thread -DZENTAB_WITH_QT=OFF

echo "== Fuzzing (30 s per target)"
"$root/scripts/fuzz.sh" 30 -DZENTAB_WERROR=ON
