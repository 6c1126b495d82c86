#pragma once

// The random numbers of one simulated path. Every path has a stream of its own, seeded from
// (seed, origin, path index), so a path draws the same numbers whichever thread simulates it
// and in whatever order: the results are the same bits on one core and on all. The generator
// is SplitMix64 (Steele, Lea and Flood 2014): a 64-bit state advanced by a fixed odd increment
// and passed through a bijective mixing function. Its eight bytes of state keep a million
// paths cheap to hold between blocks of steps, and its output passes BigCrush.

#include <cmath>
#include <cstdint>

namespace kavri {

class PathRandomStream {
 public:
    PathRandomStream() = default;
    // The seed, the origin and the path index pass through one mixing step each, so that
    // neighbouring paths start far apart in the generator's period of 2^64.
    PathRandomStream(std::uint64_t seed, std::uint64_t origin, std::uint64_t path)
        : state_(mix(mix(mix(seed) + origin) + path)) {}

    std::uint64_t next() {
        state_ += kIncrement;
        return mix(state_);
    }

    // Uniform on (0, 1]: 2^53 equally spaced values, 0 excluded so that its logarithm exists.
    double uniformOpenAtZero() { return static_cast<double>((next() >> 11) + 1) * 0x1.0p-53; }

    // Uniform on 0 .. count-1 for 0 < count < 2^32, by the multiply-shift of the upper 32 bits
    // (Lemire 2019); its bias, below count / 2^32, is far under any simulation error here.
    int index(int count) {
        return static_cast<int>(((next() >> 32) * static_cast<std::uint64_t>(count)) >> 32);
    }

    // Standard normal by the Box-Muller transform: sqrt(-2 ln u1) cos(2 pi u2). The sine
    // partner is not kept, so that a draw never depends on the one before it.
    double standardNormal() {
        const double radius = std::sqrt(-2.0 * std::log(uniformOpenAtZero()));
        const double angle = kTwoPi * uniformOpenAtZero();
        return radius * std::cos(angle);
    }

 private:
    static constexpr std::uint64_t kIncrement = 0x9E3779B97F4A7C15ull;
    static constexpr double kTwoPi = 6.283185307179586476925286766559;

    static std::uint64_t mix(std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::uint64_t state_ = 0;
};

}  // namespace kavri
