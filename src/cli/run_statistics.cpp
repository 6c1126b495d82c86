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

Result<RunStatistics> computeRunStatistics(const CliRequest& request, const RunSettings& settings,
                                           const RunOutcome& outcome, std::uint64_t seed,
                                           const StatisticsProgress& progress) {
    const ReportedModel& model = outcome.model;
    assert(model.available);
    RunStatistics statistics;
    statistics.coefficients = coefficientTable(
        model, request.robust ? StandardErrorKind::kHc1 : StandardErrorKind::kClassical);
    statistics.fit = fitStatistics(model, *statistics.coefficients);
    statistics.diagnostics = modelDiagnostics(model);
    statistics.thresholdIntervals =
        thresholdConfidence(model, request.thresholdLevel, settings.model.minObs);
    if (request.tests) {
        LinearityTestSettings testSettings = linearityTestSettings(settings.model);
        if (request.testOrder) {
            testSettings.order = *request.testOrder;
        }
        if (request.testMinObs) {
            testSettings.minObs = *request.testMinObs;
        }
        testSettings.replicates = request.bootstrapReplicates;
        // The sample is arranged by the run's threshold variable.
        testSettings.thresholdVariable = model.thresholdVariable;
        if (model.thresholdVariable == ThresholdVariableKind::kColumn) {
            testSettings.exogenous = model.thresholdSeries.data();
        }
        testSettings.seed = seed;
        statistics.tests = runLinearityTests(model.series.data(), settings.model.nObservations,
                                             testSettings, progress.replicates);
    }
    statistics.chosenRegimes = static_cast<int>(model.regimes.size());
    // The comparison fits models of the default form only: no support line for another form.
    // It ranks the run's threshold variable.
    ComparisonOptions onVariable;
    if (!model.thresholdSeries.empty()) {
        onVariable.thresholdSeries = &model.thresholdSeries;
        onVariable.thresholdStart =
            model.thresholdVariable == ThresholdVariableKind::kDifference ? 1 : 0;
    }
    if (settings.model.selectModel == kSelectModelSearch && settings.model.maxRegimes > 1 &&
        settings.form.isDefault()) {
        ComparisonOptions atDelay = onVariable;
        atDelay.delay = model.delay;
        atDelay.candidates = request.run.exactCandidates;
        // A line of support, not a result: a comparison that cannot be made leaves it out.
        Result<ModelComparison> support = compareModels(settings, model.series, atDelay);
        if (support.ok()) {
            statistics.regimeSupport = support.value();
        }
    }
    if (request.compareModels) {
        ComparisonOptions everyDelay = onVariable;
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
