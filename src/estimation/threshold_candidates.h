#pragma once

// Which observed values the exact search tries as thresholds. Every value is tried while the
// search over all of them takes about a second; beyond that length the values at evenly spaced
// ranks, and the search is exact over those. With one threshold at most the search is linear
// in n, so only a long series with many held-out values to forecast for every range (the
// fitness "MSE") gets fewer candidates; with two or three thresholds the table grows as the
// square of the candidates, so the length depends on maxOrder and the held-out values.

#include "estimation/split_problem.h"

namespace kavri {

// Lets the search choose how many candidates to try.
inline constexpr int kAutomaticCandidates = 0;

// The values at `count` evenly spaced ranks, floor(i n / (count + 1)) for i = 1 .. count;
// every value when count >= n - 1.
ThresholdCandidates evenlySpacedCandidates(int n, int count);

// requested > 0: evenlySpacedCandidates(n, requested). kAutomaticCandidates: every value while
// the search over all of them stays within about a second, else as many evenly spaced ones as
// fit in that time. heldOut is the number of held-out values each range forecasts (0 with the
// fitness "AIC").
ThresholdCandidates chooseThresholdCandidates(int n, int maxRegimes, int maxOrder, int heldOut,
                                              int requested);

}  // namespace kavri
