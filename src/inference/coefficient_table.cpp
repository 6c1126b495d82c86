#include "inference/coefficient_table.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "estimation/least_squares.h"
#include "inference/distributions.h"
#include "model/setar_equation.h"
#include "numeric/storage.h"

namespace kavri {

namespace {

// The rows of one regime: design row i at design[i * k .. i * k + k - 1], residual e_i.
struct RegimeRows {
    int k = 0;
    std::vector<double> design;
    std::vector<double> residual;
    int size() const { return static_cast<int>(residual.size()); }
};

RegimeRows gatherRows(const ReportedModel& model, int r, const std::vector<int>& lags) {
    const std::vector<double>& b = model.regimes[r].coefficients;
    RegimeRows rows;
    // Without a constant the design has the lags only (the constant 0 was not estimated).
    rows.k = static_cast<int>(lags.size()) + (model.constant ? 1 : 0) + (model.trend ? 1 : 0);
    const int n = static_cast<int>(model.regimeOfObservation.size());
    for (int t = 0; t < n; ++t) {
        if (model.regimeOfObservation[t] != r) {
            continue;
        }
        double fitted = b[0];
        if (model.constant) {
            rows.design.push_back(1.0);
        }
        // The trend's column: the observation's number in the sample.
        const double time = t + 1.0;
        if (model.trend) {
            rows.design.push_back(time);
        }
        for (int lag : lags) {
            const double value = model.series[t - lag];
            rows.design.push_back(value);
            fitted = fitted + b[lag] * value;
        }
        fitted = withTrend(fitted, model.trend, model.regimes[r].trend, time);
        rows.residual.push_back(model.series[t] - fitted);
    }
    return rows;
}

// (X'X)^-1 into inverse[1..k][1..k]; false when X'X is singular.
bool invertCrossProducts(const RegimeRows& rows, DMatrix& inverse) {
    const int k = rows.k;
    for (int i = 0; i < k; ++i) {
        for (int j = 0; j < k; ++j) {
            double sum = 0.0;
            for (int row = 0; row < rows.size(); ++row) {
                sum += rows.design[row * k + i] * rows.design[row * k + j];
            }
            inverse[i + 1][j + 1] = sum;
        }
    }
    return gaussJordanInvert(inverse, k) == FitStatus::kOk;
}

// The diagonal of the HC1 covariance n / (n - k) A M A with A = (X'X)^-1 and
// M = sum e_i^2 x_i x_i'.
std::vector<double> hc1Variances(const RegimeRows& rows, const DMatrix& inverse, int df) {
    const int k = rows.k;
    std::vector<double> meat(static_cast<std::size_t>(k) * k, 0.0);
    for (int i = 0; i < k; ++i) {
        for (int j = 0; j < k; ++j) {
            double sum = 0.0;
            for (int row = 0; row < rows.size(); ++row) {
                const double e = rows.residual[row];
                sum += e * e * rows.design[row * k + i] * rows.design[row * k + j];
            }
            meat[i * k + j] = sum;
        }
    }
    const double factor = static_cast<double>(rows.size()) / df;
    std::vector<double> variances(static_cast<std::size_t>(k), 0.0);
    for (int c = 0; c < k; ++c) {
        // (A M A)[c][c] = sum_ij A[c][i] M[i][j] A[j][c].
        double sum = 0.0;
        for (int i = 0; i < k; ++i) {
            for (int j = 0; j < k; ++j) {
                sum += inverse[c + 1][i + 1] * meat[i * k + j] * inverse[j + 1][c + 1];
            }
        }
        variances[c] = factor * sum;
    }
    return variances;
}

// Each design column divided by a power of two near its largest magnitude, and the residuals
// likewise: the same regression in units where its cross products cannot overflow (values of
// 1e100 make e^2 x^2 about 1e400). Powers of two change no digit. A standard error of the
// original is the scaled one times residualScale / columnScale[c].
struct ScaledRows {
    RegimeRows rows;
    std::vector<double> columnScale;
    double residualScale = 1.0;
};

double powerOfTwoAbove(double largest) {
    if (!(largest > 0.0) || !std::isfinite(largest)) {
        return 1.0;
    }
    int exponent = 0;
    std::frexp(largest, &exponent);
    return std::ldexp(1.0, exponent);
}

ScaledRows scaleRows(const RegimeRows& rows) {
    ScaledRows scaled;
    scaled.rows = rows;
    const int k = rows.k;
    scaled.columnScale.assign(static_cast<std::size_t>(k), 1.0);
    for (int c = 0; c < k; ++c) {
        double largest = 0.0;
        for (int row = 0; row < rows.size(); ++row) {
            largest = std::max(largest, std::fabs(rows.design[row * k + c]));
        }
        scaled.columnScale[c] = powerOfTwoAbove(largest);
        for (int row = 0; row < rows.size(); ++row) {
            scaled.rows.design[row * k + c] /= scaled.columnScale[c];
        }
    }
    double largest = 0.0;
    for (double e : rows.residual) {
        largest = std::max(largest, std::fabs(e));
    }
    scaled.residualScale = powerOfTwoAbove(largest);
    for (double& e : scaled.rows.residual) {
        e /= scaled.residualScale;
    }
    return scaled;
}

// The standard errors in the scaled units, taken back to the original ones; empty entries
// (negative variances from rounding) stay negative.
std::vector<double> scaledStandardErrors(const RegimeRows& rows, StandardErrorKind kind, int df,
                                         bool& singular) {
    const ScaledRows scaled = scaleRows(rows);
    const int k = rows.k;
    DMatrix inverse = matrix(1, k, 1, k);
    singular = !invertCrossProducts(scaled.rows, inverse);
    std::vector<double> errors(static_cast<std::size_t>(k), -1.0);
    if (singular) {
        return errors;
    }
    std::vector<double> variances(static_cast<std::size_t>(k), 0.0);
    if (kind == StandardErrorKind::kHc1) {
        variances = hc1Variances(scaled.rows, inverse, df);
    } else {
        double sse = 0.0;
        for (double e : scaled.rows.residual) {
            sse += e * e;
        }
        for (int c = 0; c < k; ++c) {
            variances[c] = sse / df * inverse[c + 1][c + 1];
        }
    }
    for (int c = 0; c < k; ++c) {
        if (variances[c] >= 0.0) {
            errors[c] = std::sqrt(variances[c]) * (scaled.residualScale / scaled.columnScale[c]);
        }
    }
    return errors;
}

RegimeCoefficients regimeCoefficients(const ReportedModel& model, int r, StandardErrorKind kind) {
    const std::vector<int> lags = model.lagsOf(static_cast<std::size_t>(r));
    const RegimeRows rows = gatherRows(model, r, lags);
    const std::vector<double>& b = model.regimes[r].coefficients;
    RegimeCoefficients regime;
    regime.observations = rows.size();
    regime.residualDf = rows.size() - rows.k;
    regime.lags = lags;
    regime.fitted = rows.k;
    for (double e : rows.residual) {
        regime.sse += e * e;
    }
    regime.coefficients.push_back(CoefficientEstimate{b[0], {}, {}, {}});
    regime.trend = model.trend;
    if (model.trend) {
        regime.coefficients.push_back(CoefficientEstimate{model.regimes[r].trend, {}, {}, {}});
    }
    for (int lag : lags) {
        regime.coefficients.push_back(CoefficientEstimate{b[lag], {}, {}, {}});
    }
    DMatrix inverse = matrix(1, rows.k, 1, rows.k);
    if (regime.residualDf <= 0 || !invertCrossProducts(rows, inverse)) {
        return regime;
    }
    std::vector<double> variances(static_cast<std::size_t>(rows.k), 0.0);
    if (kind == StandardErrorKind::kHc1) {
        variances = hc1Variances(rows, inverse, regime.residualDf);
    } else {
        const double s2 = regime.sse / regime.residualDf;
        for (int c = 0; c < rows.k; ++c) {
            variances[c] = s2 * inverse[c + 1][c + 1];
        }
    }
    const int first = model.constant ? 0 : 1;  // the coefficient of design column 0
    std::vector<double> errors(static_cast<std::size_t>(rows.k), -1.0);
    bool overflowed = false;
    for (int c = 0; c < rows.k; ++c) {
        if (variances[c] >= 0.0) {
            errors[c] = std::sqrt(variances[c]);
        }
        overflowed = overflowed || std::isinf(variances[c]) || std::isnan(variances[c]);
    }
    if (overflowed) {
        // The sums overflowed on large values: the same errors computed in scaled units.
        bool singular = false;
        errors = scaledStandardErrors(rows, kind, regime.residualDf, singular);
    }
    for (int c = 0; c < rows.k; ++c) {
        // A variance below zero is rounding in a near-singular X'X: no error can be stated; nor
        // one that is not finite even in scaled units.
        if (!(errors[c] >= 0.0) || !std::isfinite(errors[c])) {
            continue;
        }
        CoefficientEstimate& estimate = regime.coefficients[c + first];
        estimate.standardError = errors[c];
        const double t = estimate.estimate / errors[c];
        if (*estimate.standardError > 0.0 && std::isfinite(t)) {
            estimate.tValue = t;
            estimate.pValue = studentTwoSidedP(*estimate.tValue, regime.residualDf);
        }
    }
    return regime;
}

}  // namespace

CoefficientTable coefficientTable(const ReportedModel& model, StandardErrorKind kind) {
    assert(model.available);
    CoefficientTable table;
    table.kind = kind;
    for (int r = 0; r < static_cast<int>(model.regimes.size()); ++r) {
        table.regimes.push_back(regimeCoefficients(model, r, kind));
    }
    return table;
}

}  // namespace kavri
