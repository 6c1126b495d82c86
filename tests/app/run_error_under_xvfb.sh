#!/usr/bin/env bash
# The desktop program on a real X server (Xvfb), driven as a user would with xdotool: started in
# a folder without its default series file ExchangeRate.txt, Enter runs; the run's error comes
# up in a message box; once that box is answered the program is still running with its main
# window, Enter runs again, and Esc then ends the program with status 0.
# Usage: run_error_under_xvfb.sh <path of kavri>
set -euo pipefail

fail() {
    echo "run_error_under_xvfb: $*" >&2
    exit 1
}

if [ "${1:-}" != "--inside" ]; then
    program="$(realpath "$1")"
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
    done
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    # Under the sanitizer build: the session bus library keeps a buffer it never frees.
    export LSAN_OPTIONS="suppressions=$(dirname "$(realpath "$0")")/system_library_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
    mkdir -m 700 "$work/runtime"
    mkdir "$work/folder"
    XDG_RUNTIME_DIR="$work/runtime" xvfb-run -a -s "-screen 0 1280x1024x24" \
        bash "$0" --inside "$program" "$work"
    exit $?
fi

program="$2"
work="$3"
cd "$work/folder"
"$program" >"$work/kavri.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

# The only visible window named exactly $1, waited for up to 20 seconds.
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

# Waits up to 10 seconds until no visible window is named exactly $1.
gone() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window \"$1\" still shown"
}

# Gives the window the keyboard focus (there is no window manager to do it) and types a key.
press() {
    xdotool windowfocus --sync "$1"
    sleep 0.3
    xdotool key "$2"
}

main="$(window KAVRI)"
for attempt in 1 2; do
    press "$main" Return
    box="$(window Error)"
    press "$box" Return
    gone Error
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || fail "the program ended after the message box of run $attempt"
    [ "$(window KAVRI)" = "$main" ] || fail "the main window is not the one shown at the start"
done
[ ! -e Residuals.txt ] || fail "a run that could not read its series wrote Residuals.txt"

press "$main" Escape
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "Esc did not close the program"
fi
status=0
wait "$pid" || status=$?
trap - EXIT
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "run_error_under_xvfb: the window stayed open through two failed runs and closed on Esc"
