#pragma once

// kavri-cli fitting many series in one run: the series that --series, --all-columns and
// --columns name, every one with the same settings, one series per worker thread, each on a
// single thread so that it gives the bits of its own single run. The results are written in
// the order of the series as they finish: a summary table (CSV), each series' JSON on a line
// (JSON Lines), and with --output-dir the result files in a folder per series. A series that
// fails is recorded with its status and message, and the others go on.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/series_job.h"
#include "data/series_source.h"

namespace kavri::cli {

// One series of a batch.
struct BatchSeries {
    std::string name;        // the summary's "series": column, file, or file:column
    std::string path;        // the series file
    std::string column;      // the --column that reads it; empty for the file's own choice
    std::string folderName;  // its folder under --output-dir: the name made safe and unique
    // The file read once for all its columns; null: the run reads the file itself.
    std::shared_ptr<const SeriesSource> source;
    MaybeNotice problem;  // set when the series cannot be run at all (file unreadable...)
};

// The series that `batch` names, in order: each file of --series (or `defaultPath`), and in
// it every numeric column (--all-columns), the given columns (--columns), or the column a
// single run would read. A file read for its columns is read once and shared by its series;
// its columns are found below the `skipLines` lines that --skip-lines passes over.
std::vector<BatchSeries> listBatchSeries(const BatchRequest& batch, const std::string& column,
                                         const std::string& defaultPath, int skipLines = 0);

// The header of the summary table, and the row of one finished series; both end with a line
// break. The p value columns come with --tests.
std::string summaryHeader(bool tests);
std::string summaryRow(const BatchSeries& series, const SeriesJob& job, bool tests);

// The same settings for a series of the batch: its file, column, source and result folder.
CliRequest seriesRequest(const CliRequest& request, const BatchSeries& series);

// Runs the batch of `request` and returns the exit status: 0 when every series was fitted,
// 7 when some failed or gave no model, 3 when an output file could not be written. Progress
// and the closing lines go to `errors`; the summary (or the JSON Lines with --json) to
// standard output unless a file is named for them.
int runBatch(const CliRequest& request, std::FILE* errors);

}  // namespace kavri::cli
