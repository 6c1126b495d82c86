#include "data/table_columns.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "data/number_text.h"
#include "model/text_format.h"

namespace kavri {

namespace {

bool isNumber(const std::string& text, bool decimalComma) {
    const NumberProblem problem = readNumber(text, decimalComma).problem;
    return problem == NumberProblem::kNone || problem == NumberProblem::kTooLarge;
}

bool isText(const std::string& text, bool decimalComma) {
    return !isNumber(text, decimalComma) && !isMissingMarker(text);
}

const std::string& fieldOf(const TableRecord& record, std::size_t column) {
    static const std::string kAbsent;
    return column < record.fields.size() ? record.fields[column] : kAbsent;
}

bool firstRecordIsHeader(const std::vector<TableRecord>& records, bool decimalComma) {
    if (records.empty()) {
        return false;
    }
    const TableRecord& first = records.front();
    if (records.size() == 1) {
        return std::none_of(first.fields.begin(), first.fields.end(),
                            [&](const std::string& f) { return isNumber(f, decimalComma); });
    }
    for (std::size_t c = 0; c < first.fields.size(); ++c) {
        if (!isText(first.fields[c], decimalComma)) {
            continue;
        }
        // Compared with the column's first value present, so that a gap in the first data
        // line does not hide the header.
        for (std::size_t r = 1; r < records.size(); ++r) {
            const std::string& field = fieldOf(records[r], c);
            if (!isMissingMarker(field)) {
                if (isNumber(field, decimalComma)) return true;
                break;
            }
        }
    }
    return false;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<std::size_t> namedColumn(const std::vector<std::string>& names,
                                       const std::string& requested, std::size_t nColumns) {
    for (std::size_t c = 0; c < names.size(); ++c) {
        if (names[c] == requested) return c;
    }
    std::optional<std::size_t> match;
    for (std::size_t c = 0; c < names.size(); ++c) {
        if (lowerCase(names[c]) == lowerCase(requested)) {
            if (match) return std::nullopt;  // ambiguous without case
            match = c;
        }
    }
    if (match) return match;
    if (!requested.empty() &&
        std::all_of(requested.begin(), requested.end(),
                    [](unsigned char c) { return std::isdigit(c); }) &&
        requested.size() < 9) {
        const std::size_t number = std::stoul(requested);
        if (number >= 1 && number <= nColumns) return number - 1;
    }
    return std::nullopt;
}

// The columns whose first value present is a number.
std::vector<std::size_t> numericColumnsOf(const std::vector<TableRecord>& records,
                                          std::size_t firstData, std::size_t nColumns,
                                          bool decimalComma) {
    std::vector<std::size_t> numeric;
    for (std::size_t c = 0; c < nColumns; ++c) {
        for (std::size_t r = firstData; r < records.size(); ++r) {
            const std::string& field = fieldOf(records[r], c);
            if (isMissingMarker(field)) continue;
            if (isNumber(field, decimalComma)) numeric.push_back(c);
            break;
        }
    }
    return numeric;
}

Notice columnNotFound(const std::string& requested, const std::string& path,
                      const std::vector<std::string>& names, std::size_t nColumns) {
    std::string detail;
    if (names.empty()) {
        detail = formatText(
            "It has %zu column%s and no header line: --column takes a number "
            "from 1 to %zu",
            nColumns, nColumns == 1 ? "" : "s", nColumns);
    } else {
        detail = "Its columns are";
        for (std::size_t c = 0; c < names.size(); ++c) {
            detail += formatText("%s %zu \"%s\"", c == 0 ? "" : ",", c + 1, names[c].c_str());
        }
        detail += " (--column takes a name or a number)";
    }
    return Notice(formatText("Column %s was not found in %s", requested.c_str(), path.c_str()),
                  kErrorCaption, NoticeIcon::kStop, detail);
}

}  // namespace

TableShape tableShape(const std::vector<TableRecord>& records, bool decimalComma) {
    TableShape shape;
    shape.headerLine = firstRecordIsHeader(records, decimalComma);
    shape.nColumns = records.empty() ? 1 : std::max<std::size_t>(1, records.front().fields.size());
    if (shape.headerLine) {
        shape.names = records.front().fields;
    }
    shape.numericColumns =
        numericColumnsOf(records, shape.headerLine ? 1 : 0, shape.nColumns, decimalComma);
    return shape;
}

Result<ValueColumn> tableColumn(const std::vector<TableRecord>& records, bool decimalComma,
                                const std::string& requested, const std::string& path) {
    return tableColumn(records, tableShape(records, decimalComma), decimalComma, requested, path);
}

Result<ValueColumn> tableColumn(const std::vector<TableRecord>& records, const TableShape& shape,
                                bool decimalComma, const std::string& requested,
                                const std::string& path) {
    ValueColumn column;
    column.decimalComma = decimalComma;
    column.headerLine = shape.headerLine;
    const std::size_t firstData = column.headerLine ? 1 : 0;
    const std::size_t nColumns = shape.nColumns;
    const std::vector<std::string>& names = shape.names;

    std::size_t chosen = 0;
    if (!requested.empty()) {
        std::optional<std::size_t> named = namedColumn(names, requested, nColumns);
        if (!named) {
            return columnNotFound(requested, path, names, nColumns);
        }
        chosen = *named;
    } else {
        // The only column whose first value is a number, else the last of them (a year column
        // before the values is numeric too), else the last column.
        chosen = shape.numericColumns.empty() ? nColumns - 1 : shape.numericColumns.back();
    }

    column.columnName = chosen < names.size() && !names[chosen].empty()
                            ? formatText("column %zu \"%s\"", chosen + 1, names[chosen].c_str())
                            : formatText("column %zu", chosen + 1);
    const bool labelled = nColumns > 1 && chosen != 0;
    column.values.reserve(records.size() - firstData);
    for (std::size_t r = firstData; r < records.size(); ++r) {
        column.values.push_back({fieldOf(records[r], chosen), records[r].line});
        if (labelled) {
            column.labels.push_back(fieldOf(records[r], 0));
        }
    }
    return column;
}

}  // namespace kavri
