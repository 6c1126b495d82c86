#include "cli/run_statistics.h"

#include <cassert>

namespace kavri::cli {

bool usesGeneticSearch(const RunSettings& settings) {
    return settings.model.selectModel == kSelectModelSearch &&
           settings.ga.searchMethod == kSearchGenetic;
}

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

void completeRunStatistics(RunStatistics& statistics, const CliRequest& request,
                           const RunSettings& settings, const RunOutcome& outcome) {
    if (statistics.complete) {
        return;
    }
    statistics.complete = true;
    const ReportedModel& model = outcome.model;
    statistics.diagnostics = modelDiagnostics(model);
    statistics.thresholdIntervals =
        thresholdConfidence(model, request.thresholdLevel, settings.model.minObs);
    // The support compares numbers of regimes, which one order per regime fixes: no line then.
    if (settings.model.selectModel == kSelectModelSearch && settings.model.maxRegimes > 1 &&
        !settings.form.ordersPerRegime()) {
        ComparisonOptions atDelay = comparisonOnThresholdVariable(model);
        atDelay.delay = model.delay;
        atDelay.candidates = request.run.exactCandidates;
        // A line of support, not a result: a comparison that cannot be made leaves it out.
        Result<ModelComparison> support = compareModels(settings, model.series, atDelay);
        if (support.ok()) {
            statistics.regimeSupport = support.value();
        }
    }
}

Result<RunStatistics> computeRunStatistics(const CliRequest& request, const RunSettings& settings,
                                           const RunOutcome& outcome, std::uint64_t seed,
                                           const StatisticsProgress& progress,
                                           StatisticsDetail detail) {
    const ReportedModel& model = outcome.model;
    assert(model.available);
    RunStatistics statistics;
    statistics.coefficients = coefficientTable(
        model, request.robust ? StandardErrorKind::kHc1 : StandardErrorKind::kClassical);
    statistics.fit = fitStatistics(model, *statistics.coefficients);
    if (request.tests) {
        // The tests have the model's form: its constant, trend and lags, and a model of one
        // fixed order is tested at it (the null is the linear AR of that order).
        LinearityTestSettings testSettings = linearityTestSettings(settings.model, settings.form);
        if (request.testOrder) {
            testSettings.order = *request.testOrder;
        }
        if (request.testMinObs) {
            testSettings.minObs = *request.testMinObs;
        }
        testSettings.replicates = request.bootstrapReplicates;
        // The sample is arranged by the run's threshold variable.
        arrangeByThresholdVariable(testSettings, model);
        testSettings.seed = seed;
        statistics.tests = runLinearityTests(model.series.data(), settings.model.nObservations,
                                             testSettings, progress.replicates);
    }
    statistics.chosenRegimes = static_cast<int>(model.regimes.size());
    if (detail == StatisticsDetail::kReport) {
        completeRunStatistics(statistics, request, settings, outcome);
    }
    if (request.compareModels) {
        ComparisonOptions everyDelay = comparisonOnThresholdVariable(model);
        everyDelay.candidates = request.run.exactCandidates;
        everyDelay.progress = progress.comparison;
        Result<ModelComparison> comparison = compareModels(settings, model.series, everyDelay);
        if (!comparison.ok()) {
            return comparison.notice();
        }
        statistics.comparison = comparison.value();
    }
    return statistics;
}

}  // namespace kavri::cli
