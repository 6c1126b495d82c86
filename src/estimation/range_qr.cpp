#include "estimation/range_qr.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <numeric>

#include "estimation/information_criterion.h"
#include "estimation/regime_estimation.h"
#include "model/regime_rule.h"

namespace kavri {

RankRows::RankRows(const double* x, const int* sortOrder, int n, const RangeDesign& design,
                   int delay)
    : design_(design),
      columns_(design.columns()),
      usable_(static_cast<std::size_t>(n), 0),
      rows_(static_cast<std::size_t>(n) * design.columns(), 0.0),
      usableBefore_(static_cast<std::size_t>(n) + 1, 0),
      equalRunStart_(static_cast<std::size_t>(n) + 1, 0) {
    const int maxOrder = design.maxOrder;
    int lastUsable = -1;
    for (int h = 0; h < n; ++h) {
        const int t = sortOrder[h] + delay;
        usableBefore_[h + 1] = usableBefore_[h];
        equalRunStart_[h + 1] = equalRunStart_[h];
        if (t < maxOrder - 1 || t > n - 1) {
            continue;
        }
        const double response = x[t] - design.centre;
        if (lastUsable < 0 || response != rows_[static_cast<std::size_t>(lastUsable) * columns_ +
                                                static_cast<std::size_t>(columns_ - 1)]) {
            equalRunStart_[h + 1] = h;
        }
        lastUsable = h;
        usable_[h] = 1;
        ++usableBefore_[h + 1];
        design.fill(x, t, &rows_[static_cast<std::size_t>(h) * columns_]);
    }
}

bool RankRows::responsesEqual(int start, int end) const {
    // The run of equal responses that ends with the range's last usable row must begin at or
    // before its first: no usable row of the range lies below the run's start.
    return usableBefore_[end] == usableBefore_[start] ||
           usableBefore_[equalRunStart_[end]] <= usableBefore_[start];
}

QrRangeRegression::QrRangeRegression(int maxOrder)
    : QrRangeRegression(RangeDesign::contiguous(maxOrder, 0.0)) {}

QrRangeRegression::QrRangeRegression(const RangeDesign& design)
    : columns_(design.columns()),
      deterministic_(design.deterministic),
      factor_(static_cast<std::size_t>(columns_) * columns_, 0.0),
      columnSquares_(static_cast<std::size_t>(columns_), 0.0),
      work_(static_cast<std::size_t>(columns_), 0.0) {}

void QrRangeRegression::clear() {
    std::fill(factor_.begin(), factor_.end(), 0.0);
    std::fill(columnSquares_.begin(), columnSquares_.end(), 0.0);
    observations_ = 0;
    responsesEqual_ = true;
    spread_ = ResponseSpread{};
}

void QrRangeRegression::append(const double* row) {
    const double response = row[columns_ - 1];
    if (observations_ == 0) {
        firstResponse_ = response;
    }
    responsesEqual_ = responsesEqual_ && response == firstResponse_;
    if (deterministic_ == 0) {
        spread_.append(1.0, response);
    }
    double* v = work_.data();
    for (int j = 0; j < columns_; ++j) {
        v[j] = row[j];
        columnSquares_[j] += row[j] * row[j];
    }
    // Rotate the new row into R one column at a time, zeroing v[k] against R[k][k].
    for (int k = 0; k < columns_; ++k) {
        const double vk = v[k];
        if (vk == 0.0) {
            continue;
        }
        double* rk = &factor_[static_cast<std::size_t>(k) * columns_];
        const double diagonal = std::sqrt(rk[k] * rk[k] + vk * vk);
        const double c = rk[k] / diagonal;
        const double s = vk / diagonal;
        rk[k] = diagonal;
        for (int l = k + 1; l < columns_; ++l) {
            const double a = rk[l];
            rk[l] = c * a + s * v[l];
            v[l] = c * v[l] - s * a;
        }
    }
    ++observations_;
}

int firstSingularOrder(const FactorView& factor) {
    const int designColumns = factor.columns - 1;
    for (int k = 0; k < designColumns; ++k) {
        // Written so that a not-a-number diagonal counts as deficient too.
        if (!(factor.at(k, k) > kRankTolerance * std::sqrt(factor.columnSquare(k)))) {
            return std::max(k - factor.deterministic + 1, 1);
        }
    }
    return factor.lagColumns() + 1;
}

void residualSums(const FactorView& factor, double* sse) {
    const int response = factor.columns - 1;
    const int lags = factor.lagColumns();
    sse[lags] = factor.at(response, response) * factor.at(response, response);
    for (int p = lags - 1; p >= 0; --p) {
        const double r = factor.at(factor.deterministic + p, response);
        sse[p] = sse[p + 1] + r * r;
    }
}

double totalSquares(const FactorView& factor, const double* sse) {
    if (factor.deterministic == 0) {
        return factor.spread[0] * factor.spread[0];
    }
    double sum = sse[0];
    for (int k = factor.deterministic - 1; k >= 1; --k) {
        const double r = factor.at(k, factor.columns - 1);
        sum = sum + r * r;
    }
    return sum;
}

void regressionCoefficients(const FactorView& factor, int order, double* b) {
    assert(order < firstSingularOrder(factor));
    const int response = factor.columns - 1;
    const int last = factor.deterministic + order - 1;
    for (int i = last; i >= 0; --i) {
        double sum = factor.at(i, response);
        for (int j = i + 1; j <= last; ++j) {
            sum -= factor.at(i, j) * b[j];
        }
        b[i] = sum / factor.at(i, i);
    }
}

RangeOrder chooseOrder(int observations, int singularFrom, const double* sse, int stride,
                       double sst, bool responsesEqual, const OrderChoiceRule& rule) {
    RangeOrder choice;
    // A fixed order: any finite score replaces the initial best, as in the regime estimation.
    const int fixedOrder = rule.fixedOrder;
    const bool fixed = fixedOrder > 0;
    double best = fixed ? std::numeric_limits<double>::infinity() : kSearchInitialBestAic;
    // The criteria's "order" is the index of the last coefficient: D + p - 1.
    const int extra = rule.deterministic - 1;
    for (int p = fixed ? fixedOrder : 1; p <= (fixed ? fixedOrder : rule.highestOrder); ++p) {
        // The evaluation fits every order it tries, so a deficient order it reaches fails it.
        if (p >= singularFrom) {
            return RangeOrder{};
        }
        const double sseP = sse[static_cast<std::size_t>(p) * stride];
        const double score =
            regimeScore(observations, sseP, sst, responsesEqual, p + extra, rule.logFloor);
        if (score < best) {
            best = score;
            choice.order = p;
            choice.aic = regimeAic(observations, sseP, sst, responsesEqual, p + extra);
            choice.score = score;
        } else if (rule.relative) {
            break;
        }
    }
    if (choice.order > 0) {
        choice.status = FitStatus::kOk;
    }
    return choice;
}

RangeOrder chooseRangeOrder(const FactorView& factor, bool responsesEqual, bool relative,
                            double* sseWork, double logFloor, int fixedOrder) {
    const int lags = factor.lagColumns();
    if (lags < 1) {
        return RangeOrder{};
    }
    const int singularFrom = firstSingularOrder(factor);
    residualSums(factor, sseWork);
    const OrderChoiceRule rule{lags, factor.deterministic, relative, logFloor, fixedOrder};
    return chooseOrder(factor.observations, singularFrom, sseWork, 1, totalSquares(factor, sseWork),
                       responsesEqual, rule);
}

RangeOrder chooseRangeOrder(const QrRangeRegression& regression, int maxOrder, bool relative,
                            std::vector<double>& sseWork, double logFloor, int fixedOrder) {
    const FactorView view = regression.view();
    if (maxOrder < 2 || view.lagColumns() < 1) {
        return RangeOrder{};
    }
    sseWork.resize(static_cast<std::size_t>(view.lagColumns()) + 1);
    return chooseRangeOrder(view, regression.responsesEqual(), relative, sseWork.data(), logFloor,
                            fixedOrder);
}

HoldoutSet::HoldoutSet(const double* x, const double* sortedSeries, int n,
                       const RangeDesign& design, int nPredictions, int delay,
                       const double* zSeries)
    : size_(nPredictions),
      columns_(design.columns()),
      deterministic_(design.deterministic),
      rows_(static_cast<std::size_t>(std::max(nPredictions, 0)) * design.columns(), 0.0),
      cut_(static_cast<std::size_t>(n) + 1, 0) {
    // On a sample shorter than the lags or the delay no regime has rows and nothing here is
    // used; values before the series start are then read as 0 rather than out of bounds.
    const double* thresholdSeries = zSeries != nullptr ? zSeries : x;
    auto zValue = [thresholdSeries](int t) { return t >= 0 ? thresholdSeries[t] : 0.0; };
    std::vector<int> byThreshold(static_cast<std::size_t>(std::max(nPredictions, 0)));
    std::iota(byThreshold.begin(), byThreshold.end(), 0);
    std::stable_sort(byThreshold.begin(), byThreshold.end(),
                     [&](int a, int b) { return zValue(n + a - delay) < zValue(n + b - delay); });

    std::vector<double> z(byThreshold.size());
    std::vector<double> designRow(static_cast<std::size_t>(columns_));
    for (int position = 0; position < nPredictions; ++position) {
        const int t = n + byThreshold[position];
        z[position] = zValue(t - delay);
        // Stored as the response first, then the design's columns.
        design.fill(x, t, designRow.data());
        double* row = &rows_[static_cast<std::size_t>(position) * columns_];
        row[0] = designRow[columns_ - 1];
        for (int k = 0; k + 1 < columns_; ++k) {
            row[k + 1] = designRow[k];
        }
    }

    // The forecasts' own rule for a z equal to a threshold (regime_rule.h), so that the search
    // scores exactly the forecasts that the evaluation makes.
    const bool equalBelow = kHoldoutForecastTie == ThresholdTie::kLowerRegime;
    for (int boundary = 1; boundary < n; ++boundary) {
        const double threshold = sortedSeries[boundary];
        const auto end = equalBelow ? std::upper_bound(z.begin(), z.end(), threshold)
                                    : std::lower_bound(z.begin(), z.end(), threshold);
        cut_[boundary] = static_cast<int>(end - z.begin());
    }
    if (n >= 1) {
        cut_[n] = nPredictions;
    }
}

double HoldoutSet::squaredErrors(int first, int last, const double* b, int order) const {
    const int coefficients = deterministic_ + order;
    double sum = 0.0;
    for (int position = first; position < last; ++position) {
        const double* row = &rows_[static_cast<std::size_t>(position) * columns_];
        const double* design = row + 1;
        // The constant's regressor is 1: its coefficient is the forecast's first term.
        int k = 0;
        double forecast = 0.0;
        if (deterministic_ > 0) {
            forecast = b[0];
            k = 1;
        }
        for (; k < coefficients; ++k) {
            forecast = forecast + b[k] * design[k];
        }
        const double error = row[0] - forecast;
        sum += error * error;
    }
    return sum;
}

}  // namespace kavri
