#include "inference/arranged_sample.h"

#include <algorithm>
#include <cassert>
#include <numeric>

namespace kavri {

TestRegressors TestRegressors::contiguous(int order) {
    TestRegressors regressors;
    for (int k = 1; k <= order; ++k) {
        regressors.lags.push_back(k);
    }
    return regressors;
}

int testSampleStart(int maxOrder, int highestLag, int delay) {
    return std::max({maxOrder - 1, highestLag, delay});
}

ArrangedSample::ArrangedSample(const double* x, int n, int firstTime, int order, int delay,
                               const double* z)
    : ArrangedSample(x, n, firstTime, TestRegressors::contiguous(order), delay, z) {}

ArrangedSample::ArrangedSample(const double* x, int n, int firstTime,
                               const TestRegressors& regressors, int delay, const double* zSeries)
    : form_(regressors) {
    assert(!form_.trend || form_.constant);
    const double* z = zSeries != nullptr ? zSeries : x;
    assert(firstTime >= form_.highestLag() && firstTime >= delay);
    const int size = std::max(0, n - firstTime);
    if (form_.constant && size > 0) {
        double sum = 0.0;
        for (int t = firstTime; t < n; ++t) {
            sum += x[t];
        }
        centre_ = sum / size;
        // The mean of t + 1 over t = firstTime .. n-1.
        trendCentre_ = 0.5 * (static_cast<double>(firstTime) + static_cast<double>(n) + 1.0);
    }

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
        int c = 0;
        if (form_.constant) {
            row[c++] = 1.0;
        }
        if (form_.trend) {
            row[c++] = t + 1.0 - trendCentre_;
        }
        for (int lag : form_.lags) {
            row[c++] = x[t - lag] - centre_;
        }
        row[q - 1] = x[t] - centre_;
    }
}

}  // namespace kavri
