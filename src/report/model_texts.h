#pragma once

// The result texts of a reported model: thresholds, estimate panels, per-regime and model texts.

#include <array>

#include "model/fitted_model.h"
#include "model/reported_model.h"
#include "model/result_texts.h"

namespace kavri {

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
