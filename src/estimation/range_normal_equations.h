#pragma once

// The estimation of one regime by its rank range, arranged for repeated use: the storage is
// obtained once, each regressor column is gathered once per range and every cross-product
// entry is summed once for all the orders that use it. The arithmetic is that of
// estimateRegime() operation for operation (every sum over the same terms in the same order),
// so the estimate is the same to the last bit; only work that would repeat an identical result
// is left out.

#include <vector>

#include "estimation/least_squares.h"
#include "estimation/regime_estimation.h"
#include "numeric/storage.h"

namespace kavri {

class NormalEquationsRangeEstimator {
 public:
    // x must hold n observations and sortOrder the ranking of them; both must outlive the
    // estimator. search.n and search.maxOrder bound the storage.
    NormalEquationsRangeEstimator(const double* x, const int* sortOrder, const OrderSearch& search);

    // The regime of ranks [start, end): the same status and estimate as estimateRegime().
    [[nodiscard]] FitStatus estimate(int start, int end, RegimeEstimate& estimate);

 private:
    // Gathers the times of the usable observations of the range, in rank order; returns m.
    int gatherTimes(int start, int end);
    // Column `lag` of the design (1.0 for lag 0), one value per gathered time.
    void gatherColumn(int lag, int m);
    // Cross products of the new column p with columns 0 .. p, and of column p with y.
    void extendCrossProducts(int p, int m);
    // The least-squares coefficients of order p from the cross products; kSingular as in
    // leastSquaresFit().
    FitStatus solve(int p, double* coefficients);

    const double* x_;
    const int* sortOrder_;
    OrderSearch search_;
    int columnLength_;                  // n + 1: rows of one column
    std::vector<int> times_;            // t of row i
    std::vector<double> response_;      // y[i] = x[t_i]
    std::vector<double> columns_;       // column q at q * columnLength_
    std::vector<double> fitted_;        // fitted values of the order being tried
    std::vector<double> crossProduct_;  // X'X, (maxOrder + 1) squared, row-major
    std::vector<double> crossResponse_;
    DMatrix solverMatrix_;  // rows and columns 1 .. maxOrder + 1
};

}  // namespace kavri
