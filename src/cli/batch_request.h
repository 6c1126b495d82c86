#pragma once

// The options of kavri-cli that fit many series in one run: every numeric column of a table,
// chosen columns, several series files; a summary table, JSON Lines and per-series folders.

#include <string>
#include <vector>

namespace kavri::cli {

// Most series fitted at once (--jobs); beyond the cores of any one machine.
inline constexpr int kMostBatchJobs = 1024;

struct BatchRequest {
    std::vector<std::string> seriesPaths;  // every --series given, in order
    bool allColumns = false;               // --all-columns
    std::vector<std::string> columns;      // --columns A,B,...
    std::string summaryPath;               // --summary FILE ("-": standard output)
    std::string jsonLinesPath;             // --json-lines FILE ("-": standard output)
    int jobs = 0;                          // --jobs N: series fitted at once; 0: every core

    // Whether the run fits many series (or writes their summary): the batch mode.
    bool active() const {
        return allColumns || !columns.empty() || seriesPaths.size() > 1 || !summaryPath.empty() ||
               !jsonLinesPath.empty();
    }
};

}  // namespace kavri::cli
