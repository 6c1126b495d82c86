#!/usr/bin/env bash
# kavri-cli --plots on the bundled example, as a user runs it: the six charts are written as
# SVG, and a real SVG renderer (rsvg-convert, Debian's librsvg2-bin) draws each without error.
#   plots_render_test.sh KAVRI_CLI EXAMPLES_DIR RSVG_CONVERT
set -euo pipefail

cli="$1"
examples="$2"
renderer="$3"
if [ ! -x "$renderer" ]; then
    echo "rsvg-convert is missing: install librsvg2-bin (scripts/install-deps.sh)" >&2
    exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$examples/ExchangeRate.txt" "$work/"
cd "$work"
"$cli" --seed 20240521 --plots plots >report.txt 2>written.txt

status=0
for name in series lag fit acf ljungbox forecasts search; do
    if ! grep -qx "kavri-cli: wrote plots/$name.svg" written.txt; then
        echo "plots/$name.svg is not listed on standard error" >&2
        status=1
    fi
    if ! "$renderer" --format=png --output="$name.png" "plots/$name.svg"; then
        echo "rsvg-convert could not render plots/$name.svg" >&2
        status=1
        continue
    fi
    # A drawn chart, not an empty canvas: a PNG of the chart's size with some kilobytes of ink.
    size=$(stat -c %s "$name.png")
    if [ "$size" -lt 10000 ]; then
        echo "plots/$name.svg renders to an almost empty picture ($size bytes)" >&2
        status=1
    fi
done
[ "$(ls plots | wc -l)" -eq 7 ] || { echo "plots/ holds $(ls plots)" >&2; status=1; }
exit $status
