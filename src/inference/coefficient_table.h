#pragma once

// Standard errors, t values and p values of the reported model's coefficients. Regime r is the
// least-squares regression of x[t] on (1, x[t-1], .., x[t-p_r]) over the observations t whose
// regimeOfObservation is r; its estimates are the reported coefficients, its residuals
// e_t = x[t] - (b_0 + sum_k b_k x[t-k]), and with k_r = p_r + 1 coefficients and n_r rows:
//   classical: Var(b) = s^2 (X'X)^-1 with s^2 = SSE / (n_r - k_r);
//   HC1 (White's heteroskedasticity-consistent errors with the small-sample factor):
//              Var(b) = n_r / (n_r - k_r) (X'X)^-1 (sum_t e_t^2 x_t x_t') (X'X)^-1.
// t = b / se, and the two-sided p value is that of Student's t with n_r - k_r degrees of
// freedom in both cases.

#include <optional>
#include <vector>

#include "model/reported_model.h"

namespace kavri {

enum class StandardErrorKind { kClassical, kHc1 };

struct CoefficientEstimate {
    double estimate = 0.0;
    // Empty when undefined: no residual degree of freedom, a singular X'X, or (t and p only)
    // a zero standard error.
    std::optional<double> standardError;
    std::optional<double> tValue;
    std::optional<double> pValue;
};

struct RegimeCoefficients {
    int observations = 0;  // n_r
    int residualDf = 0;    // n_r - p_r - 1, negative when the regime has too few rows
    double sse = 0.0;      // sum of e_t^2 over the regime's rows
    // The constant, the trend's slope when `trend`, then the lags fitted (1 .. p_r, or those of
    // a subset), named by `lags`.
    std::vector<CoefficientEstimate> coefficients;
    bool trend = false;
    std::vector<int> lags;  // the lag of each coefficient after the constant and the trend
    int fitted = 0;         // k_r: the coefficients estimated (the constant only when fitted)
};

struct CoefficientTable {
    StandardErrorKind kind = StandardErrorKind::kClassical;
    std::vector<RegimeCoefficients> regimes;
};

// The table of an available reported model (ReportedModel::available with its data filled).
CoefficientTable coefficientTable(const ReportedModel& model, StandardErrorKind kind);

}  // namespace kavri
