#pragma once

// What one regime contributes to a threshold model depends only on its range of ranks
// [start, end): its rows, its chosen order, its AIC and its forecasts of the held-out values
// whose threshold variable falls into the regime. This file computes those contributions
// incrementally, one rank at a time, for the exact threshold search.
//
// The regression of a range is kept as the triangular factor R of a QR decomposition of the
// augmented matrix of its rows (range_design.h: D deterministic columns, K lag columns, the
// response in column D + K), updated by Givens rotations when a row is appended. Because the
// columns are nested, the first D + p columns of R are the factor of the order-p design, and
// the residual sum of squares of order p is the sum of the squared response coordinates
// beyond it:
//     SSE_p = sum_{i=D+p..D+K-1} R[i][D+K]^2 + R[D+K][D+K]^2,
// so one factor serves every order 1 .. K. In the default design (the constant and the lags
// 1 .. P-1, P = maxOrder) that is [1, x[t-1], .., x[t-(P-1)], x[t]] centred on the series mean.
//
// The exact-fit rule measures SSE_p against the responses' sum of squares about their own mean
// (information_criterion.h). With a constant that is the sum beyond the constant's column;
// without one the factor has no such column, and the range keeps beside it the 2 x 2 factor of
// [1, x[t]] (ResponseSpread), grown by the same rotations in every engine.

#include <cmath>
#include <cstddef>
#include <vector>

#include "estimation/information_criterion.h"
#include "estimation/least_squares.h"
#include "estimation/range_design.h"

namespace kavri {

// The regression rows of every rank: rank h stands for t = sortOrder[h] + delay, usable when
// maxOrder - 1 <= t <= n - 1, with the row of `design` (by default
// (1, x[t-1] - c, .., x[t-(P-1)] - c, x[t] - c)).
class RankRows {
 public:
    RankRows(const double* x, const int* sortOrder, int n, const RangeDesign& design, int delay);
    // The default design: the constant and the lags 1 .. maxOrder - 1, centred on `centre`.
    RankRows(const double* x, const int* sortOrder, int n, int maxOrder, int delay, double centre)
        : RankRows(x, sortOrder, n, RangeDesign::contiguous(maxOrder, centre), delay) {}

    const RangeDesign& design() const { return design_; }
    int columns() const { return columns_; }  // the design and the response
    bool usable(int h) const { return usable_[h] != 0; }
    const double* row(int h) const { return &rows_[static_cast<std::size_t>(h) * columns_]; }
    // Usable ranks among 0 .. h-1, for h = 0 .. n.
    int usableBefore(int h) const { return usableBefore_[h]; }
    // Whether the usable rows of ranks [start, end) all have the same response (true for none),
    // in constant time: the exact-fit rule needs it for every range the search scores.
    bool responsesEqual(int start, int end) const;

 private:
    RangeDesign design_;
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

// The upper triangle of the QR factor of the rows [a, b] appended so far: the responses' spread
// about their mean is r11^2 when every a is 1 (a range's rows), and the rows (r00, r01) and
// (0, r11) of another range's spread append that range whole. One rotation per element, as
// QrRangeRegression::append rotates, and used alike by every engine, so that they agree to the
// last bit.
struct ResponseSpread {
    double r00 = 0.0;
    double r01 = 0.0;
    double r11 = 0.0;

    void append(double a, double b) {
        if (a != 0.0) {
            const double diagonal = std::sqrt(r00 * r00 + a * a);
            const double c = r00 / diagonal;
            const double s = a / diagonal;
            r00 = diagonal;
            const double old = r01;
            r01 = c * old + s * b;
            b = c * b - s * old;
        }
        if (b != 0.0) {
            r11 = std::sqrt(r11 * r11 + b * b);
        }
    }
    double totalSquares() const { return r11 * r11; }
};

// The factor of one range's regression as the order choice reads it: element (i, j) of R at
// factor[(i * columns + j) * stride] and the sum of squares of column k over the range's rows
// at columnSquares[k * stride]. A stride above 1 reads one of several ranges that are stored
// side by side (regression_lanes.h).
struct FactorView {
    const double* factor = nullptr;
    const double* columnSquares = nullptr;
    int columns = 0;  // deterministic + lag columns + 1
    int stride = 1;
    int observations = 0;  // rows appended
    int deterministic = 1;
    // Without deterministic columns: r11 of the range's ResponseSpread at spread[0].
    const double* spread = nullptr;

