#pragma once

// The report of an estimated model: its numbers (ReportedModel) and, formatted from them, the
// result texts of the main window.

#include <array>
#include <optional>
#include <string>

#include "estimation/fitted_model.h"
#include "estimation/regime_estimation.h"
#include "estimation/reported_model.h"
#include "report/result_texts.h"

namespace kavri {

// The model as a whole. NAIC = sumAIC / Ntot + 0.018, AIC = Ntot * NAIC, residual variance =
// sumSSE / Ntot.
struct ModelSummary {
    int effectiveObservations = 0;  // Ntot
    double sumAic = 0.0;
    double sumSse = 0.0;
    double naic = 0.0;
    double aic = 0.0;
    double residualVariance = 0.0;
    std::optional<double> forecastMse;  // empty without held-out values
    double ljungBox = 0.0;
    double fitness = 0.0;
};

// Sums the regimes into Ntot, sumAIC and sumSSE and, when Ntot is not 0, forms NAIC, AIC and
// the residual variance. The constant 0.018 is added after the division.
ModelSummary summariseRegimes(const std::array<RegimeFit, kMaxRegimeCount>& fits, int nRegimes);

ReportedModel describeModel(const FittedModel& model,
                            const std::array<RegimeFit, kMaxRegimeCount>& fits,
                            const ModelSummary& summary);

// The "Threshold" text for k = 1 .. 3 thresholds; k = 0 leaves the text as it was.
void writeThresholdText(int nThresholds, const std::array<double, kMaxThresholdCount>& values,
                        ResultTexts& texts);

// Writes the estimate panels and the per-regime and model texts, refreshing after each group.
// The Ljung-Box text takes `ljungBoxFormat` ("%f" for a searched model, "%.3f" at given
// thresholds). The MSE text is written only when the model has forecasts. A regime whose
// responses are all equal has no R square (its total sum of squares is 0): it shows
// "undefined" rather than a meaningless ratio.
void reportModel(int nThresholds, const FittedModel& model, const ReportedModel& reported,
                 const char* ljungBoxFormat, ResultTexts& texts, RunObserver& observer);

}  // namespace kavri
