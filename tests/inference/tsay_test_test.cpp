#include "inference/tsay_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "inference/distributions.h"
#include "inference/least_squares_reference.h"

namespace kavri {
namespace {

// Tsay's statistic computed directly: the rows arranged by x[t-d], each predictive residual from
// a fresh Gram-Schmidt fit of all rows before it, (X'X)^-1 = R^-1 R^-T for its leverage.
struct DirectTsay {
    double statistic = 0.0;
    int df1 = 0;
    int df2 = 0;
};

DirectTsay directTsay(const std::vector<double>& x, int firstTime, const testing::RowForm& form,
                      int d) {
    std::vector<int> times(x.size() - firstTime);
    std::iota(times.begin(), times.end(), firstTime);
    std::stable_sort(times.begin(), times.end(), [&](int a, int b) { return x[a - d] < x[b - d]; });
    const int n = static_cast<int>(times.size());
    const int p = static_cast<int>(form.lags.size());
    const int start = n / 10 + p;
    const testing::RegressionRows all = testing::rowsAt(x, times, form);
    const int k = static_cast<int>(all.design.front().size());
    std::vector<double> standardised;
    for (int i = start; i < n; ++i) {
        const std::vector<std::vector<double>> design(all.design.begin(), all.design.begin() + i);
        const std::vector<double> response(all.response.begin(), all.response.begin() + i);
        const testing::ReferenceFit fit = testing::gramSchmidtFit(design, response);
        const std::vector<double>& row = all.design[i];
        double predicted = 0.0;
        for (int c = 0; c < k; ++c) predicted += fit.coefficients[c] * row[c];
        double leverage = 0.0;  // |R^-T x|^2
        for (int c = 0; c < k; ++c) {
            double v = 0.0;
            for (int a = 0; a <= c; ++a) v += fit.rInverse[a][c] * row[a];
            leverage += v * v;
        }
        standardised.push_back((all.response[i] - predicted) / std::sqrt(1.0 + leverage));
    }
    const std::vector<std::vector<double>> tail(all.design.begin() + start, all.design.end());
    const double residual = testing::gramSchmidtFit(tail, standardised).sse;
    double total = 0.0;
    for (double e : standardised) total += e * e;
    DirectTsay direct;
    direct.df1 = k;
    direct.df2 = n - start - k;
    direct.statistic = ((total - residual) / direct.df1) / (residual / direct.df2);
    return direct;
}

TEST(TsayTest, EqualsTheDirectComputation) {
    const std::vector<double> x = testing::simulateSetar1(120, 31, -0.6, 0.5, 0.3, -0.4, 0.0, 0.7);
    for (int delay : {1, 2}) {
        const ArrangedSample sample(x.data(), 120, 2, 2, delay);
        const TsayTest test = tsayTest(sample);
        const DirectTsay direct = directTsay(x, 2, testing::RowForm{true, false, {1, 2}}, delay);
        ASSERT_TRUE(test.available);
        EXPECT_EQ(test.startRows, 118 / 10 + 2);
        EXPECT_EQ(test.df1, direct.df1);
        EXPECT_EQ(test.df2, direct.df2);
        EXPECT_NEAR(test.statistic, direct.statistic, 1e-9 * direct.statistic);
        EXPECT_NEAR(*test.pValue, *fisherUpperTail(direct.statistic, direct.df1, direct.df2),
                    1e-9 * *test.pValue);
    }
}

// The regressions of another model form: the predictive residuals and their regression take
// the form's columns, and the first degrees of freedom count them (the lags, plus the trend,
// minus the constant left out).
TEST(TsayTest, EqualsTheDirectComputationForEveryModelForm) {
    std::vector<double> x = testing::simulateSetar1(120, 33, -0.6, 0.5, 0.3, -0.4, 0.0, 0.7);
    for (std::size_t t = 0; t < x.size(); ++t) x[t] += 2.0 + 0.02 * static_cast<double>(t);
    const std::vector<testing::RowForm> forms{{true, false, {1, 3}},
                                              {false, false, {1, 2}},
                                              {false, false, {2, 3}},
                                              {true, true, {1, 2}},
                                              {true, true, {1, 3}}};
    for (const testing::RowForm& form : forms) {
        SCOPED_TRACE(form.lags.back() + 10 * form.constant + 100 * form.trend);
        const ArrangedSample sample(x.data(), 120, 3,
                                    TestRegressors{form.constant, form.trend, form.lags}, 2);
        const TsayTest test = tsayTest(sample);
        const DirectTsay direct = directTsay(x, 3, form, 2);
        ASSERT_TRUE(test.available);
        EXPECT_EQ(test.df1, static_cast<int>(form.lags.size()) + form.constant + form.trend);
        EXPECT_EQ(test.df1, direct.df1);
        EXPECT_EQ(test.df2, direct.df2);
        EXPECT_NEAR(test.statistic, direct.statistic, 1e-9 * direct.statistic);
    }
}

TEST(TsayTest, UnavailableWithoutRowsBeyondTheRecursionStart) {
    const std::vector<double> x = testing::simulateSetar1(12, 32, 0.0, 0.0, 0.5, 0.5, 0.0, 1.0);
    const ArrangedSample sample(x.data(), 12, 2, 2, 1);  // 10 rows, start 3, 7 left for 3 + 1
    EXPECT_TRUE(tsayTest(sample).available);
    // 5 rows: the recursion needs at least 3 to start, which leaves at most 2 for 3 coefficients.
    const ArrangedSample shorter(x.data(), 7, 2, 2, 1);
    EXPECT_FALSE(tsayTest(shorter).available);
}

}  // namespace
}  // namespace kavri
