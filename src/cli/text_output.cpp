#include "cli/text_output.h"

#include <cstdio>
#include <string_view>

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

bool usesGeneticSearch(const RunSettings& settings) {
    return settings.model.selectModel == kSelectModelGeneticSearch &&
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
    appendField(out, "Iteration", texts.iterationText);
    appendField(out, "Fitness", texts.fitnessText);
    if (outcome.exactFitness) {
        std::snprintf(line, sizeof line, "%f", *outcome.exactFitness);
        appendField(out, "Exact Fitness", line);
    }
    appendField(out, "Parameter Estimate 1", texts.estimatePanel1);
    appendField(out, "Parameter Estimate 2", texts.estimatePanel2);
    appendField(out, "Parameter Estimate 3", texts.estimatePanel3);
    appendField(out, "Parameter Estimate 4", texts.estimatePanel4);
    appendField(out, "Variance", texts.varianceText);
    appendField(out, "Residual Variance", texts.residualVarianceText);
    appendField(out, "NAIC", texts.naicText);
    appendField(out, "AIC", texts.aicText);
    appendField(out, "MSE", texts.mseText);
    appendField(out, "Ljung-Box", texts.ljungBoxText);
    appendField(out, "Observation", texts.observationText);
    appendField(out, "Threshold", texts.thresholdText);
    appendField(out, "Variance of Regime", texts.regimeVarianceText);
    appendField(out, "R Square", texts.rSquareText);
    return out;
}

}  // namespace kavri::cli
