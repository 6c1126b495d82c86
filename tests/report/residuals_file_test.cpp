#include "report/residuals_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kavri {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHeader = " Series\t         Fit\t         Residuals\n";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ResidualsFileTest : public ::testing::Test {
 protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kavri-residuals-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
    }
    void TearDown() override { fs::remove_all(directory_); }

    fs::path path() const { return directory_ / "Residuals.txt"; }

    fs::path directory_;
};

TEST_F(ResidualsFileTest, TableHasTheHeaderAndFixedFiveDecimalColumns) {
    const std::vector<double> x = {3.14159265, -12.5, 123456.0};
    const std::vector<double> fitted = {3.14159265, -12.0, 0.000004};
    const std::vector<double> residual = {0.0, -0.5, 123455.5};
    ResidualsFile file;
    ASSERT_FALSE(file.open(path()).has_value());
    file.writeTable(x.data(), fitted.data(), residual.data(), 3);
    ASSERT_FALSE(file.close().has_value());
    EXPECT_EQ(readFile(path()), std::string(kHeader) +
                                    " 3.14159\t 3.14159\t 0.00000\n"
                                    "-12.50000\t-12.00000\t-0.50000\n"
                                    "123456.00000\t 0.00000\t123455.50000\n");
}

TEST_F(ResidualsFileTest, OneLinePerObservationAfterTheHeader) {
    const std::vector<double> values(450, 1.0);
    ResidualsFile file;
    ASSERT_FALSE(file.open(path()).has_value());
    file.writeTable(values.data(), values.data(), values.data(), 450);
    ASSERT_FALSE(file.close().has_value());
    const std::string text = readFile(path());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 451);
}

TEST_F(ResidualsFileTest, OpeningEmptiesAnEarlierTable) {
    const std::vector<double> values = {1.0, 2.0};
    {
        ResidualsFile file;
        ASSERT_FALSE(file.open(path()).has_value());
        file.writeTable(values.data(), values.data(), values.data(), 2);
        ASSERT_FALSE(file.close().has_value());
    }
    ASSERT_FALSE(readFile(path()).empty());
    ResidualsFile file;
    ASSERT_FALSE(file.open(path()).has_value());
    ASSERT_FALSE(file.close().has_value());
    EXPECT_TRUE(fs::exists(path()));
    EXPECT_EQ(readFile(path()), "");
}

TEST_F(ResidualsFileTest, CloseIsIdempotentAndTheDestructorFlushes) {
    const std::vector<double> values = {0.5};
    {
        ResidualsFile file;
        ASSERT_FALSE(file.open(path()).has_value());
        file.writeTable(values.data(), values.data(), values.data(), 1);
    }
    EXPECT_EQ(readFile(path()), std::string(kHeader) + " 0.50000\t 0.50000\t 0.50000\n");

    ResidualsFile file;
    EXPECT_FALSE(file.close().has_value());
    ASSERT_FALSE(file.open(path()).has_value());
    EXPECT_FALSE(file.close().has_value());
    EXPECT_FALSE(file.close().has_value());
    // A closed file can be opened again, as each evaluation does.
    ASSERT_FALSE(file.open(path()).has_value());
    EXPECT_FALSE(file.close().has_value());
}

TEST_F(ResidualsFileTest, MissingDirectoryIsReportedAsTheOpenNotice) {
    ResidualsFile file;
    const MaybeNotice notice = file.open(directory_ / "missing" / "Residuals.txt");
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->text,
              "Kavri Directory do not exist or Residuals.txt File could not be opened\n");
    EXPECT_EQ(notice->caption, "Error");
    EXPECT_EQ(notice->icon, NoticeIcon::kStop);
    EXPECT_FALSE(file.close().has_value());
}

TEST_F(ResidualsFileTest, FailedWriteIsReportedOnCloseOnlyOnce) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    const std::vector<double> values(1000, 1.0);
    ResidualsFile file;
    ASSERT_FALSE(file.open("/dev/full").has_value());
    file.writeTable(values.data(), values.data(), values.data(), 1000);
    EXPECT_EQ(file.close(), errorNotice("Residuals.txt could not be written completely\n"));
    EXPECT_FALSE(file.close().has_value());
}

TEST_F(ResidualsFileTest, UnflushedTableOnAFullDeviceIsReportedOnClose) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    // Small enough to sit in the stream's buffer: the failure only shows when it is flushed.
    const std::vector<double> values = {1.0};
    ResidualsFile file;
    ASSERT_FALSE(file.open("/dev/full").has_value());
    file.writeTable(values.data(), values.data(), values.data(), 1);
    EXPECT_EQ(file.close(), errorNotice("Residuals.txt could not be written completely\n"));
}

}  // namespace
}  // namespace kavri
