#include "data/series_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace kavri {
namespace {

namespace fs = std::filesystem;

class SeriesSources : public testing::Test {
 protected:
    void SetUp() override {
        static std::atomic<int> serial{0};
        dir_ = fs::temp_directory_path() /
               ("kavri-source-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path) << text;
        return path.string();
    }

    static SeriesRequest request(const std::string& path, const std::string& column, int n,
                                 int p = 0) {
        SeriesRequest r{path, SeriesChoice{}, n, p};
        r.choice.column = column;
        return r;
    }

    fs::path dir_;
};

// Every answer of a file read once is the answer of reading the file: values, labels, the
// sample's place and every notice, column by column and for the file's own choice.
TEST_F(SeriesSources, LoadedFileAnswersAsTheFile) {
    std::string text = "date;a;b;note;c\n";
    for (int i = 0; i < 30; ++i) {
        text += "2020-" + std::to_string(i) + ";" + std::to_string(i) + ",5;" +
                std::to_string(i * i) + ";x;" + (i == 7 ? "NA" : std::to_string(-i)) + "\n";
    }
    const std::string path = write("table.csv", text);
    Result<std::shared_ptr<const LoadedSeriesFile>> loaded = LoadedSeriesFile::load(path);
    ASSERT_TRUE(loaded.ok());
    const LoadedSeriesFile& file = *loaded.value();
    for (const std::string column : {"", "a", "B", "2", "c", "note", "missing", "9"}) {
        for (const int n : {10, 29, 40}) {
            SCOPED_TRACE(column + " " + std::to_string(n));
            SeriesRequest r = request(path, column, n, 1);
            r.choice.last = n == 10;
            const Result<SeriesSample> fromFile = readSeriesSample(r);
            const Result<SeriesSample> fromMemory = file.read(r);
            ASSERT_EQ(fromFile.ok(), fromMemory.ok());
            if (!fromFile.ok()) {
                EXPECT_EQ(fromFile.notice(), fromMemory.notice());
                continue;
            }
            EXPECT_EQ(fromFile.value().values, fromMemory.value().values);
            EXPECT_EQ(fromFile.value().labels, fromMemory.value().labels);
            EXPECT_EQ(fromFile.value().firstElement, fromMemory.value().firstElement);
            EXPECT_EQ(fromFile.value().columnName, fromMemory.value().columnName);
        }
    }
    // The numeric columns, each reachable by the request given, the text column left out.
    const std::vector<LoadedSeriesFile::NumericColumn> columns = file.numericColumns();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].request, "a");
    EXPECT_EQ(columns[0].number, 2);
    EXPECT_EQ(columns[2].name, "c");
    EXPECT_EQ(columns[2].number, 5);
    // Threads read one file at once.
    std::vector<std::thread> readers;
    std::atomic<int> agreed{0};
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            if (file.read(request(path, "b", 25)).value().values ==
                readSeriesSample(request(path, "b", 25)).value().values) {
                ++agreed;
            }
        });
    }
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(agreed.load(), 4);
}

// A column whose name is repeated is reached by its number, unless a header is that number.
TEST_F(SeriesSources, RepeatedNamesAndPlainFiles) {
    const std::string table = write("t.csv", "x,x,1\n1,2,3\n4,5,6\n");
    const std::vector<LoadedSeriesFile::NumericColumn> columns =
        LoadedSeriesFile::load(table).value()->numericColumns();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].request, "1");
    EXPECT_FALSE(columns[0].reachable);  // "1" names the third column
    EXPECT_EQ(columns[1].request, "2");
    EXPECT_TRUE(columns[1].reachable);
    EXPECT_EQ(columns[2].request, "1");
    const std::string tabs = write("tabs.txt", "1\t2\n3\t4\n");
    EXPECT_EQ(LoadedSeriesFile::load(tabs).value()->numericColumns().size(), 2u);
    const std::string plain = write("p.txt", "1 2\n3\n");
    Result<std::shared_ptr<const LoadedSeriesFile>> file = LoadedSeriesFile::load(plain);
    ASSERT_EQ(file.value()->numericColumns().size(), 1u);
    EXPECT_EQ(file.value()->readWhole("").value().values, (std::vector<double>{1, 2, 3}));
    EXPECT_FALSE(LoadedSeriesFile::load(plain + ".none").ok());
}

