// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the balls stand, by squares of the contact distance, so that a ball's collision test
// looks only at the balls in its own square and the eight around it instead of at every ball:
// at level 15000 the plain test would measure 225 million pairs a pass. The squares follow the
// balls exactly: a sweep of the balls' tests (slot 1 upwards, each right after the ball's own
// step) starts from the positions of that moment, the ball under test is moved to its square
// before it looks, and the balls a bounce pushes are moved after. Anything else (a new pass, a
// list that changed, and whatever else moves a ball: the last death's implosion, a particle set
// up anew, which mark the squares invalid) starts the squares again from where every ball is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace brivane {

class clsParticle;

struct BallGrid {
    // Plain data for the game-state record: what the squares were built from, and the squares.
    const void* listData = nullptr;
    std::size_t last = 0;
    double lastNum = 0;
    bool valid = false;
    std::vector<const clsParticle*> particleAt;  // by slot, as placed
    std::vector<std::int64_t> squareOf;          // by slot
    std::unordered_map<std::int64_t, std::vector<std::uint32_t>> slotsIn;
};

}  // namespace brivane
