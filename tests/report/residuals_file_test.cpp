#include "report/residuals_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kavri {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ResidualsFile, TableIsWrittenWholeAndReopeningEmptiesIt) {
    std::string pattern = (fs::temp_directory_path() / "kavri-residuals-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path path = fs::path(pattern) / "Residuals.txt";
    const std::vector<double> x = {3.14159265, -12.5, 123456.0};
    const std::vector<double> fitted = {3.14159265, -12.0, 0.0};
    const std::vector<double> residual = {0.0, -0.5, 123456.0};
    {
        ResidualsFile file;
        ASSERT_FALSE(file.open(path).has_value());
        file.writeTable(x.data(), fitted.data(), residual.data(), 3);
        // The destructor closes a file left open.
    }
    EXPECT_EQ(readFile(path),
              " Series\t         Fit\t         Residuals\n"
              " 3.14159\t 3.14159\t 0.00000\n"
              "-12.50000\t-12.00000\t-0.50000\n"
              "123456.00000\t 0.00000\t123456.00000\n");

    ResidualsFile file;
    ASSERT_FALSE(file.open(path).has_value());
    EXPECT_FALSE(file.close().has_value());
    EXPECT_FALSE(file.close().has_value());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(readFile(path), "");
    fs::remove_all(pattern);
}

TEST(ResidualsFile, OpenAndWriteFailuresAreNotices) {
    ResidualsFile file;
    EXPECT_EQ(file.open("/nonexistent-kavri-dir/Residuals.txt"),
              (Notice{"Kavri Directory do not exist or Residuals.txt File could not be opened\n",
                      "Error", NoticeIcon::kStop}));
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    // One line stays in the stream's buffer: the failure only shows when close() flushes it.
    const double one = 1.0;
    ASSERT_FALSE(file.open("/dev/full").has_value());
    file.writeTable(&one, &one, &one, 1);
    EXPECT_EQ(file.close(), errorNotice("Residuals.txt could not be written completely\n"));
    EXPECT_FALSE(file.close().has_value());
}

}  // namespace
}  // namespace kavri
