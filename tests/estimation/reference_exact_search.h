#pragma once

// The exact threshold search as it was first written: every range [s, e) of the ranks grown
// from its start one rank at a time, a single dynamic programme over the range ends, one
// thread. Kept for the tests as the reference that the faster searches must reproduce to the
// last bit (thresholds, summed criterion and fitness). It fits the settings' model form, and
// with one order per regime exactly that many regimes. `thresholdSeries`: the threshold
// variable beside x when it is not x itself (the held-out forecasts choose their regime by it).

#include "estimation/exact_search.h"

namespace kavri::testing {

Result<ExactOptimum> referenceExactOptimum(const RunSettings& settings, const double* x,
                                           const double* sortedSeries, const int* sortOrder,
                                           int delay, const double* thresholdSeries = nullptr);

}  // namespace kavri::testing
