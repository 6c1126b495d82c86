#pragma once

// After a run: forecasts past the data with the reported model and the dynamic check on the
// held-out values, written to Forecasts.txt; or a series simulated from the model, written
// in the plain format that Kavri reads.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "forecast/forecast_settings.h"
#include "forecast/holdout_check.h"
#include "model/notice.h"
#include "model/reported_model.h"
#include "report/result_files.h"

namespace kavri {

struct ForecastOutcome {
    ForecastResult forecasts;             // from the end of the data
    std::optional<HoldoutCheck> holdout;  // from origin nObservations, with held-out values
    // The date of each step when the series file gives dates ("NA" where their spacing is
    // not regular); empty otherwise.
    std::vector<std::string> dates;
    // The date of each held-out value of the check, step by step, when the series file gives
    // dates; empty otherwise.
    std::vector<std::string> holdoutDates;
};

// The forecasts from the end of the data and, when values were held out, the dynamic check
// with the same method, paths, levels and seed; the forecasts are written to Forecasts.txt in
// `files`' directory (through its file system) with a decimal point in any locale. The file's
// notice, or a notice when `model` is not available.
Result<ForecastOutcome> runForecasts(const ReportedModel& model, const ForecastSettings& settings,
                                     const ResultFiles& files);

// `length` values simulated from `model` (simulateSeries()), or the notice that refuses them:
// no model; a model whose regime follows an exogenous threshold variable, or with a trend,
// whose simulation the model does not describe; the skeleton, which draws nothing; an explosive
// model whose series overflows (naming `path`, when given, as the file not written).
Result<std::vector<double>> simulatedSeries(const ReportedModel& model, int length,
                                            ForecastMethod method, std::uint64_t seed,
                                            const std::filesystem::path* path = nullptr);

// `length` values simulated from `model` (simulatedSeries()) written to `path`. The notice when
// `model` is not available, when the model is explosive and the series overflows (no file is
// written then), or when the file cannot be written.
MaybeNotice runSeriesSimulation(const ReportedModel& model, int length, ForecastMethod method,
                                std::uint64_t seed, const std::filesystem::path& path,
                                OutputFileSystem& fileSystem = diskFileSystem());

}  // namespace kavri
