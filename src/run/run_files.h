#pragma once

// The result files of a run kept in a RunFileSet until the run ends: which files of an earlier
// run this one supersedes, and the commit (or discard) at the end. Shared by the single run
// (run_driver) and the delay scan (exact_run), and by kavri-cli for runs with forecasts.

#include "model/run_settings.h"
#include "report/run_file_set.h"
#include "run/run_outcome.h"

namespace kavri {

// Marks in `set` the files of `files`'s folder that an earlier run may have left and this run
// does not produce: Predictions.txt when nothing is held out, Forecasts.txt unless
// `forecasts` (a new model makes earlier forecasts another model's).
void supersedeEarlierFiles(RunFileSet& set, const ResultFiles& files, const RunSettings& settings,
                           bool forecasts);

// The end of a run that kept its own files in `set`: commits them (superseding an earlier
// run's Predictions.txt and Forecasts.txt as supersedeEarlierFiles says) when the run reported
// a model, discards them otherwise. A commit that fails becomes the outcome's notice.
void commitRunFiles(RunFileSet& set, const ResultFiles& files, const RunSettings& settings,
                    RunOutcome& outcome);

}  // namespace kavri
