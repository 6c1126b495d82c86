#pragma once

// Threshold candidates and the chromosome encoding. The first n observations are ranked in
// ascending order (equal values in time order); gene h of a chromosome stands for rank h, and a
// set gene starts a new regime there, its threshold being the h-th smallest value. Rank h
// stands for the observation t = sortOrder[h] + delay, whose threshold variable x[t - delay]
// has rank h; that observation is usable only when maxOrder - 1 <= t <= n - 1.

#include <vector>

#include "numeric/storage.h"

namespace kavri {

// Fills sortOrder[0 .. n-1] with the time index of the i-th smallest of x[0 .. n-1] and
// sortedSeries[0 .. n-1] with the values in ascending order. Equal values keep time order.
// Correct for every finite value, however large.
void rankCandidates(const double* x, int n, IVector& sortOrder, DVector& sortedSeries);

// rankCandidates() of a threshold variable z[0 .. n-1] that may lack a value at some times (the
// change x[s] - x[s-1] has none at s = 0), marked by a value that is not finite. Those times
// take the top ranks, in time order, with the time index n: the observation n + delay it then
// stands for lies past the fitted values, so no regime, search or check ever counts it, while
// sortOrder keeps one entry per rank. Their sortedSeries entries are +infinity, which no
// threshold typed or searched can equal. With every value finite, rankCandidates() itself.
void rankThresholdCandidates(const double* z, int n, IVector& sortOrder, DVector& sortedSeries);

inline constexpr int kChromosomeValid = 0;
inline constexpr int kSeriesTooShortForDelay = -1;  // nObservations - delay < delay + 1
inline constexpr int kRegimeBelowMinObs = -2;       // a regime has fewer than minObs usable rows
inline constexpr int kTooManyThresholds = -3;       // set genes + 1 > maxRegimes

// Validity of a chromosome of nObservations genes: kChromosomeValid or one of the negative
// codes above, checked in the order -1, -3, -2. The all-zero chromosome is valid whatever
// minObs is.
int checkChromosome(const int* chromosome, const int* sortOrder, int delay, int nObservations,
                    int maxRegimes, int minObs, int maxOrder);

// usable[h] = the usable ranks among 0 .. h-1, for h = 0 .. nObservations.
std::vector<int> usableRanksBefore(const int* sortOrder, int delay, int nObservations,
                                   int maxOrder);

// checkChromosome() of the chromosome whose set genes are setGenes[0 .. count-1], ascending,
// in O(count) with the usable ranks from usableRanksBefore().
int checkSetGenes(const int* setGenes, int count, const std::vector<int>& usableBefore, int delay,
                  int nObservations, int maxRegimes, int minObs);

}  // namespace kavri
