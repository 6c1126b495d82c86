#pragma once

// Statistics of double vectors shared by the estimation: every vector is 0-based and every
// sum runs in index order.

#include "model/fitted_model.h"

namespace kavri {

// (x[0] + .. + x[n-1]) / n.
double seriesMean(const double* x, int n);

// Population variance: sum of squared deviations from the mean, divided by n (not n - 1).
double seriesVariance(const double* x, int n);

// Sample autocorrelations acf[0 .. nLags] of e[0 .. n-1]: c_k / c_0 with
// c_k = sum_{t=k..n-1} (e[t]-m)(e[t-k]-m). A constant vector (c_0 = 0) has no serial
// correlation to measure: acf[0] = 1 and every other lag 0, so its Ljung-Box statistic is 0.
void autocorrelations(double* acf, int n, const double* e, int nLags);

// Ljung-Box portmanteau statistic Q = n * sum_{h=1..nLags} (n+2)/(n-h) * acf[h]^2 over the
// autocorrelations of a residual vector of length n; Q = 0 when nLags = 0.
double ljungBoxStatistic(const double* acf, int n, int nLags);

// Applies a fitted model to x[0 .. n-1]: for t below max(maxOrder - 1, delay) the fitted value
// is the observation itself; from there on the regime is the first j with
// x[t - delay] < thresholdValues[j] (a lagged value equal to a threshold belongs to the regime
// above it) and the fitted value is that regime's constant plus its lag terms.
// residual[t] = x[t] - fitted[t].
// With a threshold variable z beside x (null: x itself) the regime follows z[t - delay]; an
// observation whose z is not a number (the change has none at the first value) is reproduced
// as it stands, as the first observations are.
void fitWholeSeries(const double* x, int n, int maxOrder, int delay, const FittedModel& model,
                    double* residual, double* fitted, const double* z = nullptr);

}  // namespace kavri
