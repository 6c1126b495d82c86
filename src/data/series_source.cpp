#include "data/series_source.h"

#include <cmath>

#include "data/delimited_format.h"
#include "data/number_text.h"
#include "data/plain_format.h"
#include "data/sample_choice.h"
#include "data/series_layout.h"
#include "data/series_text.h"
#include "data/table_columns.h"
#include "model/text_format.h"

namespace kavri {

LoadedSeriesFile::LoadedSeriesFile(std::string path, std::string text)
    : path_(std::move(path)), text_(std::move(text)) {}

Result<std::shared_ptr<const LoadedSeriesFile>> LoadedSeriesFile::load(const std::string& path) {
    Result<std::string> text = loadSeriesText(path);
    if (!text.ok()) {
        return text.notice();
    }
    return std::shared_ptr<const LoadedSeriesFile>(
        new LoadedSeriesFile(path, std::move(text.value())));
}

const ParsedTable* LoadedSeriesFile::parsed(const SeriesChoice& choice) const {
    // Every column of a batch is read with the same --skip-lines: the first request's reading
    // is split once and kept; another one reads the text as a single run does.
    std::call_once(parseOnce_, [&] { table_ = parseTable(text_, choice, path_); });
    return table_ && table_->skipLines == choice.skipLines ? &*table_ : nullptr;
}

Result<SeriesSample> LoadedSeriesFile::read(const SeriesRequest& request) const {
    return readSeriesSampleFromText(text_, request, parsed(request.choice));
}

Result<SeriesSample> LoadedSeriesFile::readWhole(const SeriesChoice& choice) const {
    // A sample of no values tells how many the series holds (and any notice about the file or
    // the column); then the sample of all of them.
    SeriesChoice first = choice;
    first.last = false;
    first.skip = 0;
    SeriesRequest request{path_, first, 0, 0};
    Result<SeriesSample> counted = read(request);
    if (!counted.ok()) {
        return counted.notice();
    }
    request.nObservations = counted.value().fileValues;
    return read(request);
}

Result<SeriesSample> LoadedSeriesFile::readWhole(const std::string& column) const {
    SeriesChoice choice;
    choice.column = column;
    return readWhole(choice);
}

std::vector<LoadedSeriesFile::NumericColumn> LoadedSeriesFile::numericColumns(int skipLines) const {
    SeriesChoice choice;
    choice.skipLines = skipLines;
    const SeriesLayout layout = seriesLayout(text_, choice);
    // Numbers separated by blanks are one series read row by row; a tab-separated file of
    // numbers, which a single run also reads so, has columns as soon as one is named.
    if (layout.plain && separatorOf(firstContentLine(layout.from.text)) == Separator::kNone) {
        return {NumericColumn{}};
    }
    // The survey of the table split for the batch's requests, when it is read so; else its own.
    std::optional<Result<TableSurvey>> ownSurvey;
    const TableSurvey* survey = nullptr;
    const ParsedTable* table = layout.plain ? nullptr : parsed(choice);
    if (table != nullptr) {
        survey = &table->survey;
    } else {
        ownSurvey = surveyTable(layout.from, layout.separator, path_);
        if (!ownSurvey->ok()) {
            return {};
        }
        survey = &ownSurvey->value();
    }
    std::vector<std::string> names;
    if (survey->headerLine) {
        for (const ColumnSurvey& column : survey->columns) names.push_back(column.name);
    }
    std::vector<NumericColumn> columns;
    for (std::size_t c = 0; c < survey->columns.size(); ++c) {
        // As the file's own choice judges a column: by its first value present.
        const PlacedField& first = survey->columns[c].firstPresent;
        if (first.line == 0 || numberStyles(first.text) == 0) continue;
        NumericColumn column;
        const std::string number = std::to_string(c + 1);
        const bool named = c < names.size() && !names[c].empty();
        // A header name reaches its column through --column when no other column bears it
        // exactly; a number when no header is that number.
        bool nameUnique = named;
        bool numberFree = true;
        for (std::size_t other = 0; other < names.size(); ++other) {
            if (other == c) continue;
            nameUnique = nameUnique && names[other] != names[c];
            numberFree = numberFree && names[other] != number;
        }
        column.reachable = nameUnique || numberFree;
        column.request = nameUnique ? names[c] : number;
        column.name = named ? names[c] : "column " + number;
        column.number = static_cast<int>(c) + 1;
        columns.push_back(std::move(column));
    }
    return columns;
}

Result<SeriesSample> SeriesValues::read(const SeriesRequest& request) const {
    const int count = static_cast<int>(values_.size());
    const SampleSource source{name_, count, std::string(), false};
    Result<int> start =
        sampleStart(source, request.choice, request.nObservations, request.nPredictions);
    if (!start.ok()) {
        return start.notice();
    }
    SeriesSample sample;
    sample.firstElement = start.value() + 1;
    sample.fileValues = count;
    const int end = start.value() + request.nObservations + request.nPredictions;
    for (int i = start.value(); i < end; ++i) {
        const double value = values_[static_cast<std::size_t>(i)];
        if (!std::isfinite(value) || std::fabs(value) > kLargestMagnitude) {
            const char* what = std::isnan(value) ? "is a missing value (NaN); a series with a gap "
                                                   "cannot be fitted (fill it, or fit a slice "
                                                   "without it)"
                                                 : "is too large: beyond 1e+150 in magnitude the "
                                                   "sums of squares of the regressions overflow "
                                                   "(rescale the series)";
            return Notice(formatText("Element %d could not be read", i + 1), kErrorCaption,
                          NoticeIcon::kStop,
                          formatText("%s, value %d: %g %s", name_.c_str(), i + 1, value, what));
        }
        sample.values.push_back(value);
    }
    return sample;
}

}  // namespace kavri
