#include "data/series_source.h"

#include <cmath>

#include "data/number_text.h"
#include "data/plain_format.h"
#include "data/sample_choice.h"
#include "data/series_text.h"
#include "model/classic_numeric_locale.h"
#include "model/text_format.h"

namespace kavri {

namespace {

std::string problemText(const ValueField& field, NumberProblem problem, bool plainFirstValue) {
    switch (problem) {
        case NumberProblem::kMissing:
            return formatText(
                "\"%s\" is a missing value; a series with a gap cannot be fitted "
                "(fill it, or fit a sample without it: --skip, --last)",
                field.text.c_str());
        case NumberProblem::kTooLarge:
            return formatText(
                "\"%s\" is too large: beyond %g in magnitude the sums of squares "
                "of the regressions overflow (rescale the series)",
                field.text.c_str(), kLargestMagnitude);
        case NumberProblem::kNotANumber:
        case NumberProblem::kNone:
            break;
    }
    if (looksLikeDecimalComma(field.text)) {
        return formatText(
            "\"%s\" is not a number (a decimal comma? they are read in "
            "semicolon-separated files; for two columns use --column)",
            field.text.c_str());
    }
    return formatText("\"%s\" is not a number%s", field.text.c_str(),
                      plainFirstValue && field.line == 1 ? " (a header? use --column)" : "");
}

Notice unreadableValue(const SeriesRequest& request, const ValueColumn& column, int index,
                       NumberProblem problem) {
    const ValueField& field = column.values[static_cast<std::size_t>(index)];
    std::string where = formatText("%s line %d", request.path.c_str(), field.line);
    if (!column.columnName.empty()) {
        where += ", " + column.columnName;
    }
    const bool plainFirstValue = column.columnName.empty() && index == 0;
    return Notice(formatText("Element %d could not be read", index + 1), kErrorCaption,
                  NoticeIcon::kStop, where + ": " + problemText(field, problem, plainFirstValue));
}

}  // namespace

LoadedSeriesFile::LoadedSeriesFile(std::string path, std::string text)
    : path_(std::move(path)), text_(std::move(text)) {
    const std::string_view firstLine = firstContentLine(text_);
    separator_ = separatorOf(firstLine);
    plainFirstLine_ = lineIsPlain(firstLine);
}

Result<std::shared_ptr<const LoadedSeriesFile>> LoadedSeriesFile::load(const std::string& path) {
    Result<std::string> text = loadSeriesText(path);
    if (!text.ok()) {
        return text.notice();
    }
    return std::shared_ptr<const LoadedSeriesFile>(
        new LoadedSeriesFile(path, std::move(text.value())));
}

const std::vector<TableRecord>& LoadedSeriesFile::records() const {
    std::call_once(tableOnce_, [this] {
        const Separator separator =
            separator_ == Separator::kNone ? Separator::kBlanks : separator_;
        records_ = tableRecords(text_, separator);
        shape_ = tableShape(records_, separator == Separator::kSemicolon);
    });
    return records_;
}

// Recognises the layout from the first content line and returns the values it holds.
Result<ValueColumn> LoadedSeriesFile::valueColumn(const SeriesRequest& request) const {
    const bool columnNamed = !request.choice.column.empty();
    if (!columnNamed && (separator_ == Separator::kNone ||
                         (separator_ != Separator::kSemicolon && plainFirstLine_))) {
        // Blank- or tab-separated numbers are the plain format; so is a first line of numbers
        // written with decimal commas, which then fail as values of that format.
        std::call_once(plainOnce_, [this] { plain_ = plainValues(text_); });
        return plain_;
    }
    const std::vector<TableRecord>& table = records();
    return tableColumn(table, shape_, separator_ == Separator::kSemicolon, request.choice.column,
                       request.path);
}

Result<SeriesSample> LoadedSeriesFile::read(const SeriesRequest& request) const {
    const ClassicNumericLocale classic;
    Result<ValueColumn> read = valueColumn(request);
    if (!read.ok()) {
        return read.notice();
    }
    const ValueColumn& column = read.value();
    const int fileValues = static_cast<int>(column.values.size());
    const SampleSource source{request.path, fileValues, column.columnName, column.headerLine};
    Result<int> start =
        sampleStart(source, request.choice, request.nObservations, request.nPredictions);
    if (!start.ok()) {
        return start.notice();
    }

    SeriesSample sample;
    sample.firstElement = start.value() + 1;
    sample.fileValues = fileValues;
    sample.columnName = column.columnName;
    const int count = request.nObservations + request.nPredictions;
    for (int i = start.value(); i < start.value() + count; ++i) {
        const NumberReading number =
            readNumber(column.values[static_cast<std::size_t>(i)].text, column.decimalComma);
        if (number.problem != NumberProblem::kNone) {
            return unreadableValue(request, column, i, number.problem);
        }
        sample.values.push_back(number.value);
        if (!column.labels.empty()) {
            sample.labels.push_back(column.labels[static_cast<std::size_t>(i)]);
        }
    }
    return sample;
}

Result<SeriesSample> LoadedSeriesFile::readWhole(const std::string& column) const {
    SeriesRequest request{path_, SeriesChoice{}, 0, 0};
    request.choice.column = column;
    Result<ValueColumn> values = valueColumn(request);
    if (!values.ok()) {
        return values.notice();
    }
    request.nObservations = static_cast<int>(values.value().values.size());
    return read(request);
}

std::vector<LoadedSeriesFile::NumericColumn> LoadedSeriesFile::numericColumns() const {
    // Numbers separated by blanks are one series read row by row; a tab-separated file of
    // numbers, which a single run also reads so, has columns as soon as one is named.
    if (separator_ == Separator::kNone) {
        return {NumericColumn{}};
    }
    records();
    std::vector<NumericColumn> columns;
    const std::vector<std::string>& names = shape_.names;
    for (const std::size_t c : shape_.numericColumns) {
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
