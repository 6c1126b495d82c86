#pragma once

#include "model/fitted_model.h"
#include "model/result_texts.h"

namespace kavri {

// Writes the estimated equation of regime k (1 .. nThresholds + 1) into estimate panel k and
// refreshes after each panel written. The format is the one that the regime's order and the
// model's number of thresholds select where the table has one (orders 1 to 10, and 11 with
// exactly one threshold); any higher order is shown with the eleven-lag format followed by
// one "P(k) = %f" line per further lag. A regime of order 0 (none fitted) leaves its panel as
// it was, as do the panels above the model's regimes: the run clears them beforehand.
// nThresholds outside 0..3 writes nothing. A model with a subset of lags shows only the lags
// its regime fitted, each on the line it has in that layout ("P(9) = ..."), and a model with a
// trend shows its slope ("Trend = ...") after the constant.
void showEstimatePanels(int nThresholds, const FittedModel& model, ResultTexts& texts,
                        RunObserver& observer);

}  // namespace kavri
