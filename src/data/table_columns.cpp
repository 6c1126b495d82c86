#include "data/table_columns.h"

#include <algorithm>
#include <cctype>

#include "model/text_format.h"

namespace kavri {

namespace {

// Records read to recognise the header; a column whose first value present lies further
// down is judged from its header text alone.
constexpr std::size_t kHeaderScan = 1000;

bool isNumber(const std::string& text) { return numberStyles(text) != 0 || isPercentage(text); }

bool isText(const std::string& text) { return !isNumber(text) && !isMissingMarker(text); }

const std::string& fieldOf(const std::vector<std::string>& fields, std::size_t column) {
    static const std::string kAbsent;
    return column < fields.size() ? fields[column] : kAbsent;
}

bool allEmpty(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& f) { return f.empty(); });
}

// The records read to recognise the header, kept as little as a wide table needs: the first
// two records whole, and for each field of the records below the first whether its first
// value present (not missing) is a number.
struct HeadRecords {
    std::vector<TableRecord> firstTwo;
    std::vector<signed char> firstPresentIsNumber;  // -1: none present yet
    void add(const TableRecord& record) {
        if (firstTwo.size() < 2) firstTwo.push_back(record);
        if (firstTwo.size() == 1) return;
        if (firstPresentIsNumber.size() < record.fields.size()) {
            firstPresentIsNumber.resize(record.fields.size(), -1);
        }
        for (std::size_t f = 0; f < record.fields.size(); ++f) {
            if (firstPresentIsNumber[f] < 0 && !isMissingMarker(record.fields[f])) {
                firstPresentIsNumber[f] = isNumber(record.fields[f]) ? 1 : 0;
            }
        }
    }
};

// The first record is a header when some field of it is text where the column's next value
// present is a number (for a file of one record: when none of its fields is a number).
bool firstRecordIsHeader(const HeadRecords& head) {
    const std::vector<TableRecord>& records = head.firstTwo;
    if (records.empty()) {
        return false;
    }
    const TableRecord& first = records.front();
    if (records.size() == 1) {
        return std::none_of(first.fields.begin(), first.fields.end(), isNumber);
    }
    // R's row names shift the data one field to the right of the names above them.
    const std::size_t shift =
        records[1].fields.size() == first.fields.size() + 1 && !records[1].fields.back().empty()
            ? 1
            : 0;
    for (std::size_t c = 0; c < first.fields.size(); ++c) {
        // Compared with the column's first value present, so that a gap in the first data
        // line does not hide the header.
        const std::size_t f = c + shift;
        if (isText(first.fields[c]) && f < head.firstPresentIsNumber.size() &&
            head.firstPresentIsNumber[f] == 1) {
            return true;
        }
    }
    return false;
}

bool hasPunctuation(const std::string& text) {
    return text.find_first_of(".,' ") != std::string::npos ||
           text.find('\xC2') != std::string::npos || text.find('\xE2') != std::string::npos;
}

// Adds one value of a column to its survey.
void tally(ColumnSurvey& column, const std::string& text, int line, int row,
           const std::string& label0, const std::string& label1) {
    if (isMissingMarker(text)) {
        ++column.missing;
        return;
    }
    if (column.firstPresent.line == 0) {
        column.firstPresent = {text, line, row};
        column.firstLabels[0] = label0;
        column.firstLabels[1] = label1;
    }
    // Written over the last value's strings: no allocation per value of a long table.
    column.lastPresent.text.assign(text);
    column.lastPresent.line = line;
    column.lastPresent.row = row;
    column.lastLabels[0] = label0;
    column.lastLabels[1] = label1;
    const unsigned styles = numberStyles(text);
    if (styles == 0) {
        ++column.texts;
        if (column.firstText.line == 0) column.firstText = {text, line, row};
        return;
    }
    ++column.numbers;
    if (!hasPunctuation(text)) {
        return;
    }
    if (column.firstPunctuated.line == 0) column.firstPunctuated = {text, line, row};
    const bool point = (styles & kPointStyles) != 0;
    const bool comma = (styles & kCommaStyles) != 0;
    column.pointOnly = column.pointOnly || (point && !comma);
    column.commaOnly = column.commaOnly || (comma && !point);
    if ((column.styles & styles) == 0) {
        if (column.conflict.line == 0) column.conflict = {text, line, row};
        return;
    }
    column.styles &= styles;
}

