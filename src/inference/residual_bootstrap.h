#pragma once

// The residual bootstrap of the sup-F tests: series regenerated recursively from a fitted null
// model with residuals drawn with replacement from its centred residuals.
//
// Every replicate draws from a random stream of its own, derived from (seed, stream,
// replicate) alone, so a replicate's series is the same whichever thread makes it and in
// whatever order: the bootstrap gives the same bits on one core and on all.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "inference/arranged_sample.h"
#include "model/threshold_variable.h"

namespace kavri {

// SplitMix64 (Steele, Lea and Flood 2014) started from a hash of the three numbers.
class ReplicateRandom {
 public:
    ReplicateRandom(std::uint64_t seed, std::uint64_t stream, std::uint64_t replicate);

    std::uint64_t next();
    // Uniform on 0 .. size-1 by Lemire's multiply-and-shift; the bias, below size / 2^64, is
    // far beneath anything a bootstrap can see.
    int index(int size);

 private:
    std::uint64_t state_;
};

// A threshold autoregression with one or two regimes of the same form, as the null model of a
// bootstrap: x[t] = c + b_r0 + sum_k b_rk (x[t-k] - c) + s_r (t + 1 - m) + e_t, regime 2 where
// the threshold variable at t - d is at least the threshold. A lag left out of the form has
// b_rk = 0, a model without a constant b_r0 = 0 and c = 0, one without a trend s_r = 0.
struct NullModel {
    int order = 1;  // the highest lag
    int delay = 1;
    int regimes = 1;  // 1 or 2
    double threshold = 0.0;
    double centre = 0.0;                              // c
    std::array<std::vector<double>, 2> coefficients;  // b_r0 .. b_r,order, by lag
    bool trend = false;
    double trendCentre = 0.0;                     // m
    std::array<double, 2> trendSlopes{0.0, 0.0};  // s_r
    std::vector<double> residuals;                // centred: they sum to zero
};

// The null model of the sample's form fitted to its rows by least squares: linear (split < 0)
// or two regimes, rows [0, split) and [split, N), the threshold the threshold variable of row
// `split`. Its residuals are centred; empty when a regime's rows do not determine its
// regression.
std::optional<NullModel> fitNullModel(const ArrangedSample& sample, int delay, int split);

// out[0 .. n-1]: x[t] for t < firstTime, then the model driven by resampled residuals (the
// trend continuing with t). A
// two-regime model chooses its regime by the threshold variable `kind`: the regenerated
// series' own lag or change, or the exogenous values z (kColumn), which stay as observed.
void regenerateSeries(const NullModel& model, const double* x, int n, int firstTime,
                      ReplicateRandom& random, std::vector<double>& out,
                      ThresholdVariableKind kind = ThresholdVariableKind::kOwn,
                      const double* exogenous = nullptr);

}  // namespace kavri
