#pragma once

// A fitted model as a whole: its regimes summed into the model's criterion and statistics, and
// the numbers that are reported (ReportedModel).

#include <array>
#include <optional>

#include "estimation/regime_estimation.h"
#include "model/fitted_model.h"
#include "model/reported_model.h"

namespace kavri {

// The model as a whole. NAIC = sumAIC / Ntot + kNaicOffset (information_criterion.h),
// AIC = Ntot * NAIC, residual variance = sumSSE / Ntot.
struct ModelSummary {
    int effectiveObservations = 0;  // Ntot
    double sumAic = 0.0;
    double sumScore = 0.0;  // the regimes' scores, which rank exact fits (information_criterion.h)
    double sumSse = 0.0;
    double naic = 0.0;
    double aic = 0.0;
    double residualVariance = 0.0;
    std::optional<double> forecastMse;  // empty without held-out values
    double ljungBox = 0.0;
    double fitness = 0.0;
};

// Sums the regimes into Ntot, sumAIC and sumSSE and, when Ntot is not 0, forms NAIC, AIC and
// the residual variance. The offset is added after the division.
ModelSummary summariseRegimes(const std::array<RegimeFit, kMaxRegimeCount>& fits, int nRegimes);

ReportedModel describeModel(const FittedModel& model,
                            const std::array<RegimeFit, kMaxRegimeCount>& fits,
                            const ModelSummary& summary);

}  // namespace kavri
