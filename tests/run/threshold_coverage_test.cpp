// How often the likelihood-ratio interval of the threshold covers the true one, over series
// simulated from a known two-regime SETAR and searched exactly as a user would. Hansen's
// interval is asymptotically conservative when the threshold effect does not vanish, so the
// 95% interval must cover the truth in at least 90% of 500 series. Slower than a unit test:
// labelled "coverage" and left out of the default suite (make test-coverage runs it).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>

#include "inference/threshold_interval.h"
#include "run/run_driver.h"
#include "support/memory_file_system.h"
#include "support/series_fixtures.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

class Silent : public RunObserver {
 public:
    void refresh(const ResultTexts&) override {}
    void progress(int, double) override {}
};

// x[t] = 0.6 + 0.3 x[t-1] + e below the threshold 0 of x[t-1], -0.6 + 0.3 x[t-1] + e from it
// on; e standard normal by Box-Muller from a 64-bit Mersenne Twister (the same on every
// platform, unlike std::normal_distribution).
std::string simulatedSeries(int n, std::uint64_t seed) {
    std::mt19937_64 engine(seed);
    const auto uniform = [&engine]() {
        return (static_cast<double>(engine() >> 11) + 0.5) / 9007199254740992.0;
    };
    std::string text;
    double x = 0.0;
    for (int t = -100; t < n; ++t) {
        const double e =
            std::sqrt(-2.0 * std::log(uniform())) * std::cos(2.0 * std::numbers::pi * uniform());
        x = (x < 0.0 ? 0.6 : -0.6) + 0.3 * x + e;
        if (t >= 0) {
            text += testing::formatDouble("%.17g\n", x);
        }
    }
    return text;
}

TEST(ThresholdCoverage, NinetyFivePercentIntervalCoversTheTrueThresholdInNinetyPercent) {
    testing::TempDirectory dir;
    testing::MemoryFileSystem files;
    RunOptions options;
    options.files.fileSystem = &files;
    const int replicates = 500;
    int covered = 0;
    int twoRegimes = 0;
    double width = 0.0;
    for (int i = 0; i < replicates; ++i) {
        dir.write("series.txt", simulatedSeries(300, 1000 + static_cast<std::uint64_t>(i)));
        RunSettings settings;
        settings.model = modelPrefill();
        settings.model.seriesPath = (dir.path() / "series.txt").string();
        settings.model.nObservations = 300;
        settings.model.nPredictions = 0;
        settings.model.maxRegimes = 2;
        settings.model.maxOrder = 2;  // AR(1) in each regime
        settings.model.delay = 1;
        settings.model.minObs = 20;
        settings.ga = gaRunDefaults();
        settings.ga.fitnessKind = kFitnessAic;
        settings.ga.searchMethod = kSearchExact;
        settings.modelDialogCount = 1;
        settings.gaDialogCount = 1;
        ResultTexts texts;
        Silent observer;
        const RunOutcome outcome = runModel(settings, texts, observer, options);
        ASSERT_FALSE(outcome.notice.has_value()) << i;
        const std::vector<ThresholdConfidence> intervals =
            thresholdConfidence(outcome.model, 95.0, settings.model.minObs);
        if (intervals.size() != 1) {
            continue;  // a model of one regime covers nothing
        }
        ++twoRegimes;
        width += intervals[0].upper - intervals[0].lower;
        if (intervals[0].lower <= 0.0 && 0.0 <= intervals[0].upper) {
            ++covered;
        }
    }
    RecordProperty("covered", covered);
    std::printf("coverage %d of %d (two regimes in %d), mean width %.4f\n", covered, replicates,
                twoRegimes, width / std::max(1, twoRegimes));
    EXPECT_GE(covered, replicates * 9 / 10);
}

}  // namespace
}  // namespace kavri
