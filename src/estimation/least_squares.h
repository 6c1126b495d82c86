#pragma once

// Ordinary least squares for one regime's autoregressive equation, by inverting the
// cross-product matrix X'X with Gauss-Jordan elimination and full pivoting. Every sum starts
// at 0.0 and adds its terms in increasing index order, so results are reproducible bit for bit.

#include "numeric/storage.h"

namespace kavri {

// A singular X'X is not an error of the program: that fit simply has no estimate.
enum class FitStatus { kSingular = 0, kOk = 1 };

// Inverts a[1..n][1..n] in place. Full pivoting; among pivots of equal magnitude the last met
// in a row-by-row scan wins (>=). kSingular only when a pivot is exactly 0.0, and then `a`
// holds a partly reduced state.
[[nodiscard]] FitStatus gaussJordanInvert(DMatrix& a, int n);

// Fits y (m values, 0-based) on the first n columns of x (rows 0..m-1, columns from 0):
// coefficients[0 .. n-1] = (X'X)^-1 X'y and inverse[0..n-1][0..n-1] = (X'X)^-1. On kSingular
// neither output is touched.
[[nodiscard]] FitStatus leastSquaresFit(const DMatrix& x, const double* y, int m, int n,
                                        double* coefficients, DMatrix& inverse);

// The normal equations square the design's condition number: where lags are nearly collinear
// (a series that alternates between two values, say) their solution can miss the least-squares
// fit by far more than rounding, although no pivot is exactly 0. A fit whose scaled condition
// max_j (X'X)_jj (X'X)^-1_jj passes this limit keeps too few digits and is solved again by
// orthogonal factorisation. Below it the normal equations keep ten digits or more of every
// coefficient, and their result is kept as it is.
inline constexpr double kNormalEquationsConditionLimit = 1e6;

// Whether the normal equations of X'X, whose diagonal is diagonal[0 .. n-1] and whose inverse
// has the diagonal inverseDiagonal(j), pass that limit.
template <typename InverseDiagonal>
bool normalEquationsIllConditioned(const double* diagonal, InverseDiagonal inverseDiagonal, int n) {
    for (int j = 0; j < n; ++j) {
        const double product = diagonal[j] * inverseDiagonal(j);
        // Mathematically at least 1; below that the inverse itself is lost.
        if (!(product >= 0.5 && product <= kNormalEquationsConditionLimit)) {
            return true;
        }
    }
    return false;
}

// Least squares by Householder reflections of the design rows[i * n + j] (m rows, n columns,
// row-major) and the responses y[0 .. m-1], both overwritten. Deterministic: every sum starts at
// 0.0 and adds its terms in increasing index order. kSingular when a column is exactly
// dependent on those before it, and then `coefficients` is not touched.
[[nodiscard]] FitStatus householderLeastSquares(double* rows, double* y, int m, int n,
                                                double* coefficients);

}  // namespace kavri
