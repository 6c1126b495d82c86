#include "inference/coefficient_table.h"

#include <cassert>
#include <cmath>

#include "estimation/least_squares.h"
#include "inference/distributions.h"
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

RegimeRows gatherRows(const ReportedModel& model, int r) {
    const std::vector<double>& b = model.regimes[r].coefficients;
    RegimeRows rows;
    // Without a constant the design has the lags only (the constant 0 was not estimated).
    rows.k = static_cast<int>(b.size()) - (model.constant ? 0 : 1);
    const int n = static_cast<int>(model.regimeOfObservation.size());
    for (int t = 0; t < n; ++t) {
        if (model.regimeOfObservation[t] != r) {
            continue;
        }
        double fitted = b[0];
        if (model.constant) {
            rows.design.push_back(1.0);
        }
        for (int lag = 1; lag < static_cast<int>(b.size()); ++lag) {
            const double value = model.series[t - lag];
            rows.design.push_back(value);
            fitted = fitted + b[lag] * value;
        }
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

RegimeCoefficients regimeCoefficients(const ReportedModel& model, int r, StandardErrorKind kind) {
    const RegimeRows rows = gatherRows(model, r);
    const std::vector<double>& b = model.regimes[r].coefficients;
    RegimeCoefficients regime;
    regime.observations = rows.size();
    regime.residualDf = rows.size() - rows.k;
    for (double e : rows.residual) {
        regime.sse += e * e;
    }
    for (double estimate : b) {
        regime.coefficients.push_back(CoefficientEstimate{estimate, {}, {}, {}});
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
    for (int c = 0; c < rows.k; ++c) {
        // A variance below zero is rounding in a near-singular X'X: no error can be stated.
        if (!(variances[c] >= 0.0)) {
            continue;
        }
        CoefficientEstimate& estimate = regime.coefficients[c + first];
        estimate.standardError = std::sqrt(variances[c]);
        if (*estimate.standardError > 0.0) {
            estimate.tValue = estimate.estimate / *estimate.standardError;
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
