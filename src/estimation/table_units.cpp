#include "estimation/table_units.h"

#include <algorithm>

namespace kavri {

TableUnits::TableUnits(const RankRows& rows, int n, const ThresholdCandidates& candidates)
    : columns_(rows.columns()), everyValue_(candidates.everyValue) {
    rowsBegin_.push_back(0);
    if (everyValue_) {
        for (int h = 0; h <= n; ++h) {
            boundaryRank_.push_back(h);
            usableAt_.push_back(rows.usableBefore(h));
        }
        for (int h = 0; h < n; ++h) {
            if (rows.usable(h)) {
                rowStart_.push_back(rows.row(h));
                rowsBegin_.push_back(static_cast<int>(rowStart_.size()));
                endsBegin_.push_back(h + 1);
            }
        }
        endsBegin_.push_back(n + 1);
        return;
    }
    boundaryRank_.push_back(0);
    boundaryRank_.insert(boundaryRank_.end(), candidates.ranks.begin(), candidates.ranks.end());
    boundaryRank_.push_back(n);
    for (int rank : boundaryRank_) {
        usableAt_.push_back(rows.usableBefore(rank));
    }
    const int blocks = static_cast<int>(boundaryRank_.size()) - 1;
    // Room for every factor first, so that the pointers into it stay put.
    int longBlocks = 0;
    for (int j = 0; j < blocks; ++j) {
        longBlocks += usableAt_[j + 1] - usableAt_[j] > columns_ ? 1 : 0;
    }
    factorRows_.reserve(static_cast<std::size_t>(longBlocks) * columns_ * columns_);
    for (int j = 0; j < blocks; ++j) {
        addBlock(rows, boundaryRank_[j], boundaryRank_[j + 1]);
        endsBegin_.push_back(j + 1);
    }
    endsBegin_.push_back(blocks + 1);
}

void TableUnits::addBlock(const RankRows& rows, int begin, int end) {
    const std::size_t firstRow = rowStart_.size();
    blockSquares_.resize(blockSquares_.size() + columns_, 0.0);
    double* squares = &blockSquares_[blockSquares_.size() - columns_];
    QrRangeRegression factor(rows.design());
    ResponseSpread spread;
    int observations = 0;
    for (int h = begin; h < end; ++h) {
        if (!rows.usable(h)) {
            continue;
        }
        const double* row = rows.row(h);
        for (int k = 0; k < columns_; ++k) {
            squares[k] += row[k] * row[k];
        }
        rowStart_.push_back(row);
        factor.append(row);
        spread.append(1.0, row[columns_ - 1]);
        ++observations;
    }
    if (observations > columns_) {
        rowStart_.resize(firstRow);
        const FactorView view = factor.view();
        for (int i = 0; i < columns_; ++i) {
            const std::size_t at = factorRows_.size();
            for (int k = 0; k < columns_; ++k) {
                factorRows_.push_back(k < i ? 0.0 : view.at(i, k));
            }
            rowStart_.push_back(&factorRows_[at]);
        }
    }
    rowsBegin_.push_back(static_cast<int>(rowStart_.size()));
    blockObservations_.push_back(observations);
    blockSpread_.push_back(spread);
}

}  // namespace kavri
