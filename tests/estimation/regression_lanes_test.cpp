#include "estimation/regression_lanes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/series_fixtures.h"

namespace kavri {
namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Rows (1, lags, response) for one lane: noise, with zero elements (the scalar update skips
// them) and, in lane 3, a lag column that copies the one before (collinear: singular from that
// order on).
std::vector<double> laneRows(int lane, int count, int columns) {
    testing::Noise noise(40u + static_cast<std::uint32_t>(lane));
    std::vector<double> rows(static_cast<std::size_t>(count) * columns);
    for (int i = 0; i < count; ++i) {
        double* row = &rows[static_cast<std::size_t>(i) * columns];
        row[0] = 1.0;
        for (int k = 1; k < columns; ++k) {
            row[k] = (i + k + lane) % 5 == 0 ? 0.0 : noise.next() * (1 + lane);
        }
        if (lane == 3) row[2] = row[1];
    }
    return rows;
}

void expectSameRegression(const FactorView& lane, const QrRangeRegression& alone,
                          const std::string& where) {
    SCOPED_TRACE(where);
    const FactorView expected = alone.view();
    ASSERT_EQ(lane.observations, expected.observations);
    for (int i = 0; i < expected.columns; ++i) {
        EXPECT_TRUE(sameBits(lane.columnSquare(i), expected.columnSquare(i))) << "column " << i;
        for (int j = i; j < expected.columns; ++j) {
            EXPECT_TRUE(sameBits(lane.at(i, j), expected.at(i, j))) << "R " << i << "," << j;
        }
    }
}

TEST(RegressionLanes, EachLaneGrowsBitForBitAsItsRangeAlone) {
    for (int maxOrder : {2, 4, 7}) {
        const int columns = maxOrder + 1;
        const int steps = 40;
        std::vector<std::vector<double>> rows;
        std::vector<QrRangeRegression> alone;
        for (int q = 0; q < kLanes; ++q) {
            rows.push_back(laneRows(q, steps, columns));
            alone.emplace_back(maxOrder);
        }
        const ConstantColumnRotations rotations(steps);
        RegressionLanes lanes(maxOrder);
        std::vector<double> sse(static_cast<std::size_t>(maxOrder) * kLanes);
        std::vector<double> expectedSse(static_cast<std::size_t>(maxOrder));
        for (int i = 0; i < steps; ++i) {
            RegressionLanes::LaneRows step{};
            for (int q = 0; q < kLanes; ++q) {
                step[q] = &rows[q][static_cast<std::size_t>(i) * columns];
                alone[q].append(step[q]);
            }
            lanes.appendRowsWithConstant(step, rotations);
            std::array<int, kLanes> singularFrom{};
            lanes.orderStatistics(singularFrom, sse.data());
            for (int q = 0; q < kLanes; ++q) {
                const std::string where = "maxOrder " + std::to_string(maxOrder) + ", lane " +
                                          std::to_string(q) + ", rows " + std::to_string(i + 1);
                expectSameRegression(lanes.view(q), alone[q], where);
                EXPECT_EQ(singularFrom[q], alone[q].firstSingularOrder()) << where;
                alone[q].residualSums(expectedSse.data());
                for (int p = 0; p < maxOrder; ++p) {
                    EXPECT_TRUE(
                        sameBits(sse[static_cast<std::size_t>(p) * kLanes + q], expectedSse[p]))
                        << where << ", order " << p;
                }
            }
        }
        // Enough rows for every order: the copied column is singular from order 2 on, the others
        // from nowhere.
        EXPECT_EQ(alone[3].firstSingularOrder(), 2);
        EXPECT_EQ(alone[0].firstSingularOrder(), maxOrder);
    }
}

// Blocks of rows appended together, lanes with fewer rows taking zero rows, give each lane the
// factor of its own rows appended one by one; the statistics come separately.
TEST(RegressionLanes, BlocksPaddedWithZeroRowsMatchTheirRowsAppendedAlone) {
    const int maxOrder = 4;
    const int columns = maxOrder + 1;
    const int padded = 3;
    std::vector<std::vector<double>> rows;
    std::vector<std::vector<double>> squares;
    std::vector<QrRangeRegression> alone;
    RegressionLanes lanes(maxOrder);
    for (int block = 0; block < 5; ++block) {
        RegressionLanes::LaneRows blockRows{};
        RegressionLanes::LaneRows blockSquares{};
        std::array<int, kLanes> observations{};
        rows.assign(kLanes, std::vector<double>(static_cast<std::size_t>(padded) * columns, 0.0));
        squares.assign(kLanes, std::vector<double>(columns, 0.0));
        for (int q = 0; q < kLanes; ++q) {
            if (block == 0) alone.emplace_back(maxOrder);
            observations[q] = 1 + (q + block) % padded;
            const std::vector<double> source = laneRows(q + block, observations[q], columns);
            std::copy(source.begin(), source.end(), rows[q].begin());
            for (int i = 0; i < observations[q]; ++i) {
                alone[q].append(&source[static_cast<std::size_t>(i) * columns]);
            }
            // The statistics of a block are what the test supplies: here the lane's own.
            const FactorView own = alone[q].view();
            for (int k = 0; k < columns; ++k) {
                squares[q][k] = own.columnSquare(k) - lanes.view(q).columnSquare(k);
            }
            blockRows[q] = rows[q].data();
            blockSquares[q] = squares[q].data();
        }
        for (int i = 0; i < padded; ++i) {
            RegressionLanes::LaneRows row{};
            for (int q = 0; q < kLanes; ++q) {
                row[q] = i < observations[q] ? blockRows[q] + static_cast<std::size_t>(i) * columns
                                             : lanes.zeroRow();
            }
            lanes.appendRow(row);
        }
        lanes.addStatistics(blockSquares, observations);
        for (int q = 0; q < kLanes; ++q) {
            const FactorView lane = lanes.view(q);
            const FactorView expected = alone[q].view();
            ASSERT_EQ(lane.observations, expected.observations);
            for (int i = 0; i < columns; ++i) {
                for (int j = i; j < columns; ++j) {
                    EXPECT_TRUE(sameBits(lane.at(i, j), expected.at(i, j)))
                        << "block " << block << ", lane " << q << ", R " << i << "," << j;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kavri
