#include "data/series_input.h"

#include <cassert>

#include "data/series_source.h"

namespace kavri {

Result<SeriesSample> readSeriesSample(const SeriesRequest& request) {
    Result<std::shared_ptr<const LoadedSeriesFile>> file = LoadedSeriesFile::load(request.path);
    if (!file.ok()) {
        return file.notice();
    }
    return file.value()->read(request);
}

MaybeNotice readSeries(const std::string& path, int count, DVector& series) {
    assert(count <= 0 || (series.allocated() && series.lo() <= 0 && series.hi() >= count - 1));
    Result<SeriesSample> sample = readSeriesSample({path, SeriesChoice{}, count, 0});
    if (!sample.ok()) {
        return sample.notice();
    }
    for (int i = 0; i < count; ++i) {
        series[i] = sample.value().values[static_cast<std::size_t>(i)];
    }
    return std::nullopt;
}

}  // namespace kavri
