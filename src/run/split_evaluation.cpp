#include "run/split_evaluation.h"

#include <cmath>
#include <limits>

#include "estimation/model_summary.h"
#include "estimation/series_statistics.h"
#include "model/notices.h"
#include "model/regime_rule.h"
#include "model/setar_equation.h"
#include "model/text_format.h"
#include "report/model_texts.h"
#include "run/finite_results.h"

namespace kavri {

namespace {

// Everything a reporting evaluation shows or writes, checked before any of it is: the model's
// numbers, the fit and its residuals, their autocorrelations and the forecasts.
MaybeNotice checkReport(const FiniteResults& finite, const ReportedModel& reported,
                        double adjustingConstant, const double* fitted, const double* residual,
                        int n, const double* acf, int nLags, const HoldoutForecasts& holdout) {
    if (MaybeNotice notice =
            finite.checkFitness(reported.fitness, reported.naic, adjustingConstant)) {
        return notice;
    }
    if (MaybeNotice notice = finite.check(reported)) {
        return notice;
    }
    const int nForecasts = static_cast<int>(holdout.forecast.size());
    if (MaybeNotice notice = finite.check(fitted, n, "the fitted value of observation %d")) {
        return notice;
    }
    if (MaybeNotice notice = finite.check(residual, n, "the residual of observation %d")) {
        return notice;
    }
    if (MaybeNotice notice =
            finite.check(acf + 1, nLags, "the residual autocorrelation at lag %d")) {
        return notice;
    }
    if (MaybeNotice notice =
            finite.check(holdout.forecast.data(), nForecasts, "held-out forecast %d")) {
        return notice;
    }
    return finite.check(holdout.error.data(), nForecasts, "the error of held-out forecast %d");
}

// The residuals of the regressions' own equations (ReportedModel::regressionResiduals): an
// observation whose threshold variable ties a threshold may be held by the regression below
// while the whole-series fit applies the equation above; its residual is taken again from the
// equation that was estimated on it, in the same order of terms as the whole-series fit.
void recordRegressionResiduals(const double* x, const double* z, int n, int delay,
                               const FittedModel& model, int nLags, ReportedModel& data) {
    data.regressionResiduals = data.residuals;
    for (int t = 0; t < n; ++t) {
        const int r = data.regimeOfObservation[t];
        if (r < 0 || t < delay) {
            continue;
        }
        const int applied = regimeOfValue(z[t - delay], model.thresholdValues.data(),
                                          model.nRegimes, kWholeSeriesFitTie);
        if (applied == r) {
            continue;
        }
        data.regressionResiduals[t] =
            x[t] -
            withTrend(regimeEquation(model.regimeCoefficients[r], model.regimeOrders[r], x + t),
                      model.trend, model.trendCoefficients[r], t + 1.0);
    }
    data.regressionAutocorrelations.assign(static_cast<std::size_t>(nLags) + 1, 0.0);
    autocorrelations(data.regressionAutocorrelations.data(), n, data.regressionResiduals.data(),
                     nLags);
    data.regressionLjungBox = ljungBoxStatistic(data.regressionAutocorrelations.data(), n, nLags);
}

void recordData(const double* x, const double* zSeries, const int* sortOrder,
                const ThresholdSplit& split, int n, int nPredictions, int maxOrder, int delay,
                const FittedModel& model, const double* fitted, const double* residual,
                const double* acf, int nLags, const HoldoutForecasts& holdout,
                ReportedModel& data) {
    data.delay = delay;
    data.maxOrder = maxOrder;
    data.series.assign(x, x + n + nPredictions);
    const double* z = zSeries != nullptr ? zSeries : x;
    if (zSeries != nullptr) {
        data.thresholdSeries.assign(zSeries, zSeries + n + nPredictions);
    }
    data.regimeOfObservation.assign(static_cast<std::size_t>(n), -1);
    for (int r = 0; r < model.nRegimes; ++r) {
        for (int h = split.ranges.begin(r); h < split.ranges.end(r); ++h) {
            const int t = sortOrder[h] + delay;
            if (t >= maxOrder - 1 && t <= n - 1) {
                data.regimeOfObservation[t] = r;
            }
        }
    }
    data.fitted.assign(fitted, fitted + n);
    data.residuals.assign(residual, residual + n);
    data.autocorrelations.assign(acf, acf + nLags + 1);
    data.holdoutForecasts = holdout.forecast;
    recordRegressionResiduals(x, z, n, delay, model, nLags, data);
}

}  // namespace

Result<EvaluatedFitness> evaluateSplit(const EvaluationContext& context,
                                       const FittingProblem& problem, const ThresholdSplit& split,
                                       int iteration, const char* ljungBoxFormat,
                                       EvaluationFiles& files) {
    const ModelParameters& modelSettings = context.settings.model;
    const GaParameters& ga = context.settings.ga;
    const bool reporting = iteration == kReportingIteration;
    const double* x = problem.x;
    const int n = problem.n();
    const int maxOrder = problem.maxOrder();
    const int delay = problem.delay();
    const int nPredictions = problem.nPredictions;
    const FiniteResults finite(x, n + nPredictions);

    FittedModel model(maxOrder);
    FreshRangeEstimates estimates(problem);
    SplitScore score =
        scoreSplit(problem, split.ranges, split.values, estimates.function(), true, model);
    switch (score.outcome) {
        case SplitOutcome::kSingular:
            // Cross products that overflowed fail a fit too; that is the series' fault, and no
            // other chromosome would fare better.
            if (MaybeNotice notice = finite.checkSeries()) {
                return *notice;
            }
            return EvaluatedFitness{};
        case SplitOutcome::kNoFiniteOrder:
            return finite.notice(formatText("the AIC of regime %d", score.regime + 1),
                                 std::numeric_limits<double>::quiet_NaN());
        case SplitOutcome::kNoEffectiveObservations:
            return noEffectiveObservationsNotice();
        case SplitOutcome::kNoForecasts:
        case SplitOutcome::kScored:
            break;
    }
    if (score.forecast && context.writeFiles) {
        if (MaybeNotice notice = files.writePredictions(score.holdout)) {
            return *notice;
        }
    }
    if (score.outcome == SplitOutcome::kNoForecasts) {
        return noForecastsNotice();
    }
    ModelSummary& summary = score.summary;
    const HoldoutForecasts& holdout = score.holdout;
    // The constant that divides NAIC in the fitness shown, which checkFitness() names.
    const double adjustingConstant =
        problem.fitness.usesForecasts() ? 1.0 : problem.fitness.adjustingConstant;

    DVector residual = dvector(0, n);
    DVector fitted = dvector(0, n);
    fitWholeSeries(x, n, maxOrder, delay, model, residual.data(), fitted.data(), problem.z);
    if (reporting && ga.printResiduals == kPrintResidualsYes) {
        files.writeResidualTable(x, fitted.data(), residual.data(), n);
    }

    const int nLags = modelSettings.nAutocorrelations;
    DVector acf = dvector(0, nLags);
    autocorrelations(acf.data(), n, residual.data(), nLags);
    summary.ljungBox = ljungBoxStatistic(acf.data(), n, nLags);

    if (reporting) {
        const ReportedModel reported = describeModel(model, score.fits, summary);
        if (MaybeNotice notice = checkReport(finite, reported, adjustingConstant, fitted.data(),
                                             residual.data(), n, acf.data(), nLags, holdout)) {
            return *notice;
        }
        reportModel(split.ranges.nThresholds, model, reported, ljungBoxFormat, context.texts,
                    context.observer);
        if (context.reported != nullptr) {
            *context.reported = reported;
            recordData(x, problem.z, problem.sortOrder, split, n, nPredictions, maxOrder, delay,
                       model, fitted.data(), residual.data(), acf.data(), nLags, holdout,
                       *context.reported);
            const ThresholdVariable& variable = context.settings.thresholdVariable;
            context.reported->thresholdVariable = variable.kind;
            if (!variable.isOwn()) {
                context.reported->thresholdVariableText = thresholdVariableText(variable, delay);
            }
        }
    }
    if (context.writeFiles) {
        if (MaybeNotice notice = files.commit()) {
            return *notice;
        }
    }
    return EvaluatedFitness{score.fitness, score.logFitness};
}

}  // namespace kavri
