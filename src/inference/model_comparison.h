#pragma once

// Model comparison: the exact optimum for every number of regimes 1 .. maxRegimes and every
// delay 1 .. 10, on one common sample so that the criteria of all rows are comparable.
//
// A row's thresholds and orders are those that minimise the run's AIC with exactly that number
// of regimes: each regime's order chosen by AIC under the settings' criterion, each regime of a
// split model holding at least minObs usable observations, thresholds at ranks of the observed
// values as in the run's own search. Every row regresses the same observations
// t = firstTime .. n-1, firstTime = max(maxOrder - 1, 10), which have their lags and their
// threshold variable at every delay. The one-regime model does not depend on the delay and has
// one row. Each row states (R regimes, K = sum (p_r + 1), N observations):
//     AIC = sum_r [n_r ln(SSE_r / n_r) + 2 (p_r + 1)] + 0.018 N, as the run reports it;
//     BIC = AIC - 2 K + ln(N) (K + R - 1), thresholds counted as parameters;
//     SSE = sum_r SSE_r; MSE of the one-step forecasts of the held-out values.

#include <functional>
#include <optional>
#include <vector>

#include "model/notice.h"
#include "model/reported_model.h"
#include "model/run_settings.h"

namespace kavri {

struct ComparisonRow {
    int regimes = 1;
    int delay = 0;           // 0 for the one-regime row
    bool available = false;  // false: no admissible thresholds, or every split is singular
    std::vector<double> thresholds;
    std::vector<int> orders;
    int observations = 0;  // N, the same in every row
    double aic = 0.0;
    double bic = 0.0;
    double sse = 0.0;
    std::optional<double> mse;  // empty without held-out values
};

struct ModelComparison {
    int firstTime = 0;
    int observations = 0;
    // The thresholds tried: every observed value, or the values at `candidates` evenly spaced
    // ranks (as the exact search thins them on long series), over which each row is exact.
    bool everyValue = true;
    int candidates = 0;
    std::vector<ComparisonRow> rows;  // one regime; then by number of regimes, then by delay
    // Index of the lowest value among the available rows (the first on a tie); -1 for none.
    int bestAic = -1;
    int bestBic = -1;
    int bestSse = -1;
    int bestMse = -1;
    // false when ComparisonOptions::keepGoing stopped it: `rows` is then empty.
    bool completed = true;
};

struct ComparisonOptions {
    // Threshold candidates as for the exact search (threshold_candidates.h): 0 lets the
    // comparison choose (every value while a delay takes about a second), M > 0 the values at
    // M evenly spaced ranks.
    int candidates = 0;
    // 0: every delay 1 .. 10; d: the rows of delay d only (and the one-regime row), on the
    // same common sample.
    int delay = 0;
    // Called as delays end, with the delays done and their number (once for each delay).
    std::function<void(int done, int total)> progress;
    // Called about ten times a second and once at the end, with the share of the whole
    // comparison's work done, 0 to 1 (the delays' tables report within them); returning false
    // stops the comparison: every delay stops at its next check, some milliseconds later, and
    // the comparison returns without rows and with `completed` false. For a window that shows
    // a bar and has a Cancel button.
    std::function<bool(double share)> keepGoing;
    // Both are called only from the calling thread: the delays are computed on the threads
    // that threadCount (numeric/thread_count.h) allows, each delay whole on one of them, so
    // that the rows are the same for every thread count.
    // The threshold variable by time beside the series, when it is not the series itself
    // (model/threshold_variable.h), and its first time with a value (1 for the change): the
    // common sample then starts late enough for every delay to have it.
    const std::vector<double>* thresholdSeries = nullptr;
    int thresholdStart = 0;
};

// Uses the settings' nObservations, nPredictions, maxOrder, maxRegimes, minObs and criterion;
// series holds nObservations + nPredictions values. The notice is the run's own when there is
// no order to try (maxOrder below 2). Each delay costs about n C (maxOrder + 1)^2 row updates
// and C^2 / 2 order choices for C candidates (2 C with at most two regimes).
// The options that rank the threshold variable `model` was fitted with (none for its own
// lag), so that a comparison of its run compares models of the same z. They point into
// `model`, which must outlive them.
ComparisonOptions comparisonOnThresholdVariable(const ReportedModel& model);

Result<ModelComparison> compareModels(const RunSettings& settings,
                                      const std::vector<double>& series,
                                      const ComparisonOptions& options = {});

}  // namespace kavri
