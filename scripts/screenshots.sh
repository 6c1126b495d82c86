#!/usr/bin/env bash
# Pictures of the desktop program, drawn without a display: the main window after a genetic run
# with the run defaults on the bundled weekly DEM/USD returns (fixed seed, in a scratch working
# directory so that the result files land there), after an exact search with a fourteen-lag
# regime, and after a run on a mistyped file name with its message box; both parameter dialogs
# and the About box.
# Written to <build>/screenshots/; <build> is build/ unless KAVRI_BUILD_DIR names another.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KAVRI_BUILD_DIR:-$root/build}"
build="$(cd "$build" && pwd)"
program="$build/bin/kavri"
if [ ! -x "$program" ]; then
    echo "screenshots: $program is not built" >&2
    exit 1
fi

out="$build/screenshots"
# A fixed folder, so that the paths the status line shows read the same in every picture.
work="${TMPDIR:-/tmp}/kavri-example"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cp "$root/examples/ExchangeRate.txt" "$root/examples/lynx.csv" "$work/"
mkdir -p "$out"

cd "$work"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
# The offscreen platform warns that it cannot pass size hints to a window manager: it has none.
QT_QPA_PLATFORM=offscreen "$program" --screenshot "$out" --seed 20240521 \
    2> >(grep -v "propagateSizeHints" >&2)
