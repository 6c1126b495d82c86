#pragma once

// Which regime a value of the threshold variable z = x[t - d] selects when a model is applied
// to data, given its thresholds (scanned in the order stored: thresholds typed out of order
// give the regimes that order implies, and a later, lower threshold is never reached).
//
// A fitted model is estimated on rank ranges (rank_ranges.h), where the observation whose value
// is a threshold falls in the regime above it. Applying the model to values is a separate
// choice, and the two uses make it differently:
// - the whole-series fit (fitted values and residuals) puts a z equal to a threshold in the
//   regime above, as the estimation does, so that each fitted observation is explained by the
//   equation estimated on it;
// - the one-step forecasts of held-out values put it in the regime below (z <= threshold).
// Both are kept as they are: Residuals.txt, Predictions.txt and the forecast MSE, which the
// "MSE" fitness and so the searches depend on, are results users compare across runs. In
// continuous data a held-out z rarely equals a threshold exactly; the exact search scores the
// forecasts with the same rule (kHoldoutForecastTie), so it optimises what the forecasts do.

namespace kavri {

enum class ThresholdTie {
    kUpperRegime,  // z equal to a threshold selects the regime above it
    kLowerRegime,  // z equal to a threshold selects the regime below it
};

inline constexpr ThresholdTie kWholeSeriesFitTie = ThresholdTie::kUpperRegime;
inline constexpr ThresholdTie kHoldoutForecastTie = ThresholdTie::kLowerRegime;

// The regime (0 .. nRegimes-1) that z selects among thresholds[0 .. nRegimes-2].
inline int regimeOfValue(double z, const double* thresholds, int nRegimes, ThresholdTie tie) {
    const int last = nRegimes - 1;
    for (int j = 0; j < last; ++j) {
        const bool below = tie == ThresholdTie::kLowerRegime ? z <= thresholds[j]
                                                             : z < thresholds[j];
        if (below) {
            return j;
        }
    }
    return last;
}

}  // namespace kavri
