#include "cli/run_statistics.h"

#include <cassert>

#include "cli/text_output.h"

namespace kavri::cli {

std::uint64_t bootstrapSeed(const CliRequest& request, const RunOutcome& outcome,
                            std::uint64_t clockSeed) {
    if (request.run.seed) {
        return *request.run.seed;
    }
    if (usesGeneticSearch(request.settings)) {
        return outcome.seed;
    }
    return clockSeed;
}

Result<RunStatistics> computeRunStatistics(const CliRequest& request, const RunSettings& settings,
                                           const RunOutcome& outcome, std::uint64_t seed,
                                           const ReplicateProgress& progress) {
    const ReportedModel& model = outcome.model;
    assert(model.available);
    RunStatistics statistics;
    statistics.coefficients = coefficientTable(
        model, request.robust ? StandardErrorKind::kHc1 : StandardErrorKind::kClassical);
    statistics.fit = fitStatistics(model, *statistics.coefficients);
    if (request.tests) {
        LinearityTestSettings testSettings = linearityTestSettings(settings.model);
        if (request.testOrder) {
            testSettings.order = *request.testOrder;
        }
        testSettings.replicates = request.bootstrapReplicates;
        testSettings.seed = seed;
        statistics.tests = runLinearityTests(model.series.data(), settings.model.nObservations,
                                             testSettings, progress);
    }
    if (request.compareModels) {
        Result<ModelComparison> comparison = compareModels(settings, model.series);
        if (!comparison.ok()) {
            return comparison.notice();
        }
        statistics.comparison = comparison.value();
    }
    return statistics;
}

}  // namespace kavri::cli
