#pragma once

// Reference computations for the inference tests, written independently of the code under
// test: least squares by twice-applied modified Gram-Schmidt (X = QR), the sample rows by the
// value of the threshold variable, and reproducible simulated series.

#include <cmath>
#include <cstdint>
#include <vector>

#include "support/series_fixtures.h"

namespace kavri::testing {

struct ReferenceFit {
    std::vector<double> coefficients;
    std::vector<double> residuals;
    std::vector<std::vector<double>> qFactor;   // columns of Q, each of length m
    std::vector<std::vector<double>> rInverse;  // R^-1, upper triangular k x k
    double sse = 0.0;
};

// X given by rows (m x k), y of length m; requires full column rank.
inline ReferenceFit gramSchmidtFit(const std::vector<std::vector<double>>& x,
                                   const std::vector<double>& y) {
    const std::size_t m = x.size();
    const std::size_t k = x.front().size();
    std::vector<std::vector<double>> q(k, std::vector<double>(m));
    std::vector<std::vector<double>> r(k, std::vector<double>(k, 0.0));
    for (std::size_t j = 0; j < k; ++j) {
        for (std::size_t i = 0; i < m; ++i) q[j][i] = x[i][j];
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t l = 0; l < j; ++l) {
                double dot = 0.0;
                for (std::size_t i = 0; i < m; ++i) dot += q[l][i] * q[j][i];
                r[l][j] += dot;
                for (std::size_t i = 0; i < m; ++i) q[j][i] -= dot * q[l][i];
            }
        }
        double norm = 0.0;
        for (std::size_t i = 0; i < m; ++i) norm += q[j][i] * q[j][i];
        norm = std::sqrt(norm);
        r[j][j] = norm;
        for (std::size_t i = 0; i < m; ++i) q[j][i] /= norm;
    }
    ReferenceFit fit;
    fit.qFactor = q;
    fit.rInverse.assign(k, std::vector<double>(k, 0.0));
    for (std::size_t c = 0; c < k; ++c) {
        for (std::size_t i = c + 1; i-- > 0;) {
            double sum = i == c ? 1.0 : 0.0;
            for (std::size_t l = i + 1; l <= c; ++l) sum -= r[i][l] * fit.rInverse[l][c];
            fit.rInverse[i][c] = sum / r[i][i];
        }
    }
    std::vector<double> qty(k, 0.0);
    for (std::size_t j = 0; j < k; ++j)
        for (std::size_t i = 0; i < m; ++i) qty[j] += q[j][i] * y[i];
    fit.coefficients.assign(k, 0.0);
    for (std::size_t i = 0; i < k; ++i)
        for (std::size_t l = i; l < k; ++l) fit.coefficients[i] += fit.rInverse[i][l] * qty[l];
    for (std::size_t i = 0; i < m; ++i) {
        double fitted = 0.0;
        for (std::size_t j = 0; j < k; ++j) fitted += x[i][j] * fit.coefficients[j];
        fit.residuals.push_back(y[i] - fitted);
        fit.sse += fit.residuals.back() * fit.residuals.back();
    }
    return fit;
}

// Rows (1, x[t-1], .., x[t-p]) and responses x[t] of the times given.
struct RegressionRows {
    std::vector<std::vector<double>> design;
    std::vector<double> response;
};

inline RegressionRows rowsAt(const std::vector<double>& x, const std::vector<int>& times, int p) {
    RegressionRows rows;
    for (int t : times) {
        std::vector<double> row{1.0};
        for (int k = 1; k <= p; ++k) row.push_back(x[t - k]);
        rows.design.push_back(row);
        rows.response.push_back(x[t]);
    }
    return rows;
}

// The regressors of a row of another model form: a constant or none, the trend t + 1 (the
// observation's number), and the lags listed.
struct RowForm {
    bool constant = true;
    bool trend = false;
    std::vector<int> lags;
};

// Rows ([1], [t + 1], x[t - l_1], .., x[t - l_p]) and responses x[t], uncentred.
inline RegressionRows rowsAt(const std::vector<double>& x, const std::vector<int>& times,
                             const RowForm& form) {
    RegressionRows rows;
    for (int t : times) {
        std::vector<double> row;
        if (form.constant) row.push_back(1.0);
        if (form.trend) row.push_back(t + 1.0);
        for (int lag : form.lags) row.push_back(x[t - lag]);
        rows.design.push_back(row);
        rows.response.push_back(x[t]);
    }
    return rows;
}

// x[t] = a_r + b_r x[t-1] + noise, regime 1 where x[t-1] >= threshold (b equal in both regimes
// and a equal: a linear AR(1)); uniform noise of variance `scale`^2.
inline std::vector<double> simulateSetar1(int n, std::uint32_t seed, double lowConstant,
                                          double highConstant, double lowSlope, double highSlope,
                                          double threshold, double scale) {
    Noise noise(seed);
    std::vector<double> x{0.0};
    for (int t = 1; t < n + 100; ++t) {
        const bool high = x[t - 1] >= threshold;
        const double e = noise.next() * std::sqrt(12.0) * scale;
        x.push_back((high ? highConstant : lowConstant) + (high ? highSlope : lowSlope) * x[t - 1] +
                    e);
    }
    return std::vector<double>(x.begin() + 100, x.end());  // the start-up transient dropped
}

}  // namespace kavri::testing
