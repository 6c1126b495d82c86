#include "genetic/crossover.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

#include "genetic/candidates.h"
#include "genetic/selection.h"

namespace kavri {

namespace {

// The set genes of a child: those of `head` up to the cut and those of `tail` after it.
void childSetGenes(const std::vector<GeneValue>& head, const std::vector<GeneValue>& tail, int cut,
                   int nObservations, std::vector<int>& positions) {
    positions.clear();
    PopulationGenes::setPositions(head, 0, cut + 1, positions);
    PopulationGenes::setPositions(tail, cut + 1, nObservations, positions);
}

// The index of the first gene after the cut.
std::size_t firstAfter(const std::vector<GeneValue>& genes, int cut) {
    std::size_t i = 0;
    while (i < genes.size() && genes[i].position <= cut) {
        ++i;
    }
    return i;
}

// Exchanges the genes after the cut between chromosomes a and b.
void exchangeTails(IMatrix& population, PopulationGenes& genes, int a, int b, int cut) {
    const std::vector<GeneValue>& parentA = genes.of(a);
    const std::vector<GeneValue>& parentB = genes.of(b);
    const std::size_t tailA = firstAfter(parentA, cut);
    const std::size_t tailB = firstAfter(parentB, cut);
    std::vector<GeneValue> childA(parentA.begin(), parentA.begin() + tailA);
    std::vector<GeneValue> childB(parentB.begin(), parentB.begin() + tailB);
    childA.insert(childA.end(), parentB.begin() + tailB, parentB.end());
    childB.insert(childB.end(), parentA.begin() + tailA, parentA.end());
    for (std::size_t i = tailA; i < parentA.size(); ++i) {
        population[parentA[i].position][a] = 0;
    }
    for (std::size_t i = tailB; i < parentB.size(); ++i) {
        population[parentB[i].position][b] = 0;
    }
    for (std::size_t i = tailA; i < childA.size(); ++i) {
        population[childA[i].position][a] = childA[i].value;
    }
    for (std::size_t i = tailB; i < childB.size(); ++i) {
        population[childB[i].position][b] = childB[i].value;
    }
    genes.of(a) = std::move(childA);
    genes.of(b) = std::move(childB);
}

}  // namespace

// P = ceil(n * pCrossover / 2) pairs. pCrossover sets how many chromosomes take part, not a
// chance per pair. With an odd n and pCrossover near 1 the last pair reaches order[n], the
// order's spare entry, which randomOrder leaves at 0 from the zero fill: the last chromosome
// in the order is then paired with chromosome 0. More pairs than (n + 1) / 2 would read past
// that entry, so a probability above 1 (or not a number) is held inside the valid range.
int crossoverPairCount(int n, double pCrossover) {
    const double wanted = std::ceil(n * pCrossover / 2.0);
    const int mostPairs = (n + 1) / 2;
    if (wanted >= mostPairs) {
        return mostPairs;
    }
    return wanted > 0.0 ? static_cast<int>(wanted) : 0;
}

void crossoverPopulation(IMatrix& population, PopulationGenes& genes, int nChromosomes,
                         int nObservations, double pCrossover, const int* sortOrder, int delay,
                         int maxRegimes, int minObs, int maxOrder, RandomSource& random) {
    assert(nObservations >= 1);
    const int n = nChromosomes;
    IVector order = ivector(0, n);
    DVector keys = dvector(0, n);
    randomOrder(n, order, keys, random);
    const std::vector<int> usableBefore =
        usableRanksBefore(sortOrder, delay, nObservations, maxOrder);
    std::vector<int> child1;
    std::vector<int> child2;
    auto valid = [&](const std::vector<int>& child) {
        return checkSetGenes(child.data(), static_cast<int>(child.size()), usableBefore, delay,
                             nObservations, maxRegimes, minObs) == kChromosomeValid;
    };

    const int nPairs = crossoverPairCount(n, pCrossover);
    for (int i = 0; i < nPairs; ++i) {
        const int a = order[2 * i];
        const int b = order[2 * i + 1];
        const int cut = random.drawBelow(nObservations);
        childSetGenes(genes.of(a), genes.of(b), cut, nObservations, child1);
        childSetGenes(genes.of(b), genes.of(a), cut, nObservations, child2);
        // Invalid children are not repaired: unless both pass, both parents stay.
        if (valid(child1) && valid(child2) && a != b) {
            exchangeTails(population, genes, a, b, cut);
        }
    }
}

}  // namespace kavri
