#pragma once

// The series of a run: the sample its settings choose, read into the run's storage.

#include "data/series_input.h"
#include "data/series_source.h"
#include "model/run_settings.h"
#include "run/run_storage.h"

namespace kavri {

// Reads the sample (settings.model.seriesPath, settings.series) into storage.series[0 .. n+P-1]
// and describes it in `sample`; returns the notice that ends the run, if any. The sample comes
// from `source` when one is given, else from the file.
MaybeNotice loadRunSeries(const RunSettings& settings, RunStorage& storage, SeriesSample& sample,
                          const SeriesSource* source = nullptr);

}  // namespace kavri
