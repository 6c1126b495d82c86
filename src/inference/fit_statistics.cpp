#include "inference/fit_statistics.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>

#include "inference/distributions.h"

namespace kavri {

namespace {

std::optional<double> gaussianLogLikelihood(const CoefficientTable& table) {
    const double log2Pi = std::log(2.0 * std::numbers::pi);
    double sum = 0.0;
    for (const RegimeCoefficients& regime : table.regimes) {
        if (regime.observations == 0 || !(regime.sse > 0.0)) {
            return std::nullopt;
        }
        const double n = regime.observations;
        sum += -0.5 * n * (log2Pi + std::log(regime.sse / n) + 1.0);
    }
    return sum;
}

}  // namespace

FitStatistics fitStatistics(const ReportedModel& model, const CoefficientTable& table) {
    assert(model.available && table.regimes.size() == model.regimes.size());
    FitStatistics statistics;
    for (std::size_t r = 0; r < model.regimes.size(); ++r) {
        const int parameters = static_cast<int>(model.lagsOf(r).size()) + (model.constant ? 1 : 0) +
                               (model.trend ? 1 : 0);
        const int observations = table.regimes[r].observations;
        statistics.observations += observations;
        statistics.coefficients += parameters;
        if (observations < kObservationsPerParameter * parameters) {
            statistics.sparseRegimes.push_back(
                SparseRegime{static_cast<int>(r) + 1, observations, parameters});
        }
    }
    statistics.thresholds = static_cast<int>(model.regimes.size()) - 1;
    statistics.logLikelihood = gaussianLogLikelihood(table);

    statistics.aic = model.aic;
    if (statistics.observations > 0) {
        const int k = statistics.coefficients;
        statistics.bic =
            model.aic - 2.0 * k +
            std::log(static_cast<double>(statistics.observations)) * (k + statistics.thresholds);
    }

    statistics.ljungBox = model.ownLjungBox();
    statistics.ljungBoxLags = std::max(0, static_cast<int>(model.ownAutocorrelations().size()) - 1);
    statistics.ljungBoxDf = statistics.ljungBoxLags - model.mostLagsFitted();
    statistics.lagSubset = !model.lags.empty();
    if (statistics.ljungBoxDf > 0) {
        statistics.ljungBoxP = chiSquaredUpperTail(statistics.ljungBox, statistics.ljungBoxDf);
    }
    return statistics;
}

}  // namespace kavri
