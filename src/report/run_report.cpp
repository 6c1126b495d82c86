#include "report/run_report.h"

#include <algorithm>
#include <cctype>

#include "model/result_fields.h"
#include "model/text_format.h"
#include "report/forecasts_file.h"

namespace kavri {

namespace {

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string withoutTrailingLineEnds(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

std::string oneLine(const std::string& text) {
    std::string line = withoutTrailingLineEnds(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

std::string indented(const std::string& text) {
    std::string out;
    std::size_t start = 0;
    const std::string body = withoutTrailingLineEnds(text);
    while (start <= body.size() && !body.empty()) {
        const std::size_t end = std::min(body.find('\n', start), body.size());
        out += "    " + body.substr(start, end - start) + "\n";
        start = end + 1;
    }
    return out;
}

// A fence longer than any run of backticks inside the block, so that no text closes it early.
std::string fenceFor(const std::string& text) {
    std::size_t longest = 0;
    std::size_t run = 0;
    for (const char c : text) {
        run = c == '`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return std::string(std::max<std::size_t>(3, longest + 1), '`');
}

std::string codeBlock(const std::string& text) {
    const std::string body = withoutTrailingLineEnds(text);
    const std::string fence = fenceFor(body);
    return fence + "text\n" + body + "\n" + fence + "\n";
}

// A table cell: pipes escaped, so that a text holding one does not split the row.
std::string cell(const std::string& text) {
    std::string out;
    for (const char c : oneLine(text)) {
        if (c == '|') out += '\\';
        out += c;
    }
    return out.empty() ? " " : out;
}

std::string underlined(const std::string& title, char mark) {
    return title + "\n" + std::string(title.size(), mark) + "\n";
}

std::string plainText(const RunReport& report) {
    std::string out = underlined(report.title, '=') + "\n";
    if (!report.facts.empty()) {
        out += labelledLines(report.facts) + "\n";
    }
    for (const ResultField& field : resultFields()) {
        const std::string& text = report.texts.*field.text;
        if (field.shape == FieldShape::kOneLine) {
            out += std::string(field.label) + ": " + oneLine(text) + "\n";
        } else {
            out += std::string(field.label) + ":\n" + indented(text);
        }
    }
    for (const ReportSection& section : report.sections) {
        out += "\n" + underlined(section.title, '-') + withoutTrailingLineEnds(section.text) + "\n";
    }
    return out;
}

std::string markdown(const RunReport& report) {
    std::string out = "# " + oneLine(report.title) + "\n\n";
    for (const LabelledText& fact : report.facts) {
        out += "- **" + oneLine(fact.label) + "**: " + oneLine(fact.text) + "\n";
    }
    if (!report.facts.empty()) {
        out += "\n";
    }
    out += "## Results\n\n| Result | Value |\n|---|---|\n";
    for (const ResultField& field : resultFields()) {
        if (field.shape == FieldShape::kOneLine) {
            out += "| " + cell(field.label) + " | " + cell(report.texts.*field.text) + " |\n";
        }
    }
    for (const ResultField& field : resultFields()) {
        if (field.shape == FieldShape::kManyLines) {
            out +=
                std::string("\n### ") + field.label + "\n\n" + codeBlock(report.texts.*field.text);
        }
    }
    for (const ReportSection& section : report.sections) {
        out += "\n## " + oneLine(section.title) + "\n\n" + codeBlock(section.text);
    }
    return out;
}

}  // namespace

ReportFormat reportFormatForPath(const std::string& path) {
    return endsWith(path, ".md") || endsWith(path, ".markdown") ? ReportFormat::kMarkdown
                                                                : ReportFormat::kPlainText;
}

std::string reportText(const RunReport& report, ReportFormat format) {
    return format == ReportFormat::kMarkdown ? markdown(report) : plainText(report);
}

std::string labelledLines(const std::vector<LabelledText>& texts) {
    std::string out;
    for (const LabelledText& text : texts) {
        out += text.label + ": " + text.text + "\n";
    }
    return out;
}

std::string modelStatisticsText(const CoefficientTable& table, const FitStatistics& fit) {
    std::string text;
    for (const SparseRegime& regime : fit.sparseRegimes) {
        text += "Warning: " + sparseRegimeText(regime) +
                ", fewer than three per parameter: its estimates are unreliable\n";
    }
    text += coefficientTableText(table) + "\n\n";
    text += formatText("AIC: %f\n", fit.aic) + labelledLines(fitStatisticsTexts(fit));
    return text;
}

std::vector<std::string> yearsAfter(const std::vector<std::string>& labels, int steps) {
    long previous = 0;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::string& label = labels[i];
        if (label.empty() || label.size() > 6 ||
            !std::all_of(label.begin(), label.end(),
                         [](unsigned char c) { return std::isdigit(c); })) {
            return {};
        }
        const long year = std::stol(label);
        if (i > 0 && year != previous + 1) {
            return {};
        }
        previous = year;
    }
    std::vector<std::string> after;
    for (int h = 1; h <= steps && !labels.empty(); ++h) {
        after.push_back(std::to_string(previous + h));
    }
    return after;
}

std::string forecastTableText(const ForecastResult& forecasts,
                              const std::vector<std::string>& stepLabels) {
    const bool dated = static_cast<int>(stepLabels.size()) == forecasts.horizon();
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header = forecastColumnNames(forecasts);
    if (dated) {
        header.insert(header.begin() + 1, "Date");
    }
    rows.push_back(header);
    for (int h = 1; h <= forecasts.horizon(); ++h) {
        std::vector<std::string> row{std::to_string(h)};
        if (dated) {
            row.push_back(stepLabels[static_cast<std::size_t>(h - 1)]);
        }
        for (const double value : forecastRowValues(forecasts, h)) {
            row.push_back(formatText("%.6f", value));
        }
        rows.push_back(row);
    }
    std::vector<std::size_t> widths(header.size(), 0);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            line += (c == 0 ? "" : "  ") + std::string(widths[c] - row[c].size(), ' ') + row[c];
        }
        out += line + "\n";
    }
    return out;
}

}  // namespace kavri
