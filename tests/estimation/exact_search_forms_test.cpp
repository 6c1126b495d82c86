// The exact search for every model form (a subset of lags, no constant, a trend, orders fixed
// for every regime or one per regime) against the enumeration of every valid chromosome, each
// evaluated by the chromosome evaluation with the same form; and the engines against the search
// as first written, bit for bit, on those forms.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "estimation/exact_search.h"
#include "estimation/reference_exact_search.h"
#include "genetic/candidates.h"
#include "run/chromosome_evaluation.h"
#include "run/worker_pool.h"
#include "support/memory_file_system.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

using testing::Noise;

// The search's orthogonal factor against the evaluation's normal equations: see
// exact_search_test.cpp.
constexpr double kAgreement = 1e-9;

// Three regimes by x[t - delay] with equations of lags 1, 2 and 4, a level shift between them
// and a slow drift, so that the constant, the trend and the lag subsets all matter. `z` is an
// exogenous variable: noise of its own that also moves the regime of every fifth observation.
struct FormSeries {
    std::vector<double> x;
    std::vector<double> z;
};

FormSeries formSeries(int length, std::uint32_t seed) {
    Noise noise(seed);
    FormSeries s{std::vector<double>(length, 0.0), std::vector<double>(length, 0.0)};
    for (int t = 0; t < length; ++t) s.z[t] = noise.next();
    for (int t = 0; t < length; ++t) {
        if (t < 4) {
            s.x[t] = noise.next();
            continue;
        }
        const double z = t % 5 == 0 ? s.z[t - 1] : s.x[t - 1];
        double mean;
        if (z < -0.2) {
            mean = 0.4 + 0.5 * s.x[t - 1] - 0.3 * s.x[t - 2];
        } else if (z < 0.25) {
            mean = -0.6 * s.x[t - 1] + 0.3 * s.x[t - 4];
        } else {
            mean = -0.3 + 0.2 * s.x[t - 1] + 0.4 * s.x[t - 4];
        }
        s.x[t] = mean + 0.004 * t + 0.5 * noise.next();
    }
    return s;
}

ModelForm formOf(std::initializer_list<int> lags, std::initializer_list<int> orders, bool constant,
                 bool trend) {
    ModelForm form;
    for (int lag : lags) form.lags[form.nLags++] = lag;
    for (int order : orders) form.fixedOrders[form.nFixedOrders++] = order;
    form.constant = constant;
    form.trend = trend;
    return form;
}

struct FormCase {
    const char* name;
    ModelForm form;
    int fitnessKind;
    int criterion;
    int maxRegimes;  // with one order per regime, their number
    bool exogenous = false;
    int candidates = 0;  // 0: every value
};

void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name; }

struct Problem {
    std::vector<double> x;
    std::vector<double> z;  // empty: the series' own lag
    RunSettings settings;
    IVector sortOrder;
    DVector sortedSeries;

    Problem(const FormCase& c, int n, int nPredictions, int maxOrder, int minObs)
        : sortOrder(ivector(0, n)), sortedSeries(dvector(0, n)) {
        FormSeries s = formSeries(n + nPredictions, 17u);
        x = s.x;
        if (c.exogenous) z = s.z;
        ModelParameters& model = settings.model;
        model.nObservations = n;
        model.nPredictions = nPredictions;
        model.maxOrder = maxOrder;
        model.delay = 1;
        model.maxRegimes = c.maxRegimes;
        model.minObs = minObs;
        settings.form = c.form;
        settings.ga.fitnessKind = c.fitnessKind;
        settings.ga.criterion = c.criterion;
        settings.ga.adjustingConstant = 1.0;
        settings.ga.printResiduals = kPrintResidualsNo;
        rankThresholdCandidates(c.exogenous ? z.data() : x.data(), n, sortOrder, sortedSeries);
    }
    const double* thresholdSeries() const { return z.empty() ? nullptr : z.data(); }
};

struct Enumerated {
    double fitness = -1.0;
    std::vector<int> positions;
    int nValid = 0;
};

