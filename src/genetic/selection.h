#pragma once

#include "genetic/population_genes.h"
#include "genetic/random_source.h"
#include "numeric/storage.h"

namespace kavri {

// A random arrangement of 0 .. n-1: n uniform keys, then order[j] = the rank of key j (equal
// keys: the higher index ranks lower). order[n] is never written. order and keys have
// bounds 0..n.
void randomOrder(int n, IVector& order, DVector& keys, RandomSource& random);

// Pairwise tournament: chromosomes are paired in a random order, and in each pair the fitter
// (the second on a tie) overwrites the other when a uniform draw is <= pSelection.
void selectChromosomes(IMatrix& population, const double* fitness, int nChromosomes,
                       int nObservations, double pSelection, RandomSource& random);

// The same with the population's genes kept beside it (population_genes.h): the same draws
// and the same population, written only where a gene changes; `genes` stays that of the
// population.
void selectChromosomes(IMatrix& population, PopulationGenes& genes, const double* fitness,
                       int nChromosomes, double pSelection, RandomSource& random);

}  // namespace kavri
