#pragma once

// Exit statuses of kavri-cli. Scripts rely on them, so they never change meaning.

#include <string>

#include "run/exit_status.h"

namespace kavri::cli {

inline constexpr int kExitSuccess = 0;
// Memory ran out: the storage of a run could not be allocated (the core ends the process
// itself), or another allocation failed (main ends the process with a message).
inline constexpr int kExitAllocationFailure = 1;
// The command line was refused: unknown option, value of the wrong kind or out of range.
inline constexpr int kExitUsage = 2;
// A fatal notice ended the run (missing series file, threshold not in the series...).
inline constexpr int kExitNotice = kNoticeExitStatus;
// The run ended without a reported model: a regime could not be fitted by least squares,
// so the estimates shown are not those of the requested model.
inline constexpr int kExitNoModel = 4;
// The results could not be written to standard output.
inline constexpr int kExitOutputFailure = 5;
// A chart asked for with --plots could not be written (the results were printed).
inline constexpr int kExitPlotFailure = 6;
// A run of several series ended, and at least one of them failed or gave no model: its row in
// the summary says which and why.
inline constexpr int kExitSomeSeriesFailed = 7;

// What each status means, as the help's footer says it; every status above once, ascending.
struct ExitStatusMeaning {
    int status;
    const char* meaning;
};
inline constexpr ExitStatusMeaning kExitStatusMeanings[] = {
    {kExitSuccess, "the model was estimated and reported"},
    {kExitAllocationFailure, "the storage of the run could not be allocated"},
    {kExitUsage, "the command line was refused"},
    {kExitNotice, "the run was ended by a notice (for instance a series file that cannot be read)"},
    {kExitNoModel, "no model could be estimated (a regime could not be fitted)"},
    {kExitOutputFailure, "standard output could not be written"},
    {kExitPlotFailure, "a chart could not be written"},
    {kExitSomeSeriesFailed,
     "in a run of several series, some series failed or gave no model (see the summary)"},
};

// "Exit status: 0 <meaning>; 1 <meaning>; ...; 7 <meaning>." from the table above.
inline std::string exitStatusText() {
    std::string text = "Exit status:";
    const char* separator = " ";
    for (const ExitStatusMeaning& entry : kExitStatusMeanings) {
        text += separator + std::to_string(entry.status) + " " + entry.meaning;
        separator = "; ";
    }
    return text + ".";
}

}  // namespace kavri::cli
