#include "data/table_preview.h"

#include "data/dates.h"
#include "data/delimited_format.h"
#include "data/number_text.h"
#include "data/plain_format.h"
#include "data/series_layout.h"
#include "data/series_text.h"
#include "data/table_columns.h"
#include "model/classic_numeric_locale.h"

namespace kavri {

namespace {

std::string layoutName(Separator separator) {
    switch (separator) {
        case Separator::kComma:
            return "comma-separated table";
        case Separator::kSemicolon:
            return "semicolon-separated table";
        case Separator::kTab:
            return "tab-separated table";
        case Separator::kBlanks:
        case Separator::kNone:
            break;
    }
    return "blank-separated table";
}

std::string styleName(NumberStyle style) {
    std::string name = style.decimal == ',' ? "decimal comma" : "decimal point";
    switch (style.group) {
        case ',':
            return name + ", thousands comma";
        case '.':
            return name + ", thousands point";
        case ' ':
            return name + ", thousands space";
        case '\'':
            return name + ", thousands apostrophe";
        default:
            return name;
    }
}

std::string typeOf(const ColumnSurvey& column, bool allDates) {
    if (column.firstPresent.line == 0) return "empty";
    if (column.texts == 0) return "number";
    return allDates ? "date" : "text";
}

ColumnPreview plainPreview(TextFrom from) {
    ColumnPreview column;
    PlainReader reader(from.text, from.firstLine);
    ValueField token;
    bool texts = false;
    while (reader.next(token)) {
        ++column.values;
        if (isMissingMarker(token.text)) {
            ++column.missing;
            continue;
        }
        texts = texts || readNumber(token.text, false).problem == NumberProblem::kNotANumber;
        if (column.firstLine == 0) {
            column.first = token.text;
            column.firstLine = token.line;
        }
        column.last = token.text;
        column.lastLine = token.line;
    }
    column.type = column.firstLine == 0 ? "empty" : (texts ? "text" : "number");
    if (column.type == "number") column.numberFormat = styleName(NumberStyle{});
    column.read = true;
    return column;
}

}  // namespace

Result<FilePreview> previewSeriesFile(const std::string& path, const SeriesChoice& choice) {
    const ClassicNumericLocale classic;
    Result<std::string> text = loadSeriesText(path);
    if (!text.ok()) {
        return text.notice();
    }
    const SeriesLayout layout = seriesLayout(text.value(), choice);
    FilePreview preview;
    if (layout.plain) {
        preview.layout = "plain numbers";
        preview.columns.push_back(plainPreview(layout.from));
        return preview;
    }
    Result<TableSurvey> survey = surveyTable(layout.from, layout.separator, path);
    if (!survey.ok()) {
        return survey.notice();
    }
    Result<std::size_t> chosen = chosenColumn(survey.value(), choice.column, path);
    if (!chosen.ok()) {
        return chosen.notice();
    }
    const TableSurvey& table = survey.value();
    preview.layout = layoutName(layout.separator);
    preview.headerLine = table.headerLineNumber;
    preview.rowNames = table.rowNames;
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const ColumnSurvey& survey = table.columns[c];
        ColumnPreview column;
        column.number = static_cast<int>(c) + 1;
        column.name = survey.name;
        const bool dates = isDate(survey.firstPresent.text) && isDate(survey.lastPresent.text);
        column.type = typeOf(survey, dates);
        // Years are numbers, and in the label column they are the dates of the values.
        const bool labels = table.labelField && *table.labelField == c + (table.rowNames ? 1 : 0);
        if (column.type == "number" && labels && dates) column.type = "date";
        column.values = table.rows;
        column.missing = survey.missing;
        column.first = survey.firstPresent.text;
        column.firstLine = survey.firstPresent.line;
        column.firstDate = survey.firstLabel;
        column.last = survey.lastPresent.text;
        column.lastLine = survey.lastPresent.line;
        column.lastDate = survey.lastLabel;
        column.read = c == chosen.value();
        if (column.type == "number") {
            Result<NumberStyle> style = columnStyle(table, c, path);
            if (style.ok()) {
                column.numberFormat = styleName(style.value());
            } else if (column.read) {
                preview.problem = style.notice().detail;
            }
        }
        preview.columns.push_back(std::move(column));
    }
    return preview;
}

}  // namespace kavri
