#pragma once

#include <cstdint>

#include "genetic/random_source.h"
#include "model/notice.h"
#include "numeric/storage.h"

namespace kavri {

// Fills chromosomes 0 .. nChromosomes-2 of the population (genes are rows, chromosomes are
// columns) with randomly drawn valid chromosomes of 1 .. maxRegimes-1 thresholds, and clears
// chromosome nChromosomes-1 (the single-regime model). Every attempt reseeds `random` with the
// next of startSeed + 1, startSeed + 2, ... and the later operators continue that sequence.
// When the settings admit no chromosome with a threshold, the attempts are bounded and the
// notice says so instead of searching forever; with maxRegimes below 2 every chromosome is the
// single-regime one and nothing is drawn.
MaybeNotice initPopulation(IMatrix& population, int nChromosomes, int nObservations, int minObs,
                           int maxRegimes, int delay, int maxOrder, const int* sortOrder,
                           RandomSource& random, std::uint32_t startSeed);

}  // namespace kavri
