#!/usr/bin/env bash
# check_package.sh BUILD_DIR CPACK VERSION
# Builds the .deb with CPack, unpacks it with dpkg-deb -x into a temporary root, checks that
# every file a desktop installation needs is there, and runs the unpacked programs.
set -euo pipefail

build_dir=$1
cpack=$2
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "check_package: $*" >&2
    exit 1
}

"$cpack" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(find "$work/out" -maxdepth 1 -name "kavri_${version}_*.deb" | head -n 1)
[ -n "$deb" ] || fail "no kavri_${version}_*.deb in $work/out"

dpkg-deb --field "$deb" Package Version Depends Section >"$work/fields"
grep -qx "Package: kavri" "$work/fields" || fail "package name"
grep -qx "Version: $version" "$work/fields" || fail "package version"
grep -q "^Depends: .*libqt6widgets6" "$work/fields" || fail "no dependency on Qt Widgets"

root=$work/root
dpkg-deb -x "$deb" "$root"
for file in \
    usr/bin/kavri \
    usr/bin/kavri-cli \
    usr/share/applications/org.kavri.Kavri.desktop \
    usr/share/metainfo/org.kavri.Kavri.metainfo.xml \
    usr/share/icons/hicolor/48x48/apps/org.kavri.Kavri.png \
    usr/share/icons/hicolor/256x256/apps/org.kavri.Kavri.png \
    usr/share/man/man1/kavri.1.gz \
    usr/share/man/man1/kavri-cli.1.gz \
    usr/share/doc/kavri/copyright \
    usr/share/doc/kavri/changelog.gz \
    usr/share/doc/kavri/docs/guide.md \
    usr/share/doc/kavri/examples/ExchangeRate.txt \
    usr/share/doc/kavri/examples/lynx.csv; do
    [ -f "$root/$file" ] || fail "missing /$file"
done
[ -x "$root/usr/bin/kavri" ] && [ -x "$root/usr/bin/kavri-cli" ] || fail "programs not executable"
# kavri-cli's chart module, private to the package, in its multiarch library folder.
compgen -G "$root/usr/lib/*/kavri/kavri-cli-charts.so" >/dev/null ||
    fail "missing /usr/lib/<triplet>/kavri/kavri-cli-charts.so"
grep -qx "Exec=kavri %f" "$root/usr/share/applications/org.kavri.Kavri.desktop" ||
    fail "desktop entry does not start kavri"
zcat "$root/usr/share/man/man1/kavri-cli.1.gz" | grep -qF -- '\-\-n\-observations' ||
    fail "kavri-cli manual page lacks the options"
zcat "$root/usr/share/man/man1/kavri.1.gz" | grep -q "threshold autoregressive" ||
    fail "kavri manual page lacks its description"
for page in kavri kavri-cli; do
    for section in EXAMPLES FILES '"SEE ALSO"'; do
        zcat "$root/usr/share/man/man1/$page.1.gz" | grep -qx ".SH $section" ||
            fail "$page manual page lacks its section $section"
    done
done

# The unpacked programs run; the desktop program answers --version without a display.
[ "$("$root/usr/bin/kavri-cli" --version)" = "kavri-cli $version" ] || fail "kavri-cli --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/usr/bin/kavri" --version)" = \
    "Kavri $version" ] || fail "kavri --version without a display"

run=$work/run
mkdir -p "$run"
(cd "$run" && "$root/usr/bin/kavri-cli" --series "$root/usr/share/doc/kavri/examples/lynx.csv" \
    --n-observations 100 --n-predictions 14 --search exact --fitness aic --max-order 3 \
    --delay 2 --min-obs 20 >"$run/out" 2>"$run/err") || { cat "$run/err" >&2; fail "short run"; }
grep -q "^NAIC: " "$run/out" || fail "short run printed no NAIC"
[ "$(wc -l <"$run/Predictions.txt")" -eq 15 ] || fail "short run: Predictions.txt not 1 + 14 lines"

# The installed kavri-cli finds its chart module in /usr/lib and draws without a display.
(cd "$run" && env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/kavri-cli" \
    --series "$root/usr/share/doc/kavri/examples/lynx.csv" --n-observations 100 \
    --n-predictions 14 --search exact --fitness aic --max-order 3 --delay 2 --min-obs 20 \
    --quiet --plots charts >/dev/null 2>"$run/err") || { cat "$run/err" >&2; fail "--plots"; }
[ "$(ls "$run/charts" | wc -l)" -eq 7 ] || fail "--plots wrote $(ls "$run/charts")"

# The Python module, when the build has it: imported from the unpacked tree by the system's
# Python, it fits the bundled series.
if compgen -G "$build_dir/python/kavri/_kavri*.so" >/dev/null && [ -x /usr/bin/python3 ]; then
    site=$root/usr/lib/python3/dist-packages
    compgen -G "$site/kavri/_kavri*.so" >/dev/null || fail "missing the Python module"
    PYTHONPATH=$site /usr/bin/python3 -c "
import kavri
x = kavri.read_series('$root/usr/share/doc/kavri/examples/lynx_log10.txt')
m = kavri.fit(x, n_predictions=14, max_order=3, delay=2, min_obs=20, fitness='aic')
assert m.n_regimes >= 1
" || fail "the Python module does not fit the bundled series"
fi
echo "package $(basename "$deb") checked"
