#pragma once

// The boundaries of the exact search's table, ranks at which a regime may begin or end, and
// the units that a range's regression appends from one boundary to the next.
//
// With every value a candidate each rank is a boundary and a unit is one usable observation's
// row, so that a range is grown row by row. With candidates the boundaries are rank 0, the
// candidates' ranks and rank n, and a unit is the block of ranks between two boundaries: its
// usable rows as they are, or, when there are more of them than the factor has rows, the
// block's own factor R, whose rows give the same regression (to rounding) in fewer updates.
// Either way the rows stored number at most the usable observations, so memory is linear in n.

#include <vector>

#include "estimation/split_problem.h"

namespace kavri {

class TableUnits {
 public:
    TableUnits(const RankRows& rows, int n, const ThresholdCandidates& candidates);

    bool everyValue() const { return everyValue_; }
    int columns() const { return columns_; }
    int boundaryCount() const { return static_cast<int>(boundaryRank_.size()); }
    int rankOf(int boundary) const { return boundaryRank_[boundary]; }
    // Usable observations below the boundary's rank.
    int usableAt(int boundary) const { return usableAt_[boundary]; }
    int unitCount() const { return static_cast<int>(endsBegin_.size()) - 1; }
    // The first unit that a range beginning at `boundary` appends.
    int firstUnit(int boundary) const { return everyValue_ ? usableAt_[boundary] : boundary; }
    // The boundaries that close right after unit j: endsBegin(j) .. endsBegin(j + 1) - 1.
    int endsBegin(int j) const { return endsBegin_[j]; }

    // The rows of unit j: one with every value (its first element the constant 1.0); with
    // candidates up to `columns` rows, with the column squares and the number of observations
    // of the block's own rows.
    int rowCount(int j) const { return rowsBegin_[j + 1] - rowsBegin_[j]; }
    const double* row(int j, int i) const { return rowStart_[rowsBegin_[j] + i]; }
    const double* blockSquares(int j) const {
        return &blockSquares_[static_cast<std::size_t>(j) * columns_];
    }
    int blockObservations(int j) const { return blockObservations_[j]; }
    // The spread of the block's responses (ResponseSpread), which a design without a constant
    // needs beside the factor.
    const ResponseSpread& blockSpread(int j) const { return blockSpread_[j]; }

 private:
    void addBlock(const RankRows& rows, int begin, int end);

    int columns_;
    bool everyValue_;
    std::vector<int> boundaryRank_;
    std::vector<int> usableAt_;
    std::vector<int> endsBegin_;
    std::vector<int> rowsBegin_;           // unit j's rows: rowsBegin_[j] .. rowsBegin_[j+1]-1
    std::vector<const double*> rowStart_;  // into the rank rows or factorRows_
    std::vector<double> factorRows_;       // the factors of blocks longer than the factor
    std::vector<double> blockSquares_;
    std::vector<int> blockObservations_;
    std::vector<ResponseSpread> blockSpread_;
};

}  // namespace kavri
