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

// Below this residual sum of squares a regime is an exact fit, with no finite log-likelihood:
// its AIC is 0.
inline constexpr double kExactFitSse = 1e-10;

}  // namespace kavri
