#!/usr/bin/env bash
# Runs every libFuzzer target of build-fuzz/ for FUZZ_SECONDS seconds each (default 180), from
# the seed corpus in fuzz/corpus/<target>/ and the inputs found by earlier runs, kept in
# build-fuzz/corpus/<target>/. Prints how many inputs each target ran; an input that makes a
# target fail is saved in build-fuzz/crashes/ and ends the script with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-180}
# The longest input each target is given: the reader up to 4 MiB, so that files far past the
# sizes of the seed corpus (and past the reader's own limits) are reached, with a length control
# that lets inputs grow within the minute CI gives each target; a whole run reads at most a few
# hundred values, so 64 KiB covers every file it uses.
# A lag list is a line of text: 256 bytes reach past the longest list a run can have.
declare -A maxLength=([series_reader]=4194304 [whole_run]=65536 [lag_list]=256)
declare -A lengthControl=([series_reader]=5 [whole_run]=100 [lag_list]=100)
status=0
for target in series_reader whole_run lag_list; do
    binary="build-fuzz/bin/kavri-${target//_/-}-fuzzer"
    work="build-fuzz/corpus/$target"
    mkdir -p "$work" build-fuzz/crashes
    log="build-fuzz/$target.log"
    echo "Fuzzing $target for $seconds s"
    if ! nice "$binary" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
            -max_len="${maxLength[$target]}" -len_control="${lengthControl[$target]}" \
            -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$target-" \
            "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        status=1
        echo "  FAILED: see $log and build-fuzz/crashes/"
        grep -E "ERROR|==[0-9]+==|whole run:|series reader:|lag list:" "$log" | head -20 || true
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "  $target: ${executions:-?} executions"
done
exit $status
