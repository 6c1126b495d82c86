#include "data/series_input.h"

#include <cassert>

#include "data/delimited_format.h"
#include "data/number_text.h"
#include "data/plain_format.h"
#include "data/sample_choice.h"
#include "data/series_text.h"
#include "data/table_columns.h"
#include "model/classic_numeric_locale.h"
#include "model/text_format.h"

namespace kavri {

namespace {

// Recognises the layout from the first content line and returns the values it holds.
Result<ValueColumn> valueColumn(const std::string& text, const SeriesRequest& request) {
    const std::string_view firstLine = firstContentLine(text);
    const bool columnNamed = !request.choice.column.empty();
    Separator separator = separatorOf(firstLine);
    if (!columnNamed && (separator == Separator::kNone ||
                         (separator != Separator::kSemicolon && lineIsPlain(firstLine)))) {
        // Blank- or tab-separated numbers are the plain format; so is a first line of numbers
        // written with decimal commas, which then fail as values of that format.
        return plainValues(text);
    }
    if (separator == Separator::kNone) {
        separator = Separator::kBlanks;
    }
    return tableColumn(tableRecords(text, separator), separator == Separator::kSemicolon,
                       request.choice.column, request.path);
}

// The text of a field as a message can show it: a byte that is not printable (a NUL, a
// control character) as \xNN, so that it neither cuts the quoted text short nor disturbs the
// terminal, and a long field cut after 60 bytes.
std::string shownField(const std::string& text) {
    constexpr std::size_t kShownBytes = 60;
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < kShownBytes; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        shown +=
            byte < 0x20 || byte == 0x7f ? formatText("\\x%02X", byte) : std::string(1, text[i]);
    }
    if (text.size() > kShownBytes) {
        shown += formatText("... (%zu bytes)", text.size());
    }
    return shown;
}

// A UTF-16 file (a byte order mark FF FE or FE FF, or a NUL beside every other byte) reads
// as numbers with NULs between the digits: it is named as such, with the remedy.
MaybeNotice encodingNotice(const std::string& path, const std::string& text) {
    const std::string_view start = std::string_view(text).substr(0, 64);
    bool utf16 = start.substr(0, 2) == "\xFF\xFE" || start.substr(0, 2) == "\xFE\xFF";
    if (!utf16 && start.size() >= 8) {
        int evenNuls = 0;
        int oddNuls = 0;
        for (std::size_t i = 0; i < start.size(); ++i) {
            if (start[i] == '\0') {
                (i % 2 == 0 ? evenNuls : oddNuls) += 1;
            }
        }
        const int half = static_cast<int>(start.size() / 2);
        utf16 = evenNuls >= half - 1 || oddNuls >= half - 1;
    }
    if (!utf16) {
        return std::nullopt;
    }
    return Notice(formatText("File %s could not be read", path.c_str()), kErrorCaption,
                  NoticeIcon::kStop,
                  "It is UTF-16 text, which Kavri does not read: save it as UTF-8 or plain "
                  "ASCII text (in a spreadsheet, as CSV UTF-8)");
}

std::string problemText(const ValueField& rawField, NumberProblem problem, bool plainFirstValue) {
    const ValueField field{shownField(rawField.text), rawField.line};
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

Result<SeriesSample> readSeriesSample(const SeriesRequest& request) {
    const ClassicNumericLocale classic;
    Result<std::string> text = loadSeriesText(request.path);
    if (!text.ok()) {
        return text.notice();
    }
    if (MaybeNotice notice = encodingNotice(request.path, text.value())) {
        return *notice;
    }
    Result<ValueColumn> read = valueColumn(text.value(), request);
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
