#include "estimation/least_squares.h"

#include <cassert>
#include <cmath>
#include <utility>

namespace kavri {

FitStatus gaussJordanInvert(DMatrix& a, int n) {
    assert(n >= 1);
    IVector pivotCount = ivector(1, n);
    IVector pivotRow = ivector(1, n);
    IVector pivotColumn = ivector(1, n);

    for (int i = 1; i <= n; ++i) {
        // Full pivoting over the rows and columns not yet used; >= makes the last of several
        // equal magnitudes win.
        double big = 0.0;
        int row = 0;
        int q = 0;
        for (int j = 1; j <= n; ++j) {
            if (pivotCount[j] == 1) {
                continue;
            }
            for (int k = 1; k <= n; ++k) {
                if (pivotCount[k] == 0 && std::fabs(a[j][k]) >= big) {
                    big = std::fabs(a[j][k]);
                    row = j;
                    q = k;
                }
            }
        }
        // Only a block of not-a-number entries leaves no candidate at all; it has no inverse.
        if (q == 0) {
            return FitStatus::kSingular;
        }
        ++pivotCount[q];

        if (row != q) {
            for (int l = 1; l <= n; ++l) {
                std::swap(a[row][l], a[q][l]);
            }
        }
        pivotRow[i] = row;
        pivotColumn[i] = q;

        if (a[q][q] == 0.0) {
            return FitStatus::kSingular;
        }
        const double pivotInverse = 1.0 / a[q][q];
        a[q][q] = 1.0;
        for (int l = 1; l <= n; ++l) {
            a[q][l] *= pivotInverse;
        }

        for (int ll = 1; ll <= n; ++ll) {
            if (ll == q) {
                continue;
            }
            const double factor = a[ll][q];
            a[ll][q] = 0.0;
            for (int l = 1; l <= n; ++l) {
                a[ll][l] -= a[q][l] * factor;
            }
        }
    }

    // Row swaps of the elimination become column swaps of the inverse, undone in reverse.
    for (int l = n; l >= 1; --l) {
        if (pivotRow[l] != pivotColumn[l]) {
            for (int k = 1; k <= n; ++k) {
                std::swap(a[k][pivotRow[l]], a[k][pivotColumn[l]]);
            }
        }
    }
    return FitStatus::kOk;
}

FitStatus householderLeastSquares(double* rows, double* y, int m, int n, double* coefficients) {
    auto at = [rows, n](int i, int j) -> double& {
        return rows[static_cast<std::size_t>(i) * n + j];
    };
    if (m < n) {
        return FitStatus::kSingular;
    }
    for (int k = 0; k < n; ++k) {
        double norm = 0.0;
        for (int i = k; i < m; ++i) {
            norm += at(i, k) * at(i, k);
        }
        norm = std::sqrt(norm);
        if (norm == 0.0) {
            return FitStatus::kSingular;
        }
        const double alpha = at(k, k) > 0.0 ? -norm : norm;
        // v = column k below the diagonal with alpha taken from its first entry; the reflection
        // I - 2 v v' / v'v maps the column onto alpha e_k.
        at(k, k) -= alpha;
        double vv = 0.0;
        for (int i = k; i < m; ++i) {
            vv += at(i, k) * at(i, k);
        }
        if (vv != 0.0) {
            for (int j = k + 1; j < n; ++j) {
                double s = 0.0;
                for (int i = k; i < m; ++i) {
                    s += at(i, k) * at(i, j);
                }
                const double factor = 2.0 * s / vv;
                for (int i = k; i < m; ++i) {
                    at(i, j) -= factor * at(i, k);
                }
            }
            double s = 0.0;
            for (int i = k; i < m; ++i) {
                s += at(i, k) * y[i];
            }
            const double factor = 2.0 * s / vv;
            for (int i = k; i < m; ++i) {
                y[i] -= factor * at(i, k);
            }
        }
        at(k, k) = alpha;
    }
    for (int i = n - 1; i >= 0; --i) {
        double sum = y[i];
        for (int j = i + 1; j < n; ++j) {
            sum -= at(i, j) * coefficients[j];
        }
        coefficients[i] = sum / at(i, i);
    }
    return FitStatus::kOk;
}

FitStatus leastSquaresFit(const DMatrix& x, const double* y, int m, int n, double* coefficients,
                          DMatrix& inverse) {
    assert(n >= 1 && m >= 0);
    DMatrix crossProduct = matrix(0, n - 1, 0, n - 1);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            double sum = 0.0;
            for (int k = 0; k < m; ++k) {
                sum += x[k][i] * x[k][j];
            }
            crossProduct[i][j] = sum;
        }
    }

    DMatrix solverMatrix = matrix(1, n, 1, n);
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= n; ++j) {
            solverMatrix[i][j] = crossProduct[i - 1][j - 1];
        }
    }
    if (gaussJordanInvert(solverMatrix, n) == FitStatus::kSingular) {
        return FitStatus::kSingular;
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            inverse[i][j] = solverMatrix[i + 1][j + 1];
        }
    }

    DVector crossResponse = dvector(0, n - 1);
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int j = 0; j < m; ++j) {
            sum += x[j][i] * y[j];
        }
        crossResponse[i] = sum;
    }
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int j = 0; j < n; ++j) {
            sum += inverse[i][j] * crossResponse[j];
        }
        coefficients[i] = sum;
    }
    return FitStatus::kOk;
}

}  // namespace kavri
