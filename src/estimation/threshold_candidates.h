#pragma once

// Which observed values the exact search tries as thresholds. Every value is tried while the
// search over all of them takes about a second: with one threshold at most the search is
// linear in n and always tries every value; with two or three its table grows as the square
// of the candidates, so past a length that depends on maxOrder it tries the values at evenly
// spaced ranks, and is exact over those.

#include "estimation/split_problem.h"

namespace kavri {

// Lets the search choose how many candidates to try.
inline constexpr int kAutomaticCandidates = 0;

// The values at `count` evenly spaced ranks, floor(i n / (count + 1)) for i = 1 .. count;
// every value when count >= n - 1.
ThresholdCandidates evenlySpacedCandidates(int n, int count);

// The largest number of candidates whose table takes about a second at this maxOrder (the
// length up to which every value is tried with two or three thresholds).
int candidateBudget(int maxOrder);

// requested > 0: evenlySpacedCandidates(n, requested). kAutomaticCandidates: every value with
// at most two regimes or at most candidateBudget(maxOrder) values, else that many evenly
// spaced ones.
ThresholdCandidates chooseThresholdCandidates(int n, int maxRegimes, int maxOrder, int requested);

}  // namespace kavri
