#pragma once

// What a series file holds, for the model dialog to show before a run: its layout, and for
// each column the values, the missing ones, and the first and last value with their labels
// (the first column's dates or years). Built from the data layer's readers, so that the
// preview finds the same columns, header and values as the run will; the dialog sees only
// this small record, so another source of it can replace the one here.

#include <string>
#include <vector>

namespace kavri {

struct PreviewColumn {
    std::string choice;  // what the column choice stores: the header text, else the number
    std::string title;   // "2 \"lynx\"" or "2"; "values" for a plain file
    int values = 0;      // values present and missing, in file order
    int missing = 0;     // NA, empty, NaN or "."
    std::string first;   // "1821: 269" with a label, "269" without
    std::string last;
    bool automatic = false;  // the column a run reads when none is chosen
    bool numeric = false;    // holds numbers: a series, or a threshold variable beside one
};

struct SeriesPreview {
    // Empty when the file was read; otherwise why not ("File x could not be opened: ...").
    std::string problem;
    std::string layout;  // "plain numbers", "comma-separated table with a header line", ...
    std::vector<PreviewColumn> columns;
    bool table = false;  // the column choice applies
};

// Reads the file at `path` (relative to the current folder). Only the first kPreviewColumns
// columns of a wide table are described.
inline constexpr int kPreviewColumns = 40;
SeriesPreview previewSeriesFile(const std::string& path);

}  // namespace kavri
