#include "inference/threshold_interval.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numeric>

namespace kavri {

namespace {

// Sums of squared residuals of a regression grown one row at a time, by Givens rotations of
// each new row into the triangular factor R (Gentleman's updating): whatever of the row's
// response the rotations leave over is the increase of the residual sum of squares. It never
// forms X'X, so series of large values (counts in the thousands) keep their precision.
class GrowingRegression {
 public:
    explicit GrowingRegression(int k)
        : k_(k), r_(static_cast<std::size_t>(k) * k, 0.0), qty_(static_cast<std::size_t>(k)) {}

    void add(std::vector<double> row, double y) {
        for (int i = 0; i < k_; ++i) {
            const double xi = row[i];
            if (xi == 0.0) {
                continue;
            }
            double& rii = r_[i * k_ + i];
            const double radius = std::hypot(rii, xi);
            const double c = rii / radius;
            const double s = xi / radius;
            rii = radius;
            for (int j = i + 1; j < k_; ++j) {
                const double rij = r_[i * k_ + j];
                r_[i * k_ + j] = c * rij + s * row[j];
                row[j] = c * row[j] - s * rij;
            }
            const double q = qty_[i];
            qty_[i] = c * q + s * y;
            y = c * y - s * q;
        }
        ssr_ += y * y;
    }
    double ssr() const { return ssr_; }

 private:
    int k_;
    std::vector<double> r_;
    std::vector<double> qty_;
    double ssr_ = 0.0;
};

struct Row {
    double z = 0.0;  // the threshold variable x[t - d]
    int regime = 0;
    int t = 0;
};

// SSR of regime r's regression over rows[0 .. j) for every j = 0 .. m (forward), or over
// rows[j .. m) (backward): the model's own form, its constant (or none), trend and the lags
// the regime fitted, at the regime's own order.
std::vector<double> growingSsr(const ReportedModel& model, const std::vector<Row>& rows,
                               std::size_t r, bool forward) {
    const int m = static_cast<int>(rows.size());
    const std::vector<int> lags = model.lagsOf(r);
    const int first = (model.constant ? 1 : 0) + (model.trend ? 1 : 0);
    const int k = first + static_cast<int>(lags.size());
    std::vector<double> ssr(static_cast<std::size_t>(m) + 1, 0.0);
    GrowingRegression regression(k);
    std::vector<double> design(static_cast<std::size_t>(k));
    for (int step = 0; step < m; ++step) {
        const Row& row = rows[forward ? step : m - 1 - step];
        if (model.constant) {
            design[0] = 1.0;
        }
        if (model.trend) {
            design[first - 1] = row.t + 1.0;  // the observation's number, as the fit has it
        }
        for (std::size_t j = 0; j < lags.size(); ++j) {
            design[first + j] = model.series[row.t - lags[j]];
        }
        regression.add(design, model.series[row.t]);
        ssr[forward ? step + 1 : m - 1 - step] = regression.ssr();
    }
    return ssr;
}

ThresholdConfidence confidenceOf(const ReportedModel& model, int i, double level, double c,
                                 int minObs, int totalRows, double otherSsr) {
    ThresholdConfidence result;
    result.threshold = i;
    result.estimate = model.thresholds[i];
    result.level = level;
    result.criticalValue = c;

    std::vector<Row> rows;
    for (int t = 0; t < static_cast<int>(model.regimeOfObservation.size()); ++t) {
        const int r = model.regimeOfObservation[t];
        if (r == i || r == i + 1) {
            rows.push_back(Row{model.thresholdVariableAt(t - model.delay), r, t});
        }
    }
    // Equal values keep the reported split: its lower regime is then a prefix of the rows.
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (a.z != b.z) return a.z < b.z;
        if (a.regime != b.regime) return a.regime < b.regime;
        return a.t < b.t;
    });
    const int m = static_cast<int>(rows.size());
    const int reportedSplit = static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [i](const Row& row) { return row.regime == i; }));
    const std::vector<double> below = growingSsr(model, rows, static_cast<std::size_t>(i), true);
    const std::vector<double> above =
        growingSsr(model, rows, static_cast<std::size_t>(i) + 1, false);
    const auto total = [&](int j) { return otherSsr + below[j] + above[j]; };
    const double optimum = total(reportedSplit);

    ThresholdLikelihoodRatio& curve = result.curve;
    result.lower = result.upper = result.estimate;
    const int least = std::max(minObs, 1);
    for (int j = 1; j < m; ++j) {
        const bool reported = j == reportedSplit;
        if (!reported && (j < least || j > m - least || !(rows[j - 1].z < rows[j].z))) {
            continue;  // too few rows on a side, or equal values of the variable split apart
        }
        const double value = reported ? result.estimate : rows[j].z;
        if (!reported && value == result.estimate) {
            continue;  // the reported threshold stands for its value
        }
        const double lr = reported || !(optimum > 0.0)
                              ? 0.0
                              : static_cast<double>(totalRows) * (total(j) - optimum) / optimum;
        if (reported) {
            curve.optimumIndex = static_cast<int>(curve.values.size());
        }
        curve.values.push_back(value);
        curve.lr.push_back(lr);
        if (lr <= c) {
            result.lower = std::min(result.lower, value);
            result.upper = std::max(result.upper, value);
        }
    }
    if (curve.values.empty()) {  // a regime without rows: nothing to move
        curve.values.push_back(result.estimate);
        curve.lr.push_back(0.0);
    }
    return result;
}

}  // namespace

double thresholdCriticalValue(double levelPercent) {
    assert(levelPercent > 0.0 && levelPercent < 100.0);
    return -2.0 * std::log(1.0 - std::sqrt(levelPercent / 100.0));
}

std::vector<ThresholdConfidence> thresholdConfidence(const ReportedModel& model,
                                                     double levelPercent, int minObs) {
    std::vector<ThresholdConfidence> intervals;
    const int nThresholds = static_cast<int>(model.thresholds.size());
    if (!model.available || nThresholds == 0 ||
        model.regimes.size() != static_cast<std::size_t>(nThresholds) + 1) {
        return intervals;
    }
    const std::vector<double>& residuals = model.ownResiduals();
    const int nRegimes = nThresholds + 1;
    std::vector<double> regimeSsr(static_cast<std::size_t>(nRegimes), 0.0);
    int totalRows = 0;
    for (std::size_t t = 0; t < model.regimeOfObservation.size(); ++t) {
        const int r = model.regimeOfObservation[t];
        if (r >= 0 && r < nRegimes) {
            regimeSsr[static_cast<std::size_t>(r)] += residuals[t] * residuals[t];
            ++totalRows;
        }
    }
    const double c = thresholdCriticalValue(levelPercent);
    for (int i = 0; i < nThresholds; ++i) {
        double otherSsr = 0.0;
        for (int r = 0; r < nRegimes; ++r) {
            if (r != i && r != i + 1) {
                otherSsr += regimeSsr[static_cast<std::size_t>(r)];
            }
        }
        intervals.push_back(confidenceOf(model, i, levelPercent, c, minObs, totalRows, otherSsr));
    }
    return intervals;
}

}  // namespace kavri
