#include "estimation/holdout_forecasts.h"

#include <cassert>

#include "model/regime_rule.h"
#include "model/setar_equation.h"

namespace kavri {

HoldoutForecasts forecastHoldout(const double* x, int origin, const FittedModel& model,
                                 int nPredictions, int delay, const double* z) {
    if (z == nullptr) {
        z = x;
    }
    assert(nPredictions >= 1);
    assert(model.nRegimes >= 1 && model.nRegimes <= kMaxRegimeCount);
    HoldoutForecasts result;
    const std::size_t count = nPredictions > 0 ? static_cast<std::size_t>(nPredictions) : 0;
    result.observed.resize(count);
    result.forecast.resize(count);
    result.error.resize(count);

    for (int i = 0; i < nPredictions; ++i) {
        const int t = origin + i;
        int r = 0;
        if (model.nRegimes > 1) {
            assert(t - delay >= 0);
            r = regimeOfValue(z[t - delay], model.thresholdValues.data(), model.nRegimes,
                              kHoldoutForecastTie);
        }
        const int order = model.regimeOrders[r];
        assert(order <= model.regimeCoefficients.colHi() && t - order >= 0);
        // Lags are observed values, held-out ones included: one step ahead from the actual past.
        const double forecast = withTrend(regimeEquation(model.regimeCoefficients[r], order, x + t),
                                          model.trend, model.trendCoefficients[r], t + 1.0);
        result.observed[i] = x[t];
        result.forecast[i] = forecast;
        result.error[i] = x[t] - forecast;
    }

    double sum = 0.0;
    for (int i = 0; i < nPredictions; ++i) {
        sum = sum + result.error[i] * result.error[i];
    }
    result.mse = sum / nPredictions;
    return result;
}

}  // namespace kavri
