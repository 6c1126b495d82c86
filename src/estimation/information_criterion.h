#pragma once

// The information criterion that chooses each regime's order and scores a whole model.
//
// A regime of m usable observations fitted at order p scores AIC = m ln(SSE / m) + 2 (p + 1).
// A model of regimes scores NAIC = sum of the regimes' AICs / Ntot + kNaicOffset, where Ntot
// counts every usable observation; AIC = Ntot * NAIC. The offset shifts every model alike, so
// it never changes which model is best; it keeps NAIC positive for the fitness exp(-NAIC).

namespace kavri {

// Added to the mean AIC per observation after the division.
inline constexpr double kNaicOffset = 0.018;

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

}  // namespace kavri
