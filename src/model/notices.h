#pragma once

// Notices that several parts of the core raise, each written once so that every path that
// meets the condition shows the same words.

#include "model/notice.h"

namespace kavri {

// No observation entered a regression (no order to try, for instance maxOrder 1), so the
// normalised AIC would be 0 / 0. Captioned with the application name, without an icon.
Notice noEffectiveObservationsNotice();

// The "MSE" fitness asked for without held-out values to forecast.
Notice noForecastsNotice();

}  // namespace kavri
