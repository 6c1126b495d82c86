#pragma once

// Reading the series of a run from its file. The layouts (data/series_layout.h): the plain
// format, white-space separated numbers read row by row; or a table, fields separated by
// semicolons, commas, tabs or blanks, an optional header line, one column holding the series
// and the first column (after any row names) carried along as labels (dates or times).
// The file is passed over twice without keeping its values: once to survey it (and count the
// values), once to take the sample, which only is read as numbers.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/table_columns.h"
#include "data/value_column.h"
#include "model/notice.h"
#include "model/run_settings.h"
#include "numeric/storage.h"

namespace kavri {

struct SeriesRequest {
    std::string path;
    SeriesChoice choice;
    int nObservations = 0;
    int nPredictions = 0;
};

struct SeriesSample {
    std::vector<double> values;       // nObservations fitted, then nPredictions held out
    std::vector<std::string> labels;  // one per value when the table has a label column
    int firstElement = 1;             // 1-based place in the file of values[0]
    int fileValues = 0;               // values the file holds (in the column read)
    std::string columnName;           // "column 2 \"lynx\""; empty for a plain file
};

// The sample that `request` asks for, or the notice that ends the run:
// - "File %s could not be opened": missing, unreadable or a folder (detail: the reason);
// - "Element %d could not be read", %d the value's place in the file (in the column, for a
//   table): a value of the sample that is not one whole number in the column's format, a
//   missing value (NA, empty, NaN, ".", #N/A...), a percentage, or a magnitude above
//   kLargestMagnitude (detail: the file, the line, the
//   column, the text and what to do);
// - "Element of time series less of %d", %d = nObservations + nPredictions: too few values;
// - "Column %s was not found in %s": a named column that the table does not have;
// - "Line %d of %s does not fit the table": a line with another number of fields than the
//   header (or the first line), both counts in the detail;
// - "Element %d could not be read" also for a column written in no one number format, or
//   whose thousands points nothing in the file tells from decimal points.
Result<SeriesSample> readSeriesSample(const SeriesRequest& request);

// readSeriesSample with the file's text already loaded (loadSeriesText, data/series_text.h):
// the same sample or notice, request.path naming the file in messages. A table whose columns
// are fitted one after another is loaded once and read through this.
Result<SeriesSample> readSeriesSampleFromText(std::string_view text, const SeriesRequest& request);

// A table's survey and the index of its fields, made once for a text whose columns are read
// one after another (--all-columns): readSeriesSampleFromText with `table` gives the same
// samples and notices without surveying the text again, and reads only the sample's column.
// Only for requests with table.skipLines.
struct ParsedTable {
    int skipLines = 0;
    TableSurvey survey;
    TableIndex index;
};
// The parsed table of `text` read as `choice` reads it (its --skip-lines), or nothing when the
// text is plain numbers or its survey is refused (the requests then give the notice as usual).
std::optional<ParsedTable> parseTable(std::string_view text, const SeriesChoice& choice,
                                      const std::string& path);
Result<SeriesSample> readSeriesSampleFromText(std::string_view text, const SeriesRequest& request,
                                              const ParsedTable* table);

// The first `count` values of the file at `path` into series[0 .. count-1], as a run without a
// column or sample choice reads them.
MaybeNotice readSeries(const std::string& path, int count, DVector& series);

}  // namespace kavri
