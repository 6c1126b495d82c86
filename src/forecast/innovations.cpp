#include "forecast/innovations.h"

#include <cassert>
#include <cmath>

namespace kavri {

namespace {

// Subtracts the mean, summed in increasing index order. Each regime's regression has a
// constant, so its residuals already sum to zero up to rounding; centring keeps the simulated
// paths free of drift when an observation at a tie was classified differently by the rank
// split of the regressions and the value rule of the fitted values.
void centre(std::vector<double>& values) {
    if (values.empty()) {
        return;
    }
    double sum = 0.0;
    for (double value : values) {
        sum += value;
    }
    const double mean = sum / static_cast<double>(values.size());
    for (double& value : values) {
        value -= mean;
    }
}

}  // namespace

// The bootstrap draws from the residuals of the step's own regime rather than from all of them
// pooled. Each regime is a regression of its own with its own residual variance, and regimes
// differ in volatility as much as in dynamics (the calm and the turbulent phases of a market, the
// rising and falling phases of a cycle): pooled residuals would give the calm regime the
// turbulent one's spread and the reverse, so the intervals would be too wide in one regime and
// too narrow in the other. It is also the resampling analogue of the Gaussian method, which uses
// each regime's variance: the two methods then differ only in the shape of the noise. Every
// regime holds at least the search's minimum of observations, enough to resample from; a regime
// without residuals (which a reported model cannot have) would fall back on the pooled ones.
InnovationSource::InnovationSource(const ReportedModel& model, ForecastMethod method)
    : gaussian_(method == ForecastMethod::kGaussian) {
    assert(model.available && method != ForecastMethod::kSkeleton);
    const std::size_t nRegimes = model.regimes.size();
    if (gaussian_) {
        for (const RegimeReport& regime : model.regimes) {
            deviations_.push_back(std::sqrt(regime.residualVariance));
        }
        residuals_.resize(nRegimes);
        return;
    }
    residuals_.resize(nRegimes);
    // Each pool holds the residuals of its regime's own regression, also where the threshold
    // variable ties a threshold and the whole-series fit would apply the equation above.
    const std::vector<double>& own = model.ownResiduals();
    std::vector<double> pooled;
    for (std::size_t t = 0; t < model.regimeOfObservation.size() && t < own.size(); ++t) {
        const int r = model.regimeOfObservation[t];
        if (r >= 0 && static_cast<std::size_t>(r) < nRegimes) {
            residuals_[static_cast<std::size_t>(r)].push_back(own[t]);
            pooled.push_back(own[t]);
        }
    }
    assert(!pooled.empty());
    if (pooled.empty()) {
        pooled.push_back(0.0);  // no noise to resample rather than an empty draw
    }
    centre(pooled);
    for (std::vector<double>& pool : residuals_) {
        if (pool.empty()) {
            pool = pooled;
        } else {
            centre(pool);
        }
    }
}

}  // namespace kavri
