#include "estimation/range_design.h"

#include <algorithm>

#include "estimation/series_statistics.h"

namespace kavri {

RangeDesign RangeDesign::contiguous(int maxOrder, double centre) {
    RangeDesign design;
    design.maxOrder = maxOrder;
    design.deterministic = 1;
    design.lagCount = std::max(maxOrder - 1, 0);
    for (int k = 1; k <= design.lagCount; ++k) {
        design.lags[k - 1] = k;
    }
    design.centre = centre;
    return design;
}

RangeDesign RangeDesign::of(const ModelForm& form, int maxOrder, const double* x, int n) {
    RangeDesign design;
    design.maxOrder = maxOrder;
    design.deterministic = form.constant ? (form.trend ? 2 : 1) : 0;
    int highest = form.lagsGiven() ? form.nLags : std::max(maxOrder - 1, 0);
    if (form.ordersFixed()) {
        int fixedHighest = 0;
        for (int r = 0; r < std::max(form.nFixedOrders, 1); ++r) {
            fixedHighest = std::max(fixedHighest, form.fixedOrders[r]);
        }
        highest = std::min(highest, fixedHighest);
    }
    design.lagCount = std::clamp(highest, 0, kMaxLagListSize);
    for (int k = 1; k <= design.lagCount; ++k) {
        design.lags[k - 1] = form.lagOf(k);
    }
    design.centre = form.constant ? seriesMean(x, n) : 0.0;
    design.trendCentre = form.trend ? 0.5 * (n + 1.0) : 0.0;
    return design;
}

void RangeDesign::fill(const double* x, int t, double* row) const {
    int column = 0;
    if (deterministic >= 1) {
        row[column++] = 1.0;
    }
    if (deterministic >= 2) {
        row[column++] = (t + 1.0) - trendCentre;
    }
    for (int k = 1; k <= lagCount; ++k) {
        const int at = t - lags[k - 1];
        row[column++] = (at >= 0 ? x[at] : 0.0) - centre;
    }
    row[column] = x[t] - centre;
}

}  // namespace kavri
