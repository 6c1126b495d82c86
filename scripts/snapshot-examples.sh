#!/bin/sh
# Runs kavri-cli with a set of option combinations on every bundled example and stores what each
# run prints (standard output and error, JSON), the result files it writes and its exit status,
# one folder per run. Two snapshots taken before and after a change that must not alter results
# are compared with `diff -r`:
#
#   scripts/snapshot-examples.sh build/bin/kavri-cli /tmp/before
#   ... change, rebuild ...
#   scripts/snapshot-examples.sh build/bin/kavri-cli /tmp/after
#   diff -r /tmp/before /tmp/after
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=$2
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"

# name | file | options
runs='
xr-default|ExchangeRate.txt|--seed 3
xr-aic|ExchangeRate.txt|--fitness AIC --n-iterations 20 --seed 5
xr-exact|ExchangeRate.txt|--search exact
xr-exact-aic|ExchangeRate.txt|--search exact --fitness AIC --max-regimes 3
xr-relative|ExchangeRate.txt|--criterion Relative --n-iterations 15 --seed 4
xr-given|ExchangeRate.txt|--thresholds -0.059716
xr-given-bad|ExchangeRate.txt|--thresholds -0.5,0.6
xr-compare|ExchangeRate.txt|--compare-exact --n-iterations 10 --seed 2
xr-delayscan|ExchangeRate.txt|--delay-scan
xr-nopred|ExchangeRate.txt|--n-predictions 0 --fitness AIC --n-iterations 10 --seed 6
xr-forecast|ExchangeRate.txt|--search exact --forecast 5 --seed 12
lynx-log|lynx_log10.txt|--n-observations 100 --n-predictions 14 --delay 2 --seed 1
lynx-log-exact|lynx_log10.txt|--n-observations 100 --n-predictions 14 --delay 2 --search exact --max-regimes 3
lynx-log-aic|lynx_log10.txt|--n-observations 100 --n-predictions 14 --fitness AIC --search exact
lynx-counts|lynx.csv|--column trappings --n-observations 100 --n-predictions 14 --seed 1
lynx-counts-exact|lynx.csv|--column trappings --n-observations 100 --n-predictions 14 --search exact
lynx-counts-aic|lynx.csv|--column trappings --n-observations 100 --n-predictions 14 --fitness AIC --search exact
lynx-csv|lynx.csv|--n-observations 100 --n-predictions 14 --seed 4
sunspot|sunspot_year.txt|--n-observations 250 --n-predictions 39 --seed 8
sunspot-exact|sunspot_year.txt|--n-observations 250 --n-predictions 39 --search exact --max-regimes 3
sunspot-aic|sunspot_year.txt|--n-observations 250 --n-predictions 39 --fitness AIC --n-iterations 20 --seed 9
pound|mark_pound_daily_returns.txt|--n-observations 1000 --n-predictions 100 --n-iterations 20 --seed 10
pound-exact|mark_pound_daily_returns.txt|--n-observations 1000 --n-predictions 100 --search exact
setar-exact|setar_simulated.txt|--n-observations 20000 --n-predictions 100 --delay 2 --search exact --max-regimes 2
setar-ga|setar_simulated.txt|--n-observations 2000 --n-predictions 100 --delay 2 --n-iterations 10 --seed 11
xr-orders-ga|ExchangeRate.txt|--orders 2 --n-iterations 10 --seed 3
xr-noconst-ga|ExchangeRate.txt|--include none --n-iterations 10 --seed 3
xr-lags-given|ExchangeRate.txt|--thresholds -0.059716 --lags 1,3 --max-order 5
xr-orders-exact|ExchangeRate.txt|--orders 2 --search exact --max-regimes 3
xr-lags-exact|ExchangeRate.txt|--lags 1,3 --max-order 5 --search exact --max-regimes 3
xr-noconst-exact|ExchangeRate.txt|--include none --search exact --fitness AIC
lynx-perregime-exact|lynx_log10.txt|--n-observations 100 --n-predictions 14 --max-order 10 --orders 3,1 --search exact
lynx-trend-scan|lynx_log10.txt|--n-observations 100 --n-predictions 14 --include trend --delay-scan
lynx-trend|lynx_log10.txt|--n-observations 100 --n-predictions 14 --thresholds 3.1163 --include trend --forecast 5 --forecast-method skeleton
lynx-tests|lynx_log10.txt|--n-observations 100 --n-predictions 14 --search exact --tests --bootstrap 100 --seed 2
lynx-bootstrap-paths|lynx_log10.txt|--n-observations 100 --n-predictions 14 --search exact --forecast 8 --forecast-method bootstrap --paths 500 --seed 3
lynx-skeleton|lynx_log10.txt|--n-observations 100 --n-predictions 14 --search exact --forecast 8 --forecast-method skeleton --report report.txt
'

echo "$runs" | while IFS='|' read -r name file options; do
    [ -z "$name" ] && continue
    dir=$out/$name
    rm -rf "$dir"
    mkdir -p "$dir/work"
    cp "$root/examples/$file" "$dir/work/"
    (
        cd "$dir/work" || exit 1
        # shellcheck disable=SC2086
        "$cli" --series "$file" $options >../stdout.txt 2>../stderr.txt
        echo $? >../status.txt
        # The folder's own name, so that two snapshots compare.
        sed -i "s|$dir|<run>|g" ../stderr.txt
        # shellcheck disable=SC2086
        "$cli" --series "$file" $options --json >../json.txt 2>/dev/null
        rm -f "$file"
        # A --report file is kept beside the outputs.
        if [ -f report.txt ]; then mv report.txt ../report.txt; fi
    )
done
