#include "estimation/exact_search.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "estimation/range_scorer.h"
#include "estimation/series_statistics.h"
#include "model/notices.h"

namespace kavri {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Shortest paths from every rank to the end of the ranks: pathCost[j][s] is the lowest summed
// cost of splitting ranks s .. n-1 into j valid ranges, and firstEnd[j][s] where the first of
// them ends. Starts are taken from the last rank down, so the paths from every later rank are
// final when a start is grown.
struct SplitTable {
    std::vector<std::vector<double>> pathCost;
    std::vector<std::vector<int>> firstEnd;
};

SplitTable shortestSplits(const RankRows& rows, RangeScorer& scorer, int n, int maxRegimes,
                          int minObs) {
    SplitTable table;
    table.pathCost.assign(maxRegimes + 1, std::vector<double>(n + 1, kInfinity));
    table.firstEnd.assign(maxRegimes + 1, std::vector<int>(n + 1, 0));
    table.pathCost[0][n] = 0.0;
    auto usableIn = [&](int s, int e) { return rows.usableBefore(e) - rows.usableBefore(s); };

    for (int s = n - 1; s >= 0; --s) {
        // A later regime needs the regimes below it to hold minObs usable observations.
        if (s > 0 && (maxRegimes < 2 || usableIn(0, s) < minObs)) {
            continue;
        }
        scorer.start();
        for (int e = s + 1; e <= n; ++e) {
            scorer.add(e - 1);
            // Only the chromosome without thresholds may have a regime below minObs.
            const bool enoughRows = usableIn(s, e) >= minObs;
            const bool wholeRange = s == 0 && e == n;
            if (!enoughRows && !wholeRange) {
                continue;
            }
            bool continues = false;
            for (int j = 1; j <= maxRegimes && !continues; ++j) {
                continues = table.pathCost[j - 1][e] < kInfinity;
            }
            if (!continues) {
                continue;
            }
            const double cost = scorer.cost(s, e);
            if (!(cost < kInfinity)) {
                continue;
            }
            for (int j = 1; j <= maxRegimes; ++j) {
                if (j >= 2 && !enoughRows) {
                    continue;
                }
                const double total = cost + table.pathCost[j - 1][e];
                // Strictly lower: among equal sums the earliest end, hence the lowest positions.
                if (total < table.pathCost[j][s]) {
                    table.pathCost[j][s] = total;
                    table.firstEnd[j][s] = e;
                }
            }
        }
    }
    return table;
}

}  // namespace

Result<ExactOptimum> findExactOptimum(const RunSettings& settings, const double* x,
                                      const double* sortedSeries, const int* sortOrder, int delay) {
    const ModelParameters& model = settings.model;
    const GaParameters& ga = settings.ga;
    const int n = model.nObservations;
    const int maxOrder = model.maxOrder;
    const bool mse = ga.fitnessKind == kFitnessMse;
    // Without an order to try no observation is fitted, and every evaluation stops there.
    if (maxOrder < 2) {
        return noEffectiveObservationsNotice();
    }
    if (mse && model.nPredictions == 0) {
        return noForecastsNotice();
    }

    const double centre = seriesMean(x, n);
    const RankRows rows(x, sortOrder, n, maxOrder, delay, centre);
    std::optional<HoldoutSet> holdout;
    if (mse) {
        holdout.emplace(x, sortedSeries, n, maxOrder, model.nPredictions, delay, centre);
    }
    RangeScorer scorer(rows, mse ? &*holdout : nullptr, maxOrder,
                       ga.criterion == kCriterionRelative);

    // A series too short for the delay makes every chromosome with a threshold invalid.
    int maxRegimes = std::clamp(model.maxRegimes, 1, kMaxRegimeCount);
    if (n - delay < delay + 1) {
        maxRegimes = 1;
    }
    const SplitTable table = shortestSplits(rows, scorer, n, maxRegimes, model.minObs);

    ExactOptimum optimum;
    optimum.criterion = kInfinity;
    int regimes = 0;
    for (int j = 1; j <= maxRegimes; ++j) {
        // Strictly lower: an equal sum with more thresholds does not replace fewer.
        if (table.pathCost[j][0] < optimum.criterion) {
            optimum.criterion = table.pathCost[j][0];
            regimes = j;
        }
    }
    if (regimes == 0) {
        return optimum;
    }
    int s = 0;
    for (int j = regimes; j >= 2; --j) {
        s = table.firstEnd[j][s];
        optimum.positions[optimum.nThresholds++] = s;
    }
    optimum.fitness = fitnessOfCriterion(settings, optimum.criterion, rows.usableBefore(n));
    return optimum;
}

Result<DelayScan> scanDelays(const RunSettings& settings, const double* x,
                             const double* sortedSeries, const int* sortOrder) {
    DelayScan scan;
    for (int delay = limits::kDelay.min; delay <= limits::kDelay.max; ++delay) {
        Result<ExactOptimum> optimum =
            findExactOptimum(settings, x, sortedSeries, sortOrder, delay);
        if (!optimum.ok()) {
            return optimum.notice();
        }
        scan.delays.push_back(delay);
        scan.optima.push_back(optimum.value());
        if (optimum.value().fitness > scan.optima[scan.bestIndex].fitness) {
            scan.bestIndex = static_cast<int>(scan.optima.size()) - 1;
        }
    }
    return scan;
}

}  // namespace kavri
