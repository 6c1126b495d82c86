#pragma once

#include "genetic/random_source.h"
#include "numeric/storage.h"

namespace kavri {

// Flips each gene delay+1 .. nObservations-delay-1 of a copy of every chromosome when a uniform
// draw is < pMutation; the copy replaces the chromosome only when it passes checkChromosome.
void mutatePopulation(IMatrix& population, int nChromosomes, int nObservations, double pMutation,
                      const int* sortOrder, int delay, int maxRegimes, int minObs, int maxOrder,
                      RandomSource& random);

}  // namespace kavri
