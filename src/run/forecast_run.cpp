#include "run/forecast_run.h"

#include <cmath>

#include "data/dates.h"
#include "forecast/multi_step_forecast.h"
#include "forecast/series_simulation.h"
#include "model/classic_numeric_locale.h"
#include "model/text_format.h"
#include "report/forecasts_file.h"
#include "report/series_file.h"

namespace kavri {

namespace {

Notice noModelNotice() {
    return errorNotice(
        "No model was estimated, so there is nothing to forecast or simulate from: run the "
        "estimation first");
}

// The first step whose forecast, median or interval bound is not finite (an explosive model
// overflows the range of doubles a few steps ahead); 0 when every number is finite.
int firstNonFiniteStep(const ForecastResult& forecasts) {
    const auto finiteAt = [](const std::vector<double>& values, std::size_t i) {
        return i >= values.size() || std::isfinite(values[i]);
    };
    for (std::size_t i = 0; i < forecasts.point.size(); ++i) {
        bool finite = finiteAt(forecasts.point, i) && finiteAt(forecasts.median, i);
        for (const ForecastInterval& interval : forecasts.intervals) {
            finite = finite && finiteAt(interval.lower, i) && finiteAt(interval.upper, i);
        }
        if (!finite) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

Notice explosiveNotice(const char* what, int step) {
    return Notice{"The forecasts are not finite numbers\n", kErrorCaption, NoticeIcon::kStop,
                  formatText("The model is explosive: its %s overflow the range of numbers at "
                             "step %d, so no forecasts are shown and Forecasts.txt was not "
                             "written. Forecast fewer steps, or fit a model whose regimes are "
                             "stationary.",
                             what, step)};
}

}  // namespace

Result<ForecastOutcome> runForecasts(const ReportedModel& model, const ForecastSettings& settings,
                                     const ResultFiles& files) {
    if (!model.available) {
        return noModelNotice();
    }
    const ClassicNumericLocale classic;
    const int known = knownForecastSteps(model, static_cast<int>(model.series.size()));
    if (known >= 0 && settings.horizon > known) {
        return Notice{
            "The threshold variable is not known far enough to forecast", kErrorCaption,
            NoticeIcon::kStop,
            known == 0
                ? std::string("--forecast: the regime of every step past the data needs a value of "
                              "the threshold variable after the sample, which the file does not "
                              "give; add its values in the rows after the series")
                : formatText("--forecast %d: the regime of step h needs the threshold variable "
                             "at h - %d past the data, which the file gives up to step %d; "
                             "forecast at most %d step%s, or add the variable's later values in "
                             "the rows after the series",
                             settings.horizon, model.delay, known, known, known == 1 ? "" : "s")};
    }
    ForecastOutcome outcome;
    outcome.forecasts = forecastFromEnd(model, settings);
    outcome.holdout = checkOnHoldout(model, settings);
    if (const int step = firstNonFiniteStep(outcome.forecasts)) {
        return explosiveNotice("forecasts past the data", step);
    }
    if (outcome.holdout) {
        if (const int step = firstNonFiniteStep(outcome.holdout->forecasts)) {
            return explosiveNotice("forecasts of the held-out values", step);
        }
        const std::vector<double>& rmse = outcome.holdout->rmse;
        for (std::size_t i = 0; i < rmse.size(); ++i) {
            if (!std::isfinite(rmse[i]) || !std::isfinite(outcome.holdout->error[i])) {
                return explosiveNotice("errors on the held-out values", static_cast<int>(i) + 1);
            }
        }
    }
    if (allDates(model.labels)) {
        outcome.dates = nextDates(model.labels, outcome.forecasts.horizon());
        outcome.dates.resize(static_cast<std::size_t>(outcome.forecasts.horizon()), "NA");
        if (outcome.holdout && model.labels.size() == model.series.size()) {
            const auto origin = static_cast<std::size_t>(fittedObservations(model));
            outcome.holdoutDates.assign(model.labels.begin() + static_cast<std::ptrdiff_t>(origin),
                                        model.labels.end());
        }
    }
    if (MaybeNotice notice =
            writeForecastsFile(files.forecastsPath(), outcome.forecasts, files.files(),
                               outcome.dates.empty() ? nullptr : &outcome.dates)) {
        return *notice;
    }
    return outcome;
}

Result<std::vector<double>> simulatedSeries(const ReportedModel& model, int length,
                                            ForecastMethod method, std::uint64_t seed,
                                            const std::filesystem::path* path) {
    if (!model.available) {
        return noModelNotice();
    }
    if (model.thresholdVariable == ThresholdVariableKind::kColumn) {
        return errorNotice(
            "A series cannot be simulated from a model whose regime follows an exogenous "
            "threshold variable: the model does not say how that variable moves");
    }
    if (model.trend) {
        return errorNotice(
            "A series cannot be simulated from a model with a trend: a simulated series has no "
            "place in the sample's time for the trend to start from; forecasts continue it past "
            "the sample");
    }
    if (method == ForecastMethod::kSkeleton) {
        return errorNotice(
            "A series cannot be simulated by the skeleton, which draws no innovations: choose "
            "bootstrap or Gaussian innovations");
    }
    std::vector<double> values = simulateSeries(model, length, method, seed);
    for (std::size_t t = 0; t < values.size(); ++t) {
        if (!std::isfinite(values[t])) {
            std::string text = formatText(
                "The model is explosive: its simulated series overflows at value %zu", t + 1);
            if (path != nullptr) {
                text += formatText(", so %s was not written", path->c_str());
            }
            return errorNotice(text);
        }
    }
    return values;
}

MaybeNotice runSeriesSimulation(const ReportedModel& model, int length, ForecastMethod method,
                                std::uint64_t seed, const std::filesystem::path& path,
                                OutputFileSystem& fileSystem) {
    const ClassicNumericLocale classic;
    Result<std::vector<double>> values = simulatedSeries(model, length, method, seed, &path);
    if (!values.ok()) {
        return values.notice();
    }
    return writeSeriesFile(path, values.value(), fileSystem);
}

}  // namespace kavri