// Every valid chromosome whose set genes lie among `allowed` (all ranks when empty): with one
// order per regime only those of exactly that many regimes.
Enumerated bestByEnumeration(const Problem& problem, const std::vector<int>& allowed) {
    const ModelParameters& model = problem.settings.model;
    const int n = model.nObservations;
    testing::MemoryFileSystem files;
    ResultTexts texts;
    SilentObserver observer;
    EvaluationContext context{problem.settings, texts, observer, {{}, &files}, nullptr};
    context.thresholdSeries = problem.thresholdSeries();
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
            if (!allowed.empty() && std::find(allowed.begin(), allowed.end(), p) == allowed.end()) {
                continue;
            }
            genes[p] = 1;
            positions.push_back(p);
            self(self, p + 1, remaining - 1);
            positions.pop_back();
            genes[p] = 0;
        }
    };
    const bool perRegime = problem.settings.form.ordersPerRegime();
    for (int k = perRegime ? model.maxRegimes - 1 : 0; k < model.maxRegimes; ++k) {
        extend(extend, 0, k);
    }
    return best;
}

class ExactSearchForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(ExactSearchForms, EqualsTheEnumerationOfValidChromosomes) {
    const FormCase& c = GetParam();
    const int n = c.maxRegimes == 4 ? 48 : 64;
    const Problem problem(c, n, 12, 6, c.maxRegimes == 4 ? 8 : 10);
    std::vector<int> allowed;
    ExactSearchOptions options;
    options.thresholdSeries = problem.thresholdSeries();
    if (c.candidates > 0) {
        options.candidates = c.candidates;
        for (int i = 1; i <= c.candidates; ++i) allowed.push_back(i * n / (c.candidates + 1));
    }
    const Enumerated expected = bestByEnumeration(problem, allowed);
    // Enough chromosomes that a wrong range, order or regime would show.
    ASSERT_GT(expected.nValid, c.candidates > 0 ? 12 : 40);
    ASSERT_GT(expected.fitness, 0.0);

    Result<ExactOptimum> found =
        findExactOptimum(problem.settings, problem.x.data(), problem.sortedSeries.data(),
                         problem.sortOrder.data(), 1, options);
    ASSERT_TRUE(found.ok());
    const ExactOptimum& optimum = found.value();
    EXPECT_EQ(optimum.everyValue, c.candidates == 0);
    EXPECT_NEAR(optimum.fitness, expected.fitness, kAgreement * expected.fitness);
    EXPECT_EQ(std::vector<int>(optimum.positions.begin(),
                               optimum.positions.begin() + optimum.nThresholds),
              expected.positions);
    if (problem.settings.form.ordersPerRegime()) {
        EXPECT_EQ(optimum.nThresholds + 1, c.maxRegimes);
    }
}

constexpr int kAic = kFitnessAic;
constexpr int kMse = kFitnessMse;
constexpr int kAbs = kCriterionAbsolute;
constexpr int kRel = kCriterionRelative;

