#include "report/predictions_file.h"

#include <cassert>
#include <cstdio>

namespace kavri {
namespace {

constexpr const char* kOpenFailureText =
    "Kavri Directory do not exist or Predictions.txt File could not be opened\n";
constexpr const char* kWriteFailureText = "Predictions.txt could not be written completely\n";

// The regime of observation t: the first j whose threshold is not below the threshold
// variable z = x[t - delay]; a z equal to a threshold belongs to the lower regime. The
// thresholds are scanned in the order stored, so thresholds typed out of order give the
// regimes the user's order implies (a later, lower threshold can never be reached).
int forecastRegime(const FittedModel& model, double z) {
    const int lastRegime = model.nRegimes - 1;
    for (int j = 0; j < lastRegime; ++j) {
        if (z <= model.thresholdValues[j]) {
            return j;
        }
    }
    return lastRegime;
}

}  // namespace

HoldoutForecasts forecastHoldout(const double* x, int origin, const FittedModel& model,
                                 int nPredictions, int delay) {
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
            r = forecastRegime(model, x[t - delay]);
        }
        const int order = model.regimeOrders[r];
        assert(order <= model.regimeCoefficients.colHi() && t - order >= 0);
        const double* coefficients = model.regimeCoefficients[r];
        // Lags are observed values, held-out ones included: one step ahead from the actual past.
        double forecast = coefficients[0];
        for (int k = 1; k <= order; ++k) {
            forecast = forecast + coefficients[k] * x[t - k];
        }
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

MaybeNotice writePredictionsFile(const std::filesystem::path& path,
                                 const HoldoutForecasts& forecasts) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return errorNotice(kOpenFailureText);
    }
    // A full disk or a lost device must not leave a truncated file reported as written.
    bool written =
        std::fprintf(file, "%-8s\t%-8s\t%-8s\n", " Series", " Predictions", "Error") >= 0;
    for (std::size_t i = 0; written && i < forecasts.forecast.size(); ++i) {
        written = std::fprintf(file, "%8.5f\t%8.5f\t%8.5f\n", forecasts.observed[i],
                               forecasts.forecast[i], forecasts.error[i]) >= 0;
    }
    written = written && std::ferror(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        return errorNotice(kWriteFailureText);
    }
    return std::nullopt;
}

Result<double> predictHoldout(const double* x, int origin, const FittedModel& model,
                              int nPredictions, int delay, const std::filesystem::path& path) {
    const HoldoutForecasts forecasts = forecastHoldout(x, origin, model, nPredictions, delay);
    if (MaybeNotice notice = writePredictionsFile(path, forecasts)) {
        return *notice;
    }
    return forecasts.mse;
}

}  // namespace kavri
