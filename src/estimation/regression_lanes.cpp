#include "estimation/regression_lanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kavri {

namespace {

// One element of every lane. The arithmetic on it is element by element, IEEE-exact as in
// scalar code; only the selection below replaces the skip of a zero element.
using Pack = double __attribute__((vector_size(kLanes * sizeof(double))));
using PackBits = long long __attribute__((vector_size(kLanes * sizeof(long long))));

// Helpers take and give packs by reference: a pack passed by value would be passed in a way
// that depends on whether the vector extensions are enabled.
void load(Pack& v, const double* p) { std::memcpy(&v, p, sizeof v); }

void store(double* p, const Pack& v) { std::memcpy(p, &v, sizeof v); }

// out = keep ? old : computed, lane by lane, by the bits (a vector cast reinterprets them).
void choose(Pack& out, const PackBits& keep, const Pack& old, const Pack& computed) {
    out = (Pack)((keep & (PackBits)old) | (~keep & (PackBits)computed));
}

void squareRoot(Pack& v) {
    for (int q = 0; q < kLanes; ++q) {
        v[q] = std::sqrt(v[q]);
    }
}

}  // namespace

ConstantColumnRotations::ConstantColumnRotations(int maxRows)
    : diagonal_(static_cast<std::size_t>(std::max(maxRows, 0))),
      cosine_(diagonal_.size()),
      sine_(diagonal_.size()) {
    // The operations of QrRangeRegression::append on the leading element, v[0] = 1.0.
    double leading = 0.0;
    const double one = 1.0;
    for (std::size_t m = 0; m < diagonal_.size(); ++m) {
        const double diagonal = std::sqrt(leading * leading + one * one);
        cosine_[m] = leading / diagonal;
        sine_[m] = one / diagonal;
        diagonal_[m] = diagonal;
        leading = diagonal;
    }
}

RegressionLanes::RegressionLanes(int maxOrder)
    : RegressionLanes(RangeDesign::contiguous(maxOrder, 0.0)) {}

RegressionLanes::RegressionLanes(const RangeDesign& design)
    : columns_(design.columns()),
      deterministic_(design.deterministic),
      factor_(static_cast<std::size_t>(columns_) * columns_ * kLanes, 0.0),
      columnSquares_(static_cast<std::size_t>(columns_) * kLanes, 0.0),
      work_(static_cast<std::size_t>(columns_) * kLanes, 0.0),
      zeros_(static_cast<std::size_t>(columns_), 0.0) {}

void RegressionLanes::clear() {
    std::fill(factor_.begin(), factor_.end(), 0.0);
    std::fill(columnSquares_.begin(), columnSquares_.end(), 0.0);
    observations_.fill(0);
    spread_.fill(ResponseSpread{});
}

// The lane loops are compiled twice, for AVX2 and for any x86-64, and the loader picks the
// one the processor runs; both do the same operations in the same order, so the results are
// the same bits. Clang would want the attribute on every declaration as well; its builds (the
// fuzzers) need correctness, not this speed, and take the portable code alone.
#if defined(__clang__) || !defined(__x86_64__)
#define KAVRI_LANE_CLONES
#else
#define KAVRI_LANE_CLONES __attribute__((target_clones("avx2", "default")))
#endif

FactorView RegressionLanes::view(int lane) const {
    return FactorView{factor_.data() + lane,
                      columnSquares_.data() + lane,
                      columns_,
                      kLanes,
                      observations_[lane],
                      deterministic_,
                      &spread_[static_cast<std::size_t>(lane)].r11};
}

// Rotates the row in work_ into R from column firstColumn on, zeroing v[k] against R[k][k]
// column by column. A lane whose v[k] is zero keeps R row k and v as they are, which is what
// the scalar update's skip does.
KAVRI_LANE_CLONES void RegressionLanes::rotateFrom(int firstColumn) {
    double* v = work_.data();
    for (int k = firstColumn; k < columns_; ++k) {
        double* rk = &factor_[static_cast<std::size_t>(k) * columns_ * kLanes];
        Pack vk;
        Pack rkk;
        load(vk, v + k * kLanes);
        load(rkk, rk + k * kLanes);
        const PackBits skip = vk == 0.0;
        Pack diagonal = rkk * rkk + vk * vk;
        squareRoot(diagonal);
        const Pack c = rkk / diagonal;
        const Pack s = vk / diagonal;
        Pack updated;
        choose(updated, skip, rkk, diagonal);
        store(rk + k * kLanes, updated);
        for (int l = k + 1; l < columns_; ++l) {
            Pack a;
            Pack vl;
            load(a, rk + l * kLanes);
            load(vl, v + l * kLanes);
            choose(updated, skip, a, c * a + s * vl);
            store(rk + l * kLanes, updated);
            choose(updated, skip, vl, c * vl - s * a);
            store(v + l * kLanes, updated);
        }
    }
}

