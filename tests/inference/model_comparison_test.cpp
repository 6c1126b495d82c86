#include "inference/model_comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "inference/least_squares_reference.h"
#include "model/notices.h"
#include "numeric/thread_count.h"

namespace kavri {
namespace {

constexpr double kRelative = 1e-9;

struct RegimeChoice {
    int order = 0;
    double aic = std::numeric_limits<double>::infinity();
    std::vector<double> coefficients;
};

// Orders 1 .. maxOrder-1 by AIC m ln(SSE / m) + 2 (p + 1), each fitted by Gram-Schmidt;
// "relative" stops at the first order that does not improve.
RegimeChoice chooseOrder(const std::vector<double>& x, const std::vector<int>& times, int maxOrder,
                         bool relative) {
    RegimeChoice best;
    for (int p = 1; p < maxOrder; ++p) {
        const testing::RegressionRows rows = testing::rowsAt(x, times, p);
        const testing::ReferenceFit fit = testing::gramSchmidtFit(rows.design, rows.response);
        const double m = static_cast<double>(times.size());
        const double aic = m * std::log(fit.sse / m) + 2.0 * (p + 1);
        if (aic < best.aic) {
            best = RegimeChoice{p, aic, fit.coefficients};
        } else if (relative) {
            break;
        }
    }
    return best;
}

RunSettings exchangeRateSettings() {
    RunSettings settings;
    applyRunDefaults(settings);  // 450 + 50 values, maxOrder 4, 4 regimes, minObs 30, Relative
    return settings;
}

TEST(ModelComparison, EveryRowUsesTheSameObservations) {
    const std::vector<double> x = testing::exchangeRateReturns();
    const Result<ModelComparison> comparison = compareModels(exchangeRateSettings(), x);
    ASSERT_TRUE(comparison.ok());
    const ModelComparison& table = comparison.value();
    EXPECT_EQ(table.firstTime, 10);
    EXPECT_EQ(table.observations, 440);
    ASSERT_EQ(table.rows.size(), 1u + 3u * 10u);
    for (const ComparisonRow& row : table.rows) {
        ASSERT_TRUE(row.available) << row.regimes << " regimes, delay " << row.delay;
        EXPECT_EQ(row.observations, 440) << row.regimes << " regimes, delay " << row.delay;
        EXPECT_EQ(row.thresholds.size() + 1, static_cast<std::size_t>(row.regimes));
    }
    for (auto [best, value] : {std::pair{table.bestAic, &ComparisonRow::aic},
                               std::pair{table.bestBic, &ComparisonRow::bic},
                               std::pair{table.bestSse, &ComparisonRow::sse}}) {
        for (const ComparisonRow& row : table.rows) {
            EXPECT_LE(table.rows[best].*value, row.*value);
        }
    }
}

TEST(ModelComparison, OneRegimeRowIsTheAutoregressionOfTheCommonSample) {
    const std::vector<double> x = testing::exchangeRateReturns();
    const ModelComparison table = compareModels(exchangeRateSettings(), x).value();
    const ComparisonRow& row = table.rows[0];
    ASSERT_EQ(row.regimes, 1);
    EXPECT_EQ(row.delay, 0);
    std::vector<int> times;
    for (int t = 10; t < 450; ++t) times.push_back(t);
    const RegimeChoice choice = chooseOrder(x, times, 4, true);
    ASSERT_EQ(row.orders, std::vector<int>{choice.order});
    const double aic = choice.aic + 0.018 * 440;
    EXPECT_NEAR(row.aic, aic, kRelative * std::fabs(aic));
    const int k = choice.order + 1;
    const double bic = aic - 2.0 * k + std::log(440.0) * k;
    EXPECT_NEAR(row.bic, bic, kRelative * std::fabs(bic));
    double squaredErrors = 0.0;
    for (int t = 450; t < 500; ++t) {
        double forecast = choice.coefficients[0];
        for (int lag = 1; lag <= choice.order; ++lag)
            forecast += choice.coefficients[lag] * x[t - lag];
        squaredErrors += (x[t] - forecast) * (x[t] - forecast);
    }
    EXPECT_NEAR(*row.mse, squaredErrors / 50.0, kRelative * squaredErrors / 50.0);
}

// The one-regime row of another form is the autoregression of that form on the common sample:
// lags 1 and 3 without a constant, lags 1 .. p with a trend (t + 1 for x[t]), each order chosen
// by AIC counting every coefficient, its BIC and held-out forecasts by an independent fit.
TEST(ModelComparison, OneRegimeRowFitsTheModelsForm) {
    const std::vector<double> x = testing::exchangeRateReturns();
    struct Case {
        bool constant;
        bool trend;
        std::vector<int> lags;  // empty: 1 .. p
    };
    for (const Case& c : {Case{false, false, {1, 3}}, Case{true, true, {}}}) {
        RunSettings settings = exchangeRateSettings();
        settings.ga.criterion = kCriterionAbsolute;
        settings.form.constant = c.constant;
        settings.form.trend = c.trend;
        settings.form.nLags = static_cast<int>(c.lags.size());
        std::copy(c.lags.begin(), c.lags.end(), settings.form.lags.begin());
        const ModelComparison table = compareModels(settings, x).value();
        const ComparisonRow& row = table.rows[0];
        ASSERT_EQ(row.regimes, 1);

        const int orders = c.lags.empty() ? 3 : static_cast<int>(c.lags.size());
        double bestAic = std::numeric_limits<double>::infinity();
        int bestOrder = 0;
        int bestK = 0;
        std::vector<double> bestB;
        const auto designRow = [&](int t, int p) {
            std::vector<double> design;
            if (c.constant) design.push_back(1.0);
            if (c.trend) design.push_back(t + 1.0);
            for (int k = 1; k <= p; ++k)
                design.push_back(x[t - (c.lags.empty() ? k : c.lags[k - 1])]);
            return design;
        };
        for (int p = 1; p <= orders; ++p) {
            std::vector<std::vector<double>> design;
            std::vector<double> response;
            for (int t = 10; t < 450; ++t) {
                design.push_back(designRow(t, p));
                response.push_back(x[t]);
            }
            const testing::ReferenceFit fit = testing::gramSchmidtFit(design, response);
            const int k = static_cast<int>(design.front().size());
            const double aic = 440.0 * std::log(fit.sse / 440.0) + 2.0 * k;
            if (aic < bestAic) {
                bestAic = aic;
                bestOrder = c.lags.empty() ? p : c.lags[p - 1];
                bestK = k;
                bestB = fit.coefficients;
            }
        }
        ASSERT_EQ(row.orders, std::vector<int>{bestOrder});
        const double aic = bestAic + 0.018 * 440;
        EXPECT_NEAR(row.aic, aic, kRelative * std::fabs(aic));
        const double bic = aic - 2.0 * bestK + std::log(440.0) * bestK;
        EXPECT_NEAR(row.bic, bic, kRelative * std::fabs(bic));
        double squaredErrors = 0.0;
        for (int t = 450; t < 500; ++t) {
            const std::vector<double> design = designRow(
                t, static_cast<int>(bestB.size()) - (c.constant ? 1 : 0) - (c.trend ? 1 : 0));
            double forecast = 0.0;
            for (std::size_t j = 0; j < design.size(); ++j) forecast += bestB[j] * design[j];
            squaredErrors += (x[t] - forecast) * (x[t] - forecast);
        }
        EXPECT_NEAR(*row.mse, squaredErrors / 50.0, kRelative * squaredErrors / 50.0);
    }
}

// Two regimes at delay 3 against every observed value as the threshold, regimes by comparing
// x[t-3] with it over the common sample t = 10 .. 79.
TEST(ModelComparison, TwoRegimeRowIsTheBestSingleThreshold) {
    const std::vector<double> x = testing::simulateSetar1(80, 41, -0.8, 0.6, 0.2, -0.5, 0.0, 0.5);
    RunSettings settings = exchangeRateSettings();
    settings.model.nObservations = 80;
    settings.model.nPredictions = 0;
    settings.model.maxOrder = 3;
    settings.model.maxRegimes = 2;
    settings.model.minObs = 20;
    settings.ga.criterion = kCriterionAbsolute;
    const ModelComparison table = compareModels(settings, x).value();
    ASSERT_EQ(table.rows.size(), 11u);
    const ComparisonRow& row = table.rows[3];
    ASSERT_EQ(row.delay, 3);
    EXPECT_FALSE(row.mse.has_value());

    std::vector<double> candidates(x.begin() + 7, x.end());
    std::sort(candidates.begin(), candidates.end());
    double bestAic = std::numeric_limits<double>::infinity();
    double bestThreshold = 0.0;
    std::vector<int> bestOrders;
    for (double threshold : candidates) {
        std::vector<int> lower;
        std::vector<int> upper;
        for (int t = 10; t < 80; ++t) (x[t - 3] < threshold ? lower : upper).push_back(t);
        if (lower.size() < 20 || upper.size() < 20) continue;
        const RegimeChoice a = chooseOrder(x, lower, 3, false);
        const RegimeChoice b = chooseOrder(x, upper, 3, false);
        if (a.aic + b.aic < bestAic) {
            bestAic = a.aic + b.aic;
            bestThreshold = threshold;
            bestOrders = {a.order, b.order};
        }
    }
    EXPECT_EQ(row.thresholds, std::vector<double>{bestThreshold});
    EXPECT_EQ(row.orders, bestOrders);
    EXPECT_NEAR(row.aic, bestAic + 0.018 * 70, kRelative * std::fabs(bestAic));
}

TEST(ModelComparison, NoOrderToTryIsANotice) {
    RunSettings settings = exchangeRateSettings();
    settings.model.maxOrder = 1;
    const Result<ModelComparison> comparison =
        compareModels(settings, testing::exchangeRateReturns());
    ASSERT_FALSE(comparison.ok());
    EXPECT_EQ(comparison.notice(), noEffectiveObservationsNotice());
}

}  // namespace
}  // namespace kavri

