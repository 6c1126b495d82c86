// What the reader refuses before reading values: endless or oversized inputs, devices and
// UTF-16 text, each with a message that names the file. Pipes are made privately in a
// temporary folder; the system's devices are never touched.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "data/series_input.h"
#include "data/series_text.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

using testing::TempDirectory;

// Writes `chunk` into the pipe at `path` until the reader closes it (or `times` chunks).
void feed(const std::string& path, const std::string& chunk, long long times) {
    std::FILE* pipe = std::fopen(path.c_str(), "wb");
    if (pipe == nullptr) return;
    for (long long i = 0; i != times; ++i) {
        if (std::fwrite(chunk.data(), 1, chunk.size(), pipe) != chunk.size()) break;
    }
    std::fclose(pipe);
}

class FileBounds : public ::testing::Test {
 protected:
    void SetUp() override { previous_ = std::signal(SIGPIPE, SIG_IGN); }
    void TearDown() override { std::signal(SIGPIPE, previous_); }

    TempDirectory dir_;
    void (*previous_)(int) = SIG_DFL;
};

TEST_F(FileBounds, EndlessPipeIsCutAtTheBoundAndRefused) {
    const std::string path = (dir_.path() / "endless").string();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    std::thread writer(feed, path, std::string(4096, '\0'), -1);  // like /dev/zero
    const Result<std::string> text = loadSeriesText(path, 1 << 20);
    writer.join();
    ASSERT_FALSE(text.ok());
    EXPECT_EQ(text.notice().text, "File " + path + " could not be opened");
    EXPECT_EQ(text.notice().detail,
              "It holds more than 1 MiB, the most a series file may hold (keep the values the "
              "run needs in a smaller file)");
}

TEST_F(FileBounds, FinitePipeIsReadLikeAFile) {
    const std::string path = (dir_.path() / "values").string();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    std::thread writer(feed, path, std::string("1.5 2.5\n"), 3);
    const Result<SeriesSample> sample = readSeriesSample({path, SeriesChoice{}, 6, 0});
    writer.join();
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, (std::vector<double>{1.5, 2.5, 1.5, 2.5, 1.5, 2.5}));
}

TEST_F(FileBounds, LargeFileIsRefusedBeforeItIsReadAndUtf16IsNamed) {
    const std::string large = dir_.write("large.txt", std::string(5000, '1')).string();
    EXPECT_EQ(loadSeriesText(large, 4096).notice().detail,
              "It holds more than 4096 bytes, the most a series file may hold (keep the values "
              "the run needs in a smaller file)");
    EXPECT_TRUE(loadSeriesText(large, 5000).ok());
    const std::string utf16 = dir_.write("utf16.txt", std::string("\xFF\xFE"
                                                                  "1\0\n\0",
                                                                  6))
                                  .string();
    EXPECT_EQ(loadSeriesText(utf16).notice().detail,
              "It is UTF-16 text (\"Unicode text\" in a spreadsheet's Save As); save it as UTF-8 "
              "or plain text (CSV)");
}

// A long file is read in passes that keep only the sample: its values are never all held.
TEST_F(FileBounds, LongFileGivesItsSampleFromAnywhere) {
    std::string text = "date,value\n";
    for (int i = 0; i < 200000; ++i) {
        text += std::to_string(i) + "," + std::to_string(i % 1000) + ".5\n";
    }
    const std::string path = dir_.write("long.csv", text).string();
    SeriesChoice last;
    last.last = true;
    const Result<SeriesSample> sample = readSeriesSample({path, last, 3, 1});
    ASSERT_TRUE(sample.ok()) << sample.notice().detail;
    EXPECT_EQ(sample.value().values, (std::vector<double>{996.5, 997.5, 998.5, 999.5}));
    EXPECT_EQ(sample.value().firstElement, 199997);
    EXPECT_EQ(sample.value().fileValues, 200000);
    EXPECT_EQ(sample.value().labels.back(), "199999");
}

}  // namespace
}  // namespace kavri
