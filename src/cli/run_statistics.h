#pragma once

// The statistics that kavri-cli adds to a run's report: always the coefficient table and the
// fit statistics of the reported model; on request the linearity tests and the model
// comparison.

#include <cstdint>
#include <optional>

#include "cli/options.h"
#include "inference/coefficient_table.h"
#include "inference/fit_statistics.h"
#include "inference/linearity_tests.h"
#include "inference/model_comparison.h"

namespace kavri::cli {

struct RunStatistics {
    std::optional<CoefficientTable> coefficients;
    std::optional<FitStatistics> fit;
    std::optional<LinearityTests> tests;
    std::optional<ModelComparison> comparison;
};

// The seed of the bootstrap: --seed when given, else the seed the genetic search started from
// (so that "--seed S" with the printed seed repeats both), else `clockSeed`.
std::uint64_t bootstrapSeed(const CliRequest& request, const RunOutcome& outcome,
                            std::uint64_t clockSeed);

// What `request` asks for after a run that reported a model with `settings` (as the run left
// them). The notice is the model comparison's.
Result<RunStatistics> computeRunStatistics(const CliRequest& request, const RunSettings& settings,
                                           const RunOutcome& outcome, std::uint64_t seed,
                                           const ReplicateProgress& progress);

}  // namespace kavri::cli
