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

namespace kavri {
namespace {

// A model form of the profile: a constant or none, a trend, and the lags each regime fitted
// (a prefix of a list, or 1 .. p_r with one order per regime).
struct ProfileForm {
    const char* name;
    bool constant;
    bool trend;
    std::vector<int> list;  // the model's lag list; empty: 1 .. order
    std::array<std::vector<int>, 2> regimeLags;
};

constexpr int kMaxOrder = 4;  // the regressions start at t = 3

Split splitFrom(const std::vector<double>& x, double g) {
    Split split;
    for (int t = kMaxOrder - 1; t < static_cast<int>(x.size()); ++t) {
        (x[t - 1] < g ? split.below : split.above).push_back(t);
    }
    return split;
}

testing::RowForm rowFormOf(const ProfileForm& form, int r) {
    return testing::RowForm{form.constant, form.trend, form.regimeLags[r]};
}

double formSsr(const std::vector<double>& x, double g, const ProfileForm& form) {
    const Split split = splitFrom(x, g);
    double ssr = 0.0;
    int r = 0;
    for (const std::vector<int>* times : {&split.below, &split.above}) {
        const testing::RegressionRows rows = testing::rowsAt(x, *times, rowFormOf(form, r++));
        ssr += testing::gramSchmidtFit(rows.design, rows.response).sse;
    }
    return ssr;
}

ReportedModel reportedWithForm(const std::vector<double>& x, double g, const ProfileForm& form) {
    ReportedModel model;
    model.available = true;
    model.delay = 1;
    model.maxOrder = kMaxOrder;
    model.series = x;
    model.constant = form.constant;
    model.trend = form.trend;
    model.lags = form.list;
    model.thresholds = {g};
    model.regimeOfObservation.assign(x.size(), -1);
    model.residuals.assign(x.size(), 0.0);
    const Split split = splitFrom(x, g);
    int r = 0;
    for (const std::vector<int>* times : {&split.below, &split.above}) {
        const testing::RegressionRows rows = testing::rowsAt(x, *times, rowFormOf(form, r));
        const testing::ReferenceFit fit = testing::gramSchmidtFit(rows.design, rows.response);
        RegimeReport regime;
        regime.order = form.regimeLags[r].back();
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

// The profile of every form refits each regime with the model's own columns at the regime's
// own lags: its LR curve equals sums of squares refitted from scratch with those columns, and
// the interval holds the estimate.
TEST(ThresholdInterval, EveryModelFormIsProfiledWithItsOwnRegressions) {
    std::vector<double> x = testing::simulateSetar1(200, 12, 1.0, -1.0, 0.5, 0.4, 0.0, 1.0);
    for (std::size_t t = 0; t < x.size(); ++t) x[t] += 0.005 * static_cast<double>(t);
    const std::vector<ProfileForm> forms{
        {"no constant", false, false, {}, {std::vector<int>{1, 2}, std::vector<int>{1, 2}}},
        {"lags 1, 3", true, false, {1, 3}, {std::vector<int>{1, 3}, std::vector<int>{1, 3}}},
        {"lags 1, 3, orders 2, 1",
         true,
         false,
         {1, 3},
         {std::vector<int>{1, 3}, std::vector<int>{1}}},
        {"trend", true, true, {}, {std::vector<int>{1}, std::vector<int>{1}}},
        {"orders 3, 1", true, false, {}, {std::vector<int>{1, 2, 3}, std::vector<int>{1}}},
        {"trend, orders 1, 2", true, true, {}, {std::vector<int>{1}, std::vector<int>{1, 2}}},
    };
    const int minObs = 20;
    for (const ProfileForm& form : forms) {
        SCOPED_TRACE(form.name);
        std::vector<double> values;
        for (int t = kMaxOrder - 1; t < static_cast<int>(x.size()); ++t) values.push_back(x[t - 1]);
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        std::vector<double> admissible;
        for (double g : values) {
            const Split split = splitFrom(x, g);
            if (static_cast<int>(split.below.size()) >= minObs &&
                static_cast<int>(split.above.size()) >= minObs) {
                admissible.push_back(g);
            }
        }
        double best = admissible.front();
        for (double g : admissible) {
            if (formSsr(x, g, form) < formSsr(x, best, form)) best = g;
        }
        const double bestSsr = formSsr(x, best, form);
        const int n = static_cast<int>(x.size()) - (kMaxOrder - 1);

        const std::vector<ThresholdConfidence> intervals =
            thresholdConfidence(reportedWithForm(x, best, form), 95.0, minObs);
        ASSERT_EQ(intervals.size(), 1u);
        const ThresholdConfidence& interval = intervals[0];
        ASSERT_EQ(interval.curve.values, admissible);
        for (std::size_t j = 0; j < admissible.size(); ++j) {
            const double lr = n * (formSsr(x, admissible[j], form) - bestSsr) / bestSsr;
            EXPECT_NEAR(interval.curve.lr[j], lr, 1e-8 * std::max(1.0, lr)) << admissible[j];
        }
        EXPECT_EQ(interval.curve.lr[interval.curve.optimumIndex], 0.0);
        EXPECT_LE(interval.lower, best);
        EXPECT_GE(interval.upper, best);
        EXPECT_LT(interval.lower, interval.upper);
    }
}

}  // namespace
}  // namespace kavri
