#pragma once

// Diagnostics of a fitted threshold autoregression, as peers print them after a fit.
//
// Characteristic roots: regime r's equation x[t] = c_0 + sum_k c_k x[t-k] has the
// characteristic polynomial 1 - c_1 z - .. - c_p z^p; its roots are the reciprocals of the
// eigenvalues of the companion matrix (first row c_1 .. c_p, ones below the diagonal). The
// regime, taken alone, is stationary when every root lies outside the unit circle; a root
// with modulus at most 1 + 1e-6 is flagged ("possible unit root in regime 2"). A threshold
// model can be stationary with an explosive regime, so the flag is a warning, not a verdict.
//
// The skeleton's long-run behaviour: the model without noise iterated from the last p values
// fitted (p the largest order or the delay), 20,000 steps. It diverges when a value passes
// 1e6 times the largest magnitude of the series; otherwise the last 2,000 values show a
// fixed point (consecutive values within 1e-9 of the series' scale) or a limit cycle of the
// least length k <= 200 with x[t] = x[t-k] to 1e-7 of the scale, or neither.
//
// McLeod and Li's (1983) test for ARCH: the Ljung-Box statistic of the squared residuals,
//     Q = m (m + 2) sum_{k=1..L} r_k^2 / (m - k),
// r_k the lag-k autocorrelation of e_t^2 over the m observations of the regressions (the
// regressions' own residuals, ReportedModel::regressionResiduals), against chi-square with L
// degrees of freedom (no parameters estimated from the squares).
//
// Ljung-Box by lag: Q(h) for h = 1 .. L on the residual autocorrelations of the run, each
// against chi-square with h - max p_r degrees of freedom where that is positive.

#include <complex>
#include <optional>
#include <vector>

#include "model/reported_model.h"

namespace kavri {

struct RegimeRoots {
    int regime = 0;                           // 1-based
    std::vector<std::complex<double>> roots;  // of the characteristic polynomial
    std::vector<double> moduli;               // |root|, ascending
    bool possibleUnitRoot = false;            // a root with modulus <= 1 + 1e-6
};

// kExogenous: the regime follows a variable outside the model, which the skeleton cannot
// iterate; it has no long run of its own.
enum class SkeletonBehaviour { kPoint, kCycle, kDiverges, kIrregular, kExogenous };

struct SkeletonLongRun {
    SkeletonBehaviour behaviour = SkeletonBehaviour::kIrregular;
    std::vector<double> values;  // the point, or one period of the cycle in time order
};

struct PortmanteauTest {
    int lags = 0;
    int df = 0;
    double statistic = 0.0;
    std::optional<double> pValue;  // empty when df is not positive
};

struct ModelDiagnostics {
    std::vector<RegimeRoots> roots;  // one per regime with an order of at least 1
    SkeletonLongRun skeleton;
    std::optional<PortmanteauTest> mcLeodLi;     // empty with fewer than L + 2 observations
    std::vector<PortmanteauTest> ljungBoxByLag;  // h = 1 .. L
};

ModelDiagnostics modelDiagnostics(const ReportedModel& model);

// Ljung-Box Q(h) for h = 1 .. L alone, as modelDiagnostics reports it (the chart of p by lag).
std::vector<PortmanteauTest> ljungBoxByLag(const ReportedModel& model);

// The roots of 1 - c_1 z - .. - c_p z^p for c = (c_0, c_1, .., c_p); empty for p = 0 or a
// vanishing c_p (LAPACK's dgeev on the companion matrix).
std::vector<std::complex<double>> characteristicRoots(const std::vector<double>& coefficients);

SkeletonLongRun skeletonLongRun(const ReportedModel& model);

}  // namespace kavri
