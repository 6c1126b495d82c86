#include "estimation/exact_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "estimation/range_qr.h"
#include "estimation/regime_estimation.h"
#include "estimation/series_statistics.h"
#include "genetic/candidates.h"
#include "model/notices.h"
#include "report/predictions_file.h"
#include "run/chromosome_evaluation.h"
#include "support/memory_file_system.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

using testing::MemoryFileSystem;
using testing::Noise;

// The search scores ranges from an orthogonal factorisation; the chromosome evaluation inverts
// the cross-product matrix by Gauss-Jordan and sums the residuals. On these well-conditioned
// series the two agree to about 1e-13; 1e-9 relative leaves room without hiding a wrong range,
// order or forecast, any of which moves the fitness far more.
constexpr double kAgreement = 1e-9;

// Three regimes chosen by x[t - delay], each with its own AR equation, plus uniform noise.
std::vector<double> thresholdSeries(int length, std::uint32_t seed, int delay) {
    Noise noise(seed);
    std::vector<double> x(length);
    for (int t = 0; t < length; ++t) {
        if (t < 3) {
            x[t] = noise.next();
            continue;
        }
        const double z = x[t - delay];
        double mean;
        if (z < -0.15) {
            mean = 0.2 + 0.6 * x[t - 1] - 0.3 * x[t - 2];
        } else if (z < 0.2) {
            mean = -0.5 * x[t - 1];
        } else {
            mean = -0.1 + 0.3 * x[t - 1] + 0.25 * x[t - 3];
        }
        x[t] = mean + 0.6 * noise.next();
    }
    return x;
}

// The same with a run of exact zeros: a regime made only of their ranks has an all-zero lag
// column, so its fit is singular, and the equal values test ties at a threshold.
std::vector<double> seriesWithZeros(int length, std::uint32_t seed) {
    std::vector<double> x = thresholdSeries(length, seed, 1);
    for (int t = 10; t < 40; t += 3) {
        x[t] = 0.0;
    }
    return x;
}

struct Problem {
    std::vector<double> x;
    RunSettings settings;
    IVector sortOrder;
    DVector sortedSeries;

    Problem(std::vector<double> series, int n, int nPredictions, int maxOrder, int delay,
            int maxRegimes, int minObs)
        : x(std::move(series)), sortOrder(ivector(0, n)), sortedSeries(dvector(0, n)) {
        ModelParameters& model = settings.model;
        model.nObservations = n;
        model.nPredictions = nPredictions;
        model.maxOrder = maxOrder;
        model.delay = delay;
        model.maxRegimes = maxRegimes;
        model.minObs = minObs;
        settings.ga.adjustingConstant = 1.0;
        settings.ga.printResiduals = kPrintResidualsNo;
        rankCandidates(x.data(), n, sortOrder, sortedSeries);
    }

    int n() const { return settings.model.nObservations; }

    Result<ExactOptimum> search() const {
        return findExactOptimum(settings, x.data(), sortedSeries.data(), sortOrder.data(),
                                settings.model.delay);
    }
};

// Every chromosome that the validity check accepts (and the one without thresholds), in the
// order of the tie rule: fewer thresholds first, then lexicographically lower positions.
struct Enumerated {
    double fitness = -1.0;
    std::vector<int> positions;
    int nValid = 0;
};

