#pragma once

// The exact threshold search as it was first written: every range [s, e) of the ranks grown
// from its start one rank at a time, a single dynamic programme over the range ends, one
// thread. Kept for the tests as the reference that the faster searches must reproduce to the
// last bit (thresholds, summed criterion and fitness).

#include "estimation/exact_search.h"

namespace kavri::testing {

Result<ExactOptimum> referenceExactOptimum(const RunSettings& settings, const double* x,
                                           const double* sortedSeries, const int* sortOrder,
                                           int delay);

}  // namespace kavri::testing
