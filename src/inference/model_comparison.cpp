#include "inference/model_comparison.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <optional>

#include "estimation/information_criterion.h"
#include "estimation/range_qr.h"
#include "estimation/series_statistics.h"
#include "estimation/threshold_candidates.h"
#include "genetic/candidates.h"
#include "inference/replicate_runner.h"
#include "model/notices.h"

namespace kavri {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct Ranking {
    IVector sortOrder;
    DVector sortedSeries;
};

Ranking rank(const double* x, int n) {
    Ranking ranking{ivector(0, n), dvector(0, n)};
    rankThresholdCandidates(x, n, ranking.sortOrder, ranking.sortedSeries);
    return ranking;
}

// The series seen from one delay: shifted by `shift` observations so that the ranks' usable
// observations (t' >= maxOrder - 1 and t' >= delay in shifted time) are exactly the common
// sample t >= firstTime.
struct DelayView {
    DelayView(const std::vector<double>& series, const std::vector<double>* thresholdSeries,
              int nObservations, int shift, const ModelForm& form, int maxOrder, int delay)
        : x(series.data() + shift),
          z(thresholdSeries != nullptr ? thresholdSeries->data() + shift : nullptr),
          n(nObservations - shift),
          ranking(rank(z != nullptr ? z : x, n)),
          rows(x, ranking.sortOrder.data(), n, RangeDesign::of(form, maxOrder, x, n), delay) {}

