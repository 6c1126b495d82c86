#pragma once

// What a series file holds, column by column, before anything is fitted: the preview that
// `kavri-cli --inspect` prints and the desktop program shows as a table when a file is chosen.
// Plain numbers and strings only, so that any front end can lay them out.

#include <string>
#include <vector>

#include "model/notice.h"
#include "model/run_settings.h"

namespace kavri {

struct ColumnPreview {
    int number = 1;         // 1-based, as --column takes it
    std::string name;       // the header's text; empty without a header
    std::string type;       // "number", "date", "text" or "empty"
    int values = 0;         // rows of the table (values of a plain file)
    int missing = 0;        // missing-value markers among them (NA, empty, #N/A...)
    std::string first;      // the first and last values present, as written
    int firstLine = 0;      // their lines in the file (0: none)
    std::string firstDate;  // their dates (the label column's text), empty when none
    std::string last;
    int lastLine = 0;
    std::string lastDate;
    std::string numberFormat;  // "decimal comma, thousands point"...; empty unless numbers
    bool read = false;         // the column a run with these settings reads
};

struct FilePreview {
    std::string layout;     // "plain numbers", "comma-separated table"...
    int headerLine = 0;     // the header's line, 0 when the table has none
    bool rowNames = false;  // a first field of row names the header does not name
    std::vector<ColumnPreview> columns;
    // Why the column read cannot be read as it stands (its number format), empty when it can.
    std::string problem;
};

// The preview of the file at `path` read with `choice` (its column, --skip-lines): the notice
// of readSeriesSample when the file cannot be opened, a line does not fit the table or the
// column named does not exist.
Result<FilePreview> previewSeriesFile(const std::string& path, const SeriesChoice& choice);

}  // namespace kavri
