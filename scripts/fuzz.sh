#!/usr/bin/env bash
# Runs every libFuzzer target of build-fuzz/ for FUZZ_SECONDS seconds each (default 180), from
# the seed corpus in fuzz/corpus/<target>/ and the inputs found by earlier runs, kept in
# build-fuzz/corpus/<target>/. Prints how many inputs each target ran; an input that makes a
# target fail is saved in build-fuzz/crashes/ and ends the script with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-180}
status=0
for target in series_reader whole_run; do
    binary="build-fuzz/bin/kavri-${target//_/-}-fuzzer"
    work="build-fuzz/corpus/$target"
    mkdir -p "$work" build-fuzz/crashes
    log="build-fuzz/$target.log"
    echo "Fuzzing $target for $seconds s"
    if ! nice "$binary" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$target-" \
            "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        status=1
        echo "  FAILED: see $log and build-fuzz/crashes/"
        grep -E "ERROR|==[0-9]+==|whole run:|series reader:" "$log" | head -20 || true
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "  $target: ${executions:-?} executions"
done
exit $status
