#pragma once

// The profile of the search criterion around the exact optimum: one threshold moved over every
// position the validity check admits between its neighbours, the other thresholds held where
// the optimum has them. It shows how sharply the data pin each threshold down; a flat profile
// means that the data hardly tell neighbouring thresholds apart.

#include <vector>

#include "estimation/exact_search.h"
#include "model/run_settings.h"

namespace kavri {

// The profile of threshold i of the optimum (0-based, in ascending order).
struct ThresholdProfileCurve {
    int threshold = 0;
    std::vector<int> positions;   // admissible ranks, ascending
    std::vector<double> values;   // sortedSeries[positions[j]]: the threshold value there
    std::vector<double> fitness;  // fitness of the chromosome with the threshold at positions[j]
    int optimumIndex = 0;         // where positions holds the optimum's own rank
};

struct ThresholdProfile {
    std::vector<ThresholdProfileCurve> curves;  // one per threshold of the optimum
};

// Profiles every threshold of `optimum`, the result of findExactOptimum with the same settings,
// series, ranking and delay. A position is admissible when it lies strictly between the
// neighbouring thresholds (or rank 0 and n) and both regimes it bounds keep at least minObs
// usable observations, as checkChromosome requires. Each fitness is the exact search's own
// score of that chromosome, so fitness[optimumIndex] equals optimum.fitness to the last bit
// (elsewhere between neighbours more than 2000 ranks apart, as on long series, to rounding);
// positions whose regimes cannot be fitted (a singular regression) are left out. An optimum
// without thresholds, or whose every split is singular, has no profile. Time grows linearly with n.
ThresholdProfile profileThresholds(const RunSettings& settings, const double* x,
                                   const double* sortedSeries, const int* sortOrder, int delay,
                                   const ExactOptimum& optimum,
                                   const double* thresholdSeries = nullptr);

}  // namespace kavri
