#include "forecast/setar_recursion.h"

#include <algorithm>
#include <cassert>

#include "model/regime_rule.h"

namespace kavri {

SetarRecursion::SetarRecursion(const ReportedModel& model, int origin)
    : thresholds_(model.thresholds),
      trend_(model.trend),
      delay_(model.delay),
      kind_(model.thresholdVariable),
      origin_(origin) {
    assert(model.available && model.delay >= 1);
    assert(model.regimes.size() == model.thresholds.size() + 1);
    memory_ = delay_;
    for (const RegimeReport& regime : model.regimes) {
        assert(regime.coefficients.size() == static_cast<std::size_t>(regime.order) + 1);
        coefficients_.push_back(regime.coefficients);
        trends_.push_back(regime.trend);
        memory_ = std::max(memory_, regime.order);
    }
    if (kind_ == ThresholdVariableKind::kDifference) {
        memory_ = std::max(memory_, delay_ + 1);
    }
    if (kind_ == ThresholdVariableKind::kColumn) {
        exogenous_ = model.thresholdSeries;
        exogenous_.insert(exogenous_.end(), model.thresholdFuture.begin(),
                          model.thresholdFuture.end());
    }
}

int SetarRecursion::knownSteps() const {
    if (kind_ != ThresholdVariableKind::kColumn) {
        return -1;
    }
    // Step h reads z at origin + h - 1 - delay, which must be below the known values' count.
    return std::max(0, static_cast<int>(exogenous_.size()) - origin_ + delay_);
}

int SetarRecursion::fittedRegime(double z) const {
    return regimeOfValue(z, thresholds_.data(), nRegimes(), kWholeSeriesFitTie);
}

int SetarRecursion::forecastRegime(double z, int step) const {
    return regimeOfValue(z, thresholds_.data(), nRegimes(), forecastStepTie(step));
}

}  // namespace kavri
