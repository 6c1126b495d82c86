#include "genetic/random_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace kavri {
namespace {

std::uint32_t seedWithFirstDraw(int wanted) {
    std::uint32_t seed = 0;
    while (RandomSource(seed).draw() != wanted) {
        ++seed;
    }
    return seed;
}

TEST(RandomSourceTest, SeedOneGivesTheClassicSequenceAndUniformsReachBothEnds) {
    // The first draws of the classic C library generator after srand(1).
    RandomSource random(1);
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358}) {
        EXPECT_EQ(random.draw(), expected);
    }
    random.reseed(1);
    EXPECT_EQ(random.uniformRandom(), 41 / 32767.0);

    EXPECT_EQ(RandomSource(seedWithFirstDraw(0)).uniformRandom(), 0.0);
    EXPECT_EQ(RandomSource(seedWithFirstDraw(RandomSource::kMaxDraw)).uniformRandom(), 1.0);
}

// Up to 32768 a bounded draw is the plain remainder of one draw, as it always was; beyond, two
// draws reach every position of a long series.
TEST(RandomSourceTest, BoundedDrawsTakeOneDrawUpTo32768AndTwoBeyond) {
    for (int bound : {1, 7, 449, 32768}) {
        RandomSource bounded(11);
        RandomSource plain(11);
        for (int i = 0; i < 100; ++i) {
            ASSERT_EQ(bounded.drawBelow(bound), plain.draw() % bound) << "bound " << bound;
        }
    }
    RandomSource wide(3);
    RandomSource twice(3);
    int highest = 0;
    for (int i = 0; i < 2000; ++i) {
        const int value = wide.drawBelow(999999);
        ASSERT_GE(value, 0);
        ASSERT_LT(value, 999999);
        highest = std::max(highest, value);
        twice.draw();
        twice.draw();
    }
    EXPECT_GT(highest, 900000);
    EXPECT_EQ(wide.state(), twice.state());
}

}  // namespace
}  // namespace kavri
