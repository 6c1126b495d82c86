#include "inference/linearity_tests.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "inference/arranged_sample.h"
#include "inference/residual_bootstrap.h"
#include "inference/threshold_ssr.h"

namespace kavri {

namespace {

constexpr double kNotComputed = std::numeric_limits<double>::quiet_NaN();

// Random streams of the two null models, so that their replicates never share draws.
constexpr std::uint64_t kLinearNullStream = 1;
constexpr std::uint64_t kTwoRegimeNullStream = 2;

// The SSRs come from cross products, which keep about 1e-13 of the SSR of the null model: an
// alternative below that is an exact fit whose SSR is rounding, and its F (1e15 or infinity)
// would be rounding too.
constexpr double kExactFitSsrRatio = 1e-13;

double supF(int n, double ssrNull, double ssrAlternative) {
    if (ssrAlternative == 0.0) {
        return ssrNull > 0.0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return n * (ssrNull - ssrAlternative) / ssrAlternative;
}

std::vector<double> thresholdsOf(const ArrangedSample& sample, const ThresholdSplit& split) {
    std::vector<double> thresholds;
    for (int i : split.splits) {
        if (i >= 0) {
            thresholds.push_back(sample.thresholdVariable(i));
        }
    }
    return thresholds;
}

void setStatistic(SupFTest& test, int n, double ssrNull, const ThresholdSplit& alternative,
                  const ArrangedSample& sample) {
    test.available = alternative.found;
    if (!alternative.found) {
        return;
    }
    test.ssrNull = ssrNull;
    test.ssrAlternative = alternative.ssr;
    test.statistic = supF(n, ssrNull, alternative.ssr);
    test.exactFit =
        !std::isfinite(test.statistic) || alternative.ssr <= ssrNull * kExactFitSsrRatio;
    test.thresholds = thresholdsOf(sample, alternative);
}

void setPValue(SupFTest& test, const std::vector<double>& replicated) {
    if (!test.available || test.exactFit) {
        return;
    }
    int valid = 0;
    int atLeast = 0;
    for (double f : replicated) {
        if (std::isnan(f)) {
            continue;
        }
        ++valid;
        if (f >= test.statistic) {
            ++atLeast;
        }
    }
    test.replicates = valid;
    if (valid > 0) {
        test.pValue = static_cast<double>(atLeast) / valid;
    }
}

}  // namespace

int defaultTestOrder(int maxOrder) { return std::max(1, maxOrder - 1); }

int defaultTestOrder(int maxOrder, const ModelForm& form) {
    if (form.nFixedOrders == 1) {
        return form.fixedOrders[0];
    }
    return form.lagsGiven() ? form.nLags : defaultTestOrder(maxOrder);
}

int leastTestRows(int order, const ModelForm& form) {
    return order + (form.constant ? 1 : 0) + (form.trend ? 1 : 0) + 1;
}

TestRegressors testRegressors(const LinearityTestSettings& settings) {
    TestRegressors regressors;
    regressors.constant = settings.constant;
    regressors.trend = settings.trend;
    for (int k = 1; k <= settings.order; ++k) {
        if (!settings.lags.empty() && k > static_cast<int>(settings.lags.size())) {
            break;
        }
        regressors.lags.push_back(settings.lags.empty() ? k : settings.lags[k - 1]);
    }
    return regressors;
}

LinearityTestSettings linearityTestSettings(const ModelParameters& model) {
    LinearityTestSettings settings;
    settings.order = defaultTestOrder(model.maxOrder);
    settings.delay = model.delay;
    settings.maxOrder = model.maxOrder;
    settings.minObs = model.minObs;
    return settings;
}

LinearityTestSettings linearityTestSettings(const ModelParameters& model, const ModelForm& form) {
    LinearityTestSettings settings = linearityTestSettings(model);
    settings.order = defaultTestOrder(model.maxOrder, form);
    settings.constant = form.constant;
    settings.trend = form.trend;
    settings.lags.assign(form.lags.begin(), form.lags.begin() + form.nLags);
    return settings;
}

void arrangeByThresholdVariable(LinearityTestSettings& settings, const ReportedModel& model) {
    settings.thresholdVariable = model.thresholdVariable;
    settings.exogenous = model.thresholdVariable == ThresholdVariableKind::kColumn
                             ? model.thresholdSeries.data()
                             : nullptr;
}

LinearityTests runLinearityTests(const double* x, int n, const LinearityTestSettings& settings,
                                 const ReplicateProgress& progress) {
    LinearityTests tests;
    tests.settings = settings;
    // Orders count the lags of a list: no more than it has.
    if (!settings.lags.empty()) {
        tests.settings.order = std::min(settings.order, static_cast<int>(settings.lags.size()));
    }
    tests.oneVsThree.alternativeRegimes = 3;
    tests.twoVsThree.nullRegimes = 2;
    tests.twoVsThree.alternativeRegimes = 3;
    const TestRegressors regressors = testRegressors(settings);
    tests.firstTime = testSampleStart(settings.maxOrder, regressors.highestLag(), settings.delay);
    const ThresholdVariableKind kind = settings.thresholdVariable;
    if (kind == ThresholdVariableKind::kDifference) {
        // The change at t - d reads x[t - d - 1].
        tests.firstTime = std::max(tests.firstTime, settings.delay + 1);
    }
    tests.minRows = std::max(settings.minObs, regressors.count() + 1);

    // The threshold variable of a series by time: the series itself (null), its change, or
    // the exogenous values.
    const auto thresholdVariableOf = [&](const double* values, std::vector<double>& z) {
        if (kind == ThresholdVariableKind::kColumn) {
            return settings.exogenous;
        }
        if (kind == ThresholdVariableKind::kOwn) {
            return static_cast<const double*>(nullptr);
        }
        z.assign(static_cast<std::size_t>(n), 0.0);
        for (int s = 1; s < n; ++s) {
            z[static_cast<std::size_t>(s)] = values[s] - values[s - 1];
        }
        return static_cast<const double*>(z.data());
    };
    std::vector<double> sampleZ;
    const ArrangedSample sample(x, n, tests.firstTime, regressors, settings.delay,
                                thresholdVariableOf(x, sampleZ));
    const int rows = sample.size();
    tests.observations = rows;
    const ThresholdFits fits = fitThresholds(sample, tests.minRows, 2);
    setStatistic(tests.oneVsTwo, rows, fits.linearSsr, fits.oneThreshold, sample);
    setStatistic(tests.oneVsThree, rows, fits.linearSsr, fits.twoThresholds, sample);
    if (fits.oneThreshold.found) {
        setStatistic(tests.twoVsThree, rows, fits.oneThreshold.ssr, fits.twoThresholds, sample);
    }
    tests.tsay = tsayTest(sample);

    const int b = settings.replicates;
    std::optional<NullModel> linearNull;
    std::optional<NullModel> twoRegimeNull;
    if (b > 0 && tests.oneVsTwo.available) {
        linearNull = fitNullModel(sample, settings.delay, -1);
    }
    if (b > 0 && tests.twoVsThree.available) {
        twoRegimeNull = fitNullModel(sample, settings.delay, fits.oneThreshold.splits[0]);
    }
    if (!linearNull && !twoRegimeNull) {
        return tests;
    }

    std::vector<double> f12(static_cast<std::size_t>(b), kNotComputed);
    std::vector<double> f13(f12);
    std::vector<double> f23(f12);
    const bool threeRegimes = tests.oneVsThree.available;
    auto replicate = [&](int task) {
        const bool linear = task < b;
        const NullModel& model = linear ? *linearNull : *twoRegimeNull;
        const int index = linear ? task : task - b;
        ReplicateRandom random(settings.seed, linear ? kLinearNullStream : kTwoRegimeNullStream,
                               static_cast<std::uint64_t>(index));
        std::vector<double> series;
        regenerateSeries(model, x, n, tests.firstTime, random, series, kind, settings.exogenous);
        std::vector<double> replicatedZ;
        const ArrangedSample replicated(series.data(), n, tests.firstTime, regressors,
                                        settings.delay,
                                        thresholdVariableOf(series.data(), replicatedZ));
        const ThresholdFits star = fitThresholds(replicated, tests.minRows, threeRegimes ? 2 : 1);
        if (linear) {
            if (star.oneThreshold.found) {
                f12[index] = supF(rows, star.linearSsr, star.oneThreshold.ssr);
            }
            if (star.twoThresholds.found) {
                f13[index] = supF(rows, star.linearSsr, star.twoThresholds.ssr);
            }
        } else if (star.oneThreshold.found && star.twoThresholds.found) {
            f23[index] = supF(rows, star.oneThreshold.ssr, star.twoThresholds.ssr);
        }
    };
    // Linear-null replicates are tasks 0 .. B-1, two-regime-null ones B .. 2B-1; a model that
    // could not be fitted has its tasks skipped.
    std::vector<int> taskList;
    for (int task = 0; task < 2 * b; ++task) {
        if ((task < b && linearNull) || (task >= b && twoRegimeNull)) {
            taskList.push_back(task);
        }
    }
    tests.completed = runReplicates(
        static_cast<int>(taskList.size()), settings.threads, [&](int i) { replicate(taskList[i]); },
        progress);
    if (!tests.completed) {
        return tests;
    }
    if (linearNull) {
        setPValue(tests.oneVsTwo, f12);
        setPValue(tests.oneVsThree, f13);
    }
    if (twoRegimeNull) {
        setPValue(tests.twoVsThree, f23);
    }
    return tests;
}

}  // namespace kavri