// `allowed`: when given, only chromosomes whose set genes all lie among these ranks.
Enumerated bestByEnumeration(const Problem& problem, const std::vector<int>* allowed = nullptr) {
    const ModelParameters& model = problem.settings.model;
    const int n = problem.n();
    MemoryFileSystem files;
    ResultTexts texts;
    SilentObserver observer;
    const EvaluationContext context{problem.settings, texts, observer, {{}, &files}, nullptr};
    Enumerated best;
    std::vector<int> genes(n, 0);
    std::vector<int> positions;

    auto consider = [&]() {
        if (!positions.empty() &&
            checkChromosome(genes.data(), problem.sortOrder.data(), model.delay, n,
                            model.maxRegimes, model.minObs, model.maxOrder) != kChromosomeValid) {
            return;
        }
        ++best.nValid;
        Result<double> f =
            evaluateChromosome(context, problem.x.data(), genes.data(), problem.sortOrder.data(), n,
                               model.maxOrder, model.delay, 0);
        ASSERT_TRUE(f.ok());
        if (f.value() > best.fitness) {
            best.fitness = f.value();
            best.positions = positions;
        }
    };
    // Depth-first over increasing positions visits each threshold count in lexicographic order.
    auto extend = [&](auto&& self, int from, int remaining) -> void {
        if (remaining == 0) {
            consider();
            return;
        }
        for (int p = from; p < n; ++p) {
            if (allowed != nullptr &&
                std::find(allowed->begin(), allowed->end(), p) == allowed->end()) {
                continue;
            }
            genes[p] = 1;
            positions.push_back(p);
            self(self, p + 1, remaining - 1);
            positions.pop_back();
            genes[p] = 0;
        }
    };
    for (int k = 0; k < model.maxRegimes; ++k) {
        extend(extend, 0, k);
    }
    return best;
}

struct SearchCase {
    const char* name;
    int fitnessKind;
    int criterion;
    bool zeros;
    int fixedOrder = 0;  // above 0: --orders k, one order for every regime
};

class ExactSearchAgainstEnumeration : public ::testing::TestWithParam<SearchCase> {};

TEST_P(ExactSearchAgainstEnumeration, FindsTheBestValidChromosome) {
    const SearchCase& c = GetParam();
    Problem problem = c.zeros ? Problem(seriesWithZeros(80, 11u), 64, 12, 4, 1, 3, 6)
                              : Problem(thresholdSeries(80, 7u, 2), 60, 12, 7, 2, 4, 10);
    problem.settings.ga.fitnessKind = c.fitnessKind;
    problem.settings.ga.criterion = c.criterion;
    if (c.fixedOrder > 0) {
        problem.settings.form.nFixedOrders = 1;
        problem.settings.form.fixedOrders = {c.fixedOrder};
    }

    const Enumerated expected = bestByEnumeration(problem);
    ASSERT_GT(expected.nValid, 1000);
    ASSERT_GT(expected.fitness, 0.0);

    Result<ExactOptimum> found = problem.search();
    ASSERT_TRUE(found.ok());
    const ExactOptimum& optimum = found.value();
    EXPECT_NEAR(optimum.fitness, expected.fitness, kAgreement * expected.fitness);
    std::vector<int> positions(optimum.positions.begin(),
                               optimum.positions.begin() + optimum.nThresholds);
    EXPECT_EQ(positions, expected.positions);
}

