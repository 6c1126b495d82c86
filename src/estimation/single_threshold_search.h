#pragma once

// The exact search with at most two regimes, in time linear in n. A split has one threshold
// at most, so its ranges start at the lowest rank or end at the highest: every cost the search
// needs is that of a prefix [0, e) or of a suffix [e, n). The prefixes are grown upwards from
// rank 0 and the suffixes downwards from rank n - 1, one row each, O(n maxOrder^2) in all.
//
// The table (split_table.h) grows every range upwards from its start, and a suffix grown
// downwards holds the same rows in the other order, which can change its factor in the last
// bits. So the few thresholds whose sums lie within rounding of the lowest are checked once
// more with their suffix grown upwards, and the split is chosen among those sums: the
// thresholds and the summed criterion are then the ones the table finds, bit for bit.

#include "estimation/parallel_for.h"
#include "estimation/split_problem.h"

namespace kavri {

// problem.maxRegimes must be 1 or 2.
BestSplit bestSingleThreshold(const SplitProblem& problem, const ThresholdCandidates& candidates,
                              const ParallelFor& parallel);

}  // namespace kavri
