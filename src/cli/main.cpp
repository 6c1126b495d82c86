// kavri-cli: one run of the threshold autoregressive fit from the command line.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_run.h"
#include "cli/exit_codes.h"
#include "cli/inspect_output.h"
#include "cli/json_output.h"
#include "cli/model_selection.h"
#include "cli/options.h"
#include "cli/plot_output.h"
#include "cli/report_output.h"
#include "cli/run_notes.h"
#include "cli/run_statistics.h"
#include "cli/series_job.h"
#include "cli/terminal_progress.h"
#include "cli/text_output.h"
#include "data/table_preview.h"
#include "report/statistics_text.h"
#include "run/exact_run.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"
#include "run/run_files.h"

namespace {

using namespace kavri;
using namespace kavri::cli;

// Writes "kavri-cli: <message>" as one line on standard error.
void printError(std::string message) {
    while (!message.empty() && message.back() == '\n') {
        message.pop_back();
    }
    std::fprintf(stderr, "kavri-cli: %s\n", message.c_str());
}

// A notice on standard error: its text as printError does, its detail line indented below.
void printNotice(const Notice& notice) {
    printError(notice.text);
    if (!notice.detail.empty()) {
        std::fprintf(stderr, "  %s\n", notice.detail.c_str());
    }
}

// Writes `text` to standard output. Empty when all of it reached it; otherwise the reason
// (no space left on the device, a closed descriptor...).
std::string printOutput(const std::string& text) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                         std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    if (written) {
        return {};
    }
    return errno != 0 ? std::strerror(errno) : "write error";
}

// Every nonzero exit explains itself on standard error.
int outputFailure(const char* what, const std::string& reason) {
    printError(std::string(what) + " could not be written to standard output: " + reason);
    return kExitOutputFailure;
}

// An allocation that fails anywhere, on any thread, ends the run with the status the scripts
// know for it and a message, rather than an abort.
constexpr char kOutOfMemory[] =
    "kavri-cli: out of memory: the run needs more memory than the system gives it (use a "
    "shorter series or fewer --n-observations)\n";

[[noreturn]] void endOutOfMemory() {
    std::fputs(kOutOfMemory, stderr);
    std::fflush(stdout);
    std::_Exit(kExitAllocationFailure);
}

int runCommandLine(int argc, char** argv);

// The labelled texts of the run, its statistics, forecasts and simulation.
std::string textReport(const CliRequest& request, const ResultTexts& texts,
                       const RunOutcome& outcome, const DelayScanOutcome* scan,
                       const RunStatistics& statistics, const ForecastOutcome* forecasts) {
    std::string report = (scan != nullptr ? formatDelayScan(*scan) : std::string()) +
                         formatTextReport(texts, outcome, request.settings, &statistics) +
                         formatStatisticsReport(statistics);
    report += forecasts != nullptr ? formatForecastReport(*forecasts) : std::string();
    report += request.wantsSimulation() ? formatSimulationReport(request) : std::string();
    return report;
}

}  // namespace

int main(int argc, char** argv) {
    std::set_new_handler(endOutOfMemory);
    try {
        return runCommandLine(argc, argv);
    } catch (const std::bad_alloc&) {
        endOutOfMemory();
    }
}

