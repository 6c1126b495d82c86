#include "genetic/population_genes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "genetic/crossover.h"
#include "genetic/mutation.h"
#include "genetic/selection.h"
#include "genetic_test_support.h"
#include "reference/genetic_reference.h"

namespace kavri {
namespace {

using testing::chromosome;

// The ranking as first written: n scans for the lowest remaining key, the last of equal keys.
std::vector<int> scannedOrder(std::vector<double>& keys) {
    const int n = static_cast<int>(keys.size());
    std::vector<int> order(n, 0);
    for (int i = 0; i < n; ++i) {
        double minimum = 1e9;
        int taken = 0;
        for (int j = 0; j < n; ++j) {
            if (keys[j] <= minimum) {
                minimum = keys[j];
                taken = j;
            }
        }
        order[taken] = i;
        keys[taken] = 1e9 + 1;
    }
    return order;
}

TEST(RandomOrderTest, RanksAsTheScanForTheLowestKeyDoes) {
    for (int n : {1, 2, 9, 30, 200}) {
        for (std::uint32_t seed : {1u, 77u, 4096u}) {
            IVector order = ivector(0, n);
            DVector keys = dvector(0, n);
            RandomSource random(seed);
            randomOrder(n, order, keys, random);
            RandomSource replay(seed);
            std::vector<double> expectedKeys(n);
            for (double& key : expectedKeys) key = replay.uniformRandom();
            EXPECT_EQ(std::vector<int>(order.data(), order.data() + n), scannedOrder(expectedKeys))
                << n << ", " << seed;
            EXPECT_EQ(std::vector<double>(keys.data(), keys.data() + n), expectedKeys);
        }
    }
}

TEST(PopulationGenesTest, ReadsTheGenesThatAreNotZeroAndTheSetOnes) {
    IMatrix population = intmatrix(0, 6, 0, 3);
    population[1][0] = 1;
    population[4][0] = 2;
    population[0][2] = 1;
    population[5][2] = 1;
    PopulationGenes genes;
    genes.read(population, 3, 6);
    ASSERT_EQ(genes.size(), 3);
    EXPECT_EQ(genes.of(0), (std::vector<GeneValue>{{1, 1}, {4, 2}}));
    EXPECT_TRUE(genes.of(1).empty());
    std::vector<int> set;
    PopulationGenes::setPositions(genes.of(0), 0, 6, set);
    PopulationGenes::setPositions(genes.of(2), 1, 6, set);
    EXPECT_EQ(set, (std::vector<int>{1, 5}));
}

// Generation after generation, the operators that work through the genes against those that
// read and write whole chromosomes: the same population and generator state, and the genes
// always those of the population. The population holds valid and invalid chromosomes and genes
// other than 0 and 1; an odd count with every chromosome crossed pairs the last with
// chromosome 0 (which may then be paired with itself).
TEST(PopulationGenesTest, OperatorsThroughTheGenesMatchTheWholeChromosomeOperators) {
    const int n = 200;
    std::vector<int> sortOrder(n);
    for (int h = 0; h < n; ++h) sortOrder[h] = (h * 73) % n;
    for (int nChromosomes : {2, 9, 31}) {
        for (double pCrossover : {0.6, 1.0}) {
            IMatrix fast = intmatrix(0, n, 0, nChromosomes);
            IMatrix reference = intmatrix(0, n, 0, nChromosomes);
            RandomSource fill(static_cast<std::uint32_t>(nChromosomes));
            for (int i = 0; i < nChromosomes; ++i) {
                const int cuts = i % 5;
                for (int c = 0; c < cuts; ++c) {
                    const int g = 2 + fill.draw() % (n - 4);
                    fast[g][i] = reference[g][i] = (i == 7 && c == 0) ? 3 : 1;
                }
            }
            PopulationGenes genes;
            genes.read(fast, nChromosomes, n);
            const PopulationGenes initial = genes;
            RandomSource fastRandom(5);
            RandomSource referenceRandom(5);
            std::vector<double> fitness(nChromosomes + 1);
            for (int generation = 0; generation < 30; ++generation) {
                const std::string where = std::to_string(nChromosomes) + " chromosomes, p " +
                                          std::to_string(pCrossover) + ", generation " +
                                          std::to_string(generation);
                for (int i = 0; i < nChromosomes; ++i) {
                    fitness[i] = static_cast<double>(genes.of(i).size() % 3);
                }
                selectChromosomes(fast, genes, fitness.data(), nChromosomes, 0.7, fastRandom);
                selectChromosomes(reference, fitness.data(), nChromosomes, n, 0.7, referenceRandom);
                crossoverPopulation(fast, genes, nChromosomes, n, pCrossover, sortOrder.data(), 1,
                                    4, 10, 3, fastRandom);
                crossoverPopulation(reference, nChromosomes, n, pCrossover, sortOrder.data(), 1, 4,
                                    10, 3, referenceRandom);
                mutatePopulation(fast, genes, nChromosomes, n, 0.004, sortOrder.data(), 1, 4, 10, 3,
                                 fastRandom);
                mutatePopulationOneDrawAtATime(reference, nChromosomes, n, 0.004, sortOrder.data(),
                                               1, 4, 10, 3, referenceRandom);
                ASSERT_EQ(fastRandom.state(), referenceRandom.state()) << where;
                PopulationGenes reread;
                reread.read(fast, nChromosomes, n);
                for (int i = 0; i < nChromosomes; ++i) {
                    ASSERT_EQ(chromosome(fast, i, n), chromosome(reference, i, n))
                        << where << ", chromosome " << i;
                    ASSERT_EQ(genes.of(i), reread.of(i)) << where << ", chromosome " << i;
                }
            }
            int changed = 0;
            for (int i = 0; i < nChromosomes; ++i) {
                changed += genes.of(i) != initial.of(i) ? 1 : 0;
            }
            EXPECT_GT(changed, nChromosomes / 2);
        }
    }
}

}  // namespace
}  // namespace kavri
