#include "cli/text_output.h"

#include <cstdio>
#include <string_view>

#include "model/result_fields.h"
#include "report/statistics_text.h"

namespace kavri::cli {

namespace {

constexpr std::string_view kIndent = "    ";

void appendField(std::string& out, std::string_view label, std::string_view text) {
    // The closing line break that many formats end with belongs to the window's layout, not
    // to the value.
    while (!text.empty() && text.back() == '\n') {
        text.remove_suffix(1);
    }
    out += label;
    out += ':';
    if (text.find('\n') == std::string_view::npos) {
        if (!text.empty()) {
            out += ' ';
            out += text;
        }
        out += '\n';
        return;
    }
    out += '\n';
    while (true) {
        const std::string_view::size_type end = text.find('\n');
        out += kIndent;
        out += text.substr(0, end);
        out += '\n';
        if (end == std::string_view::npos) {
            return;
        }
        text.remove_prefix(end + 1);
    }
}

}  // namespace

std::string formatDelayScan(const DelayScanOutcome& scan) {
    std::string table;
    char line[64];
    for (std::size_t i = 0; i < scan.delays.size(); ++i) {
        std::snprintf(line, sizeof line, "%sDelay %d: %f", i == 0 ? "" : "\n", scan.delays[i],
                      scan.fitness[i]);
        table += line;
    }
    std::string out;
    appendField(out, "Delay Scan", table);
    std::snprintf(line, sizeof line, "%d", scan.bestDelay);
    appendField(out, "Best Delay", line);
    return out;
}

std::string formatStatisticsReport(const RunStatistics& statistics) {
    std::string out;
    if (statistics.coefficients) {
        appendField(out, "Coefficients", coefficientTableText(*statistics.coefficients));
    }
    std::vector<LabelledText> texts;
    if (statistics.fit) {
        texts = fitStatisticsTexts(*statistics.fit);
    }
    if (statistics.tests) {
        const std::vector<LabelledText> tests = linearityTestsTexts(*statistics.tests);
        texts.insert(texts.end(), tests.begin(), tests.end());
    }
    for (const LabelledText& text : texts) {
        appendField(out, text.label, text.text);
    }
    if (statistics.comparison) {
        appendField(out, "Model Comparison", modelComparisonText(*statistics.comparison));
    }
    return out;
}

bool usesGeneticSearch(const RunSettings& settings) {
    return settings.model.selectModel == kSelectModelSearch &&
           settings.ga.searchMethod == kSearchGenetic;
}

std::string formatTextReport(const ResultTexts& texts, const RunOutcome& outcome,
                             const RunSettings& settings) {
    std::string out;
    char line[64];
    if (usesGeneticSearch(settings)) {
        std::snprintf(line, sizeof line, "Seed: %u\n", static_cast<unsigned>(outcome.seed));
        out += line;
    }
    for (const ResultField& field : resultFields()) {
        appendField(out, field.label, texts.*field.text);
        // The exact optimum's fitness, when asked for, right below the search's own.
        if (field.text == &ResultTexts::fitnessText && outcome.exactFitness) {
            std::snprintf(line, sizeof line, "%f", *outcome.exactFitness);
            appendField(out, "Exact Fitness", line);
        }
    }
    return out;
}

}  // namespace kavri::cli
