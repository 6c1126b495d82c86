#pragma once

// Estimation of the regimes of a threshold model. Regime r holds the ranks [start, end) of the
// sorted threshold variable; rank h stands for the observation t = sortOrder[h] + delay, which
// enters the regime's regression only when maxOrder - 1 <= t <= n - 1. Every regime is fitted
// at orders 1 .. maxOrder - 1 by least squares and keeps the order of lowest AIC.

#include <array>
#include <vector>

#include "estimation/information_criterion.h"
#include "estimation/least_squares.h"
#include "model/fitted_model.h"
#include "model/model_form.h"
#include "model/rank_ranges.h"
#include "numeric/storage.h"

namespace kavri {

// Statistics of a regime at its chosen order.
struct RegimeFit {
    int observations = 0;  // m: usable observations of the regime
    double sse = 0.0;      // residual sum of squares
    double sst = 0.0;      // total sum of squares about the regime mean
    double aic = 0.0;      // m ln(SSE / m) + 2 (p + 1), or 0 for an exact fit: shown
    double score = 0.0;    // what orders and models are ranked by (regimeScore())
};

struct OrderSearch {
    int n = 0;         // nObservations
    int maxOrder = 0;  // orders tried: 1 .. maxOrder - 1
    int delay = 0;
    double initialBestAic = 0.0;
    // "Relative": stop at the first order that does not lower the AIC. "Absolute" tries all.
    bool stopAtFirstNonImprovement = false;
    // The log floor of the residual variance that ranks exact fits (exactFitLogFloor()).
    double exactFitLogFloor = kNoExactFitFloor;
    // Above 0: only this order is fitted and kept whatever its AIC (a finite score always
    // replaces the initial best), instead of the choice among 1 .. maxOrder - 1.
    int fixedOrder = 0;
    // false: the regressions have no constant; the coefficient 0 is stored as exactly 0.
    bool constant = true;
    // A subset of lags (ModelForm::lags): order k fits the first k of them, and the estimate
    // is stored by lag, c[lag], with 0 at the lags left out, so that every use of the equation
    // reads it as it reads a model of contiguous lags. 0: the lags 1 .. k.
    int nLags = 0;
    std::array<int, kMaxLagListSize> lags{};
    // A linear trend after the constant: the design's column 1 holds t + 1 for the response
    // x[t], the observation's number in the sample.
    bool trend = false;

    // The lag of regressor k (1-based) of order k or above.
    int lagOf(int k) const { return nLags == 0 ? k : lags[k - 1]; }
    // The orders tried, counted in lags: 1 .. highestOrder().
    int highestOrder() const { return nLags == 0 ? maxOrder - 1 : nLags; }
};

// Working storage of one evaluation, obtained once and refilled for every regime and order:
// the design matrix (n + 1 rows, maxOrder + 1 columns) and the response.
class RegimeWorkspace {
 public:
    RegimeWorkspace(int n, int maxOrder);

    DMatrix design;
    DVector response;
    DVector coefficients;
    DMatrix inverse;
};

// Coefficients a regime can have: the constant and up to 19 lags (maxOrder is at most 20, and
// orders up to maxOrder - 1 are tried); one more slot keeps every index up to maxOrder valid.
inline constexpr int kMaxCoefficientCount = 21;

// The result of one regime: its order (0 when no order was tried or none improved on the
// initial best), its coefficients (constant, then lags) and its statistics. With a subset of
// lags the order is the highest lag fitted and the coefficients are stored by lag.
struct RegimeEstimate {
    int order = 0;
    std::array<double, kMaxCoefficientCount> coefficients{};  // indices 0 .. order
    double trend = 0.0;  // the trend's slope, when the search fits one
    RegimeFit fit;
};

// Akaike's criterion of a least-squares fit of `order` lags and a constant to m observations
// with residual sum of squares SSE: m ln(SSE / m) + 2 (order + 1). An exact fit (isExactFit()
// of SSE, the responses' total sum of squares SST and whether they are all equal) has no
// finite log-likelihood and is scored 0. Sums that are not finite (they overflowed) give
// not-a-number, which no order search chooses.
double regimeAic(int m, double sse, double sst, bool responsesEqual, int order);

// The statistics of a regime's fit at `order`: its AIC and its score (regimeScore()).
RegimeFit regimeFit(int m, double sse, double sst, bool responsesEqual, int order,
                    const OrderSearch& search);

// One step of the order search: order p with coefficients b[0 .. p] and statistics `fit`
// replaces the estimate when its score is strictly below `bestAic` (an equal score keeps the
// lower order). Returns false when the search ends here ("Relative" at the first order that does
// not improve).
bool considerOrder(int p, const double* b, const RegimeFit& fit, const OrderSearch& search,
                   double& bestAic, RegimeEstimate& estimate, double trend = 0.0);

// Solves the fit of order p again by Householder reflections (least_squares.h), for normal
// equations that lost it: the design's entry (i, q) is design(i, q), the responses y[0 .. m-1].
// Writes b[0 .. p]; kSingular when the design is exactly rank-deficient. Both the regime
// estimation and its normal-equations twin call it with the same rows in the same order, so
// their estimates stay the same to the last bit.
template <typename Design>
[[nodiscard]] FitStatus refitStably(Design design, const double* y, int m, int p, double* b) {
    const int n = p + 1;
    std::vector<double> rows(static_cast<std::size_t>(m) * n);
    std::vector<double> responses(y, y + m);
    for (int i = 0; i < m; ++i) {
        for (int q = 0; q < n; ++q) {
            rows[static_cast<std::size_t>(i) * n + q] = design(i, q);
        }
    }
    return householderLeastSquares(rows.data(), responses.data(), m, n, b);
}

// Estimates the regime of ranks [start, end). kSingular as soon as one fit meets a singular
// cross-product matrix (a regime without usable observations always does).
[[nodiscard]] FitStatus estimateRegime(const double* x, const int* sortOrder, int start, int end,
                                       const OrderSearch& search, RegimeWorkspace& workspace,
                                       RegimeEstimate& estimate);

// Estimates every regime of `ranges` and stores orders and coefficients in `model` and the
// statistics in `fits`.
[[nodiscard]] FitStatus estimateRegimes(const double* x, const int* sortOrder,
                                        const RankRanges& ranges, const OrderSearch& search,
                                        FittedModel& model,
                                        std::array<RegimeFit, kMaxRegimeCount>& fits);

}  // namespace kavri
