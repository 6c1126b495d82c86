#pragma once

// Plain-text forms of the statistics of a run, shared by the command line and the desktop
// program's Statistics window: a label and a text for each item, the text one line or several.
// Undefined values show as "NA".

#include <string>
#include <vector>

#include "inference/coefficient_table.h"
#include "inference/diagnostics.h"
#include "inference/fit_statistics.h"
#include "inference/linearity_tests.h"
#include "inference/model_comparison.h"
#include "inference/threshold_interval.h"

namespace kavri {

struct LabelledText {
    std::string label;
    std::string text;
};

// The coefficient table, one block per regime with R's column names, and a closing line that
// says which standard errors they are.
std::string coefficientTableText(const CoefficientTable& table);

// Log-Likelihood, BIC and Ljung-Box p, each stating its formula or degrees of freedom (the AIC
// that the BIC refers to is one of the run's own texts).
std::vector<LabelledText> fitStatisticsTexts(const FitStatistics& statistics);

// The diagnostics after a fit: Characteristic Roots (with "possible unit root in regime r"),
// Skeleton (its long-run behaviour), McLeod-Li and Ljung-Box by Lag (a table).
std::vector<LabelledText> diagnosticsTexts(const ModelDiagnostics& diagnostics);

// "regime 3: 32 observations for 20 parameters".
std::string sparseRegimeText(const SparseRegime& regime);

// The likelihood-ratio interval of each threshold, one line each ("1: 0.075416 in
// [-0.021002, 0.116780] at 95%"), then how it was found.
std::string thresholdConfidenceText(const std::vector<ThresholdConfidence>& intervals);

// The settings line, the three sup-F tests and Tsay's test.
// The tests' form beside their order when it is not a constant and the lags 1 .. p, as
// " (lags 1, 2, 12; no constant)" or " (with trend)"; empty for the default.
std::string testFormText(const LinearityTestSettings& settings);
std::vector<LabelledText> linearityTestsTexts(const LinearityTests& tests);

// The common sample, then one row per model with the best row of each criterion marked.
std::string modelComparisonText(const ModelComparison& comparison);

// Whether the number of regimes a search chose is the one BIC prefers among the comparison's
// rows at the model's delay (`atDelay`: compareModels with that delay), and with `tests` the
// sup-F tests that bear on it: "2 regimes chosen; BIC prefers 2 regimes (delay 2); sup-F 1v2
// p < 0.001, 2v3 p = 0.37".
std::string regimeSupportText(int chosenRegimes, const ModelComparison& atDelay,
                              const LinearityTests* tests);

}  // namespace kavri
