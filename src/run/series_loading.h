#pragma once

// The series of a run: the sample its settings choose, read into the run's storage.

#include "data/series_input.h"
#include "model/run_settings.h"
#include "run/run_storage.h"

namespace kavri {

// Reads the sample (settings.model.seriesPath, settings.series) into storage.series[0 .. n+P-1]
// and describes it in `sample`; returns the notice that ends the run, if any.
MaybeNotice loadRunSeries(const RunSettings& settings, RunStorage& storage, SeriesSample& sample);

}  // namespace kavri
