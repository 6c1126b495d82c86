// The one evaluation of a split: how it ends, and that its fitness and log-fitness are the
// exact search's formulas applied to the same model.

#include "estimation/split_score.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "estimation/exact_search.h"
#include "genetic/candidates.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

class SplitScoring : public ::testing::Test {
 protected:
    void SetUp() override {
        x_ = testing::exchangeRateReturns();
        n_ = 450;
        sortOrder_ = ivector(0, n_);
        sorted_ = dvector(0, n_);
        rankCandidates(x_.data(), n_, sortOrder_, sorted_);
        settings_.model = modelPrefill();
        settings_.ga = gaPrefill();
        settings_.model.nObservations = n_;
        settings_.model.nPredictions = 50;
        settings_.model.maxOrder = 3;
        settings_.model.delay = 1;
        settings_.ga.adjustingConstant = 1.0;
    }

    SplitScore score(const RankRanges& ranges, bool forecast = false) {
        const FittingProblem problem =
            searchProblem(settings_, x_.data(), sortOrder_.data(), n_, settings_.model.maxOrder,
                          settings_.model.delay);
        FreshRangeEstimates estimates(problem);
        std::array<double, kMaxThresholdCount> values{};
        for (int r = 0; r < ranges.nThresholds; ++r) values[r] = sorted_[ranges.bounds[r]];
        FittedModel model(problem.maxOrder());
        return scoreSplit(problem, ranges, values, estimates.function(), forecast, model);
    }

    RankRanges split(int nThresholds, std::array<int, kMaxThresholdCount> bounds = {}) const {
        return RankRanges{.n = n_, .nThresholds = nThresholds, .bounds = bounds};
    }

    std::vector<double> x_;
    int n_ = 0;
    IVector sortOrder_;
    DVector sorted_;
    RunSettings settings_;
};

TEST_F(SplitScoring, OutcomesInTheirOrder) {
    // A regime of ranks without a usable observation has an all-zero design: singular.
    EXPECT_EQ(score(split(1, {0})).outcome, SplitOutcome::kSingular);
    settings_.ga.fitnessKind = kFitnessMse;
    settings_.model.nPredictions = 0;
    EXPECT_EQ(score(split(0)).outcome, SplitOutcome::kNoForecasts);
    settings_.model.maxOrder = 1;  // no order tried, so no observation fitted
    EXPECT_EQ(score(split(0)).outcome, SplitOutcome::kNoEffectiveObservations);
}

// The exact search's optimum, scored by the one evaluation: the same fitness to rounding (the
// two factor the regressions differently), and forecasts only where they are needed or asked.
TEST_F(SplitScoring, FitnessOfTheExactOptimumUnderBothKinds) {
    for (const int kind : {kFitnessAic, kFitnessMse}) {
        settings_.ga.fitnessKind = kind;
        settings_.model.maxRegimes = 2;
        Result<ExactOptimum> optimum =
            findExactOptimum(settings_, x_.data(), sorted_.data(), sortOrder_.data(), 1);
        ASSERT_TRUE(optimum.ok());
        const SplitScore scored = score(split(1, {optimum.value().positions[0]}));
        ASSERT_EQ(scored.outcome, SplitOutcome::kScored);
        EXPECT_NEAR(scored.logFitness, optimum.value().logFitness,
                    1e-9 * std::fabs(optimum.value().logFitness));
        EXPECT_EQ(scored.fitness, std::exp(scored.logFitness));
        EXPECT_EQ(scored.forecast, kind == kFitnessMse);
        EXPECT_TRUE(score(split(1, {optimum.value().positions[0]}), true).forecast);
    }
}

}  // namespace
}  // namespace kavri
