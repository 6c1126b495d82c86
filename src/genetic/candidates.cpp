#include "genetic/candidates.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace kavri {

void rankCandidates(const double* x, int n, IVector& sortOrder, DVector& sortedSeries) {
    assert(n >= 0);
    int* order = sortOrder.data();
    for (int t = 0; t < n; ++t) {
        order[t] = t;
    }
    // A stable sort on the values alone keeps equal values in time order: the same ranking as
    // repeatedly taking the first strictly smallest remaining value, with no sentinel value
    // that a large observation could collide with.
    std::stable_sort(order, order + n, [x](int s, int t) { return x[s] < x[t]; });
    for (int h = 0; h < n; ++h) {
        sortedSeries[h] = x[order[h]];
    }
}

void rankThresholdCandidates(const double* z, int n, IVector& sortOrder, DVector& sortedSeries) {
    std::vector<double> known;
    std::vector<int> times;
    known.reserve(static_cast<std::size_t>(n));
    times.reserve(static_cast<std::size_t>(n));
    for (int s = 0; s < n; ++s) {
        if (std::isfinite(z[s])) {
            known.push_back(z[s]);
            times.push_back(s);
        }
    }
    const int nKnown = static_cast<int>(known.size());
    if (nKnown == n) {
        rankCandidates(z, n, sortOrder, sortedSeries);
        return;
    }
    IVector order = ivector(0, std::max(nKnown, 1));
    DVector sorted = dvector(0, std::max(nKnown, 1));
    rankCandidates(known.data(), nKnown, order, sorted);
    for (int h = 0; h < nKnown; ++h) {
        sortOrder[h] = times[static_cast<std::size_t>(order[h])];
        sortedSeries[h] = sorted[h];
    }
    for (int h = nKnown; h < n; ++h) {
        sortOrder[h] = n;
        sortedSeries[h] = std::numeric_limits<double>::infinity();
    }
}

int checkChromosome(const int* chromosome, const int* sortOrder, int delay, int nObservations,
                    int maxRegimes, int minObs, int maxOrder) {
    if (nObservations - delay < delay + 1) {
        return kSeriesTooShortForDelay;
    }

    int nThresholds = 0;
    for (int h = 0; h < nObservations; ++h) {
        if (chromosome[h] == 1) {
            ++nThresholds;
        }
    }
    if (nThresholds + 1 > maxRegimes) {
        return kTooManyThresholds;
    }
    if (nThresholds == 0) {
        return kChromosomeValid;
    }

    // Walk the ranks once: a set gene closes the regime below it. Rank h stands for the
    // observation t = sortOrder[h] + delay, which counts only when its lags lie in the sample.
    int usableInRegime = 0;
    for (int h = 0; h < nObservations; ++h) {
        if (chromosome[h] == 1) {
            if (usableInRegime < minObs) {
                return kRegimeBelowMinObs;
            }
            usableInRegime = 0;
        }
        const int t = sortOrder[h] + delay;
        if (t >= maxOrder - 1 && t <= nObservations - 1) {
            ++usableInRegime;
        }
    }
    if (usableInRegime < minObs) {
        return kRegimeBelowMinObs;
    }
    return kChromosomeValid;
}

std::vector<int> usableRanksBefore(const int* sortOrder, int delay, int nObservations,
                                   int maxOrder) {
    std::vector<int> usable(static_cast<std::size_t>(std::max(nObservations, 0)) + 1, 0);
    for (int h = 0; h < nObservations; ++h) {
        const int t = sortOrder[h] + delay;
        usable[h + 1] = usable[h] + (t >= maxOrder - 1 && t <= nObservations - 1 ? 1 : 0);
    }
    return usable;
}

int checkSetGenes(const int* setGenes, int count, const std::vector<int>& usableBefore, int delay,
                  int nObservations, int maxRegimes, int minObs) {
    if (nObservations - delay < delay + 1) {
        return kSeriesTooShortForDelay;
    }
    if (count + 1 > maxRegimes) {
        return kTooManyThresholds;
    }
    int regimeStart = 0;
    for (int i = 0; i <= count; ++i) {
        const int regimeEnd = i < count ? setGenes[i] : nObservations;
        if (usableBefore[regimeEnd] - usableBefore[regimeStart] < minObs && count > 0) {
            return kRegimeBelowMinObs;
        }
        regimeStart = regimeEnd;
    }
    return kChromosomeValid;
}

}  // namespace kavri
