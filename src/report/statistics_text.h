#pragma once

// Plain-text forms of the statistics of a run, shared by the command line and the desktop
// program's Statistics window: a label and a text for each item, the text one line or several.
// Undefined values show as "NA".

#include <string>
#include <vector>

#include "inference/coefficient_table.h"
#include "inference/fit_statistics.h"
#include "inference/linearity_tests.h"
#include "inference/model_comparison.h"

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

// "regime 3: 32 observations for 20 parameters".
std::string sparseRegimeText(const SparseRegime& regime);

// The settings line, the three sup-F tests and Tsay's test.
std::vector<LabelledText> linearityTestsTexts(const LinearityTests& tests);

// The common sample, then one row per model with the best row of each criterion marked.
std::string modelComparisonText(const ModelComparison& comparison);

}  // namespace kavri
