#pragma once

// The one-step equation of a SETAR regime: its constant plus its coefficients times the lagged
// values, c[0] + c[1] lag(1) + ... + c[p] lag(p). The regime is the one that the threshold
// variable selects (regimeOfValue, regime_rule.h). The whole-series fit, the held-out
// forecasts, the multi-step recursion, the bootstrap's regenerated series and the skeleton all
// evaluate it here, so that they sum the same terms in the same order (increasing k) and agree
// to the last bit.

#include <concepts>

namespace kavri {

// c[0] + sum_{k = 1 .. order} c[k] * lag(k), summed in increasing k; lag(k) is the value k
// steps before the one the equation gives. Without a constant c[0] is 0.
template <std::invocable<int> Lag>
inline double regimeEquation(const double* c, int order, Lag lag) {
    double value = c[0];
    for (int k = 1; k <= order; ++k) {
        value = value + c[k] * lag(k);
    }
    return value;
}

// The equation of a model with a linear trend: the value above plus slope * time, where time is
// the observation's number in the sample (1 for its first value, continuing past its end).
// Added last, and only for such a model, so that every other model sums exactly as above.
inline double withTrend(double value, bool trend, double slope, double time) {
    return trend ? value + slope * time : value;
}

// The same with the lags before the position `next` points to: lag(k) = next[-k].
inline double regimeEquation(const double* c, int order, const double* next) {
    return regimeEquation(c, order, [next](int k) { return next[-k]; });
}

}  // namespace kavri
