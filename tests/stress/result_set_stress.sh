#!/bin/bash
# The result files of kavri-cli are one run's set, whatever happens to the runs that write them.
#
#   kill loop:        KILLS runs (default 300) killed with SIGKILL at random moments while they
#                     write the pair, the forecasts and the charts; after each kill the files
#                     on disk must be one run's whole set, and after every completed run no
#                     temporary file may remain.
#   concurrency loop: PAIRS pairs (default 100) of runs started together in one folder; both
#                     must succeed and leave one of the two runs' whole sets.
#
# Two runs are used, so that a mixed set shows: A holds out 14 values and forecasts; B holds out
# none, forecasts nothing and so supersedes A's Predictions.txt, Forecasts.txt and two charts.
# The counts are printed at the end. A kill that lands between two renames of a commit is
# counted as "mixed": the next run in the folder must complete that commit from its plan (here
# a run that fails at once, so that nothing else changes the folder), leaving the killed run's
# whole set and no temporary file or plan.
#
# Usage: result_set_stress.sh <kavri-cli> <lynx.csv> [work directory]
set -u
cli=$1
series=$(realpath "$2")
work=${3:-$(mktemp -d)}
kills=${KILLS:-300}
pairs=${PAIRS:-100}
mkdir -p "$work"
work=$(realpath "$work")

common=(--series "$series" --column trappings --search exact --print-residuals yes
        --plots plots --quiet)
configA=("${common[@]}" --n-observations 100 --n-predictions 14 --forecast 8 --seed 1)
configB=("${common[@]}" --n-observations 90 --n-predictions 0 --fitness aic)

# start <A|B> <folder>: one run in <folder> in the background, its report discarded; $! is the
# process of kavri-cli itself (the subshell execs it), so that a kill reaches the run.
start() {
    local config
    if [ "$1" = A ]; then config=("${configA[@]}"); else config=("${configB[@]}"); fi
    (cd "$2" && exec "$cli" "${config[@]}" --output-dir . >/dev/null 2>>"$2/../stderr.log") &
}
run() {  # run <A|B> <folder>: one run to its end; its exit status
    start "$1" "$2"
    wait $!
}

# The files a run leaves, relative to its folder: name and checksum, sorted.
fingerprint() {
    (cd "$1" && find . -type f ! -name '.*' -printf '%P\n' | sort | while read -r f; do
        printf '%s %s\n' "$f" "$(cksum < "$f" | cut -d' ' -f1)"
    done)
}
temporaries() { find "$1" -name '.*.tmp' | wc -l; }
# Also the plan of a commit that was never completed.
leftovers() { find "$1" \( -name '.*.tmp' -o -name '.kavri-commit.*' \) | wc -l; }

mkdir -p "$work/refA" "$work/refB"
began=$(date +%s%N)
run A "$work/refA" || { echo "reference run A failed"; exit 1; }
# Kills land anywhere from the start to a little past the end of a run like it.
span=$(( ($(date +%s%N) - began) / 1000000 * 12 / 10 + 1 ))
run B "$work/refB" || { echo "reference run B failed"; exit 1; }
refA=$(fingerprint "$work/refA")
refB=$(fingerprint "$work/refB")
if [ "$refA" = "$refB" ] || [ -z "$refA" ]; then
    echo "the reference runs do not differ"; exit 1
fi

verdict() {  # A, B, empty (nothing yet) or mixed
    local now
    now=$(fingerprint "$1")
    if [ -z "$now" ]; then echo empty
    elif [ "$now" = "$refA" ]; then echo A
    elif [ "$now" = "$refB" ]; then echo B
    else echo mixed; fi
}

failures=0
# Kill loop.
folder="$work/kill"
mkdir -p "$folder"
mixed=0; repaired=0; whole=0; landed=0; leftAfterKill=0; leftAfterRun=0; completed=0
for ((i = 1; i <= kills; i++)); do
    config=$([ $((RANDOM % 2)) = 0 ] && echo A || echo B)
    start "$config" "$folder"
    pid=$!
    # Before, during and after the commit.
    delay=$(( (RANDOM * 32768 + RANDOM) % span ))
    sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    state=$(verdict "$folder")
    if [ "$state" = mixed ]; then
        mixed=$((mixed + 1))
        [ -n "${VERBOSE:-}" ] && { echo "mixed after kill $i ($config):"; fingerprint "$folder"; }
        # The next run completes the killed commit from its plan before anything else, even a
        # run that then fails at once (its series does not exist).
        (cd "$folder" && "$cli" --series missing.txt --plots plots -q >/dev/null 2>&1)
        after=$(verdict "$folder")
        if [ "$after" = "$config" ] && [ "$(temporaries "$folder")" -eq 0 ] &&
           [ -z "$(find "$folder" -name '.kavri-commit.*')" ]; then
            repaired=$((repaired + 1))
        else
            echo "kill $i ($config): after the next run the folder holds: $after"
            failures=$((failures + 1))
        fi
    else
        whole=$((whole + 1))
        [ "$state" = "$config" ] && landed=$((landed + 1))
    fi
    [ "$(temporaries "$folder")" -gt 0 ] && leftAfterKill=$((leftAfterKill + 1))
    # Every tenth kill, a run that completes: its set, whole, and no temporary file left.
    if [ $((i % 10)) = 0 ]; then
        config=$([ $((RANDOM % 2)) = 0 ] && echo A || echo B)
        run "$config" "$folder"
        completed=$((completed + 1))
        [ "$(verdict "$folder")" = "$config" ] || { echo "completed run $config left: $(verdict "$folder")"; failures=$((failures + 1)); }
        [ "$(leftovers "$folder")" -eq 0 ] || leftAfterRun=$((leftAfterRun + 1))
    fi
done
echo "kill loop: $kills kills at random moments within ${span} ms; whole sets after the kill $whole ($landed of them the killed run's kind), mixed $mixed (killed between two renames; completed by the next run $repaired); temporary files" \
     "just after a kill $leftAfterKill times; $completed completed runs, temporary files left" \
     "after one $leftAfterRun times"
[ "$leftAfterRun" -eq 0 ] || failures=$((failures + 1))

# Concurrency loop.
folder="$work/pairs"
mkdir -p "$folder"
pairMixed=0; pairFailed=0; wonA=0; wonB=0
for ((i = 1; i <= pairs; i++)); do
    start A "$folder"; a=$!
    start B "$folder"; b=$!
    wait "$a"; sa=$?
    wait "$b"; sb=$?
    [ "$sa" = 0 ] && [ "$sb" = 0 ] || pairFailed=$((pairFailed + 1))
    case $(verdict "$folder") in
        A) wonA=$((wonA + 1)) ;;
        B) wonB=$((wonB + 1)) ;;
        *) pairMixed=$((pairMixed + 1)) ;;
    esac
    [ "$(leftovers "$folder")" -eq 0 ] || pairMixed=$((pairMixed + 1))
done
echo "concurrency loop: $pairs pairs; A's whole set $wonA, B's whole set $wonB, mixed or" \
     "leftover $pairMixed, failed runs $pairFailed"
[ "$pairMixed" -eq 0 ] && [ "$pairFailed" -eq 0 ] || failures=$((failures + 1))

[ "$failures" -eq 0 ] || { echo "FAILED"; exit 1; }
echo "passed"
