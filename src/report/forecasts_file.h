#pragma once

// The forecast table, as the file "Forecasts.txt" and the command line show it: a header line
// "Step<TAB>Forecast", then for simulated forecasts "<TAB>Median" and "<TAB>Lo<L><TAB>Hi<L>"
// per interval level L (in percent, as asked: Lo80, Hi80, Lo95, Hi95 by default); then one
// tab-separated line per step h = 1 .. H: h, the point forecast (the skeleton, or the mean of
// the paths), the median of the paths and the bounds.

#include <filesystem>
#include <string>
#include <vector>

#include "forecast/forecast_result.h"
#include "model/notice.h"
#include "report/output_files.h"

namespace kavri {

// The column names, "Step" first.
std::vector<std::string> forecastColumnNames(const ForecastResult& forecasts);

// The numbers of step h's line after the step, in the order of the columns.
std::vector<double> forecastRowValues(const ForecastResult& forecasts, int h);

// Replaces the file at `path` with the table, numbers as "%.10g" (ten significant digits
// whatever the scale of the series); the file's notice when it cannot be written.
// With `dates` (one per step, "NA" where the spacing of the series' dates gives none), a
// column "Date" follows "Step".
MaybeNotice writeForecastsFile(const std::filesystem::path& path, const ForecastResult& forecasts,
                               OutputFileSystem& fileSystem = diskFileSystem(),
                               const std::vector<std::string>* dates = nullptr);

}  // namespace kavri
