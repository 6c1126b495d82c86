#include "inference/residual_bootstrap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "inference/least_squares_reference.h"

namespace kavri {
namespace {

// The null models fitted to the arranged sample of every form: their one-step equation, as the
// regeneration applies it, gives at each time of the sample the fitted value of an independent
// uncentred least-squares fit of that regime (Gram-Schmidt on the form's columns), and their
// residuals are that fit's, centred.
TEST(ResidualBootstrap, NullModelsOfEveryFormAreTheLeastSquaresFits) {
    std::vector<double> x = testing::simulateSetar1(90, 61, -0.5, 0.4, 0.6, -0.2, 0.1, 0.6);
    for (std::size_t t = 0; t < x.size(); ++t) x[t] += 2.0 + 0.01 * static_cast<double>(t);
    const int n = static_cast<int>(x.size());
    const int firstTime = 4;
    const int delay = 1;
    for (const testing::RowForm& form :
         {testing::RowForm{true, false, {1, 3}}, testing::RowForm{false, false, {1, 2}},
          testing::RowForm{true, true, {2, 4}}, testing::RowForm{true, false, {1, 2, 3}}}) {
        SCOPED_TRACE(static_cast<int>(form.lags.size()) * 100 + form.constant * 10 + form.trend);
        const ArrangedSample sample(x.data(), n, firstTime,
                                    TestRegressors{form.constant, form.trend, form.lags}, delay);
        for (int split : {-1, 40}) {
            const std::optional<NullModel> model = fitNullModel(sample, delay, split);
            ASSERT_TRUE(model.has_value());
            ASSERT_EQ(model->order, form.lags.back());
            ASSERT_EQ(model->regimes, split < 0 ? 1 : 2);
            const double threshold = split < 0 ? 0.0 : sample.thresholdVariable(split);
            EXPECT_EQ(model->threshold, threshold);
            std::vector<double> expectedResiduals;
            for (int r = 0; r < model->regimes; ++r) {
                std::vector<int> times;
                for (int t = firstTime; t < n; ++t) {
                    if (model->regimes == 1 || (x[t - delay] >= threshold) == (r == 1)) {
                        times.push_back(t);
                    }
                }
                std::sort(times.begin(), times.end(), [&](int a, int b) {
                    return x[a - delay] < x[b - delay] || (x[a - delay] == x[b - delay] && a < b);
                });
                const testing::RegressionRows rows = testing::rowsAt(x, times, form);
                const testing::ReferenceFit fit =
                    testing::gramSchmidtFit(rows.design, rows.response);
                const std::vector<double>& b = model->coefficients[r];
                for (std::size_t i = 0; i < times.size(); ++i) {
                    const int t = times[i];
                    double value = model->centre + b[0];
                    for (int k = 1; k <= model->order; ++k) {
                        value += b[k] * (x[t - k] - model->centre);
                    }
                    if (model->trend) {
                        value += model->trendSlopes[r] * (t + 1 - model->trendCentre);
                    }
                    EXPECT_NEAR(value, x[t] - fit.residuals[i], 1e-9) << t;
                }
                // A lag left out of the form has no coefficient.
                for (int k = 1; k <= model->order; ++k) {
                    if (std::find(form.lags.begin(), form.lags.end(), k) == form.lags.end()) {
                        EXPECT_EQ(b[k], 0.0);
                    }
                }
                if (!form.constant) {
                    EXPECT_EQ(b[0], 0.0);
                    EXPECT_EQ(model->centre, 0.0);
                }
                expectedResiduals.insert(expectedResiduals.end(), fit.residuals.begin(),
                                         fit.residuals.end());
            }
            double mean = 0.0;
            for (double e : expectedResiduals)
                mean += e / static_cast<double>(expectedResiduals.size());
            ASSERT_EQ(model->residuals.size(), expectedResiduals.size());
            for (std::size_t i = 0; i < expectedResiduals.size(); ++i) {
                EXPECT_NEAR(model->residuals[i], expectedResiduals[i] - mean, 1e-9);
            }
        }
    }
}

// A two-regime null with lags 1 and 4 (0 at lags 2 and 3) and a trend, driven by a single
// residual of 0: the regenerated series is the model's own recursion from the observed start,
// each regime chosen by the regenerated lag at the delay, the trend continuing with the
// observation's number t + 1 around its centre.
TEST(ResidualBootstrap, RegeneratesTheRecursionOfTheNullsForm) {
    NullModel model;
    model.order = 4;
    model.delay = 2;
    model.regimes = 2;
    model.threshold = 0.9;
    model.centre = 0.7;
    model.coefficients[0] = {0.3, 0.5, 0.0, 0.0, -0.2};
    model.coefficients[1] = {-0.1, 0.2, 0.0, 0.0, 0.4};
    model.trend = true;
    model.trendCentre = 20.5;
    model.trendSlopes = {0.01, -0.02};
    model.residuals = {0.0};
    const int n = 40;
    const int firstTime = 4;
    std::vector<double> x(n);
    for (int t = 0; t < n; ++t) x[t] = 0.1 * t - 0.3 * (t % 3);
    ReplicateRandom random(1, 1, 0);
    std::vector<double> out;
    regenerateSeries(model, x.data(), n, firstTime, random, out);

    std::vector<double> expected(x.begin(), x.begin() + firstTime);
    for (int t = firstTime; t < n; ++t) {
        const int r = expected[t - 2] >= 0.9 ? 1 : 0;
        const std::vector<double>& b = model.coefficients[r];
        expected.push_back(0.7 + b[0] + b[1] * (expected[t - 1] - 0.7) +
                           b[4] * (expected[t - 4] - 0.7) + model.trendSlopes[r] * (t + 1 - 20.5));
    }
    ASSERT_EQ(out.size(), expected.size());
    int upper = 0;
    for (int t = 0; t < n; ++t) {
        EXPECT_NEAR(out[t], expected[t], 1e-12) << t;
        upper += t >= firstTime && expected[t - 2] >= 0.9;
    }
    EXPECT_GT(upper, 3);  // both regimes are visited
    EXPECT_LT(upper, n - firstTime - 3);
}

}  // namespace
}  // namespace kavri
