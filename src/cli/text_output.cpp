#include "cli/text_output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "model/result_fields.h"
#include "model/text_format.h"
#include "report/forecasts_file.h"
#include "report/statistics_text.h"
#include "run/fitness_text.h"

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

// Appends `cell`, right-aligned in `width` columns; a cell as wide as that or wider (a number
// of some millions) still gets a blank before it, so that no two cells run together.
void appendCell(std::string& line, const char* cell, int width) {
    const int length = static_cast<int>(std::char_traits<char>::length(cell));
    line.append(static_cast<std::size_t>(std::max(length >= width ? 1 : width - length, 0)), ' ');
    line += cell;
}

// One line of a table: the step in six columns, the date (when `dates` has one per step) in
// `dateWidth`, then each value in fourteen.
std::string tableLine(const std::vector<std::string>& names, int step,
                      const std::vector<double>& values,
                      const std::vector<std::string>* dates = nullptr, int dateWidth = 0) {
    char cell[64];
    std::string line;
    if (step == 0) {
        for (std::size_t c = 0; c < names.size(); ++c) {
            appendCell(line, names[c].c_str(), c == 0 ? 6 : 14);
            if (c == 0 && dates != nullptr) {
                appendCell(line, "Date", dateWidth);
            }
        }
        return line;
    }
    std::snprintf(cell, sizeof cell, "%d", step);
    appendCell(line, cell, 6);
    if (dates != nullptr) {
        appendCell(line, (*dates)[static_cast<std::size_t>(step - 1)].c_str(), dateWidth);
    }
    for (double value : values) {
        if (std::isfinite(value)) {
            std::snprintf(cell, sizeof cell, "%.6f", value);
        } else {
            std::snprintf(cell, sizeof cell, "%s", "NA");
        }
        appendCell(line, cell, 14);
    }
    return line;
}

// `dates` when it has one date per step, else null (no Date column).
const std::vector<std::string>* datesOfSteps(const std::vector<std::string>& dates, int steps) {
    return !dates.empty() && dates.size() == static_cast<std::size_t>(steps) ? &dates : nullptr;
}

// The width of the Date column: its widest cell and two blanks; 0 without dates.
int dateColumnWidth(const std::vector<std::string>* dates) {
    if (dates == nullptr) {
        return 0;
    }
    std::size_t widest = std::string_view("Date").size();
    for (const std::string& date : *dates) {
        widest = std::max(widest, date.size());
    }
    return static_cast<int>(widest) + 2;
}

}  // namespace

std::string formatForecastReport(const ForecastOutcome& outcome) {
    const ForecastResult& forecasts = outcome.forecasts;
    std::string out;
    char text[128];
    if (forecasts.simulated()) {
        std::snprintf(text, sizeof text, "%s, %d paths, seed %llu",
                      forecastMethodName(forecasts.method), forecasts.nPaths,
                      static_cast<unsigned long long>(forecasts.seed));
    } else {
        std::snprintf(text, sizeof text, "%s", forecastMethodName(forecasts.method));
    }
    appendField(out, "Forecast Method", text);

    const std::vector<std::string> names = forecastColumnNames(forecasts);
    // The dates of the steps, as Forecasts.txt gives them, when the series file has dates.
    const std::vector<std::string>* dates = datesOfSteps(outcome.dates, forecasts.horizon());
    const int dateWidth = dateColumnWidth(dates);
    std::string table = tableLine(names, 0, {}, dates, dateWidth);
    for (int h = 1; h <= forecasts.horizon(); ++h) {
        table += "\n" + tableLine(names, h, forecastRowValues(forecasts, h), dates, dateWidth);
    }
    appendField(out, "Forecasts", table);

    if (outcome.holdout) {
        const HoldoutCheck& check = *outcome.holdout;
        const std::vector<std::string> checkNames{"Step", "Observed", "Forecast", "Error",
                                                  "RMSE", "MAE",      "MAPE"};
        // The dates of the held-out values, when the series file has dates.
        const std::vector<std::string>* checkDates =
            datesOfSteps(outcome.holdoutDates, check.forecasts.horizon());
        const int checkDateWidth = dateColumnWidth(checkDates);
        std::string checkTable = tableLine(checkNames, 0, {}, checkDates, checkDateWidth);
        for (int h = 1; h <= check.forecasts.horizon(); ++h) {
            const std::size_t i = static_cast<std::size_t>(h - 1);
            checkTable +=
                "\n" + tableLine(checkNames, h,
                                 {check.observed[i], check.forecasts.point[i], check.error[i],
                                  check.rmse[i], check.mae[i], check.mape[i]},
                                 checkDates, checkDateWidth);
        }
        appendField(out, "Dynamic Check", checkTable);
    }
    return out;
}

std::string formatSimulationReport(const CliRequest& request) {
    char text[64];
    std::snprintf(text, sizeof text, "%d values with %s innovations, seed %llu, written to ",
                  request.simulateLength, forecastMethodName(request.forecast.method),
                  static_cast<unsigned long long>(request.forecast.seed));
    std::string out;
    appendField(out, "Simulated Series", text + request.simulatePath);
    return out;
}

