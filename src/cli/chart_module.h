#pragma once

// The interface between kavri-cli and its chart library. The charts need Qt (Widgets, Charts,
// Svg and what they load), which costs more to load than a whole run without charts, so they
// live in a module of their own, kavri-cli-charts.so, that kavri-cli opens only for --plots
// (cli/plot_output.cpp). Both sides are built from the same sources; the module answers with
// the version and the sizes of the structures handed across, and kavri-cli refuses a module
// whose answer differs from its own rather than call into one built from other sources.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "inference/threshold_interval.h"
#include "model/run_settings.h"
#include "model/version.h"
#include "report/run_file_set.h"
#include "run/exact_run.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"

namespace kavri::cli {

// One --plots request: the charts of a finished run, written into `directory`.
struct ChartJob {
    const RunSettings* settings = nullptr;
    const std::string* directory = nullptr;
    bool png = false;  // PNG pictures; SVG otherwise
    const RunOutcome* outcome = nullptr;
    const DelayScanOutcome* scan = nullptr;          // the delay scan's outcome, if the run was one
    const ForecastOutcome* forecasts = nullptr;      // the forecasts past the data, if made
    double thresholdLevel = kDefaultThresholdLevel;  // percent, of the likelihood-ratio line
    RunFileSet* set = nullptr;  // where the charts are kept until the run's files are committed
    std::vector<std::filesystem::path>* paths = nullptr;  // receives the charts kept
    std::string* error = nullptr;                         // receives the reason of a failure
};

// What kavri-cli and the module must agree on before one calls the other.
struct ChartInterface {
    const char* version = nullptr;
    std::size_t jobSize = 0;
    std::size_t settingsSize = 0;
    std::size_t outcomeSize = 0;
    std::size_t scanSize = 0;
    std::size_t forecastsSize = 0;
    std::size_t stringSize = 0;
    std::size_t fileSetSize = 0;

    bool sameAs(const ChartInterface& other) const {
        return std::string(version) == other.version && jobSize == other.jobSize &&
               settingsSize == other.settingsSize && outcomeSize == other.outcomeSize &&
               scanSize == other.scanSize && forecastsSize == other.forecastsSize &&
               stringSize == other.stringSize && fileSetSize == other.fileSetSize;
    }
};

// The interface of the sources being compiled.
inline ChartInterface thisChartInterface() {
    return {kVersion,
            sizeof(ChartJob),
            sizeof(RunSettings),
            sizeof(RunOutcome),
            sizeof(DelayScanOutcome),
            sizeof(ForecastOutcome),
            sizeof(std::string),
            sizeof(RunFileSet)};
}

// The module's single exported entry: its interface, and the function that writes the charts
// (returning kExitSuccess, or kExitPlotFailure after setting the job's error).
struct ChartModule {
    ChartInterface interface;
    int (*writeCharts)(const ChartJob& job) = nullptr;
};

// The module's entry point, an extern "C" function without arguments. Where the module file
// lies relative to kavri-cli is set by the build (src/cli/CMakeLists.txt), the same in the
// build tree and in an installation.
inline constexpr const char* kChartModuleEntry = "kavri_cli_chart_module";
using ChartModuleEntry = const ChartModule* (*)();

}  // namespace kavri::cli
