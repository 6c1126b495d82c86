#pragma once

#include "genetic/population_genes.h"
#include "genetic/random_source.h"
#include "numeric/storage.h"

namespace kavri {

// One-point crossover of ceil(nChromosomes * pCrossover / 2) random pairs; both children
// replace their parents only when both pass checkChromosome. Requires nChromosomes >= 2.
void crossoverPopulation(IMatrix& population, int nChromosomes, int nObservations,
                         double pCrossover, const int* sortOrder, int delay, int maxRegimes,
                         int minObs, int maxOrder, RandomSource& random);

// The same with the population's genes kept beside it (population_genes.h): the same draws
// and the same population, the children checked from their set genes and the matrix written
// only where a gene changes; `genes` stays that of the population.
void crossoverPopulation(IMatrix& population, PopulationGenes& genes, int nChromosomes,
                         int nObservations, double pCrossover, const int* sortOrder, int delay,
                         int maxRegimes, int minObs, int maxOrder, RandomSource& random);

}  // namespace kavri
