#include "report/predictions_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace kavri {
namespace {

using testing::MemoryFileSystem;

// Order-1 regimes whose lag coefficient is 0, so each forecast names its regime: 10, 20, 30.
FittedModel constantRegimes(std::vector<double> thresholds) {
    FittedModel model(1);
    model.nRegimes = static_cast<int>(thresholds.size()) + 1;
    for (int r = 0; r < model.nRegimes; ++r) {
        if (r + 1 < model.nRegimes) model.thresholdValues[r] = thresholds[r];
        model.regimeOrders[r] = 1;
        model.regimeCoefficients[r][0] = 10.0 * (r + 1);
    }
    return model;
}

TEST(ForecastHoldout, EqualityGoesToTheLowerRegimeAndThresholdsAreTakenAsGiven) {
    const std::vector<double> x = {3.0, 0.0, 11.0, 0.25, 22.0};
    EXPECT_EQ(forecastHoldout(x.data(), 2, constantRegimes({0.0}), 3, 1).forecast,
              (std::vector<double>{10.0, 20.0, 20.0}));

    // Thresholds 2 then 1: z = 1.5 and 0.5 give regime 1, 3.0 regime 3; regime 2 is unreachable.
    const std::vector<double> z = {9.0, 1.5, 0.5, 3.0, 7.0};
    EXPECT_EQ(forecastHoldout(z.data(), 2, constantRegimes({2.0, 1.0}), 3, 1).forecast,
              (std::vector<double>{10.0, 10.0, 30.0}));
}

TEST(ForecastHoldout, OneStepFromTheObservedPastWithExactlyTheRegimeOrder) {
    FittedModel model(3);
    model.regimeOrders[0] = 2;
    model.regimeCoefficients[0][0] = 1.0;
    model.regimeCoefficients[0][1] = 0.5;
    model.regimeCoefficients[0][2] = 0.25;
    model.regimeCoefficients[0][3] = 1.0e6;  // beyond the order
    const std::vector<double> x = {1.0e3, 4.0, 8.0, 2.0, 6.0};
    const HoldoutForecasts f = forecastHoldout(x.data(), 3, model, 2, 1);
    // 1 + 0.5 * 8 + 0.25 * 4 = 6, then from the observed 2 (not the forecast 6): 1 + 1 + 2 = 4.
    EXPECT_EQ(f.forecast, (std::vector<double>{6.0, 4.0}));
    EXPECT_EQ(f.mse, (16.0 + 4.0) / 2);
}

TEST(PredictionsFile, OneForecastReplacesTheFileWithTwoLines) {
    MemoryFileSystem files;
    files.put("Predictions.txt", "a longer file left by an earlier run\n\n\n\n");
    const std::vector<double> x = {3.0, -0.5, 12.5};
    const Result<double> mse =
        predictHoldout(x.data(), 2, constantRegimes({0.0}), 1, 1, "Predictions.txt", files);
    ASSERT_TRUE(mse.ok());
    EXPECT_EQ(mse.value(), 6.25);
    EXPECT_EQ(files.read("Predictions.txt"),
              " Series \t Predictions\tError   \n12.50000\t10.00000\t 2.50000\n");
}

TEST(PredictionsFile, FailuresAreNoticesWithTheReasonAndLeaveTheOldFile) {
    const std::vector<double> x = {3.0, 0.0, 11.0};
    MemoryFileSystem files;
    files.put("out/Predictions.txt", "old\n");
    files.fail(MemoryFileSystem::Operation::kCreate, "out/Predictions.txt",
               std::errc::permission_denied);
    const Result<double> refused =
        predictHoldout(x.data(), 2, constantRegimes({0.0}), 1, 1, "out/Predictions.txt", files);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.notice(),
              (Notice{"Kavri Directory do not exist or Predictions.txt File could not be opened\n",
                      "Error", NoticeIcon::kStop,
                      "out/Predictions.txt cannot be created: Permission denied. Run where the "
                      "result files can be written (an existing directory you may write to)."}));

    MemoryFileSystem full;
    full.put("Predictions.txt", "old\n");
    full.fail(MemoryFileSystem::Operation::kWrite, "Predictions.txt", std::errc::no_space_on_device,
              /*skip=*/1);
    const Result<double> truncated =
        predictHoldout(x.data(), 2, constantRegimes({0.0}), 1, 1, "Predictions.txt", full);
    ASSERT_FALSE(truncated.ok());
    EXPECT_EQ(truncated.notice().text, "Predictions.txt could not be written completely\n");
    EXPECT_EQ(truncated.notice().detail,
              "Predictions.txt could not be replaced: No space left on device. The earlier file "
              "was left as it was.");
    EXPECT_EQ(full.read("Predictions.txt"), "old\n");
    EXPECT_EQ(full.log().back(), "discard Predictions.txt");
}

}  // namespace
}  // namespace kavri
