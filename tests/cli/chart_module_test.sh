#!/usr/bin/env bash
# kavri-cli loads Qt only for --plots. The dynamic loader's own account (LD_DEBUG=libs) of
# --version and of a run without charts names no Qt library, while a run with charts does
# (so the check can see Qt when it is there). Without its chart module, or with a damaged one,
# kavri-cli prints the results, says why the charts were not written and exits with 6.
#   chart_module_test.sh KAVRI_CLI CHART_MODULE EXAMPLES_DIR
set -euo pipefail

cli="$1"
module="$2"
examples="$3"
# Where kavri-cli looks for the module, relative to its own folder.
module_dir="$(realpath --relative-to="$(dirname "$cli")" "$(dirname "$module")")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$examples/lynx.csv" "$work/"
cd "$work"
status=0
fail() {
    echo "$*" >&2
    status=1
}

run=(--series lynx.csv --n-observations 100 --n-predictions 14 --search exact --fitness aic --max-order 3
    --min-obs 20 --quiet)

LD_DEBUG=libs "$cli" --version >/dev/null 2>version.libs
LD_DEBUG=libs "$cli" "${run[@]}" >/dev/null 2>run.libs
LD_DEBUG=libs "$cli" "${run[@]}" --plots plots >/dev/null 2>plots.libs
grep -i "libqt" version.libs >&2 && fail "kavri-cli --version loads Qt"
grep -i "libqt" run.libs >&2 && fail "kavri-cli without --plots loads Qt"
grep -q "libQt6Charts" plots.libs || fail "kavri-cli --plots does not load Qt Charts"

# A copy of the program without the module beside it, then with a file that is no library,
# then with a library that is not the chart module (the C maths library).
mkdir -p "alone/bin/$module_dir"
cp "$cli" alone/bin/kavri-cli
for damage in missing damaged foreign; do
    if [ "$damage" = damaged ]; then
        echo "not a library" >"alone/bin/$module_dir/kavri-cli-charts.so"
    elif [ "$damage" = foreign ]; then
        cp "$(ldd "$cli" | awk '/libm\.so/ { print $3 }')" "alone/bin/$module_dir/kavri-cli-charts.so"
    fi
    code=0
    alone/bin/kavri-cli "${run[@]}" --plots "$damage" >out.txt 2>err.txt || code=$?
    [ "$code" -eq 6 ] || fail "$damage module: exit status $code, not 6"
    grep -q "^NAIC: " out.txt || fail "$damage module: the results were not printed"
    grep -qF "kavri-cli: the charts were not written: their library could not be loaded: " \
        err.txt || fail "$damage module: $(cat err.txt)"
    if [ "$damage" = foreign ]; then
        grep -qF "is not the chart library of kavri-cli" err.txt || fail "foreign: $(cat err.txt)"
    fi
    grep -qF "$(realpath "alone/bin/$module_dir")/kavri-cli-charts.so" err.txt ||
        fail "$damage module: the message does not name the library: $(cat err.txt)"
    [ ! -e "$damage" ] || [ -z "$(ls "$damage")" ] || fail "$damage module: charts written"
done
exit $status
