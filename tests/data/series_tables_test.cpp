// Reading the series from tables and choosing the sample, through readSeriesSample as a run
// does it, with the notices checked word for word.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/series_input.h"
#include "support/notice_printing.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

using testing::TempDirectory;
using Values = std::vector<double>;
using Labels = std::vector<std::string>;

class SeriesTables : public ::testing::Test {
 protected:
    // Reads `n` fitted and `p` held-out values of `text`, saved as `name`.
    Result<SeriesSample> read(const std::string& text, int n, int p, SeriesChoice choice = {}) {
        dir_.write("s.csv", text);
        return readSeriesSample({path_, choice, n, p});
    }
    Notice noticeOf(const std::string& text, int n, int p, SeriesChoice choice = {}) {
        Result<SeriesSample> sample = read(text, n, p, choice);
        EXPECT_FALSE(sample.ok());
        return sample.ok() ? Notice() : sample.notice();
    }
    SeriesChoice column(const std::string& name) { return SeriesChoice{name, 0, false}; }

    TempDirectory dir_;
    const std::string path_ = (dir_.path() / "s.csv").string();
};

const char* const kDated = "date,value\n2020-01,1.5\n2020-02,-2\n2020-03,3.25\n";

TEST_F(SeriesTables, CsvWithHeaderAndDatesGivesValuesAndLabels) {
    Result<SeriesSample> sample = read(kDated, 2, 1);
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, (Values{1.5, -2.0, 3.25}));
    EXPECT_EQ(sample.value().labels, (Labels{"2020-01", "2020-02", "2020-03"}));
    EXPECT_EQ(sample.value().columnName, "column 2 \"value\"");
    EXPECT_EQ(sample.value().fileValues, 3);
}

TEST_F(SeriesTables, CsvWithoutHeaderTakesTheLastNumericColumn) {
    // A year column is numeric too; the values are the last numeric column, the text after
    // them is not.
    Result<SeriesSample> sample = read("1821,269,x\n1822,321,y\n", 2, 0);
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, (Values{269, 321}));
    EXPECT_EQ(sample.value().labels, (Labels{"1821", "1822"}));
    EXPECT_EQ(sample.value().columnName, "column 2");
}

TEST_F(SeriesTables, ColumnIsChosenByNameWhateverTheCaseOrByNumber) {
    const std::string text = "year,trappings,log\n1821,269,2.43\n1822,321,2.51\n";
    EXPECT_EQ(read(text, 2, 0, column("trappings")).value().values, (Values{269, 321}));
    EXPECT_EQ(read(text, 2, 0, column("LOG")).value().values, (Values{2.43, 2.51}));
    EXPECT_EQ(read(text, 2, 0, column("1")).value().values, (Values{1821, 1822}));
    EXPECT_TRUE(read(text, 2, 0, column("1")).value().labels.empty());  // the labels are read
}

TEST_F(SeriesTables, QuotedFieldsAndCrlfLineEnds) {
    Result<SeriesSample> sample =
        read("\"when\",\"rate, %\"\r\n\"Jan 1990\",\"1.5\"\r\n\"Feb 1990\",\"2.5\"\r\n", 2, 0);
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, (Values{1.5, 2.5}));
    EXPECT_EQ(sample.value().labels, (Labels{"Jan 1990", "Feb 1990"}));
    EXPECT_EQ(sample.value().columnName, "column 2 \"rate, %\"");
}

// An unbalanced quote once swallowed the rest of the file into one field, and the run failed
// on a count of values far from the cause.
TEST_F(SeriesTables, AQuoteThatIsNeverClosedIsNamedWithItsLine) {
    const Notice notice =
        noticeOf("date,value\n2020-01,1.5\n\"2020-02,-2\n2020-03,3.25\n2020-04,4\n", 3, 0);
    EXPECT_EQ(notice.text, "File " + path_ + " could not be read");
    EXPECT_EQ(notice.detail,
              "Line 3 opens a quote (\") that is never closed, so the rest of the file would be "
              "one field: close the quote or remove it");
}

TEST_F(SeriesTables, SemicolonFilesReadDecimalCommas) {
    Result<SeriesSample> sample = read("Datum;Wert\n01.01.2020;1,5\n02.01.2020;-0,25\n", 2, 0);
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, (Values{1.5, -0.25}));
    EXPECT_EQ(sample.value().labels, (Labels{"01.01.2020", "02.01.2020"}));
}

