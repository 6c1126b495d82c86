#pragma once

#include <cstdint>

namespace kavri {

// The random source of the genetic search: integers 0 .. 32767 from the linear congruential
// generator state = state * 214013 + 2531011 (32-bit wrap-around), output (state >> 16) & 0x7fff,
// so that a seed gives the same draws on every platform. The run owns one; nothing is global.
class RandomSource {
public:
    static constexpr int kMaxDraw = 32767;

    explicit RandomSource(std::uint32_t seed = 1) : state_(seed) {}

    void reseed(std::uint32_t seed) { state_ = seed; }

    // Next integer in 0 .. 32767.
    int draw() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7fffu);
    }

    // Next draw / 32767.0: 32768 equally spaced values in [0, 1], both ends included.
    double uniformRandom() { return draw() / 32767.0; }

private:
    std::uint32_t state_;
};

}  // namespace kavri
