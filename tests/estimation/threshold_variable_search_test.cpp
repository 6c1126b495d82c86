// The exact search over a threshold variable other than the series' own lag (an exogenous
// column, the change x[t-d] - x[t-d-1]) against the enumeration of every valid chromosome,
// each evaluated through the chromosome evaluation with the same variable.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "estimation/exact_search.h"
#include "genetic/candidates.h"
#include "run/chromosome_evaluation.h"
#include "support/memory_file_system.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

using testing::Noise;

constexpr double kAgreement = 1e-9;

// x follows one AR(1) or another as the exogenous z[t - delay] lies below or above 0.1; z is
// noise of its own, so its order has nothing to do with x's.
struct ExogenousSeries {
    std::vector<double> x;
    std::vector<double> z;
};

ExogenousSeries exogenousSeries(int length, std::uint32_t seed, int delay) {
    Noise noise(seed);
    ExogenousSeries s{std::vector<double>(length), std::vector<double>(length)};
    for (int t = 0; t < length; ++t) {
        s.z[t] = noise.next();
    }
    for (int t = 0; t < length; ++t) {
        const double e = 0.5 * noise.next();
        if (t < 2) {
            s.x[t] = e;
            continue;
        }
        const double z = t >= delay ? s.z[t - delay] : 0.0;
        s.x[t] =
            z < 0.1 ? 0.3 + 0.7 * s.x[t - 1] + e : -0.2 - 0.4 * s.x[t - 1] + 0.2 * s.x[t - 2] + e;
    }
    return s;
}

// The change of x, none (NaN) at the first value.
std::vector<double> differenceOf(const std::vector<double>& x) {
    std::vector<double> z(x.size(), std::numeric_limits<double>::quiet_NaN());
    for (std::size_t s = 1; s < x.size(); ++s) z[s] = x[s] - x[s - 1];
    return z;
}

struct Problem {
    std::vector<double> x;
    std::vector<double> z;
    RunSettings settings;
    IVector sortOrder;
    DVector sortedSeries;

    Problem(std::vector<double> series, std::vector<double> variable, int n, int nPredictions,
            int maxOrder, int delay, int maxRegimes, int minObs)
        : x(std::move(series)),
          z(std::move(variable)),
          sortOrder(ivector(0, n)),
          sortedSeries(dvector(0, n)) {
        ModelParameters& model = settings.model;
        model.nObservations = n;
        model.nPredictions = nPredictions;
        model.maxOrder = maxOrder;
        model.delay = delay;
        model.maxRegimes = maxRegimes;
        model.minObs = minObs;
        settings.ga.adjustingConstant = 1.0;
        settings.ga.printResiduals = kPrintResidualsNo;
        rankThresholdCandidates(z.data(), n, sortOrder, sortedSeries);
    }
    int n() const { return settings.model.nObservations; }
};

struct Enumerated {
    double fitness = -1.0;
    std::vector<int> positions;
    int nValid = 0;
};

Enumerated bestByEnumeration(const Problem& problem) {
    const ModelParameters& model = problem.settings.model;
    const int n = problem.n();
    testing::MemoryFileSystem files;
    ResultTexts texts;
    SilentObserver observer;
    EvaluationContext context{problem.settings, texts, observer, {{}, &files}, nullptr};
    context.thresholdSeries = problem.z.data();
    context.sortedThresholds = problem.sortedSeries.data();
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
    auto extend = [&](auto&& self, int from, int remaining) -> void {
        if (remaining == 0) {
            consider();
            return;
        }
        for (int p = from; p < n; ++p) {
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
    bool difference;
    int fitnessKind;
    int maxRegimes;
};

class ThresholdVariableSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(ThresholdVariableSearch, ExactSearchEqualsEnumeration) {
    const SearchCase& c = GetParam();
    // The change at delay 3 with maxOrder 3: observation t = 3 has its lags but no change
    // x[0] - x[-1], so it must be left out of every regime.
    const int delay = c.difference ? 3 : 1;
    ExogenousSeries s = exogenousSeries(72, 5u, delay);
    std::vector<double> z = c.difference ? differenceOf(s.x) : s.z;
    Problem problem(s.x, z, 60, 12, 3, delay, c.maxRegimes, 8);
    problem.settings.ga.fitnessKind = c.fitnessKind;
    problem.settings.ga.criterion = kCriterionAbsolute;

    const Enumerated expected = bestByEnumeration(problem);
    ASSERT_GT(expected.nValid, 40);
    ASSERT_GT(expected.fitness, 0.0);

    ExactSearchOptions options;
    options.thresholdSeries = problem.z.data();
    Result<ExactOptimum> found =
        findExactOptimum(problem.settings, problem.x.data(), problem.sortedSeries.data(),
                         problem.sortOrder.data(), delay, options);
    ASSERT_TRUE(found.ok());
    const ExactOptimum& optimum = found.value();
    EXPECT_NEAR(optimum.fitness, expected.fitness, kAgreement * expected.fitness);
    std::vector<int> positions(optimum.positions.begin(),
                               optimum.positions.begin() + optimum.nThresholds);
    EXPECT_EQ(positions, expected.positions);
}

INSTANTIATE_TEST_SUITE_P(ExogenousAndDifference, ThresholdVariableSearch,
                         ::testing::Values(SearchCase{"ExogenousAic", false, kFitnessAic, 3},
                                           SearchCase{"ExogenousMse", false, kFitnessMse, 3},
                                           SearchCase{"DifferenceAic", true, kFitnessAic, 3},
                                           SearchCase{"DifferenceMse", true, kFitnessMse, 2}),
                         [](const ::testing::TestParamInfo<SearchCase>& info) {
                             return std::string(info.param.name);
                         });

// The change has no value at the sample's first time: that rank goes to the top, stands for no
// observation and can never be a threshold.
TEST(ThresholdVariableRanking, ATimeWithoutAValueRanksLastAndCountsNowhere) {
    const std::vector<double> z = {std::numeric_limits<double>::quiet_NaN(), 0.5, -1.0, 0.5, 2.0};
    IVector order = ivector(0, 5);
    DVector sorted = dvector(0, 5);
    rankThresholdCandidates(z.data(), 5, order, sorted);
    EXPECT_EQ((std::vector<int>{order[0], order[1], order[2], order[3], order[4]}),
              (std::vector<int>{2, 1, 3, 4, 5}));
    EXPECT_EQ(sorted[0], -1.0);
    EXPECT_EQ(sorted[3], 2.0);
    EXPECT_TRUE(std::isinf(sorted[4]));
    // Delay 1, maxOrder 2: times 1 .. 4 are observations 2 .. 5; the unknown rank counts in
    // no regime.
    const std::vector<int> usable = usableRanksBefore(order.data(), 1, 5, 2);
    EXPECT_EQ(usable.back(), 3);
}

}  // namespace
}  // namespace kavri
