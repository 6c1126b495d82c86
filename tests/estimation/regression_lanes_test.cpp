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
// order on). `deterministic` 0: no constant column (column 0 is a lag too); 2: a constant and a
// trend.
std::vector<double> laneRows(int lane, int count, int columns, int deterministic = 1) {
    testing::Noise noise(40u + static_cast<std::uint32_t>(lane));
    std::vector<double> rows(static_cast<std::size_t>(count) * columns);
    for (int i = 0; i < count; ++i) {
        double* row = &rows[static_cast<std::size_t>(i) * columns];
        for (int k = 0; k < columns; ++k) {
            row[k] = (i + k + lane) % 5 == 0 ? 0.0 : noise.next() * (1 + lane);
        }
        if (deterministic >= 1) row[0] = 1.0;
        if (deterministic == 2) row[1] = i - 0.5 * count + 0.25 * lane;
        const int lag = deterministic;
        if (lane == 3 && lag + 1 < columns - 1) row[lag + 1] = row[lag];
    }
    return rows;
}

// The columns (deterministic, lags, response) of `columns` in all.
RangeDesign designOf(int columns, int deterministic) {
    RangeDesign design = RangeDesign::contiguous(columns - 1, 0.0);
    design.deterministic = deterministic;
    design.lagCount = columns - 1 - deterministic;
    return design;
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

// Every design: the constant (rotated by the shared rotations), none (the responses' spread
// kept beside the factor), the constant and a trend. Factor, rank, residual sums and total sum
// of squares must be those of the range grown alone, to the last bit.
TEST(RegressionLanes, EachLaneGrowsBitForBitAsItsRangeAlone) {
    struct Case {
        int maxOrder;
        int deterministic;
    };
    for (const Case c :
         {Case{2, 1}, Case{4, 1}, Case{7, 1}, Case{2, 0}, Case{5, 0}, Case{3, 2}, Case{6, 2}}) {
        const int maxOrder = c.maxOrder;
        const int columns = maxOrder + 1;
        const RangeDesign design = designOf(columns, c.deterministic);
        const int lags = design.lagCount;
        const int steps = 40;
        std::vector<std::vector<double>> rows;
        std::vector<QrRangeRegression> alone;
        for (int q = 0; q < kLanes; ++q) {
            rows.push_back(laneRows(q, steps, columns, c.deterministic));
            alone.emplace_back(design);
        }
        const ConstantColumnRotations rotations(steps);
        RegressionLanes lanes(design);
        std::vector<double> sse(static_cast<std::size_t>(lags + 1) * kLanes);
        std::vector<double> expectedSse(static_cast<std::size_t>(lags + 1));
        for (int i = 0; i < steps; ++i) {
            RegressionLanes::LaneRows step{};
            for (int q = 0; q < kLanes; ++q) {
                step[q] = &rows[q][static_cast<std::size_t>(i) * columns];
                alone[q].append(step[q]);
            }
            if (c.deterministic > 0) {
                lanes.appendRowsWithConstant(step, rotations);
            } else {
                lanes.appendRowsWithoutConstant(step);
            }
            std::array<int, kLanes> singularFrom{};
            std::array<double, kLanes> sst{};
            lanes.orderStatistics(singularFrom, sse.data(), sst);
            for (int q = 0; q < kLanes; ++q) {
                const std::string where = "maxOrder " + std::to_string(maxOrder) + ", terms " +
                                          std::to_string(c.deterministic) + ", lane " +
                                          std::to_string(q) + ", rows " + std::to_string(i + 1);
                expectSameRegression(lanes.view(q), alone[q], where);
                EXPECT_EQ(singularFrom[q], alone[q].firstSingularOrder()) << where;
                alone[q].residualSums(expectedSse.data());
                for (int p = 0; p <= lags; ++p) {
                    EXPECT_TRUE(
                        sameBits(sse[static_cast<std::size_t>(p) * kLanes + q], expectedSse[p]))
                        << where << ", order " << p;
                }
                EXPECT_TRUE(sameBits(sst[q], totalSquares(alone[q].view(), expectedSse.data())))
                    << where;
            }
        }
        // Enough rows for every order: the copied column is singular from order 2 on, the others
        // from nowhere.
        if (lags >= 2) {
            EXPECT_EQ(alone[3].firstSingularOrder(), 2);
        }
        EXPECT_EQ(alone[0].firstSingularOrder(), lags + 1);
    }
}

// The total sum of squares about the responses' mean, with and without a constant column, is
// the two-pass sum of the responses' deviations (to rounding), whatever the design.
TEST(RegressionLanes, TotalSquaresAreTheResponsesSpreadAboutTheirMean) {
    for (int deterministic : {0, 1, 2}) {
        const int columns = 5;
        const std::vector<double> rows = laneRows(1, 30, columns, deterministic);
        QrRangeRegression regression(designOf(columns, deterministic));
        double mean = 0.0;
        for (int i = 0; i < 30; ++i) {
            regression.append(&rows[static_cast<std::size_t>(i) * columns]);
            mean += rows[static_cast<std::size_t>(i) * columns + columns - 1] / 30.0;
        }
        double expected = 0.0;
        for (int i = 0; i < 30; ++i) {
            const double d = rows[static_cast<std::size_t>(i) * columns + columns - 1] - mean;
            expected += d * d;
        }
        std::vector<double> sse(static_cast<std::size_t>(columns - deterministic));
        residualSums(regression.view(), sse.data());
        EXPECT_NEAR(totalSquares(regression.view(), sse.data()), expected, 1e-12 * expected)
            << deterministic;
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
