#include "estimation/least_squares.h"

#include <gtest/gtest.h>

#include <limits>

namespace kavri {
namespace {

DMatrix squareFromRows(int n, const double* rows) {
    DMatrix a = matrix(1, n, 1, n);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) a[i][j] = rows[(i - 1) * n + (j - 1)];
    return a;
}

TEST(GaussJordanInvert, RowSwapsAreUndoneOnTheColumns) {
    // Every pivot lies off the diagonal; the inverse of a permutation is its transpose, exactly.
    const double rows[] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
    DMatrix a = squareFromRows(3, rows);
    ASSERT_EQ(gaussJordanInvert(a, 3), FitStatus::kOk);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) EXPECT_EQ(a[i][j], rows[(j - 1) * 3 + (i - 1)]);
}

TEST(GaussJordanInvert, EqualMagnitudesPivotOnTheLastMet) {
    // All four entries tie, so the first pivot is (2, 2): row 2 becomes (1, 0.5) and row 1
    // (0, -1); the remaining pivot (1, 1) is then exactly zero. Pivoting on (1, 1) first
    // would leave row 1 as (0.5, 1) instead.
    const double rows[] = {2, 2, 2, 2};
    DMatrix a = squareFromRows(2, rows);
    ASSERT_EQ(gaussJordanInvert(a, 2), FitStatus::kSingular);
    EXPECT_EQ(a[1][1], 0.0);
    EXPECT_EQ(a[1][2], -1.0);
    EXPECT_EQ(a[2][1], 1.0);
    EXPECT_EQ(a[2][2], 0.5);
}

TEST(GaussJordanInvert, BlockOfUndefinedEntriesIsSingularNotACrash) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double rows[] = {nan, nan, nan, nan};
    DMatrix a = squareFromRows(2, rows);
    EXPECT_EQ(gaussJordanInvert(a, 2), FitStatus::kSingular);
}

// Design with a constant, two regressors and a fourth column the fit must not read.
struct Design {
    static constexpr int kRows = 6;
    DMatrix x = matrix(0, kRows - 1, 0, 3);
    double y[kRows];
    double coefficients[3] = {7, 7, 7};
    DMatrix inverse = matrix(0, 2, 0, 2);

    Design() {
        const double lag1[kRows] = {0.5, -1, 2, 3.5, -2, 1};
        const double lag2[kRows] = {1, 0, -1, 2, 4, -3};
        for (int i = 0; i < kRows; ++i) {
            x[i][0] = 1.0;
            x[i][1] = lag1[i];
            x[i][2] = lag2[i];
            x[i][3] = std::numeric_limits<double>::quiet_NaN();
            y[i] = 0.5 + 2.0 * lag1[i] - 0.25 * lag2[i];
        }
    }
};

TEST(LeastSquaresFit, RecoversTheCoefficientsOfAnExactRelation) {
    Design d;
    ASSERT_EQ(leastSquaresFit(d.x, d.y, Design::kRows, 3, d.coefficients, d.inverse),
              FitStatus::kOk);
    EXPECT_NEAR(d.coefficients[0], 0.5, 1e-12);
    EXPECT_NEAR(d.coefficients[1], 2.0, 1e-12);
    EXPECT_NEAR(d.coefficients[2], -0.25, 1e-12);
}

TEST(LeastSquaresFit, ConstantOnlyGivesTheMean) {
    DMatrix x = matrix(0, 3, 0, 0);
    for (int i = 0; i < 4; ++i) x[i][0] = 1.0;
    const double y[] = {1, 2, 3, 4};
    double coefficient = 0.0;
    DMatrix inverse = matrix(0, 0, 0, 0);
    ASSERT_EQ(leastSquaresFit(x, y, 4, 1, &coefficient, inverse), FitStatus::kOk);
    EXPECT_EQ(inverse[0][0], 0.25);
    EXPECT_EQ(coefficient, 2.5);
}

TEST(LeastSquaresFit, SingularWhenALagColumnIsAllZeroOrTheRegimeIsEmpty) {
    Design d;
    for (int i = 0; i < Design::kRows; ++i) d.x[i][2] = 0.0;
    d.inverse[1][1] = 7.0;
    EXPECT_EQ(leastSquaresFit(d.x, d.y, Design::kRows, 3, d.coefficients, d.inverse),
              FitStatus::kSingular);
    EXPECT_EQ(d.inverse[1][1], 7.0);
    EXPECT_EQ(d.coefficients[0], 7.0);

    EXPECT_EQ(leastSquaresFit(d.x, d.y, 0, 1, d.coefficients, d.inverse), FitStatus::kSingular);
}

}  // namespace
}  // namespace kavri
