#include "genetic/selection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "genetic_test_support.h"
#include "reference/genetic_reference.h"

namespace kavri {
namespace {

using testing::chromosome;

constexpr int kGenes = 8;

// Chromosome c holds c in binary, so every column differs from every other.
IMatrix numberedPopulation(int nChromosomes) {
    IMatrix population = intmatrix(0, kGenes, 0, nChromosomes);
    for (int c = 0; c < nChromosomes; ++c) {
        for (int g = 0; g < kGenes; ++g) {
            population[g][c] = (c >> g) & 1;
        }
    }
    return population;
}

std::vector<int> orderFrom(std::uint32_t seed, int n) {
    IVector order = ivector(0, n);
    DVector keys = dvector(0, n);
    RandomSource random(seed);
    randomOrder(n, order, keys, random);
    return std::vector<int>(order.data(), order.data() + n);
}

TEST(RandomOrderTest, IsAPermutationThatLeavesTheSpareEntryAndRanksEqualKeysByIndex) {
    const int n = 200;
    IVector order = ivector(0, n);
    DVector keys = dvector(0, n);
    order[n] = -7;
    RandomSource random(2024);
    randomOrder(n, order, keys, random);
    EXPECT_EQ(order[n], -7);
    EXPECT_TRUE(testing::sameNextDraws(random, testing::advancedSource(2024, n)));
    std::vector<bool> seen(n, false);
    for (int j = 0; j < n; ++j) {
        seen[order[j]] = true;
    }
    EXPECT_EQ(seen, std::vector<bool>(n, true));

    // Of two equal keys the higher index ranks lower.
    std::uint32_t tieSeed = 0;
    while (RandomSource(tieSeed).draw() != testing::advancedSource(tieSeed, 1).draw()) {
        ++tieSeed;
    }
    EXPECT_EQ(orderFrom(tieSeed, 2), (std::vector<int>{1, 0}));
}

TEST(SelectionTest, SelectionOneCopiesEveryWinnerOverItsLoserAndTiesGoToTheSecond) {
    const int n = 9;  // odd: the last in the order stays out of every pair
    // Chromosomes 0..3 share one fitness, so ties occur.
    const std::vector<double> fitness = {0.5, 0.5, 0.5, 0.5, 0.1, 0.9, 0.3, 0.7, 0.2, 0.0};
    const IMatrix original = numberedPopulation(n);
    for (std::uint32_t seed : {1u, 2u, 3u, 42u}) {
        IMatrix population = numberedPopulation(n);
        RandomSource random(seed);
        selectChromosomes(population, fitness.data(), n, kGenes, 1.0, random);
        const std::vector<int> order = orderFrom(seed, n);
        for (int m = 0; m + 1 < n; m += 2) {
            const int a = order[m], b = order[m + 1];
            const int winner = fitness[a] > fitness[b] ? a : b;
            EXPECT_EQ(chromosome(population, a, kGenes), chromosome(original, winner, kGenes));
            EXPECT_EQ(chromosome(population, b, kGenes), chromosome(original, winner, kGenes));
        }
        const int unpaired = order[n - 1];
        EXPECT_EQ(chromosome(population, unpaired, kGenes), chromosome(original, unpaired, kGenes));
        EXPECT_TRUE(testing::sameNextDraws(random, testing::advancedSource(seed, n + n / 2)));
    }
}

TEST(SelectionTest, SelectionZeroCopiesOnlyOnAUniformOfExactlyZero) {
    const std::vector<double> fitness = {0.2, 0.8, 0.0};
    std::uint32_t zeroSeed = 0;  // its third draw, the uniform of the only pair, is 0
    while (testing::advancedSource(zeroSeed, 2).draw() != 0) {
        ++zeroSeed;
    }
    for (std::uint32_t seed : {zeroSeed, zeroSeed + 1}) {
        IMatrix population = numberedPopulation(2);
        RandomSource random(seed);
        selectChromosomes(population, fitness.data(), 2, kGenes, 0.0, random);
        EXPECT_EQ(population[0][0], seed == zeroSeed ? 1 : 0);  // loser 0 takes winner 1's genes
        EXPECT_EQ(population[0][1], 1);
    }
}

}  // namespace
}  // namespace kavri
