#pragma once

#include "model/fitted_model.h"
#include "model/result_texts.h"

namespace kavri {

// Writes the estimated equation of regime k (1 .. nThresholds + 1) into estimate panel k, in
// the format that the regime's order and the model's number of thresholds select, and
// refreshes after each panel written. A regime whose order has no format (0, 12 or more; 11
// unless the model has exactly one threshold) leaves its panel as it was, as do the panels
// above the model's regimes. nThresholds outside 0..3 writes nothing.
void showEstimatePanels(int nThresholds, const FittedModel& model, ResultTexts& texts,
                        RunObserver& observer);

}  // namespace kavri
