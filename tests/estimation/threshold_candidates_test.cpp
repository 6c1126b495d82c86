#include "estimation/threshold_candidates.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavri {
namespace {

TEST(ThresholdCandidates, EvenlySpacedRanksLieStrictlyInsideAndEveryValueOnceTheyAllFit) {
    const ThresholdCandidates four = evenlySpacedCandidates(10, 4);
    EXPECT_FALSE(four.everyValue);
    EXPECT_EQ(four.ranks, (std::vector<int>{2, 4, 6, 8}));
    EXPECT_EQ(four.count(10), 4);

    const ThresholdCandidates dense = evenlySpacedCandidates(10, 8);
    EXPECT_EQ(dense.ranks, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    for (int count : {9, 10, 1000000}) {
        const ThresholdCandidates all = evenlySpacedCandidates(10, count);
        EXPECT_TRUE(all.everyValue);
        EXPECT_EQ(all.count(10), 9);
    }
    // The largest series with the largest count: no overflow, strictly increasing, inside.
    const ThresholdCandidates wide = evenlySpacedCandidates(1000000, 999998);
    ASSERT_EQ(wide.ranks.size(), 999998u);
    EXPECT_EQ(wide.ranks.front(), 1);
    EXPECT_EQ(wide.ranks.back(), 999998);
}

TEST(ThresholdCandidates, EveryValueWhileQuickThenFewerAsTheWorkGrows) {
    // One threshold is linear in n: every value even at the longest series.
    EXPECT_TRUE(chooseThresholdCandidates(1000000, 2, 20, 0, kAutomaticCandidates).everyValue);
    EXPECT_TRUE(chooseThresholdCandidates(1000000, 2, 4, 100, kAutomaticCandidates).everyValue);
    // ... unless every range forecasts very many held-out values.
    EXPECT_FALSE(chooseThresholdCandidates(1000000, 2, 4, 100000, kAutomaticCandidates).everyValue);

    // Three thresholds: every value at 10,000 with maxOrder 4, fewer at 20,000 or maxOrder 20.
    EXPECT_TRUE(chooseThresholdCandidates(10000, 4, 4, 0, kAutomaticCandidates).everyValue);
    const ThresholdCandidates longer = chooseThresholdCandidates(20000, 4, 4, 0, 0);
    EXPECT_FALSE(longer.everyValue);
    EXPECT_GT(longer.count(20000), 2000);
    EXPECT_LT(longer.count(20000), 10000);
    const ThresholdCandidates wider = chooseThresholdCandidates(10000, 4, 20, 0, 0);
    EXPECT_FALSE(wider.everyValue);
    EXPECT_LT(wider.count(10000), longer.count(20000));
    // The longest series still gets a useful number of candidates.
    EXPECT_GT(chooseThresholdCandidates(1000000, 4, 20, 100, 0).count(1000000), 500);

    // A requested count holds whatever the length.
    EXPECT_EQ(chooseThresholdCandidates(300, 4, 4, 0, 50).count(300), 50);
    EXPECT_EQ(chooseThresholdCandidates(1000000, 2, 4, 0, 50).count(1000000), 50);
}

}  // namespace
}  // namespace kavri
