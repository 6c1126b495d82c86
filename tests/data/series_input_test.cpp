#include "data/series_input.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <string>

namespace kavri {
namespace {

namespace fs = std::filesystem;

class SeriesInput : public testing::Test {
 protected:
    void SetUp() override {
        static std::atomic<int> serial{0};
        dir_ = fs::temp_directory_path() /
               ("kavri-series-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& text) {
        const fs::path path = dir_ / "series.txt";
        std::ofstream(path) << text;
        return path.string();
    }

    // Reads `count` values of `text` into a series allocated as a run allocates it (one spare).
    MaybeNotice read(const std::string& text, int count) {
        series_ = dvector(0, count);
        return readSeries(write(text), count, series_);
    }

    fs::path dir_;
    DVector series_;
};

TEST_F(SeriesInput, ReadsExactlyTheRequiredValuesWhateverTheLayout) {
    ASSERT_FALSE(read("1.25 -3\n4.1e-02\t\n  7 8 9 10 11 12\n", 4).has_value());
    EXPECT_EQ(series_[0], 1.25);
    EXPECT_EQ(series_[1], -3.0);
    EXPECT_EQ(series_[2], 4.1e-02);
    EXPECT_EQ(series_[3], 7.0);
    EXPECT_EQ(series_[4], 0.0);  // the spare slot stays zero; 8..12 are ignored
}

// The text of the notice, "" when there is none; the detail is checked where it matters.
std::string textOf(const MaybeNotice& notice) { return notice ? notice->text : ""; }

TEST_F(SeriesInput, FailuresNameTheElementOrTheNumberRequired) {
    EXPECT_EQ(textOf(read("1 2 abc 4", 4)), "Element 3 could not be read");
    // A decimal comma makes the token that holds it unreadable, not the one after it.
    EXPECT_EQ(textOf(read("1,5 2 3", 3)), "Element 1 could not be read");
    EXPECT_EQ(textOf(read("", 3)), "Element of time series less of 3");

    std::string text;
    for (int i = 0; i < 499; ++i) text += std::to_string(i) + "\n";
    EXPECT_EQ(textOf(read(text, 450 + 50)), "Element of time series less of 500");
}

TEST_F(SeriesInput, InfiniteOrUndefinedValuesAreNotObservations) {
    EXPECT_EQ(textOf(read("1 inf 2", 3)), "Element 2 could not be read");
    EXPECT_EQ(textOf(read("1 2 nan", 3)), "Element 3 could not be read");
    EXPECT_EQ(textOf(read("-1e999 1 2", 3)), "Element 1 could not be read");
    // Values up to the bound on their squares are still accepted.
    EXPECT_FALSE(read("1e150 -1e150 1e8", 3).has_value());
}

// A NUL inside a number once cut the quoted text short ("1" for "1\02"); a UTF-16 file was
// reported as an unreadable first number.
TEST_F(SeriesInput, UnprintableBytesAreShownAndUtf16IsNamed) {
    const MaybeNotice nul = read(std::string("1 2\n3\0"
                                             "4 5\n",
                                             10),
                                 4);
    ASSERT_TRUE(nul.has_value());
    EXPECT_EQ(nul->text, "Element 3 could not be read");
    EXPECT_NE(nul->detail.find("line 2: \"3\\x004\" is not a number"), std::string::npos)
        << nul->detail;

    const std::string wide(
        "\xFF\xFE"
        "1\0\n\0"
        "2\0\n\0"
        "3\0\n\0",
        14);
    for (const std::string& text : {wide, wide.substr(2)}) {
        const MaybeNotice utf16 = read(text, 3);
        ASSERT_TRUE(utf16.has_value());
        EXPECT_EQ(utf16->text, "File " + (dir_ / "series.txt").string() + " could not be read");
        EXPECT_EQ(utf16->detail.rfind("It is UTF-16 text", 0), 0u) << utf16->detail;
    }
}

TEST_F(SeriesInput, UnreadablePathsAreNamedAsTyped) {
    const std::string missing = (dir_ / "no such file.txt").string();
    DVector series = dvector(0, 1);
    EXPECT_EQ(textOf(readSeries(missing, 1, series)), "File " + missing + " could not be opened");
    EXPECT_EQ(textOf(readSeries(dir_.string(), 1, series)),
              "File " + dir_.string() + " could not be opened");
}

TEST_F(SeriesInput, DecimalPointIsReadUnderACommaLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    const MaybeNotice notice = read("1.25 2.5", 2);
    std::setlocale(LC_NUMERIC, previous.c_str());
    ASSERT_FALSE(notice.has_value()) << notice->text;
    EXPECT_EQ(series_[0], 1.25);
    EXPECT_EQ(series_[1], 2.5);
}

}  // namespace
}  // namespace kavri
