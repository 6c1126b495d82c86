#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "estimation/exact_search.h"
#include "estimation/reference_exact_search.h"
#include "genetic/candidates.h"
#include "run/worker_pool.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

using testing::Noise;
using testing::readValues;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<double> example(const char* name) {
    return readValues(std::string(KAVRI_EXAMPLES_DIR) + "/" + name);
}

// Two regimes switched by x[t - 2], with a few exact repeats so that ranks tie.
std::vector<double> switchingSeries(int length, std::uint32_t seed) {
    Noise noise(seed);
    std::vector<double> x(length, 0.0);
    for (int t = 2; t < length; ++t) {
        const double mean = x[t - 2] < 0.0 ? 0.3 + 0.5 * x[t - 1] : -0.2 - 0.4 * x[t - 1];
        x[t] = mean + noise.next();
        if (t % 17 == 0) x[t] = x[t - 5];
    }
    return x;
}

// 0.1 at the even times and negative noise at the odd ones: the ranges among the lowest ranks
// (odd times) have responses that are all 0.1, which the constant fits exactly (AIC 0), in any
// unit; the engines must see the same exact fits as the reference.
std::vector<double> equalResponsesSeries(int length, double unit) {
    Noise noise(4);
    std::vector<double> x(length, 0.1 * unit);
    for (int t = 1; t < length; t += 2) x[t] = (noise.next() - 1.0) * unit;
    return x;
}

struct SeriesCase {
    std::string name;
    std::vector<double> x;
    int n;
    int nPredictions;
    int maxOrder;
    int delay;
    int minObs;
};

std::vector<SeriesCase> seriesCases() {
    std::vector<SeriesCase> cases = {
        {"ExchangeRate", example("ExchangeRate.txt"), 450, 50, 4, 1, 30},
        {"Lynx", example("lynx_log10.txt"), 100, 14, 5, 2, 20},
        // Many equal values and zeros: ties between ranks and singular regimes.
        {"Sunspots", example("sunspot_year.txt"), 250, 39, 6, 3, 20},
        {"MarkPound", example("mark_pound_daily_returns.txt"), 500, 100, 8, 1, 20},
    };
    cases.push_back({"EqualResponses", equalResponsesSeries(160, 1.0), 150, 10, 3, 1, 10});
    cases.push_back({"EqualResponsesTiny", equalResponsesSeries(160, 1e-9), 150, 10, 2, 1, 10});
    for (std::uint32_t seed : {3u, 8u, 21u}) {
        cases.push_back({"Switching" + std::to_string(seed), switchingSeries(190, seed), 170, 20,
                         3 + static_cast<int>(seed % 3), 1 + static_cast<int>(seed % 3),
                         5 + static_cast<int>(seed % 7)});
    }
    return cases;
}

struct Ranked {
    IVector sortOrder;
    DVector sortedSeries;
};

Ranked rank(const SeriesCase& c) {
    Ranked r{ivector(0, c.n), dvector(0, c.n)};
    rankCandidates(c.x.data(), c.n, r.sortOrder, r.sortedSeries);
    return r;
}

RunSettings settingsFor(const SeriesCase& c, int fitnessKind, int criterion, int maxRegimes) {
    RunSettings settings;
    settings.model.nObservations = c.n;
    settings.model.nPredictions = c.nPredictions;
    settings.model.maxOrder = c.maxOrder;
    settings.model.delay = c.delay;
    settings.model.minObs = c.minObs;
    settings.model.maxRegimes = maxRegimes;
    settings.ga.fitnessKind = fitnessKind;
    settings.ga.criterion = criterion;
    settings.ga.adjustingConstant = 1.0;
    return settings;
}

ExactSearchOptions onPool(WorkerPool& pool) {
    ExactSearchOptions options;
    options.parallel.workers = pool.size();
    options.parallel.run = [&pool](int count, const ParallelFor::Task& task) {
        pool.run(count, task);
    };
    return options;
}

void expectSameOptimum(const ExactOptimum& found, const ExactOptimum& reference) {
    EXPECT_EQ(found.nThresholds, reference.nThresholds);
    EXPECT_EQ(found.positions, reference.positions);
    EXPECT_TRUE(sameBits(found.criterion, reference.criterion))
        << found.criterion << " against " << reference.criterion;
    EXPECT_TRUE(sameBits(found.fitness, reference.fitness))
        << found.fitness << " against " << reference.fitness;
    EXPECT_TRUE(found.everyValue);
}

