#include "report/run_report.h"

#include <gtest/gtest.h>

namespace kavri {
namespace {

RunReport sampleReport() {
    RunReport report;
    report.title = "Kavri report: lynx.csv";
    report.facts = {{"Series read", "/data/lynx.csv"}, {"Seed", "7"}};
    report.texts.aicText = "-12.345678\n";
    report.texts.thresholdText = "Threshold 1 = 2.5\nThreshold 2 = 3.1\n";
    report.texts.mseText = "0.5 | 0.25\n";  // a pipe must not split a table row
    report.sections = {{"Statistics", "Regime 1: n = 40\n  Constant  0.5\n"},
                       {"Odd", "a ``` fence inside\n"}};
    return report;
}

TEST(RunReport, PlainTextHasEveryFieldUnderItsLabelAndEachSection) {
    const std::string text = reportText(sampleReport(), ReportFormat::kPlainText);
    EXPECT_EQ(text.rfind("Kavri report: lynx.csv\n======================\n\n", 0), 0u) << text;
    EXPECT_NE(text.find("Series read: /data/lynx.csv\nSeed: 7\n"), std::string::npos);
    EXPECT_NE(text.find("AIC: -12.345678\n"), std::string::npos);
    // A multi-line result on the lines after its label, indented.
    EXPECT_NE(text.find("Threshold:\n    Threshold 1 = 2.5\n    Threshold 2 = 3.1\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nStatistics\n----------\nRegime 1: n = 40\n  Constant  0.5\n"),
              std::string::npos);
    // Every one of the sixteen labels is there, filled or not.
    for (const char* label : {"Iteration: ", "Fitness: ", "Parameter Estimate 4:", "Ljung-Box: ",
                              "Variance of Regime:", "R Square:"}) {
        EXPECT_NE(text.find(label), std::string::npos) << label;
    }
}

TEST(RunReport, MarkdownRendersTablesAndKeepsColumnsInFencedBlocks) {
    const std::string text = reportText(sampleReport(), ReportFormat::kMarkdown);
    EXPECT_EQ(text.rfind("# Kavri report: lynx.csv\n\n- **Series read**: /data/lynx.csv\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("| Result | Value |\n|---|---|\n"), std::string::npos);
    EXPECT_NE(text.find("| AIC | -12.345678 |\n"), std::string::npos);
    EXPECT_NE(text.find("| MSE | 0.5 \\| 0.25 |\n"), std::string::npos);
    EXPECT_NE(text.find("### Threshold\n\n```text\nThreshold 1 = 2.5\nThreshold 2 = 3.1\n```\n"),
              std::string::npos);
    EXPECT_NE(text.find("## Statistics\n\n```text\nRegime 1: n = 40\n  Constant  0.5\n```\n"),
              std::string::npos);
    // A block holding a fence is closed by a longer one.
    EXPECT_NE(text.find("````text\na ``` fence inside\n````\n"), std::string::npos);
}

TEST(RunReport, FormatFollowsTheFileName) {
    EXPECT_EQ(reportFormatForPath("out/run.md"), ReportFormat::kMarkdown);
    EXPECT_EQ(reportFormatForPath("RUN.MARKDOWN"), ReportFormat::kMarkdown);
    EXPECT_EQ(reportFormatForPath("run.txt"), ReportFormat::kPlainText);
    EXPECT_EQ(reportFormatForPath("md"), ReportFormat::kPlainText);
}

TEST(RunReport, ForecastTableAlignsItsColumnsAndCarriesDates) {
    ForecastResult forecasts;
    forecasts.method = ForecastMethod::kBootstrap;
    forecasts.nPaths = 100;
    forecasts.point = {1.5, -10.25};
    forecasts.median = {1.0, -10.0};
    forecasts.intervals = {{80.0, {0.5, -12.0}, {2.5, -8.5}}};
    const std::string table = forecastTableText(forecasts, {"1935", "1936"});
    EXPECT_EQ(table,
              "Step  Date    Forecast      Median        Lo80       Hi80\n"
              "   1  1935    1.500000    1.000000    0.500000   2.500000\n"
              "   2  1936  -10.250000  -10.000000  -12.000000  -8.500000\n")
        << table;
}

TEST(RunReport, ForecastStepsAreDatedOnlyAfterConsecutiveYears) {
    EXPECT_EQ(yearsAfter({"1932", "1933", "1934"}, 2), (std::vector<std::string>{"1935", "1936"}));
    EXPECT_TRUE(yearsAfter({"1932", "1934"}, 2).empty());
    EXPECT_TRUE(yearsAfter({"2024-01", "2024-02"}, 2).empty());
    EXPECT_TRUE(yearsAfter({}, 2).empty());
}

}  // namespace
}  // namespace kavri