namespace kavri {
namespace {

// One delay of the table alone is that delay's rows of the whole table; with M candidates
// every threshold is a value at one of M evenly spaced ranks of the common sample's view, and
// no row beats the exhaustive one of its number of regimes and delay.
TEST(ModelComparison, OneDelayAndThinnedCandidatesAgreeWithTheWholeTable) {
    const std::vector<double> x = testing::exchangeRateReturns();
    RunSettings settings = exchangeRateSettings();
    settings.model.maxRegimes = 3;
    const ModelComparison whole = compareModels(settings, x).value();
    ComparisonOptions one;
    one.delay = 4;
    int calls = 0;
    one.progress = [&calls](int done, int total) {
        ++calls;
        EXPECT_EQ(done, 1);
        EXPECT_EQ(total, 1);
    };
    const ModelComparison delay4 = compareModels(settings, x, one).value();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(delay4.everyValue);
    ASSERT_EQ(delay4.rows.size(), 3u);  // 1, 2 and 3 regimes
    for (const ComparisonRow& row : delay4.rows) {
        const auto same = std::find_if(whole.rows.begin(), whole.rows.end(), [&](const auto& r) {
            return r.regimes == row.regimes && r.delay == row.delay;
        });
        ASSERT_NE(same, whole.rows.end());
        EXPECT_EQ(row.thresholds, same->thresholds);
        // The one-regime row sums the same rows in another rank order.
        EXPECT_NEAR(row.aic, same->aic, 1e-12 * std::fabs(same->aic));
    }

    ComparisonOptions thinned;
    thinned.candidates = 40;
    const ModelComparison few = compareModels(settings, x, thinned).value();
    EXPECT_FALSE(few.everyValue);
    EXPECT_EQ(few.candidates, 40);
    ASSERT_EQ(few.rows.size(), whole.rows.size());
    for (std::size_t i = 0; i < few.rows.size(); ++i) {
        if (!few.rows[i].available) continue;
        EXPECT_GE(few.rows[i].aic, whole.rows[i].aic - 1e-9 * std::fabs(whole.rows[i].aic));
    }
}

}  // namespace
}  // namespace kavri

