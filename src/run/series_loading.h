#pragma once

// The series of a run: the sample its settings choose, read into the run's storage.

#include "data/series_input.h"
#include "data/series_source.h"
#include "model/run_settings.h"
#include "report/result_files.h"
#include "run/run_storage.h"

namespace kavri {

// Reads the sample (settings.model.seriesPath, settings.series) into storage.series[0 .. n+P-1]
// and describes it in `sample`; returns the notice that ends the run, if any. The sample comes
// from `source` when one is given, else from the file.
MaybeNotice loadRunSeries(const RunSettings& settings, RunStorage& storage, SeriesSample& sample,
                          const SeriesSource* source = nullptr);

// The threshold variable beside the series for the searches and evaluations, or null when it
// is the series itself (so that the default model runs exactly the code it always has).
inline const double* thresholdSeriesOf(const RunSettings& settings, const RunStorage& storage) {
    return settings.thresholdVariable.isOwn() ? nullptr : storage.thresholdSeries.data();
}

// What the reported model calls the threshold variable (ReportedModel::thresholdVariableText):
// an exogenous column by its header name where the table has one; empty for the own lag.
inline std::string thresholdVariableTextOf(const RunSettings& settings, const RunStorage& storage,
                                           int delay) {
    ThresholdVariable named = settings.thresholdVariable;
    if (named.isColumn() && !storage.thresholdName.empty()) {
        named.column = storage.thresholdName;
    }
    return named.isOwn() ? std::string() : thresholdVariableText(named, delay);
}

// `files` with the sample's dates, when every label of the sample is a date (a year, month,
// quarter or day), so that the result files give each line its date.
ResultFiles datedFiles(ResultFiles files, const SeriesSample& sample);

}  // namespace kavri
