#include "inference/arranged_sample.h"

#include <algorithm>
#include <cassert>
#include <numeric>

namespace kavri {

int testSampleStart(int maxOrder, int order, int delay) {
    return std::max({maxOrder - 1, order, delay});
}

ArrangedSample::ArrangedSample(const double* x, int n, int firstTime, int order, int delay,
                               const double* zSeries)
    : order_(order) {
    const double* z = zSeries != nullptr ? zSeries : x;
    assert(firstTime >= order && firstTime >= delay);
    const int size = std::max(0, n - firstTime);
    double sum = 0.0;
    for (int t = firstTime; t < n; ++t) {
        sum += x[t];
    }
    centre_ = size > 0 ? sum / size : 0.0;

    times_.resize(static_cast<std::size_t>(size));
    std::iota(times_.begin(), times_.end(), firstTime);
    std::stable_sort(times_.begin(), times_.end(),
                     [&](int a, int b) { return z[a - delay] < z[b - delay]; });

    const int q = columns();
    thresholdVariables_.resize(times_.size());
    rows_.resize(times_.size() * static_cast<std::size_t>(q));
    for (int i = 0; i < size; ++i) {
        const int t = times_[i];
        thresholdVariables_[i] = z[t - delay];
        double* row = &rows_[static_cast<std::size_t>(i) * q];
        row[0] = 1.0;
        for (int k = 1; k <= order; ++k) {
            row[k] = x[t - k] - centre_;
        }
        row[q - 1] = x[t] - centre_;
    }
}

}  // namespace kavri