Notice misfit(const std::string& path, const TableSurvey& survey, int line, std::size_t got,
              int referenceLine) {
    const std::size_t named = survey.fields - (survey.rowNames ? 1 : 0);
    std::string detail;
    if (survey.headerLine) {
        detail = formatText("%s line %d holds %zu field%s; the header on line %d names %zu",
                            path.c_str(), line, got, got == 1 ? "" : "s", referenceLine, named);
        if (survey.rowNames) detail += " after a first field of row names, as R writes them";
    } else {
        detail = formatText("%s line %d holds %zu field%s; line %d holds %zu", path.c_str(), line,
                            got, got == 1 ? "" : "s", referenceLine, survey.fields);
    }
    detail +=
        ". Every line of a table needs one field per column (a field that holds the separator "
        "must be in double quotes)";
    detail += line == referenceLine + 1 ? formatText(
                                              "; if line %d is a title or note above the table, "
                                              "--skip-lines %d passes over it",
                                              referenceLine, referenceLine)
                                        : "";
    return Notice(formatText("Line %d of %s does not fit the table", line, path.c_str()),
                  kErrorCaption, NoticeIcon::kStop, detail);
}

Notice unclosedQuote(const std::string& path, int line) {
    return Notice(formatText("File %s could not be read", path.c_str()), kErrorCaption,
                  NoticeIcon::kStop,
                  formatText("Line %d opens a quote (\") that is never closed, so the rest of the "
                             "file would be one field: close the quote or remove it",
                             line));
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

Notice columnNotFound(const std::string& requested, const std::string& path,
                      const TableSurvey& survey) {
    const std::size_t nColumns = survey.columns.size();
    std::string detail;
    if (!survey.headerLine) {
        detail = formatText(
            "It has %zu column%s and no header line: --column takes a number "
            "from 1 to %zu",
            nColumns, nColumns == 1 ? "" : "s", nColumns);
    } else {
        detail = "Its columns are";
        // A listing beyond this many columns says how many more there are instead.
        constexpr std::size_t kListed = 50;
        for (std::size_t c = 0; c < nColumns && c < kListed; ++c) {
            detail += formatText("%s %zu \"%s\"", c == 0 ? "" : ",", c + 1,
                                 survey.columns[c].name.c_str());
        }
        if (nColumns > kListed) detail += formatText(" and %zu more", nColumns - kListed);
        detail += " (--column takes a name or a number)";
    }
    return Notice(formatText("Column %s was not found in %s", requested.c_str(), path.c_str()),
                  kErrorCaption, NoticeIcon::kStop, detail);
}

Notice styleRefusal(const std::string& path, const TableSurvey& survey, std::size_t column,
                    const PlacedField& field, const std::string& why) {
    return Notice(formatText("Element %d could not be read", field.row + 1), kErrorCaption,
                  NoticeIcon::kStop,
                  formatText("%s line %d, %s: \"%s\" %s", path.c_str(), field.line,
                             columnLabel(survey, column).c_str(), field.text.c_str(), why.c_str()));
}

NumberStyle firstStyle(unsigned styles) {
    for (std::size_t s = 0; s < std::size(kNumberStyles); ++s) {
        if ((styles & (1u << s)) != 0) return kNumberStyles[s];
    }
    return kNumberStyles[0];
}

// The field of a data row that holds `column`.
std::size_t fieldIndex(const TableSurvey& survey, std::size_t column) {
    return column + (survey.rowNames ? 1 : 0);
}

// Fits the fields of a data row to the header: a last empty field that the header does not
// name is a separator written after the last field.
void dropTrailingSeparator(std::vector<std::string>& fields, std::size_t expected) {
    if (fields.size() == expected + 1 && fields.back().empty()) fields.pop_back();
}

}  // namespace

