#pragma once

#include "genetic/population_genes.h"
#include "genetic/random_source.h"
#include "numeric/storage.h"

namespace kavri {

// Flips each gene delay+1 .. nObservations-delay-1 of a copy of every chromosome when a uniform
// draw is < pMutation; the copy replaces the chromosome only when it passes checkChromosome.
// One uniform per mutable gene, chromosome after chromosome; the uniforms are drawn
// kDrawLanes at a time (random_draws.h) and compared as integers.
// The population's genes are kept beside it (population_genes.h): the mutants are checked from
// their set genes and the matrix is written only where a gene flips; `genes` stays that of the
// population.
void mutatePopulation(IMatrix& population, PopulationGenes& genes, int nChromosomes,
                      int nObservations, double pMutation, const int* sortOrder, int delay,
                      int maxRegimes, int minObs, int maxOrder, RandomSource& random);

}  // namespace kavri