std::string formatDelayScan(const DelayScanOutcome& scan) {
    std::string table;
    char line[160];
    const bool criteria =
        scan.aic.size() == scan.delays.size() && scan.bic.size() == scan.delays.size();
    for (std::size_t i = 0; i < scan.delays.size(); ++i) {
        // A fitness that underflows shows the log-fitness the delays were compared by.
        const double logFitness =
            i < scan.logFitness.size() ? scan.logFitness[i] : kNoLogFitnessShown;
        table += formatText("%sDelay %d: %s", i == 0 ? "" : "\n", scan.delays[i],
                            fitnessText(scan.fitness[i], logFitness).c_str());
        if (criteria && scan.aic[i] && scan.bic[i]) {
            std::snprintf(line, sizeof line, "  (AIC %.4f, BIC %.4f)", *scan.aic[i], *scan.bic[i]);
            table += line;
        }
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
    if (statistics.diagnostics) {
        const std::vector<LabelledText> diagnostics = diagnosticsTexts(*statistics.diagnostics);
        texts.insert(texts.end(), diagnostics.begin(), diagnostics.end());
    }
    if (statistics.tests) {
        const std::vector<LabelledText> tests = linearityTestsTexts(*statistics.tests);
        texts.insert(texts.end(), tests.begin(), tests.end());
    }
    for (const LabelledText& text : texts) {
        appendField(out, text.label, text.text);
    }
    if (statistics.regimeSupport) {
        appendField(out, "Regimes Support",
                    regimeSupportText(statistics.chosenRegimes, *statistics.regimeSupport,
                                      statistics.tests ? &*statistics.tests : nullptr));
    }
    if (statistics.comparison) {
        appendField(out, "Model Comparison", modelComparisonText(*statistics.comparison));
    }
    return out;
}

std::string formatTextReport(const ResultTexts& texts, const RunOutcome& outcome,
                             const RunSettings& settings, const RunStatistics* statistics) {
    std::string out;
    char line[64];
    if (usesGeneticSearch(settings)) {
        std::snprintf(line, sizeof line, "Seed: %u\n", static_cast<unsigned>(outcome.seed));
        out += line;
    }
    if (outcome.exactScope && !outcome.exactScope->everyValue) {
        char scope[160];
        std::snprintf(scope, sizeof scope,
                      "Threshold Candidates: %d of the %d values, at evenly spaced ranks; the "
                      "exact search is exact over these (--candidates)\n",
                      outcome.exactScope->candidates, settings.model.nObservations - 1);
        out += scope;
    }
    // One line naming what differs from the default model's form, its parts separated by
    // semicolons; none for the default.
    if (!settings.form.isDefault()) {
        const ModelForm& form = settings.form;
        std::vector<std::string> parts;
        if (form.ordersFixed()) {
            std::string orders = "orders fixed at";
            for (int i = 0; i < form.nFixedOrders; ++i) {
                orders += (i == 0 ? " " : ", ") + std::to_string(form.fixedOrders[i]);
            }
            parts.push_back(orders + (form.nFixedOrders == 1 ? " in every regime" : ""));
        }
        if (form.lagsGiven()) {
            std::string lags = "lags";
            for (int i = 0; i < form.nLags; ++i) {
                lags += (i == 0 ? " " : ", ") + std::to_string(form.lags[i]);
            }
            parts.push_back(lags + (form.ordersFixed() ? "" : " in every regime"));
        }
        if (!form.constant) {
            parts.push_back("no constant (reported as 0)");
        } else if (form.trend) {
            parts.push_back("constant and linear trend t (t = 1 at the sample's first value)");
        }
        out += "Model Form:";
        for (std::size_t i = 0; i < parts.size(); ++i) {
            out += (i == 0 ? " " : "; ") + parts[i];
        }
        out += "\n";
    }
    // One line naming the threshold variable when it is not the series' own lagged value.
    if (!settings.thresholdVariable.isOwn()) {
        out += "Threshold Variable: ";
        out += settings.thresholdVariable.isColumn() ? "column " : "change of the series, ";
        // The model's own words (a column by its header name), else the settings'.
        out += !outcome.model.thresholdVariableText.empty()
                   ? outcome.model.thresholdVariableText
                   : thresholdVariableText(settings.thresholdVariable, outcome.model.delay > 0
                                                                           ? outcome.model.delay
                                                                           : settings.model.delay);
        out += "\n";
    }
    for (const ResultField& field : resultFields()) {
        appendField(out, field.label, texts.*field.text);
        // The exact optimum's fitness, when asked for, right below the search's own.
        if (field.text == &ResultTexts::fitnessText && outcome.exactFitness) {
            appendField(out, "Exact Fitness",
                        fitnessText(*outcome.exactFitness,
                                    outcome.exactLogFitness.value_or(kNoLogFitnessShown)));
        }
        if (field.text == &ResultTexts::thresholdText && statistics != nullptr &&
            !statistics->thresholdIntervals.empty()) {
            appendField(out, "Threshold Confidence",
                        thresholdConfidenceText(statistics->thresholdIntervals));
        }
    }
    return out;
}

}  // namespace kavri::cli
