#include "forecast/holdout_check.h"

#include <gtest/gtest.h>

#include <cmath>

#include "forecast/forecast_test_support.h"

namespace kavri {
namespace {

// x[t] = 1 + 0.5 x[t-1] in one regime; 4 values fitted, 3 held out.
ReportedModel oneRegimeModel() {
    ReportedModel model =
        testing::handMadeModel({}, {{{1.0, 0.5}, 0.25}}, 1, {2.0, 2.0, 2.0, 4.0, 3.5, 1.0, 2.0});
    model.regimeOfObservation = {-1, 0, 0, 0};
    model.residuals = {0.0, 0.0, 0.0, 1.0};
    return model;
}

TEST(HoldoutCheck, ErrorsOfTheForecastsFromTheLastFittedValueAndTheirRunningRmse) {
    const ReportedModel model = oneRegimeModel();
    ForecastSettings settings{.method = ForecastMethod::kSkeleton, .horizon = 99};
    const std::optional<HoldoutCheck> check = checkOnHoldout(model, settings);
    ASSERT_TRUE(check.has_value());
    // From x[3] = 4: 3, 2.5, 2.25, whatever the held-out values were.
    EXPECT_EQ(check->forecasts.origin, 4);
    EXPECT_EQ(check->forecasts.point, (std::vector<double>{3.0, 2.5, 2.25}));
    EXPECT_EQ(check->observed, (std::vector<double>{3.5, 1.0, 2.0}));
    EXPECT_EQ(check->error, (std::vector<double>{0.5, -1.5, -0.25}));
    EXPECT_EQ(check->rmse[0], 0.5);
    EXPECT_EQ(check->rmse[1], std::sqrt((0.25 + 2.25) / 2));
    EXPECT_EQ(check->rmse[2], std::sqrt((0.25 + 2.25 + 0.0625) / 3));
    EXPECT_EQ(check->mae[2], (0.5 + 1.5 + 0.25) / 3);
    EXPECT_DOUBLE_EQ(check->mape[2], 100.0 * (0.5 / 3.5 + 1.5 / 1.0 + 0.25 / 2.0) / 3.0);
}

TEST(HoldoutCheck, NoneWithoutHeldOutValues) {
    ReportedModel model = oneRegimeModel();
    model.series.resize(4);
    EXPECT_FALSE(checkOnHoldout(model, ForecastSettings{}).has_value());
}

}  // namespace
}  // namespace kavri