// The reader's layouts read once: a title passed over, comment lines, R's row names and
// thousands separators decided per column answer as the file for every request, the columns
// are found below the lines passed over, and what the reader refuses to load is refused alike.
TEST_F(SeriesSources, LoadedFileKeepsTheReadersLayoutsAndRefusals) {
    std::string text = "Two series\n# a comment\n\"a\"\t\"b\"\n";
    for (int i = 1; i <= 12; ++i) {
        text += "\"" + std::to_string(i) + "\"\t" + std::to_string(i) + ".5\t" + std::to_string(i) +
                ",25" + std::to_string(i % 10) + "\n";
    }
    const std::string path = write("rows.txt", text);
    Result<std::shared_ptr<const LoadedSeriesFile>> loaded = LoadedSeriesFile::load(path);
    ASSERT_TRUE(loaded.ok());
    const LoadedSeriesFile& file = *loaded.value();
    int read = 0;
    for (const int skipLines : {0, 1, 2}) {
        for (const std::string column : {"", "a", "b", "2", "3"}) {
            SCOPED_TRACE(column + " " + std::to_string(skipLines));
            SeriesRequest r = request(path, column, 8, 2);
            r.choice.skipLines = skipLines;
            r.choice.skip = 1;
            const Result<SeriesSample> fromFile = readSeriesSample(r);
            const Result<SeriesSample> fromMemory = file.read(r);
            ASSERT_EQ(fromFile.ok(), fromMemory.ok());
            if (!fromFile.ok()) {
                EXPECT_EQ(fromFile.notice(), fromMemory.notice());
                continue;
            }
            ++read;
            EXPECT_EQ(fromFile.value().values, fromMemory.value().values);
            EXPECT_EQ(fromFile.value().labels, fromMemory.value().labels);
            EXPECT_EQ(fromFile.value().fileValues, fromMemory.value().fileValues);
            EXPECT_EQ(fromFile.value().columnName, fromMemory.value().columnName);
        }
    }
    EXPECT_GT(read, 0);
    // Below the title: the two named columns after the row names, the second read with its
    // thousands commas.
    const std::vector<LoadedSeriesFile::NumericColumn> columns = file.numericColumns(1);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].request, "a");
    EXPECT_EQ(columns[1].request, "b");
    SeriesChoice choice;
    choice.skipLines = 1;
    choice.column = "b";
    const Result<SeriesSample> whole = file.readWhole(choice);
    ASSERT_TRUE(whole.ok()) << whole.notice().detail;
    EXPECT_EQ(whole.value().values.size(), 12u);
    EXPECT_EQ(whole.value().values.front(), 1251.0);

    for (const std::string& refused : {dir_.string(), std::string("/dev/zero")}) {
        SCOPED_TRACE(refused);
        const Result<std::shared_ptr<const LoadedSeriesFile>> device =
            LoadedSeriesFile::load(refused);
        const Result<SeriesSample> direct = readSeriesSample(request(refused, "", 5));
        ASSERT_FALSE(device.ok());
        ASSERT_FALSE(direct.ok());
        EXPECT_EQ(device.notice(), direct.notice());
    }
}

