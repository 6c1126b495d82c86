#include "estimation/threshold_profile.h"

#include <cassert>
#include <limits>
#include <optional>

#include "estimation/range_scorer.h"
#include "estimation/series_statistics.h"

namespace kavri {

namespace {

// The summed criterion of the regimes with the given costs, added from the last regime to the
// first as the exact search's shortest paths add them, so that equal costs give equal bits.
double summedCriterion(const std::vector<double>& costs) {
    double total = 0.0;
    for (auto cost = costs.rbegin(); cost != costs.rend(); ++cost) {
        total = *cost + total;
    }
    return total;
}

class ProfileBuilder {
 public:
    ProfileBuilder(const RunSettings& settings, const RankRows& rows, RangeScorer& scorer,
                   const double* sortedSeries, const ExactOptimum& optimum)
        : settings_(settings), rows_(rows), scorer_(scorer), sortedSeries_(sortedSeries) {
        const int n = settings.model.nObservations;
        bounds_.push_back(0);
        for (int i = 0; i < optimum.nThresholds; ++i) {
            bounds_.push_back(optimum.positions[i]);
        }
        bounds_.push_back(n);
        effectiveObservations_ = rows.usableBefore(n);
        for (std::size_t r = 0; r + 1 < bounds_.size(); ++r) {
            optimumCosts_.push_back(rangeCost(bounds_[r], bounds_[r + 1], static_cast<int>(r)));
        }
    }

    // Threshold i bounds regimes i and i + 1, the ranges [lo, p) and [p, hi).
    ThresholdProfileCurve curve(int i) {
        const int lo = bounds_[i];
        const int p0 = bounds_[i + 1];
        const int hi = bounds_[i + 2];
        const int minObs = settings_.model.minObs;
        ThresholdProfileCurve curve;
        curve.threshold = i;

        // The lower range grows from lo once; its cost at each end p is read on the way.
        std::vector<double> lowerCosts(static_cast<std::size_t>(hi - lo), kInfinity);
        scorer_.setFixedOrder(settings_.form.fixedOrderOf(i));
        scorer_.start();
        for (int p = lo + 1; p < hi; ++p) {
            scorer_.add(p - 1);
            if (admissible(lo, p, hi, minObs)) {
                lowerCosts[p - lo] = scorer_.cost(lo, p);
            }
        }
        const std::vector<double> upperCosts = this->upperCosts(lo, p0, hi, i);
        for (int p = lo + 1; p < hi; ++p) {
            if (!admissible(lo, p, hi, minObs) || !(lowerCosts[p - lo] < kInfinity)) {
                continue;
            }
            std::vector<double> costs = optimumCosts_;
            costs[i] = lowerCosts[p - lo];
            costs[i + 1] = upperCosts[p - lo];
            if (!(costs[i + 1] < kInfinity)) {
                continue;
            }
            if (p == p0) {
                curve.optimumIndex = static_cast<int>(curve.positions.size());
            }
            curve.positions.push_back(p);
            curve.values.push_back(sortedSeries_[p]);
            curve.fitness.push_back(
                fitnessOfCriterion(settings_, summedCriterion(costs), effectiveObservations_));
        }
        return curve;
    }

 private:
    static constexpr double kInfinity = std::numeric_limits<double>::infinity();
    // Spans of ranks up to this are profiled to the last bit: some two million row updates
    // at most, a fraction of a second, and every span of a series the dialogs take.
    static constexpr int kExactSpan = 2000;

    bool admissible(int lo, int p, int hi, int minObs) const {
        return rows_.usableBefore(p) - rows_.usableBefore(lo) >= minObs &&
               rows_.usableBefore(hi) - rows_.usableBefore(p) >= minObs;
    }

    // The costs of the upper ranges [p, hi), p = lo+1 .. hi-1, at index p - lo. Up to
    // kExactSpan ranks each grows from p, as the exact search grows it; beyond, where that
    // would take time quadratic in the span, one range grows downwards from hi - 1, which holds
    // the same rows in the other order and so can differ in the last bits, except at the
    // optimum's own position, which keeps its cost.
    std::vector<double> upperCosts(int lo, int p0, int hi, int i) {
        const int minObs = settings_.model.minObs;
        std::vector<double> costs(static_cast<std::size_t>(hi - lo), kInfinity);
        if (hi - lo <= kExactSpan) {
            for (int p = lo + 1; p < hi; ++p) {
                if (admissible(lo, p, hi, minObs)) {
                    costs[p - lo] = rangeCost(p, hi, i + 1);
                }
            }
            return costs;
        }
        scorer_.setFixedOrder(settings_.form.fixedOrderOf(i + 1));
        scorer_.start();
        for (int p = hi - 1; p > lo; --p) {
            scorer_.add(p);
            if (admissible(lo, p, hi, minObs)) {
                costs[p - lo] = p == p0 ? optimumCosts_[i + 1] : scorer_.cost(p, hi);
            }
        }
        return costs;
    }

    // The cost of [start, end) as regime `regime`, whose fixed order it takes.
    double rangeCost(int start, int end, int regime) {
        scorer_.setFixedOrder(settings_.form.fixedOrderOf(regime));
        scorer_.start();
        for (int h = start; h < end; ++h) {
            scorer_.add(h);
        }
        return scorer_.cost(start, end);
    }

    const RunSettings& settings_;
    const RankRows& rows_;
    RangeScorer& scorer_;
    const double* sortedSeries_;
    std::vector<int> bounds_;  // 0, the optimum's positions, n
    std::vector<double> optimumCosts_;
    int effectiveObservations_ = 0;
};

}  // namespace

ThresholdProfile profileThresholds(const RunSettings& settings, const double* x,
                                   const double* sortedSeries, const int* sortOrder, int delay,
                                   const ExactOptimum& optimum, const double* thresholdSeries) {
    ThresholdProfile profile;
    // A fitness that underflowed to 0 still has a profile; only a singular optimum has none.
    if (optimum.nThresholds == 0 || !(optimum.criterion < kInfiniteCost)) {
        return profile;
    }
    const ModelParameters& model = settings.model;
    const int n = model.nObservations;
    const bool mse = settings.ga.fitnessKind == kFitnessMse;
    assert(model.maxOrder >= 2 && (!mse || model.nPredictions > 0));

    // The same centring as the exact search, so that the rows and so the costs are the same.
    const RangeDesign design = RangeDesign::of(settings.form, model.maxOrder, x, n);
    const RankRows rows(x, sortOrder, n, design, delay);
    std::optional<HoldoutSet> holdout;
    if (mse) {
        holdout.emplace(x, sortedSeries, n, design, model.nPredictions, delay, thresholdSeries);
    }
    RangeScorer scorer(rows, mse ? &*holdout : nullptr, settings.ga.criterion == kCriterionRelative,
                       exactFitLogFloor(seriesVariance(x, n)), settings.form.fixedOrderOf(0));
    ProfileBuilder builder(settings, rows, scorer, sortedSeries, optimum);
    for (int i = 0; i < optimum.nThresholds; ++i) {
        profile.curves.push_back(builder.curve(i));
    }
    return profile;
}

}  // namespace kavri
