#pragma once

#include "genetic/population_genes.h"
#include "genetic/random_source.h"
#include "numeric/storage.h"

namespace kavri {

// The number of pairs crossed: ceil(nChromosomes * pCrossover / 2), held inside the pairs a
// random order of nChromosomes can give.
int crossoverPairCount(int nChromosomes, double pCrossover);

// One-point crossover of crossoverPairCount(nChromosomes, pCrossover) random pairs; both
// children replace their parents only when both pass checkChromosome. The children are checked
// from their set genes (population_genes.h) and the matrix is written only where a gene
// changes; `genes` stays that of the population. Requires nChromosomes >= 2.
void crossoverPopulation(IMatrix& population, PopulationGenes& genes, int nChromosomes,
                         int nObservations, double pCrossover, const int* sortOrder, int delay,
                         int maxRegimes, int minObs, int maxOrder, RandomSource& random);

}  // namespace kavri
