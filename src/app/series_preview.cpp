#include "app/series_preview.h"

#include <algorithm>

#include "data/delimited_format.h"
#include "data/number_text.h"
#include "data/plain_format.h"
#include "data/series_text.h"
#include "data/table_columns.h"

namespace kavri {

namespace {

std::string describedValue(const ValueColumn& column, std::size_t index) {
    const std::string& text = column.values[index].text;
    const std::string shown = text.empty() ? std::string("(empty)") : text;
    if (index < column.labels.size() && !column.labels[index].empty()) {
        return column.labels[index] + ": " + shown;
    }
    return shown;
}

PreviewColumn describe(const ValueColumn& column) {
    PreviewColumn described;
    described.values = static_cast<int>(column.values.size());
    described.missing = static_cast<int>(
        std::count_if(column.values.begin(), column.values.end(),
                      [](const ValueField& field) { return isMissingMarker(field.text); }));
    if (!column.values.empty()) {
        described.first = describedValue(column, 0);
        described.last = describedValue(column, column.values.size() - 1);
    }
    return described;
}

const char* separatorName(Separator separator) {
    switch (separator) {
        case Separator::kComma:
            return "comma-separated table";
        case Separator::kSemicolon:
            return "semicolon-separated table (decimal commas)";
        case Separator::kTab:
            return "tab-separated table";
        case Separator::kBlanks:
        case Separator::kNone:
            break;
    }
    return "table";
}

}  // namespace

SeriesPreview previewSeriesFile(const std::string& path) {
    SeriesPreview preview;
    const Result<std::string> text = loadSeriesText(path);
    if (!text.ok()) {
        const Notice& notice = text.notice();
        preview.problem = notice.text + (notice.detail.empty() ? "" : ": " + notice.detail);
        return preview;
    }
    // The same recognition as a run without a column choice: a first line of numbers separated
    // by blanks or tabs is the plain format.
    const std::string_view firstLine = firstContentLine(text.value());
    const Separator separator = separatorOf(firstLine);
    if (separator == Separator::kNone ||
        (separator != Separator::kSemicolon && lineIsPlain(firstLine))) {
        preview.layout = "plain numbers";
        PreviewColumn values = describe(plainValues(text.value()));
        values.title = "values";
        values.automatic = true;
        preview.columns.push_back(values);
        return preview;
    }
    preview.table = true;
    const bool decimalComma = separator == Separator::kSemicolon;
    const std::vector<TableRecord> records = tableRecords(text.value(), separator);
    const Result<ValueColumn> automatic = tableColumn(records, decimalComma, "", path);
    const std::size_t nColumns = records.empty() ? 0 : records.front().fields.size();
    const bool header = automatic.ok() && automatic.value().headerLine;
    preview.layout = std::string(separatorName(separator)) +
                     (header ? " with a header line" : " without a header line");
    for (std::size_t c = 0; c < std::min<std::size_t>(nColumns, kPreviewColumns); ++c) {
        const std::string number = std::to_string(c + 1);
        const Result<ValueColumn> column = tableColumn(records, decimalComma, number, path);
        if (!column.ok()) {
            continue;
        }
        PreviewColumn described = describe(column.value());
        const std::string& name = header ? records.front().fields[c] : std::string();
        described.choice = name.empty() ? number : name;
        described.title = name.empty() ? number : number + " \"" + name + "\"";
        described.automatic =
            automatic.ok() && automatic.value().columnName == column.value().columnName;
        preview.columns.push_back(described);
    }
    return preview;
}

}  // namespace kavri
