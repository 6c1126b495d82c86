#include "genetic/selection.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace kavri {

namespace {

// Every key is raised above any uniform once it is ranked, so that the keys end as the
// selection scan (lowest remaining key first) leaves them.
constexpr double kTakenKey = 1e9 + 1;

// The loser becomes a copy of the winner: only the genes that are not 0 in either change.
void copyChromosome(IMatrix& population, PopulationGenes& genes, int winner, int loser) {
    if (winner == loser) {
        return;
    }
    for (const GeneValue& gene : genes.of(loser)) {
        population[gene.position][loser] = 0;
    }
    for (const GeneValue& gene : genes.of(winner)) {
        population[gene.position][loser] = gene.value;
    }
    genes.of(loser) = genes.of(winner);
}

}  // namespace

void randomOrder(int n, IVector& order, DVector& keys, RandomSource& random) {
    for (int j = 0; j < n; ++j) {
        keys[j] = random.uniformRandom();
    }
    // Rank by ascending key; among equal keys the higher index ranks lower, as a scan that
    // takes the last of equal minima would rank them.
    std::vector<int> byKey(static_cast<std::size_t>(std::max(n, 0)));
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(),
              [&keys](int a, int b) { return keys[a] < keys[b] || (keys[a] == keys[b] && a > b); });
    for (int i = 0; i < n; ++i) {
        order[byKey[i]] = i;
        keys[byKey[i]] = kTakenKey;
    }
}

void selectChromosomes(IMatrix& population, PopulationGenes& genes, const double* fitness,
                       int nChromosomes, double pSelection, RandomSource& random) {
    pairwiseTournaments(fitness, nChromosomes, pSelection, random, [&](int winner, int loser) {
        copyChromosome(population, genes, winner, loser);
    });
}

}  // namespace kavri
