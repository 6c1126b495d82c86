#include "data/sample_choice.h"

#include <gtest/gtest.h>

namespace kavri {
namespace {

const SampleSource kFile{"lynx.csv", 114, "column 3 \"log10\"", true};

TEST(SampleChoice, StartsAtTheFileStartAfterTheSkippedOrAtTheLastValues) {
    EXPECT_EQ(sampleStart(kFile, SeriesChoice{}, 100, 14).value(), 0);
    EXPECT_EQ(sampleStart(kFile, SeriesChoice{"", 4, false}, 100, 10).value(), 4);
    EXPECT_EQ(sampleStart(kFile, SeriesChoice{"", 0, true}, 100, 10).value(), 4);
    EXPECT_EQ(sampleStart(kFile, SeriesChoice{"", 0, true}, 100, 14).value(), 0);
}

TEST(SampleChoice, TooFewValuesSayHowManyThereAreAndWhatToLower) {
    Result<int> tooLong = sampleStart(kFile, SeriesChoice{"", 0, true}, 100, 15);
    ASSERT_FALSE(tooLong.ok());
    EXPECT_EQ(tooLong.notice(),
              Notice("Element of time series less of 115", "Error", NoticeIcon::kStop,
                     "File lynx.csv has 114 values in column 3 \"log10\"; 100 fitted + 15 held "
                     "out are needed (lower --n-observations or --n-predictions)"));
    Result<int> skipped = sampleStart(kFile, SeriesChoice{"", 5, false}, 100, 10);
    ASSERT_FALSE(skipped.ok());
    EXPECT_EQ(skipped.notice().detail,
              "File lynx.csv has 114 values in column 3 \"log10\"; after the 5 skipped, 100 "
              "fitted + 10 held out are needed (lower --skip, --n-observations or "
              "--n-predictions)");
    const SampleSource plain{"ExchangeRate.txt", 40, "", false};
    EXPECT_EQ(sampleStart(plain, SeriesChoice{}, 450, 50).notice().detail,
              "File ExchangeRate.txt has 40 values; 450 fitted + 50 held out are needed (lower "
              "--n-observations or --n-predictions)");
}

}  // namespace
}  // namespace kavri
