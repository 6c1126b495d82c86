#pragma once

#include "genetic/population_genes.h"
#include "genetic/random_source.h"
#include "numeric/storage.h"

namespace kavri {

// A random arrangement of 0 .. n-1: n uniform keys, then order[j] = the rank of key j (equal
// keys: the higher index ranks lower). order[n] is never written. order and keys have
// bounds 0..n.
void randomOrder(int n, IVector& order, DVector& keys, RandomSource& random);

// Pairs the chromosomes in a random order (randomOrder() above); in each pair the
// fitter one, the second of the pair on a tie, is copied over the other with probability
// pSelection: copy(winner, loser). The draws are the order's keys, then one per pair.
template <typename Copy>
void pairwiseTournaments(const double* fitness, int n, double pSelection, RandomSource& random,
                         Copy copy) {
    IVector order = ivector(0, n);
    DVector keys = dvector(0, n);
    randomOrder(n, order, keys, random);
    for (int m = 0; m + 2 <= n; m += 2) {
        const int a = order[m];
        const int b = order[m + 1];
        const bool aWins = fitness[a] > fitness[b];
        if (random.uniformRandom() <= pSelection) {
            copy(aWins ? a : b, aWins ? b : a);
        }
    }
}

// Pairwise tournament: chromosomes are paired in a random order, and in each pair the fitter
// (the second on a tie) overwrites the other when a uniform draw is <= pSelection. The
// population's genes are kept beside it (population_genes.h): the matrix is written only where
// a gene changes; `genes` stays that of the population.
void selectChromosomes(IMatrix& population, PopulationGenes& genes, const double* fitness,
                       int nChromosomes, double pSelection, RandomSource& random);

}  // namespace kavri
