// kavri-forecast-bench: forecasts 20 steps past the bundled weekly DEM/USD returns with 10,000
// simulated paths, the model fitted at two given thresholds (450 values fitted, 50 held out).
// Each case is timed over a few repetitions and the fastest is shown; every simulated case is
// also run on one thread and checked for the same bits. The last line is the bootstrap case on
// every thread, whose target is 0.2 s.
//
//   kavri-forecast-bench [--largest]
//
// --largest adds the heaviest forecast the command line allows: 1000 steps, 1,000,000 paths.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "forecast/multi_step_forecast.h"
#include "forecast/simulated_paths.h"
#include "run/run_driver.h"

namespace kavri {
namespace {

class SilentObserver : public RunObserver {
 public:
    void refresh(const ResultTexts&) override {}
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The reported model at thresholds -0.2301702 and 0.35374461, result files in a scratch
// directory.
ReportedModel fittedExample() {
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / "kavri-forecast-bench";
    std::filesystem::create_directories(scratch);
    RunSettings settings;
    applyRunDefaults(settings);
    settings.model.seriesPath = std::string(KAVRI_EXAMPLES_DIR) + "/ExchangeRate.txt";
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.nThresholds = 2;
    settings.model.thresholds = {-0.2301702, 0.35374461, 0.0};
    settings.modelDialogCount = 1;
    settings.gaDialogCount = 1;
    ResultTexts texts;
    SilentObserver observer;
    RunOptions options;
    options.files.directory = scratch;
    const RunOutcome outcome = runModel(settings, texts, observer, options);
    std::filesystem::remove_all(scratch);
    return outcome.model;
}

bool sameBits(const ForecastResult& a, const ForecastResult& b) {
    if (a.point != b.point || a.median != b.median || a.intervals.size() != b.intervals.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.intervals.size(); ++i) {
        if (a.intervals[i].lower != b.intervals[i].lower ||
            a.intervals[i].upper != b.intervals[i].upper) {
            return false;
        }
    }
    return true;
}

// The fastest of `repetitions` forecasts, in seconds; `result` holds the last.
double fastest(const ReportedModel& model, const ForecastSettings& settings, int repetitions,
               ForecastResult& result) {
    double best = 1e300;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        result = forecastFromEnd(model, settings);
        best = std::min(best, secondsSince(start));
    }
    return best;
}

// Times one case on every thread and on one, prints its line; false if the two differ.
bool runCase(const ReportedModel& model, ForecastSettings settings, int repetitions,
             double& seconds) {
    ForecastResult all;
    ForecastResult one;
    settings.nThreads = 0;
    seconds = fastest(model, settings, repetitions, all);
    settings.nThreads = 1;
    const double single = fastest(model, settings, repetitions, one);
    const bool same = sameBits(all, one);
    std::printf(
        "  %-10s H=%-5d paths=%-8d %2d threads %9.4f s   1 thread %9.4f s   same bits: %s\n",
        forecastMethodName(settings.method), settings.horizon, settings.nPaths,
        threadsFor(0, settings.nPaths), seconds, single, same ? "yes" : "NO");
    return same;
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace
}  // namespace kavri

int main(int argc, char** argv) {
    using namespace kavri;
    const bool largest = argc > 1 && std::strcmp(argv[1], "--largest") == 0;
    if (argc > 2 || (argc == 2 && !largest)) {
        std::fprintf(stderr, "usage: kavri-forecast-bench [--largest]\n");
        return 2;
    }
    const ReportedModel model = fittedExample();
    if (!model.available) {
        std::fprintf(stderr, "kavri-forecast-bench: the example model could not be fitted\n");
        return 1;
    }
    std::printf(
        "kavri-forecast-bench: forecasts past examples/ExchangeRate.txt, %u threads in "
        "hardware; fastest of 5\n",
        std::thread::hardware_concurrency());
    bool allSame = true;
    double seconds = 0.0;
    ForecastSettings settings;
    settings.horizon = 20;
    settings.nPaths = 10000;
    settings.seed = 1;
    settings.method = ForecastMethod::kGaussian;
    allSame = runCase(model, settings, 5, seconds) && allSame;
    if (largest) {
        ForecastSettings heavy = settings;
        heavy.method = ForecastMethod::kBootstrap;
        heavy.horizon = kMaxForecastHorizon;
        heavy.nPaths = kMaxForecastPaths;
        allSame = runCase(model, heavy, 1, seconds) && allSame;
        std::printf("  peak memory %.0f MB\n", peakMegabytes());
    }
    settings.method = ForecastMethod::kBootstrap;
    allSame = runCase(model, settings, 5, seconds) && allSame;
    if (!allSame) {
        std::fprintf(stderr, "kavri-forecast-bench: one thread and all threads differ\n");
    }
    std::printf("\nforecast H=20, 10000 bootstrap paths: %.4f s (target 0.2 s)\n", seconds);
    return allSame ? 0 : 1;
}
