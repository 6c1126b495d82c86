#pragma once

// Many draws of the random source at once, the same sequence as one draw() after another. The
// generator's state k steps ahead is an affine function of the present one,
//     s_(t+k) = A_k s_t + C_k (mod 2^32),  A_k = a^k,  C_k = c (a^(k-1) + .. + a + 1),
// so consecutive states step many draws ahead together, one multiply and add each,
// in the vector units, instead of each waiting for the one before.

#include <cstdint>
#include <vector>

#include "genetic/random_source.h"

namespace kavri {

inline constexpr int kDrawLanes = 8;

// The affine map of `steps` steps of the generator.
struct RandomJump {
    std::uint32_t multiplier = 1;
    std::uint32_t increment = 0;

    static constexpr RandomJump ofSteps(int steps) {
        RandomJump jump;
        for (int i = 0; i < steps; ++i) {
            jump.multiplier = jump.multiplier * RandomSource::kMultiplier;
            jump.increment = jump.increment * RandomSource::kMultiplier + RandomSource::kIncrement;
        }
        return jump;
    }
    constexpr std::uint32_t apply(std::uint32_t state) const {
        return state * multiplier + increment;
    }
};

// Makes the next `count` draws of `random` and appends to `positions` the index k (0-based,
// ascending) of each draw below `bound`; `random` is left as count calls of draw() leave it.
void drawsBelow(RandomSource& random, int count, int bound, std::vector<int>& positions);

}  // namespace kavri