namespace kavri {
namespace {

// The share reported rises to 1 and changes nothing; a false answer ends the comparison,
// marked incomplete and without rows, and it is not asked again.
TEST(ModelComparison, SharesOfTheWorkRiseToOneAndAStopEndsItIncomplete) {
    const std::vector<double> x = testing::exchangeRateReturns();
    RunSettings settings = exchangeRateSettings();
    settings.model.maxRegimes = 3;
    const ModelComparison plain = compareModels(settings, x).value();
    std::vector<double> shares;
    std::vector<int> delaysDone;
    ComparisonOptions watched;
    watched.keepGoing = [&shares](double share) {
        shares.push_back(share);
        return true;
    };
    watched.progress = [&delaysDone](int done, int total) {
        EXPECT_EQ(total, 10);
        delaysDone.push_back(done);
    };
    const ModelComparison reported = compareModels(settings, x, watched).value();
    EXPECT_TRUE(reported.completed);
    ASSERT_EQ(reported.rows.size(), plain.rows.size());
    for (std::size_t i = 0; i < plain.rows.size(); ++i) {
        EXPECT_EQ(reported.rows[i].thresholds, plain.rows[i].thresholds);
        EXPECT_EQ(reported.rows[i].aic, plain.rows[i].aic);
    }
    EXPECT_EQ(delaysDone, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_GE(shares.size(), 2u);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_GE(shares.front(), 0.0);
    EXPECT_EQ(shares.back(), 1.0);

    int asked = 0;
    ComparisonOptions stopping;
    stopping.keepGoing = [&asked](double) {
        ++asked;
        return false;
    };
    const Result<ModelComparison> stopped = compareModels(settings, x, stopping);
    ASSERT_TRUE(stopped.ok());
    EXPECT_FALSE(stopped.value().completed);
    EXPECT_TRUE(stopped.value().rows.empty());
    EXPECT_EQ(asked, 1);
}

// The delays are spread over the threads allowed; one thread gives the same rows to the bit.
TEST(ModelComparison, OneThreadAndEveryThreadGiveTheSameRows) {
    const std::vector<double> x = testing::exchangeRateReturns();
    RunSettings settings = exchangeRateSettings();
    settings.model.maxRegimes = 3;
    const ModelComparison spread = compareModels(settings, x).value();
    ModelComparison alone;
    {
        const ThreadLimitScope oneThread(1);
        alone = compareModels(settings, x).value();
    }
    ASSERT_EQ(alone.rows.size(), spread.rows.size());
    for (std::size_t i = 0; i < spread.rows.size(); ++i) {
        EXPECT_EQ(alone.rows[i].regimes, spread.rows[i].regimes);
        EXPECT_EQ(alone.rows[i].delay, spread.rows[i].delay);
        EXPECT_EQ(alone.rows[i].thresholds, spread.rows[i].thresholds);
        EXPECT_EQ(alone.rows[i].orders, spread.rows[i].orders);
        EXPECT_EQ(alone.rows[i].aic, spread.rows[i].aic);
        EXPECT_EQ(alone.rows[i].bic, spread.rows[i].bic);
        EXPECT_EQ(alone.rows[i].mse, spread.rows[i].mse);
    }
    EXPECT_EQ(alone.bestAic, spread.bestAic);
    EXPECT_EQ(alone.bestBic, spread.bestBic);
}

}  // namespace
}  // namespace kavri
