#pragma once

// The fitted threshold autoregressive model as estimation hands it to reporting: the number
// of regimes R (1 to 4), the R - 1 thresholds, each regime's autoregressive order and its
// coefficients (row r: the constant of regime r in column 0, then lags 1 .. p_r; a lag left
// out of a subset has the coefficient 0).

#include <array>

#include "numeric/storage.h"

namespace kavri {

inline constexpr int kMaxRegimeCount = 4;
inline constexpr int kMaxThresholdCount = kMaxRegimeCount - 1;
// Lags of a list: the maximum order is at most 20, and every lag lies below it.
inline constexpr int kMaxLagListSize = 19;

struct FittedModel {
    explicit FittedModel(int maxOrder) : regimeCoefficients(matrix(0, 4, 0, maxOrder)) {}

    int nRegimes = 1;
    // Ascending for a chromosome's thresholds; as typed for the user's thresholds.
    std::array<double, kMaxThresholdCount> thresholdValues{};
    std::array<int, kMaxRegimeCount> regimeOrders{};
    DMatrix regimeCoefficients;  // rows 0..4, columns 0..maxOrder
    bool constant = true;        // false: the constants are 0, not estimated
    // A subset of lags: the coefficients are stored by lag, 0 at the lags left out, and the
    // order is the highest lag fitted. 0: the lags 1 .. order.
    int nLags = 0;
    std::array<int, kMaxLagListSize> lags{};
    // A linear trend: regime r adds trendCoefficients[r] * t, t the observation's number in the
    // sample from 1 (setar_equation.h).
    bool trend = false;
    std::array<double, kMaxRegimeCount> trendCoefficients{};
};

}  // namespace kavri
