#pragma once

// What the chromosome evaluation and the estimation at given thresholds share: the context
// they run in and the evaluation of a model once its thresholds are placed among the ranks.

#include <array>

#include "estimation/information_criterion.h"
#include "model/fitted_model.h"
#include "model/notice.h"
#include "model/rank_ranges.h"
#include "model/reported_model.h"
#include "model/result_texts.h"
#include "model/run_settings.h"
#include "report/evaluation_files.h"
#include "report/result_files.h"

namespace kavri {

// The iteration value that selects the reporting mode: texts, panels and residual table.
inline constexpr int kReportingIteration = -1;

struct EvaluationContext {
    const RunSettings& settings;
    ResultTexts& texts;
    RunObserver& observer;
    ResultFiles files;
    ReportedModel* reported = nullptr;  // filled by a reporting evaluation when given
};

// The thresholds of a model: its regimes as rank ranges, and the threshold values in the order
// in which the regimes test them.
struct ThresholdSplit {
    RankRanges ranges;
    std::array<double, kMaxThresholdCount> values{};
};

// How the two callers differ.
struct EvaluationRules {
    double initialBestAic = kSearchInitialBestAic;
    bool applyCriterion = true;       // the order search honours the "Relative" criterion
    bool fitnessFromSettings = true;  // fitness kind and adjusting constant apply; else exp(-NAIC)
    const char* ljungBoxFormat = "%f";
};

// Estimates the regimes, forecasts the held-out values, fits the whole series and, in
// reporting mode, reports. The new Residuals.txt is started in `files` already; when a model is
// estimated, both result files are committed here. The fitness, 0.0 when a least-squares fit
// meets a singular matrix (nothing is committed then), or the notice that ends the run: among
// them a result that is not a finite number, which is never shown.
Result<double> evaluateSplit(const EvaluationContext& context, const double* x,
                             const int* sortOrder, const ThresholdSplit& split, int n, int maxOrder,
                             int delay, int iteration, const EvaluationRules& rules,
                             EvaluationFiles& files);

}  // namespace kavri
