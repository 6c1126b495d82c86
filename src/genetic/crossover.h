#pragma once

#include "genetic/random_source.h"
#include "numeric/storage.h"

namespace kavri {

// One-point crossover of ceil(nChromosomes * pCrossover / 2) random pairs; both children
// replace their parents only when both pass checkChromosome. Requires nChromosomes >= 2.
void crossoverPopulation(IMatrix& population, int nChromosomes, int nObservations,
                         double pCrossover, const int* sortOrder, int delay, int maxRegimes,
                         int minObs, int maxOrder, RandomSource& random);

}  // namespace kavri
