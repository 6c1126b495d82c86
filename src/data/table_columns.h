#pragma once

// A table's layout and columns, found in one pass over its records that keeps no values:
// whether the first line is a header, how many fields each line holds, how each column writes
// its numbers, and what each column holds. The values of the sample are taken in a second pass.

#include <optional>
#include <string>
#include <vector>

#include "data/delimited_format.h"
#include "data/number_text.h"
#include "data/value_column.h"
#include "model/notice.h"

namespace kavri {

// A value of a column with its place: the line, and the 0-based row among the data rows.
struct PlacedField {
    std::string text;
    int line = 0;  // 0: none
    int row = 0;
};

struct ColumnSurvey {
    std::string name;              // the header's text; empty without a header
    int missing = 0;               // missing-value markers (NA, empty, #N/A...)
    int numbers = 0;               // values that are numbers in some style
    int texts = 0;                 // values that are neither
    unsigned styles = kAllStyles;  // the styles in which every number of the column reads
    bool pointOnly = false;        // some number reads only with a decimal point ("2.5")
    bool commaOnly = false;        // some number reads only with a decimal comma ("2,5")
    PlacedField firstPunctuated;   // the first number holding a point, comma, space or '
    PlacedField conflict;          // the first number written in none of the styles above it
    PlacedField firstText;         // the first value that is neither a number nor missing
    PlacedField firstPresent;      // the first and last values that are not missing
    PlacedField lastPresent;
    std::string firstLabel;  // the label (date) of firstPresent and lastPresent, when any
    std::string lastLabel;
    // The first and second fields of firstPresent's and lastPresent's rows, from which the labels
    // are taken once the label column is known.
    std::string firstLabels[2];
    std::string lastLabels[2];
};

struct TableSurvey {
    Separator separator = Separator::kComma;
    bool headerLine = false;
    int headerLineNumber = 0;
    // R's write.table: a header naming every field of the rows but the first, which holds the
    // row names. Columns are then counted after the row names.
    bool rowNames = false;
    // The first field counts the rows 1, 2, 3... as R's write.table and write.csv write row
    // names, under no header name or an empty one: the dates are in the next field.
    bool rowNumbers = false;
    std::size_t fields = 0;  // fields of every data line
    int rows = 0;            // data rows; empty rows at the end are no values
    std::vector<ColumnSurvey> columns;
    std::optional<std::size_t> labelField;  // the field of the dates or times, when any
};

// Where the fields of a table's data rows start in its text, found in one pass, so that the
// columns of a table fitted one after another (many series of one file) are each read
// without splitting every line again and without holding every field as a string: a column
// is read by going to the nearest field start marked before it on each row. Every
// kFieldStride-th field start is marked, which keeps the index at a small fraction of the
// text, however wide the table.
struct TableIndex {
    static constexpr std::size_t kFieldStride = 16;
    std::vector<std::size_t> marks;     // the start of fields 0, kFieldStride, 2 kFieldStride...
    std::vector<std::size_t> rowMarks;  // row r's marks: marks[rowMarks[r] .. rowMarks[r+1])
    std::vector<int> lines;             // each row's line
};

// Surveys the table `text` (from `path`, separated by `separator`); with `index`, also marks
// where the fields of its data rows start, in the same pass. A line with another number
// of fields than the header (or the first line) is refused: "Line %d of %s does not fit the
// table", naming both counts. Lines whose fields are all empty are no values when they end
// the file (spreadsheets export formatted empty rows as ";;").
Result<TableSurvey> surveyTable(TextFrom text, Separator separator, const std::string& path,
                                TableIndex* index = nullptr);

// The 0-based column (after any row names) that holds the series:
// - `requested` names it by its header text (exact, else the only match ignoring case) or by
//   its 1-based number;
// - empty: the only column whose first value present is a number, else the last of them (a
//   year column before the values is numeric too), else the last column.
// A column that does not exist gives "Column %s was not found in %s" with the columns there
// are as its detail.
Result<std::size_t> chosenColumn(const TableSurvey& survey, const std::string& requested,
                                 const std::string& path);

// "column 2 \"lynx\"" or "column 2": the column as messages name it.
std::string columnLabel(const TableSurvey& survey, std::size_t column);

// How `column` writes its numbers, decided from all its values: the one decimal mark and
// thousands separator that read every one of them. Where both marks read them to different
// numbers ("1.475"), the file decides: a decimal comma or point elsewhere in it, else the point
// in a comma-, tab- or blank-separated file; a semicolon file that shows neither is refused,
// and so is a column that no one style reads ("1.5" above "2,5"), naming the line and text.
Result<NumberStyle> columnStyle(const TableSurvey& survey, std::size_t column,
                                const std::string& path);

// The values `first` to `first + count - 1` (0-based rows) of `column`, with their labels
// when the table has a label column; the pass stops once they are read.
ValueColumn columnValues(TextFrom text, const TableSurvey& survey, std::size_t column, int first,
                         int count);

// columnValues through `index`: the same values, labels and lines.
ValueColumn indexedColumnValues(TextFrom text, const TableSurvey& survey, const TableIndex& index,
                                std::size_t column, int first, int count);

}  // namespace kavri
