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

}  // namespace

Result<ForecastOutcome> runForecasts(const ReportedModel& model, const ForecastSettings& settings,
                                     const ResultFiles& files) {
    if (!model.available) {
        return noModelNotice();
    }
    const ClassicNumericLocale classic;
    ForecastOutcome outcome;
    outcome.forecasts = forecastFromEnd(model, settings);
    outcome.holdout = checkOnHoldout(model, settings);
    if (allDates(model.labels)) {
        outcome.dates = nextDates(model.labels, outcome.forecasts.horizon());
        outcome.dates.resize(static_cast<std::size_t>(outcome.forecasts.horizon()), "NA");
    }
    if (MaybeNotice notice =
            writeForecastsFile(files.forecastsPath(), outcome.forecasts, files.files(),
                               outcome.dates.empty() ? nullptr : &outcome.dates)) {
        return *notice;
    }
    return outcome;
}

MaybeNotice runSeriesSimulation(const ReportedModel& model, int length, ForecastMethod method,
                                std::uint64_t seed, const std::filesystem::path& path,
                                OutputFileSystem& fileSystem) {
    if (!model.available) {
        return noModelNotice();
    }
    const ClassicNumericLocale classic;
    const std::vector<double> values = simulateSeries(model, length, method, seed);
    for (std::size_t t = 0; t < values.size(); ++t) {
        if (!std::isfinite(values[t])) {
            return errorNotice(formatText(
                "The model is explosive: its simulated series overflows at value %zu, so %s "
                "was not written",
                t + 1, path.c_str()));
        }
    }
    return writeSeriesFile(path, values, fileSystem);
}

}  // namespace kavri
