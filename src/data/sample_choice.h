#pragma once

// Which of a file's values make the sample of a run: nObservations fitted values followed by
// nPredictions held-out ones, taken from the start of the file, after the first `skip`
// values, or as the file's last values.

#include <string>

#include "model/notice.h"
#include "model/run_settings.h"

namespace kavri {

struct SampleSource {
    std::string path;
    int fileValues = 0;       // values the file holds (in the column read, for a table)
    std::string columnName;   // "column 2 \"lynx\"" for a table; empty for a plain file
    bool headerLine = false;  // the table has a header line
};

// The 0-based index of the sample's first value among the file's values. When the file is too
// short, the notice "Element of time series less of %d" (%d = nObservations + nPredictions)
// with a detail that says how many values there are, how many are needed and what to lower.
Result<int> sampleStart(const SampleSource& source, const SeriesChoice& choice, int nObservations,
                        int nPredictions);

}  // namespace kavri
