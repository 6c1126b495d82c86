#include "data/table_preview.h"

#include <gtest/gtest.h>

#include <string>

namespace kavri {
namespace {

std::string fileOf(const std::string& name) {
    return std::string(KAVRI_TEST_DATA_DIR) + "/files/" + name;
}

TEST(TablePreview, ColumnsWithTheirTypesCountsEndsAndNumberFormats) {
    const Result<FilePreview> preview = previewSeriesFile(fileOf("german_excel.csv"), {});
    ASSERT_TRUE(preview.ok()) << preview.notice().detail;
    const FilePreview& file = preview.value();
    EXPECT_EQ(file.layout, "semicolon-separated table");
    EXPECT_EQ(file.headerLine, 1);
    ASSERT_EQ(file.columns.size(), 3u);
    const ColumnPreview& years = file.columns[0];
    EXPECT_EQ(years.name, "Jahr");
    EXPECT_EQ(years.type, "date");
    EXPECT_EQ(years.values, 40);  // the empty rows at the end are no values
    const ColumnPreview& counts = file.columns[1];
    EXPECT_EQ(counts.type, "number");
    EXPECT_EQ(counts.first, "269");
    EXPECT_EQ(counts.firstDate, "1821");
    EXPECT_EQ(counts.last, "299");
    EXPECT_EQ(counts.lastLine, 41);
    EXPECT_EQ(counts.lastDate, "1860");
    EXPECT_EQ(counts.numberFormat, "decimal comma, thousands point");
    EXPECT_FALSE(counts.read);
    EXPECT_TRUE(file.columns[2].read);
    EXPECT_TRUE(file.problem.empty());
}

TEST(TablePreview, PlainFilesMissingValuesAndUnreadableColumns) {
    const Result<FilePreview> errors = previewSeriesFile(fileOf("excel_errors.csv"), {});
    ASSERT_TRUE(errors.ok());
    EXPECT_EQ(errors.value().columns[1].missing, 2);
    EXPECT_EQ(errors.value().columns[1].last, "+0.75");
    EXPECT_EQ(errors.value().columns[0].type, "date");

    const Result<FilePreview> counts = previewSeriesFile(fileOf("german_counts_only.csv"), {});
    ASSERT_TRUE(counts.ok());
    EXPECT_NE(counts.value().problem.find("\"1.475\" may be 1475 or 1.475"), std::string::npos);

    const Result<FilePreview> rows = previewSeriesFile(fileOf("r_write_table.txt"), {});
    ASSERT_TRUE(rows.ok());
    EXPECT_TRUE(rows.value().rowNames);
    EXPECT_EQ(rows.value().columns.size(), 2u);

    const Result<FilePreview> plain =
        previewSeriesFile(std::string(KAVRI_EXAMPLES_DIR) + "/lynx_log10.txt", {});
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(plain.value().layout, "plain numbers");
    EXPECT_EQ(plain.value().columns[0].values, 114);

    EXPECT_EQ(previewSeriesFile(fileOf("missing.csv"), {}).notice().text,
              "File " + fileOf("missing.csv") + " could not be opened");
}

}  // namespace
}  // namespace kavri
