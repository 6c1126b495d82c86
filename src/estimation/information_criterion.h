#pragma once

// The information criterion that chooses each regime's order and scores a whole model.
//
// A regime of m usable observations fitted at order p scores AIC = m ln(SSE / m) + 2 (p + 1).
// A model of regimes scores NAIC = sum of the regimes' AICs / Ntot + kNaicOffset, where Ntot
// counts every usable observation; AIC = Ntot * NAIC. The offset shifts every model alike, so
// it never changes which model is best; it keeps NAIC positive for the fitness exp(-NAIC).

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace kavri {

// Added to the mean AIC per observation after the division.
inline constexpr double kNaicOffset = 0.018;

// NAIC of regimes whose AICs sum to `sumAic` over Ntot usable observations.
inline double naicOf(double sumAic, int effectiveObservations) {
    return sumAic / effectiveObservations + kNaicOffset;
}

// The AIC an order must beat to be chosen at all when the thresholds are searched: far above
// any attainable AIC, so the first order of full rank is always taken.
inline constexpr double kSearchInitialBestAic = 1e13;

// The same bound at thresholds the user gives.
inline constexpr double kGivenThresholdsInitialBestAic = 1e11;

// A fit is exact when it leaves no residual beyond rounding: its residual sum of squares is at
// most this share of its responses' total sum of squares about their mean (an R square of at
// least 1 - 1e-10). An exact fit has no finite log-likelihood and scores AIC 0. The rule is
// relative because both sums scale with the square of the data's unit: a series and the same
// series in other units (times 10^k) must be exact fits alike, or not at all.
inline constexpr double kExactFitShare = 1e-10;

// Whether a regime's fit is exact (see kExactFitShare), for finite sums of squares. Responses
// that are all the same value are fitted exactly by the constant alone; their total sum of
// squares is 0 but for the rounding of their mean, so they are named rather than measured.
inline bool isExactFit(double sse, double sst, bool responsesEqual) {
    return responsesEqual || sse <= kExactFitShare * sst;
}

// How regimes are ranked. The displayed AIC scores an exact fit 0, which is worse than any
// imperfect fit whose residual variance is below 1: ranked by it, a search prefers a split one
// observation off a threshold, or four regimes of order 1, to the model that fits exactly. The
// score that orders orders, regimes and models instead counts a residual variance with a floor:
//
//     score = m ln(max(SSE / m, F)) + 2 (p + 1),  with SSE taken as 0 for an exact fit,
//
// where F = kExactFitShare times the variance of the fitted series: the rounding of a fit to
// that series. An exact fit is then the best fit its regime can have, exact fits of the same
// observations are ordered by their number of parameters, and a regime of m observations adds
// the same m ln F whichever split it belongs to, so that exact models are ordered by their
// parameters too. F follows the series' unit squared, as SSE / m does, so a series and the same
// series in other units are ranked alike. Above the floor the score is the AIC itself.
//
// The log of F for a series of variance `seriesVariance`; a series without spread (or whose
// variance overflowed) takes the least normal double's log, below every attainable variance.
inline double exactFitLogFloor(double seriesVariance) {
    const double floor = kExactFitShare * seriesVariance;
    return floor > 0.0 && std::isfinite(floor) ? std::log(floor) : std::log(DBL_MIN);
}

// A floor that never binds: exact fits score minus infinity, imperfect ones their AIC. Only
// for comparing the orders of one regime, where it ranks as the floor does.
inline constexpr double kNoExactFitFloor = -std::numeric_limits<double>::infinity();

// The score of a regime of m usable observations fitted at `order` lags with residual sum of
// squares SSE, against the log floor `logFloor` (see above). Sums that are not finite (they
// overflowed) give not-a-number, which no search chooses.
inline double regimeScore(int m, double sse, double sst, bool responsesEqual, int order,
                          double logFloor) {
    if (!std::isfinite(sse) || !std::isfinite(sst)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double logVariance =
        isExactFit(sse, sst, responsesEqual) ? logFloor : std::max(std::log(sse / m), logFloor);
    return m * logVariance + 2.0 * (order + 1);
}

}  // namespace kavri
