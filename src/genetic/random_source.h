#pragma once

#include <cstdint>

namespace kavri {

// The random source of the genetic search: integers 0 .. 32767 from the linear congruential
// generator state = state * 214013 + 2531011 (32-bit wrap-around), output (state >> 16) & 0x7fff,
// so that a seed gives the same draws on every platform. The run owns one; nothing is global.
class RandomSource {
 public:
    static constexpr int kMaxDraw = 32767;
    static constexpr std::uint32_t kMultiplier = 214013u;
    static constexpr std::uint32_t kIncrement = 2531011u;

    explicit RandomSource(std::uint32_t seed = 1) : state_(seed) {}

    // Sets the state: a seed, or a state() read before.
    void reseed(std::uint32_t seed) { state_ = seed; }
    std::uint32_t state() const { return state_; }

    // Next integer in 0 .. 32767.
    int draw() {
        state_ = state_ * kMultiplier + kIncrement;
        return drawOf(state_);
    }

    // Next draw / 32767.0: 32768 equally spaced values in [0, 1], both ends included.
    double uniformRandom() { return draw() / static_cast<double>(kMaxDraw); }

    // A draw of 0 .. bound-1 (bound >= 1): draw() % bound while one draw covers the bound, as
    // always; beyond 32768, two draws make a 30-bit integer, so that every position of a long
    // series can be drawn.
    int drawBelow(int bound) {
        if (bound <= kMaxDraw + 1) {
            return draw() % bound;
        }
        const int high = draw();
        return static_cast<int>((static_cast<long long>(high) * (kMaxDraw + 1) + draw()) % bound);
    }

    // The draw that a state gives.
    static int drawOf(std::uint32_t state) { return static_cast<int>((state >> 16) & 0x7fffu); }

 private:
    std::uint32_t state_;
};

}  // namespace kavri
