#include "data/dates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavri {
namespace {

using Dates = std::vector<std::string>;

TEST(Dates, FormsUsersWriteAreDates) {
    for (const char* text :
         {"1821", "2020-01", "2020/12", "1990Q1", "1990 Q4", "1990-Q2", "2020-01-31", "2020/02/29",
          "31.01.2020", "01/31/2020", "2020-01-31 10:15", "2020-01-31T10:15:00"}) {
        EXPECT_TRUE(isDate(text)) << text;
    }
    for (const char* text : {"", "182", "18210", "2020-13", "2021-02-29", "32.01.2020", "d1",
                             "Jan 1990", "1990Q5", "1,5"}) {
        EXPECT_FALSE(isDate(text)) << text;
    }
    EXPECT_TRUE(allDates({"1821", "1822"}));
    EXPECT_FALSE(allDates({"1821", "x"}));
    EXPECT_FALSE(allDates({}));
}

TEST(Dates, EvenlySpacedDatesContinueInTheirForm) {
    EXPECT_EQ(nextDates({"1932", "1933", "1934"}, 2), (Dates{"1935", "1936"}));
    EXPECT_EQ(nextDates({"1990", "1995"}, 1), (Dates{"2000"}));
    EXPECT_EQ(nextDates({"2020-11", "2020-12"}, 2), (Dates{"2021-01", "2021-02"}));
    EXPECT_EQ(nextDates({"1990Q3", "1990Q4"}, 2), (Dates{"1991Q1", "1991Q2"}));
    EXPECT_EQ(nextDates({"1990 Q3", "1990 Q4"}, 1), (Dates{"1991 Q1"}));
    EXPECT_EQ(nextDates({"2020-02-27", "2020-02-28"}, 2), (Dates{"2020-02-29", "2020-03-01"}));
    EXPECT_EQ(nextDates({"2019-12-24", "2019-12-31"}, 1), (Dates{"2020-01-07"}));  // weekly
    EXPECT_EQ(nextDates({"30.12.2020", "31.12.2020"}, 1), (Dates{"01.01.2021"}));
    // Month ends and the same day of each month step by months, not by days.
    EXPECT_EQ(nextDates({"2020-01-31", "2020-02-29", "2020-03-31"}, 2),
              (Dates{"2020-04-30", "2020-05-31"}));
    EXPECT_EQ(nextDates({"2020-01-15", "2020-02-15"}, 1), (Dates{"2020-03-15"}));
}

TEST(Dates, UnevenOrMixedDatesGiveNone) {
    EXPECT_TRUE(nextDates({"2020-01-03", "2020-01-06", "2020-01-07"}, 1).empty());  // trading
    EXPECT_TRUE(nextDates({"1821", "2020-01"}, 1).empty());
    EXPECT_TRUE(nextDates({"1821"}, 1).empty());
    EXPECT_TRUE(nextDates({"1822", "1821"}, 1).empty());
    EXPECT_TRUE(nextDates({"01/30/2020", "01/31/2020"}, 1).empty());  // order unknown
}

}  // namespace
}  // namespace kavri
