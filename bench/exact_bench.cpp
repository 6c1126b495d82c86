// kavri-exact-bench: the exact threshold search on the first 1000 daily mark/pound returns with
// 100 held-out values, maxOrder 20, up to four regimes, minObs 20 and delay 1, for both fitness
// kinds and both criteria, on every core as kavri-cli searches. Each case is timed over a few
// repetitions and the fastest is shown, with the thresholds found and their fitness; the last
// line gives the process's peak memory. Each case runs twice, repetitions interleaved: with the
// series' own lag as the threshold variable, and with an exogenous one (the absolute returns,
// the volatility table's second column), whose exact search must cost the same to within 10 %.
// Then "AIC, Absolute" once more for a subset of lags, no constant and one order per regime.
//
//   kavri-exact-bench [repetitions]      (default 3)

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/series_input.h"
#include "estimation/exact_search.h"
#include "genetic/candidates.h"
#include "run/worker_pool.h"

namespace kavri {
namespace {

constexpr int kObservations = 1000;
constexpr int kPredictions = 100;

struct Case {
    const char* label;
    int fitnessKind;
    int criterion;
};

RunSettings benchSettings(const Case& c) {
    RunSettings settings;
    settings.ga = gaRunDefaults();
    settings.ga.fitnessKind = c.fitnessKind;
    settings.ga.criterion = c.criterion;
    settings.ga.searchMethod = kSearchExact;
    ModelParameters& model = settings.model;
    model.nObservations = kObservations;
    model.nPredictions = kPredictions;
    model.maxOrder = 20;
    model.maxRegimes = 4;
    model.minObs = 20;
    model.delay = 1;
    return settings;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The CPU time of the whole process (every thread), which other processes on a loaded machine
// disturb less than the wall time.
double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

}  // namespace
}  // namespace kavri

int main(int argc, char** argv) {
    using namespace kavri;
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string path = std::string(KAVRI_EXAMPLES_DIR) + "/mark_pound_daily_returns.txt";
    DVector series = dvector(0, kObservations + kPredictions);
    if (MaybeNotice notice = readSeries(path, kObservations + kPredictions, series)) {
        std::fprintf(stderr, "kavri-exact-bench: %s\n", notice->text.c_str());
        return 1;
    }
    IVector sortOrder = ivector(0, kObservations);
    DVector sortedSeries = dvector(0, kObservations);
    rankCandidates(series.data(), kObservations, sortOrder, sortedSeries);
    // The exogenous threshold variable: |x|, ranked on its own.
    DVector absolute = dvector(0, kObservations + kPredictions);
    for (int t = 0; t < kObservations + kPredictions; ++t) {
        absolute[t] = series[t] < 0.0 ? -series[t] : series[t];
    }
    IVector zOrder = ivector(0, kObservations);
    DVector zSorted = dvector(0, kObservations);
    rankThresholdCandidates(absolute.data(), kObservations, zOrder, zSorted);

    const Case cases[] = {{"AIC, Relative", kFitnessAic, kCriterionRelative},
                          {"AIC, Absolute", kFitnessAic, kCriterionAbsolute},
                          {"MSE, Relative", kFitnessMse, kCriterionRelative},
                          {"MSE, Absolute", kFitnessMse, kCriterionAbsolute}};
    WorkerPool pool(WorkerPool::availableThreads(kMaxSearchThreads));
    ExactSearchOptions options;
    options.parallel = pool.parallelFor();
    std::printf(
        "exact search, n %d, %d held out, maxOrder 20, 4 regimes, minObs 20, delay 1, %d "
        "threads\n",
        kObservations, kPredictions, pool.size());
    ExactSearchOptions exogenous = options;
    exogenous.thresholdSeries = absolute.data();
    for (const Case& c : cases) {
        const RunSettings settings = benchSettings(c);
        double fastest[2] = {0.0, 0.0};
        double leastCpu[2] = {0.0, 0.0};
        ExactOptimum optimum[2];
        for (int r = 0; r < repetitions; ++r) {
            for (int v = 0; v < 2; ++v) {
                const auto start = std::chrono::steady_clock::now();
                const double cpuStart = processSeconds();
                Result<ExactOptimum> found =
                    v == 0 ? findExactOptimum(settings, series.data(), sortedSeries.data(),
                                              sortOrder.data(), 1, options)
                           : findExactOptimum(settings, series.data(), zSorted.data(),
                                              zOrder.data(), 1, exogenous);
                const double seconds = secondsSince(start);
                const double cpu = processSeconds() - cpuStart;
                if (!found.ok()) {
                    std::fprintf(stderr, "kavri-exact-bench: %s\n", found.notice().text.c_str());
                    return 1;
                }
                optimum[v] = found.value();
                fastest[v] = r == 0 ? seconds : std::min(fastest[v], seconds);
                leastCpu[v] = r == 0 ? cpu : std::min(leastCpu[v], cpu);
            }
        }
        for (int v = 0; v < 2; ++v) {
            std::printf("%-14s %-9s %7.3f s (CPU %7.3f s)   fitness %.6f   thresholds at ranks",
                        c.label, v == 0 ? "own lag" : "|x[t-1]|", fastest[v], leastCpu[v],
                        optimum[v].fitness);
            for (int i = 0; i < optimum[v].nThresholds; ++i) {
                std::printf(" %d", optimum[v].positions[i]);
            }
            std::printf("\n");
        }
        std::printf("%-14s exogenous / own lag: %.3f (CPU %.3f)\n", c.label,
                    fastest[1] / fastest[0], leastCpu[1] / leastCpu[0]);
    }
    // Other model forms at the same n, "AIC, Absolute" on the own lag: a subset of lags, no
    // constant (both fewer columns than the default's 19 lags), and one order per regime.
    struct FormCase {
        const char* label;
        ModelForm form;
    };
    FormCase forms[3];
    forms[0].label = "lags 1,2,5,10";
    forms[0].form.nLags = 4;
    forms[0].form.lags = {1, 2, 5, 10};
    forms[1].label = "no constant";
    forms[1].form.constant = false;
    forms[2].label = "orders 3,1,2,5";
    forms[2].form.nFixedOrders = 4;
    forms[2].form.fixedOrders = {3, 1, 2, 5};
    for (const FormCase& f : forms) {
        RunSettings settings = benchSettings(cases[1]);
        settings.form = f.form;
        double fastest = 0.0;
        double leastCpu = 0.0;
        ExactOptimum optimum;
        for (int r = 0; r < repetitions; ++r) {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = processSeconds();
            Result<ExactOptimum> found = findExactOptimum(
                settings, series.data(), sortedSeries.data(), sortOrder.data(), 1, options);
            const double seconds = secondsSince(start);
            const double cpu = processSeconds() - cpuStart;
            if (!found.ok()) {
                std::fprintf(stderr, "kavri-exact-bench: %s\n", found.notice().text.c_str());
                return 1;
            }
            optimum = found.value();
            fastest = r == 0 ? seconds : std::min(fastest, seconds);
            leastCpu = r == 0 ? cpu : std::min(leastCpu, cpu);
        }
        std::printf("form %-15s %7.3f s (CPU %7.3f s)   fitness %.6f   thresholds at ranks",
                    f.label, fastest, leastCpu, optimum.fitness);
        for (int i = 0; i < optimum.nThresholds; ++i) {
            std::printf(" %d", optimum.positions[i]);
        }
        std::printf("\n");
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
