#pragma once

// The command line of kavri-cli. Every run setting has an option; a setting that is not given
// takes the run default of its group, exactly as a run made without opening the parameter
// dialogs. Values are held to the same inclusive ranges as the dialogs.

#include <optional>
#include <string>

#include "cli/batch_request.h"
#include "forecast/forecast_settings.h"
#include "inference/linearity_tests.h"
#include "inference/threshold_interval.h"
#include "model/run_settings.h"
#include "run/run_driver.h"

namespace kavri::cli {

// --select: the criterion by which the model comparison's best row becomes the model.
enum class SelectCriterion { kNone, kAic, kBic };

// The picture format of the charts written by --plots.
enum class PlotFormat { kSvg, kPng };

struct CliRequest {
    RunSettings settings;  // both dialog counts 1: the run uses these values as they stand
    RunOptions run;
    bool json = false;   // print the results as JSON instead of the labelled texts
    bool quiet = false;  // no progress display, even on a terminal
    // Print the preview of the series file (--inspect) and end without a run.
    bool inspect = false;
    // Search the thresholds exactly at every delay and report the model at the best delay.
    bool delayScan = false;
    // Write the charts of the run into this directory (--plots), in `plotFormat`.
    std::string plotsDirectory;
    PlotFormat plotFormat = PlotFormat::kSvg;
    // Write the whole result into this file (--report): Markdown for .md, else plain text.
    std::string reportPath;
    // Statistics after the run: HC1 instead of classical standard errors, the linearity tests
    // (with their common order, empty for the default, and bootstrap replicates) and the model
    // comparison.
    bool robust = false;
    bool tests = false;
    std::optional<int> testOrder;
    int bootstrapReplicates = kDefaultBootstrapReplicates;
    bool compareModels = false;
    // Model choice and threshold inference (grouped here; see the "Model choice" options).
    double thresholdLevel = kDefaultThresholdLevel;   // --threshold-level, percent
    SelectCriterion select = SelectCriterion::kNone;  // --select aic|bic
    // --test-min-obs: the least rows per regime of the linearity tests (default --min-obs).
    std::optional<int> testMinObs;
    // --forecast H, --forecast-method, --paths, --levels: forecasts past the data with the
    // reported model; a horizon of 0 asks for none. The seed is the run's (see main).
    ForecastSettings forecast{.horizon = 0};
    // --simulate N --simulate-to FILE: N values simulated from the reported model with the
    // innovations of --forecast-method; a length of 0 asks for none.
    int simulateLength = 0;
    std::string simulatePath;

    // Many series in one run (--all-columns, --columns, several --series...).
    BatchRequest batch;

    bool wantsForecasts() const { return forecast.horizon > 0; }
    bool wantsSimulation() const { return simulateLength > 0; }
};

enum class ParseAction {
    kRun,      // `request` holds the run to make
    kHelp,     // `text` is the help text, for standard output
    kVersion,  // `text` is the version line, for standard output
    kRefused,  // `text` is the reason, for standard error
};

struct ParseOutcome {
    ParseAction action = ParseAction::kRefused;
    CliRequest request;
    std::string text;
};

// Parses argv[1 .. argc-1]. Never exits and never prints: help, version and refusals come back
// in the outcome. A refusal names the option and, for a range, both bounds.
ParseOutcome parseOptions(int argc, const char* const* argv);

// Limits of the linearity tests' options.
inline constexpr IntRange kBootstrapReplicates{0, 100000};

// The settings a run uses when no option is given: the run defaults of both groups, with both
// dialog counts set so that the run keeps them.
RunSettings defaultCliSettings();

}  // namespace kavri::cli