Result<TableSurvey> surveyTable(TextFrom text, Separator separator, const std::string& path,
                                TableIndex* index) {
    TableSurvey survey;
    survey.separator = separator;
    HeadRecords scan;
    {
        RecordReader reader(text.text, separator, text.firstLine);
        TableRecord record;
        for (std::size_t r = 0; r < kHeaderScan && reader.next(record); ++r) scan.add(record);
    }
    const std::vector<TableRecord>& head = scan.firstTwo;
    if (head.empty()) {
        survey.fields = 1;
        survey.columns.resize(1);
        return survey;
    }
    survey.headerLine = firstRecordIsHeader(scan);
    const TableRecord& first = head.front();
    std::size_t named = first.fields.size();
    if (survey.headerLine && named > 1 && first.fields.back().empty() && head.size() > 1 &&
        head[1].fields.size() == named - 1) {
        --named;  // a separator after the header's last name
    }
    if (survey.headerLine) {
        survey.headerLineNumber = first.line;
        if (head.size() > 1 && head[1].fields.size() == named + 1 &&
            !head[1].fields.back().empty()) {
            survey.rowNames = true;
        }
    }
    survey.fields = named + (survey.rowNames ? 1 : 0);
    survey.columns.resize(std::max<std::size_t>(1, named));
    if (survey.headerLine) {
        for (std::size_t c = 0; c < named; ++c) survey.columns[c].name = first.fields[c];
    }
    const std::size_t offset = survey.rowNames ? 1 : 0;
    bool numbered = survey.headerLine && (survey.rowNames || survey.columns[0].name.empty());

    RecordReader reader(text.text, separator, text.firstLine);
    TableRecord record;
    if (survey.headerLine) reader.next(record);
    std::vector<int> emptyLines;  // all-empty rows not yet followed by a row with values
    auto addRow = [&](const std::vector<std::string>& fields, int line) {
        const int row = survey.rows++;
        numbered = numbered && fieldOf(fields, 0) == std::to_string(row + 1);
        for (std::size_t c = 0; c < survey.columns.size(); ++c) {
            tally(survey.columns[c], fieldOf(fields, c + offset), line, row, fieldOf(fields, 0),
                  fieldOf(fields, 1));
        }
    };
    const std::vector<std::string> noFields;
    // With an index: the marks of each row, those of the empty rows kept until a row with
    // values shows that they are rows.
    std::vector<std::size_t> starts;
    std::vector<std::size_t> emptyMarks;
    std::vector<std::size_t> emptyMarkEnds;
    auto mark = [](const std::vector<std::size_t>& from, std::vector<std::size_t>& to) {
        for (std::size_t f = 0; f < from.size(); f += TableIndex::kFieldStride) {
            to.push_back(from[f]);
        }
    };
    if (index != nullptr) {
        *index = TableIndex{};
        index->rowMarks.push_back(0);
    }
    while (reader.next(record, index != nullptr ? &starts : nullptr)) {
        if (record.unclosedQuoteLine > 0) {
            return unclosedQuote(path, record.unclosedQuoteLine);
        }
        dropTrailingSeparator(record.fields, survey.fields);
        if (allEmpty(record.fields)) {
            emptyLines.push_back(record.line);
            if (index != nullptr) {
                mark(starts, emptyMarks);
                emptyMarkEnds.push_back(emptyMarks.size());
            }
            continue;
        }
        if (record.fields.size() != survey.fields) {
            return misfit(path, survey, record.line, record.fields.size(), first.line);
        }
        for (int line : emptyLines) addRow(noFields, line);
        if (index != nullptr) {
            std::size_t from = 0;
            for (std::size_t e = 0; e < emptyLines.size(); ++e) {
                index->marks.insert(
                    index->marks.end(), emptyMarks.begin() + static_cast<std::ptrdiff_t>(from),
                    emptyMarks.begin() + static_cast<std::ptrdiff_t>(emptyMarkEnds[e]));
                from = emptyMarkEnds[e];
                index->rowMarks.push_back(index->marks.size());
                index->lines.push_back(emptyLines[e]);
            }
            emptyMarks.clear();
            emptyMarkEnds.clear();
            mark(starts, index->marks);
            index->rowMarks.push_back(index->marks.size());
            index->lines.push_back(record.line);
        }
        emptyLines.clear();
        addRow(record.fields, record.line);
    }
    survey.rowNumbers = numbered && survey.rows > 0;
    const std::size_t labelField = survey.rowNumbers ? 1 : 0;
    if (survey.fields > labelField + 1) {
        survey.labelField = labelField;
    }
    for (std::size_t c = 0; c < survey.columns.size(); ++c) {
        ColumnSurvey& column = survey.columns[c];
        if (survey.labelField && *survey.labelField != c + offset) {
            column.firstLabel = column.firstLabels[labelField];
            column.lastLabel = column.lastLabels[labelField];
        }
    }
    return survey;
}

Result<std::size_t> chosenColumn(const TableSurvey& survey, const std::string& requested,
                                 const std::string& path) {
    const std::size_t nColumns = survey.columns.size();
    if (!requested.empty()) {
        std::vector<std::string> names;
        if (survey.headerLine) {
            for (const ColumnSurvey& column : survey.columns) names.push_back(column.name);
        }
        std::optional<std::size_t> named = namedColumn(names, requested, nColumns);
        if (!named) {
            return columnNotFound(requested, path, survey);
        }
        return *named;
    }
    std::optional<std::size_t> lastNumeric;
    for (std::size_t c = 0; c < nColumns; ++c) {
        const PlacedField& first = survey.columns[c].firstPresent;
        if (first.line != 0 && numberStyles(first.text) != 0) lastNumeric = c;
    }
    return lastNumeric.value_or(nColumns - 1);
}

