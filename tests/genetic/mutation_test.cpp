#include "genetic/mutation.h"

#include <gtest/gtest.h>

#include <vector>

#include "genetic_test_support.h"
#include "reference/genetic_reference.h"

namespace kavri {
namespace {

using testing::chromosome;

constexpr int kObservations = 450;

void mutate(IMatrix& population, int nChromosomes, double pMutation, int delay, int maxRegimes,
            int minObs, RandomSource& random) {
    const IVector ranking = testing::identityRanking(kObservations);
    mutatePopulation(population, nChromosomes, kObservations, pMutation, ranking.data(), delay,
                     maxRegimes, minObs, /*maxOrder=*/4, random);
}

// With minObs 0 and as many regimes as genes every mutant is valid, so the flips show as they
// are: gene g flips exactly when it lies in delay+1 .. n-delay-1 and its uniform is below
// pMutation (at pMutation 1, unless the draw is 32767); the margins never do.
TEST(MutationTest, FlipsTheMutableGenesWithOneDrawEach) {
    for (int delay : {1, 3}) {
        for (double pMutation : {1.0, 0.3}) {
            const int nChromosomes = 3;
            IMatrix population = intmatrix(0, kObservations, 0, nChromosomes);
            testing::setChromosome(population, 1, std::vector<int>(kObservations, 1));
            RandomSource random(8);
            mutate(population, nChromosomes, pMutation, delay, kObservations + 1, 0, random);

            RandomSource replay(8);
            for (int c = 0; c < nChromosomes; ++c) {
                const int before = c == 1 ? 1 : 0;
                const std::vector<int> genes = chromosome(population, c, kObservations);
                for (int g = 0; g < kObservations; ++g) {
                    const bool isMutable = g >= delay + 1 && g <= kObservations - delay - 1;
                    const bool flips = isMutable && replay.uniformRandom() < pMutation;
                    ASSERT_EQ(genes[g], flips ? 1 - before : before)
                        << "delay " << delay << ", chromosome " << c << ", gene " << g;
                }
            }
            // 447 draws per chromosome for delay 1 (genes 2..448).
            const int nMutable = kObservations - 2 * delay - 1;
            EXPECT_TRUE(testing::sameNextDraws(random, replay));
            EXPECT_TRUE(testing::sameNextDraws(random, testing::advancedSource(8, 3 * nMutable)));
            EXPECT_EQ(chromosome(population, nChromosomes, kObservations),
                      std::vector<int>(kObservations, 0));
        }
    }
}

TEST(MutationTest, AGeneWhoseUniformEqualsTheProbabilityDoesNotFlip) {
    RandomSource probe(4);
    probe.uniformRandom();
    const double pMutation = probe.uniformRandom();  // the uniform of gene 3 (delay 1)
    IMatrix population = intmatrix(0, kObservations, 0, 1);
    RandomSource random(4);
    mutate(population, 1, pMutation, 1, kObservations + 1, 0, random);
    EXPECT_EQ(population[3][0], 0);
}

TEST(MutationTest, InvalidMutantsAreDropped) {
    // Flipping nearly every gene gives hundreds of thresholds: both chromosomes stay.
    const std::vector<int> twoThresholds = testing::withSetGenes(kObservations, {100, 300});
    IMatrix population = intmatrix(0, kObservations, 0, 2);
    testing::setChromosome(population, 0, twoThresholds);
    RandomSource random(12);
    mutate(population, 2, 1.0, 1, 4, 30, random);
    EXPECT_EQ(chromosome(population, 0, kObservations), twoThresholds);
    EXPECT_EQ(chromosome(population, 1, kObservations), std::vector<int>(kObservations, 0));
}

// The operator with the draws made in lanes against the one that draws a uniform at a time:
// the same population and the same generator state after it, on populations of valid, invalid
// and odd chromosomes (all genes set, genes other than 0 and 1), every probability kind, delays
// and bounds, one generation after another.
TEST(MutationTest, DrawsInLanesGiveTheSamePopulationAndGeneratorState) {
    const int n = 300;
    std::vector<int> sortOrder(n);
    for (int h = 0; h < n; ++h) sortOrder[h] = (h * 101) % n;
    int changed = 0;
    for (double pMutation : {0.0, 0.001, 0.01, 0.3, 1.0, 2.0, 41 / 32767.0}) {
        for (int delay : {0, 1, 4}) {
            for (int maxRegimes : {1, 2, 4}) {
                const int nChromosomes = 9;
                IMatrix fast = intmatrix(0, n, 0, nChromosomes);
                IMatrix reference = intmatrix(0, n, 0, nChromosomes);
                IMatrix before = intmatrix(0, n, 0, nChromosomes);
                RandomSource fill(7);
                for (int i = 0; i < nChromosomes; ++i) {
                    for (int g = 0; g < n; ++g) {
                        int gene = i == 0 ? 1 : 0;
                        if (i >= 2 && fill.draw() % (i * 40) == 0) gene = 1;
                        if (i == 8 && g % 50 == 3) gene = 2;
                        fast[g][i] = reference[g][i] = before[g][i] = gene;
                    }
                }
                RandomSource lanes(99);
                RandomSource single(99);
                for (int generation = 0; generation < 5; ++generation) {
                    mutatePopulation(fast, nChromosomes, n, pMutation, sortOrder.data(), delay,
                                     maxRegimes, 5, 4, lanes);
                    mutatePopulationOneDrawAtATime(reference, nChromosomes, n, pMutation,
                                                   sortOrder.data(), delay, maxRegimes, 5, 4,
                                                   single);
                }
                ASSERT_EQ(lanes.state(), single.state()) << pMutation << ", " << delay;
                for (int i = 0; i < nChromosomes; ++i) {
                    ASSERT_EQ(chromosome(fast, i, n), chromosome(reference, i, n))
                        << "p " << pMutation << ", delay " << delay << ", regimes " << maxRegimes
                        << ", chromosome " << i;
                    changed += chromosome(fast, i, n) != chromosome(before, i, n) ? 1 : 0;
                }
            }
        }
    }
    // Mutants were accepted often enough for the comparison to mean something.
    EXPECT_GT(changed, 50);
}

}  // namespace
}  // namespace kavri