KAVRI_LANE_CLONES void RegressionLanes::appendRowsWithConstant(
    const LaneRows& rows, const ConstantColumnRotations& rotations) {
    double* v = work_.data();
    for (int j = 0; j < columns_; ++j) {
        Pack value;
        for (int q = 0; q < kLanes; ++q) {
            value[q] = rows[q][j];
        }
        store(v + j * kLanes, value);
        Pack squares;
        load(squares, &columnSquares_[j * kLanes]);
        store(&columnSquares_[j * kLanes], squares + value * value);
    }
    // Column 0: v[0] = 1 against R[0][0] = r_m, the same rotation in every lane.
    const int m = observations_[0];
    const double c = rotations.cosine(m);
    const double s = rotations.sine(m);
    double* r0 = factor_.data();
    for (int l = 1; l < columns_; ++l) {
        Pack a;
        Pack vl;
        load(a, r0 + l * kLanes);
        load(vl, v + l * kLanes);
        store(r0 + l * kLanes, c * a + s * vl);
        store(v + l * kLanes, c * vl - s * a);
    }
    const double diagonal = rotations.diagonal(m);
    store(r0, Pack{} + diagonal);
    rotateFrom(1);
    for (int& observations : observations_) {
        ++observations;
    }
}

void RegressionLanes::appendRowsWithoutConstant(const LaneRows& rows) {
    double* v = work_.data();
    for (int j = 0; j < columns_; ++j) {
        Pack value;
        for (int q = 0; q < kLanes; ++q) {
            value[q] = rows[q][j];
        }
        store(v + j * kLanes, value);
        Pack squares;
        load(squares, &columnSquares_[j * kLanes]);
        store(&columnSquares_[j * kLanes], squares + value * value);
    }
    for (int q = 0; q < kLanes; ++q) {
        spread_[q].append(1.0, rows[q][columns_ - 1]);
    }
    rotateFrom(0);
    for (int& observations : observations_) {
        ++observations;
    }
}

void RegressionLanes::appendSpreadRows(const std::array<double, kLanes>& a,
                                       const std::array<double, kLanes>& b) {
    for (int q = 0; q < kLanes; ++q) {
        spread_[q].append(a[q], b[q]);
    }
}

void RegressionLanes::appendRow(const LaneRows& rows) {
    double* v = work_.data();
    for (int j = 0; j < columns_; ++j) {
        Pack value;
        for (int q = 0; q < kLanes; ++q) {
            value[q] = rows[q][j];
        }
        store(v + j * kLanes, value);
    }
    rotateFrom(0);
}

// The scalar firstSingularOrder() and residualSums() of every lane at once: the same
// comparisons (a not-a-number diagonal fails them) and the same sums in the same order.
KAVRI_LANE_CLONES void RegressionLanes::orderStatistics(std::array<int, kLanes>& singularFrom,
                                                        double* sse,
                                                        std::array<double, kLanes>& sst) const {
    const int designColumns = columns_ - 1;
    const int lags = designColumns - deterministic_;
    singularFrom.fill(lags + 1);
    for (int k = 0; k < designColumns; ++k) {
        Pack diagonal;
        Pack squares;
        load(diagonal, &factor_[(static_cast<std::size_t>(k) * columns_ + k) * kLanes]);
        load(squares, &columnSquares_[static_cast<std::size_t>(k) * kLanes]);
        squareRoot(squares);
        const PackBits independent = diagonal > kRankTolerance * squares;
        for (int q = 0; q < kLanes; ++q) {
            if (independent[q] == 0 && singularFrom[q] == lags + 1) {
                singularFrom[q] = std::max(k - deterministic_ + 1, 1);
            }
        }
    }
    const int response = designColumns;
    auto element = [&](int i, Pack& value) {
        load(value, &factor_[(static_cast<std::size_t>(i) * columns_ + response) * kLanes]);
    };
    Pack r;
    element(response, r);
    Pack sum = r * r;
    store(sse + static_cast<std::size_t>(lags) * kLanes, sum);
    for (int p = lags - 1; p >= 0; --p) {
        element(deterministic_ + p, r);
        sum = sum + r * r;
        store(sse + static_cast<std::size_t>(p) * kLanes, sum);
    }
    // totalSquares(): the sums beyond the constant's column, or the lanes' spreads.
    if (deterministic_ == 0) {
        for (int q = 0; q < kLanes; ++q) {
            sst[q] = spread_[q].r11 * spread_[q].r11;
        }
        return;
    }
    for (int k = deterministic_ - 1; k >= 1; --k) {
        element(k, r);
        sum = sum + r * r;
    }
    for (int q = 0; q < kLanes; ++q) {
        sst[q] = sum[q];
    }
}

void RegressionLanes::addStatistics(const LaneRows& squares,
                                    const std::array<int, kLanes>& observations) {
    for (int j = 0; j < columns_; ++j) {
        Pack value;
        for (int q = 0; q < kLanes; ++q) {
            value[q] = squares[q][j];
        }
        Pack sum;
        load(sum, &columnSquares_[j * kLanes]);
        store(&columnSquares_[j * kLanes], sum + value);
    }
    for (int q = 0; q < kLanes; ++q) {
        observations_[q] += observations[q];
    }
}

}  // namespace kavri