std::string columnLabel(const TableSurvey& survey, std::size_t column) {
    const std::string& name = survey.columns[column].name;
    return name.empty() ? formatText("column %zu", column + 1)
                        : formatText("column %zu \"%s\"", column + 1, name.c_str());
}

Result<NumberStyle> columnStyle(const TableSurvey& survey, std::size_t column,
                                const std::string& path) {
    const ColumnSurvey& values = survey.columns[column];
    if (values.conflict.line != 0) {
        return styleRefusal(
            path, survey, column, values.conflict,
            formatText("is not written like \"%s\" on line %d: a column keeps one decimal mark "
                       "and one thousands separator throughout (save it again with one "
                       "number format)",
                       values.firstPunctuated.text.c_str(), values.firstPunctuated.line));
    }
    unsigned styles = values.styles;
    if (values.firstPunctuated.line == 0 || styles == kAllStyles) {
        return kNumberStyles[0];  // whole numbers only: every style reads them alike
    }
    if ((styles & kPointStyles) != 0 && (styles & kCommaStyles) != 0) {
        bool point = false;
        bool comma = false;
        for (const ColumnSurvey& other : survey.columns) {
            point = point || other.pointOnly;
            comma = comma || other.commaOnly;
        }
        if (point != comma) {
            styles &= point ? kPointStyles : kCommaStyles;
        } else if (!point && survey.separator != Separator::kSemicolon) {
            styles &= kPointStyles;  // these files write decimal points
        } else {
            const std::string& text = values.firstPunctuated.text;
            const NumberReading asPoint = readNumber(text, firstStyle(styles & kPointStyles));
            const NumberReading asComma = readNumber(text, firstStyle(styles & kCommaStyles));
            return styleRefusal(
                path, survey, column, values.firstPunctuated,
                formatText("may be %.15g or %.15g: a semicolon-separated file usually writes "
                           "decimal commas and thousands points, but no number of this file "
                           "shows which it uses (save the column without thousands "
                           "separators, or with at least one decimal place)",
                           asComma.value, asPoint.value));
        }
    }
    return firstStyle(styles);
}

ValueColumn columnValues(TextFrom text, const TableSurvey& survey, std::size_t column, int first,
                         int count) {
    ValueColumn values;
    values.firstIndex = first;
    values.headerLine = survey.headerLine;
    values.columnName = columnLabel(survey, column);
    const std::size_t field = fieldIndex(survey, column);
    const bool labelled = survey.labelField && *survey.labelField != field;
    RecordReader reader(text.text, survey.separator, text.firstLine);
    TableRecord record;
    if (survey.headerLine) reader.next(record);
    int row = 0;
    while (row < first + count && row < survey.rows && reader.next(record)) {
        if (row >= first) {
            values.values.push_back({fieldOf(record.fields, field), record.line});
            if (labelled) values.labels.push_back(fieldOf(record.fields, *survey.labelField));
        }
        ++row;
    }
    return values;
}

ValueColumn indexedColumnValues(TextFrom text, const TableSurvey& survey, const TableIndex& index,
                                std::size_t column, int first, int count) {
    ValueColumn values;
    values.firstIndex = first;
    values.headerLine = survey.headerLine;
    values.columnName = columnLabel(survey, column);
    const std::size_t field = fieldIndex(survey, column);
    const bool labelled = survey.labelField && *survey.labelField != field;
    RecordReader reader(text.text, survey.separator, text.firstLine);
    std::vector<std::string> fields;
    // The text of field `wanted` of `row`, as the row's record holds it ("" past its end).
    auto fieldText = [&](std::size_t row, std::size_t wanted) {
        const std::size_t mark = wanted / TableIndex::kFieldStride;
        const std::size_t from = index.rowMarks[row];
        if (from + mark >= index.rowMarks[row + 1]) {
            return std::string();
        }
        const std::size_t skipped = wanted % TableIndex::kFieldStride;
        reader.fieldsAt(index.marks[from + mark], skipped + 1, fields);
        return fields.size() > skipped ? std::move(fields[skipped]) : std::string();
    };
    const int rows = static_cast<int>(index.lines.size());
    for (int row = first; row < first + count && row < rows; ++row) {
        const auto r = static_cast<std::size_t>(row);
        values.values.push_back({fieldText(r, field), index.lines[r]});
        if (labelled) values.labels.push_back(fieldText(r, *survey.labelField));
    }
    return values;
}

}  // namespace kavri
