#include "estimation/series_statistics.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "model/regime_rule.h"
#include "model/setar_equation.h"

namespace kavri {

double seriesMean(const double* x, int n) {
    assert(n > 0);
    double sum = 0.0;
    for (int t = 0; t < n; ++t) {
        sum += x[t];
    }
    return sum / n;
}

double seriesVariance(const double* x, int n) {
    const double mean = seriesMean(x, n);
    double sum = 0.0;
    for (int t = 0; t < n; ++t) {
        const double deviation = x[t] - mean;
        sum += deviation * deviation;
    }
    return sum / n;
}

void autocorrelations(double* acf, int n, const double* e, int nLags) {
    assert(n > 0 && nLags >= 0);
    const double mean = seriesMean(e, n);
    double c0 = 0.0;
    for (int t = 0; t < n; ++t) {
        c0 += (e[t] - mean) * (e[t] - mean);
    }
    // A constant vector has no variation to correlate; 0/0 would put NaN into the Ljung-Box
    // statistic and everything that is shown from it.
    if (c0 == 0.0) {
        acf[0] = 1.0;
        for (int k = 1; k <= nLags; ++k) {
            acf[k] = 0.0;
        }
        return;
    }
    for (int k = 0; k <= nLags; ++k) {
        double ck = 0.0;
        for (int t = k; t < n; ++t) {
            ck += (e[t] - mean) * (e[t - k] - mean);
        }
        acf[k] = ck / c0;
    }
}

double ljungBoxStatistic(const double* acf, int n, int nLags) {
    double sum = 0.0;
    for (int h = 1; h <= nLags; ++h) {
        const double weight = (n + 2.0) / (n - h);
        sum += weight * (acf[h] * acf[h]);
    }
    return n * sum;
}

void fitWholeSeries(const double* x, int n, int maxOrder, int delay, const FittedModel& model,
                    double* residual, double* fitted, const double* z) {
    if (z == nullptr) {
        z = x;
    }
    assert(delay >= 1 && model.nRegimes >= 1 && model.nRegimes <= kMaxRegimeCount);
    // The first observations lack the lags or the threshold variable of the model: they are
    // reproduced as they stand and leave a zero residual.
    const int t0 = std::min(std::max(maxOrder - 1, delay), n);
    for (int t = 0; t < t0; ++t) {
        fitted[t] = x[t];
    }
    const int nRegimes = model.nRegimes;
    for (int t = t0; t < n; ++t) {
        if (!std::isfinite(z[t - delay])) {
            fitted[t] = x[t];
            continue;
        }
        const int r =
            regimeOfValue(z[t - delay], model.thresholdValues.data(), nRegimes, kWholeSeriesFitTie);
        fitted[t] =
            withTrend(regimeEquation(model.regimeCoefficients[r], model.regimeOrders[r], x + t),
                      model.trend, model.trendCoefficients[r], t + 1.0);
    }
    for (int t = 0; t < n; ++t) {
        residual[t] = x[t] - fitted[t];
    }
}

}  // namespace kavri