TEST_F(SeriesTables, TabSeparatedTableWithHeader) {
    Result<SeriesSample> sample = read("t\tx\n1\t0.5\n2\t0.75\n", 2, 0);
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, (Values{0.5, 0.75}));
}

// Tab- or blank-separated numbers are the plain format, read row by row, as they always were.
TEST_F(SeriesTables, NumbersSeparatedByTabsStayThePlainFormat) {
    Result<SeriesSample> sample = read("1\t2\n3\t4\n", 4, 0);
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, (Values{1, 2, 3, 4}));
    EXPECT_TRUE(sample.value().columnName.empty());
    // Naming a column reads the same file as a table.
    EXPECT_EQ(read("1\t2\n3\t4\n", 2, 0, column("2")).value().values, (Values{2, 4}));
}

TEST_F(SeriesTables, NamingAColumnReadsBlankSeparatedColumnsAndAOneColumnHeader) {
    EXPECT_EQ(read("year value\n1821 2.5\n1822 2.75\n", 2, 0, column("value")).value().values,
              (Values{2.5, 2.75}));
    EXPECT_EQ(read("value\n2.5\n2.75\n", 2, 0, column("1")).value().values, (Values{2.5, 2.75}));
    // Without it the header is a value that is not a number, and the detail says what to do.
    EXPECT_EQ(noticeOf("value\n2.5\n2.75\n", 2, 0),
              Notice("Element 1 could not be read", "Error", NoticeIcon::kStop,
                     path_ + " line 1: \"value\" is not a number (a header? use --column)"));
}

// A missing value anywhere in the sample ends the run, naming the file, line, column and text.
TEST_F(SeriesTables, MissingValueInEachPositionIsRefusedWithItsPlace) {
    const std::string header = "date,value\n";
    const std::vector<std::string> rows{"d1,1\n", "d2,2\n", "d3,3\n"};
    const std::vector<std::string> markers{"NA", "", "NaN", "."};
    for (std::size_t position = 0; position < rows.size(); ++position) {
        for (const std::string& marker : markers) {
            std::string text = header;
            for (std::size_t r = 0; r < rows.size(); ++r) {
                text += r == position ? "d" + std::to_string(r + 1) + "," + marker + "\n" : rows[r];
            }
            const Notice notice = noticeOf(text, 2, 1);
            EXPECT_EQ(notice.text,
                      "Element " + std::to_string(position + 1) + " could not be read");
            EXPECT_EQ(notice.detail,
                      path_ + " line " + std::to_string(position + 2) + ", column 2 \"value\": \"" +
                          marker +
                          "\" is a missing value; a series with a gap cannot be fitted (fill it, "
                          "or fit a sample without it: --skip, --last)")
                << text;
        }
    }
    // The plain format says the same without a column.
    EXPECT_EQ(noticeOf("1 2\nNA 4\n", 4, 0).detail,
              path_ +
                  " line 2: \"NA\" is a missing value; a series with a gap cannot be fitted (fill "
                  "it, or fit a sample without it: --skip, --last)");
}

TEST_F(SeriesTables, MissingValuesOutsideTheSampleAreNotRead) {
    const std::string text = "date,value\nd1,NA\nd2,2\nd3,3\nd4,\n";
    EXPECT_EQ(read(text, 2, 0, SeriesChoice{"", 1, false}).value().values, (Values{2, 3}));
    // The default column is the one whose first value present is a number.
    EXPECT_EQ(read(text, 1, 0, SeriesChoice{"", 1, false}).value().labels, (Labels{"d2"}));
}

TEST_F(SeriesTables, HeaderOnlyFileAndEmptyFileSayWhatTheyHold) {
    EXPECT_EQ(noticeOf("date,value\n", 50, 0),
              Notice("Element of time series less of 50", "Error", NoticeIcon::kStop,
                     "File " + path_ +
                         " has a header line and no values; 50 fitted are needed (lower "
                         "--n-observations or --n-predictions)"));
    EXPECT_EQ(noticeOf("", 450, 50).detail,
              "File " + path_ +
                  " has 0 values; 450 fitted + 50 held out are needed (lower --n-observations "
                  "or --n-predictions)");
}

