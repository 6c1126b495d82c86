#pragma once

// The reported model's equations as a recursion that forecasts and simulations iterate:
//   x[t] = c_r0 + c_r1 x[t-1] + ... + c_rp x[t-p_r] (+ trend_r t) (+ an innovation),
// with r the regime that the threshold variable z[t - delay] selects: the series' own value,
// its change x[t-delay] - x[t-delay-1] (both iterated with the forecast path), or an exogenous
// variable, known only as far as the data give it (its known values by time).

#include <vector>

#include "model/reported_model.h"
#include "model/setar_equation.h"

namespace kavri {

class SetarRecursion {
 public:
    // `model` must be available: one coefficient row per regime, thresholds.size() + 1 rows.
    // `origin`: the time of the first value the recursion produces, which places an exogenous
    // threshold variable's known values; unused otherwise.
    explicit SetarRecursion(const ReportedModel& model, int origin = 0);

    int nRegimes() const { return static_cast<int>(coefficients_.size()); }
    int delay() const { return delay_; }
    // The past values a step reads: max(largest regime order, delay), one more for the change.
    int memory() const { return memory_; }

    // Steps from the origin whose threshold variable is known: unbounded (-1) unless it is
    // exogenous, whose value at time origin + h - 1 - delay must be among the known values.
    int knownSteps() const;

    // The threshold variable of the value `next` points to, at step h = 1, 2, ... from the
    // origin: read from the path for the own value and the change.
    double thresholdVariable(const double* next, int step) const {
        switch (kind_) {
            case ThresholdVariableKind::kOwn:
                break;
            case ThresholdVariableKind::kDifference:
                return next[-delay_] - next[-delay_ - 1];
            case ThresholdVariableKind::kColumn:
                return exogenous_[static_cast<std::size_t>(origin_ + step - 1 - delay_)];
        }
        return next[-delay_];
    }

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

    // One step: the regime from the threshold variable by forecastRegime(), then its
    // conditional mean.
    double step(const double* next, int step, int& regime, double time = 0.0) const {
        regime = forecastRegime(thresholdVariable(next, step), step);
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
    ThresholdVariableKind kind_ = ThresholdVariableKind::kOwn;
    int origin_ = 0;
    std::vector<double> exogenous_;  // kColumn: z by time, the sample's then the rows after it
};

}  // namespace kavri
