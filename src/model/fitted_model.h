#pragma once

// The fitted threshold autoregressive model as estimation hands it to reporting: the number
// of regimes R (1 to 4), the R - 1 thresholds, each regime's autoregressive order and its
// coefficients (row r: the constant of regime r in column 0, then lags 1 .. p_r).

#include <array>

#include "numeric/storage.h"

namespace kavri {

inline constexpr int kMaxRegimeCount = 4;
inline constexpr int kMaxThresholdCount = kMaxRegimeCount - 1;

struct FittedModel {
    explicit FittedModel(int maxOrder) : regimeCoefficients(matrix(0, 4, 0, maxOrder)) {}

    int nRegimes = 1;
    // Ascending for a chromosome's thresholds; as typed for the user's thresholds.
    std::array<double, kMaxThresholdCount> thresholdValues{};
    std::array<int, kMaxRegimeCount> regimeOrders{};
    DMatrix regimeCoefficients;  // rows 0..4, columns 0..maxOrder
    bool constant = true;        // false: the constants are 0, not estimated
};

}  // namespace kavri
