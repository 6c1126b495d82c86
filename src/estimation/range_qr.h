#pragma once

// What one regime contributes to a threshold model depends only on its range of ranks
// [start, end): its rows, its chosen order, its AIC and its forecasts of the held-out values
// whose threshold variable falls into the regime. This file computes those contributions
// incrementally, one rank at a time, for the exact threshold search.
//
// The regression of a range is kept as the triangular factor R of a QR decomposition of the
// augmented matrix [1, x[t-1], .., x[t-(P-1)], x[t]] (P = maxOrder), updated by Givens
// rotations when a row is appended. Because the columns are nested, the first p + 1 columns
// of R are the factor of the order-p design, and the residual sum of squares of order p is the
// sum of the squared response coordinates beyond it:
//     SSE_p = sum_{i=p+1..P-1} R[i][P]^2 + R[P][P]^2,
// so one factor serves every order 1 .. P-1. The series is centred on its mean first: a
// regression with a constant is unchanged by the shift, and the factor is better conditioned.

#include <cstddef>
#include <vector>

#include "estimation/information_criterion.h"
#include "estimation/least_squares.h"

namespace kavri {

// The regression rows of every rank: rank h stands for t = sortOrder[h] + delay, usable when
// maxOrder - 1 <= t <= n - 1, with row (1, x[t-1] - c, .., x[t-(P-1)] - c, x[t] - c).
class RankRows {
 public:
    RankRows(const double* x, const int* sortOrder, int n, int maxOrder, int delay, double centre);

    int columns() const { return columns_; }  // maxOrder + 1: the design and the response
    bool usable(int h) const { return usable_[h] != 0; }
    const double* row(int h) const { return &rows_[static_cast<std::size_t>(h) * columns_]; }
    // Usable ranks among 0 .. h-1, for h = 0 .. n.
    int usableBefore(int h) const { return usableBefore_[h]; }
    // Whether the usable rows of ranks [start, end) all have the same response (true for none),
    // in constant time: the exact-fit rule needs it for every range the search scores.
    bool responsesEqual(int start, int end) const;

 private:
    int columns_;
    std::vector<char> usable_;
    std::vector<double> rows_;
    std::vector<int> usableBefore_;
    // For h = 0 .. n, the lowest usable rank r such that the usable rows of ranks r .. h-1 all
    // have the response of the last usable rank below h (0 when there is none).
    std::vector<int> equalRunStart_;
};

// A diagonal element of R below this fraction of its column's length means that the column
// lies in the span of the earlier ones up to rounding: the sine of the angle between them.
// Exactly collinear columns leave about 1e-16 here; the least-squares estimate of a genuinely
// ill-conditioned regime is still far above it, and below it the cross-product matrix that
// the reference fit inverts has a condition number beyond 1e20, so it holds no digits.
inline constexpr double kRankTolerance = 1e-10;

// The factor of one range's regression as the order choice reads it: element (i, j) of R at
// factor[(i * columns + j) * stride] and the sum of squares of column k over the range's rows
// at columnSquares[k * stride]. A stride above 1 reads one of several ranges that are stored
// side by side (regression_lanes.h).
struct FactorView {
    const double* factor = nullptr;
    const double* columnSquares = nullptr;
    int columns = 0;  // maxOrder + 1
    int stride = 1;
    int observations = 0;  // rows appended

    double at(int i, int j) const {
        return factor[(static_cast<std::size_t>(i) * columns + j) * stride];
    }
    double columnSquare(int k) const { return columnSquares[static_cast<std::size_t>(k) * stride]; }
};

// The lowest order whose design is rank-deficient (a column lies, to rounding, in the span of
// the columns before it, or is zero); maxOrder when orders 1 .. maxOrder-1 are all of full
// rank. A range without rows is deficient from order 1.
int firstSingularOrder(const FactorView& factor);
// SSE_p for p = 0 .. maxOrder-1 into sse[0 .. maxOrder-1].
void residualSums(const FactorView& factor, double* sse);
// Coefficients b[0 .. order] of the centred regression (b[0] the constant) by back
// substitution; the order must be below firstSingularOrder().
void regressionCoefficients(const FactorView& factor, int order, double* b);

// The least-squares regression of one range at every order, grown one row at a time.
class QrRangeRegression {
 public:
    explicit QrRangeRegression(int maxOrder);