    const double* x;
    const double* z;  // the threshold variable, null for x itself
    int n;
    Ranking ranking;
    RankRows rows;
};

// Lowest summed AIC of exactly j ranges covering ranks s .. n-1, and where the first ends.
struct SplitTable {
    std::vector<std::vector<double>> pathCost;
    std::vector<std::vector<int>> firstEnd;
};

// boundary[r] (r = 0 .. n): whether a range may start or end at rank r, that is rank 0, n and
// the threshold candidates.
// `checkpoint(s)` is asked before the regressions starting at rank s are grown; false stops
// the table, which is then incomplete. `fixedOrder` > 0 fits every range at that order.
SplitTable splitExactly(const DelayView& view, int maxOrder, bool relative, int fixedOrder,
                        int maxRegimes, int minObs, const std::vector<char>& boundary,
                        const std::function<bool(int s)>& checkpoint) {
    const int n = view.n;
    const RankRows& rows = view.rows;
    SplitTable table;
    table.pathCost.assign(maxRegimes + 1, std::vector<double>(n + 1, kInfinity));
    table.firstEnd.assign(maxRegimes + 1, std::vector<int>(n + 1, 0));
    table.pathCost[0][n] = 0.0;
    auto usableIn = [&](int s, int e) { return rows.usableBefore(e) - rows.usableBefore(s); };
    QrRangeRegression regression(rows.design());
    std::vector<double> sseWork;
    for (int s = n - 1; s >= 0; --s) {
        // A range that starts past rank 0 is not a model's first, so at most maxRegimes - 1
        // ranges start at s: pathCost[maxRegimes][s] would never be read there.
        const int mostRanges = s == 0 ? maxRegimes : maxRegimes - 1;
        if (!boundary[s] || (s > 0 && usableIn(0, s) < minObs) || mostRanges == 0) {
            continue;
        }
        if (!checkpoint(s)) {
            break;
        }
        regression.clear();
        for (int e = s + 1; e <= n; ++e) {
            if (rows.usable(e - 1)) {
                regression.append(rows.row(e - 1));
            }
            if (!boundary[e]) {
                continue;
            }
            // A split model's regimes need minObs rows; the whole range stands alone.
            const bool enoughRows = usableIn(s, e) >= minObs;
            if (!enoughRows && !(s == 0 && e == n)) {
                continue;
            }
            // The order is chosen only where the range can be followed by ranges to rank n:
            // elsewhere every total would be infinite and change nothing. With two regimes this
            // leaves the ranges from rank 0 and those to rank n, not every pair of ranks.
            bool followed = false;
            for (int j = 1; j <= mostRanges && !followed; ++j) {
                followed = (j == 1 || enoughRows) && table.pathCost[j - 1][e] < kInfinity;
            }
            if (!followed) {
                continue;
            }
            const RangeOrder order = chooseRangeOrder(regression, maxOrder, relative, sseWork,
                                                      kNoExactFitFloor, fixedOrder);
            if (order.status != FitStatus::kOk) {
                continue;
            }
            for (int j = 1; j <= mostRanges; ++j) {
                if (j >= 2 && !enoughRows) {
                    continue;
                }
                const double total = order.aic + table.pathCost[j - 1][e];
                if (total < table.pathCost[j][s]) {
                    table.pathCost[j][s] = total;
                    table.firstEnd[j][s] = e;
                }
            }
        }
    }
    return table;
}

// The row of the ranges ending at `ends` (ascending, the last n): orders, criteria, forecasts.
ComparisonRow describeRow(const DelayView& view, const RunSettings& settings,
                          const std::vector<int>& ends, int delay) {
    const ModelParameters& model = settings.model;
    const int maxOrder = model.maxOrder;
    ComparisonRow row;
    row.regimes = static_cast<int>(ends.size());
    row.delay = row.regimes == 1 ? 0 : delay;
    const RangeDesign& design = view.rows.design();
    std::optional<HoldoutSet> holdout;
    if (model.nPredictions > 0) {
        holdout.emplace(view.x, view.ranking.sortedSeries.data(), view.n, design,
                        model.nPredictions, delay, view.z);
    }
    QrRangeRegression regression(design);
    std::vector<double> sseWork;
    std::vector<double> b(static_cast<std::size_t>(design.columns()), 0.0);
    double sumAic = 0.0;
    double squaredErrors = 0.0;
    int coefficients = 0;
    int start = 0;
    for (int end : ends) {
        regression.clear();
        for (int h = start; h < end; ++h) {
            if (view.rows.usable(h)) {
                regression.append(view.rows.row(h));
            }
        }
        const RangeOrder order =
            chooseRangeOrder(regression, maxOrder, settings.ga.criterion == kCriterionRelative,
                             sseWork, kNoExactFitFloor, settings.form.fixedOrderOf(0));
        // As the fitted model stores it: the highest lag of the order's lags.
        row.orders.push_back(settings.form.lagOf(order.order));
        row.sse += sseWork[order.order];
        row.observations += regression.observations();
        sumAic += order.aic;
        coefficients += design.coefficients(order.order);
        if (holdout) {
            regression.coefficients(order.order, b.data());
            squaredErrors += holdout->squaredErrors(holdout->cut(start), holdout->cut(end),
                                                    b.data(), order.order);
        }
        if (end < view.n) {
            row.thresholds.push_back(view.ranking.sortedSeries[end]);
        }
        start = end;
    }
    const double n = row.observations;
    row.aic = sumAic + kNaicOffset * n;
    row.bic = row.aic - 2.0 * coefficients + std::log(n) * (coefficients + row.regimes - 1);
    if (holdout) {
        row.mse = squaredErrors / model.nPredictions;
    }
    row.available = true;
    return row;
}

// Starting ranks of a table between two checks for a stop (and updates of its share of work
// done): with every value a candidate on a long series, some milliseconds of work.
constexpr int kStartsBetweenChecks = 64;
constexpr int kThousand = 1000;

// What one delay contributes to the comparison.
struct DelayRows {
    std::vector<ComparisonRow> rows;
    int observations = 0;
    bool everyValue = true;
    int candidates = 0;
};

// Work units (a step of a rotation, some nanoseconds) that one delay may take: about a second.
constexpr double kDelayWork = 1.5e9;

// The candidates of one delay's table. With C candidates it grows a regression from each of
// them to the end, about C n / 2 row updates, and chooses an order at C^2 / 2 range ends, each
// some (maxOrder + 1)^2 units: every value while n^2 / 2 of them fit in the time, else the
// largest C for which C (n + C) / 2 do.
ThresholdCandidates comparisonCandidates(int n, int maxOrder, int requested) {
    if (requested > 0) {
        return evenlySpacedCandidates(n, requested);
    }
    const double columns = std::max(maxOrder, 1) + 1.0;
    const double units = 2.0 * kDelayWork / (columns * columns);
    const double length = n;
    if (length * length <= units) {
        return ThresholdCandidates{};
    }
    const double count = 0.5 * (std::sqrt(length * length + 4.0 * units) - length);
    return evenlySpacedCandidates(n, std::max(1, static_cast<int>(count)));
}

std::vector<int> rangeEnds(const SplitTable& table, int regimes, int n) {
    std::vector<int> ends;
    int s = 0;
    for (int j = regimes; j >= 2; --j) {
        s = table.firstEnd[j][s];
        ends.push_back(s);
    }
    ends.push_back(n);
    return ends;
}

int lowest(const std::vector<ComparisonRow>& rows, double (*value)(const ComparisonRow&)) {
    int best = -1;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        if (rows[i].available && (best < 0 || value(rows[i]) < value(rows[best]))) {
            best = i;
        }
    }
    return best;
}

}  // namespace

