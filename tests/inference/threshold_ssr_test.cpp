#include "inference/threshold_ssr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "inference/cross_product_regression.h"
#include "inference/least_squares_reference.h"
#include "inference/linearity_tests.h"

namespace kavri {
namespace {

constexpr double kRelative = 1e-9;

// The sup-F minima by brute force: every pair of observed values g1 < g2 of the threshold
// variable as thresholds, regimes chosen by comparing x[t-d] with them, each regime's SSR from
// its own Gram-Schmidt fit.
struct BruteForce {
    double linear = 0.0;
    double one = std::numeric_limits<double>::infinity();
    double two = std::numeric_limits<double>::infinity();
    std::vector<double> oneThreshold;
    std::vector<double> twoThresholds;
};

BruteForce bruteForce(const std::vector<double>& x, int firstTime, const testing::RowForm& form,
                      int d, int minRows) {
    const int n = static_cast<int>(x.size());
    std::vector<int> all;
    std::vector<double> candidates;
    for (int t = firstTime; t < n; ++t) {
        all.push_back(t);
        candidates.push_back(x[t - d]);
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    auto ssr = [&](const std::vector<int>& times) {
        const testing::RegressionRows rows = testing::rowsAt(x, times, form);
        return testing::gramSchmidtFit(rows.design, rows.response).sse;
    };
    auto regimes = [&](const std::vector<double>& thresholds) {
        std::vector<std::vector<int>> split(thresholds.size() + 1);
        for (int t : all) {
            std::size_t r = 0;
            while (r < thresholds.size() && x[t - d] >= thresholds[r]) ++r;
            split[r].push_back(t);
        }
        return split;
    };
    auto admissible = [&](const std::vector<std::vector<int>>& split) {
        return std::all_of(split.begin(), split.end(), [&](const std::vector<int>& regime) {
            return static_cast<int>(regime.size()) >= minRows;
        });
    };
    BruteForce result;
    result.linear = ssr(all);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const auto split = regimes({candidates[i]});
        if (admissible(split)) {
            const double total = ssr(split[0]) + ssr(split[1]);
            if (total < result.one) {
                result.one = total;
                result.oneThreshold = {candidates[i]};
            }
        }
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            const auto split3 = regimes({candidates[i], candidates[j]});
            if (!admissible(split3)) continue;
            const double total = ssr(split3[0]) + ssr(split3[1]) + ssr(split3[2]);
            if (total < result.two) {
                result.two = total;
                result.twoThresholds = {candidates[i], candidates[j]};
            }
        }
    }
    return result;
}

// The tests' rows of the settings' form, as the brute force builds them: the order's first
// lags of the list (or 1 .. order), the constant and the trend as set.
testing::RowForm rowFormOf(const LinearityTestSettings& settings) {
    testing::RowForm form{settings.constant, settings.trend, {}};
    for (int k = 0; k < settings.order; ++k) {
        form.lags.push_back(settings.lags.empty() ? k + 1 : settings.lags[k]);
    }
    return form;
}

void expectSupFEqualsBruteForce(const std::vector<double>& x,
                                const LinearityTestSettings& settings) {
    const LinearityTests tests = runLinearityTests(x.data(), static_cast<int>(x.size()), settings);
    const BruteForce brute =
        bruteForce(x, tests.firstTime, rowFormOf(settings), settings.delay, tests.minRows);
    const double n = tests.observations;
    auto f = [n](double null, double alternative) {
        return n * (null - alternative) / alternative;
    };

    ASSERT_TRUE(tests.oneVsTwo.available && tests.oneVsThree.available &&
                tests.twoVsThree.available);
    EXPECT_NEAR(tests.oneVsTwo.ssrNull, brute.linear, kRelative * brute.linear);
    EXPECT_NEAR(tests.oneVsTwo.statistic, f(brute.linear, brute.one),
                kRelative * f(brute.linear, brute.one));
    EXPECT_NEAR(tests.oneVsThree.statistic, f(brute.linear, brute.two),
                kRelative * f(brute.linear, brute.two));
    EXPECT_NEAR(tests.twoVsThree.statistic, f(brute.one, brute.two),
                kRelative * f(brute.one, brute.two));
    EXPECT_EQ(tests.oneVsTwo.thresholds, brute.oneThreshold);
    EXPECT_EQ(tests.oneVsThree.thresholds, brute.twoThresholds);
}

void expectSupFEqualsBruteForce(const std::vector<double>& x, int maxOrder, int order, int delay,
                                int minObs) {
    LinearityTestSettings settings;
    settings.order = order;
    settings.delay = delay;
    settings.maxOrder = maxOrder;
    settings.minObs = minObs;
    settings.replicates = 0;
    expectSupFEqualsBruteForce(x, settings);
}

TEST(SupFStatistics, EqualBruteForceOverEveryThresholdPair) {
    const std::vector<double> x = testing::simulateSetar1(70, 11, -0.5, 0.4, 0.6, -0.2, 0.1, 0.6);
    expectSupFEqualsBruteForce(x, 3, 2, 1, 10);
    expectSupFEqualsBruteForce(x, 4, 1, 3, 12);  // delay beyond the order: the sample starts at 3
}

// Every model form: the null and the alternatives regress on the form's columns, uncentred in
// the brute force, so that a sample shifted without a constant, a trend counted from another
// origin or a lag of the list missed would show. The series sits far from zero, where a shift
// matters most to a model without a constant.
TEST(SupFStatistics, EqualBruteForceForEveryModelForm) {
    std::vector<double> x = testing::simulateSetar1(72, 13, -0.5, 0.4, 0.6, -0.2, 0.1, 0.6);
    for (std::size_t t = 0; t < x.size(); ++t) x[t] += 3.0 + 0.01 * static_cast<double>(t);
    struct Form {
        const char* name;
        bool constant;
        bool trend;
        std::vector<int> lags;
        int order;
        int firstTime;  // max(maxOrder - 1, the highest lag used, delay)
        int minRows;    // max(minObs, the coefficients + 1)
    };
    const std::vector<Form> forms{
        {"lags 1, 3", true, false, {1, 3}, 2, 4, 10},
        {"first lag of 2, 4", true, false, {2, 4}, 1, 4, 10},
        {"no constant", false, false, {}, 2, 4, 10},
        {"no constant, lags 2, 3", false, false, {2, 3}, 2, 4, 10},
        {"trend", true, true, {}, 3, 4, 10},
        {"trend, lags 1, 4", true, true, {1, 4}, 2, 4, 10},
        {"trend, few rows", true, true, {1, 4}, 2, 4, 5},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        LinearityTestSettings settings;
        settings.maxOrder = 5;
        settings.order = form.order;
        settings.delay = 2;
        settings.minObs = form.minRows == 5 ? 3 : 10;  // 3: below the coefficients + 1
        settings.replicates = 0;
        settings.constant = form.constant;
        settings.trend = form.trend;
        settings.lags = form.lags;
        const LinearityTests tests =
            runLinearityTests(x.data(), static_cast<int>(x.size()), settings);
        EXPECT_EQ(tests.firstTime, form.firstTime);
        EXPECT_EQ(tests.minRows, form.minRows);
        expectSupFEqualsBruteForce(x, settings);
    }
}

// Rounded to one decimal, the threshold variable repeats values: no threshold can separate
// equal values, so the admissible splits are fewer than the rows.
TEST(SupFStatistics, EqualBruteForceWhenTheThresholdVariableHasTies) {
    std::vector<double> x = testing::simulateSetar1(80, 5, -0.5, 0.4, 0.6, -0.2, 0.1, 0.6);
    for (double& v : x) v = std::round(v * 10.0) / 10.0;
    expectSupFEqualsBruteForce(x, 3, 2, 2, 10);
}

TEST(SupFStatistics, NoAdmissibleThresholdWhenTheRegimesCannotHoldMinRows) {
    const std::vector<double> x = testing::simulateSetar1(60, 3, 0.0, 0.0, 0.5, 0.5, 0.0, 1.0);
    const ArrangedSample sample(x.data(), 60, 2, 2, 1);  // 58 rows
    const ThresholdFits fits = fitThresholds(sample, 20, 2);
    EXPECT_TRUE(fits.oneThreshold.found);
    EXPECT_FALSE(fits.twoThresholds.found);  // three regimes of 20 need 60 rows
}

// A lag column that equals the constant column (all lagged values the same) adds nothing: the
// minimum SSR is that of the regression without it, not a failure.
TEST(CrossProductRegression, DependentColumnIsSkippedInTheResidualSum) {
    CrossProductRegression withColumn(3);
    CrossProductRegression without(2);
    const double responses[] = {1.0, 2.5, 2.0, 4.5, 3.0};
    for (int i = 0; i < 5; ++i) {
        const double lag = 0.5 * i - 1.0;
        const double row3[] = {1.0, -0.25, lag, responses[i]};
        const double row2[] = {1.0, lag, responses[i]};
        withColumn.append(row3);
        without.append(row2);
    }
    EXPECT_NEAR(withColumn.residualSum(), without.residualSum(), 1e-12);
    double b[3];
    EXPECT_FALSE(withColumn.solve(b));
}

}  // namespace
}  // namespace kavri
