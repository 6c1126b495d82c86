#include "cli/model_selection.h"

#include <string>
#include <utility>

#include "model/text_format.h"
#include "run/model_selection.h"
#include "run/typed_thresholds.h"

namespace kavri::cli {

Result<ModelSelection> selectModel(CliRequest& request,
                                   const std::function<void(int done, int total)>& progress) {
    RunSettings& settings = request.settings;
    ComparisonOptions options;
    options.candidates = request.run.exactCandidates;
    options.progress = progress;
    const bool bic = request.select == SelectCriterion::kBic;
    Result<CriterionSelection> chosen = selectByCriterion(
        settings, bic ? SelectionCriterion::kBic : SelectionCriterion::kAic, options);
    if (!chosen.ok()) {
        return chosen.notice();
    }
    ModelSelection selection;
    selection.comparison = std::move(chosen.value().comparison);
    selection.bestRow = chosen.value().bestRow;
    const char* name = bic ? "BIC" : "AIC";
    if (selection.bestRow < 0) {
        return errorNotice(formatText(
            "--select %s: no model of the comparison could be fitted; lower --min-obs or "
            "--max-order",
            bic ? "bic" : "aic"));
    }
    const ComparisonRow& row =
        selection.comparison.rows[static_cast<std::size_t>(selection.bestRow)];
    if (row.regimes == 1) {
        selection.remark = formatText(
            "--select %s: the comparison's lowest %s is the one-regime autoregression, which is "
            "reported",
            bic ? "bic" : "aic", name);
        return selection;
    }
    std::string thresholds;
    for (std::size_t i = 0; i < row.thresholds.size(); ++i) {
        thresholds += (i == 0 ? "" : ",") + shortestText(row.thresholds[i]);
    }
    selection.remark = formatText(
        "--select %s: the comparison's lowest %s has %d regimes at delay %d; the model is "
        "estimated at its thresholds (--delay %d --thresholds %s)",
        bic ? "bic" : "aic", name, row.regimes, row.delay, row.delay, thresholds.c_str());
    return selection;
}

}  // namespace kavri::cli
