#pragma once

#include "model/result_texts.h"
#include "model/run_settings.h"
#include "run/run_outcome.h"
#include "run/run_storage.h"

namespace kavri {

// The genetic search over thresholds: nIterations + 1 generations of evaluation, selection,
// crossover and mutation from a population drawn from `options.seed` (or the clock), keeping the
// best chromosome of the run, which the last generation reports. The series is read and
// ranked in `storage` already.
RunOutcome runGeneticSearch(const RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                            const RunOptions& options, RunStorage& storage);

}  // namespace kavri
