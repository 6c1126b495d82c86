#include "estimation/model_summary.h"

#include "estimation/information_criterion.h"

namespace kavri {

ModelSummary summariseRegimes(const std::array<RegimeFit, kMaxRegimeCount>& fits, int nRegimes) {
    ModelSummary summary;
    for (int r = 0; r < nRegimes; ++r) {
        summary.sumSse += fits[r].sse;
        summary.sumAic += fits[r].aic;
        summary.sumScore += fits[r].score;
        summary.effectiveObservations += fits[r].observations;
    }
    if (summary.effectiveObservations != 0) {
        summary.naic = naicOf(summary.sumAic, summary.effectiveObservations);
        summary.aic = summary.effectiveObservations * summary.naic;
        summary.residualVariance = summary.sumSse / summary.effectiveObservations;
    }
    return summary;
}

ReportedModel describeModel(const FittedModel& model,
                            const std::array<RegimeFit, kMaxRegimeCount>& fits,
                            const ModelSummary& summary) {
    ReportedModel reported;
    reported.available = true;
    reported.constant = model.constant;
    reported.trend = model.trend;
    reported.lags.assign(model.lags.begin(), model.lags.begin() + model.nLags);
    for (int j = 0; j < model.nRegimes - 1; ++j) {
        reported.thresholds.push_back(model.thresholdValues[j]);
    }
    for (int r = 0; r < model.nRegimes; ++r) {
        RegimeReport regime;
        regime.order = model.regimeOrders[r];
        for (int q = 0; q <= regime.order; ++q) {
            regime.coefficients.push_back(model.regimeCoefficients[r][q]);
        }
        regime.trend = model.trendCoefficients[r];
        regime.observations = fits[r].observations;
        regime.residualVariance = fits[r].sse / fits[r].observations;
        if (fits[r].sst != 0.0) {
            regime.rSquare = 1.0 - fits[r].sse / fits[r].sst;
        }
        reported.regimes.push_back(std::move(regime));
    }
    reported.effectiveObservations = summary.effectiveObservations;
    reported.naic = summary.naic;
    reported.aic = summary.aic;
    reported.residualVariance = summary.residualVariance;
    reported.forecastMse = summary.forecastMse;
    reported.ljungBox = summary.ljungBox;
    reported.fitness = summary.fitness;
    return reported;
}

}  // namespace kavri
