#include "estimation/threshold_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "genetic/candidates.h"
#include "run/chromosome_evaluation.h"
#include "support/memory_file_system.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

using testing::MemoryFileSystem;
using testing::Noise;

// The profile scores chromosomes from an orthogonal factorisation, the chromosome evaluation by
// inverting the cross-product matrix; on this well-conditioned series they agree to about
// 1e-13, and a wrong range or forecast moves the fitness by far more than 1e-9.
constexpr double kAgreement = 1e-9;

// Three regimes chosen by x[t - 1] against -0.15 and 0.2, each with its own AR equation.
std::vector<double> threeRegimeSeries(int length, std::uint32_t seed) {
    Noise noise(seed);
    std::vector<double> x(length);
    for (int t = 0; t < length; ++t) {
        if (t < 3) {
            x[t] = noise.next();
            continue;
        }
        const double z = x[t - 1];
        const double mean = z < -0.15 ? 0.2 + 0.6 * x[t - 1] - 0.3 * x[t - 2]
                            : z < 0.2 ? -0.5 * x[t - 1]
                                      : -0.1 + 0.3 * x[t - 1] + 0.25 * x[t - 3];
        x[t] = mean + 0.6 * noise.next();
    }
    return x;
}

struct Problem {
    std::vector<double> x = threeRegimeSeries(140, 5u);
    RunSettings settings;
    IVector sortOrder;
    DVector sortedSeries;

    explicit Problem(int fitnessKind) {
        ModelParameters& model = settings.model;
        model.nObservations = 120;
        model.nPredictions = 20;
        model.maxOrder = 4;
        model.delay = 1;
        model.maxRegimes = 3;
        model.minObs = 15;
        settings.ga.adjustingConstant = 1.0;
        settings.ga.fitnessKind = fitnessKind;
        settings.ga.criterion = kCriterionAbsolute;
        settings.ga.printResiduals = kPrintResidualsNo;
        sortOrder = ivector(0, model.nObservations);
        sortedSeries = dvector(0, model.nObservations);
        rankCandidates(x.data(), model.nObservations, sortOrder, sortedSeries);
    }

    int n() const { return settings.model.nObservations; }

    ExactOptimum optimum() const {
        Result<ExactOptimum> found = findExactOptimum(settings, x.data(), sortedSeries.data(),
                                                      sortOrder.data(), settings.model.delay);
        EXPECT_TRUE(found.ok());
        return found.value();
    }

    ThresholdProfile profile(const ExactOptimum& optimum) const {
        return profileThresholds(settings, x.data(), sortedSeries.data(), sortOrder.data(),
                                 settings.model.delay, optimum);
    }

    // The optimum's chromosome with threshold i moved to rank p.
    std::vector<int> chromosomeWith(const ExactOptimum& optimum, int i, int p) const {
        std::vector<int> genes(n(), 0);
        for (int j = 0; j < optimum.nThresholds; ++j) {
            genes[j == i ? p : optimum.positions[j]] = 1;
        }
        return genes;
    }
};

class ThresholdProfileTest : public ::testing::TestWithParam<int> {};

TEST_P(ThresholdProfileTest, PeaksAtTheExactOptimumWithItsFitness) {
    const Problem problem(GetParam());
    const ExactOptimum optimum = problem.optimum();
    ASSERT_EQ(optimum.nThresholds, 2);
    const ThresholdProfile profile = problem.profile(optimum);
    ASSERT_EQ(profile.curves.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const ThresholdProfileCurve& curve = profile.curves[i];
        SCOPED_TRACE("threshold " + std::to_string(i));
        EXPECT_EQ(curve.threshold, i);
        ASSERT_FALSE(curve.positions.empty());
        EXPECT_EQ(curve.positions[curve.optimumIndex], optimum.positions[i]);
        EXPECT_EQ(curve.fitness[curve.optimumIndex], optimum.fitness);
        EXPECT_EQ(curve.values[curve.optimumIndex], problem.sortedSeries[optimum.positions[i]]);
        for (double fitness : curve.fitness) {
            EXPECT_LE(fitness, optimum.fitness);
        }
    }
}

