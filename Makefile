# Set-up and everyday commands. `make test` and `make run` work on a fresh Debian 12 machine:
# they install what is missing first.

.PHONY: all deps configure build test test-coverage run test-sanitize test-werror fuzz bench screenshots package clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

test: build
	@ctest --preset default

# Simulation studies kept out of `make test`: the coverage of the thresholds' confidence
# intervals over 500 simulated series.
test-coverage: build
	@ctest --preset coverage

# The main job: the default genetic search on the bundled weekly DEM/USD returns. The result
# files are written to build/run/. Builds only the two programs (the target `programs`), not
# the tests or benchmarks, which `make test` and `make bench` build.
run: configure
	@cmake --build --preset default --target programs
	@mkdir -p build/run
	@cp examples/ExchangeRate.txt build/run/ExchangeRate.txt
	@cd build/run && ../bin/kavri-cli

test-sanitize: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize
	@ctest --preset sanitize

# Every warning an error, in a build of its own (CI builds its default build this way).
test-werror: deps
	@cmake --preset werror >/dev/null
	@cmake --build --preset werror

# Each libFuzzer target for FUZZ_SECONDS seconds (default 180) from the seed corpus in
# fuzz/corpus/; built with Clang in build-fuzz/.
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@scripts/fuzz.sh

# kavri-cli's start, the exact search, the comparison, the charts, the linearity tests and the
# forecasts first, then the genetic search's speed-up, then many series (batch mode, processes,
# the Python module), which needs the Python module.
bench: build
	@build/bin/kavri-startup-bench
	@build/bin/kavri-exact-table
	@build/bin/kavri-exact-bench
	@build/bin/kavri-comparison-bench
	@build/bin/kavri-charts-bench
	@build/bin/kavri-inference-bench
	@build/bin/kavri-forecast-bench
	@build/bin/kavri-bench
	@if ls build/python/kavri/_kavri*.so >/dev/null 2>&1; then /usr/bin/python3 bench/many_series_bench.py build; fi

screenshots: build
	@scripts/screenshots.sh

# The Debian package build/kavri_<version>_<arch>.deb: both programs, the desktop entry and
# icon, AppStream metainfo, manual pages and the examples. Install it with
# `sudo apt install ./build/kavri_*.deb`.
package: build
	@cd build && cpack -G DEB

clean:
	rm -rf build build-sanitize build-fuzz
