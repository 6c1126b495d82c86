#include "estimation/reference_exact_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "estimation/information_criterion.h"
#include "estimation/range_qr.h"
#include "estimation/series_statistics.h"
#include "model/notices.h"

namespace kavri::testing {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// `fixedOrder` passed to cost(): 0 for the order of lowest AIC, else the order fitted.
class RangeScorer {
 public:
    RangeScorer(const RankRows& rows, const HoldoutSet* holdout, int maxOrder, bool relative,
                double logFloor)
        : rows_(rows),
          holdout_(holdout),
          maxOrder_(maxOrder),
          relative_(relative),
          logFloor_(logFloor),
          regression_(rows.design()),
          coefficients_(static_cast<std::size_t>(rows.design().columns()), 0.0) {}

    void start() {
        regression_.clear();
        changed_ = true;
    }

    void add(int h) {
        if (rows_.usable(h)) {
            regression_.append(rows_.row(h));
            changed_ = true;
        }
    }

    double cost(int start, int end, int fixedOrder) {
        if (changed_ || fixedOrder != fixedOrder_) {
            fixedOrder_ = fixedOrder;
            order_ = chooseRangeOrder(regression_, maxOrder_, relative_, sseWork_, logFloor_,
                                      fixedOrder);
            if (order_.status == FitStatus::kOk && holdout_ != nullptr) {
                regression_.coefficients(order_.order, coefficients_.data());
            }
            changed_ = false;
        }
        if (order_.status == FitStatus::kSingular) {
            return kInfinity;
        }
        if (holdout_ == nullptr) {
            return order_.score;
        }
        return holdout_->squaredErrors(holdout_->cut(start), holdout_->cut(end),
                                       coefficients_.data(), order_.order);
    }

 private:
    const RankRows& rows_;
    const HoldoutSet* holdout_;
    int maxOrder_;
    bool relative_;
    double logFloor_;  // ranks exact fits (information_criterion.h)
    QrRangeRegression regression_;
    RangeOrder order_;
    bool changed_ = true;
    int fixedOrder_ = 0;
    std::vector<double> coefficients_;
    std::vector<double> sseWork_;
};

struct SplitTable {
    std::vector<std::vector<double>> pathCost;
    std::vector<std::vector<int>> firstEnd;
};

// orderOf(j): the fixed order of a range that begins a path of j ranges (0: chosen by AIC).
template <typename OrderOf>
SplitTable shortestSplits(const RankRows& rows, RangeScorer& scorer, int n, int maxRegimes,
                          int minObs, const OrderOf& orderOf) {
    SplitTable table;
    table.pathCost.assign(maxRegimes + 1, std::vector<double>(n + 1, kInfinity));
    table.firstEnd.assign(maxRegimes + 1, std::vector<int>(n + 1, 0));
    table.pathCost[0][n] = 0.0;
    auto usableIn = [&](int s, int e) { return rows.usableBefore(e) - rows.usableBefore(s); };

    for (int s = n - 1; s >= 0; --s) {
        if (s > 0 && (maxRegimes < 2 || usableIn(0, s) < minObs)) {
            continue;
        }
        scorer.start();
        for (int e = s + 1; e <= n; ++e) {
            scorer.add(e - 1);
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
            for (int j = 1; j <= maxRegimes; ++j) {
                if (j >= 2 && !enoughRows) {
                    continue;
                }
                const double cost = scorer.cost(s, e, orderOf(j));
                if (!(cost < kInfinity)) {
                    continue;
                }
                const double total = cost + table.pathCost[j - 1][e];
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

Result<ExactOptimum> referenceExactOptimum(const RunSettings& settings, const double* x,
                                           const double* sortedSeries, const int* sortOrder,
                                           int delay, const double* thresholdSeries) {
    const ModelParameters& model = settings.model;
    const GaParameters& ga = settings.ga;
    const int n = model.nObservations;
    const int maxOrder = model.maxOrder;
    const bool mse = ga.fitnessKind == kFitnessMse;
    if (maxOrder < 2) {
        return noEffectiveObservationsNotice();
    }
    if (mse && model.nPredictions == 0) {
        return noForecastsNotice();
    }

    const RangeDesign design = RangeDesign::of(settings.form, maxOrder, x, n);
    const RankRows rows(x, sortOrder, n, design, delay);
    std::optional<HoldoutSet> holdout;
    if (mse) {
        holdout.emplace(x, sortedSeries, n, design, model.nPredictions, delay, thresholdSeries);
    }
    RangeScorer scorer(rows, mse ? &*holdout : nullptr, maxOrder,
                       ga.criterion == kCriterionRelative, exactFitLogFloor(seriesVariance(x, n)));

    // One order per regime: exactly that many regimes, the range of a path of j ranges being
    // regime maxRegimes - j.
    const ModelForm& form = settings.form;
    const bool perRegime = form.nFixedOrders > 1;
    int maxRegimes =
        perRegime ? form.nFixedOrders : std::clamp(model.maxRegimes, 1, kMaxRegimeCount);
    if (n - delay < delay + 1) {
        maxRegimes = 1;
    }
    const auto orderOf = [&](int j) {
        return perRegime ? form.fixedOrders[maxRegimes - j] : form.fixedOrderOf(0);
    };
    const SplitTable table = shortestSplits(rows, scorer, n, maxRegimes, model.minObs, orderOf);

    ExactOptimum optimum;
    optimum.criterion = kInfinity;
    int regimes = 0;
    for (int j = perRegime ? maxRegimes : 1; j <= maxRegimes; ++j) {
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
    if (mse) {
        optimum.fitness = std::exp(-(1.0 + optimum.criterion / model.nPredictions));
    } else {
        const int effectiveObservations = rows.usableBefore(n);
        optimum.fitness = std::exp(-(optimum.criterion / effectiveObservations + kNaicOffset) /
                                   ga.adjustingConstant);
    }
    return optimum;
}

}  // namespace kavri::testing
