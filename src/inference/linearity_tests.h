#pragma once

// Tests of a linear autoregression against threshold alternatives, all with the common order p
// in every regime and the delay d, on the observations t = firstTime .. n-1 (testSampleStart).
// Every regression has the model's form: a constant or none, a linear trend, and the lags 1 .. p
// or the first p lags of the model's list, so that the null is the linear autoregression of that
// form and the alternatives are the threshold models with it in every regime.
//
// Hansen's (1999) homoskedastic sup-F tests of 1 against 2 regimes, 1 against 3 and 2 against 3:
//     F_jk = N (SSR_j - SSR_k) / SSR_k,
// N the rows of the sample and SSR_j the exact minimum residual sum of squares of the j-regime
// model over every admissible threshold (threshold_ssr.h): every observed value of the
// threshold variable that leaves each regime at least minRows = max(minObs, k + 1) rows, k the
// regressors of a row (p + 1 with a constant and p lags), so that every regime keeps a residual
// degree of freedom. The statistics have no standard distribution under the null, since the
// thresholds are not identified there; their p values come from a residual bootstrap
// (residual_bootstrap.h): B series regenerated from the fitted linear model for F_12 and F_13,
// and B from the fitted two-regime model for F_23, each replicate searching its own thresholds
// exactly; p = #{F* >= F} / (replicates with a statistic).
//
// Tsay's (1989) arranged-autoregression F test (tsay_test.h) on the same sample.

#include <cstdint>
#include <optional>
#include <vector>

#include "inference/replicate_runner.h"
#include "inference/tsay_test.h"
#include "model/model_form.h"
#include "model/reported_model.h"
#include "model/run_settings.h"

namespace kavri {

inline constexpr int kDefaultBootstrapReplicates = 1000;

struct LinearityTestSettings {
    int order = 1;     // p
    int delay = 1;     // d
    int maxOrder = 2;  // the run's maxOrder: its observations t >= maxOrder - 1
    int minObs = 20;
    int replicates = kDefaultBootstrapReplicates;  // B; 0 computes the statistics only
    std::uint64_t seed = 1;
    int threads = 0;  // 0: every core; the results do not depend on it
    // The threshold variable that arranges the sample (model/threshold_variable.h); for
    // kColumn, `exogenous` holds its values by time, at least n of them.
    ThresholdVariableKind thresholdVariable = ThresholdVariableKind::kOwn;
    const double* exogenous = nullptr;
    // The regressions' form: without a constant, with a trend (only with a constant), and the
    // lags of a subset (ascending; empty: 1 .. order). Orders count the lags of a subset, so
    // the tests use its first `order` lags.
    bool constant = true;
    bool trend = false;
    std::vector<int> lags;
};

// The regressors of the tests' rows: the form of the settings at their order (at most the
// length of a lag list).
TestRegressors testRegressors(const LinearityTestSettings& settings);

// The order the tests use unless told otherwise: the highest the run tries.
int defaultTestOrder(int maxOrder);

// The tests of a run made with `model`: its delay, maxOrder and minObs, the default order, the
// default number of replicates and seed 1.
LinearityTestSettings linearityTestSettings(const ModelParameters& model);
// The same for a model of the form `form`: its constant, trend and lags, at its order when one
// order is fixed for every regime, else at the highest order the run tries (every lag of a
// subset). One order per regime has no common order: the tests take the default's.
LinearityTestSettings linearityTestSettings(const ModelParameters& model, const ModelForm& form);
// The order the tests of `form` use unless told otherwise.
int defaultTestOrder(int maxOrder, const ModelForm& form);
// The least rows a regime may keep in the tests at `order`: one more than the coefficients,
// so that every regime keeps a residual degree of freedom.
int leastTestRows(int order, const ModelForm& form);

// The sample arranged by the threshold variable `model` was fitted with; an exogenous column's
// values are read from `model`, which must outlive the settings.
void arrangeByThresholdVariable(LinearityTestSettings& settings, const ReportedModel& model);

struct SupFTest {
    int nullRegimes = 1;
    int alternativeRegimes = 2;
    bool available = false;  // false: no admissible thresholds for the alternative
    double statistic = 0.0;
    double ssrNull = 0.0;
    double ssrAlternative = 0.0;
    std::vector<double> thresholds;  // of the alternative's minimum, ascending
    std::optional<double> pValue;    // empty without a bootstrap
    int replicates = 0;              // bootstrap replicates that gave a statistic
    // The alternative's regressions fit the sample exactly (to the rounding of its SSR, or so
    // nearly that the ratio overflows): F is unbounded, so no statistic or p value is stated.
    bool exactFit = false;
};

struct LinearityTests {
    LinearityTestSettings settings;
    int firstTime = 0;
    int observations = 0;  // N
    int minRows = 0;
    SupFTest oneVsTwo;
    SupFTest oneVsThree;
    SupFTest twoVsThree;
    TsayTest tsay;
    bool completed = true;  // false when the progress callback stopped the bootstrap
};

// x[0 .. n-1]; progress reports the bootstrap replicates of both null models together.
LinearityTests runLinearityTests(const double* x, int n, const LinearityTestSettings& settings,
                                 const ReplicateProgress& progress = {});

}  // namespace kavri
