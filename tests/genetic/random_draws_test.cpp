#include "genetic/random_draws.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavri {
namespace {

TEST(RandomJump, StepsAheadAsManySingleSteps) {
    for (int steps : {0, 1, 2, 8, 1000}) {
        RandomSource random(123456789u);
        const std::uint32_t start = random.state();
        for (int i = 0; i < steps; ++i) random.draw();
        EXPECT_EQ(RandomJump::ofSteps(steps).apply(start), random.state()) << steps;
    }
}

// Every count (below, at and beyond the lanes, with and without a remainder) and every kind of
// bound: the positions of the draws below it, and the generator where one draw at a time
// leaves it.
TEST(DrawsBelow, GiveTheDrawsOneAtATimeWouldGive) {
    for (int count : {0, 1, 7, 15, 16, 17, 64, 997, 1001}) {
        for (int bound : {0, 1, 328, 16384, 32767, 32768}) {
            RandomSource lanes(2024u + static_cast<unsigned>(count));
            RandomSource single(2024u + static_cast<unsigned>(count));
            std::vector<int> positions = {-1};
            drawsBelow(lanes, count, bound, positions);
            std::vector<int> expected = {-1};
            for (int k = 0; k < count; ++k) {
                if (single.draw() < bound) expected.push_back(k);
            }
            EXPECT_EQ(positions, expected) << "count " << count << ", bound " << bound;
            EXPECT_EQ(lanes.state(), single.state()) << "count " << count << ", bound " << bound;
        }
    }
}

}  // namespace
}  // namespace kavri