    void clear();
    void append(const double* row);

    int observations() const { return observations_; }
    // Whether every response appended so far is the same value (true for no rows).
    bool responsesEqual() const { return responsesEqual_; }
    FactorView view() const {
        return FactorView{factor_.data(), columnSquares_.data(), columns_, 1, observations_};
    }
    int firstSingularOrder() const { return kavri::firstSingularOrder(view()); }
    void residualSums(double* sse) const { kavri::residualSums(view(), sse); }
    void coefficients(int order, double* b) const { regressionCoefficients(view(), order, b); }

 private:
    int columns_;
    int observations_ = 0;
    bool responsesEqual_ = true;
    double firstResponse_ = 0.0;
    std::vector<double> factor_;         // upper triangle of R, row-major
    std::vector<double> columnSquares_;  // sum of squares of each column over the rows
    std::vector<double> work_;
};

// The order a regime takes, chosen as the chromosome evaluation chooses it: orders 1, 2, ..
// maxOrder-1 in turn, starting from kSearchInitialBestAic, a strictly lower AIC replaces the best,
// and with the "Relative" criterion the first order that does not improve ends the search.
// kSingular when an order that the search tries is rank-deficient, or when no order is chosen
// at all (only non-finite sums do that). sseWork holds maxOrder values.
struct RangeOrder {
    FitStatus status = FitStatus::kSingular;
    int order = 0;
    double aic = 0.0;    // as shown: 0 for an exact fit
    double score = 0.0;  // what the order was chosen by (regimeScore())
};
// `responsesEqual` says whether the range's responses are all the same value, which the
// exact-fit rule names rather than measures (information_criterion.h); `logFloor` ranks exact
// fits (exactFitLogFloor()).
// `fixedOrder` above 0: only that order is fitted and kept whatever its AIC, as the regime
// estimation keeps a fixed order (regime_estimation.h).
RangeOrder chooseRangeOrder(const FactorView& factor, bool responsesEqual, int maxOrder,
                            bool relative, double* sseWork, double logFloor = kNoExactFitFloor,
                            int fixedOrder = 0);
// The same choice from the range's firstSingularOrder() and residualSums(), the latter at
// sse[p * stride]. SSE_0, the fit of the constant alone, is the responses' total sum of
// squares about their mean, against which the exact-fit rule measures SSE_p.
RangeOrder chooseOrder(int observations, int singularFrom, const double* sse, int stride,
                       bool responsesEqual, int maxOrder, bool relative,
                       double logFloor = kNoExactFitFloor, int fixedOrder = 0);
RangeOrder chooseRangeOrder(const QrRangeRegression& regression, int maxOrder, bool relative,
                            std::vector<double>& sseWork, double logFloor = kNoExactFitFloor,
                            int fixedOrder = 0);

// The held-out values x[n + i], i = 0 .. nPredictions-1, ordered by their threshold variable
// z_i = x[n + i - delay] (equal values in time order), with their centred lags and responses.
// A regime of ranks [start, end) forecasts exactly the held-out values of positions
// cut(start) .. cut(end) - 1 in this order: the forecasts choose the regime by comparing z with
// the thresholds sortedSeries[start] and sortedSeries[end], and cut() applies the same rule,
// including where z equals a threshold.
class HoldoutSet {
 public:
    // `z`: the threshold variable beside x (null: x itself).
    HoldoutSet(const double* x, const double* sortedSeries, int n, int maxOrder, int nPredictions,
               int delay, double centre, const double* z = nullptr);

    int size() const { return size_; }
    int cut(int boundary) const { return cut_[boundary]; }
    // Sum of squared one-step forecast errors of positions [first, last) under the centred
    // coefficients b[0 .. order].
    double squaredErrors(int first, int last, const double* b, int order) const;

 private:
    int size_;
    int columns_;
    std::vector<double> rows_;  // per position: response, then lags 1 .. maxOrder-1, centred
    std::vector<int> cut_;      // boundaries 0 .. n
};

}  // namespace kavri
