#include "genetic/mutation.h"

#include <cassert>

#include "genetic/candidates.h"

namespace kavri {

void mutatePopulation(IMatrix& population, int nChromosomes, int nObservations, double pMutation,
                      const int* sortOrder, int delay, int maxRegimes, int minObs, int maxOrder,
                      RandomSource& random) {
    assert(delay >= 0);
    IVector mutant = ivector(0, nObservations);
    // The first delay + 1 and the last delay genes never flip.
    const int firstMutable = delay + 1;
    const int lastMutable = nObservations - delay - 1;
    for (int i = 0; i < nChromosomes; ++i) {
        for (int g = 0; g < nObservations; ++g) {
            mutant[g] = population[g][i];
        }
        for (int g = firstMutable; g <= lastMutable; ++g) {
            // One draw per mutable gene whether it flips or not; < so that pMutation 0 never
            // flips, even on a draw of exactly 0.
            if (random.uniformRandom() < pMutation) {
                mutant[g] = 1 - mutant[g];
            }
        }
        // Checked even when nothing flipped; an invalid mutant is dropped, not repaired.
        if (checkChromosome(mutant.data(), sortOrder, delay, nObservations, maxRegimes, minObs,
                            maxOrder) == kChromosomeValid) {
            for (int g = 0; g < nObservations; ++g) {
                population[g][i] = mutant[g];
            }
        }
    }
}

}  // namespace kavri
