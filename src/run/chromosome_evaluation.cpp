#include "run/chromosome_evaluation.h"

#include "report/model_texts.h"

namespace kavri {

namespace {

// The set genes start the regimes above the first. False when there are more set genes than
// thresholds a model can hold.
bool decodeChromosome(const double* x, const double* sortedThresholds, const int* chromosome,
                      const int* sortOrder, int n, ThresholdSplit& split) {
    split = ThresholdSplit{};
    RankRanges& ranges = split.ranges;
    ranges.n = n;
    for (int h = 0; h < n; ++h) {
        if (chromosome[h] >= 1) {
            if (ranges.nThresholds == kMaxThresholdCount) {
                return false;
            }
            ranges.bounds[ranges.nThresholds] = h;
            split.values[ranges.nThresholds] =
                sortedThresholds != nullptr ? sortedThresholds[h] : x[sortOrder[h]];
            ++ranges.nThresholds;
        }
    }
    return true;
}

}  // namespace

Result<EvaluatedFitness> evaluateChromosomeFitness(const EvaluationContext& context,
                                                   const double* x, const int* chromosome,
                                                   const int* sortOrder, int n, int maxOrder,
                                                   int delay, int iteration) {
    EvaluationFiles files(context.files);
    if (MaybeNotice notice = files.openResiduals()) {
        return *notice;
    }
    ThresholdSplit split;
    if (!decodeChromosome(x, context.sortedThresholds, chromosome, sortOrder, n, split)) {
        return EvaluatedFitness{};
    }
    if (iteration == kReportingIteration) {
        writeThresholdText(split.ranges.nThresholds, split.values, context.texts);
        context.observer.refresh(context.texts);
    }
    const FittingProblem problem =
        searchProblem(context.settings, x, sortOrder, n, maxOrder, delay, context.thresholdSeries);
    return evaluateSplit(context, problem, split, iteration, "%f", files);
}

Result<double> evaluateChromosome(const EvaluationContext& context, const double* x,
                                  const int* chromosome, const int* sortOrder, int n, int maxOrder,
                                  int delay, int iteration) {
    Result<EvaluatedFitness> evaluated =
        evaluateChromosomeFitness(context, x, chromosome, sortOrder, n, maxOrder, delay, iteration);
    if (!evaluated.ok()) {
        return evaluated.notice();
    }
    return evaluated.value().fitness;
}

}  // namespace kavri