// A wide table read column by column through its field index answers as the file for every
// column: fields in quotes holding separators, doubled quotes and line ends, blanks around
// fields, CRLF line ends, a separator after the last field, an empty row inside the data, and
// columns on both sides of the index's marks.
TEST_F(SeriesSources, WideTablesReadThroughTheIndexAnswerAsTheFile) {
    constexpr int kColumns = 40;
    auto table = [](const std::string& separator, const std::string& end, bool trailing) {
        std::string text = "date";
        for (int c = 1; c < kColumns; ++c) text += separator + "c" + std::to_string(c);
        text += end;
        for (int row = 0; row < 9; ++row) {
            if (row == 4) {
                text += std::string(kColumns - 1, separator[0]) + end;  // an empty row
                continue;
            }
            text += "\"2020," + std::to_string(row) + "\"";
            for (int c = 1; c < kColumns; ++c) {
                const int v = row * 100 + c;
                text += separator;
                if (c % 7 == 0) {
                    text += "\"" + std::to_string(v) + "\"";
                } else if (c == 17 && row == 2) {
                    text += "\"a \"\"quoted\"\"" + separator + " two\nlines\"";  // a text
                } else {
                    text += "  " + std::to_string(v) + " ";
                }
            }
            text += (trailing ? separator : "") + end;
        }
        return text;
    };
    int compared = 0;
    for (const auto& [name, text] :
         {std::pair<std::string, std::string>{"comma.csv", table(",", "\n", false)},
          {"semicolon.csv", table(";", "\r\n", true)},
          {"tab.txt", table("\t", "\n", false)}}) {
        const std::string path = write(name, text);
        Result<std::shared_ptr<const LoadedSeriesFile>> loaded = LoadedSeriesFile::load(path);
        ASSERT_TRUE(loaded.ok());
        const LoadedSeriesFile& file = *loaded.value();
        EXPECT_EQ(file.numericColumns().size(), static_cast<std::size_t>(kColumns)) << name;
        for (int c = 1; c <= kColumns + 1; ++c) {
            for (const int n : {3, 9}) {
                SCOPED_TRACE(name + " column " + std::to_string(c) + " n " + std::to_string(n));
                const SeriesRequest r = request(path, std::to_string(c), n);
                const Result<SeriesSample> fromFile = readSeriesSample(r);
                const Result<SeriesSample> fromMemory = file.read(r);
                ASSERT_EQ(fromFile.ok(), fromMemory.ok());
                if (!fromFile.ok()) {
                    EXPECT_EQ(fromFile.notice(), fromMemory.notice());
                    continue;
                }
                ++compared;
                EXPECT_EQ(fromFile.value().values, fromMemory.value().values);
                EXPECT_EQ(fromFile.value().labels, fromMemory.value().labels);
                EXPECT_EQ(fromFile.value().columnName, fromMemory.value().columnName);
            }
        }
    }
    EXPECT_GT(compared, 3 * (kColumns - 3));
    // Blank-separated, R's write.table with row names and quoted names.
    std::string blanks = "\"x\" \"y\" \"z\"\n";
    for (int row = 1; row <= 6; ++row) {
        blanks += "\"r" + std::to_string(row) + "\"   " + std::to_string(row) + " \"" +
                  std::to_string(row * 2) + "\"\t" + std::to_string(-row) + "\n";
    }
    const std::string path = write("r.txt", blanks);
    const std::shared_ptr<const LoadedSeriesFile> rows = LoadedSeriesFile::load(path).value();
    for (const std::string column : {"x", "y", "z"}) {
        SCOPED_TRACE(column);
        const Result<SeriesSample> fromFile = readSeriesSample(request(path, column, 6));
        const Result<SeriesSample> fromMemory = rows->read(request(path, column, 6));
        ASSERT_EQ(fromFile.ok(), fromMemory.ok());
        if (fromFile.ok()) {
            EXPECT_EQ(fromFile.value().values, fromMemory.value().values);
        } else {
            EXPECT_EQ(fromFile.notice(), fromMemory.notice());
        }
    }
}

// Values from memory: the sample choice of a file, and no value that a file could not hold.
TEST_F(SeriesSources, ValuesInMemoryAreCheckedAsValuesOfAFile) {
    const SeriesValues values({1, 2, 3, 4, 5, 6}, "the array");
    SeriesRequest r = request("", "", 3, 1);
    EXPECT_EQ(values.read(r).value().values, (std::vector<double>{1, 2, 3, 4}));
    r.choice.last = true;
    EXPECT_EQ(values.read(r).value().values, (std::vector<double>{3, 4, 5, 6}));
    EXPECT_EQ(values.read(r).value().firstElement, 3);
    EXPECT_EQ(values.read(request("", "", 7)).notice().text, "Element of time series less of 7");
    for (const double bad : {std::nan(""), std::numeric_limits<double>::infinity(), -2e150}) {
        const SeriesValues holed({1, 2, bad, 4}, "x");
        const Result<SeriesSample> read = holed.read(request("", "", 4));
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.notice().text, "Element 3 could not be read");
        EXPECT_EQ(read.notice().detail.rfind("x, value 3: ", 0), 0u) << read.notice().detail;
    }
    // Outside the sample a bad value does not matter.
    EXPECT_TRUE(SeriesValues({1, 2, std::nan("")}, "x").read(request("", "", 2)).ok());
}

}  // namespace
}  // namespace kavri
