#pragma once

// One evaluation of a split, pure and written once: the regimes a split of the ranks makes are
// estimated (or looked up), their orders checked, summed into the model's criterion,
// forecast on the held-out values where that is needed, and scored. The genetic search's
// cache, the reporting evaluation and the estimation at the user's thresholds all score
// through scoreSplit(); the exact search sums the same criterion over ranges of ranks
// (range_scorer.h) and forms its fitness with the same formulas (fitness.h). Nothing here
// writes a file or a text: the callers decide what an outcome means for the run.

#include <array>
#include <functional>

#include "estimation/fitness.h"
#include "estimation/holdout_forecasts.h"
#include "estimation/model_summary.h"
#include "estimation/regime_estimation.h"
#include "model/fitted_model.h"
#include "model/model_form.h"
#include "model/rank_ranges.h"
#include "model/run_settings.h"

namespace kavri {

// The fitting problem: everything the evaluation of a split reads besides the split itself.
struct FittingProblem {
    const double* x = nullptr;       // the nObservations fitted and nPredictions held-out values
    const int* sortOrder = nullptr;  // ranks of x[0 .. n-1] (genetic/candidates.h)
    int nPredictions = 0;
    int maxRegimes = 1;  // 1 .. kMaxRegimeCount
    int minObs = 0;      // usable observations each regime of a split needs
    OrderSearch orders;  // n, maxOrder, delay, criterion, exact-fit floor
    FitnessRule fitness;
    ModelForm form;  // fixed orders, when the user gave them
    // The threshold variable z beside x (model/threshold_variable.h), whose ranks sortOrder
    // holds; null for the series itself.
    const double* z = nullptr;

    // The order search of regime r (0-based): the problem's, at the regime's fixed order.
    OrderSearch ordersOf(int regime) const {
        OrderSearch search = orders;
        search.fixedOrder = form.fixedOrderOf(regime);
        search.constant = form.constant;
        search.nLags = form.nLags;
        search.lags = form.lags;
        search.trend = form.trend;
        return search;
    }

    int n() const { return orders.n; }
    int maxOrder() const { return orders.maxOrder; }
    int delay() const { return orders.delay; }
};

// The problem a threshold search poses: the settings' sample sizes, regimes, minimum
// observations, criterion and fitness, with n fitted values, orders up to maxOrder - 1 and the
// delay given (the settings' own, or a delay scan's).
FittingProblem searchProblem(const RunSettings& settings, const double* x, const int* sortOrder,
                             int n, int maxOrder, int delay, const double* z = nullptr);
// The problem at the user's thresholds: every order is tried ("Absolute" whatever the settings
// say), from a lower initial best AIC, and the fitness is exp(-NAIC).
FittingProblem givenThresholdsProblem(const RunSettings& settings, const double* x,
                                      const int* sortOrder, int n, int maxOrder, int delay,
                                      const double* z = nullptr);

// How the evaluation of a split ends.
enum class SplitOutcome {
    kScored,                   // fitness computed; forecasts made when they were asked for
    kSingular,                 // a least-squares fit met a singular matrix: fitness 0.0
    kNoFiniteOrder,            // a regime without a finite AIC at any order tried
    kNoEffectiveObservations,  // no observation fitted (no order tried)
    kNoForecasts,              // the fitness "MSE" without held-out values
};

struct SplitScore {
    SplitOutcome outcome = SplitOutcome::kSingular;
    int regime = 0;                     // kNoFiniteOrder: the regime (0-based)
    double fitness = 0.0;               // as shown: exp(-E), 0.0 without a model
    double logFitness = kNoLogFitness;  // -E, what searches rank by
    ModelSummary summary;               // fitness included, once scored
    std::array<RegimeFit, kMaxRegimeCount> fits{};
    bool forecast = false;  // whether `holdout` holds the held-out forecasts
    HoldoutForecasts holdout;
};

// The estimate of regime `regime` (0-based) by its rank range [start, end): a fresh estimation
// or a cached one. The regime matters only for its fixed order (FittingProblem::ordersOf()).
using RangeEstimates =
    std::function<FitStatus(int regime, int start, int end, RegimeEstimate& estimate)>;

// Scores the split `ranges` (thresholds `thresholdValues`, in the order the regimes test
// them) and fills `model` (built for the problem's maxOrder) with its regimes. Held-out values
// are forecast when the fitness needs them, or when `forecast` asks for them and there are
// any. The checks come in this order: a singular fit, a regime without a finite order (when
// orders are tried), no effective observation, the forecasts, the fitness.
SplitScore scoreSplit(const FittingProblem& problem, const RankRanges& ranges,
                      const std::array<double, kMaxThresholdCount>& thresholdValues,
                      const RangeEstimates& estimates, bool forecast, FittedModel& model);

// The estimates of a fresh estimation of every range, in the problem's workspace.
class FreshRangeEstimates {
 public:
    explicit FreshRangeEstimates(const FittingProblem& problem);
    RangeEstimates function();

 private:
    const FittingProblem& problem_;
    RegimeWorkspace workspace_;
};

}  // namespace kavri
