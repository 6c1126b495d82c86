#include "run/model_selection.h"

#include <vector>

#include "run/run_storage.h"
#include "run/series_loading.h"

namespace kavri {

Result<CriterionSelection> selectByCriterion(RunSettings& settings, SelectionCriterion criterion,
                                             const ComparisonOptions& options) {
    const int n = settings.model.nObservations;
    const int nPredictions = settings.model.nPredictions;
    RunStorage storage(n, 0, nPredictions);
    SeriesSample sample;
    if (MaybeNotice notice = loadRunSeries(settings, storage, sample)) {
        return *notice;
    }
    const std::vector<double> series(storage.series.data(),
                                     storage.series.data() + n + nPredictions);
    // Every order is tried in each regime, as the estimation at given thresholds does, so
    // that the model reported is the row chosen.
    RunSettings compared = settings;
    compared.ga.criterion = kCriterionAbsolute;
    // The comparison ranks the run's threshold variable.
    const std::vector<double> thresholdSeries(storage.thresholdSeries.data(),
                                              storage.thresholdSeries.data() + n + nPredictions);
    ComparisonOptions ranked = options;
    if (!settings.thresholdVariable.isOwn()) {
        ranked.thresholdSeries = &thresholdSeries;
        ranked.thresholdStart =
            settings.thresholdVariable.kind == ThresholdVariableKind::kDifference ? 1 : 0;
    }
    Result<ModelComparison> comparison = compareModels(compared, series, ranked);
    if (!comparison.ok()) {
        return comparison.notice();
    }
    CriterionSelection selection;
    selection.comparison = comparison.value();
    if (!selection.comparison.completed) {
        return selection;
    }
    selection.bestRow = criterion == SelectionCriterion::kBic ? selection.comparison.bestBic
                                                              : selection.comparison.bestAic;
    if (selection.bestRow < 0) {
        return selection;
    }
    const ComparisonRow& row =
        selection.comparison.rows[static_cast<std::size_t>(selection.bestRow)];
    settings.ga.criterion = kCriterionAbsolute;
    if (row.regimes == 1) {
        // The linear autoregression: the search with one regime allowed finds only it.
        settings.model.maxRegimes = 1;
        settings.ga.searchMethod = kSearchExact;
        settings.ga.fitnessKind = kFitnessAic;
        return selection;
    }
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.delay = row.delay;
    settings.model.nThresholds = static_cast<int>(row.thresholds.size());
    for (std::size_t i = 0; i < row.thresholds.size(); ++i) {
        settings.model.thresholds[i] = row.thresholds[i];
    }
    return selection;
}

}  // namespace kavri
