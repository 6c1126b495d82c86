#include "genetic/crossover.h"

#include <cassert>
#include <cmath>

#include "genetic/candidates.h"
#include "genetic/selection.h"

namespace kavri {

namespace {

// P = ceil(n * pCrossover / 2) pairs. pCrossover sets how many chromosomes take part, not a
// chance per pair. With an odd n and pCrossover near 1 the last pair reaches order[n], the
// order's spare entry, which randomOrder leaves at 0 from the zero fill: the last chromosome
// in the order is then paired with chromosome 0. More pairs than (n + 1) / 2 would read past
// that entry, so a probability above 1 (or not a number) is held inside the valid range.
int pairCount(int n, double pCrossover) {
    const double wanted = std::ceil(n * pCrossover / 2.0);
    const int mostPairs = (n + 1) / 2;
    if (wanted >= mostPairs) {
        return mostPairs;
    }
    return wanted > 0.0 ? static_cast<int>(wanted) : 0;
}

}  // namespace

void crossoverPopulation(IMatrix& population, int nChromosomes, int nObservations,
                         double pCrossover, const int* sortOrder, int delay, int maxRegimes,
                         int minObs, int maxOrder, RandomSource& random) {
    assert(nObservations >= 1);
    const int n = nChromosomes;
    IVector child1 = ivector(0, nObservations);
    IVector child2 = ivector(0, nObservations);
    IVector order = ivector(0, n);
    DVector keys = dvector(0, n);
    randomOrder(n, order, keys, random);

    const int nPairs = pairCount(n, pCrossover);
    for (int i = 0; i < nPairs; ++i) {
        const int a = order[2 * i];
        const int b = order[2 * i + 1];
        const int cut = random.draw() % nObservations;
        for (int g = 0; g < nObservations; ++g) {
            child1[g] = population[g][a];
            child2[g] = population[g][b];
        }
        for (int g = cut + 1; g < nObservations; ++g) {
            const int gene = child1[g];
            child1[g] = child2[g];
            child2[g] = gene;
        }
        // Invalid children are not repaired: unless both pass, both parents stay.
        const bool bothValid = checkChromosome(child1.data(), sortOrder, delay, nObservations,
                                               maxRegimes, minObs, maxOrder) == kChromosomeValid &&
                               checkChromosome(child2.data(), sortOrder, delay, nObservations,
                                               maxRegimes, minObs, maxOrder) == kChromosomeValid;
        if (bothValid) {
            for (int g = 0; g < nObservations; ++g) {
                population[g][a] = child1[g];
                population[g][b] = child2[g];
            }
        }
    }
}

}  // namespace kavri
