#!/usr/bin/env bash
# The desktop program on a real X server (Xvfb), driven with xdotool as a user would: started as
# "kavri \"weekly returns.txt\"" (as a file manager's "Open with" starts it), its window is resized to a
# 1366x768 laptop screen less a panel and back, and survives; Enter runs the file given; Esc
# then asks before the results are lost, No keeps the window, Yes ends the program with status
# 0, and the file is remembered among the recent ones.
# Usage: window_under_xvfb.sh <path of kavri> <folder of the examples>
set -euo pipefail

fail() {
    echo "window_under_xvfb: $*" >&2
    exit 1
}

if [ "${1:-}" != "--inside" ]; then
    program="$(realpath "$1")"
    examples="$(realpath "$2")"
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
    done
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    export LSAN_OPTIONS="suppressions=$(dirname "$(realpath "$0")")/system_library_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
    mkdir -m 700 "$work/runtime"
    mkdir "$work/folder" "$work/config"
    cp "$examples/ExchangeRate.txt" "$work/folder/weekly returns.txt"
    XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" \
        xvfb-run -a -s "-screen 0 1366x768x24" bash "$0" --inside "$program" "$work"
    exit $?
fi

program="$2"
work="$3"
cd "$work/folder"
"$program" "weekly returns.txt" >"$work/kavri.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

window() {
    local found=""
    for _ in $(seq 200); do
        found="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)"
        [ -n "$found" ] && break
        sleep 0.1
    done
    [ -n "$found" ] || fail "no window \"$1\" (program log: $(cat "$work/kavri.log"))"
    echo "$found"
}

gone() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window \"$1\" still shown"
}

press() {
    xdotool windowfocus --sync "$1"
    sleep 0.3
    xdotool key "$2"
}

alive() {
    kill -0 "$pid" 2>/dev/null || fail "the program ended $1 (log: $(cat "$work/kavri.log"))"
}

size() {
    xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: \([0-9]*x[0-9]*\).*/\1/p'
}

main="$(window KAVRI)"
# A laptop screen less a panel, a larger window, and back.
for geometry in "1366 700" "1300 740" "1366 700"; do
    # shellcheck disable=SC2086
    xdotool windowsize --sync "$main" $geometry
    sleep 0.5
    alive "after the window was resized to ${geometry/ /x}"
    [ "$(size "$main")" = "${geometry/ /x}" ] ||
        fail "the window is $(size "$main"), not ${geometry/ /x}"
done

press "$main" Return
for _ in $(seq 600); do
    [ -s Predictions.txt ] && break
    sleep 0.1
done
[ -s Predictions.txt ] || fail "the run on the file given wrote no Predictions.txt"
sleep 0.5
alive "after the run"

press "$main" Escape
box="$(window "Close Kavri")"
press "$box" n
gone "Close Kavri"
sleep 0.3
alive "after No to the question"
[ "$(window KAVRI)" = "$main" ] || fail "the main window is not the one shown at the start"

press "$main" Escape
box="$(window "Close Kavri")"
press "$box" y
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Yes to the question did not close the program"
status=0
wait "$pid" || status=$?
trap - EXIT
[ "$status" -eq 0 ] || fail "the program ended with status $status"
grep -q "weekly returns.txt" "$work/config/Kavri/Kavri.conf" ||
    fail "the file given is not among the recent files ($(cat "$work/config/Kavri/Kavri.conf" 2>&1))"
echo "window_under_xvfb: opened the file given, resized, ran, asked before closing and remembered the file"
