#include "run/given_thresholds.h"

#include "report/model_texts.h"

namespace kavri {

Result<double> estimateGivenThresholds(const EvaluationContext& context, const double* x,
                                       const double* sortedSeries, int nThresholds,
                                       const UserThresholds& userThresholds, const int* sortOrder,
                                       int n, int maxOrder, int delay, int iteration) {
    EvaluationFiles files(context.files);
    if (MaybeNotice notice = files.openResiduals()) {
        return *notice;
    }

    ThresholdSplit split;
    split.ranges.n = n;
    split.ranges.nThresholds = nThresholds;
    for (int i = 0; i < nThresholds; ++i) {
        int position = -1;
        for (int j = 0; j < n; ++j) {
            if (sortedSeries[j] == userThresholds[i]) {
                position = j;  // the last equal rank wins
            }
        }
        if (position < 0) {
            return errorNotice("Element of series do not exist");
        }
        split.ranges.bounds[i] = position;
        split.values[i] = userThresholds[i];
    }

    if (iteration == kReportingIteration) {
        writeThresholdText(nThresholds, split.values, context.texts);
        context.observer.refresh(context.texts);
    }
    const FittingProblem problem = givenThresholdsProblem(context.settings, x, sortOrder, n,
                                                          maxOrder, delay, context.thresholdSeries);
    Result<EvaluatedFitness> evaluated =
        evaluateSplit(context, problem, split, iteration, "%.3f", files);
    if (!evaluated.ok()) {
        return evaluated.notice();
    }
    return evaluated.value().fitness;
}

}  // namespace kavri
