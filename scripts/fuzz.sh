#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in a build folder of their own and runs each for SECONDS (default 300). The seeds are written
# afresh by the program at every start; the corpus grows in the build folder from run to run.
# A finding (crash, sanitizer report, leak, timeout, out of memory, a target's own check) fails
# the script, with the path of the input that shows it.
#   scripts/fuzz.sh [SECONDS] [extra cmake options...]
#   ZENTAB_FUZZ_BUILD=DIR chooses the build folder (default build-fuzz).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
shift || true
build=${ZENTAB_FUZZ_BUILD:-$root/build-fuzz}
targets=(snapshot profile settings)

echo "== Building the fuzz targets"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DZENTAB_FUZZ=ON -DZENTAB_WITH_QT=OFF -DZENTAB_TESTS=OFF "$@" \
    >/dev/null
cmake --build "$build" -j"$(nproc)" --target zentab-fuzz-seeds "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

seeds=$build/fuzz-seeds
rm -rf "$seeds"
"$build/fuzz/zentab-fuzz-seeds" "$seeds"

status=0
for target in "${targets[@]}"; do
    corpus=$build/fuzz-corpus/$target
    findings=$build/fuzz-findings/$target
    log=$build/fuzz-logs/$target.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    echo "== Fuzzing $target for $seconds s"
    # The regression inputs come last: libFuzzer writes new inputs into the first folder only.
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
        -dict="$root/fuzz/dictionaries/$target.dict" -artifact_prefix="$findings/" \
        -print_final_stats=1 "$corpus" "$seeds/$target" "$root/fuzz/regressions/$target" \
        >"$log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" | tr '\n' ' '
        echo
    else
        status=1
        echo "FINDING in $target (the whole output: $log)"
        # The target's own description of what it found, then the sanitizer's or libFuzzer's.
        sed -n -e '/^==== zentab fuzz finding/,/^==[0-9]*==/{/^==[0-9]*==/!p}' \
            -e '/^==[0-9]*== \?ERROR/p' -e '/^SUMMARY/p' "$log" | head -n 12 || true
        inputs=$(sed -n 's/^.*Test unit written to \(.*\)$/\1/p' "$log")
        if [ -n "$inputs" ]; then
            echo "$inputs" | sed 's/^/  input: /'
        else
            echo "  input: none written; see the log"
        fi
    fi
done
exit $status
