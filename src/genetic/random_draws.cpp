#include "genetic/random_draws.h"

namespace kavri {

namespace {

// kDrawLanes states side by side, and the same as signed integers (every draw is below 2^15).
using StatePack = std::uint32_t __attribute__((vector_size(kDrawLanes * sizeof(std::uint32_t))));
using DrawPack = std::int32_t __attribute__((vector_size(kDrawLanes * sizeof(std::int32_t))));
using WidePack = std::uint64_t __attribute__((vector_size(kDrawLanes * sizeof(std::uint32_t))));

// Packs taken together: a group of kGroupPacks * kDrawLanes consecutive draws is tested for a
// draw below the bound at once, since with a small mutation probability most groups hold none.
constexpr int kGroupPacks = 4;
constexpr int kGroupDraws = kGroupPacks * kDrawLanes;
constexpr RandomJump kGroupStride = RandomJump::ofSteps(kGroupDraws);

// Whether any lane of a comparison's result is set, read as wide words.
bool anyLane(const DrawPack& flags) {
    const WidePack words = (WidePack)flags;
    std::uint64_t any = 0;
    for (int w = 0; w < kDrawLanes / 2; ++w) {
        any |= words[w];
    }
    return any != 0;
}

}  // namespace

__attribute__((target_clones("avx2", "default"))) void drawsBelow(RandomSource& random, int count,
                                                                  int bound,
                                                                  std::vector<int>& positions) {
    std::uint32_t state = random.state();
    int done = 0;
    if (count >= 2 * kGroupDraws) {
        // packs[k][l] holds the state that gives draw done + k * kDrawLanes + l.
        StatePack packs[kGroupPacks];
        for (int k = 0; k < kGroupPacks; ++k) {
            for (int l = 0; l < kDrawLanes; ++l) {
                state = state * RandomSource::kMultiplier + RandomSource::kIncrement;
                packs[k][l] = state;
            }
        }
        const DrawPack bounds = DrawPack{} + bound;
        for (; done + kGroupDraws <= count; done += kGroupDraws) {
            DrawPack below[kGroupPacks];
            for (int k = 0; k < kGroupPacks; ++k) {
                below[k] = (DrawPack)((packs[k] >> 16) & 0x7fffu) < bounds;
            }
            if (anyLane(below[0] | below[1] | below[2] | below[3])) {
                for (int k = 0; k < kGroupPacks; ++k) {
                    if (!anyLane(below[k])) {
                        continue;
                    }
                    for (int l = 0; l < kDrawLanes; ++l) {
                        if (below[k][l] != 0) {
                            positions.push_back(done + k * kDrawLanes + l);
                        }
                    }
                }
            }
            state = packs[kGroupPacks - 1][kDrawLanes - 1];
            for (int k = 0; k < kGroupPacks; ++k) {
                packs[k] = packs[k] * kGroupStride.multiplier + kGroupStride.increment;
            }
        }
    }
    random.reseed(state);
    for (; done < count; ++done) {
        if (random.draw() < bound) {
            positions.push_back(done);
        }
    }
}

}  // namespace kavri
