#pragma once

// The noise added at each step of a simulated path: a residual of the regime drawn with
// replacement (bootstrap), or a normal draw with the regime's residual variance (Gaussian).

#include <vector>

#include "forecast/forecast_settings.h"
#include "forecast/path_random_stream.h"
#include "model/reported_model.h"

namespace kavri {

class InnovationSource {
 public:
    // `method` is kBootstrap or kGaussian; `model` must be available.
    InnovationSource(const ReportedModel& model, ForecastMethod method);

    // One innovation for a step in `regime`, from the path's own stream.
    double draw(int regime, PathRandomStream& stream) const {
        const std::size_t r = static_cast<std::size_t>(regime);
        if (gaussian_) {
            return deviations_[r] * stream.standardNormal();
        }
        const std::vector<double>& pool = residuals_[r];
        return pool[static_cast<std::size_t>(stream.index(static_cast<int>(pool.size())))];
    }

    // The centred residuals that a regime's bootstrap draws from (empty for Gaussian).
    const std::vector<double>& residualPool(int regime) const {
        return residuals_[static_cast<std::size_t>(regime)];
    }

 private:
    bool gaussian_ = false;
    std::vector<std::vector<double>> residuals_;  // per regime
    std::vector<double> deviations_;              // per regime: sqrt(SSE / observations)
};

}  // namespace kavri
