#include "genetic/crossover.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "genetic_test_support.h"
#include "reference/genetic_reference.h"

namespace kavri {
namespace {

using testing::chromosome;
using testing::withSetGenes;

constexpr int kObservations = 450;

void crossover(IMatrix& population, int nChromosomes, double pCrossover, int maxRegimes,
               RandomSource& random) {
    const IVector ranking = testing::identityRanking(kObservations);
    crossoverPopulation(population, nChromosomes, kObservations, pCrossover, ranking.data(),
                        /*delay=*/1, maxRegimes, /*minObs=*/30, /*maxOrder=*/4, random);
}

TEST(CrossoverTest, PairCountFollowsTheShareOfChromosomes) {
    struct Case {
        int nChromosomes;
        double pCrossover;
        int pairs;
    };
    // ceil(n * p / 2): 13.5 -> 14; with 31 at 1.0 the 16th pair reaches the spare entry of the
    // order (chromosome 0). A probability outside 0..1 never asks for more pairs than that.
    const Case cases[] = {{30, 0.9, 14}, {30, 1.0, 15}, {31, 1.0, 16}, {30, 0.0, 0},
                          {2, 0.5, 1},   {31, 1.5, 16}, {30, -0.5, 0}};
    for (const Case& c : cases) {
        IMatrix population = intmatrix(0, kObservations, 0, c.nChromosomes);
        RandomSource random(31);
        crossover(population, c.nChromosomes, c.pCrossover, 4, random);
        // n keys for the order, then one cut per pair.
        EXPECT_TRUE(
            testing::sameNextDraws(random, testing::advancedSource(31, c.nChromosomes + c.pairs)))
            << c.nChromosomes << " chromosomes at " << c.pCrossover;
    }
}

TEST(CrossoverTest, ChildrenReplaceTheirParentsOnlyWhenBothAreValid) {
    // At most three regimes, A = {100}, B = {200, 300}. A cut below 100 swaps the tails whole;
    // a cut in 100..199 gives A's child three thresholds, so both parents stay although B's
    // child (all zero) is valid; a cut in 200..299 gives {100, 300} and {200}; later cuts
    // change nothing. The outcome is the same whichever parent comes first in the pair.
    const std::vector<int> parentA = withSetGenes(kObservations, {100});
    const std::vector<int> parentB = withSetGenes(kObservations, {200, 300});
    bool seen[3] = {false, false, false};
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        IMatrix population = intmatrix(0, kObservations, 0, 2);
        testing::setChromosome(population, 0, parentA);
        testing::setChromosome(population, 1, parentB);
        RandomSource random(seed);
        crossover(population, 2, 1.0, 3, random);

        const int cut = testing::advancedSource(seed, 2).draw() % kObservations;
        std::vector<int> expectedA = parentA, expectedB = parentB;
        if (cut < 100) {
            std::swap(expectedA, expectedB);
            seen[0] = true;
        } else if (cut < 200) {
            seen[1] = true;
        } else if (cut < 300) {
            expectedA = withSetGenes(kObservations, {100, 300});
            expectedB = withSetGenes(kObservations, {200});
            seen[2] = true;
        }
        EXPECT_EQ(chromosome(population, 0, kObservations), expectedA) << "cut " << cut;
        EXPECT_EQ(chromosome(population, 1, kObservations), expectedB) << "cut " << cut;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

}  // namespace
}  // namespace kavri
