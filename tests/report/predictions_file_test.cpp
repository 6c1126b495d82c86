#include "report/predictions_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace kavri {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PredictionsFile : public ::testing::Test {
 protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kavri-predictions-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
    }
    void TearDown() override { fs::remove_all(directory_); }

    fs::path path() const { return directory_ / "Predictions.txt"; }

    fs::path directory_;
};

// Two regimes of order 1 with lag coefficient 0, so each forecast is its regime's constant.
FittedModel twoConstantRegimes(double threshold) {
    FittedModel model(1);
    model.nRegimes = 2;
    model.thresholdValues[0] = threshold;
    model.regimeOrders = {1, 1, 0, 0};
    model.regimeCoefficients[0][0] = 10.0;
    model.regimeCoefficients[1][0] = 20.0;
    return model;
}

TEST(ForecastHoldout, ThresholdVariableEqualToTheThresholdSelectsTheLowerRegime) {
    const std::vector<double> x = {3.0, 0.0, 11.0, 0.25, 22.0};
    const HoldoutForecasts f = forecastHoldout(x.data(), 2, twoConstantRegimes(0.0), 3, 1);
    EXPECT_EQ(f.forecast, (std::vector<double>{10.0, 20.0, 20.0}));
    EXPECT_EQ(f.observed, (std::vector<double>{11.0, 0.25, 22.0}));
    EXPECT_EQ(f.error, (std::vector<double>{1.0, -19.75, 2.0}));
}

TEST(ForecastHoldout, UnsortedThresholdsAreTakenInTheOrderGiven) {
    FittedModel model(1);
    model.nRegimes = 3;
    model.thresholdValues = {2.0, 1.0, 0.0};
    model.regimeOrders = {1, 1, 1, 0};
    for (int r = 0; r < 3; ++r) {
        model.regimeCoefficients[r][0] = 100.0 * (r + 1);
    }
    // Threshold values x[t - 1] of 1.5, 0.5 and 3.0: regimes 1, 1 and 3; regime 2 is
    // unreachable because its threshold is below the first.
    const std::vector<double> x = {9.0, 1.5, 0.5, 3.0, 7.0};
    const HoldoutForecasts f = forecastHoldout(x.data(), 2, model, 3, 1);
    EXPECT_EQ(f.forecast, (std::vector<double>{100.0, 100.0, 300.0}));
}

TEST(ForecastHoldout, OneRegimeIgnoresThresholdsAndUsesExactlyItsOrder) {
    FittedModel model(3);
    model.thresholdValues = {std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0};
    model.regimeOrders[0] = 2;
    model.regimeCoefficients[0][0] = 1.0;
    model.regimeCoefficients[0][1] = 0.5;
    model.regimeCoefficients[0][2] = 0.25;
    model.regimeCoefficients[0][3] = 1.0e6;  // beyond the order: never read
    const std::vector<double> x = {1.0e3, 4.0, 8.0, 2.0, 6.0};
    const HoldoutForecasts f = forecastHoldout(x.data(), 3, model, 2, 1);
    // 1 + 0.5 * 8 + 0.25 * 4 = 6; then from the observed 2.0, not the forecast 6.0:
    // 1 + 0.5 * 2 + 0.25 * 8 = 4.
    EXPECT_EQ(f.forecast, (std::vector<double>{6.0, 4.0}));
    EXPECT_EQ(f.error, (std::vector<double>{-4.0, 2.0}));
    EXPECT_EQ(f.mse, 10.0);
}

TEST(ForecastHoldout, ThresholdVariableComesFromTheSampleThenFromHeldOutValues) {
    // delay 2, origin 3: t = 3, 4 look at x[1], x[2] (in the sample), t = 5 at x[3] (held out).
    const std::vector<double> x = {0.0, -1.0, 1.0, -1.0, 0.0, 0.0};
    const HoldoutForecasts f = forecastHoldout(x.data(), 3, twoConstantRegimes(0.0), 3, 2);
    EXPECT_EQ(f.forecast, (std::vector<double>{10.0, 20.0, 10.0}));
}

