#include "data/series_input.h"

#include <algorithm>
#include <cassert>
#include <optional>

#include "data/delimited_format.h"
#include "data/number_text.h"
#include "data/plain_format.h"
#include "data/sample_choice.h"
#include "data/series_layout.h"
#include "data/series_text.h"
#include "data/table_columns.h"
#include "model/classic_numeric_locale.h"
#include "model/text_format.h"

namespace kavri {

namespace {

// The line of the first table line below a plain file's first line, when its first line may
// be a title above a table: 0 when no line within the next few holds a separator.
int tableLineBelow(TextFrom from) {
    constexpr int kLinesLooked = 20;
    for (int k = 1; k <= kLinesLooked; ++k) {
        const std::string_view rest = textAfterLines(from.text, k).text;
        if (rest.empty()) break;
        const std::string_view line = rest.substr(0, rest.find_first_of("\r\n"));
        if (!isCommentLine(line) && separatorOf(line) != Separator::kNone) {
            return from.firstLine + k;
        }
    }
    return 0;
}

struct ReadContext {
    const SeriesRequest& request;
    TextFrom from;
    int fileValues = 0;
    bool plain = false;
};

std::string missingRemedy(const ReadContext& context, int index) {
    const SeriesChoice& choice = context.request.choice;
    if (!choice.last) {
        return "(fill it, or fit a sample without it: --skip, --last)";
    }
    const int needed = context.request.nObservations + context.request.nPredictions;
    if (index >= needed) {
        return formatText(
            "(fill it, or fit a sample that ends before it: --skip %d instead of --last)",
            index - needed);
    }
    return formatText(
        "(fill it: the %d value%s before it are fewer than the %d a sample needs; lower "
        "--n-observations or --n-predictions)",
        index, index == 1 ? "" : "s", needed);
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

std::string problemText(const ReadContext& context, const ValueColumn& column,
                        const ValueField& rawField, int index, NumberProblem problem) {
    const ValueField field{shownField(rawField.text), rawField.line};
    switch (problem) {
        case NumberProblem::kMissing:
            return formatText("\"%s\" is a missing value; a series with a gap cannot be fitted %s",
                              field.text.c_str(), missingRemedy(context, index).c_str());
        case NumberProblem::kTooLarge:
            return formatText(
                "\"%s\" is too large: beyond %g in magnitude the sums of squares "
                "of the regressions overflow (rescale the series)",
                field.text.c_str(), kLargestMagnitude);
        case NumberProblem::kPercent: {
            std::string number = field.text.substr(0, field.text.find('%'));
            while (!number.empty() && number.back() == ' ') number.pop_back();
            return formatText(
                "\"%s\" is a percentage, which could stand for %s or its hundredth (save the "
                "column as plain numbers, without the percent format)",
                field.text.c_str(), number.c_str());
        }
        case NumberProblem::kNotANumber:
        case NumberProblem::kNone:
            break;
    }
    if (context.plain && looksLikeDecimalComma(field.text)) {
        return formatText(
            "\"%s\" is not a number (a decimal comma? they are read in "
            "semicolon-separated files; for two columns use --column)",
            field.text.c_str());
    }
    std::string hint;
    if (context.plain && index == 0) {
        const int tableLine = tableLineBelow(context.from);
        hint = tableLine > 0 ? formatText(
                                   " (a title above a table? --skip-lines %d reads the table "
                                   "from line %d)",
                                   tableLine - 1, tableLine)
               : field.line == context.from.firstLine ? " (a header? use --column)"
                                                      : "";
    } else if (!context.plain && !column.headerLine && index == 0) {
        hint = formatText(" (a title above the table? --skip-lines %d passes over it)", field.line);
    }
    return formatText("\"%s\" is not a number%s", field.text.c_str(), hint.c_str());
}

Notice unreadableValue(const ReadContext& context, const ValueColumn& column, int index,
                       NumberProblem problem) {
    const ValueField& field = column.values[static_cast<std::size_t>(index - column.firstIndex)];
    std::string where = formatText("%s line %d", context.request.path.c_str(), field.line);
    if (!column.columnName.empty()) {
        where += ", " + column.columnName;
    }
    return Notice(formatText("Element %d could not be read", index + 1), kErrorCaption,
                  NoticeIcon::kStop,
                  where + ": " + problemText(context, column, field, index, problem));
}

int plainCount(TextFrom from) {
    PlainReader reader(from.text, from.firstLine);
    ValueField token;
    int count = 0;
    while (reader.next(token)) ++count;
    return count;
}

ValueColumn plainSlice(TextFrom from, int first, int count) {
    ValueColumn column;
    column.firstIndex = first;
    PlainReader reader(from.text, from.firstLine);
    ValueField token;
    for (int i = 0; i < first + count && reader.next(token); ++i) {
        if (i >= first) column.values.push_back(token);
    }
    return column;
}

}  // namespace

Result<SeriesSample> readSeriesSample(const SeriesRequest& request) {
    Result<std::string> text = loadSeriesText(request.path);
    if (!text.ok()) {
        return text.notice();
    }
    return readSeriesSampleFromText(text.value(), request);
}

Result<SeriesSample> readSeriesSampleFromText(std::string_view text, const SeriesRequest& request) {
    return readSeriesSampleFromText(text, request, nullptr);
}

std::optional<ParsedTable> parseTable(std::string_view text, const SeriesChoice& choice,
                                      const std::string& path) {
    const SeriesLayout layout = seriesLayout(text, choice);
    if (layout.plain) {
        return std::nullopt;
    }
    ParsedTable table;
    Result<TableSurvey> survey = surveyTable(layout.from, layout.separator, path, &table.index);
    if (!survey.ok()) {
        return std::nullopt;
    }
    table.skipLines = choice.skipLines;
    table.survey = std::move(survey.value());
    return table;
}

Result<SeriesSample> readSeriesSampleFromText(std::string_view text, const SeriesRequest& request,
                                              const ParsedTable* table) {
    const ClassicNumericLocale classic;
    const SeriesLayout layout = seriesLayout(text, request.choice);
    ReadContext context{request, layout.from};
    context.plain = layout.plain;
    if (table != nullptr && (layout.plain || table->skipLines != request.choice.skipLines)) {
        table = nullptr;  // parsed for another reading of the text
    }
    const int needed = request.nObservations + request.nPredictions;

    SampleSource source{request.path, 0, "", false};
    std::optional<TableSurvey> ownSurvey;
    const TableSurvey* survey = nullptr;
    std::size_t chosen = 0;
    if (context.plain) {
        source.fileValues = plainCount(context.from);
    } else {
        if (table != nullptr) {
            survey = &table->survey;
        } else {
            Result<TableSurvey> surveyed =
                surveyTable(context.from, layout.separator, request.path);
            if (!surveyed.ok()) return surveyed.notice();
            ownSurvey = std::move(surveyed.value());
            survey = &*ownSurvey;
        }
        Result<std::size_t> column = chosenColumn(*survey, request.choice.column, request.path);
        if (!column.ok()) return column.notice();
        chosen = column.value();
        source.fileValues = survey->rows;
        source.columnName = columnLabel(*survey, chosen);
        source.headerLine = survey->headerLine;
    }
    context.fileValues = source.fileValues;
    Result<int> start =
        sampleStart(source, request.choice, request.nObservations, request.nPredictions);
    if (!start.ok()) {
        return start.notice();
    }
    ValueColumn column;
    if (context.plain) {
        column = plainSlice(context.from, start.value(), needed);
    } else {
        Result<NumberStyle> style = columnStyle(*survey, chosen, request.path);
        if (!style.ok()) return style.notice();
        column = table != nullptr
                     ? indexedColumnValues(context.from, *survey, table->index, chosen,
                                           start.value(), needed)
                     : columnValues(context.from, *survey, chosen, start.value(), needed);
        column.style = style.value();
    }

    SeriesSample sample;
    sample.firstElement = start.value() + 1;
    sample.fileValues = source.fileValues;
    sample.columnName = column.columnName;
    for (int i = 0; i < needed; ++i) {
        const ValueField& field = column.values[static_cast<std::size_t>(i)];
        const NumberReading number = readNumber(field.text, column.style);
        if (number.problem != NumberProblem::kNone) {
            return unreadableValue(context, column, start.value() + i, number.problem);
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
