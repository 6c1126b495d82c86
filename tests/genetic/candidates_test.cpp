#include "genetic/candidates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "genetic/random_source.h"

namespace kavri {
namespace {

TEST(RankCandidates, EqualValuesRankInTimeOrder) {
    const double x[] = {5, 3, 3, 1};
    IVector sortOrder = ivector(0, 4);
    DVector sortedSeries = dvector(0, 4);
    rankCandidates(x, 4, sortOrder, sortedSeries);
    EXPECT_EQ(std::vector<int>(sortOrder.data(), sortOrder.data() + 5),
              (std::vector<int>{3, 1, 2, 0, 0}));
    EXPECT_EQ(std::vector<double>(sortedSeries.data(), sortedSeries.data() + 5),
              (std::vector<double>{1, 3, 3, 5, 0}));
}

TEST(RankCandidates, HugeValuesAreRankedLikeAnyOther) {
    // No value is too large to rank; -0.0 and 0.0 are equal and keep time order.
    const double x[] = {3e8, -1e300, 1e8, 2.5, 1e8, 1.7e308, -0.0, 0.0};
    IVector sortOrder = ivector(0, 8);
    DVector sortedSeries = dvector(0, 8);
    rankCandidates(x, 8, sortOrder, sortedSeries);
    EXPECT_EQ(std::vector<int>(sortOrder.data(), sortOrder.data() + 8),
              (std::vector<int>{1, 6, 7, 3, 2, 4, 0, 5}));
    EXPECT_EQ(sortedSeries[7], 1.7e308);
}

// Ten observations in increasing order, so rank h is time h and stands for the observation
// t = h + delay; with delay 1 rank 9 points past the sample and is never usable.
class CheckChromosome : public testing::Test {
 protected:
    CheckChromosome() : genes_(kN, 0) {
        for (int h = 0; h < kN; ++h) sortOrder_[h] = h;
    }
    int check(std::vector<int> setGenes, int maxRegimes, int minObs, int maxOrder = 1,
              int delay = 1) {
        std::fill(genes_.begin(), genes_.end(), 0);
        for (int h : setGenes) genes_[h] = 1;
        return checkChromosome(genes_.data(), sortOrder_, delay, kN, maxRegimes, minObs, maxOrder);
    }

    static constexpr int kN = 10;
    int sortOrder_[kN];
    std::vector<int> genes_;
};

TEST_F(CheckChromosome, CodesComeInTheirOrder) {
    // n - delay < delay + 1 outranks too many thresholds.
    EXPECT_EQ(check({1, 2, 3, 4}, 2, 1, 1, 5), kSeriesTooShortForDelay);
    EXPECT_EQ(check({}, 4, 1, 1, 4), kChromosomeValid);
    // Too many thresholds outranks minObs.
    EXPECT_EQ(check({3, 6}, 2, 100), kTooManyThresholds);
    EXPECT_EQ(check({}, 1, 100), kChromosomeValid);
}

TEST_F(CheckChromosome, AtMostMaxRegimesMinusOneSetGenes) {
    EXPECT_EQ(check({2, 4, 6}, 4, 2), kChromosomeValid);
    EXPECT_EQ(check({2, 4, 6, 8}, 4, 1), kTooManyThresholds);
    EXPECT_EQ(check({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 4, 0), kTooManyThresholds);
}

TEST_F(CheckChromosome, MinObsCountsOnlyUsableObservations) {
    // Ranks 0..4 hold five usable observations, ranks 5..9 only four (rank 9 is unusable).
    EXPECT_EQ(check({5}, 2, 4), kChromosomeValid);
    EXPECT_EQ(check({5}, 2, 5), kRegimeBelowMinObs);
    // With maxOrder 4 the observations t = 1, 2 (ranks 0, 1) lack lags: ranks 0..4 give three.
    EXPECT_EQ(check({5}, 2, 3, 4), kChromosomeValid);
    EXPECT_EQ(check({5}, 2, 4, 4), kRegimeBelowMinObs);
    // A middle regime of one rank, and a gene at rank 0 leaving the lowest regime empty.
    EXPECT_EQ(check({3, 4}, 3, 1), kChromosomeValid);
    EXPECT_EQ(check({3, 4}, 3, 2), kRegimeBelowMinObs);
    EXPECT_EQ(check({0}, 2, 1), kRegimeBelowMinObs);
    EXPECT_EQ(check({0}, 2, 0), kChromosomeValid);
}

// The check from the set genes alone gives checkChromosome's code on every chromosome of a few
// thousand drawn ones: codes of every kind, several delays, orders and bounds.
TEST(CheckSetGenes, GivesTheCodeOfTheWholeChromosome) {
    const int n = 60;
    std::vector<int> sortOrder(n);
    for (int h = 0; h < n; ++h) sortOrder[h] = (h * 37) % n;  // a permutation of the times
    RandomSource random(5);
    int valid = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        const int delay = 1 + trial % 4;
        const int maxOrder = 1 + trial % 6;
        const int maxRegimes = 1 + trial % 4;
        const int minObs = trial % 13;
        std::vector<int> genes(n, 0);
        std::vector<int> setGenes;
        const int count = random.draw() % 5;
        for (int i = 0; i < count; ++i) genes[random.draw() % n] = 1;
        for (int h = 0; h < n; ++h) {
            if (genes[h] == 1) setGenes.push_back(h);
        }
        const int expected =
            checkChromosome(genes.data(), sortOrder.data(), delay, n, maxRegimes, minObs, maxOrder);
        const std::vector<int> usable = usableRanksBefore(sortOrder.data(), delay, n, maxOrder);
        EXPECT_EQ(checkSetGenes(setGenes.data(), static_cast<int>(setGenes.size()), usable, delay,
                                n, maxRegimes, minObs),
                  expected)
            << "trial " << trial;
        valid += expected == kChromosomeValid ? 1 : 0;
    }
    EXPECT_GT(valid, 500);
    EXPECT_EQ(checkSetGenes(nullptr, 0, std::vector<int>(8, 0), 4, 7, 4, 0),
              kSeriesTooShortForDelay);
}

}  // namespace
}  // namespace kavri
