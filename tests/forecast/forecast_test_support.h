#pragma once

// Reported models built by hand for the forecast tests, and the two-regime SETAR(1) that the
// coverage and simulation tests draw from and fit by least squares at its true threshold.

#include <cstddef>
#include <random>
#include <vector>

#include "model/reported_model.h"

namespace kavri::testing {

struct RegimeEquation {
    std::vector<double> coefficients;  // constant, then lags 1 .. p
    double residualVariance = 0.0;
};

// An available model with the given thresholds, equations, delay and series; residuals and the
// regime of each observation are left to the caller (the skeleton does not read them).
inline ReportedModel handMadeModel(std::vector<double> thresholds,
                                   const std::vector<RegimeEquation>& equations, int delay,
                                   std::vector<double> series) {
    ReportedModel model;
    model.available = true;
    model.thresholds = std::move(thresholds);
    for (const RegimeEquation& equation : equations) {
        RegimeReport regime;
        regime.order = static_cast<int>(equation.coefficients.size()) - 1;
        regime.coefficients = equation.coefficients;
        regime.residualVariance = equation.residualVariance;
        model.regimes.push_back(regime);
        model.maxOrder = std::max(model.maxOrder, regime.order + 1);
    }
    model.delay = delay;
    model.series = std::move(series);
    return model;
}

// x[t] = 0.4 + 0.6 x[t-1] + e[t] when x[t-1] < 0, else -0.3 - 0.4 x[t-1] + 0.5 e[t], e standard
// normal: a stationary two-regime SETAR(1) with delay 1, its threshold at 0, whose regimes
// differ in both dynamics and noise.
struct TrueSetar {
    static constexpr double kThreshold = 0.0;

    static double next(double previous, double e) {
        return previous < kThreshold ? 0.4 + 0.6 * previous + e : -0.3 - 0.4 * previous + 0.5 * e;
    }

    // `length` values after 100 dropped from a start at 0.
    static std::vector<double> simulate(std::mt19937_64& engine, int length) {
        std::normal_distribution<double> normal;
        double x = 0.0;
        for (int t = 0; t < 100; ++t) x = next(x, normal(engine));
        std::vector<double> series;
        for (int t = 0; t < length; ++t) {
            x = next(x, normal(engine));
            series.push_back(x);
        }
        return series;
    }
};

// Fits x[t] = a_r + b_r x[t-1] by least squares in each regime of x[t-1] against `threshold`
// (equal goes to the regime above) over t = 1 .. nFitted-1, as the reported model holds it:
// coefficients, SSE / observations, residuals and the regime of each observation. `series` may
// hold values after the fitted ones; they are the held-out values.
inline ReportedModel fitTwoRegimeAr1(const std::vector<double>& series, int nFitted,
                                     double threshold) {
    ReportedModel model = handMadeModel({threshold}, {{{0.0, 0.0}}, {{0.0, 0.0}}}, 1, series);
    model.regimeOfObservation.assign(static_cast<std::size_t>(nFitted), -1);
    model.residuals.assign(static_cast<std::size_t>(nFitted), 0.0);
    for (int r = 0; r < 2; ++r) {
        double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (int t = 1; t < nFitted; ++t) {
            const double x = series[static_cast<std::size_t>(t - 1)];
            if ((x < threshold ? 0 : 1) != r) continue;
            const double y = series[static_cast<std::size_t>(t)];
            n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
        }
        const double slope = (sxy - sx * sy / n) / (sxx - sx * sx / n);
        const double constant = (sy - slope * sx) / n;
        double sse = 0.0;
        for (int t = 1; t < nFitted; ++t) {
            const double x = series[static_cast<std::size_t>(t - 1)];
            if ((x < threshold ? 0 : 1) != r) continue;
            const double e = series[static_cast<std::size_t>(t)] - (constant + slope * x);
            model.residuals[static_cast<std::size_t>(t)] = e;
            model.regimeOfObservation[static_cast<std::size_t>(t)] = r;
            sse += e * e;
        }
        RegimeReport& regime = model.regimes[static_cast<std::size_t>(r)];
        regime.coefficients = {constant, slope};
        regime.observations = static_cast<int>(n);
        regime.residualVariance = sse / n;
    }
    return model;
}

}  // namespace kavri::testing
