// Files made the way users get them (spreadsheet exports in English and German conventions,
// R's write.table and write.csv, notes above the header), in tests/data/files: each is read
// to the series it holds or refused at the line that is wrong, never read to other numbers.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data/series_input.h"
#include "support/notice_printing.h"
#include "support/series_fixtures.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

using Values = std::vector<double>;
using Labels = std::vector<std::string>;

// The first lynx trappings, 1821 to 1830, as the files hold them.
const Values kCounts{269, 321, 585, 871, 1475, 2821, 3928, 5943, 4950, 2577};
const Labels kYears{"1821", "1822", "1823", "1824", "1825", "1826", "1827", "1828", "1829", "1830"};

std::string fileOf(const std::string& name) {
    return std::string(KAVRI_TEST_DATA_DIR) + "/files/" + name;
}

Result<SeriesSample> readFile(const std::string& name, int n, SeriesChoice choice = {}) {
    return readSeriesSample({fileOf(name), choice, n, 0});
}

SeriesChoice column(const std::string& name) {
    SeriesChoice choice;
    choice.column = name;
    return choice;
}

TEST(SpreadsheetExports, GermanExcelReadsThousandsPointsAndDecimalCommas) {
    Result<SeriesSample> counts = readFile("german_excel.csv", 10, column("Luchse"));
    ASSERT_TRUE(counts.ok()) << counts.notice().detail;
    EXPECT_EQ(counts.value().values, kCounts);  // "1.475" is 1475, not 1.475
    EXPECT_EQ(counts.value().labels, kYears);
    Result<SeriesSample> logs = readFile("german_excel.csv", 10);  // the last column
    ASSERT_TRUE(logs.ok()) << logs.notice().detail;
    EXPECT_EQ(logs.value().columnName, "column 3 \"log10\"");
    EXPECT_DOUBLE_EQ(logs.value().values[0], 2.42975228);
    EXPECT_NEAR(logs.value().values[4], std::log10(1475.0), 1e-9);
}

TEST(SpreadsheetExports, TrailingEmptySpreadsheetRowsAreNoValues) {
    // The export ends with ";;" rows: --last takes the 40 values above them.
    SeriesChoice last = column("Luchse");
    last.last = true;
    Result<SeriesSample> sample = readFile("german_excel.csv", 40, last);
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().fileValues, 40);
    EXPECT_EQ(sample.value().values.back(), 299);
    EXPECT_EQ(sample.value().labels.back(), "1860");
}

TEST(SpreadsheetExports, ThousandsPointsThatNothingSettlesAreRefusedAtTheirLine) {
    // Counts alone: "1.475" may be 1475 or 1.475, and no decimal comma in the file says which.
    const std::string path = fileOf("german_counts_only.csv");
    EXPECT_EQ(readFile("german_counts_only.csv", 10).notice(),
              Notice("Element 5 could not be read", "Error", NoticeIcon::kStop,
                     path + " line 6, column 2 \"Luchse\": \"1.475\" may be 1475 or 1.475: a "
                            "semicolon-separated file usually writes decimal commas and thousands "
                            "points, but no number of this file shows which it uses (save the "
                            "column without thousands separators, or with at least one decimal "
                            "place)"));
}

TEST(SpreadsheetExports, RRowNamesAreTakenAsRWritesThem) {
    // write.table: a quoted header of two names over rows of a row name and two values.
    for (const char* name : {"r_write_table.txt", "r_row_names.csv", "r_write_csv.csv"}) {
        Result<SeriesSample> sample = readFile(name, 10);
        ASSERT_TRUE(sample.ok()) << name << ": " << sample.notice().detail;
        EXPECT_EQ(sample.value().values, kCounts) << name;
        EXPECT_EQ(sample.value().labels, kYears) << name;  // the years, not R's row numbers
        Result<SeriesSample> named = readFile(name, 10, column("lynx"));
        ASSERT_TRUE(named.ok()) << name;
        EXPECT_EQ(named.value().values, kCounts) << name;
    }
    // Columns are counted after the row names, as R counts them.
    EXPECT_EQ(readFile("r_write_table.txt", 10, column("2")).value().values, kCounts);
    EXPECT_EQ(readFile("r_write_table.txt", 1, column("1")).value().values, Values{1821});
}

TEST(SpreadsheetExports, UsThousandsCommasAreRead) {
    Result<SeriesSample> sample = readFile("us_excel_thousands.csv", 10);
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, kCounts);
    EXPECT_EQ(sample.value().columnName, "column 2 \"Lynx\"");
}

