// The exact-fit rule of the information criterion, on the three estimations that apply it: the
// regime estimation, its normal-equations twin of the cached search and the orthogonal
// factorisation of the exact search. A fit is exact relative to its responses' spread, so a
// series and the same series in other units are exact fits alike, or not at all.

#include "estimation/information_criterion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "estimation/range_normal_equations.h"
#include "estimation/range_qr.h"
#include "estimation/regime_estimation.h"
#include "estimation/series_statistics.h"
#include "genetic/candidates.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

struct Choice {
    int order = 0;
    double aic = 0.0;
};

// The order and AIC of the regime of ranks [start, end) (the whole sample by default), by each
// of the three estimations.
struct ThreeChoices {
    Choice regime;
    Choice normalEquations;
    Choice qr;
};

ThreeChoices chooseOrder(const std::vector<double>& x, int maxOrder = 3, int start = 0,
                         int end = -1) {
    const int n = static_cast<int>(x.size());
    end = end < 0 ? n : end;
    IVector sortOrder = ivector(0, n);
    DVector sorted = dvector(0, n);
    rankCandidates(x.data(), n, sortOrder, sorted);
    const OrderSearch search{n, maxOrder, 1, kSearchInitialBestAic, false};
    ThreeChoices choices;

    RegimeWorkspace workspace(n, maxOrder);
    RegimeEstimate estimate;
    EXPECT_EQ(estimateRegime(x.data(), sortOrder.data(), start, end, search, workspace, estimate),
              FitStatus::kOk);
    choices.regime = {estimate.order, estimate.fit.aic};

    NormalEquationsRangeEstimator estimator(x.data(), sortOrder.data(), search);
    EXPECT_EQ(estimator.estimate(start, end, estimate), FitStatus::kOk);
    choices.normalEquations = {estimate.order, estimate.fit.aic};

    const RankRows rows(x.data(), sortOrder.data(), n, maxOrder, 1, seriesMean(x.data(), n));
    QrRangeRegression regression(maxOrder);
    for (int h = start; h < end; ++h) {
        if (rows.usable(h)) regression.append(rows.row(h));
    }
    std::vector<double> sse;
    const RangeOrder order = chooseRangeOrder(regression, maxOrder, false, sse);
    EXPECT_EQ(order.status, FitStatus::kOk);
    choices.qr = {order.order, order.aic};
    return choices;
}

std::vector<double> scaled(std::vector<double> x, double factor) {
    for (double& v : x) v *= factor;
    return x;
}

TEST(ExactFit, RuleComparesTheResidualsWithTheResponsesSpread) {
    EXPECT_TRUE(isExactFit(1e-30, 1.0, false));
    EXPECT_TRUE(isExactFit(1e-10, 1.0, false));
    EXPECT_FALSE(isExactFit(2e-10, 1.0, false));
    // Residuals of 1e-15 about responses of spread 1e-14 are no exact fit, at any unit.
    EXPECT_FALSE(isExactFit(1e-15, 1e-14, false));
    EXPECT_TRUE(isExactFit(0.0, 0.0, false));
    EXPECT_TRUE(isExactFit(1e-33, 0.0, true));
    EXPECT_FALSE(isExactFit(std::nan(""), 1.0, false));
}

// The weekly returns in units of 1e-7 have residual sums of squares near 1e-12, below any
// absolute bound of 1e-10; they are no better fitted for it. Every order's AIC moves by
// m ln(1e-14) alike, so the order chosen stays, on all three estimations.
TEST(ExactFit, ASeriesInSmallUnitsIsNoExactFit) {
    const std::vector<double> x = testing::exchangeRateReturns();
    const ThreeChoices unit = chooseOrder(x);
    for (const double factor : {1e-7, 1e-12, 1e7}) {
        const ThreeChoices small = chooseOrder(scaled(x, factor));
        // m = 516 usable observations of 518 at orders up to 2.
        const double shift = 516 * std::log(factor * factor);
        for (const Choice& choice : {small.regime, small.normalEquations, small.qr}) {
            EXPECT_EQ(choice.order, unit.regime.order) << factor;
            EXPECT_NEAR(choice.aic, unit.regime.aic + shift, 1e-6 * std::fabs(shift)) << factor;
        }
    }
}

// x[t] = 0.5 - 1.01 x[t-1] with no noise, an oscillation that neither dies out nor settles,
// is fitted exactly at order 1, in any unit.
TEST(ExactFit, AnExactRelationScoresZeroInAnyUnit) {
    std::vector<double> exact = {0.3};
    for (int t = 1; t < 120; ++t) exact.push_back(0.5 - 1.01 * exact[t - 1]);
    for (const double factor : {1e-9, 1.0, 1e9}) {
        const ThreeChoices relation = chooseOrder(scaled(exact, factor), /*maxOrder=*/2);
        for (const Choice& choice : {relation.regime, relation.normalEquations, relation.qr}) {
            EXPECT_EQ(choice.order, 1) << factor;
            EXPECT_EQ(choice.aic, 0.0) << factor;
        }
    }
}

// Negative noise at the odd times and 0.1 at the even ones: the lower half of the ranks holds
// the odd times, whose successors (the regime's responses) are all 0.1 while their lag varies.
// The constant fits them exactly, although their spread about the rounded mean of many 0.1s is
// not exactly 0.
TEST(ExactFit, EqualResponsesScoreZeroOnEveryEstimation) {
    std::vector<double> x(120, 0.1);
    testing::Noise noise(4);
    for (int t = 1; t < 120; t += 2) x[t] = noise.next() - 1.0;
    for (const double factor : {1e-9, 1.0, 1e9}) {
        const ThreeChoices equal = chooseOrder(scaled(x, factor), /*maxOrder=*/2, 0, 60);
        for (const Choice& choice : {equal.regime, equal.normalEquations, equal.qr}) {
            EXPECT_EQ(choice.order, 1) << factor;
            EXPECT_EQ(choice.aic, 0.0) << factor;
        }
    }
}

}  // namespace
}  // namespace kavri
