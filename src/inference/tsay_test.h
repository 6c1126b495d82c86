#pragma once

// Tsay's (1989) F test for threshold nonlinearity on the arranged autoregression. With the rows
// of AR(p) arranged by the threshold variable (ArrangedSample), a linear model fits the rows in
// any order, so the standardised one-step predictive residuals of a recursive least-squares fit
// through the arranged rows are orthogonal to the regressors; a threshold makes the
// coefficients change along the arrangement, and the residuals correlated with the regressors.
//
// The recursion starts from the first b = floor(N / 10) + p arranged rows (later, should those
// not determine the regression); for each later row i the predictive residual
// a_i = y_i - x_i' b_(i) from the fit on the rows before it is standardised,
// e_i = a_i / sqrt(1 + x_i' (X'X)_(i)^-1 x_i), and then regressed on x_i:
//     F = [(sum e_i^2 - sum r_i^2) / k] / [sum r_i^2 / (m - k)],
// r the residuals of that regression, m = N - b its rows and k the regressors of a row (p + 1
// with a constant and p lags; the trend adds one, no constant takes one away), referred to
// F(k, m - k).

#include <optional>

#include "inference/arranged_sample.h"

namespace kavri {

struct TsayTest {
    bool available = false;  // false: too few rows for the recursion and the regression
    int startRows = 0;       // b
    double statistic = 0.0;
    int df1 = 0;
    int df2 = 0;
    std::optional<double> pValue;
    // The residuals' regression on the lags fits exactly: F is unbounded and not stated.
    bool exactFit = false;
};

TsayTest tsayTest(const ArrangedSample& sample);

}  // namespace kavri
