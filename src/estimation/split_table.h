#pragma once

// The exact search's table for two and three thresholds: the best split of the ranks into at
// most maxRegimes ranges is a shortest path over the range ends,
//     f_j(s) = min over e of cost(s, e) + f_(j-1)(e),   f_0(n) = 0,
// taken from the last start down. The ranges of one start are grown one unit at a time, so the
// table makes O(B^2) regression updates of O(maxOrder^2) for B boundaries.
//
// With every value a candidate the units are the usable observations in rank order and every
// range's regression is built row by row from its start, as QrRangeRegression does, so each
// cost is the one of a range grown alone, to the last bit. With fewer candidates a unit is the
// block of ranks between two candidates (table_units.h).
//
// Only starts that can begin a regime (minObs usable observations below and above) are grown.
// Starts are taken in blocks, from the last down: the ranges of a block's starts are computed
// side by side (regression_lanes.h) and in parallel, and combined at once with the paths of
// every later end, which are final; only ends inside the block wait for the block's own
// paths, which are then taken in order. Whoever runs the tasks, the sums are the same.
// Memory: the units (at most n rows of maxOrder + 1 values), the paths (maxRegimes x B) and a
// few factors per worker; nothing grows with B^2.

#include <functional>

#include "estimation/parallel_for.h"
#include "estimation/split_problem.h"

namespace kavri {

// progress, when set, is called after each block of starts with the share of the table done.
BestSplit bestSplitByTable(const SplitProblem& problem, const ThresholdCandidates& candidates,
                           const ParallelFor& parallel,
                           const std::function<void(double share)>& progress = {});

}  // namespace kavri
