#include "estimation/threshold_candidates.h"

#include <algorithm>
#include <cmath>

namespace kavri {

namespace {

// Work units in about a second on two cores, a unit being a step of a rotation or a forecast
// term (some nanoseconds). The table with every value at maxOrder 4 and the fitness "AIC"
// does n^2 / 2 * 25 of them: some 10,000 values fit.
constexpr double kSecondOfWork = 1.5e9;

// The work of one range: its regression update and order choice grow with the square of the
// columns, its forecasts with the held-out values of its window, half of them on average.
double rangeWork(int maxOrder, int heldOut) {
    const double columns = std::max(maxOrder, 1) + 1.0;
    return columns * columns + 0.5 * std::max(heldOut, 0);
}

}  // namespace

ThresholdCandidates evenlySpacedCandidates(int n, int count) {
    ThresholdCandidates candidates;
    if (count >= n - 1) {
        return candidates;
    }
    candidates.everyValue = false;
    const long long spaces = static_cast<long long>(count) + 1;
    for (long long i = 1; i <= count; ++i) {
        candidates.ranks.push_back(static_cast<int>(i * n / spaces));
    }
    return candidates;
}

ThresholdCandidates chooseThresholdCandidates(int n, int maxRegimes, int maxOrder, int heldOut,
                                              int requested) {
    if (requested > 0) {
        return evenlySpacedCandidates(n, requested);
    }
    const double work = rangeWork(maxOrder, heldOut);
    if (maxRegimes <= 2) {
        // A prefix and a suffix per candidate.
        const double affordable = kSecondOfWork / (2.0 * work);
        return evenlySpacedCandidates(n, static_cast<int>(std::min<double>(affordable, n)));
    }
    if (0.5 * n * n * work <= kSecondOfWork) {
        return ThresholdCandidates{};
    }
    // With candidates a range appends whole blocks of ranks, each of up to maxOrder + 1 rows
    // (a longer block is appended as its own factor), so fewer candidates fit.
    const int columns = std::max(maxOrder, 1) + 1;
    int count = static_cast<int>(std::sqrt(2.0 * kSecondOfWork / work));
    for (int blockRows = 1; blockRows <= columns; ++blockRows) {
        const int rows = std::min(columns, (n + count) / (count + 1));
        if (rows <= blockRows) {
            break;
        }
        count = static_cast<int>(std::sqrt(2.0 * kSecondOfWork / (work * rows)));
    }
    return evenlySpacedCandidates(n, std::max(count, 1));
}

}  // namespace kavri
