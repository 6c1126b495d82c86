#pragma once

// Reading the series of a run from its file. Two layouts are recognised from the first line
// that holds anything:
// - the plain format: white-space separated numbers, read row by row (a first line of
//   numbers separated by blanks or tabs is this format);
// - a table: fields separated by semicolons (decimal commas allowed), commas or tabs, an
//   optional header line, one column holding the series and the first column carried along
//   as labels (dates or times). Naming a column also reads a file without any of these
//   separators as a table with blank-separated columns.
// Only the values of the sample are read as numbers; values before and after it are counted.

#include <string>
#include <vector>

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
//   table): a value of the sample that is not one whole decimal number, a missing value (NA,
//   empty, NaN, "."), or a magnitude above kLargestMagnitude (detail: the file, the line, the
//   column, the text and what to do);
// - "Element of time series less of %d", %d = nObservations + nPredictions: too few values;
// - "Column %s was not found in %s": a named column that the table does not have.
Result<SeriesSample> readSeriesSample(const SeriesRequest& request);

// The first `count` values of the file at `path` into series[0 .. count-1], as a run without a
// column or sample choice reads them.
MaybeNotice readSeries(const std::string& path, int count, DVector& series);

}  // namespace kavri
