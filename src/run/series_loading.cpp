#include "run/series_loading.h"

#include "data/dates.h"

namespace kavri {

MaybeNotice loadRunSeries(const RunSettings& settings, RunStorage& storage, SeriesSample& sample,
                          const SeriesSource* source) {
    const ModelParameters& model = settings.model;
    const SeriesRequest request{model.seriesPath, settings.series, model.nObservations,
                                model.nPredictions};
    Result<SeriesSample> read =
        source != nullptr ? source->read(request) : readSeriesSample(request);
    if (!read.ok()) {
        return read.notice();
    }
    sample = std::move(read.value());
    for (std::size_t i = 0; i < sample.values.size(); ++i) {
        storage.series[static_cast<int>(i)] = sample.values[i];
    }
    return std::nullopt;
}

ResultFiles datedFiles(ResultFiles files, const SeriesSample& sample) {
    if (allDates(sample.labels)) {
        files.dates = std::make_shared<const std::vector<std::string>>(sample.labels);
    }
    return files;
}

}  // namespace kavri
