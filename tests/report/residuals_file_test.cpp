#include "report/residuals_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/memory_file_system.h"

namespace kavri {
namespace {

TEST(ResidualsFile, TableLayoutKeepsEveryDigitBeforeThePoint) {
    testing::MemoryFileSystem files;
    const std::vector<double> x = {3.14159265, -12.5, 123456.0};
    const std::vector<double> fitted = {3.14159265, -12.0, 0.0};
    const std::vector<double> residual = {0.0, -0.5, 123456.0};
    CreatedFile created = files.create("Residuals.txt");
    ASSERT_NE(created.file, nullptr);
    writeResidualTable(*created.file, x.data(), fitted.data(), residual.data(), 3);
    ASSERT_FALSE(created.file->commit());
    EXPECT_EQ(files.read("Residuals.txt"),
              " Series\t         Fit\t         Residuals\n"
              " 3.14159\t 3.14159\t 0.00000\n"
              "-12.50000\t-12.00000\t-0.50000\n"
              "123456.00000\t 0.00000\t123456.00000\n");
}

}  // namespace
}  // namespace kavri
