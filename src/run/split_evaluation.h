#pragma once

// What the chromosome evaluation and the estimation at given thresholds share: the context
// they run in and the evaluation of a model once its thresholds are placed among the ranks,
// with its files and, in reporting mode, its texts. The model itself is scored by the one
// evaluation of a split (estimation/split_score.h).

#include <array>

#include "estimation/fitness.h"
#include "estimation/information_criterion.h"
#include "estimation/split_score.h"
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
    // Off for the evaluations of a search, which replace no file (search_files.h).
    bool writeFiles = true;
    // The threshold variable beside the series (null: the series itself) and its sorted values
    // (null: read through the ranks), from which the thresholds of a chromosome are taken.
    const double* thresholdSeries = nullptr;
    const double* sortedThresholds = nullptr;
};

// The thresholds of a model: its regimes as rank ranges, and the threshold values in the order
// in which the regimes test them.
struct ThresholdSplit {
    RankRanges ranges;
    std::array<double, kMaxThresholdCount> values{};
};

// The fitness of an evaluation as shown, and the log-fitness that searches rank by (fitness.h).
struct EvaluatedFitness {
    double fitness = 0.0;
    double logFitness = kNoLogFitness;
};

// Scores the split (split_score.h), forecasts the held-out values, fits the whole series and,
// in reporting mode, reports, with the Ljung-Box statistic in `ljungBoxFormat`. The new
// Residuals.txt is started in `files` already; when a model is estimated, both result files
// are committed here. The fitness, 0.0 when a least-squares fit meets a singular matrix
// (nothing is committed then), or the notice that ends the run: among them a result that is
// not a finite number, which is never shown.
Result<EvaluatedFitness> evaluateSplit(const EvaluationContext& context,
                                       const FittingProblem& problem, const ThresholdSplit& split,
                                       int iteration, const char* ljungBoxFormat,
                                       EvaluationFiles& files);

}  // namespace kavri
