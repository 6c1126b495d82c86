#pragma once

// A series generated from the reported model, to study the method on data whose thresholds
// and coefficients are known.

#include <cstdint>
#include <vector>

#include "forecast/forecast_settings.h"
#include "model/reported_model.h"

namespace kavri {

// Values discarded at the start of a simulated series, so that it no longer remembers the
// observed values it started from.
inline constexpr int kSimulationBurnIn = 100;

// The longest series a front end asks for: far beyond what Kavri fits, small in memory.
inline constexpr int kMaxSimulatedLength = 1000000;

// `length` values of the model with bootstrap or Gaussian innovations (`method`, not the
// skeleton) from one random stream of `seed`. The recursion starts from the first
// max(largest order, delay) values of the series, runs kSimulationBurnIn steps that are
// dropped, and every step takes the regime by the fitting rule. An explosive model can
// overflow: the values are returned as they come, infinities and not-a-number included.
std::vector<double> simulateSeries(const ReportedModel& model, int length, ForecastMethod method,
                                   std::uint64_t seed);

}  // namespace kavri
