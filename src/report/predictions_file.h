#pragma once

// The file "Predictions.txt": the one-step forecasts of the held-out observations.

#include <filesystem>

#include "estimation/holdout_forecasts.h"
#include "model/fitted_model.h"
#include "model/notice.h"
#include "report/output_files.h"

namespace kavri {

// Replaces the file at `path` with the header and one "%8.5f\t%8.5f\t%8.5f\n" line per
// forecast. A file that cannot be opened, or a write that fails, returns the notice.
MaybeNotice writePredictionsFile(const std::filesystem::path& path,
                                 const HoldoutForecasts& forecasts,
                                 OutputFileSystem& fileSystem = diskFileSystem());

// Both of the above: the mean squared forecast error, or the file's notice.
Result<double> predictHoldout(const double* x, int origin, const FittedModel& model,
                              int nPredictions, int delay, const std::filesystem::path& path,
                              OutputFileSystem& fileSystem = diskFileSystem());

}  // namespace kavri
