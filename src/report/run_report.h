#pragma once

// The whole result of a run as one document, in plain text or Markdown, as the desktop
// program's "Copy" and "Save report..." and kavri-cli --report give it: a title, the facts of
// the run (series, sample, seed), the sixteen result texts under the labels of the main window,
// then sections of preformatted text (statistics, linearity tests, model comparison,
// forecasts). Both front ends fill a RunReport from the texts below and the shared statistics
// texts, so that they write the same document.

#include <string>
#include <vector>

#include "forecast/forecast_result.h"
#include "inference/coefficient_table.h"
#include "inference/fit_statistics.h"
#include "model/result_texts.h"
#include "report/statistics_text.h"

namespace kavri {

struct ReportSection {
    std::string title;  // "Statistics", "Linearity Tests", ...
    std::string text;   // preformatted lines, kept as they stand (a code block in Markdown)
};

struct RunReport {
    std::string title;                // "Kavri report: lynx.csv"
    std::vector<LabelledText> facts;  // "Series" and its path, "Sample", "Seed", ...
    ResultTexts texts;
    std::vector<ReportSection> sections;
};

enum class ReportFormat { kPlainText, kMarkdown };

// Markdown for a path ending in .md or .markdown (any case), plain text otherwise.
ReportFormat reportFormatForPath(const std::string& path);

// The document. Plain text: the title underlined, "Label: text" lines (a multi-line text on the
// lines after its label, indented by four blanks), each section's title underlined. Markdown: a
// level-1 heading, the facts as a list, the one-line results as a table, each multi-line result
// and each section as a heading over a fenced block, so that columns stay aligned.
std::string reportText(const RunReport& report, ReportFormat format);

// "Label: text" lines, one per item.
std::string labelledLines(const std::vector<LabelledText>& texts);

// What the Statistics window shows of the model: a warning per sparse regime, the coefficient
// table, the AIC and the fit statistics.
std::string modelStatisticsText(const CoefficientTable& table, const FitStatistics& fit);

// The labels of `steps` values past a series labelled with consecutive years ("1933", "1934"
// gives "1935", "1936", ...); empty when the labels are not such years.
std::vector<std::string> yearsAfter(const std::vector<std::string>& labels, int steps);

// The forecast table with the columns of Forecasts.txt, right-aligned, numbers with six
// decimals; for a forecast whose steps have labels (`stepLabels`, one per step; empty: none) a
// "Date" column after the step.
std::string forecastTableText(const ForecastResult& forecasts,
                              const std::vector<std::string>& stepLabels = {});

}  // namespace kavri
