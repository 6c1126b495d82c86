#pragma once

// One series from its sample to its report, as a single kavri-cli run makes it: the fit, the
// statistics, the forecasts and the JSON. A batch runs one of these per series, and the Python
// module one per call, so that both give the numbers of a single run bit for bit.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "cli/options.h"
#include "cli/run_statistics.h"
#include "report/output_files.h"
#include "run/exact_run.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"

namespace kavri::cli {

// How a series ended, as the summary of a batch writes it.
enum class SeriesStatus {
    kFitted,   // a model was reported
    kNoModel,  // a regime could not be fitted by least squares (a single run exits with 4)
    kFailed,   // a notice ended the run (a single run exits with 3)
};

const char* seriesStatusWord(SeriesStatus status);  // "ok", "no model", "failed"

// Where a failed series stopped: its search, its statistics, or its forecasts (and simulated
// series). A single run words the notice of each as it always has.
enum class SeriesStage { kFit, kStatistics, kForecasts };

struct SeriesJob {
    SeriesStatus status = SeriesStatus::kFailed;
    MaybeNotice notice;  // what ended a failed series
    SeriesStage stoppedAt = SeriesStage::kFit;
    CliRequest request;        // as the run left it (the settings completed by the run)
    ResultTexts texts;         // the run's result texts
    RunOutcome outcome;        // the fit (the delay scan's chosen run with --delay-scan)
    DelayScanOutcome scan;     // with --delay-scan
    RunStatistics statistics;  // when a model was reported
    std::optional<ForecastOutcome> forecasts;
    std::vector<std::string> warnings;  // the sparse regimes, as a single run warns of them
};

// What a front end follows of a series while it runs: the progress of the statistics, and the
// end of the fit and of the statistics (where a progress line is closed).
struct SeriesJobWatch {
    StatisticsProgress statistics;
    std::function<void()> stageEnded;
};

// The seed of the simulated forecasts and series, as a single run chooses it: the one given,
// else the genetic search's own, else the clock.
std::uint32_t forecastSeed(const CliRequest& request, const RunOutcome& outcome,
                           std::uint32_t clockSeed);

// A file system that takes every file and keeps none: the result files of a series that the
// user did not ask for.
OutputFileSystem& discardedFiles();

// Runs `request` (its settings, statistics, forecasts and simulated series; not --select or
// --plots, which the caller makes around it) on the sample that request.run.seriesSource or
// the series file gives: a single run of kavri-cli is the job of its one series, and a batch
// runs one per series. `clockSeed` stands for the clock where a single run would read it: the
// seed of the bootstrap and of the simulated forecasts of an exact search without --seed.
// `detail`: the statistics a report shows, or only a summary row's (completeSeriesJob adds the
// rest later, to the same bits). Never prints.
SeriesJob runSeriesJob(const CliRequest& request, std::uint32_t clockSeed, RunObserver& observer,
                       StatisticsDetail detail = StatisticsDetail::kReport,
                       const SeriesJobWatch& watch = {});

// The statistics, forecasts and simulated series that job.request asks for, after a fit that
// reported a model: computed again when a caller changes those settings of the request. The
// notice, if any, with job.stoppedAt set.
MaybeNotice addStatisticsAndForecasts(SeriesJob& job, std::uint32_t clockSeed,
                                      StatisticsDetail detail = StatisticsDetail::kReport,
                                      const SeriesJobWatch& watch = {});

// The statistics of a report added to a job run for a summary (nothing when they are there).
void completeSeriesJob(SeriesJob& job);

// The JSON of a single run's --json for `job` (a failed job has none: empty); the statistics
// left out of a job run for a summary are left out of it too.
std::string seriesJobJson(const SeriesJob& job, bool oneLine);

}  // namespace kavri::cli
