// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Rnd, the game's one uniform generator in [0, 1). SplitMix64, so a seed reproduces a game on
// any machine and compiler (the standard library's distributions differ between vendors).
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace brivane {

class Rnd {
  public:
    explicit Rnd(std::uint32_t seed = 0) : state_(seed) {}
    void seed(std::uint32_t seed) { state_ = seed; }
    // Where the sequence stands: a game that begins in the middle of a run starts its replay
    // from here, since the sequence is not seeded again at a new game.
    std::uint64_t state() const { return state_; }
    void setState(std::uint64_t state) { state_ = state; }
    // Tests replace the generator with a scripted sequence to pin down the order of draws.
    void setSource(std::function<double()> source) { source_ = std::move(source); }
    double operator()() {
        if (source_) {
            return source_();
        }
        state_ += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z = z ^ (z >> 31);
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }

  private:
    std::uint64_t state_;
    std::function<double()> source_;
};

}  // namespace brivane
