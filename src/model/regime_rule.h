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

// The tie of step h = 1, 2, ... of a multi-step forecast from an origin (forecast/).
// Step 1 is a one-step forecast from observed values: the very forecast that the first line
// of Predictions.txt shows for origin nObservations, and the one that would follow its last
// line for the origin at the end of the data. It takes the held-out forecasts' tie, so that
// the same forecast never has two values and the dynamic check of the multi-step forecasts
// starts exactly where the one-step errors start. From step 2 on, the forecast iterates the
// model as it was estimated, and simulated paths must be draws of the process whose
// regressions and residuals the fit produced: those steps take the fit's tie. A tie can only
// arise there while the threshold variable is still observed (h <= d); a simulated value
// equal to a threshold has probability zero.
inline constexpr ThresholdTie forecastStepTie(int step) {
    return step == 1 ? kHoldoutForecastTie : kWholeSeriesFitTie;
}

// The regime (0 .. nRegimes-1) that z selects among thresholds[0 .. nRegimes-2].
inline int regimeOfValue(double z, const double* thresholds, int nRegimes, ThresholdTie tie) {
    const int last = nRegimes - 1;
    for (int j = 0; j < last; ++j) {
        const bool below =
            tie == ThresholdTie::kLowerRegime ? z <= thresholds[j] : z < thresholds[j];
        if (below) {
            return j;
        }
    }
    return last;
}

}  // namespace kavri
