#pragma once

// Runs that choose the thresholds by the exact search (estimation/exact_search.h) rather than
// the genetic one.

#include <optional>
#include <vector>

#include "estimation/exact_search.h"
#include "model/result_texts.h"
#include "model/run_settings.h"
#include "run/run_outcome.h"
#include "run/run_storage.h"

namespace kavri {

// The exact search in place of the genetic one: finds the valid chromosome of highest fitness
// at the settings' delay and reports it through the same reporting evaluation as a genetic
// run's best chromosome. fitnessText shows the fitness that the reporting evaluation returns,
// varianceText the series variance with eight decimals; iterationText shows 0, since no
// generation was run. With options.profileThresholds the outcome also holds the profile of each
// threshold of the optimum. The series is read and ranked in `storage` already.
RunOutcome runExactSearch(const RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                          const RunOptions& options, RunStorage& storage);

// The exact optimum for the settings of a finished run, for comparison with the genetic
// search's best; empty when the search ends in a notice. Nothing is written.
std::optional<ExactOptimum> comparisonOptimum(const RunSettings& settings,
                                              const RunOptions& options, const RunStorage& storage);

// A delay scan: the exact search at every delay 1 .. 10, then the report of the model at the
// delay of highest log-fitness (the lower delay on a tie), which orders as the fitness does
// where the fitness does not underflow. The thresholds are searched whatever
// selectModel and searchMethod say. The texts are cleared and run defaults are written into
// `settings` as by runModel, and once the scan is made the settings describe the reported run:
// the best delay, a search of the thresholds, the exact search.
struct DelayScanOutcome {
    RunOutcome run;                  // the reported model at the best delay, or the notice
    std::vector<int> delays;         // empty when a notice ended the run before the scan
    std::vector<double> fitness;     // the best fitness at delays[i]
    std::vector<double> logFitness;  // its log-fitness, by which the delays were compared
    // The AIC and BIC of the optimum at delays[i] on that delay's own sample (the usable
    // observations t >= max(maxOrder - 1, d), which change with d), as the comparison defines
    // them: AIC = sum_r AIC_r + 0.018 N, BIC = AIC - 2K + ln(N) (K + R - 1). Empty where a
    // regime cannot be fitted.
    std::vector<std::optional<double>> aic;
    std::vector<std::optional<double>> bic;
    int bestDelay = 0;
};
DelayScanOutcome runDelayScan(RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                              const RunOptions& options = {});

}  // namespace kavri
