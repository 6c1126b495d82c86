#pragma once

// One whole run: complete the settings with run defaults, read the series, rank the threshold
// candidates, then either estimate at the user's thresholds or search the thresholds, and
// report the chosen model through the result texts and the two result files.

#include "model/result_texts.h"
#include "model/run_settings.h"
#include "report/run_file_set.h"
#include "run/run_outcome.h"

namespace kavri {

// Marks in `set` the files of `files`'s folder that an earlier run may have left and this run
// does not produce: Predictions.txt when nothing is held out, Forecasts.txt unless
// `forecasts` (a new model makes earlier forecasts another model's).
void supersedeEarlierFiles(RunFileSet& set, const ResultFiles& files, const RunSettings& settings,
                           bool forecasts);

// Runs once with `settings` (run defaults are written into groups whose dialog count is 0):
// clears all sixteen result texts, then writes them and refreshes `observer` as it goes. A run
// that ends in a notice leaves the texts it wrote before the notice. The result files are
// committed together at the end (see RunOptions::fileSet); a run that ends in a notice or
// without a model leaves the files on disk as they were.
RunOutcome runModel(RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                    const RunOptions& options = {});

// The end of a run that kept its own files in `set`: commits them (superseding an earlier
// run's Predictions.txt and Forecasts.txt as supersedeEarlierFiles says) when the run reported
// a model, discards them otherwise. A commit that fails becomes the outcome's notice.
void commitRunFiles(RunFileSet& set, const ResultFiles& files, const RunSettings& settings,
                    RunOutcome& outcome);

}  // namespace kavri
