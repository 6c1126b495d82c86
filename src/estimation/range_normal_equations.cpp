#include "estimation/range_normal_equations.h"

#include <cassert>

#include "estimation/series_statistics.h"

namespace kavri {

NormalEquationsRangeEstimator::NormalEquationsRangeEstimator(const double* x, const int* sortOrder,
                                                             const OrderSearch& search)
    : x_(x),
      sortOrder_(sortOrder),
      search_(search),
      columnLength_(search.n + 1),
      times_(static_cast<std::size_t>(columnLength_)),
      response_(static_cast<std::size_t>(columnLength_)),
      columns_(static_cast<std::size_t>(columnLength_) * (search.maxOrder + 1)),
      fitted_(static_cast<std::size_t>(columnLength_)),
      crossProduct_(static_cast<std::size_t>(search.maxOrder + 1) * (search.maxOrder + 1)),
      crossResponse_(static_cast<std::size_t>(search.maxOrder + 1)),
      solverMatrix_(matrix(1, search.maxOrder + 1, 1, search.maxOrder + 1)) {
    assert(search.n >= 0 && search.maxOrder >= 0);
    // The estimate holds coefficients 0 .. 20, so orders up to 20 (maxOrder up to 21).
    assert(search.maxOrder <= static_cast<int>(RegimeEstimate{}.coefficients.size()));
}

int NormalEquationsRangeEstimator::gatherTimes(int start, int end) {
    int m = 0;
    for (int h = start; h < end; ++h) {
        const int t = sortOrder_[h] + search_.delay;
        if (t < search_.maxOrder - 1 || t > search_.n - 1) {
            continue;
        }
        times_[m] = t;
        response_[m] = x_[t];
        ++m;
    }
    return m;
}

void NormalEquationsRangeEstimator::gatherColumn(int lag, int m) {
    double* column = &columns_[static_cast<std::size_t>(lag) * columnLength_];
    for (int i = 0; i < m; ++i) {
        column[i] = lag == 0 ? 1.0 : x_[times_[i] - lag];
    }
}

void NormalEquationsRangeEstimator::extendCrossProducts(int p, int m) {
    const int size = search_.maxOrder + 1;
    const double* newColumn = &columns_[static_cast<std::size_t>(p) * columnLength_];
    for (int i = 0; i <= p; ++i) {
        const double* column = &columns_[static_cast<std::size_t>(i) * columnLength_];
        // x_ki * x_kp and x_kp * x_ki are the same product, so one sum serves both triangles,
        // exactly as the full double loop of the straightforward fit produces them.
        double sum = 0.0;
        for (int k = 0; k < m; ++k) {
            sum += column[k] * newColumn[k];
        }
        crossProduct_[static_cast<std::size_t>(i) * size + p] = sum;
        crossProduct_[static_cast<std::size_t>(p) * size + i] = sum;
    }
    double sum = 0.0;
    for (int k = 0; k < m; ++k) {
        sum += newColumn[k] * response_[k];
    }
    crossResponse_[p] = sum;
}

FitStatus NormalEquationsRangeEstimator::solve(int p, double* coefficients) {
    const int size = search_.maxOrder + 1;
    const int nCoefficients = p + 1;
    for (int i = 1; i <= nCoefficients; ++i) {
        for (int j = 1; j <= nCoefficients; ++j) {
            solverMatrix_[i][j] = crossProduct_[static_cast<std::size_t>(i - 1) * size + (j - 1)];
        }
    }
    if (gaussJordanInvert(solverMatrix_, nCoefficients) == FitStatus::kSingular) {
        return FitStatus::kSingular;
    }
    for (int i = 0; i < nCoefficients; ++i) {
        double sum = 0.0;
        for (int j = 0; j < nCoefficients; ++j) {
            sum += solverMatrix_[i + 1][j + 1] * crossResponse_[j];
        }
        coefficients[i] = sum;
    }
    return FitStatus::kOk;
}

FitStatus NormalEquationsRangeEstimator::estimate(int start, int end, RegimeEstimate& estimate) {
    estimate = RegimeEstimate{};
    if (search_.maxOrder - 1 < 1) {
        return FitStatus::kOk;
    }
    double best = search_.initialBestAic;
    const int m = gatherTimes(start, end);
    const double* y = response_.data();
    gatherColumn(0, m);
    extendCrossProducts(0, m);

    double sst = 0.0;
    bool responsesEqual = true;
    bool sstKnown = false;
    std::array<double, kMaxCoefficientCount> b{};
    for (int p = 1; p <= search_.maxOrder - 1; ++p) {
        gatherColumn(p, m);
        extendCrossProducts(p, m);
        if (solve(p, b.data()) == FitStatus::kSingular) {
            return FitStatus::kSingular;
        }
        // The same check and the same stable refit as estimateRegime(), on the same rows.
        const int size = search_.maxOrder + 1;
        std::array<double, kMaxCoefficientCount> diagonal{};
        for (int j = 0; j <= p; ++j) {
            diagonal[j] = crossProduct_[static_cast<std::size_t>(j) * size + j];
        }
        const auto inverseDiagonal = [this](int j) { return solverMatrix_[j + 1][j + 1]; };
        const auto design = [this](int i, int q) {
            return columns_[static_cast<std::size_t>(q) * columnLength_ + i];
        };
        if (normalEquationsIllConditioned(diagonal.data(), inverseDiagonal, p + 1) &&
            refitStably(design, y, m, p, b.data()) == FitStatus::kSingular) {
            return FitStatus::kSingular;
        }
        // The mean and the total sum of squares are the same at every order.
        if (!sstKnown) {
            const double mean = seriesMean(y, m);
            for (int i = 0; i < m; ++i) {
                responsesEqual = responsesEqual && y[i] == y[0];
                sst += (y[i] - mean) * (y[i] - mean);
            }
            sstKnown = true;
        }
        // Each fitted value is built term by term from 0.0 with q ascending, as a row at a time
        // would build it; going column by column only interleaves independent sums.
        double* fitted = fitted_.data();
        for (int i = 0; i < m; ++i) {
            fitted[i] = 0.0;
        }
        for (int q = 0; q <= p; ++q) {
            const double* column = &columns_[static_cast<std::size_t>(q) * columnLength_];
            const double coefficient = b[q];
            for (int i = 0; i < m; ++i) {
                fitted[i] += coefficient * column[i];
            }
        }
        double sse = 0.0;
        for (int i = 0; i < m; ++i) {
            sse += (y[i] - fitted[i]) * (y[i] - fitted[i]);
        }
        const RegimeFit fit = regimeFit(m, sse, sst, responsesEqual, p, search_);
        if (!considerOrder(p, b.data(), fit, search_, best, estimate)) {
            break;
        }
    }
    return FitStatus::kOk;
}

}  // namespace kavri