TEST(SpreadsheetExports, TitlesAndNotesAboveTheTable) {
    // The title holds a comma: two fields, like the table; it is refused at its own line
    // with the option that passes over it.
    const std::string path = fileOf("title_above.csv");
    const Notice title = readFile("title_above.csv", 10).notice();
    EXPECT_EQ(title.text, "Element 1 could not be read");
    EXPECT_EQ(title.detail, path +
                                " line 1, column 2: \"Mackenzie River district\" is not a number "
                                "(a title above the table? --skip-lines 1 passes over it)");
    SeriesChoice skipped;
    skipped.skipLines = 1;
    Result<SeriesSample> sample = readFile("title_above.csv", 10, skipped);
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, kCounts);
    EXPECT_EQ(sample.value().columnName, "column 2 \"lynx\"");
    // '#' lines are comments wherever they stand; lines keep their numbers in the file.
    Result<SeriesSample> commented = readFile("commented.csv", 40);
    ASSERT_TRUE(commented.ok()) << commented.notice().detail;
    EXPECT_EQ(commented.value().values[9], 2577);
    EXPECT_EQ(commented.value().values[19], 409);  // the values either side of the comment
    EXPECT_EQ(commented.value().values[20], 151);
    EXPECT_EQ(commented.value().fileValues, 40);
}

TEST(SpreadsheetExports, MissingLatestValueNamesTheSampleThatEndsBeforeIt) {
    SeriesChoice last;
    last.last = true;
    const std::string path = fileOf("missing_latest.csv");
    EXPECT_EQ(readFile("missing_latest.csv", 30, last).notice().detail,
              path +
                  " line 41, column 2 \"Luchse\": \"\" is a missing value; a series with a gap "
                  "cannot be fitted (fill it, or fit a sample that ends before it: --skip 9 "
                  "instead of --last)");
    SeriesChoice skip;
    skip.skip = 9;
    Result<SeriesSample> before = readFile("missing_latest.csv", 30, skip);
    ASSERT_TRUE(before.ok()) << before.notice().detail;
    EXPECT_EQ(before.value().labels.back(), "1859");
}

TEST(SpreadsheetExports, PercentagesAreRefusedAndSpreadsheetErrorsAreMissingValues) {
    EXPECT_EQ(readFile("german_percent.csv", 3).notice().detail,
              fileOf("german_percent.csv") +
                  " line 2, column 2 \"Arbeitslosenquote\": \"5,3 %\" is a percentage, which "
                  "could stand for 5,3 or its hundredth (save the column as plain numbers, "
                  "without the percent format)");
    const Notice error = readFile("excel_errors.csv", 4).notice();
    EXPECT_EQ(error.text, "Element 2 could not be read");
    EXPECT_NE(error.detail.find("line 3, column 2 \"Ratio\": \"#DIV/0!\" is a missing value"),
              std::string::npos)
        << error.detail;
    SeriesChoice skip;
    skip.skip = 3;
    EXPECT_EQ(readFile("excel_errors.csv", 1, skip).value().values, Values{0.75});  // "+0.75"
}

// The bundled examples read to the values an independent stream reader gives: the passes
// over the file, comments and number formats change nothing for them.
TEST(SpreadsheetExports, EveryBundledExampleReadsToTheSameValues) {
    for (const char* name : {"ExchangeRate.txt", "lynx_log10.txt", "sunspot_year.txt",
                             "mark_pound_daily_returns.txt", "setar_simulated.txt"}) {
        const std::string path = std::string(KAVRI_EXAMPLES_DIR) + "/" + name;
        const std::vector<double> expected = testing::readValues(path);
        SeriesChoice last;
        last.last = true;
        const Result<SeriesSample> sample =
            readSeriesSample({path, last, static_cast<int>(expected.size()), 0});
        ASSERT_TRUE(sample.ok()) << name << ": " << sample.notice().detail;
        EXPECT_EQ(sample.value().values, expected) << name;
    }
    const std::string table = std::string(KAVRI_EXAMPLES_DIR) + "/lynx.csv";
    const Result<SeriesSample> logs = readSeriesSample({table, {}, 114, 0});
    ASSERT_TRUE(logs.ok());
    EXPECT_EQ(logs.value().values,
              testing::readValues(std::string(KAVRI_EXAMPLES_DIR) + "/lynx_log10.txt"));
    EXPECT_EQ(logs.value().labels.front(), "1821");
    EXPECT_EQ(logs.value().labels.back(), "1934");
}

}  // namespace
}  // namespace kavri
