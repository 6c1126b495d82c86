#include "forecast/setar_recursion.h"

#include <algorithm>
#include <cassert>

#include "model/regime_rule.h"

namespace kavri {

SetarRecursion::SetarRecursion(const ReportedModel& model)
    : thresholds_(model.thresholds), trend_(model.trend), delay_(model.delay) {
    assert(model.available && model.delay >= 1);
    assert(model.regimes.size() == model.thresholds.size() + 1);
    memory_ = delay_;
    for (const RegimeReport& regime : model.regimes) {
        assert(regime.coefficients.size() == static_cast<std::size_t>(regime.order) + 1);
        coefficients_.push_back(regime.coefficients);
        trends_.push_back(regime.trend);
        memory_ = std::max(memory_, regime.order);
    }
}

int SetarRecursion::fittedRegime(double z) const {
    return regimeOfValue(z, thresholds_.data(), nRegimes(), kWholeSeriesFitTie);
}

int SetarRecursion::forecastRegime(double z, int step) const {
    return regimeOfValue(z, thresholds_.data(), nRegimes(), forecastStepTie(step));
}

}  // namespace kavri
