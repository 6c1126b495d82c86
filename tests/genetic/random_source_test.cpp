#include "genetic/random_source.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kavri