// Both engines (one threshold in linear time, the table for two and three) on one worker and on
// several, against the search as first written: the same thresholds, and the same summed
// criterion and fitness to the last bit, for both fitness kinds and criteria and 1 to 4 regimes.
TEST(ExactSearchEngines, MatchTheFirstSearchBitForBitOnEverySeries) {
    WorkerPool pool(3);
    int withThresholds = 0;
    int compared = 0;
    for (const SeriesCase& c : seriesCases()) {
        ASSERT_GE(static_cast<int>(c.x.size()), c.n + c.nPredictions) << c.name;
        const Ranked r = rank(c);
        for (int kind : {kFitnessAic, kFitnessMse}) {
            for (int criterion : {kCriterionAbsolute, kCriterionRelative}) {
                for (int maxRegimes = 1; maxRegimes <= 4; ++maxRegimes) {
                    SCOPED_TRACE(c.name + ", fitness " + std::to_string(kind) + ", criterion " +
                                 std::to_string(criterion) + ", " + std::to_string(maxRegimes) +
                                 " regimes");
                    const RunSettings settings = settingsFor(c, kind, criterion, maxRegimes);
                    Result<ExactOptimum> reference = testing::referenceExactOptimum(
                        settings, c.x.data(), r.sortedSeries.data(), r.sortOrder.data(), c.delay);
                    ASSERT_TRUE(reference.ok());
                    Result<ExactOptimum> alone = findExactOptimum(
                        settings, c.x.data(), r.sortedSeries.data(), r.sortOrder.data(), c.delay);
                    ASSERT_TRUE(alone.ok());
                    expectSameOptimum(alone.value(), reference.value());
                    Result<ExactOptimum> shared =
                        findExactOptimum(settings, c.x.data(), r.sortedSeries.data(),
                                         r.sortOrder.data(), c.delay, onPool(pool));
                    ASSERT_TRUE(shared.ok());
                    expectSameOptimum(shared.value(), reference.value());
                    withThresholds += reference.value().nThresholds > 0 ? 1 : 0;
                    ++compared;
                }
            }
        }
    }
    // The comparison means little unless most optima split the series (a single regime
    // allowed never does).
    EXPECT_GT(withThresholds, compared / 2);
}

// Exact repeats put equal sums side by side: a threshold at either of two ranks with no usable
// observation between them gives the same regimes. The lower rank must win in both engines.
TEST(ExactSearchEngines, TiedThresholdsGoToTheLowerRankInBothEngines) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SeriesCase c{"Ties", switchingSeries(130, seed), 120, 10, 3, 2, 8};
        // The last delay ranks' observations lie beyond the sample: spread them among the
        // others, so that unusable ranks fall between usable ones.
        for (int t = c.n - c.delay; t < c.n; ++t) c.x[t] = 0.05 * (t - c.n + 1.5);
        const Ranked r = rank(c);
        for (int maxRegimes : {2, 4}) {
            const RunSettings settings =
                settingsFor(c, kFitnessAic, kCriterionAbsolute, maxRegimes);
            Result<ExactOptimum> reference = testing::referenceExactOptimum(
                settings, c.x.data(), r.sortedSeries.data(), r.sortOrder.data(), c.delay);
            Result<ExactOptimum> found = findExactOptimum(
                settings, c.x.data(), r.sortedSeries.data(), r.sortOrder.data(), c.delay);
            ASSERT_TRUE(reference.ok() && found.ok());
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(maxRegimes));
            expectSameOptimum(found.value(), reference.value());
        }
    }
}

// The table reports its progress from the calling thread, growing to the whole table.
TEST(ExactSearchEngines, TheTableReportsItsShareDone) {
    SeriesCase c{"Progress", switchingSeries(420, 5u), 400, 0, 3, 1, 20};
    const Ranked r = rank(c);
    const RunSettings settings = settingsFor(c, kFitnessAic, kCriterionRelative, 4);
    ExactSearchOptions options;
    std::vector<double> shares;
    options.progress = [&shares](double share) { shares.push_back(share); };
    ASSERT_TRUE(findExactOptimum(settings, c.x.data(), r.sortedSeries.data(), r.sortOrder.data(),
                                 c.delay, options)
                    .ok());
    ASSERT_GT(shares.size(), 3u);
    for (std::size_t i = 1; i < shares.size(); ++i) {
        EXPECT_GE(shares[i], shares[i - 1]);
    }
    EXPECT_GT(shares.front(), 0.0);
    EXPECT_EQ(shares.back(), 1.0);
}

}  // namespace
}  // namespace kavri
