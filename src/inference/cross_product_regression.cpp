#include "inference/cross_product_regression.h"

#include <algorithm>
#include <cmath>

namespace kavri {

namespace {

// A pivot below this fraction of its column's sum of squares means that the column lies in the
// span of the earlier ones up to rounding: it is the squared sine of the angle between them.
// Forming S loses about 1e-16 relative in each entry, so an exactly dependent column leaves a
// pivot of that order; a genuine regressor that close to the others (sine 3e-6) carries no
// reliable digits in a cross-product fit anyway.
constexpr double kDependentPivot = 1e-11;

}  // namespace

CrossProductRegression::CrossProductRegression(int regressors)
    : size_(regressors + 1),
      sums_(static_cast<std::size_t>(size_) * size_, 0.0),
      work_(sums_.size(), 0.0),
      lower_(static_cast<std::size_t>(regressors) * regressors, 0.0),
      solution_(static_cast<std::size_t>(regressors), 0.0) {}

void CrossProductRegression::clear() {
    std::fill(sums_.begin(), sums_.end(), 0.0);
    observations_ = 0;
}

void CrossProductRegression::append(const double* row) {
    for (int i = 0; i < size_; ++i) {
        double* sumsRow = &sums_[static_cast<std::size_t>(i) * size_];
        const double ri = row[i];
        for (int j = i; j < size_; ++j) {
            sumsRow[j] += ri * row[j];
        }
    }
    ++observations_;
}

double CrossProductRegression::residualSum() const {
    std::copy(sums_.begin(), sums_.end(), work_.begin());
    double* a = work_.data();
    const int q = size_;
    for (int k = 0; k < q - 1; ++k) {
        const double pivot = a[k * q + k];
        // Written so that a not-a-number pivot counts as dependent too.
        if (!(pivot > kDependentPivot * at(k, k))) {
            continue;
        }
        for (int i = k + 1; i < q; ++i) {
            const double factor = a[k * q + i] / pivot;
            if (factor == 0.0) {
                continue;
            }
            for (int j = i; j < q; ++j) {
                a[i * q + j] -= factor * a[k * q + j];
            }
        }
    }
    return std::max(a[(q - 1) * q + (q - 1)], 0.0);
}

bool CrossProductRegression::solve(double* b) const {
    const int k = size_ - 1;
    double* l = lower_.data();
    for (int i = 0; i < k; ++i) {
        for (int j = 0; j <= i; ++j) {
            double sum = at(j, i);
            for (int c = 0; c < j; ++c) {
                sum -= l[i * k + c] * l[j * k + c];
            }
            if (i == j) {
                if (!(sum > kDependentPivot * at(i, i))) {
                    return false;
                }
                l[i * k + i] = std::sqrt(sum);
            } else {
                l[i * k + j] = sum / l[j * k + j];
            }
        }
    }
    // L z = X'y, then L' b = z.
    std::vector<double>& z = solution_;
    for (int i = 0; i < k; ++i) {
        double sum = at(i, k);
        for (int c = 0; c < i; ++c) {
            sum -= l[i * k + c] * z[c];
        }
        z[i] = sum / l[i * k + i];
    }
    for (int i = k - 1; i >= 0; --i) {
        double sum = z[i];
        for (int c = i + 1; c < k; ++c) {
            sum -= l[c * k + i] * b[c];
        }
        b[i] = sum / l[i * k + i];
    }
    return true;
}

double CrossProductRegression::leverage(const double* x) const {
    const int k = size_ - 1;
    const double* l = lower_.data();
    double sum = 0.0;
    for (int i = 0; i < k; ++i) {
        double value = x[i];
        for (int c = 0; c < i; ++c) {
            value -= l[i * k + c] * solution_[c];
        }
        solution_[i] = value / l[i * k + i];
        sum += solution_[i] * solution_[i];
    }
    return sum;
}

}  // namespace kavri
