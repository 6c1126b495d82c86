#pragma once

// The result files of one evaluation, replaced together. Residuals.txt is started first (a
// directory that cannot be written stops the evaluation before any estimation), Predictions.txt
// when the evaluation forecasts. An evaluation that estimates a model commits them: both are
// completed beside the old files, then renamed over them, so that the two files always come
// from the same evaluation. An evaluation that ends in a notice, or without a model, commits
// nothing: the files are left as the last evaluation with a model left them. A run passes a
// RunFileSet (run_file_set.h) as the file system, so that "renamed" means kept for the run's
// own commit at its end.

#include <memory>

#include "estimation/holdout_forecasts.h"
#include "model/notice.h"
#include "report/file_notices.h"
#include "report/output_files.h"
#include "report/result_files.h"

namespace kavri {

class EvaluationFiles {
 public:
    explicit EvaluationFiles(const ResultFiles& files) : files_(files) {}

    // Starts the new Residuals.txt, empty; the notice when it cannot be created.
    MaybeNotice openResiduals();
    // The residual table into the new Residuals.txt (see residuals_file.h).
    void writeResidualTable(const double* x, const double* fitted, const double* residual, int n);
    // Starts the new Predictions.txt with the forecasts; the notice when it cannot be created.
    MaybeNotice writePredictions(const HoldoutForecasts& forecasts);

    // Completes every file started, then puts each in place of the old one. The notice names
    // the file that could not be written and why; the old files then stay as they were, unless
    // the very renaming of the second file failed after the first.
    MaybeNotice commit();

 private:
    Notice writeNotice(ResultFileKind kind, const std::filesystem::path& path,
                       std::error_code error) const;

    ResultFiles files_;
    std::unique_ptr<OutputFile> residuals_;
    std::unique_ptr<OutputFile> predictions_;
};

}  // namespace kavri