INSTANTIATE_TEST_SUITE_P(
    EveryForm, ExactSearchForms,
    ::testing::Values(
        FormCase{"LagsAic", formOf({1, 4}, {}, true, false), kAic, kAbs, 3},
        FormCase{"LagsRelativeMse", formOf({1, 2, 4}, {}, true, false), kMse, kRel, 3},
        FormCase{"LagsFixedOrderMse", formOf({2, 4}, {2}, true, false), kMse, kAbs, 3},
        FormCase{"NoConstantAic", formOf({}, {}, false, false), kAic, kAbs, 3},
        FormCase{"NoConstantMse", formOf({}, {}, false, false), kMse, kRel, 2},
        FormCase{"NoConstantLagsFixedAic", formOf({1, 4}, {2}, false, false), kAic, kAbs, 3},
        FormCase{"TrendAic", formOf({}, {}, true, true), kAic, kAbs, 3},
        FormCase{"TrendFixedOrderMse", formOf({}, {1}, true, true), kMse, kAbs, 3},
        FormCase{"TrendLagsAic", formOf({1, 4}, {}, true, true), kAic, kRel, 2},
        FormCase{"PerRegimeTwoAic", formOf({}, {2, 1}, true, false), kAic, kAbs, 2},
        FormCase{"PerRegimeTwoMse", formOf({}, {1, 3}, true, false), kMse, kAbs, 2},
        FormCase{"PerRegimeThreeAic", formOf({}, {1, 3, 2}, true, false), kAic, kAbs, 3},
        FormCase{"PerRegimeThreeNoConstantMse", formOf({1, 2, 4}, {3, 1, 2}, false, false), kMse,
                 kAbs, 3},
        FormCase{"PerRegimeFourAic", formOf({}, {1, 2, 1, 2}, true, false), kAic, kAbs, 4},
        FormCase{"PerRegimeFourTrendMse", formOf({}, {2, 1, 1, 1}, true, true), kMse, kAbs, 4},
        FormCase{"ExogenousNoConstantLagsAic", formOf({1, 2}, {}, false, false), kAic, kAbs, 3,
                 true},
        FormCase{"ExogenousPerRegimeMse", formOf({}, {2, 1}, true, false), kMse, kAbs, 2, true},
        FormCase{"ExogenousTrendPerRegimeAic", formOf({1, 4}, {1, 2, 2}, true, true), kAic, kAbs, 3,
                 true},
        FormCase{"CandidatesNoConstantAic", formOf({}, {}, false, false), kAic, kAbs, 3, false, 12},
        FormCase{"CandidatesPerRegimeMse", formOf({1, 3}, {2, 1, 2}, true, false), kMse, kAbs, 3,
                 false, 10},
        FormCase{"CandidatesTrendAic", formOf({}, {}, true, true), kAic, kRel, 3, true, 14}),
    [](const ::testing::TestParamInfo<FormCase>& info) { return std::string(info.param.name); });

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The single-threshold engine, the table's lanes (on one worker and on several) and the search
// as first written, which grows every range row by row: the same thresholds, summed criterion
// and fitness to the last bit on every form, for both fitness kinds and criteria.
TEST(ExactSearchFormsEngines, MatchTheFirstSearchBitForBit) {
    WorkerPool pool(3);
    const std::vector<ModelForm> forms = {
        formOf({1, 3, 5}, {}, true, false),  formOf({}, {}, false, false),
        formOf({2, 5}, {}, false, false),    formOf({}, {}, true, true),
        formOf({1, 5}, {2}, true, true),     formOf({}, {3, 1}, true, false),
        formOf({}, {1, 2, 3}, false, false), formOf({1, 2, 5}, {3, 1, 2, 1}, true, true)};
    int withThresholds = 0;
    int compared = 0;
    for (std::size_t f = 0; f < forms.size(); ++f) {
        for (int kind : {kFitnessAic, kFitnessMse}) {
            for (int criterion : {kCriterionAbsolute, kCriterionRelative}) {
                for (int maxRegimes : {2, 3, 4}) {
                    FormCase c{"", forms[f], kind, criterion, maxRegimes, f % 2 == 1};
                    if (c.form.ordersPerRegime()) {
                        if (c.form.nFixedOrders != maxRegimes) continue;
                    }
                    SCOPED_TRACE("form " + std::to_string(f) + ", fitness " + std::to_string(kind) +
                                 ", criterion " + std::to_string(criterion) + ", " +
                                 std::to_string(maxRegimes) + " regimes");
                    const Problem problem(c, 180, 20, 6, 12);
                    ExactSearchOptions options;
                    options.thresholdSeries = problem.thresholdSeries();
                    Result<ExactOptimum> reference = testing::referenceExactOptimum(
                        problem.settings, problem.x.data(), problem.sortedSeries.data(),
                        problem.sortOrder.data(), 1, problem.thresholdSeries());
                    ASSERT_TRUE(reference.ok());
                    Result<ExactOptimum> alone = findExactOptimum(
                        problem.settings, problem.x.data(), problem.sortedSeries.data(),
                        problem.sortOrder.data(), 1, options);
                    options.parallel.workers = pool.size();
                    options.parallel.run = [&pool](int count, const ParallelFor::Task& task) {
                        pool.run(count, task);
                    };
                    Result<ExactOptimum> shared = findExactOptimum(
                        problem.settings, problem.x.data(), problem.sortedSeries.data(),
                        problem.sortOrder.data(), 1, options);
                    ASSERT_TRUE(alone.ok() && shared.ok());
                    for (const ExactOptimum* found : {&alone.value(), &shared.value()}) {
                        EXPECT_EQ(found->nThresholds, reference.value().nThresholds);
                        EXPECT_EQ(found->positions, reference.value().positions);
                        EXPECT_TRUE(sameBits(found->criterion, reference.value().criterion))
                            << found->criterion << " against " << reference.value().criterion;
                        EXPECT_TRUE(sameBits(found->fitness, reference.value().fitness));
                    }
                    withThresholds += reference.value().nThresholds > 0 ? 1 : 0;
                    ++compared;
                }
            }
        }
    }
    EXPECT_GT(compared, 60);
    EXPECT_GT(withThresholds, compared / 2);
}

}  // namespace
}  // namespace kavri
