#pragma once

// The form of the threshold model beyond its thresholds: which autoregressive order each regime
// has, and whether its regressions have a constant. By default every regime has a constant and
// its order chosen by AIC among 1 .. maxOrder - 1; the user may fix the orders instead, to
// reproduce a published SETAR(2; 3, 1) or to keep a regime small, and fit without a constant
// (a series of deviations from an equilibrium, whose mean is zero by construction). The lags
// may be a subset (1, 2 and 12 of a monthly series, without 3 .. 11): orders then count the
// lags of that list, so order k is its first k lags.

#include <array>

#include "model/fitted_model.h"

namespace kavri {

struct ModelForm {
    // 0: orders chosen by AIC; 1: orders[0] for every regime; k > 1: orders[r] for regime r of
    // a model of exactly k regimes.
    int nFixedOrders = 0;
    std::array<int, kMaxRegimeCount> fixedOrders{};
    // false: no constant in any regime (stored as a constant of exactly 0, so that every use of
    // a fitted model's equation stays as it is), and one coefficient fewer counted.
    bool constant = true;
    // true: a linear time trend besides the constant in every regime, trend * t with t the
    // observation's number in the sample (1 for its first value), continued past the sample by
    // forecasts. Only with a constant.
    bool trend = false;

    // 0: the lags 1 .. p of order p. Otherwise the lags used, ascending and distinct, each
    // below the maximum order (so the regressions start where the default model's do).
    int nLags = 0;
    std::array<int, kMaxLagListSize> lags{};

    bool ordersFixed() const { return nFixedOrders > 0; }
    bool lagsGiven() const { return nLags > 0; }
    bool isDefault() const { return !ordersFixed() && constant && !lagsGiven() && !trend; }
    // The lag of the k-th regressor (1-based) of a regime.
    int lagOf(int k) const { return nLags == 0 ? k : lags[k - 1]; }
    // The fixed order of regime r (0-based), 0 when the order is chosen by AIC.
    int fixedOrderOf(int regime) const {
        if (nFixedOrders == 0) {
            return 0;
        }
        return nFixedOrders == 1 ? fixedOrders[0] : fixedOrders[regime];
    }

    // The coefficients a regime fits whose order (as stored: its highest lag) is `order`: its
    // lags up to that one, and the constant and the trend where there are.
    int coefficientsAt(int order) const {
        int lagCount = 0;
        if (!lagsGiven()) {
            lagCount = order;
        } else {
            for (int k = 0; k < nLags; ++k) {
                lagCount += lags[k] <= order ? 1 : 0;
            }
        }
        return lagCount + (constant ? 1 : 0) + (trend ? 1 : 0);
    }

    // One order per regime fixes the number of regimes: the searches fit exactly that many,
    // and what compares numbers of regimes (the model comparison, --select, the regimes'
    // support) does not apply.
    bool ordersPerRegime() const { return nFixedOrders > 1; }

    bool operator==(const ModelForm&) const = default;
};

}  // namespace kavri