INSTANTIATE_TEST_SUITE_P(
    FitnessKindsAndCriteria, ExactSearchAgainstEnumeration,
    ::testing::Values(
        SearchCase{"AicAbsolute", kFitnessAic, kCriterionAbsolute, false},
        SearchCase{"AicRelative", kFitnessAic, kCriterionRelative, false},
        SearchCase{"MseAbsolute", kFitnessMse, kCriterionAbsolute, false},
        SearchCase{"MseRelative", kFitnessMse, kCriterionRelative, false},
        SearchCase{"AicAbsoluteWithZeros", kFitnessAic, kCriterionAbsolute, true},
        SearchCase{"AicRelativeWithZeros", kFitnessAic, kCriterionRelative, true},
        SearchCase{"MseAbsoluteWithZeros", kFitnessMse, kCriterionAbsolute, true},
        SearchCase{"MseRelativeWithZeros", kFitnessMse, kCriterionRelative, true},
        SearchCase{"AicFixedOrder1", kFitnessAic, kCriterionAbsolute, false, 1},
        SearchCase{"AicFixedOrder3", kFitnessAic, kCriterionRelative, false, 3},
        SearchCase{"MseFixedOrder2", kFitnessMse, kCriterionAbsolute, false, 2},
        SearchCase{"AicFixedOrder3WithZeros", kFitnessAic, kCriterionAbsolute, true, 3},
        SearchCase{"MseFixedOrder1WithZeros", kFitnessMse, kCriterionAbsolute, true, 1}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

// With fewer candidates than values the search is exact over the candidates' ranks: evenly
// spaced blocks longer than the regression's factor (appended as factors) and shorter ones
// (appended row by row), with one threshold and with three.
TEST(ExactSearch, OverCandidatesFindsTheBestChromosomeAtTheirRanks) {
    struct Case {
        int candidates;
        int maxRegimes;
        int fitnessKind;
    };
    for (const Case c :
         {Case{12, 4, kFitnessAic}, Case{12, 4, kFitnessMse}, Case{36, 4, kFitnessAic},
          Case{36, 3, kFitnessMse}, Case{50, 2, kFitnessAic}}) {
        SCOPED_TRACE(std::to_string(c.candidates) + " candidates, " + std::to_string(c.maxRegimes) +
                     " regimes, fitness " + std::to_string(c.fitnessKind));
        Problem problem(thresholdSeries(220, 13u, 1), 200, 20, 4, 1, c.maxRegimes, 12);
        problem.settings.ga.fitnessKind = c.fitnessKind;
        ExactSearchOptions options;
        options.candidates = c.candidates;
        Result<ExactOptimum> found =
            findExactOptimum(problem.settings, problem.x.data(), problem.sortedSeries.data(),
                             problem.sortOrder.data(), 1, options);
        ASSERT_TRUE(found.ok());
        EXPECT_FALSE(found.value().everyValue);
        EXPECT_EQ(found.value().candidates, c.candidates);

        std::vector<int> ranks;
        for (int i = 1; i <= c.candidates; ++i) ranks.push_back(i * 200 / (c.candidates + 1));
        const Enumerated expected = bestByEnumeration(problem, &ranks);
        ASSERT_FALSE(expected.positions.empty());
        EXPECT_NEAR(found.value().fitness, expected.fitness, kAgreement * expected.fitness);
        EXPECT_EQ(std::vector<int>(found.value().positions.begin(),
                                   found.value().positions.begin() + found.value().nThresholds),
                  expected.positions);
    }
}

TEST(ExactSearch, AsManyCandidatesAsValuesTryEveryValue) {
    Problem problem(thresholdSeries(80, 2u, 1), 60, 0, 3, 1, 4, 10);
    ExactSearchOptions options;
    options.candidates = 59;
    Result<ExactOptimum> all =
        findExactOptimum(problem.settings, problem.x.data(), problem.sortedSeries.data(),
                         problem.sortOrder.data(), 1, options);
    Result<ExactOptimum> automatic = problem.search();
    ASSERT_TRUE(all.ok() && automatic.ok());
    EXPECT_TRUE(all.value().everyValue);
    EXPECT_EQ(all.value().candidates, 59);
    EXPECT_EQ(all.value().positions, automatic.value().positions);
    EXPECT_EQ(all.value().fitness, automatic.value().fitness);
}

// Rank h of x[55] stands for t = 57 at delay 2, beyond the sample, so it belongs to no regime:
// a threshold at h and one at h + 1 give the same regimes, and the same fitness to the last bit.
// With one threshold the search grows the regimes above a threshold downwards, and both sums
// must still tie exactly.
TEST(ExactSearch, OfTiedChromosomesTakesTheLowerPositions) {
    for (int maxRegimes : {4, 2}) {
        SCOPED_TRACE(std::to_string(maxRegimes) + " regimes");
        std::vector<double> x = thresholdSeries(80, 7u, 2);
        const Problem original(x, 56, 0, 4, 2, maxRegimes, 8);
        Result<ExactOptimum> first = original.search();
        ASSERT_TRUE(first.ok());
        ASSERT_GE(first.value().nThresholds, 1);
        const int p = first.value().positions[0];
        x[55] = 0.5 * (original.sortedSeries[p - 1] + original.sortedSeries[p]);

        Problem tied(x, 56, 0, 4, 2, maxRegimes, 8);
        const Enumerated expected = bestByEnumeration(tied);
        ASSERT_FALSE(expected.positions.empty());
        ASSERT_EQ(tied.sortOrder[expected.positions[0]], 55);

        Result<ExactOptimum> found = tied.search();
        ASSERT_TRUE(found.ok());
        EXPECT_NEAR(found.value().fitness, expected.fitness, kAgreement * expected.fitness);
        EXPECT_EQ(std::vector<int>(found.value().positions.begin(),
                                   found.value().positions.begin() + found.value().nThresholds),
                  expected.positions);

        std::vector<int> genes(56, 0);
        for (int q : expected.positions) genes[q] = 1;
        genes[expected.positions[0]] = 0;
        genes[expected.positions[0] + 1] = 1;
        MemoryFileSystem files;
        ResultTexts texts;
        SilentObserver observer;
        const EvaluationContext context{tied.settings, texts, observer, {{}, &files}, nullptr};
        Result<double> twin = evaluateChromosome(context, tied.x.data(), genes.data(),
                                                 tied.sortOrder.data(), 56, 4, 2, 0);
        ASSERT_TRUE(twin.ok());
        EXPECT_EQ(twin.value(), expected.fitness);
    }
}

// Each range's order, AIC and singularity against the regime estimation of the chromosome
// evaluation, over every range of a short series with zeros (some ranges have no rows, fewer
// rows than coefficients or an all-zero lag column).
TEST(RangeStatistics, OrderChoiceMatchesTheRegimeEstimationOnEveryRange) {
    const int n = 40;
    const int maxOrder = 4;
    for (const int criterion : {kCriterionAbsolute, kCriterionRelative}) {
        Problem problem(seriesWithZeros(50, 3u), n, 0, maxOrder, 1, 4, 0);
        const RankRows rows(problem.x.data(), problem.sortOrder.data(), n, maxOrder, 1,
                            seriesMean(problem.x.data(), n));
        QrRangeRegression regression(maxOrder);
        RegimeWorkspace workspace(n, maxOrder);
        OrderSearch search{n, maxOrder, 1, 1e13, criterion == kCriterionRelative};
        std::vector<double> sse;
        int singular = 0;
        for (int start = 0; start < n; ++start) {
            regression.clear();
            for (int end = start + 1; end <= n; ++end) {
                if (rows.usable(end - 1)) {
                    regression.append(rows.row(end - 1));
                }
                const RangeOrder order =
                    chooseRangeOrder(regression, maxOrder, search.stopAtFirstNonImprovement, sse);
                // With fewer rows than coefficients Gauss-Jordan meets rounding noise rather than
                // an exact zero pivot; what it makes of such a fit is no reference.
                if (regression.observations() < maxOrder && regression.observations() > 0) {
                    continue;
                }
                RegimeEstimate estimate;
                const FitStatus status = estimateRegime(problem.x.data(), problem.sortOrder.data(),
                                                        start, end, search, workspace, estimate);
                ASSERT_EQ(order.status, status) << "ranks " << start << " .. " << end - 1;
                if (status == FitStatus::kSingular) {
                    ++singular;
                    continue;
                }
                EXPECT_EQ(order.order, estimate.order) << "ranks " << start << " .. " << end - 1;
                EXPECT_NEAR(order.aic, estimate.fit.aic,
                            kAgreement * (1.0 + std::fabs(estimate.fit.aic)));
            }
        }
        EXPECT_GT(singular, 0);
    }
}

// The held-out values a range forecasts are those the forecasting code puts in its regime,
// also where the threshold variable equals a threshold: with delay 3 the first three threshold
// variables are observations of the sample, so each equals some rank's value exactly.
TEST(RangeStatistics, HoldoutWindowsAreTheRegimesOfTheForecasts) {
    const int n = 60;
    const int nPredictions = 15;
    const int delay = 3;
    Problem problem(thresholdSeries(n + nPredictions, 5u, delay), n, nPredictions, 3, delay, 4, 0);
    const double* x = problem.x.data();
    const HoldoutSet holdout(x, problem.sortedSeries.data(), n, 3, nPredictions, delay, 0.0);

    // Constants 0, 1, 2 per regime and no lags: each forecast names its regime. The held-out
    // window of positions cut(a) .. cut(b) - 1, ordered by threshold variable, must hold exactly
    // the values forecast by regime 1 of thresholds sortedSeries[a], sortedSeries[b].
    FittedModel model(1);
    model.nRegimes = 3;
    model.regimeCoefficients[1][0] = 1.0;
    model.regimeCoefficients[2][0] = 2.0;
    std::vector<double> z;
    for (int i = 0; i < nPredictions; ++i) z.push_back(x[n + i - delay]);
    std::sort(z.begin(), z.end());
    for (int a = 1; a < n; ++a) {
        for (int b = a; b < n; ++b) {
            model.thresholdValues = {problem.sortedSeries[a], problem.sortedSeries[b], 0.0};
            const HoldoutForecasts f = forecastHoldout(x, n, model, nPredictions, delay);
            std::vector<double> inRegime;
            for (int i = 0; i < nPredictions; ++i) {
                if (f.forecast[i] == 1.0) inRegime.push_back(x[n + i - delay]);
            }
            std::sort(inRegime.begin(), inRegime.end());
            const std::vector<double> window(z.begin() + holdout.cut(a),
                                             z.begin() + holdout.cut(b));
            ASSERT_EQ(window, inRegime) << "thresholds at ranks " << a << " and " << b;
        }
    }
    EXPECT_EQ(holdout.cut(0), 0);
    EXPECT_EQ(holdout.cut(n), nPredictions);
}

TEST(ExactSearch, EverySingularCandidateGivesNoThresholdsAndFitnessZero) {
    // maxOrder 30 on 25 observations: no observation has all its lags in the sample.
    Problem problem(thresholdSeries(30, 1u, 1), 25, 3, 30, 1, 4, 0);
    for (const int kind : {kFitnessAic, kFitnessMse}) {
        problem.settings.ga.fitnessKind = kind;
        Result<ExactOptimum> found = problem.search();
        ASSERT_TRUE(found.ok());
        EXPECT_EQ(found.value().nThresholds, 0);
        EXPECT_EQ(found.value().fitness, 0.0);
        EXPECT_TRUE(std::isinf(found.value().criterion));
    }
}

TEST(ExactSearch, MinObsAboveEveryRegimeLeavesTheSingleRegime) {
    Problem problem(thresholdSeries(80, 2u, 1), 60, 0, 3, 1, 4, 40);
    Result<ExactOptimum> found = problem.search();
    ASSERT_TRUE(found.ok());
    EXPECT_EQ(found.value().nThresholds, 0);
    EXPECT_GT(found.value().fitness, 0.0);
}

TEST(ExactSearch, SettingsThatNoEvaluationAcceptsGiveItsNotice) {
    Problem problem(thresholdSeries(80, 2u, 1), 60, 0, 1, 1, 4, 5);
    Result<ExactOptimum> noOrder = problem.search();
    ASSERT_FALSE(noOrder.ok());
    EXPECT_EQ(noOrder.notice().text, "The number of effective observation are zero");
    EXPECT_EQ(noOrder.notice().caption, kApplicationName);
    EXPECT_EQ(noOrder.notice(), noEffectiveObservationsNotice());

    problem.settings.model.maxOrder = 3;
    problem.settings.ga.fitnessKind = kFitnessMse;
    Result<ExactOptimum> noForecast = problem.search();
    ASSERT_FALSE(noForecast.ok());
    EXPECT_EQ(noForecast.notice(), noForecastsNotice());
}

// A series whose regimes switch on x[t - 3] is best fitted at delay 3.
TEST(DelayScan, FindsTheDelayThatDrivesTheRegimes) {
    Problem problem(thresholdSeries(300, 9u, 3), 300, 0, 4, 1, 3, 20);
    Result<DelayScan> scan = scanDelays(problem.settings, problem.x.data(),
                                        problem.sortedSeries.data(), problem.sortOrder.data());
    ASSERT_TRUE(scan.ok());
    ASSERT_EQ(scan.value().delays.size(), 10u);
    EXPECT_EQ(scan.value().delays.front(), 1);
    EXPECT_EQ(scan.value().delays.back(), 10);
    EXPECT_EQ(scan.value().delays[scan.value().bestIndex], 3);
}

}  // namespace
}  // namespace kavri
