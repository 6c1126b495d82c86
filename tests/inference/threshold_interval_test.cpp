#include "inference/threshold_interval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "inference/least_squares_reference.h"

namespace kavri {
namespace {

// Hansen (2000), Table 1: the critical values of the likelihood-ratio interval.
TEST(ThresholdInterval, CriticalValuesAreHansens) {
    EXPECT_NEAR(thresholdCriticalValue(80.0), 4.50, 0.005);
    EXPECT_NEAR(thresholdCriticalValue(90.0), 5.94, 0.005);
    EXPECT_NEAR(thresholdCriticalValue(95.0), 7.35, 0.005);
    EXPECT_NEAR(thresholdCriticalValue(99.0), 10.59, 0.005);
}

struct Split {
    std::vector<int> below;
    std::vector<int> above;
};

// Times t = 1 .. n-1 by the threshold variable x[t-1] against g (g itself above).
Split splitAt(const std::vector<double>& x, double g) {
    Split split;
    for (int t = 1; t < static_cast<int>(x.size()); ++t) {
        (x[t - 1] < g ? split.below : split.above).push_back(t);
    }
    return split;
}

double referenceSsr(const std::vector<double>& x, double g) {
    const Split split = splitAt(x, g);
    const testing::RegressionRows low = testing::rowsAt(x, split.below, 1);
    const testing::RegressionRows high = testing::rowsAt(x, split.above, 1);
    return testing::gramSchmidtFit(low.design, low.response).sse +
           testing::gramSchmidtFit(high.design, high.response).sse;
}

// A two-regime AR(1) fitted at `g` as the run would report it.
ReportedModel reportedAt(const std::vector<double>& x, double g) {
    ReportedModel model;
    model.available = true;
    model.delay = 1;
    model.maxOrder = 2;
    model.series = x;
    model.thresholds = {g};
    model.regimeOfObservation.assign(x.size(), -1);
    model.residuals.assign(x.size(), 0.0);
    const Split split = splitAt(x, g);
    int r = 0;
    for (const std::vector<int>* times : {&split.below, &split.above}) {
        const testing::RegressionRows rows = testing::rowsAt(x, *times, 1);
        const testing::ReferenceFit fit = testing::gramSchmidtFit(rows.design, rows.response);
        RegimeReport regime;
        regime.order = 1;
        regime.coefficients = fit.coefficients;
        regime.observations = static_cast<int>(times->size());
        model.regimes.push_back(regime);
        for (std::size_t i = 0; i < times->size(); ++i) {
            model.regimeOfObservation[(*times)[i]] = r;
            model.residuals[(*times)[i]] = fit.residuals[i];
        }
        ++r;
    }
    return model;
}

// Every candidate's LR against sums of squares refitted from scratch by Gram-Schmidt, at the
// least-squares threshold, and the interval as the set {g : LR(g) <= c} spans it.
TEST(ThresholdInterval, LikelihoodRatiosMatchRefittedSumsOfSquares) {
    const std::vector<double> x = testing::simulateSetar1(300, 11, 1.0, -1.0, 0.5, 0.4, 0.0, 1.0);
    const int minObs = 20;
    std::vector<double> values(x.begin(), x.end() - 1);  // the threshold variable x[t-1]
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    std::vector<double> admissible;
    for (double g : values) {
        const Split split = splitAt(x, g);
        if (static_cast<int>(split.below.size()) >= minObs &&
            static_cast<int>(split.above.size()) >= minObs) {
            admissible.push_back(g);
        }
    }
    double best = admissible.front();
    for (double g : admissible) {
        if (referenceSsr(x, g) < referenceSsr(x, best)) best = g;
    }
    const double bestSsr = referenceSsr(x, best);
    const int n = static_cast<int>(x.size()) - 1;

    const ReportedModel model = reportedAt(x, best);
    const std::vector<ThresholdConfidence> intervals = thresholdConfidence(model, 95.0, minObs);
    ASSERT_EQ(intervals.size(), 1u);
    const ThresholdConfidence& interval = intervals[0];
    EXPECT_EQ(interval.estimate, best);
    EXPECT_EQ(interval.level, 95.0);
    ASSERT_EQ(interval.curve.values, admissible);
    EXPECT_EQ(interval.curve.values[interval.curve.optimumIndex], best);
    double lower = best;
    double upper = best;
    for (std::size_t j = 0; j < admissible.size(); ++j) {
        const double lr = n * (referenceSsr(x, admissible[j]) - bestSsr) / bestSsr;
        EXPECT_NEAR(interval.curve.lr[j], lr, 1e-8 * std::max(1.0, lr)) << admissible[j];
        EXPECT_GE(interval.curve.lr[j], -1e-9);
        if (lr <= 7.35) {
            lower = std::min(lower, admissible[j]);
            upper = std::max(upper, admissible[j]);
        }
    }
    EXPECT_EQ(interval.lower, lower);
    EXPECT_EQ(interval.upper, upper);
    EXPECT_LT(interval.lower, interval.upper);
    EXPECT_LE(interval.lower, 0.0);  // the true threshold of the simulation
    EXPECT_GE(interval.upper, 0.0);

    // A higher level widens the interval, never narrows it.
    const ThresholdConfidence wide = thresholdConfidence(model, 99.0, minObs)[0];
    EXPECT_LE(wide.lower, interval.lower);
    EXPECT_GE(wide.upper, interval.upper);
}

TEST(ThresholdInterval, OneRegimeHasNoThresholdToBound) {
    ReportedModel model;
    model.available = true;
    model.regimes.resize(1);
    EXPECT_TRUE(thresholdConfidence(model, 95.0, 20).empty());
}

}  // namespace
}  // namespace kavri
