#pragma once

// The statistics that kavri-cli adds to a run's report: always the coefficient table and the
// fit statistics of the reported model; on request the linearity tests and the model
// comparison.

#include <cstdint>
#include <functional>
#include <optional>

#include "cli/options.h"
#include "inference/coefficient_table.h"
#include "inference/diagnostics.h"
#include "inference/fit_statistics.h"
#include "inference/linearity_tests.h"
#include "inference/model_comparison.h"
#include "inference/threshold_interval.h"

namespace kavri::cli {

struct RunStatistics {
    std::optional<CoefficientTable> coefficients;
    std::optional<FitStatistics> fit;
    std::optional<ModelDiagnostics> diagnostics;
    std::optional<LinearityTests> tests;
    std::optional<ModelComparison> comparison;
    // The likelihood-ratio interval of each threshold of the reported model.
    std::vector<ThresholdConfidence> thresholdIntervals;
    // After a search with more than one regime allowed: the comparison at the model's delay,
    // behind the line on whether BIC and the sup-F tests support the number of regimes.
    std::optional<ModelComparison> regimeSupport;
    int chosenRegimes = 0;
    // False while the diagnostics, intervals and support line are left out (a summary's).
    bool complete = false;
};

// Progress of the statistics: the bootstrap's replicates, the model comparison's delays.
struct StatisticsProgress {
    ReplicateProgress replicates;
    std::function<void(int done, int total)> comparison;
};

// The seed of the bootstrap: --seed when given, else the seed the genetic search started from
// (so that "--seed S" with the printed seed repeats both), else `clockSeed`.
std::uint64_t bootstrapSeed(const CliRequest& request, const RunOutcome& outcome,
                            std::uint64_t clockSeed);

// How much of the statistics a caller shows. A report (the text, the JSON) shows all of them;
// a summary row only the fit statistics and the tests, so the rest (diagnostics, the
// thresholds' confidence intervals and the comparison behind the regimes' support line, which
// costs many times the exact search itself) is left for completeRunStatistics to add when
// someone asks for it.
enum class StatisticsDetail { kReport, kSummary };

// What `request` asks for after a run that reported a model with `settings` (as the run left
// them). The notice is the model comparison's.
Result<RunStatistics> computeRunStatistics(const CliRequest& request, const RunSettings& settings,
                                           const RunOutcome& outcome, std::uint64_t seed,
                                           const StatisticsProgress& progress,
                                           StatisticsDetail detail = StatisticsDetail::kReport);

// Adds to statistics made with StatisticsDetail::kSummary what a report shows besides; the
// same numbers as computeRunStatistics with kReport, bit for bit.
void completeRunStatistics(RunStatistics& statistics, const CliRequest& request,
                           const RunSettings& settings, const RunOutcome& outcome);

// Whether the run searched the thresholds with the random genetic algorithm.
bool usesGeneticSearch(const RunSettings& settings);

}  // namespace kavri::cli