ComparisonOptions comparisonOnThresholdVariable(const ReportedModel& model) {
    ComparisonOptions onVariable;
    if (!model.thresholdSeries.empty()) {
        onVariable.thresholdSeries = &model.thresholdSeries;
        // The change has no value at the sample's first time.
        onVariable.thresholdStart =
            model.thresholdVariable == ThresholdVariableKind::kDifference ? 1 : 0;
    }
    return onVariable;
}

Result<ModelComparison> compareModels(const RunSettings& settings,
                                      const std::vector<double>& series,
                                      const ComparisonOptions& options) {
    const ModelParameters& model = settings.model;
    const int maxOrder = model.maxOrder;
    const int n = model.nObservations;
    if (maxOrder < 2) {
        return noEffectiveObservationsNotice();
    }
    // It compares numbers of regimes, which one order per regime fixes.
    if (settings.form.nFixedOrders > 1) {
        return errorNotice(
            "The model comparison compares models of 1 to 4 regimes, but one order per regime "
            "(--orders P1,P2,..) fixes the number of regimes; give one order for every regime "
            "or let the AIC choose the orders");
    }
    ModelComparison comparison;
    comparison.firstTime = std::max(maxOrder - 1, limits::kDelay.max + options.thresholdStart);
    const int maxRegimes = std::clamp(model.maxRegimes, 1, kMaxRegimeCount);
    const bool relative = settings.ga.criterion == kCriterionRelative;
    const int firstDelay = options.delay > 0 ? options.delay : limits::kDelay.min;
    const int lastDelay = options.delay > 0 ? options.delay : limits::kDelay.max;
    const int nDelays = lastDelay - firstDelay + 1;

    // The delays are independent: each is computed whole by one thread into its own slot, and
    // the slots are read in delay order, so that every thread count gives the same rows. The
    // calling thread only waits and reports.
    std::vector<DelayRows> perDelay(static_cast<std::size_t>(nDelays));
    std::vector<std::atomic<int>> thousandths(static_cast<std::size_t>(nDelays));
    std::atomic<bool> stopRequested{false};
    const auto computeDelay = [&](int index) {
        const int delay = firstDelay + index;
        DelayRows& out = perDelay[static_cast<std::size_t>(index)];
        const int shift = comparison.firstTime - std::max(maxOrder - 1, delay);
        const DelayView view(series, options.thresholdSeries, n, shift, settings.form, maxOrder,
                             delay);
        // Every delay's view has the same length, so the same candidate ranks.
        const ThresholdCandidates candidates =
            comparisonCandidates(view.n, maxOrder, options.candidates);
        out.everyValue = candidates.everyValue;
        out.candidates = candidates.count(view.n);
        std::vector<char> boundary(static_cast<std::size_t>(view.n) + 1, candidates.everyValue);
        boundary.front() = boundary.back() = 1;
        for (int rank : candidates.ranks) {
            boundary[static_cast<std::size_t>(rank)] = 1;
        }
        // The work of a table is about the sum over its starting ranks s of the rows grown
        // from s, n - s; the starts are visited from n - 1 down, so the share done at s is the
        // sum of (n - r) for r > s, (n - s - 1)(n - s) / 2, over n (n + 1) / 2 (for every
        // value; with thinned candidates the order choices dominate alike).
        const double whole = 0.5 * view.n * (view.n + 1.0);
        std::atomic<int>& done = thousandths[static_cast<std::size_t>(index)];
        int sinceAsked = 0;
        const auto checkpoint = [&](int s) {
            if (++sinceAsked < kStartsBetweenChecks && s > 0) {
                return true;
            }
            sinceAsked = 0;
            const double rest = static_cast<double>(view.n - s);
            done.store(static_cast<int>(kThousand * 0.5 * (rest - 1.0) * rest / whole));
            return !stopRequested.load();
        };
        const SplitTable table =
            splitExactly(view, maxOrder, relative, settings.form.fixedOrderOf(0), maxRegimes,
                         model.minObs, boundary, checkpoint);
        if (stopRequested.load()) {
            return;
        }
        out.observations = view.rows.usableBefore(view.n);
        for (int regimes = delay == firstDelay ? 1 : 2; regimes <= maxRegimes; ++regimes) {
            ComparisonRow row;
            if (table.pathCost[regimes][0] < kInfinity) {
                row = describeRow(view, settings, rangeEnds(table, regimes, view.n), delay);
            } else {
                row.regimes = regimes;
                row.delay = regimes == 1 ? 0 : delay;
            }
            out.rows.push_back(std::move(row));
        }
        done.store(kThousand);
    };

    // Reports on the calling thread: the delays done as they end, the share of the work to
    // keepGoing, whose false answer stops every delay at its next checkpoint.
    int delaysReported = 0;
    bool stopped = false;
    const auto report = [&](int delaysDone, int) {
        for (; delaysReported < delaysDone && options.progress; ++delaysReported) {
            options.progress(delaysReported + 1, nDelays);
        }
        if (!options.keepGoing || stopped) {
            return !stopped;
        }
        int sum = 0;
        for (const std::atomic<int>& delay : thousandths) {
            sum += delay.load();
        }
        stopped = !options.keepGoing(static_cast<double>(sum) / (kThousand * nDelays));
        stopRequested.store(stopped);
        return !stopped;
    };
    const bool reporting = options.progress || options.keepGoing;
    runReplicates(nDelays, 0, computeDelay, reporting ? ReplicateProgress(report) : nullptr);
    if (stopped) {
        comparison.completed = false;
        return comparison;
    }
    for (DelayRows& rows : perDelay) {
        comparison.everyValue = rows.everyValue;
        comparison.candidates = rows.candidates;
        comparison.observations = rows.observations;
        for (ComparisonRow& row : rows.rows) {
            comparison.rows.push_back(std::move(row));
        }
    }
    std::stable_sort(
        comparison.rows.begin(), comparison.rows.end(),
        [](const ComparisonRow& a, const ComparisonRow& b) { return a.regimes < b.regimes; });
    comparison.bestAic = lowest(comparison.rows, [](const ComparisonRow& r) { return r.aic; });
    comparison.bestBic = lowest(comparison.rows, [](const ComparisonRow& r) { return r.bic; });
    comparison.bestSse = lowest(comparison.rows, [](const ComparisonRow& r) { return r.sse; });
    if (model.nPredictions > 0) {
        comparison.bestMse = lowest(comparison.rows, [](const ComparisonRow& r) { return *r.mse; });
    }
    return comparison;
}

}  // namespace kavri
