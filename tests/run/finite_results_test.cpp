#include "run/finite_results.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "support/series_fixtures.h"

namespace kavri {
namespace {

std::vector<double> scaledReturns(double factor) {
    std::vector<double> x = testing::exchangeRateReturns();
    for (double& v : x) v *= factor;
    return x;
}

MaybeNotice checkSeries(const std::vector<double>& x) {
    return FiniteResults(x.data(), static_cast<int>(x.size())).checkSeries();
}

TEST(FiniteResults, SeriesWhoseSquaresOverflowNamesItsLargestElement) {
    std::vector<double> x = testing::exchangeRateReturns();
    x[5] = 3e160;
    x[9] = -2e200;
    const MaybeNotice notice = checkSeries(x);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(*notice,
              (Notice{"The values of the series are too large to be estimated", "Error",
                      NoticeIcon::kStop,
                      "Element 10 (-2e+200) is too large: the sums of squares and cross products "
                      "of the estimation would exceed the largest double (about 1.8e+308). Divide "
                      "the series by a power of ten so that its values stay below about "
                      "1e+150."}));
    // 1e150 in every place still leaves the sums of 518 squares finite.
    EXPECT_FALSE(checkSeries(scaledReturns(1e150)).has_value());
}

TEST(FiniteResults, SeriesWhoseSquaredDeviationsUnderflowIsTooSmall) {
    EXPECT_FALSE(checkSeries(scaledReturns(1e-150)).has_value());
    const MaybeNotice notice = checkSeries(scaledReturns(1e-160));
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->text, "The values of the series are too small to be estimated");
    EXPECT_NE(notice->detail.find("smallest normal double"), std::string::npos);
    // Equal values have no spread to lose, whatever their size.
    EXPECT_FALSE(checkSeries(std::vector<double>(60, 1e-200)).has_value());
    // A tiny spread about a large level is lost to the level's rounding, not to underflow.
    EXPECT_FALSE(checkSeries(std::vector<double>{1.0, 1.0 + 1e-15, 1.0}).has_value());
}

TEST(FiniteResults, ValueThatIsNotFiniteIsNamed) {
    std::vector<double> x = {1.0, 2.0, -std::numeric_limits<double>::infinity(), 4.0};
    const MaybeNotice notice = checkSeries(x);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->text, "The estimation gave a result that is not a finite number");
    EXPECT_EQ(notice->detail, "Element 3 of the series is minus infinite.");
}

TEST(FiniteResults, FirstNonFiniteNumberOfAReportIsNamed) {
    const std::vector<double> x = testing::exchangeRateReturns();
    const FiniteResults finite(x.data(), 500);
    ReportedModel model;
    model.thresholds = {0.1};
    model.regimes.resize(2);
    model.regimes[0].coefficients = {0.1, 0.2};
    model.regimes[1].coefficients = {0.3, 0.4, 0.5};
    EXPECT_FALSE(finite.check(model).has_value());

    model.regimes[1].coefficients[2] = std::numeric_limits<double>::infinity();
    model.forecastMse = std::nan("");
    const MaybeNotice notice = finite.check(model);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->detail,
              "The lag 2 coefficient of regime 2 is infinite: it exceeds the largest double "
              "(about 1.8e+308); rescale the series by a power of ten.");

    model.regimes[1].coefficients[2] = 0.5;
    EXPECT_EQ(finite.check(model)->detail,
              "The forecast MSE is not a number: the arithmetic lost every digit, as in a "
              "regression whose columns are collinear to rounding.");
}

// exp(-NAIC) overflows once NAIC falls below about -709.8: a series scaled down by 10^154
// has its NAIC about 709 lower.
TEST(FiniteResults, FitnessBeyondTheLargestDoubleExplainsTheScale) {
    const std::vector<double> x = testing::exchangeRateReturns();
    const FiniteResults finite(x.data(), 500);
    EXPECT_FALSE(finite.checkFitness(std::exp(700.0), -700.0, 1.0).has_value());
    const MaybeNotice notice = finite.checkFitness(std::exp(720.5), -720.5, 1.0);
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->detail,
              "The fitness exp(-NAIC / 1) is infinite at NAIC = -720.5: the NAIC falls by about "
              "4.6 for every power of ten by which the series is scaled down. Multiply the "
              "series by a power of ten, or raise the adjusting constant.");
}

}  // namespace
}  // namespace kavri
