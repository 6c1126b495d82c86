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

}  // namespace kavri