namespace {

int runCommandLine(int argc, char** argv) {
    ParseOutcome parsed = parseOptions(argc, argv);
    switch (parsed.action) {
        case ParseAction::kHelp:
        case ParseAction::kVersion:
            if (const std::string failure = printOutput(parsed.text); !failure.empty()) {
                return outputFailure(
                    parsed.action == ParseAction::kHelp ? "the help" : "the version", failure);
            }
            return kExitSuccess;
        case ParseAction::kRefused:
            printError(parsed.text);
            std::fputs("Run with --help for more information.\n", stderr);
            return kExitUsage;
        case ParseAction::kRun:
            break;
    }

    CliRequest& asked = parsed.request;
    if (asked.inspect) {
        const std::string& path = asked.settings.model.seriesPath;
        Result<FilePreview> preview = previewSeriesFile(path, asked.settings.series);
        if (!preview.ok()) {
            printNotice(preview.notice());
            return kExitNotice;
        }
        const std::string text = asked.json ? formatFilePreviewJson(path, preview.value())
                                            : formatFilePreview(path, preview.value());
        if (const std::string failure = printOutput(text); !failure.empty()) {
            return outputFailure("the preview", failure);
        }
        return kExitSuccess;
    }
    if (asked.batch.active()) {
        return runBatch(asked, stderr);
    }
    // Every file of the run is kept until the end and committed together, so that the folder
    // holds one run's whole set: the earlier run's files stay as they were if anything fails.
    RunFileSet fileSet(asked.run.files.files());
    asked.run.fileSet = &fileSet;
    asked.run.files.fileSystem = &fileSet;
    // A run killed while committing in these folders is completed first.
    std::vector<std::filesystem::path> folders{asked.run.files.directory};
    if (!asked.plotsDirectory.empty()) {
        folders.emplace_back(asked.plotsDirectory);
    }
    fileSet.recover(folders);
    TerminalProgress progress(stderr, progressWanted(stderr, asked.quiet),
                              asked.settings.ga.nIterations);
    std::optional<ModelSelection> selection;
    if (asked.select != SelectCriterion::kNone) {
        Result<ModelSelection> selected = selectModel(
            asked, [&progress](int done, int total) { progress.comparison(done, total); });
        progress.finish();
        if (!selected.ok()) {
            printNotice(selected.notice());
            return kExitNotice;
        }
        selection = std::move(selected.value());
    }
    // The run of the one series, as a batch runs each of its series.
    SeriesJobWatch watch;
    watch.statistics.replicates = [&progress](int done, int total) {
        return progress.replicates(done, total);
    };
    watch.statistics.comparison = [&progress](int done, int total) {
        progress.comparison(done, total);
    };
    watch.stageEnded = [&progress] { progress.finish(); };
    SeriesJob job = runSeriesJob(asked, static_cast<std::uint32_t>(std::time(nullptr)), progress,
                                 StatisticsDetail::kReport, watch);
    CliRequest& request = job.request;
    const ResultTexts& texts = job.texts;
    const RunOutcome& outcome = job.outcome;
    const DelayScanOutcome& scan = job.scan;
    RunStatistics& statistics = job.statistics;
    const std::optional<ForecastOutcome>& forecasts = job.forecasts;
    if (job.status == SeriesStatus::kFailed && job.stoppedAt == SeriesStage::kFit) {
        printNotice(*job.notice);
        return kExitNotice;
    }
    if (job.status == SeriesStatus::kFailed && job.stoppedAt == SeriesStage::kStatistics) {
        printError(job.notice->text);
        return kExitNotice;
    }
    if (outcome.model.available) {
        if (selection) {
            statistics.comparison = selection->comparison;
        }
        for (const std::string& warning : job.warnings) {
            printError("warning: " + warning);
        }
        if (job.status == SeriesStatus::kFailed) {
            printNotice(*job.notice);  // the forecasts or the simulated series
            return kExitNotice;
        }
    }
    const DelayScanOutcome* scanned = request.delayScan ? &scan : nullptr;
    std::optional<std::string> chartFailure;
    std::vector<std::filesystem::path> charts;
    if (outcome.model.available && !request.plotsDirectory.empty()) {
        chartFailure = writeRunCharts(request, outcome, scanned, forecasts ? &*forecasts : nullptr,
                                      fileSet, charts);
    }
    CommittedFiles committed;
    if (outcome.model.available && !chartFailure) {
        supersedeEarlierFiles(fileSet, request.run.files, request.settings, forecasts.has_value());
        committed = fileSet.commit();
        if (committed.notice) {
            printNotice(*committed.notice);
            return kExitNotice;
        }
    } else {
        fileSet.discard();
    }

    // A run without a model has no results to show: an empty report would only hide the reason.
    std::string report;
    if (outcome.model.available) {
        report = request.json ? formatJsonReport(outcome, request.settings, scanned, &statistics,
                                                 forecasts ? &*forecasts : nullptr, &request)
                              : textReport(request, texts, outcome, scanned, statistics,
                                           forecasts ? &*forecasts : nullptr);
    }
    if (const std::string failure = printOutput(report); !failure.empty()) {
        return outputFailure("the results", failure);
    }
    if (!outcome.model.available) {
        printError("no model was estimated: " +
                   (outcome.noModelCause.empty()
                        ? std::string("no regime could be fitted by least squares")
                        : outcome.noModelCause));
    }
    // After the results, what the user should know about them: thresholds taken as series
    // values, then which values were fitted and where the files went.
    if (selection) {
        printError(selection->remark);
    }
    for (const std::string& remark : outcome.remarks) {
        printError(remark);
    }
    if (!request.quiet) {
        printError(sampleLine(outcome.sample, request.settings));
        for (const std::string& line : committedFileLines(committed, request.settings, charts)) {
            printError(line);
        }
    }
    if (!request.reportPath.empty() && outcome.model.available) {
        const ReportFormat format = reportFormatForPath(request.reportPath);
        const std::string failure = writeReportFile(
            request.reportPath,
            reportText(cliRunReport(request, texts, outcome, statistics, forecasts), format));
        if (!failure.empty()) {
            printError("the report could not be written to " + request.reportPath + ": " + failure +
                       " (check that its folder exists and can be written)");
            return kExitOutputFailure;
        }
        if (!request.quiet) {
            printError("wrote " + request.reportPath);
        }
    }
    // -q leaves out the list of charts written, as it does for the result files.
    for (const std::string& line :
         request.quiet ? std::vector<std::string>() : chartLines(committed, charts)) {
        printError(line);
    }
    if (!outcome.model.available) {
        printError("no result file was written: the files there are as the earlier run left them");
        return kExitNoModel;
    }
    if (chartFailure) {
        printError(*chartFailure);
        printError("no result file was written: the files there are as the earlier run left them");
        return kExitPlotFailure;
    }
    return kExitSuccess;
}

}  // namespace
