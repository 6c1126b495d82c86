#pragma once

// The reported model's equations as a recursion that forecasts and simulations iterate:
//   x[t] = c_r0 + c_r1 x[t-1] + ... + c_rp x[t-p_r] (+ trend_r t) (+ an innovation),
// with r the regime that the threshold variable x[t - delay] selects.

#include <vector>

#include "model/reported_model.h"
#include "model/setar_equation.h"

namespace kavri {

class SetarRecursion {
 public:
    // `model` must be available: one coefficient row per regime, thresholds.size() + 1 rows.
    explicit SetarRecursion(const ReportedModel& model);

    int nRegimes() const { return static_cast<int>(coefficients_.size()); }
    int delay() const { return delay_; }
    // The past values a step reads: max(largest regime order, delay).
    int memory() const { return memory_; }

    // The regime of the model's fit: a threshold variable equal to a threshold belongs to the
    // regime above it.
    int fittedRegime(double z) const;

    // The regime of forecast step h = 1, 2, ... from a forecast origin: a threshold variable
    // equal to a threshold goes below it at step 1 and above it later (forecastStepTie()).
    int forecastRegime(double z, int step) const;

    // c_r0 + sum_{k = 1 .. p_r} c_rk * next[-k], summed in increasing k: the value the model
    // expects at the position `next` points to, given the values before it.
    // With a trend, plus its slope times `time`, the number of the observation that `next`
    // stands for (the sample's values are 1 .. n; forecasts continue the count).
    double conditionalMean(int regime, const double* next, double time = 0.0) const {
        const std::size_t r = static_cast<std::size_t>(regime);
        const std::vector<double>& c = coefficients_[r];
        return withTrend(regimeEquation(c.data(), static_cast<int>(c.size()) - 1, next), trend_,
                         trends_[r], time);
    }

    // One step: the regime from next[-delay] by forecastRegime(), then its conditional mean.
    double step(const double* next, int step, int& regime, double time = 0.0) const {
        regime = forecastRegime(next[-delay_], step);
        return conditionalMean(regime, next, time);
    }
    bool trend() const { return trend_; }

 private:
    std::vector<double> thresholds_;
    std::vector<std::vector<double>> coefficients_;  // row r: constant, then lags 1 .. p_r
    bool trend_ = false;
    std::vector<double> trends_;  // the trend's slope in regime r
    int delay_ = 1;
    int memory_ = 1;
};

}  // namespace kavri
