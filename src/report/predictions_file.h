#pragma once

// The file "Predictions.txt": the one-step forecasts of the held-out observations.

#include <filesystem>
#include <string>
#include <vector>

#include "estimation/holdout_forecasts.h"
#include "model/fitted_model.h"
#include "model/notice.h"
#include "report/output_files.h"

namespace kavri {

// The header and one "%8.5f\t%8.5f\t%8.5f\n" line per forecast: observed, forecast, error;
// with the sample's `dates`, a first column "Date" holds the date of each held-out value (the
// last dates of the sample).
void writePredictionRows(OutputFile& file, const HoldoutForecasts& forecasts,
                         const std::vector<std::string>* dates = nullptr);

// Replaces the file at `path` with the forecasts (written beside it, then renamed). A file
// that cannot be created or written returns the notice, and the old file stays.
MaybeNotice writePredictionsFile(const std::filesystem::path& path,
                                 const HoldoutForecasts& forecasts,
                                 OutputFileSystem& fileSystem = diskFileSystem());

// Both of the above: the mean squared forecast error, or the file's notice.
Result<double> predictHoldout(const double* x, int origin, const FittedModel& model,
                              int nPredictions, int delay, const std::filesystem::path& path,
                              OutputFileSystem& fileSystem = diskFileSystem());

}  // namespace kavri
