// kavri-exact-table: the exact threshold search at the lengths users meet, n = 250 to 100,000,
// with one, two and three thresholds. Each case is the search alone (the series ranked
// before), on every core as kavri-cli runs it, timed by Google Benchmark: the median of five
// repetitions of the wall time, and of the process's cpu time over all threads, since the
// machine may be shared and a mean would follow the other load. A line per case as it ends,
// then the table; a case marked * tried fewer values than n - 1 as thresholds (how many is
// shown).
//
// Settings: maxOrder 4, delay 1, minObs 30, fitness "AIC", criterion "Relative", no held-out
// values. The series is a simulated two-regime threshold autoregression (below), the same for
// every run.
//
//   kavri-exact-table [Google Benchmark options, e.g. --benchmark_filter=n:1000/]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

#include "estimation/exact_search.h"
#include "genetic/candidates.h"
#include "run/worker_pool.h"

namespace kavri::bench {
namespace {

// x_t = 0.3 + 0.5 x_(t-1) + e_t below 0, -0.2 - 0.4 x_(t-1) + e_t above, e_t standard normal
// from a fixed congruential generator (Box-Muller).
std::vector<double> simulatedSeries(int length) {
    std::uint64_t state = 88172645463325252ULL;
    auto uniform = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return (static_cast<double>(state >> 11) + 0.5) / 9007199254740992.0;
    };
    std::vector<double> x(static_cast<std::size_t>(length), 0.0);
    for (int t = 1; t < length; ++t) {
        const double e =
            std::sqrt(-2.0 * std::log(uniform())) * std::cos(6.283185307179586 * uniform());
        x[t] = (x[t - 1] < 0.0 ? 0.3 + 0.5 * x[t - 1] : -0.2 - 0.4 * x[t - 1]) + e;
    }
    return x;
}

struct RankedSeries {
    std::vector<double> x;
    IVector sortOrder;
    DVector sortedSeries;
};

const RankedSeries& rankedSeries(int n) {
    static std::map<int, RankedSeries> series;
    auto found = series.find(n);
    if (found == series.end()) {
        RankedSeries ranked{simulatedSeries(n), ivector(0, n), dvector(0, n)};
        rankCandidates(ranked.x.data(), n, ranked.sortOrder, ranked.sortedSeries);
        found = series.emplace(n, std::move(ranked)).first;
    }
    return found->second;
}

void exactSearch(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int thresholds = static_cast<int>(state.range(1));
    const RankedSeries& series = rankedSeries(n);
    RunSettings settings;
    settings.model.nObservations = n;
    settings.model.nPredictions = 0;
    settings.model.maxOrder = 4;
    settings.model.delay = 1;
    settings.model.minObs = 30;
    settings.model.maxRegimes = thresholds + 1;
    settings.ga.fitnessKind = kFitnessAic;
    settings.ga.criterion = kCriterionRelative;
    settings.ga.adjustingConstant = 1.0;
    WorkerPool pool(WorkerPool::availableThreads(kMaxSearchThreads));
    ExactSearchOptions options;
    options.parallel = pool.parallelFor();
    ExactOptimum optimum;
    for (auto _ : state) {
        Result<ExactOptimum> found =
            findExactOptimum(settings, series.x.data(), series.sortedSeries.data(),
                             series.sortOrder.data(), 1, options);
        if (!found.ok()) {
            state.SkipWithError(found.notice().text.c_str());
            return;
        }
        optimum = found.value();
        benchmark::DoNotOptimize(optimum);
    }
    state.counters["candidates"] = optimum.candidates;
    state.counters["found"] = optimum.nThresholds;
}

BENCHMARK(exactSearch)
    ->ArgNames({"n", "thresholds"})
    ->ArgsProduct({{250, 500, 1000, 2000, 10000, 100000}, {1, 2, 3}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

struct Cell {
    double wallMs = 0.0;
    double cpuMs = 0.0;
    int candidates = 0;
    bool measured = false;
};

// Keeps the median of each case, prints it as it comes, and the table at the end.
class TableReporter : public benchmark::BenchmarkReporter {
 public:
    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            int n = 0;
            int thresholds = 0;
            if (run.aggregate_name != "median" ||
                std::sscanf(run.benchmark_name().c_str(), "exactSearch/n:%d/thresholds:%d", &n,
                            &thresholds) != 2) {
                continue;
            }
            if (run.error_occurred) {
                std::printf("n %7d, %d threshold(s): failed: %s\n", n, thresholds,
                            run.error_message.c_str());
                continue;
            }
            Cell& cell = cells_[n][thresholds];
            cell.wallMs = run.GetAdjustedRealTime();
            cell.cpuMs = run.GetAdjustedCPUTime();
            const auto candidates = run.counters.find("candidates");
            cell.candidates =
                candidates == run.counters.end() ? 0 : static_cast<int>(candidates->second.value);
            cell.measured = true;
            std::printf("n %7d, %d threshold(s): %10.2f ms wall, %10.2f ms cpu, %d values tried\n",
                        n, thresholds, cell.wallMs, cell.cpuMs, cell.candidates);
            std::fflush(stdout);
        }
    }

    void Finalize() override {
        std::printf("\nmedian of 5, milliseconds: wall (cpu of all threads)\n");
        std::printf("%8s  %-24s%-24s%-24s\n", "n", "1 threshold", "2 thresholds", "3 thresholds");
        for (const auto& [n, row] : cells_) {
            std::printf("%8d  ", n);
            for (int thresholds = 1; thresholds <= 3; ++thresholds) {
                const auto cell = row.find(thresholds);
                char text[64] = "-";
                if (cell != row.end() && cell->second.measured) {
                    const Cell& c = cell->second;
                    std::snprintf(text, sizeof text, "%.1f (%.1f)%s", c.wallMs, c.cpuMs,
                                  c.candidates < n - 1 ? "*" : "");
                }
                std::printf("%-24s", text);
            }
            std::printf("\n");
        }
        for (const auto& [n, row] : cells_) {
            for (const auto& [thresholds, cell] : row) {
                if (cell.measured && cell.candidates < n - 1) {
                    std::printf("* n %d, %d thresholds: %d of the %d values tried\n", n, thresholds,
                                cell.candidates, n - 1);
                }
            }
        }
    }

 private:
    std::map<int, std::map<int, Cell>> cells_;
};

}  // namespace
}  // namespace kavri::bench

int main(int argc, char** argv) {
    std::printf(
        "kavri-exact-table: the exact search, maxOrder 4, delay 1, minObs 30, AIC, Relative,\n"
        "no held-out values, simulated two-regime series; %d threads. Targets: one threshold\n"
        "n = 1000 under 5 ms and n = 100,000 under 1 s; three thresholds n = 1000 under 15 ms and\n"
        "n = 10,000 (every value a candidate) under 1.5 s. On a shared machine the cpu time\n"
        "shows the work done; the wall time also what the other load took.\n",
        kavri::WorkerPool::availableThreads(kavri::kMaxSearchThreads));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    kavri::bench::TableReporter table;
    benchmark::RunSpecifiedBenchmarks(&table);
    benchmark::Shutdown();
    return 0;
}
