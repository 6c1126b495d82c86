#include "data/delimited_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavri {
namespace {

using Fields = std::vector<std::string>;

TEST(DelimitedFormat, SeparatorIsTakenFromTheFirstLineOutsideQuotes) {
    EXPECT_EQ(separatorOf("date;value"), Separator::kSemicolon);
    EXPECT_EQ(separatorOf("1821;2,43"), Separator::kSemicolon);  // a semicolon wins over commas
    EXPECT_EQ(separatorOf("date,value"), Separator::kComma);
    EXPECT_EQ(separatorOf("date\tvalue"), Separator::kTab);
    EXPECT_EQ(separatorOf("\"a;b\",c"), Separator::kComma);
    EXPECT_EQ(separatorOf("1.5 2.5"), Separator::kNone);
    EXPECT_EQ(firstContentLine("\n  \r\n1,2\r\n3,4"), "1,2");
}

TEST(DelimitedFormat, QuotedFieldsHoldSeparatorsQuotesAndLineEnds) {
    const std::vector<TableRecord> records = tableRecords(
        "\"date\",\"value, in %\"\n\"1990-01\",\"2,5\"\n\"say \"\"hi\"\"\",\"a\nb\"\n"
        "last,1\n",
        Separator::kComma);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].fields, (Fields{"date", "value, in %"}));
    EXPECT_EQ(records[1].fields, (Fields{"1990-01", "2,5"}));
    EXPECT_EQ(records[2].fields, (Fields{"say \"hi\"", "a\nb"}));
    // The line of a record is where it starts; a quoted line end moves the next one down.
    EXPECT_EQ(records[2].line, 3);
    EXPECT_EQ(records[3].line, 5);
}

TEST(DelimitedFormat, CrlfLineEndsBlankLinesAndPaddingLeaveNoTrace) {
    const std::vector<TableRecord> records =
        tableRecords("a ; b\r\n\r\n 1 ; 2 \r\n3;\r\n", Separator::kSemicolon);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].fields, (Fields{"a", "b"}));
    EXPECT_EQ(records[1].fields, (Fields{"1", "2"}));
    EXPECT_EQ(records[1].line, 3);
    EXPECT_EQ(records[2].fields, (Fields{"3", ""}));  // an empty last field is kept
}

TEST(DelimitedFormat, TabsSeparateEvenEmptyFields) {
    const std::vector<TableRecord> records = tableRecords("a\t\tc\n", Separator::kTab);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].fields, (Fields{"a", "", "c"}));
}

TEST(DelimitedFormat, BlankSeparatedColumnsSplitAtRunsOfBlanks) {
    const std::vector<TableRecord> records =
        tableRecords("year   value\r\n\n1821\t2.4\n", Separator::kBlanks);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].fields, (Fields{"year", "value"}));
    EXPECT_EQ(records[1].fields, (Fields{"1821", "2.4"}));
    EXPECT_EQ(records[1].line, 3);
}

}  // namespace
}  // namespace kavri
