#include "genetic/mutation.h"

#include <gtest/gtest.h>

#include <vector>

#include "genetic_test_support.h"

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

}  // namespace
}  // namespace kavri
