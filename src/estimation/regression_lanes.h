#pragma once

// Several range regressions grown side by side. Lane q holds the factor R of its own range
// and appends rows exactly as QrRangeRegression::append does, the same operations in the same
// order, so that each lane's factor is bit for bit the one of its range grown alone. The
// elements are stored lane by lane (R[i][j] of lanes 0 .. kLanes-1 next to each other), so the
// lanes' rotations run together in the vector units and one range's square roots and
// divisions no longer wait for each other.

#include <array>
#include <vector>

#include "estimation/range_qr.h"

namespace kavri {

inline constexpr int kLanes = 4;

// The rotation that appends a row whose first element is the constant 1 to the factor of m
// such rows. The leading element of R depends on m alone, r_0 = 0 and
// r_(m+1) = sqrt(r_m^2 + 1), so its rotation (cosine r_m / r_(m+1), sine 1 / r_(m+1)) is
// computed once for every m rather than in every range.
class ConstantColumnRotations {
 public:
    explicit ConstantColumnRotations(int maxRows);  // m = 0 .. maxRows-1

    double diagonal(int m) const { return diagonal_[m]; }
    double cosine(int m) const { return cosine_[m]; }
    double sine(int m) const { return sine_[m]; }

 private:
    std::vector<double> diagonal_;
    std::vector<double> cosine_;
    std::vector<double> sine_;
};

class RegressionLanes {
 public:
    using LaneRows = std::array<const double*, kLanes>;

    // The default design's columns (the constant and the lags 1 .. maxOrder - 1).
    explicit RegressionLanes(int maxOrder);
    explicit RegressionLanes(const RangeDesign& design);

    // columns() zeros: the row that a lane with nothing to append takes.
    const double* zeroRow() const { return zeros_.data(); }

    void clear();
    // Appends rows[q] (a row of the design, the first 1.0) to lane q and adds its squares to
    // the column squares. Every lane must hold the same number of rows.
    void appendRowsWithConstant(const LaneRows& rows, const ConstantColumnRotations& rotations);
    // The same for a design without deterministic columns: the rows are rotated in from the
    // first column, and each lane's ResponseSpread takes the row's response.
    void appendRowsWithoutConstant(const LaneRows& rows);
    // Appends rows (a[q], b[q]) to lane q's ResponseSpread (another range's spread, say).
    void appendSpreadRows(const std::array<double, kLanes>& a, const std::array<double, kLanes>& b);
    // Appends rows[q] to lane q, a row of any form (a factor's row, say). Neither the column
    // squares nor the observations change (addStatistics); a row of zeros changes nothing.
    void appendRow(const LaneRows& rows);
    // Adds squares[q][k] to the column squares and observations[q] to the rows of lane q.
    void addStatistics(const LaneRows& squares, const std::array<int, kLanes>& observations);

    FactorView view(int lane) const;
    // firstSingularOrder() of every lane, residualSums() of lane q at sse[p * kLanes + q]
    // for p = 0 .. K (sse holds (K + 1) * kLanes values, K the lag columns) and totalSquares()
    // of lane q at sst[q].
    void orderStatistics(std::array<int, kLanes>& singularFrom, double* sse,
                         std::array<double, kLanes>& sst) const;

 private:
    void rotateFrom(int firstColumn);

    int columns_;
    int deterministic_;
    std::array<ResponseSpread, kLanes> spread_{};  // kept without deterministic columns
    std::vector<double> factor_;         // R[i][j] of lane q at (i * columns + j) * kLanes + q
    std::vector<double> columnSquares_;  // column k of lane q at k * kLanes + q
    std::vector<double> work_;           // the row being rotated in, laid out the same way
    std::vector<double> zeros_;
    std::array<int, kLanes> observations_{};
};

}  // namespace kavri
