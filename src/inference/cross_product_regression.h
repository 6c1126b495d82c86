#pragma once

// The least-squares regression of a response on k regressors, grown one row at a time through
// the cross-product matrix S = [X y]'[X y] of size k + 1. Appending a row costs one rank-one
// update of S, and the minimum residual sum of squares of the rows so far is the last pivot of
// a symmetric Gaussian elimination of S: SSR = y'y - y'X (X'X)^-1 X'y, the Schur complement of
// X'X. This is the cheapest exact form when the SSR is wanted after nearly every row, as in the
// threshold searches of the linearity tests, which evaluate it for every pair of thresholds.
//
// Rows should be centred (regressors and response shifted by one common value, which leaves a
// regression with a constant unchanged): S then stays well conditioned for autoregressions.

#include <vector>

namespace kavri {

class CrossProductRegression {
 public:
    explicit CrossProductRegression(int regressors);

    int regressors() const { return size_ - 1; }
    int observations() const { return observations_; }

    void clear();
    // row[0 .. k-1] the regressors, row[k] the response.
    void append(const double* row);

    // Minimum SSR over all coefficient vectors, also when X is rank-deficient: a regressor that
    // lies in the span of the earlier ones (to rounding) is skipped, as it lowers no residual.
    // 0 when there are no rows.
    double residualSum() const;

    // The coefficients b[0 .. k-1] of a design of full rank, with a Cholesky factor of X'X for
    // leverage(); false (and nothing written) when X'X is not positive definite to rounding.
    bool solve(double* b) const;
    // x'(X'X)^-1 x for a regressor row x, from the factor of the last successful solve().
    double leverage(const double* x) const;

 private:
    double at(int i, int j) const { return sums_[static_cast<std::size_t>(i) * size_ + j]; }

    int size_;
    int observations_ = 0;
    std::vector<double> sums_;              // S, upper triangle used, row-major
    mutable std::vector<double> work_;      // elimination of S
    mutable std::vector<double> lower_;     // Cholesky factor L of X'X, row-major
    mutable std::vector<double> solution_;  // L^-1 x
};

}  // namespace kavri
