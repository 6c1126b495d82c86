#pragma once

// The sample of the linearity tests: the observations t = firstTime .. n-1 of a series, each a
// regression row of the common order p with response x[t] and the lags of the test's form,
// arranged by the threshold variable z_t = x[t - d] in ascending order (equal values in time
// order). Arranged this way, the regimes of a threshold model are runs of consecutive rows:
// with thresholds g_1 < g_2, regime 1 holds z < g_1, regime 2 g_1 <= z < g_2 and regime 3
// z >= g_2, a lagged value equal to a threshold belonging to the regime above it.

#include <vector>

namespace kavri {

// The regressors of every row: a constant (or none), a linear trend in the observation's number
// t + 1 (only with a constant), and the lags, ascending (1 .. p, or a subset such as 1, 2, 12).
struct TestRegressors {
    bool constant = true;
    bool trend = false;
    std::vector<int> lags;

    // The constant and the lags 1 .. p.
    static TestRegressors contiguous(int order);
    int count() const {
        return (constant ? 1 : 0) + (trend ? 1 : 0) + static_cast<int>(lags.size());
    }
    int highestLag() const { return lags.empty() ? 0 : lags.back(); }
};

// The first observation of the tests' sample: every regression row needs its lags and its
// threshold variable, and the run itself regresses only t >= maxOrder - 1.
int testSampleStart(int maxOrder, int highestLag, int delay);

class ArrangedSample {
 public:
    // x[0 .. n-1]; requires firstTime >= the highest lag and firstTime >= delay. The rows are
    // arranged by z[t - delay], z the threshold variable beside x (null: x itself; finite from
    // firstTime - delay on).
    ArrangedSample(const double* x, int n, int firstTime, const TestRegressors& regressors,
                   int delay, const double* z = nullptr);
    // The constant and the lags 1 .. order.
    ArrangedSample(const double* x, int n, int firstTime, int order, int delay,
                   const double* z = nullptr);

    int size() const { return static_cast<int>(times_.size()); }  // N
    int order() const { return static_cast<int>(form_.lags.size()); }
    const TestRegressors& form() const { return form_; }
    int regressors() const { return form_.count(); }
    int columns() const { return regressors() + 1; }
    // Row i: [1], [t + 1 - m], x[t - l_1] - c, .., x[t - l_p] - c, x[t] - c, with c the mean of
    // x[firstTime .. n-1] and m that of t + 1 over the same times when the regressions have a
    // constant (the shifts leave such a regression unchanged and keep its cross products well
    // conditioned), and c = 0 without one (a shift changes a model without a constant).
    const double* row(int i) const { return &rows_[static_cast<std::size_t>(i) * columns()]; }
    int time(int i) const { return times_[i]; }
    double thresholdVariable(int i) const { return thresholdVariables_[i]; }
    double centre() const { return centre_; }
    double trendCentre() const { return trendCentre_; }
    // Whether a threshold can separate rows i - 1 and i (0 < i < N): their threshold variables
    // differ. The threshold is then z of row i, an observed value of the series.
    bool splitsAt(int i) const { return thresholdVariables_[i - 1] < thresholdVariables_[i]; }

 private:
    TestRegressors form_;
    double centre_ = 0.0;
    double trendCentre_ = 0.0;
    std::vector<int> times_;
    std::vector<double> thresholdVariables_;
    std::vector<double> rows_;
};

}  // namespace kavri
