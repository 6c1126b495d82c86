#include "inference/residual_bootstrap.h"

#include <cassert>

#include "model/regime_rule.h"
#include "model/setar_equation.h"

namespace kavri {

namespace {

std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

}  // namespace

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
