#include "run/split_evaluation.h"

#include <cmath>

#include "estimation/model_summary.h"
#include "report/model_texts.h"
#include "estimation/regime_estimation.h"
#include "estimation/series_statistics.h"
#include "model/notices.h"
#include "report/predictions_file.h"

namespace kavri {

Result<double> evaluateSplit(const EvaluationContext& context, const double* x,
                             const int* sortOrder, const ThresholdSplit& split, int n,
                             int maxOrder, int delay, int iteration, const EvaluationRules& rules,
                             ResidualsFile& residuals) {
    const ModelParameters& modelSettings = context.settings.model;
    const GaParameters& ga = context.settings.ga;
    const bool reporting = iteration == kReportingIteration;

    FittedModel model(maxOrder);
    model.nRegimes = split.ranges.regimeCount();
    model.thresholdValues = split.values;

    OrderSearch search;
    search.n = n;
    search.maxOrder = maxOrder;
    search.delay = delay;
    search.initialBestAic = rules.initialBestAic;
    search.stopAtFirstNonImprovement =
        rules.applyCriterion && ga.criterion == kCriterionRelative;

    std::array<RegimeFit, kMaxRegimeCount> fits{};
    if (estimateRegimes(x, sortOrder, split.ranges, search, model, fits) ==
        FitStatus::kSingular) {
        return 0.0;
    }

    ModelSummary summary = summariseRegimes(fits, model.nRegimes);
    // Without a tried order (maxOrder 1) no observation is fitted and NAIC would be 0/0.
    if (summary.effectiveObservations == 0) {
        return noEffectiveObservationsNotice();
    }

    const int nPredictions = modelSettings.nPredictions;
    HoldoutForecasts holdout;
    if (nPredictions != 0) {
        holdout = forecastHoldout(x, n, model, nPredictions, delay);
        if (MaybeNotice notice =
                writePredictionsFile(context.files.predictionsPath(), holdout,
                                     context.files.files())) {
            return *notice;
        }
        summary.forecastMse = holdout.mse;
    }

    if (!rules.fitnessFromSettings) {
        summary.fitness = std::exp(-summary.naic);
    } else if (ga.fitnessKind == kFitnessAic) {
        summary.fitness = std::exp(-summary.naic / ga.adjustingConstant);
    } else if (nPredictions != 0) {
        summary.fitness = std::exp(-(1.0 + *summary.forecastMse));
    } else {
        return noForecastsNotice();
    }

    DVector residual = dvector(0, n);
    DVector fitted = dvector(0, n);
    fitWholeSeries(x, n, maxOrder, delay, model, residual.data(), fitted.data());
    if (reporting && ga.printResiduals == kPrintResidualsYes) {
        residuals.writeTable(x, fitted.data(), residual.data(), n);
    }

    const int nLags = modelSettings.nAutocorrelations;
    DVector acf = dvector(0, nLags);
    autocorrelations(acf.data(), n, residual.data(), nLags);
    summary.ljungBox = ljungBoxStatistic(acf.data(), n, nLags);

    if (reporting) {
        const ReportedModel reported = describeModel(model, fits, summary);
        reportModel(split.ranges.nThresholds, model, reported, rules.ljungBoxFormat, context.texts,
                    context.observer);
        if (context.reported != nullptr) {
            *context.reported = reported;
            ReportedModel& data = *context.reported;
            data.delay = delay;
            data.maxOrder = maxOrder;
            data.series.assign(x, x + n + nPredictions);
            data.regimeOfObservation.assign(static_cast<std::size_t>(n), -1);
            for (int r = 0; r < model.nRegimes; ++r) {
                for (int h = split.ranges.begin(r); h < split.ranges.end(r); ++h) {
                    const int t = sortOrder[h] + delay;
                    if (t >= maxOrder - 1 && t <= n - 1) {
                        data.regimeOfObservation[t] = r;
                    }
                }
            }
            data.fitted.assign(fitted.data(), fitted.data() + n);
            data.residuals.assign(residual.data(), residual.data() + n);
            data.autocorrelations.assign(acf.data(), acf.data() + nLags + 1);
            data.holdoutForecasts = holdout.forecast;
        }
    }
    return summary.fitness;
}

Result<double> closeAndReturn(ResidualsFile& residuals, Result<double> result) {
    MaybeNotice closed = residuals.close();
    if (closed && result.ok()) {
        return *closed;
    }
    return result;
}

}  // namespace kavri
