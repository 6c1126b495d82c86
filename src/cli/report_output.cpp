#include "cli/report_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/run_notes.h"
#include "cli/text_output.h"
#include "report/statistics_text.h"

namespace kavri::cli {

RunReport cliRunReport(const CliRequest& request, const ResultTexts& texts,
                       const RunOutcome& outcome, const RunStatistics& statistics,
                       const std::optional<ForecastOutcome>& forecasts) {
    RunReport report;
    const std::filesystem::path series(request.settings.model.seriesPath);
    report.title = "Kavri report: " + series.filename().string();
    report.facts.push_back({"Series read", request.settings.model.seriesPath});
    report.facts.push_back({"Sample", sampleLine(outcome.sample, request.settings)});
    if (usesGeneticSearch(request.settings)) {
        report.facts.push_back({"Seed", std::to_string(outcome.seed)});
    }
    if (!outcome.model.thresholdVariableText.empty()) {
        report.facts.push_back({"Threshold variable", outcome.model.thresholdVariableText});
    }
    report.texts = texts;
    if (statistics.coefficients && statistics.fit) {
        report.sections.push_back(
            {"Statistics", modelStatisticsText(*statistics.coefficients, *statistics.fit)});
    }
    if (statistics.tests) {
        report.sections.push_back(
            {"Linearity Tests", labelledLines(linearityTestsTexts(*statistics.tests))});
    }
    if (statistics.comparison) {
        report.sections.push_back(
            {"Model Comparison",
             "Model Comparison:\n" + modelComparisonText(*statistics.comparison)});
    }
    if (forecasts) {
        const ForecastResult& ahead = forecasts->forecasts;
        // The dates of Forecasts.txt when the file has dates, else the years after a file of
        // years.
        report.sections.push_back(
            {"Forecasts",
             forecastTableText(ahead, forecasts->dates.empty()
                                          ? yearsAfter(outcome.model.labels, ahead.horizon())
                                          : forecasts->dates)});
    }
    return report;
}

std::string writeReportFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return std::strerror(errno);
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(temporary.c_str());
        return written ? std::string("the file could not be closed")
                       : std::string(std::strerror(writeError));
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return reason;
    }
    return {};
}

}  // namespace kavri::cli
