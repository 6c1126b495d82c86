#include "cli/model_selection.h"

#include <algorithm>
#include <vector>

#include "model/text_format.h"
#include "run/run_storage.h"
#include "run/series_loading.h"
#include "run/typed_thresholds.h"

namespace kavri::cli {

Result<ModelSelection> selectModel(CliRequest& request,
                                   const std::function<void(int done, int total)>& progress) {
    RunSettings& settings = request.settings;
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
    ComparisonOptions options;
    options.candidates = request.run.exactCandidates;
    options.progress = progress;
    // The comparison ranks the run's threshold variable.
    const std::vector<double> thresholdSeries(storage.thresholdSeries.data(),
                                              storage.thresholdSeries.data() + n + nPredictions);
    if (!settings.thresholdVariable.isOwn()) {
        options.thresholdSeries = &thresholdSeries;
        options.thresholdStart =
            settings.thresholdVariable.kind == ThresholdVariableKind::kDifference ? 1 : 0;
    }
    Result<ModelComparison> comparison = compareModels(compared, series, options);
    if (!comparison.ok()) {
        return comparison.notice();
    }
    ModelSelection selection;
    selection.comparison = comparison.value();
    const bool bic = request.select == SelectCriterion::kBic;
    selection.bestRow = bic ? selection.comparison.bestBic : selection.comparison.bestAic;
    const char* name = bic ? "BIC" : "AIC";
    if (selection.bestRow < 0) {
        return errorNotice(formatText(
            "--select %s: no model of the comparison could be fitted; lower --min-obs or "
            "--max-order",
            bic ? "bic" : "aic"));
    }
    const ComparisonRow& row =
        selection.comparison.rows[static_cast<std::size_t>(selection.bestRow)];
    settings.ga.criterion = kCriterionAbsolute;
    if (row.regimes == 1) {
        // The linear autoregression: the search with one regime allowed finds only it.
        settings.model.maxRegimes = 1;
        settings.ga.searchMethod = kSearchExact;
        settings.ga.fitnessKind = kFitnessAic;
        selection.remark = formatText(
            "--select %s: the comparison's lowest %s is the one-regime autoregression, which is "
            "reported",
            bic ? "bic" : "aic", name);
        return selection;
    }
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.delay = row.delay;
    settings.model.nThresholds = static_cast<int>(row.thresholds.size());
    std::string thresholds;
    for (std::size_t i = 0; i < row.thresholds.size(); ++i) {
        settings.model.thresholds[i] = row.thresholds[i];
        thresholds += (i == 0 ? "" : ",") + shortestText(row.thresholds[i]);
    }
    selection.remark = formatText(
        "--select %s: the comparison's lowest %s has %d regimes at delay %d; the model is "
        "estimated at its thresholds (--delay %d --thresholds %s)",
        bic ? "bic" : "aic", name, row.regimes, row.delay, row.delay, thresholds.c_str());
    return selection;
}

}  // namespace kavri::cli