TEST(ForecastHoldout, ValueAboveEveryThresholdSelectsTheLastRegime) {
    FittedModel model(1);
    model.nRegimes = 4;
    model.thresholdValues = {-1.0, 0.0, 1.0};
    model.regimeOrders = {1, 1, 1, 1};
    for (int r = 0; r < 4; ++r) {
        model.regimeCoefficients[r][0] = r + 1.0;
    }
    const std::vector<double> x = {5.0, 1.0, 1.0000001, -1.0, 0.5, 0.0};
    const HoldoutForecasts f = forecastHoldout(x.data(), 2, model, 4, 1);
    EXPECT_EQ(f.forecast, (std::vector<double>{3.0, 4.0, 1.0, 3.0}));
}

TEST_F(PredictionsFile, OnePredictionGivesTwoLinesAndTheSquaredError) {
    const std::vector<double> x = {3.0, 0.0, 11.0};
    const Result<double> mse = predictHoldout(x.data(), 2, twoConstantRegimes(0.0), 1, 1, path());
    ASSERT_TRUE(mse.ok());
    EXPECT_EQ(mse.value(), 1.0);
    EXPECT_EQ(readFile(path()), " Series \t Predictions\tError   \n11.00000\t10.00000\t 1.00000\n");
}

TEST_F(PredictionsFile, LinesAreFixedWithFiveDecimalsAndNeverCut) {
    HoldoutForecasts f;
    f.observed = {3.14159265, -1234567.0};
    f.forecast = {-12.5, 0.0};
    f.error = {15.64159265, -1234567.0};
    ASSERT_FALSE(writePredictionsFile(path(), f).has_value());
    EXPECT_EQ(readFile(path()),
              " Series \t Predictions\tError   \n"
              " 3.14159\t-12.50000\t15.64159\n"
              "-1234567.00000\t 0.00000\t-1234567.00000\n");
}

TEST_F(PredictionsFile, MeanSquaredErrorOverAllForecasts) {
    const std::vector<double> x = {3.0, 0.0, 10.5, 0.25, 18.5};
    const Result<double> mse = predictHoldout(x.data(), 2, twoConstantRegimes(0.0), 3, 1, path());
    ASSERT_TRUE(mse.ok());
    // Errors 0.5, -19.75 and -1.5.
    EXPECT_EQ(mse.value(), (0.25 + 390.0625 + 2.25) / 3);
}

TEST_F(PredictionsFile, EachCallReplacesTheWholeFile) {
    {
        std::ofstream earlier(path());
        earlier << "a much longer file left by an earlier run\n\n\n\n\n\n\n\n";
    }
    const std::vector<double> x = {3.0, 0.0, 11.0, 0.25};
    ASSERT_TRUE(predictHoldout(x.data(), 2, twoConstantRegimes(0.0), 2, 1, path()).ok());
    FittedModel other = twoConstantRegimes(0.0);
    other.regimeCoefficients[0][0] = 11.0;
    ASSERT_TRUE(predictHoldout(x.data(), 2, other, 1, 1, path()).ok());
    EXPECT_EQ(readFile(path()), " Series \t Predictions\tError   \n11.00000\t11.00000\t 0.00000\n");
}

TEST_F(PredictionsFile, MissingDirectoryIsReportedAsTheOpenNotice) {
    const std::vector<double> x = {3.0, 0.0, 11.0};
    const Result<double> mse = predictHoldout(x.data(), 2, twoConstantRegimes(0.0), 1, 1,
                                              directory_ / "missing" / "Predictions.txt");
    ASSERT_FALSE(mse.ok());
    EXPECT_EQ(
        mse.notice(),
        errorNotice("Kavri Directory do not exist or Predictions.txt File could not be opened\n"));
    EXPECT_EQ(mse.notice().caption, "Error");
    EXPECT_EQ(mse.notice().icon, NoticeIcon::kStop);
}

TEST_F(PredictionsFile, FailedWriteIsReportedNotIgnored) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    const std::vector<double> x = {3.0, 0.0, 11.0};
    const Result<double> mse =
        predictHoldout(x.data(), 2, twoConstantRegimes(0.0), 1, 1, "/dev/full");
    ASSERT_FALSE(mse.ok());
    EXPECT_EQ(mse.notice(), errorNotice("Predictions.txt could not be written completely\n"));
}

}  // namespace
}  // namespace kavri
