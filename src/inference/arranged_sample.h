#pragma once

// The sample of the linearity tests: the observations t = firstTime .. n-1 of a series, each a
// regression row of the common order p with response x[t] and lags x[t-1] .. x[t-p], arranged
// by the threshold variable z_t = x[t - d] in ascending order (equal values in time order).
// Arranged this way, the regimes of a threshold model are runs of consecutive rows: with
// thresholds g_1 < g_2, regime 1 holds z < g_1, regime 2 g_1 <= z < g_2 and regime 3 z >= g_2,
// a lagged value equal to a threshold belonging to the regime above it.

#include <vector>

namespace kavri {

// The first observation of the tests' sample: every regression row needs its p lags and its
// threshold variable, and the run itself regresses only t >= maxOrder - 1.
int testSampleStart(int maxOrder, int order, int delay);

class ArrangedSample {
 public:
    // x[0 .. n-1]; requires firstTime >= order and firstTime >= delay. The rows are arranged by
    // z[t - delay], z the threshold variable beside x (null: x itself; finite from
    // firstTime - delay on).
    ArrangedSample(const double* x, int n, int firstTime, int order, int delay,
                   const double* z = nullptr);

    int size() const { return static_cast<int>(times_.size()); }  // N
    int order() const { return order_; }
    int columns() const { return order_ + 2; }
    // Row i: 1, x[t-1] - c, .., x[t-p] - c, x[t] - c, with c the mean of x[firstTime .. n-1];
    // the shift leaves a regression with a constant unchanged and keeps its cross products
    // well conditioned.
    const double* row(int i) const { return &rows_[static_cast<std::size_t>(i) * columns()]; }
    int time(int i) const { return times_[i]; }
    double thresholdVariable(int i) const { return thresholdVariables_[i]; }
    double centre() const { return centre_; }
    // Whether a threshold can separate rows i - 1 and i (0 < i < N): their threshold variables
    // differ. The threshold is then z of row i, an observed value of the series.
    bool splitsAt(int i) const { return thresholdVariables_[i - 1] < thresholdVariables_[i]; }

 private:
    int order_;
    double centre_ = 0.0;
    std::vector<int> times_;
    std::vector<double> thresholdVariables_;
    std::vector<double> rows_;
};

}  // namespace kavri