// Every rank between the neighbours where the validity check accepts the moved chromosome is
// in the profile, no other, and each with the fitness that the chromosome evaluation gives it.
TEST_P(ThresholdProfileTest, CoversEveryValidPositionWithItsEvaluatedFitness) {
    const Problem problem(GetParam());
    const ModelParameters& model = problem.settings.model;
    const ExactOptimum optimum = problem.optimum();
    const ThresholdProfile profile = problem.profile(optimum);
    ASSERT_EQ(profile.curves.size(), static_cast<std::size_t>(optimum.nThresholds));

    MemoryFileSystem files;
    ResultTexts texts;
    SilentObserver observer;
    const EvaluationContext context{problem.settings, texts, observer, {{}, &files}, nullptr};
    for (int i = 0; i < optimum.nThresholds; ++i) {
        const ThresholdProfileCurve& curve = profile.curves[i];
        const int lo = i == 0 ? 0 : optimum.positions[i - 1];
        const int hi = i + 1 == optimum.nThresholds ? problem.n() : optimum.positions[i + 1];
        std::vector<int> valid;
        for (int p = lo + 1; p < hi; ++p) {
            const std::vector<int> genes = problem.chromosomeWith(optimum, i, p);
            if (checkChromosome(genes.data(), problem.sortOrder.data(), model.delay, problem.n(),
                                model.maxRegimes, model.minObs,
                                model.maxOrder) == kChromosomeValid) {
                valid.push_back(p);
            }
        }
        EXPECT_EQ(curve.positions, valid) << "threshold " << i;
        for (std::size_t j = 0; j < curve.positions.size(); ++j) {
            const std::vector<int> genes = problem.chromosomeWith(optimum, i, curve.positions[j]);
            Result<double> evaluated = evaluateChromosome(context, problem.x.data(), genes.data(),
                                                          problem.sortOrder.data(), problem.n(),
                                                          model.maxOrder, model.delay, 0);
            ASSERT_TRUE(evaluated.ok());
            EXPECT_NEAR(curve.fitness[j], evaluated.value(), kAgreement * evaluated.value())
                << "threshold " << i << " at rank " << curve.positions[j];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothFitnessKinds, ThresholdProfileTest,
                         ::testing::Values(kFitnessAic, kFitnessMse),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == kFitnessAic ? "Aic" : "Mse");
                         });

// A long series searched over candidates: the upper range of the threshold spans thousands of
// ranks, so the profile grows it downwards, in linear time. The optimum keeps its fitness to
// the last bit, every admissible rank is profiled, and the fitness at sampled ranks agrees
// with the chromosome evaluation.
TEST(ThresholdProfile, LongSpansAreProfiledInLinearTimeOverAnOptimumAmongCandidates) {
    Problem problem(kFitnessAic);
    ModelParameters& model = problem.settings.model;
    problem.x = threeRegimeSeries(5020, 11u);
    model.nObservations = 5000;
    model.maxRegimes = 2;
    problem.sortOrder = ivector(0, model.nObservations);
    problem.sortedSeries = dvector(0, model.nObservations);
    rankCandidates(problem.x.data(), model.nObservations, problem.sortOrder, problem.sortedSeries);
    ExactSearchOptions options;
    options.candidates = 150;
    Result<ExactOptimum> found =
        findExactOptimum(problem.settings, problem.x.data(), problem.sortedSeries.data(),
                         problem.sortOrder.data(), model.delay, options);
    ASSERT_TRUE(found.ok());
    const ExactOptimum& optimum = found.value();
    ASSERT_EQ(optimum.nThresholds, 1);
    ASSERT_LT(optimum.positions[0], 3000);  // so the upper span exceeds 2000 ranks

    const ThresholdProfile profile = problem.profile(optimum);
    ASSERT_EQ(profile.curves.size(), 1u);
    const ThresholdProfileCurve& curve = profile.curves[0];
    EXPECT_EQ(curve.positions[curve.optimumIndex], optimum.positions[0]);
    EXPECT_EQ(curve.fitness[curve.optimumIndex], optimum.fitness);
    EXPECT_GT(curve.positions.size(), 4000u);

    MemoryFileSystem files;
    ResultTexts texts;
    SilentObserver observer;
    const EvaluationContext context{problem.settings, texts, observer, {{}, &files}, nullptr};
    for (std::size_t j = 0; j < curve.positions.size(); j += 400) {
        const std::vector<int> genes = problem.chromosomeWith(optimum, 0, curve.positions[j]);
        Result<double> evaluated =
            evaluateChromosome(context, problem.x.data(), genes.data(), problem.sortOrder.data(),
                               problem.n(), model.maxOrder, model.delay, 0);
        ASSERT_TRUE(evaluated.ok());
        EXPECT_NEAR(curve.fitness[j], evaluated.value(), kAgreement * evaluated.value())
            << "rank " << curve.positions[j];
    }
}

TEST(ThresholdProfile, IsEmptyWithoutThresholds) {
    Problem problem(kFitnessAic);
    problem.settings.model.maxRegimes = 1;
    const ExactOptimum optimum = problem.optimum();
    ASSERT_EQ(optimum.nThresholds, 0);
    EXPECT_TRUE(problem.profile(optimum).curves.empty());
}

}  // namespace
}  // namespace kavri
