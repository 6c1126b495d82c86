#pragma once

// One whole run: complete the settings with run defaults, read the series, rank the threshold
// candidates, then either estimate at the user's thresholds or search the thresholds, and
// report the chosen model through the result texts and the two result files.

#include "model/result_texts.h"
#include "model/run_settings.h"
#include "run/run_outcome.h"

namespace kavri {

// Runs once with `settings` (run defaults are written into groups whose dialog count is 0):
// clears all sixteen result texts, then writes them and refreshes `observer` as it goes. A run
// that ends in a notice leaves the texts it wrote before the notice. The result files are
// committed together at the end (see RunOptions::fileSet); a run that ends in a notice or
// without a model leaves the files on disk as they were.
RunOutcome runModel(RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                    const RunOptions& options = {});

// Whether the run can honour the model's form (settings.form): fixed orders from 1 to
// maxOrder - 1 (or the lags listed); one order per regime only with the thresholds given (one
// more order than thresholds) or the exact search, which then fits exactly that many regimes
// whatever maxRegimes says. runModel ends with this notice; the desktop's dialog asks it on
// OK, so that both say the same.
MaybeNotice modelFormNotice(const RunSettings& settings, const RunOptions& options = {});

}  // namespace kavri