TEST_F(SeriesTables, ColumnThatDoesNotExistListsTheColumns) {
    EXPECT_EQ(
        noticeOf(kDated, 2, 0, column("price")),
        Notice("Column price was not found in " + path_, "Error", NoticeIcon::kStop,
               "Its columns are 1 \"date\", 2 \"value\" (--column takes a name or a number)"));
    EXPECT_EQ(noticeOf("1,2\n3,4\n", 2, 0, column("3")).detail,
              "It has 2 columns and no header line: --column takes a number from 1 to 2");
}

// A table of 100,000 columns once listed every one of them (1.58 MB of message).
TEST_F(SeriesTables, AWideTableIsNamedByItsFirstColumnsAndItsCount) {
    std::string header = "c1";
    std::string values = "1";
    for (int c = 2; c <= 100000; ++c) {
        header += ",c" + std::to_string(c);
        values += ",1";
    }
    const std::string detail =
        noticeOf(header + "\n" + values + "\n" + values + "\n", 2, 0, column("100001")).detail;
    EXPECT_LT(detail.size(), 1000u);
    EXPECT_EQ(detail.rfind("Its columns are 1 \"c1\", 2 \"c2\",", 0), 0u) << detail;
    EXPECT_NE(detail.find(", 50 \"c50\" and 99950 more (--column takes a name or a number)"),
              std::string::npos)
        << detail;
}

TEST_F(SeriesTables, ByteOrderMarkIsSkipped) {
    EXPECT_EQ(read("\xEF\xBB\xBF"
                   "date,value\nd1,1\n",
                   1, 0)
                  .value()
                  .columnName,
              "column 2 \"value\"");
    EXPECT_EQ(read("\xEF\xBB\xBF"
                   "1.5 2.5",
                   2, 0)
                  .value()
                  .values,
              (Values{1.5, 2.5}));
}

TEST_F(SeriesTables, PlainTokenThatIsNotOneNumberIsNamedByItsOwnElement) {
    for (const std::string bad : {"1e", "1e+", "1.5e-", "1-2-3", "0.1.2.3", "0.5x", "100ergs"}) {
        const Notice notice = noticeOf("1 2\n3 " + bad + " 5 6\n", 6, 0);
        EXPECT_EQ(notice.text, "Element 4 could not be read") << bad;
        EXPECT_EQ(notice.detail, path_ + " line 2: \"" + bad + "\" is not a number") << bad;
    }
    EXPECT_EQ(noticeOf("0,5\n1,5\n", 2, 0),
              Notice("Element 1 could not be read", "Error", NoticeIcon::kStop,
                     path_ + " line 1: \"0,5\" is not a number (a decimal comma? they are read "
                             "in semicolon-separated files; for two columns use --column)"));
    EXPECT_EQ(noticeOf("1 2 1e200\n", 3, 0).detail,
              path_ +
                  " line 1: \"1e200\" is too large: beyond 1e+150 in magnitude the sums of "
                  "squares of the regressions overflow (rescale the series)");
}

// A line with another number of fields would be read by the wrong positions: it is refused
// with both counts. A separator after the last field of every data line, or of the header, is
// not a column.
TEST_F(SeriesTables, LinesThatDoNotFitTheHeaderAreRefused) {
    EXPECT_EQ(
        noticeOf("a,b\n1,1.5\n2,2,5\n3,3.5\n", 3, 0),
        Notice("Line 3 of " + path_ + " does not fit the table", "Error", NoticeIcon::kStop,
               path_ + " line 3 holds 3 fields; the header on line 1 names 2. Every line of a "
                       "table needs one field per column (a field that holds the separator "
                       "must be in double quotes)"));
    EXPECT_EQ(noticeOf("1;2\n3\n", 2, 0).detail,
              path_ +
                  " line 2 holds 1 field; line 1 holds 2. Every line of a table needs one field "
                  "per column (a field that holds the separator must be in double quotes); if "
                  "line 1 is a title or note above the table, --skip-lines 1 passes over it");
    EXPECT_EQ(read("a;b\n1;2,5;\n2;3,5;\n", 2, 0).value().values, (Values{2.5, 3.5}));
    EXPECT_EQ(read("a;b;\n1;2,5\n2;3,5\n", 2, 0).value().values, (Values{2.5, 3.5}));
}

}  // namespace
}  // namespace kavri
