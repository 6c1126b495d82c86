#include "estimation/range_design.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/run_settings.h"

namespace kavri {
namespace {

// The default form's columns are the constant and every lag below the maximum order, centred
// on the series mean, at every maximum order the settings allow: one column fewer changes the
// orders the search can choose.
TEST(RangeDesign, TheDefaultFormHasEveryLagBelowTheMaximumOrder) {
    const std::vector<double> x = {1.0, 2.0, 4.0, 8.0, 16.0, 32.0};
    for (int maxOrder = limits::kMaxOrder.min; maxOrder <= limits::kMaxOrder.max; ++maxOrder) {
        const RangeDesign design = RangeDesign::of(ModelForm{}, maxOrder, x.data(), 6);
        const RangeDesign contiguous = RangeDesign::contiguous(maxOrder, 10.5);
        EXPECT_EQ(design.lagCount, maxOrder - 1) << maxOrder;
        EXPECT_EQ(design.deterministic, 1);
        EXPECT_EQ(design.lags, contiguous.lags);
        EXPECT_EQ(design.centre, 10.5);
        EXPECT_EQ(design.columns(), maxOrder + 1);
    }
}

// A form's columns: the lags in list order up to the highest order it tries, the deterministic
// terms first, the values shifted only with a constant, the trend's t + 1 centred.
TEST(RangeDesign, FormsChooseTheirColumnsAndRows) {
    const std::vector<double> x = {1.0, 2.0, 4.0, 8.0, 16.0, 32.0, 64.0};
    ModelForm form;
    form.nLags = 3;
    form.lags = {1, 3, 5};
    form.nFixedOrders = 2;
    form.fixedOrders = {2, 1};
    form.constant = false;
    const RangeDesign none = RangeDesign::of(form, 6, x.data(), 7);
    EXPECT_EQ(none.deterministic, 0);
    EXPECT_EQ(none.lagCount, 2);  // the highest fixed order: lags 1 and 3
    std::vector<double> row(static_cast<std::size_t>(none.columns()));
    none.fill(x.data(), 6, row.data());
    EXPECT_EQ(row, (std::vector<double>{32.0, 8.0, 64.0}));
    EXPECT_EQ(none.coefficients(2), 2);

    ModelForm trend;
    trend.trend = true;
    const RangeDesign withTrend = RangeDesign::of(trend, 3, x.data(), 7);
    EXPECT_EQ(withTrend.deterministic, 2);
    row.assign(static_cast<std::size_t>(withTrend.columns()), 0.0);
    withTrend.fill(x.data(), 5, row.data());
    const double mean = 127.0 / 7.0;
    // t = 5 is observation 6 of the sample; the sample's middle number is 4.
    EXPECT_EQ(row, (std::vector<double>{1.0, 2.0, 16.0 - mean, 8.0 - mean, 32.0 - mean}));
    EXPECT_EQ(withTrend.coefficients(2), 4);
}

}  // namespace
}  // namespace kavri
