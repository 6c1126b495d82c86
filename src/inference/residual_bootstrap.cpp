#include "inference/residual_bootstrap.h"

#include <cassert>

#include "inference/cross_product_regression.h"
#include "model/regime_rule.h"
#include "model/setar_equation.h"

namespace kavri {

namespace {

std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Fits rows [first, last) of the sample into regime `regime` of the model and appends their
// residuals; false when the rows do not determine the regression. The coefficients are stored
// by lag (0 at a lag left out, and as the constant without one), the trend's slope beside them.
bool fitRegime(const ArrangedSample& sample, int first, int last, int regime, NullModel& model) {
    const int k = sample.regressors();
    CrossProductRegression regression(k);
    for (int i = first; i < last; ++i) {
        regression.append(sample.row(i));
    }
    std::vector<double> b(static_cast<std::size_t>(k), 0.0);
    if (!regression.solve(b.data())) {
        return false;
    }
    for (int i = first; i < last; ++i) {
        const double* row = sample.row(i);
        double fitted = 0.0;
        for (int c = 0; c < k; ++c) {
            fitted += b[c] * row[c];
        }
        model.residuals.push_back(row[k] - fitted);
    }
    const TestRegressors& form = sample.form();
    std::vector<double>& byLag = model.coefficients[regime];
    byLag.assign(static_cast<std::size_t>(form.highestLag()) + 1, 0.0);
    int c = 0;
    if (form.constant) {
        byLag[0] = b[c++];
    }
    if (form.trend) {
        model.trendSlopes[regime] = b[c++];
    }
    for (int lag : form.lags) {
        byLag[static_cast<std::size_t>(lag)] = b[c++];
    }
    return true;
}

}  // namespace

std::optional<NullModel> fitNullModel(const ArrangedSample& sample, int delay, int split) {
    NullModel model;
    model.order = sample.form().highestLag();
    model.delay = delay;
    model.centre = sample.centre();
    model.trend = sample.form().trend;
    model.trendCentre = sample.trendCentre();
    const int n = sample.size();
    if (split < 0) {
        if (!fitRegime(sample, 0, n, 0, model)) {
            return std::nullopt;
        }
    } else {
        model.regimes = 2;
        model.threshold = sample.thresholdVariable(split);
        if (!fitRegime(sample, 0, split, 0, model) || !fitRegime(sample, split, n, 1, model)) {
            return std::nullopt;
        }
    }
    double sum = 0.0;
    for (double e : model.residuals) {
        sum += e;
    }
    const double mean = sum / static_cast<double>(model.residuals.size());
    for (double& e : model.residuals) {
        e -= mean;
    }
    return model;
}

ReplicateRandom::ReplicateRandom(std::uint64_t seed, std::uint64_t stream, std::uint64_t replicate)
    // Hashed rather than added: starts that differed by a multiple of the generator's increment
    // would give overlapping streams.
    : state_(mix(mix(mix(seed) ^ stream) ^ replicate)) {}

std::uint64_t ReplicateRandom::next() {
    state_ += 0x9e3779b97f4a7c15ULL;
    return mix(state_);
}

int ReplicateRandom::index(int size) {
    assert(size > 0);
    const unsigned __int128 product =
        static_cast<unsigned __int128>(next()) * static_cast<unsigned __int128>(size);
    return static_cast<int>(product >> 64);
}

void regenerateSeries(const NullModel& model, const double* x, int n, int firstTime,
                      ReplicateRandom& random, std::vector<double>& out, ThresholdVariableKind kind,
                      const double* exogenous) {
    assert(!model.residuals.empty() && firstTime >= model.order && firstTime >= model.delay);
    out.assign(x, x + n);
    const int size = static_cast<int>(model.residuals.size());
    for (int t = firstTime; t < n; ++t) {
        // As in the arranged sample that the null model was fitted on, a lagged value equal to
        // the threshold belongs to the regime above it.
        const int s = t - model.delay;
        const double z = kind == ThresholdVariableKind::kColumn       ? exogenous[s]
                         : kind == ThresholdVariableKind::kDifference ? out[s] - out[s - 1]
                                                                      : out[s];
        const int regime =
            regimeOfValue(z, &model.threshold, model.regimes, ThresholdTie::kUpperRegime);
        const double value =
            withTrend(regimeEquation(model.coefficients[regime].data(), model.order,
                                     [&](int k) { return out[t - k] - model.centre; }),
                      model.trend, model.trendSlopes[regime], t + 1.0 - model.trendCentre);
        out[t] = model.centre + value + model.residuals[random.index(size)];
    }
}

}  // namespace kavri
