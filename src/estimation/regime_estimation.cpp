#include "estimation/regime_estimation.h"

#include <cmath>
#include <limits>

#include "estimation/information_criterion.h"
#include "estimation/series_statistics.h"

namespace kavri {

RegimeWorkspace::RegimeWorkspace(int n, int maxOrder)
    : design(matrix(0, n, 0, maxOrder)),
      response(dvector(0, n)),
      coefficients(dvector(0, maxOrder)),
      inverse(matrix(0, maxOrder, 0, maxOrder)) {}

namespace {

// Rows of the regime in rank order (ascending threshold variable, not time order): the
// response x[t] and the design row (1, x[t-l_1], .., x[t-l_k]) of the first k lags (1 .. k
// unless a subset is given), without the 1 when the regressions have no constant. Returns the
// number of rows m.
int gatherRows(const double* x, const int* sortOrder, int start, int end, int order,
               const OrderSearch& search, RegimeWorkspace& workspace) {
    int m = 0;
    for (int h = start; h < end; ++h) {
        const int t = sortOrder[h] + search.delay;
        if (t < search.maxOrder - 1 || t > search.n - 1) {
            continue;
        }
        double* row = workspace.design[m];
        const int first = (search.constant ? 1 : 0) + (search.trend ? 1 : 0);
        row[0] = 1.0;
        if (search.trend) {
            row[1] = t + 1.0;
        }
        for (int k = 1; k <= order; ++k) {
            row[k - 1 + first] = x[t - search.lagOf(k)];
        }
        workspace.response[m] = x[t];
        ++m;
    }
    return m;
}

}  // namespace

double regimeAic(int m, double sse, double sst, bool responsesEqual, int order) {
    // Sums of squares that overflowed measure nothing, an exact fit least of all.
    if (!std::isfinite(sse) || !std::isfinite(sst)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return isExactFit(sse, sst, responsesEqual) ? 0.0 : m * std::log(sse / m) + 2.0 * (order + 1);
}

RegimeFit regimeFit(int m, double sse, double sst, bool responsesEqual, int order,
                    const OrderSearch& search) {
    return RegimeFit{m, sse, sst, regimeAic(m, sse, sst, responsesEqual, order),
                     regimeScore(m, sse, sst, responsesEqual, order, search.exactFitLogFloor)};
}

bool considerOrder(int p, const double* b, const RegimeFit& fit, const OrderSearch& search,
                   double& bestAic, RegimeEstimate& estimate, double trend) {
    if (fit.score < bestAic) {
        bestAic = fit.score;
        estimate.order = p;
        estimate.trend = trend;
        for (int q = 0; q <= p; ++q) {
            estimate.coefficients[q] = b[q];
        }
        estimate.fit = fit;
        return true;
    }
    return !search.stopAtFirstNonImprovement;
}

FitStatus estimateRegime(const double* x, const int* sortOrder, int start, int end,
                         const OrderSearch& search, RegimeWorkspace& workspace,
                         RegimeEstimate& estimate) {
    estimate = RegimeEstimate{};
    const bool fixed = search.fixedOrder > 0;
    double best = fixed ? std::numeric_limits<double>::infinity() : search.initialBestAic;
    const int lastOrder = fixed ? search.fixedOrder : search.highestOrder();
    for (int p = fixed ? search.fixedOrder : 1; p <= lastOrder; ++p) {
        const int m = gatherRows(x, sortOrder, start, end, p, search, workspace);
        const double* y = workspace.response.data();
        double* b = workspace.coefficients.data();
        // The regression's columns: the constant (when there is one), the trend (when there is
        // one) and p lags; `last` is the index of the last, as p is with a constant alone.
        const int last = p - (search.constant ? 0 : 1) + (search.trend ? 1 : 0);
        if (leastSquaresFit(workspace.design, y, m, last + 1, b, workspace.inverse) ==
            FitStatus::kSingular) {
            return FitStatus::kSingular;
        }
        // The diagonal of X'X, summed as leastSquaresFit() sums it.
        std::array<double, kMaxCoefficientCount> diagonal{};
        for (int j = 0; j <= last; ++j) {
            double sum = 0.0;
            for (int k = 0; k < m; ++k) {
                sum += workspace.design[k][j] * workspace.design[k][j];
            }
            diagonal[j] = sum;
        }
        const auto inverseDiagonal = [&workspace](int j) { return workspace.inverse[j][j]; };
        if (normalEquationsIllConditioned(diagonal.data(), inverseDiagonal, last + 1) &&
            refitStably([&workspace](int i, int q) { return workspace.design[i][q]; }, y, m, last,
                        b) == FitStatus::kSingular) {
            return FitStatus::kSingular;
        }

        const double mean = seriesMean(y, m);
        double sst = 0.0;
        double sse = 0.0;
        bool responsesEqual = true;
        for (int i = 0; i < m; ++i) {
            responsesEqual = responsesEqual && y[i] == y[0];
            sst += (y[i] - mean) * (y[i] - mean);
            double fitted = 0.0;
            const double* row = workspace.design[i];
            for (int q = 0; q <= last; ++q) {
                fitted += b[q] * row[q];
            }
            sse += (y[i] - fitted) * (y[i] - fitted);
        }
        if (!search.constant) {
            // Stored as every equation reads it: the constant first, here exactly 0.
            for (int q = p; q >= 1; --q) {
                b[q] = b[q - 1];
            }
            b[0] = 0.0;
        }
        double slope = 0.0;
        if (search.trend) {
            // Stored as every equation reads it: the constant, then the lags; the slope apart.
            slope = b[1];
            for (int q = 1; q <= p; ++q) {
                b[q] = b[q + 1];
            }
        }
        // The criteria count the coefficients fitted: p lags, and the constant and the trend
        // where there are.
        const RegimeFit fit = regimeFit(m, sse, sst, responsesEqual, last, search);
        if (search.nLags != 0) {
            // Stored by lag up to the highest one fitted, 0 at the lags left out.
            std::array<double, kMaxCoefficientCount> byLag{};
            byLag[0] = b[0];
            for (int k = 1; k <= p; ++k) {
                byLag[search.lagOf(k)] = b[k];
            }
            if (!considerOrder(search.lagOf(p), byLag.data(), fit, search, best, estimate, slope)) {
                break;
            }
            continue;
        }
        if (!considerOrder(p, b, fit, search, best, estimate, slope)) {
            break;
        }
    }
    return FitStatus::kOk;
}

FitStatus estimateRegimes(const double* x, const int* sortOrder, const RankRanges& ranges,
                          const OrderSearch& search, FittedModel& model,
                          std::array<RegimeFit, kMaxRegimeCount>& fits) {
    RegimeWorkspace workspace(search.n, search.maxOrder);
    RegimeEstimate estimate;
    for (int r = 0; r < ranges.regimeCount(); ++r) {
        if (estimateRegime(x, sortOrder, ranges.begin(r), ranges.end(r), search, workspace,
                           estimate) == FitStatus::kSingular) {
            return FitStatus::kSingular;
        }
        model.regimeOrders[r] = estimate.order;
        for (int q = 0; q <= estimate.order; ++q) {
            model.regimeCoefficients[r][q] = estimate.coefficients[q];
        }
        fits[r] = estimate.fit;
    }
    return FitStatus::kOk;
}

}  // namespace kavri
