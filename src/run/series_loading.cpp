#include "run/series_loading.h"

#include <cctype>
#include <cmath>
#include <limits>

#include "data/dates.h"
#include "model/text_format.h"

namespace kavri {

namespace {

Result<SeriesSample> readSample(const SeriesRequest& request, const SeriesSource* source) {
    return source != nullptr ? source->read(request) : readSeriesSample(request);
}

// The change z[s] = x[s] - x[s-1]; the sample's first value has none (not a number), which
// leaves its observation out of every regime (genetic/candidates.h).
MaybeNotice differenceOf(const RunSettings& settings, RunStorage& storage) {
    const int total = settings.model.nObservations + settings.model.nPredictions;
    storage.thresholdSeries[0] = std::numeric_limits<double>::quiet_NaN();
    for (int s = 1; s < total; ++s) {
        const double change = storage.series[s] - storage.series[s - 1];
        if (!std::isfinite(change)) {
            return Notice(
                "The threshold variable could not be formed", kErrorCaption, NoticeIcon::kStop,
                formatText("--threshold-variable difference: the change between values %d and "
                           "%d of the sample is too large to represent; rescale the series",
                           s, s + 1));
        }
        storage.thresholdSeries[s] = change;
    }
    return std::nullopt;
}

// Another column of the same table, row by row with the series: the rows of the sample must
// all hold a number, and the rows after it (up to the first that does not) are kept for
// forecasts past the data.
MaybeNotice exogenousColumn(const RunSettings& settings, const SeriesSample& series,
                            RunStorage& storage, const SeriesSource* source) {
    const ModelParameters& model = settings.model;
    const std::string& column = settings.thresholdVariable.column;
    if (series.columnName.empty()) {
        return Notice("The threshold variable could not be read", kErrorCaption, NoticeIcon::kStop,
                      formatText("--threshold-variable %s names a column, but %s holds a single "
                                 "series and no table; put the series and the threshold variable "
                                 "side by side as columns of one table",
                                 column.c_str(), model.seriesPath.c_str()));
    }
    SeriesChoice choice = settings.series;
    choice.column = column;
    const SeriesRequest request{model.seriesPath, choice, model.nObservations, model.nPredictions};
    Result<SeriesSample> read = readSample(request, source);
    if (!read.ok()) {
        Notice notice = read.notice();
        std::string said = notice.detail.empty() ? notice.text : notice.detail;
        // "Its columns are ..." continues the sentence: "...: its columns are ...".
        if (said.size() > 1 && std::isupper(static_cast<unsigned char>(said[0])) &&
            std::islower(static_cast<unsigned char>(said[1]))) {
            said[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(said[0])));
        }
        notice.detail = "the threshold variable (--threshold-variable " + column + "): " + said;
        return notice;
    }
    const SeriesSample& z = read.value();
    if (z.columnName == series.columnName) {
        return Notice("The threshold variable could not be read", kErrorCaption, NoticeIcon::kStop,
                      formatText("--threshold-variable %s is the series itself (%s); name the "
                                 "series' column with --column, or use --threshold-variable own",
                                 column.c_str(), series.columnName.c_str()));
    }
    if (z.firstElement != series.firstElement) {
        return Notice(
            "The threshold variable could not be read", kErrorCaption, NoticeIcon::kStop,
            formatText("--threshold-variable %s: its sample starts at row %d of %s and the "
                       "series' at row %d; the two columns must hold values in the same rows "
                       "(a missing value in one of them moves the rows --last takes)",
                       column.c_str(), z.firstElement, model.seriesPath.c_str(),
                       series.firstElement));
    }
    const int total = model.nObservations + model.nPredictions;
    for (int s = 0; s < total; ++s) {
        storage.thresholdSeries[s] = z.values[static_cast<std::size_t>(s)];
    }
    // The reader names the column `column 2 "abs_returns"`: the header name, if any.
    const std::size_t open = z.columnName.find('"');
    const std::size_t close = z.columnName.rfind('"');
    storage.thresholdName = open != std::string::npos && close > open + 1
                                ? z.columnName.substr(open + 1, close - open - 1)
                                : column;
    // The rows after the sample, as far as the column holds numbers there: the longest run
    // that reads, found by halving (the whole rest first, as it mostly reads).
    if (choice.last) {
        return std::nullopt;  // the sample ends with the file's last values
    }
    const auto readsTo = [&](int extra, std::vector<double>* values) {
        SeriesRequest longer = request;
        longer.nPredictions = model.nPredictions + extra;
        Result<SeriesSample> more = readSample(longer, source);
        if (!more.ok() || more.value().firstElement != z.firstElement) {
            return false;
        }
        if (values != nullptr) {
            values->assign(more.value().values.begin() + total, more.value().values.end());
        }
        return true;
    };
    const int rest = z.fileValues - (z.firstElement - 1) - total;  // rows after the sample
    int known = 0;                                                 // a count that reads
    int unknown = rest + 1;                                        // one that does not
    if (rest > 0) {
        (readsTo(rest, nullptr) ? known : unknown) = rest;
    }
    while (unknown - known > 1) {
        const int middle = known + (unknown - known) / 2;
        if (readsTo(middle, nullptr)) {
            known = middle;
        } else {
            unknown = middle;
        }
    }
    if (known > 0) {
        readsTo(known, &storage.thresholdFuture);
    }
    return std::nullopt;
}

}  // namespace

MaybeNotice loadRunSeries(const RunSettings& settings, RunStorage& storage, SeriesSample& sample,
                          const SeriesSource* source) {
    const ModelParameters& model = settings.model;
    const SeriesRequest request{model.seriesPath, settings.series, model.nObservations,
                                model.nPredictions};
    Result<SeriesSample> read = readSample(request, source);
    if (!read.ok()) {
        return read.notice();
    }
    sample = std::move(read.value());
    for (std::size_t i = 0; i < sample.values.size(); ++i) {
        storage.series[static_cast<int>(i)] = sample.values[i];
        storage.thresholdSeries[static_cast<int>(i)] = sample.values[i];
    }
    storage.thresholdFuture.clear();
    storage.thresholdName.clear();
    switch (settings.thresholdVariable.kind) {
        case ThresholdVariableKind::kOwn:
            return std::nullopt;
        case ThresholdVariableKind::kDifference:
            return differenceOf(settings, storage);
        case ThresholdVariableKind::kColumn:
            return exogenousColumn(settings, sample, storage, source);
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
