#pragma once

// Likelihood-based statistics of the reported model, beside the texts of the run.
//
// With R regimes, n_r rows, SSE_r and p_r lags in regime r, N = sum n_r and K = sum (p_r + 1)
// coefficients:
//   log-likelihood (Gaussian, each regime with its own variance SSE_r / n_r):
//       ln L = -sum_r n_r / 2 (ln(2 pi) + ln(SSE_r / n_r) + 1);
//   AIC as the run reports it: sum_r [n_r ln(SSE_r / n_r) + 2 (p_r + 1)] + 0.018 N;
//   BIC on the same footing, the R - 1 thresholds counted as parameters:
//       BIC = AIC - 2 K + ln(N) (K + R - 1)
//           = sum_r n_r ln(SSE_r / n_r) + 0.018 N + ln(N) (K + R - 1);
//   the Ljung-Box p value: Q against chi-square with L - max_r p_r degrees of freedom, L the
//   residual autocorrelation lags of Q, as for the residuals of an AR(max p_r) fit. Q is that
//   of the regressions' own residuals (ReportedModel::regressionResiduals); it differs from
//   the Ljung-Box of the result texts only where the threshold variable ties a threshold.

#include <optional>
#include <vector>

#include "inference/coefficient_table.h"
#include "model/reported_model.h"

namespace kavri {

// A regime with fewer than three observations per estimated coefficient: its estimates are
// shown, but they rest on too little data to be trusted.
struct SparseRegime {
    int regime = 0;        // 1-based, as the texts number regimes
    int observations = 0;  // n_r
    int parameters = 0;    // p_r + 1
};
inline constexpr int kObservationsPerParameter = 3;

struct FitStatistics {
    int observations = 0;  // N
    int coefficients = 0;  // K
    int thresholds = 0;    // R - 1
    // Empty when a regime fits exactly (SSE_r = 0) or has no rows: no finite likelihood.
    std::optional<double> logLikelihood;
    double aic = 0.0;
    double bic = 0.0;
    double ljungBox = 0.0;
    int ljungBoxLags = 0;  // L
    // L less the most lag coefficients a regime fitted (max p_r, or the lags of a subset); the
    // p value is empty when it is not positive.
    int ljungBoxDf = 0;
    bool lagSubset = false;  // the regressions fitted a subset of lags
    std::optional<double> ljungBoxP;
    std::vector<SparseRegime> sparseRegimes;
};

// The statistics of an available reported model; SSE_r and n_r are taken from `table`, which
// must be the coefficient table of the same model.
FitStatistics fitStatistics(const ReportedModel& model, const CoefficientTable& table);

}  // namespace kavri
