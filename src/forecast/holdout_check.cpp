#include "forecast/holdout_check.h"

#include <cmath>
#include <limits>

#include "forecast/multi_step_forecast.h"

namespace kavri {

std::optional<HoldoutCheck> checkOnHoldout(const ReportedModel& model,
                                           const ForecastSettings& settings) {
    const int origin = fittedObservations(model);
    const int nHeldOut = static_cast<int>(model.series.size()) - origin;
    if (nHeldOut <= 0) {
        return std::nullopt;
    }
    ForecastSettings checkSettings = settings;
    checkSettings.horizon = nHeldOut;
    HoldoutCheck check;
    check.forecasts = forecastFrom(model, origin, checkSettings);
    double sumOfSquares = 0.0;
    double sumOfAbsolute = 0.0;
    double sumOfPercentages = 0.0;
    for (int h = 1; h <= nHeldOut; ++h) {
        const std::size_t i = static_cast<std::size_t>(h - 1);
        const double observed = model.series[static_cast<std::size_t>(origin) + i];
        const double error = observed - check.forecasts.point[i];
        sumOfSquares += error * error;
        check.observed.push_back(observed);
        check.error.push_back(error);
        check.rmse.push_back(std::sqrt(sumOfSquares / h));
        sumOfAbsolute += std::fabs(error);
        check.mae.push_back(sumOfAbsolute / h);
        sumOfPercentages = observed == 0.0 ? std::numeric_limits<double>::quiet_NaN()
                                           : sumOfPercentages + std::fabs(error / observed);
        check.mape.push_back(100.0 * sumOfPercentages / h);
    }
    return check;
}

}  // namespace kavri
