// Nearly collinear lags: a series that alternates between +1 and -1 with noise of 1e-12 makes
// every lag beyond the first a copy of the first (or of its negative) up to the noise. The
// normal equations then lose the fit (an SSE of about 1.7 where 5e-13 is reachable); the
// estimations must stay within rounding of a stable solve of the same regression, at every
// order, and the two normal-equations engines must still agree to the last bit.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "estimation/least_squares.h"
#include "estimation/range_normal_equations.h"
#include "estimation/range_qr.h"
#include "estimation/regime_estimation.h"
#include "estimation/series_statistics.h"
#include "genetic/candidates.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

std::vector<double> alternating(int length, double noise) {
    testing::Noise source(11);
    std::vector<double> x;
    for (int t = 0; t < length; ++t) x.push_back((t % 2 == 0 ? 1.0 : -1.0) + noise * source.next());
    return x;
}

// The regression of order 3 over all ranks, by the normal equations as the estimation solves it
// first, and again when the check finds it ill-conditioned; against the QR engine's SSE.
TEST(CollinearLags, AnIllConditionedFitIsSolvedAgainStably) {
    const std::vector<double> x = alternating(240, 1e-12);
    const int n = static_cast<int>(x.size());
    IVector sortOrder = ivector(0, n);
    DVector sorted = dvector(0, n);
    rankCandidates(x.data(), n, sortOrder, sorted);
    const int p = 3;

    std::vector<double> design;
    std::vector<double> y;
    for (int t = p; t < n; ++t) {
        design.push_back(1.0);
        for (int k = 1; k <= p; ++k) design.push_back(x[t - k]);
        y.push_back(x[t]);
    }
    const int m = static_cast<int>(y.size());
    auto sseOf = [&](const double* b) {
        double sse = 0.0;
        for (int i = 0; i < m; ++i) {
            double fitted = 0.0;
            for (int q = 0; q <= p; ++q) fitted += b[q] * design[i * (p + 1) + q];
            sse += (y[i] - fitted) * (y[i] - fitted);
        }
        return sse;
    };

    DMatrix rows = matrix(0, m, 0, p);
    for (int i = 0; i < m; ++i)
        for (int q = 0; q <= p; ++q) rows[i][q] = design[i * (p + 1) + q];
    DMatrix inverse = matrix(0, p, 0, p);
    double normal[4];
    ASSERT_EQ(leastSquaresFit(rows, y.data(), m, p + 1, normal, inverse), FitStatus::kOk);
    double diagonal[4];
    for (int j = 0; j <= p; ++j) {
        double sum = 0.0;
        for (int k = 0; k < m; ++k) sum += rows[k][j] * rows[k][j];
        diagonal[j] = sum;
    }
    EXPECT_TRUE(normalEquationsIllConditioned(
        diagonal, [&](int j) { return inverse[j][j]; }, p + 1));

    double stable[4];
    ASSERT_EQ(refitStably([&](int i, int q) { return rows[i][q]; }, y.data(), m, p, stable),
              FitStatus::kOk);

    // The QR engine's SSE of the same regression (the rows of the time-ordered regime are the
    // same set; the sums agree to rounding).
    const RankRows rankRows(x.data(), sortOrder.data(), n, p + 1, 1, seriesMean(x.data(), n));
    QrRangeRegression regression(p + 1);
    for (int h = 0; h < n; ++h) {
        if (rankRows.usable(h)) regression.append(rankRows.row(h));
    }
    std::vector<double> qr(static_cast<std::size_t>(p + 1), 0.0);
    residualSums(regression.view(), qr.data());
    const double sst = qr[0];
    EXPECT_LE(sseOf(stable), qr[p] + 1e-13 * sst);
    // What the normal equations alone gave, far from it: the fault this guards against.
    EXPECT_GT(sseOf(normal), 1e6 * (qr[p] + 1e-20));
}

// Both normal-equations engines take the same stable refit, so the cached genetic search and
// the reference evaluation still agree to the last bit; on well-conditioned series (noise of
// 0.3) no refit happens and nothing changes.
TEST(CollinearLags, BothEnginesAgreeToTheLastBit) {
    for (const double noise : {1e-12, 1e-7, 0.3}) {
        const std::vector<double> x = alternating(240, noise);
        const int n = static_cast<int>(x.size());
        IVector sortOrder = ivector(0, n);
        DVector sorted = dvector(0, n);
        rankCandidates(x.data(), n, sortOrder, sorted);
        for (int maxOrder = 2; maxOrder <= 6; ++maxOrder) {
            const OrderSearch search{n, maxOrder, 1, kSearchInitialBestAic, false};
            RegimeWorkspace workspace(n, maxOrder);
            NormalEquationsRangeEstimator estimator(x.data(), sortOrder.data(), search);
            for (const auto& [start, end] :
                 {std::pair{0, n}, std::pair{0, n / 2}, std::pair{n / 3, n}}) {
                RegimeEstimate reference;
                RegimeEstimate twin;
                ASSERT_EQ(estimateRegime(x.data(), sortOrder.data(), start, end, search, workspace,
                                         reference),
                          estimator.estimate(start, end, twin));
                EXPECT_EQ(twin.order, reference.order);
                EXPECT_EQ(twin.fit.sse, reference.fit.sse);
                EXPECT_EQ(twin.coefficients, reference.coefficients);
            }
        }
    }
}

TEST(HouseholderLeastSquares, SolvesAndRefusesAnExactlyDependentColumn) {
    // y = 1 + 2 a - b exactly.
    std::vector<double> rows = {1, 0, 1, 1, 1, 0, 1, 2, 3, 1, 3, 1};
    std::vector<double> y = {0, 3, 2, 6};
    double b[3] = {9, 9, 9};
    ASSERT_EQ(householderLeastSquares(rows.data(), y.data(), 4, 3, b), FitStatus::kOk);
    EXPECT_NEAR(b[0], 1.0, 1e-14);
    EXPECT_NEAR(b[1], 2.0, 1e-14);
    EXPECT_NEAR(b[2], -1.0, 1e-14);

    // The second column twice the first: the first reflection leaves it exactly 0 below row 0.
    std::vector<double> dependent = {1, 2, 1, 2, 1, 2, 1, 2};
    std::vector<double> z = {1, 2, 3, 4};
    double c[2] = {9, 9};
    EXPECT_EQ(householderLeastSquares(dependent.data(), z.data(), 4, 2, c), FitStatus::kSingular);
    EXPECT_EQ(c[0], 9.0);
}

}  // namespace
}  // namespace kavri
