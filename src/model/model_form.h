#pragma once

// The form of the threshold model beyond its thresholds: which autoregressive order each regime
// has. By default every regime's order is chosen by AIC among 1 .. maxOrder - 1; the user may
// fix them instead, to reproduce a published SETAR(2; 3, 1) or to keep a regime small.

#include <array>

#include "model/fitted_model.h"

namespace kavri {

struct ModelForm {
    // 0: orders chosen by AIC; 1: orders[0] for every regime; k > 1: orders[r] for regime r of
    // a model of exactly k regimes.
    int nFixedOrders = 0;
    std::array<int, kMaxRegimeCount> fixedOrders{};

    bool ordersFixed() const { return nFixedOrders > 0; }
    bool isDefault() const { return !ordersFixed(); }
    // The fixed order of regime r (0-based), 0 when the order is chosen by AIC.
    int fixedOrderOf(int regime) const {
        if (nFixedOrders == 0) {
            return 0;
        }
        return nFixedOrders == 1 ? fixedOrders[0] : fixedOrders[regime];
    }

    bool operator==(const ModelForm&) const = default;
};

}  // namespace kavri
