#include "run/typed_thresholds.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/notice_printing.h"

namespace kavri {
namespace {

// Fitted values in ascending order, as the ranking leaves them; 0.075415819 is a weekly return
// of the bundled example, shown as 0.075416 by the Threshold result.
const std::vector<double> kSorted{-0.2301702,  -0.0754, 0.0751, 0.075415819,
                                  0.075415819, 0.0799,  0.5,    1.2500001};

Result<ResolvedThresholds> resolve(std::vector<double> typed) {
    std::array<double, 3> values{};
    for (std::size_t i = 0; i < typed.size(); ++i) values[i] = typed[i];
    return resolveTypedThresholds(kSorted.data(), static_cast<int>(kSorted.size()),
                                  static_cast<int>(typed.size()), values);
}

TEST(TypedThresholds, SeriesValuesAreTakenAsTheyStandWithoutRemark) {
    Result<ResolvedThresholds> resolved = resolve({-0.2301702, 0.5});
    ASSERT_TRUE(resolved.ok());
    EXPECT_EQ(resolved.value().values[0], -0.2301702);
    EXPECT_EQ(resolved.value().values[1], 0.5);
    EXPECT_TRUE(resolved.value().remarks.empty());
}

TEST(TypedThresholds, ValueTypedAsShownIsTakenAsTheOnlyValueThatShowsSo) {
    // The value twice in time is one value; 1.25 stands for 1.2500001 at two decimals.
    Result<ResolvedThresholds> resolved = resolve({0.075416, 1.25});
    ASSERT_TRUE(resolved.ok());
    EXPECT_EQ(resolved.value().values[0], 0.075415819);
    EXPECT_EQ(resolved.value().values[1], 1.2500001);
    EXPECT_EQ(resolved.value().remarks,
              (std::vector<std::string>{
                  "Threshold 1 (0.075416) is taken as the series value 0.075415819, the only "
                  "fitted value that shows as 0.075416 at 6 decimals",
                  "Threshold 2 (1.25) is taken as the series value 1.2500001, the only fitted "
                  "value that shows as 1.25 at 2 decimals"}));
}

TEST(TypedThresholds, NoMatchNamesTheNearestValues) {
    Result<ResolvedThresholds> resolved = resolve({0.3});
    ASSERT_FALSE(resolved.ok());
    EXPECT_EQ(resolved.notice(),
              Notice("Element of series do not exist", "Error", NoticeIcon::kStop,
                     "Threshold 0.3 is not a fitted value of the series; the nearest are 0.0799 "
                     "and 0.5 (type one of them, or a value as the Threshold result shows it)"));
    EXPECT_EQ(resolve({2.0}).notice().detail,
              "Threshold 2 is not a fitted value of the series; the nearest are 1.2500001 (type "
              "one of them, or a value as the Threshold result shows it)");
}

TEST(TypedThresholds, SeveralMatchesAskForMoreDecimals) {
    // 0.0751, 0.075415819 and 0.0799 all show as 0.08 at two decimals.
    EXPECT_EQ(resolve({0.08}).notice().detail,
              "Threshold 0.08 matches 3 different fitted values at 2 decimals; type more "
              "decimals");
    // A later threshold that fails ends the run even when an earlier one was resolved.
    EXPECT_FALSE(resolve({0.075416, 0.08}).ok());
}

TEST(TypedThresholds, ShortestTextReadsBackExactly) {
    EXPECT_EQ(shortestText(0.1), "0.1");
    EXPECT_EQ(shortestText(3.116275587580544), "3.116275587580544");
    EXPECT_EQ(shortestText(-0.2301702), "-0.2301702");
}

}  // namespace
}  // namespace kavri
