#pragma once

// The columns of a range regression as the exact search and the engines around it (range_qr.h,
// regression_lanes.h, the model comparison) lay them out, written once: the deterministic terms
// (none; the constant; the constant and the trend), then the lag columns in the order of the
// model's lags, then the response. Order p uses the deterministic columns and the first p lag
// columns, so one triangular factor of the whole row serves every order.
//
// With a constant the lags and the response are centred on the series mean, which leaves the
// fitted model unchanged (the constant absorbs the shift) and conditions the factor better;
// without one a shift would change the model, so the values are taken as they are. The trend's
// regressor is t + 1 for the response x[t], the observation's number in the sample, centred on
// the sample's middle number for the same reason (it always comes with the constant).

#include <array>

#include "estimation/regime_estimation.h"
#include "model/model_form.h"

namespace kavri {

struct RangeDesign {
    // Responses x[t] are usable from t = maxOrder - 1, whatever the lags, as in every fit.
    int maxOrder = 2;
    int deterministic = 1;  // 0: none; 1: the constant; 2: the constant and the trend
    int lagCount = 1;       // lag columns: the orders 1 .. lagCount can be fitted
    std::array<int, kMaxCoefficientCount> lags{};  // lags[k - 1]: the lag of lag column k
    double centre = 0.0;                           // subtracted from the lags and the response
    double trendCentre = 0.0;                      // subtracted from the trend's t + 1

    // A constant and the lags 1 .. maxOrder - 1: the default model.
    static RangeDesign contiguous(int maxOrder, double centre);
    // The columns of a model of form `form` on the series x of n values, as many lag columns as
    // the highest order the form tries.
    static RangeDesign of(const ModelForm& form, int maxOrder, const double* x, int n);

    int columns() const { return deterministic + lagCount + 1; }
    int response() const { return deterministic + lagCount; }
    bool constant() const { return deterministic > 0; }
    // Coefficients fitted at order p, which the criteria count.
    int coefficients(int order) const { return deterministic + order; }
    // The row of the response x[t]: columns() values, the response last. Lags before the
    // series' start (only on a sample too short to use) are read as 0.
    void fill(const double* x, int t, double* row) const;
};

}  // namespace kavri
