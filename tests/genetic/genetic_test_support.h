#pragma once

// Helpers for the tests of the genetic operators: populations with the run's layout (genes are
// rows 0..n, chromosomes columns 0..c) and a way to tell how many draws an operator took.

#include <vector>

#include "genetic/random_source.h"
#include "numeric/storage.h"

namespace kavri::testing {

// Ranking of an increasing series: rank h is time h.
inline IVector identityRanking(int n) {
    IVector order = ivector(0, n);
    for (int h = 0; h < n; ++h) {
        order[h] = h;
    }
    return order;
}

inline std::vector<int> chromosome(const IMatrix& population, int column, int nObservations) {
    std::vector<int> genes(nObservations);
    for (int g = 0; g < nObservations; ++g) {
        genes[g] = population[g][column];
    }
    return genes;
}

inline void setChromosome(IMatrix& population, int column, const std::vector<int>& genes) {
    for (int g = 0; g < static_cast<int>(genes.size()); ++g) {
        population[g][column] = genes[g];
    }
}

// nObservations genes with exactly the listed ones set.
inline std::vector<int> withSetGenes(int nObservations, const std::vector<int>& setGenes) {
    std::vector<int> genes(nObservations, 0);
    for (int g : setGenes) {
        genes[g] = 1;
    }
    return genes;
}

// A generator that has made `nDraws` draws since being seeded with `seed`.
inline RandomSource advancedSource(unsigned seed, long long nDraws) {
    RandomSource random(seed);
    for (long long i = 0; i < nDraws; ++i) {
        random.draw();
    }
    return random;
}

// The next few draws agree: both generators stand at the same point of the sequence.
inline bool sameNextDraws(RandomSource a, RandomSource b) {
    for (int i = 0; i < 4; ++i) {
        if (a.draw() != b.draw()) {
            return false;
        }
    }
    return true;
}

}  // namespace kavri::testing
