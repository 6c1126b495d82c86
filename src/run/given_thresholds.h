#pragma once

#include <array>

#include "run/split_evaluation.h"

namespace kavri {

// Fits the model at the user's thresholds (1 to 3, in the order typed, each required to equal
// a value among the first n observations exactly; it is placed at the last rank holding that
// value). Every order 1 .. maxOrder - 1 is tried and the lowest AIC kept, whatever the
// criterion; the fitness is exp(-NAIC) whatever the fitness settings. Returns that fitness, 0.0
// when a regime cannot be fitted (for instance thresholds typed in descending order leave a
// regime empty), or the notice "Element of series do not exist" for a threshold that is not a
// series value.
// The slots of the user's thresholds that the estimation's argument list passes; the first
// nThresholds (at most three) are read.
inline constexpr int kUserThresholdSlots = 10;
using UserThresholds = std::array<double, kUserThresholdSlots>;

Result<double> estimateGivenThresholds(const EvaluationContext& context, const double* x,
                                       const double* sortedSeries, int nThresholds,
                                       const UserThresholds& userThresholds, const int* sortOrder,
                                       int n, int maxOrder, int delay, int iteration);

}  // namespace kavri