    double at(int i, int j) const {
        return factor[(static_cast<std::size_t>(i) * columns + j) * stride];
    }
    double columnSquare(int k) const { return columnSquares[static_cast<std::size_t>(k) * stride]; }
    int lagColumns() const { return columns - 1 - deterministic; }
};

// The lowest order whose design is rank-deficient (a column lies, to rounding, in the span of
// the columns before it, or is zero); lagColumns() + 1 when orders 1 .. lagColumns() are all of
// full rank. A range without rows is deficient from order 1.
int firstSingularOrder(const FactorView& factor);
// SSE_p for p = 0 .. lagColumns() into sse[0 .. lagColumns()] (SSE_0: the deterministic terms
// alone).
void residualSums(const FactorView& factor, double* sse);
// The responses' sum of squares about their mean, from residualSums()' sse.
double totalSquares(const FactorView& factor, const double* sse);
// Coefficients b[0 .. D + order - 1] of the regression's columns (range_design.h) by back
// substitution; the order must be below firstSingularOrder().
void regressionCoefficients(const FactorView& factor, int order, double* b);

// The least-squares regression of one range at every order, grown one row at a time.
class QrRangeRegression {
 public:
    // The default design's columns (the constant and the lags 1 .. maxOrder - 1).
    explicit QrRangeRegression(int maxOrder);
    explicit QrRangeRegression(const RangeDesign& design);

    void clear();
    void append(const double* row);

    int observations() const { return observations_; }
    // Whether every response appended so far is the same value (true for no rows).
    bool responsesEqual() const { return responsesEqual_; }
    FactorView view() const {
        return FactorView{factor_.data(), columnSquares_.data(), columns_,    1,
                          observations_,  deterministic_,        &spread_.r11};
    }
    int firstSingularOrder() const { return kavri::firstSingularOrder(view()); }
    void residualSums(double* sse) const { kavri::residualSums(view(), sse); }
    void coefficients(int order, double* b) const { regressionCoefficients(view(), order, b); }

 private:
    int columns_;
    int deterministic_;
    ResponseSpread spread_;  // kept without deterministic columns
    int observations_ = 0;
    bool responsesEqual_ = true;
    double firstResponse_ = 0.0;
    std::vector<double> factor_;         // upper triangle of R, row-major
    std::vector<double> columnSquares_;  // sum of squares of each column over the rows
    std::vector<double> work_;
};

// The order a regime takes, chosen as the chromosome evaluation chooses it: orders 1, 2, ..
// the factor's lag columns in turn, starting from kSearchInitialBestAic, a strictly lower AIC
// replaces the best, and with the "Relative" criterion the first order that does not improve ends
// the search. kSingular when an order that the search tries is rank-deficient, or when no order is
// chosen at all (only non-finite sums do that). sseWork holds lagColumns() + 1 values. The criteria
// count the deterministic terms and the lags fitted.
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
// A factor without lag columns (maxOrder below 2 in the default design) has no order to try.
RangeOrder chooseRangeOrder(const FactorView& factor, bool responsesEqual, bool relative,
                            double* sseWork, double logFloor = kNoExactFitFloor,
                            int fixedOrder = 0);
// The same choice from the range's firstSingularOrder() and residualSums(), the latter at
// sse[p * stride], with `sst` the responses' total sum of squares about their mean
// (totalSquares()), against which the exact-fit rule measures SSE_p. Orders 1 .. highestOrder,
// each with `deterministic` more coefficients.
struct OrderChoiceRule {
    int highestOrder = 0;
    int deterministic = 1;
    bool relative = false;
    double logFloor = kNoExactFitFloor;
    int fixedOrder = 0;
};
RangeOrder chooseOrder(int observations, int singularFrom, const double* sse, int stride,
                       double sst, bool responsesEqual, const OrderChoiceRule& rule);
// `maxOrder` below 2: no order to try, as in every evaluation.
RangeOrder chooseRangeOrder(const QrRangeRegression& regression, int maxOrder, bool relative,
                            std::vector<double>& sseWork, double logFloor = kNoExactFitFloor,
                            int fixedOrder = 0);

// The held-out values x[n + i], i = 0 .. nPredictions-1, ordered by their threshold variable
// z_i = x[n + i - delay] (equal values in time order), with their rows of the design (the
// trend's t + 1 continuing past the sample).
// A regime of ranks [start, end) forecasts exactly the held-out values of positions
// cut(start) .. cut(end) - 1 in this order: the forecasts choose the regime by comparing z with
// the thresholds sortedSeries[start] and sortedSeries[end], and cut() applies the same rule,
// including where z equals a threshold.
class HoldoutSet {
 public:
    // `z`: the threshold variable beside x (null: x itself).
    HoldoutSet(const double* x, const double* sortedSeries, int n, const RangeDesign& design,
               int nPredictions, int delay, const double* z = nullptr);
    // The default design (the constant and the lags 1 .. maxOrder - 1, centred on `centre`).
    HoldoutSet(const double* x, const double* sortedSeries, int n, int maxOrder, int nPredictions,
               int delay, double centre, const double* z = nullptr)
        : HoldoutSet(x, sortedSeries, n, RangeDesign::contiguous(maxOrder, centre), nPredictions,
                     delay, z) {}

    int size() const { return size_; }
    int cut(int boundary) const { return cut_[boundary]; }
    // Sum of squared one-step forecast errors of positions [first, last) under the
    // coefficients b of order `order` (regressionCoefficients()).
    double squaredErrors(int first, int last, const double* b, int order) const;

 private:
    int size_;
    int columns_;
    int deterministic_;
    std::vector<double> rows_;  // per position: the response, then the design's columns
    std::vector<int> cut_;      // boundaries 0 .. n
};

}  // namespace kavri
