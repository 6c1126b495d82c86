#include "estimation/chromosome_evaluation.h"

#include "estimation/model_report.h"

namespace kavri {

namespace {

// Positions of the set genes, then n as the end of the last regime. False when there are more
// set genes than thresholds a model can hold.
bool decodeChromosome(const double* x, const int* chromosome, const int* sortOrder, int n,
                      ThresholdSplit& split) {
    split = ThresholdSplit{};
    for (int h = 0; h < n; ++h) {
        if (chromosome[h] >= 1) {
            if (split.nThresholds == kMaxThresholdCount) {
                return false;
            }
            split.regimeEnds[split.nThresholds] = h;
            split.values[split.nThresholds] = x[sortOrder[h]];
            ++split.nThresholds;
        }
    }
    split.regimeEnds[split.nThresholds] = n;
    return true;
}

}  // namespace

Result<double> evaluateChromosome(const EvaluationContext& context, const double* x,
                                  const int* chromosome, const int* sortOrder, int n,
                                  int maxOrder, int delay, int iteration) {
    ResidualsFile residuals;
    if (MaybeNotice notice = residuals.open(context.files.residualsPath())) {
        return *notice;
    }
    ThresholdSplit split;
    if (!decodeChromosome(x, chromosome, sortOrder, n, split)) {
        return closeAndReturn(residuals, 0.0);
    }
    if (iteration == kReportingIteration) {
        writeThresholdText(split.nThresholds, split.values, context.texts);
        context.observer.refresh(context.texts);
    }
    const EvaluationRules rules{1e13, true, true, "%f"};
    return closeAndReturn(residuals, evaluateSplit(context, x, sortOrder, split, n, maxOrder,
                                                   delay, iteration, rules, residuals));
}

}  // namespace kavri
